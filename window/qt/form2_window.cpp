#include "window/qt/form2_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <cmath>
#include <exception>

#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/program_end.h"
#include "window/qt/picture_painter.h"

namespace schreiber::window::qt {
namespace {

QString from_codepage(const std::string& bytes) {
  return QString::fromStdString(platform::codepage_to_utf8(bytes));
}

// The labels' own font: "MS Sans Serif" where it exists, else the desktop's sans serif.
QFont label_font(double points) {
  QFont font;
  font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif"});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(true);
  return font;
}

// A caption that runs past the window's edge is cut off there, never wrapped.
QLabel* make_label(QWidget* parent, const char* name, double points, const char* caption) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setFont(label_font(points));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(false);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setMargin(0);
  label->setIndent(0);
  label->setText(from_codepage(caption));
  label->hide();
  return label;
}

QPixmap scaled_pixmap(const pictures::Picture& picture, double scale, double device_ratio) {
  QPixmap pixmap = QPixmap::fromImage(paint_picture(picture, scale * device_ratio));
  pixmap.setDevicePixelRatio(device_ratio);
  return pixmap;
}

QLabel* make_image(QWidget* parent, const char* name, const QPixmap& pixmap) {
  auto* image = new QLabel(parent);
  image->setObjectName(name);
  image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  image->setPixmap(pixmap);
  image->hide();
  return image;
}

QMessageBox::Icon message_icon(int style) {
  switch (style & convert::kIconStyles) {
    case convert::kCritical:
      return QMessageBox::Critical;
    case convert::kQuestion:
      return QMessageBox::Question;
    case convert::kExclamation:
      return QMessageBox::Warning;
    case convert::kInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// Carriage returns separate the lines of a prompt.
QString prompt_lines(const std::string& prompt) {
  QString text = from_codepage(prompt);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace

// Swallows the operator's clicks and keys that piled up while a handler ran, so that a
// click on a hidden start button cannot start another capture once it shows again.
// Closing the window is not input: a close that came in the meantime is handled.
class Form2Window::InputDrain : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Wheel:
        return true;
      default:
        return false;
    }
  }

  static void drain() {
    InputDrain filter;
    qApp->installEventFilter(&filter);
    QCoreApplication::processEvents();
    qApp->removeEventFilter(&filter);
  }
};

Form2Window::Form2Window(double dots_per_inch) {
  if (dots_per_inch <= 0) dots_per_inch = QGuiApplication::primaryScreen()->logicalDotsPerInch();
  scale_ = dots_per_inch / 96.0;
  const double device_ratio = devicePixelRatioF();

  setWindowTitle(kFormTitle);
  setWindowIcon(window_icon());
  setFixedSize(pixels(kClientWidthTwips), pixels(kClientHeightTwips));

  // The controls in the window's own order; later ones lie above earlier ones.
  command1_ = new QPushButton(this);
  command1_->setObjectName("Command1");
  command1_->setIcon(QIcon(scaled_pixmap(pictures::start_button(), scale_, device_ratio)));
  command1_->setIconSize(QSize(static_cast<int>(std::lround(24 * scale_)),
                               static_cast<int>(std::lround(26 * scale_))));
  command1_->setGeometry(place(kCommand1Place));

  combo1_ = new QComboBox(this);
  combo1_->setObjectName("Combo1");
  combo1_->setEditable(false);
  for (const char* entry : kComboEntries) combo1_->addItem(QString::fromLatin1(entry));
  combo1_->setCurrentIndex(-1);  // Form_Load makes the first choice
  combo1_->setGeometry(place(kCombo1Place));

  label4_ = make_label(this, "Label4", kLabel4Points, kLabel4DesignCaption);
  label4_->setGeometry(place(kLabel4Place));
  label4_caption_ = kLabel4DesignCaption;
  label3_ = make_label(this, "Label3", kLabel3Points, kLabel3DesignCaption);
  label3_->setGeometry(place(kLabel3Place));

  image2_ = make_image(this, "Image2",
                       scaled_pixmap(pictures::receiving_picture(), scale_, device_ratio));
  image2_->setGeometry(place(kImagePlace));
  image1_ =
      make_image(this, "Image1", scaled_pixmap(pictures::waiting_picture(), scale_, device_ratio));
  image1_->setGeometry(place(kImagePlace));

  // Only the list and the button take the focus, so Tab goes between the two; the list
  // comes first.
  combo1_->setFocus();

  connect(combo1_, &QComboBox::activated, this, [this](int) { run_handler(on_combo1_click); });
  connect(command1_, &QPushButton::clicked, this, [this] { run_handler(on_command1_click); });
}

Form2Window::~Form2Window() = default;

int Form2Window::pixels(int twips) const {
  return static_cast<int>(std::lround(twips * scale_ / kTwipsPerPixelAt96Dpi));
}

QRect Form2Window::place(const TwipsRect& twips) const {
  return QRect(pixels(twips.left), pixels(twips.top), pixels(twips.width), pixels(twips.height));
}

// The program's work runs inside here and lets the event loop run only for what is not
// input (keep_alive), so no click, key or close reaches the window meanwhile. An end of
// the program unwinds to here as ProgramEnded; no exception may pass on into Qt's event
// loop.
void Form2Window::run_handler(const std::function<void()>& handler) {
  if (ended_status_) return;
  const auto outcome = guard_.run(handler, *this);
  if (!outcome.ran) return;
  if (outcome.ended) {
    end_program(*outcome.ended);
    return;
  }
  if (isVisible()) InputDrain::drain();
  if (close_pending_ && !ended_status_) {
    close_pending_ = false;
    close();
  }
}

void Form2Window::end_program(int status) {
  ended_status_ = status;
  hide();
  QCoreApplication::exit(status);
}

void Form2Window::closeEvent(QCloseEvent* event) {
  if (guard_.running() && !ended_status_) {
    close_pending_ = true;  // not while a capture runs: once it has returned
    event->ignore();
    return;
  }
  run_handler(on_form_unload);
  event->accept();
}

void Form2Window::Form2_Refresh() {
  repaint();
  keep_alive();
}

// Everything set so far has just been painted by a Refresh, or the logic is reading the
// line after one: a repaint that Qt does here shows what is already on the screen.
void Form2Window::keep_alive() {
  if (!keep_alive_pace_.due()) return;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Form2Window::Command1_SetVisible(bool visible) {
  command1_->setVisible(visible);
}

void Form2Window::Combo1_SetEnabled(bool enabled) {
  combo1_->setEnabled(enabled);
}

std::int16_t Form2Window::Combo1_ListIndex() {
  return static_cast<std::int16_t>(combo1_->currentIndex());
}

std::string Form2Window::Combo1_List(std::int16_t index) {
  if (index < 0 || index >= combo1_->count()) return "";
  return platform::utf8_to_codepage(combo1_->itemText(index).toStdString());
}

// Selecting an entry from the program raises the selection event, as a pick would.
void Form2Window::Combo1_SetText(const std::string& text) {
  const int index =
      combo1_->findText(from_codepage(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index < 0) return;
  combo1_->setCurrentIndex(index);
  if (on_combo1_click) on_combo1_click();
}

void Form2Window::Label3_SetCaption(const std::string& caption) {
  label3_->setText(from_codepage(caption));
}

void Form2Window::Label3_SetVisible(bool visible) {
  label3_->setVisible(visible);
}

std::string Form2Window::Label4_Caption() {
  return label4_caption_;
}

void Form2Window::Label4_SetCaption(const std::string& caption) {
  label4_caption_ = caption;
  label4_->setText(from_codepage(caption));
}

void Form2Window::Label4_SetVisible(bool visible) {
  label4_->setVisible(visible);
}

void Form2Window::Label4_Refresh() {
  label4_->repaint();
  keep_alive();
}

void Form2Window::Image1_SetVisible(bool visible) {
  image1_->setVisible(visible);
}

void Form2Window::Image2_SetVisible(bool visible) {
  image2_->setVisible(visible);
}

void Form2Window::MsgBox(const std::string& prompt, int style, const std::string& title) {
  QMessageBox box(message_icon(style), from_codepage(title), prompt_lines(prompt), QMessageBox::Ok,
                  this);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace schreiber::window::qt
