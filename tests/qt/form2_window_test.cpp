// The Qt window on its own: its size, its controls and their first look, the fonts, the
// port list, the message box and the synchronous repaints.

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <vector>

#include "qt_harness.h"

namespace schreiber::testing {
namespace {

using window::qt::Form2Window;

struct ControlRow {
  const char* name;
  QRect at_96_dpi;
  bool visible;
};

// In the window's own order.
const std::vector<ControlRow> kControls = {
    {"Command1", {116, 2, 33, 33}, true},  {"Combo1", {4, 9, 105, 21}, true},
    {"Label4", {4, 56, 205, 13}, false},   {"Label3", {4, 36, 161, 17}, false},
    {"Image2", {20, 76, 118, 114}, false}, {"Image1", {20, 76, 118, 114}, false},
};

TEST(QtWindow, ClientAreaAndControlsSitWhereTheTableSaysAt96Dpi) {
  Form2Window window(96);
  EXPECT_EQ(window.size(), QSize(156, 199));
  EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "the window has a fixed size";
  EXPECT_EQ(window.windowTitle(), "Schreiber");

  std::vector<std::string> order;
  for (QObject* child : window.children()) {
    if (child->isWidgetType()) order.push_back(child->objectName().toStdString());
  }
  ASSERT_EQ(order.size(), kControls.size());
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    const ControlRow& row = kControls[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(order[i], row.name);
    QWidget* widget = control<QWidget>(window, row.name);
    EXPECT_EQ(widget->geometry(), row.at_96_dpi);
    EXPECT_EQ(!widget->isHidden(), row.visible);
    EXPECT_TRUE(widget->isEnabled());
  }
  // The labels reach past the right edge: long captions are cut off there.
  EXPECT_GT(control<QLabel>(window, "Label4")->geometry().right(), window.width());
  EXPECT_GT(control<QLabel>(window, "Label3")->geometry().right(), window.width());
}

TEST(QtWindow, ScalesWithTheScreenResolution) {
  Form2Window window(144);  // 10 twips a pixel
  EXPECT_EQ(window.size(), QSize(234, 299));
  EXPECT_EQ(control<QPushButton>(window, "Command1")->geometry(), QRect(174, 3, 50, 50));
  EXPECT_EQ(control<QComboBox>(window, "Combo1")->geometry(), QRect(6, 13, 158, 32));
  EXPECT_EQ(control<QLabel>(window, "Image1")->geometry(), QRect(30, 114, 177, 171));
  EXPECT_EQ(control<QLabel>(window, "Image1")->pixmap().deviceIndependentSize().toSize(),
            QSize(177, 171));
  EXPECT_EQ(control<QPushButton>(window, "Command1")->iconSize(), QSize(36, 39));
}

TEST(QtWindow, InitialCaptionsAndLabelsWithoutWordWrap) {
  Form2Window window(96);
  auto* label3 = control<QLabel>(window, "Label3");
  auto* label4 = control<QLabel>(window, "Label4");
  EXPECT_EQ(label3->text(), QString::fromUtf8("Datei wird \xC3\xBC"
                                              "bertragen"));
  EXPECT_EQ(label4->text(), "Daten in CSV Format konvertieren");
  EXPECT_EQ(window.Label4_Caption(), "Daten in CSV Format konvertieren");
  EXPECT_FALSE(label3->wordWrap());
  EXPECT_FALSE(label4->wordWrap());
  EXPECT_TRUE(control<QPushButton>(window, "Command1")->text().isEmpty());
  EXPECT_FALSE(control<QPushButton>(window, "Command1")->icon().isNull());

  // Captions are code-page bytes, shown as their characters and read back unchanged.
  window.Label4_SetCaption(
      "Gr\xF6\xDF"
      "e \x80 5");
  EXPECT_EQ(label4->text(), QString::fromUtf8("Gr\xC3\xB6\xC3\x9F"
                                              "e \xE2\x82\xAC 5"));
  EXPECT_EQ(window.Label4_Caption(),
            "Gr\xF6\xDF"
            "e \x80 5");
}

TEST(QtWindow, LabelsCarryTheirOwnBoldFontsAndTheRestTheDefault) {
  Form2Window window(96);
  struct {
    const char* name;
    double points;
  } const rows[] = {{"Label3", 9.75}, {"Label4", 8.25}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const QFont font = control<QLabel>(window, row.name)->font();
    EXPECT_TRUE(font.bold());
    EXPECT_DOUBLE_EQ(font.pointSizeF(), row.points);
    EXPECT_EQ(font.families().value(0), "MS Sans Serif");
    EXPECT_EQ(font.styleHint(), QFont::SansSerif);
    EXPECT_TRUE(QFontInfo(font).bold()) << "the font that stands in is bold too";
  }
  EXPECT_EQ(control<QComboBox>(window, "Combo1")->font(), QApplication::font());
  EXPECT_FALSE(control<QPushButton>(window, "Command1")->font().bold());
}

TEST(QtWindow, PortListHoldsNinePortsAndCannotBeTypedInto) {
  Form2Window window(96);
  auto* combo = control<QComboBox>(window, "Combo1");
  EXPECT_FALSE(combo->isEditable());
  ASSERT_EQ(combo->count(), 9);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(combo->itemText(i), QString("COM %1").arg(i + 1));
    EXPECT_EQ(window.Combo1_List(static_cast<std::int16_t>(i)), "COM " + std::to_string(i + 1));
  }
  EXPECT_EQ(window.Combo1_List(9), "");
  EXPECT_EQ(window.Combo1_List(-1), "");
  EXPECT_EQ(window.Combo1_ListIndex(), -1) << "nothing is selected before Form_Load";
}

TEST(QtWindow, SettingTheTextSelectsThatEntryAndRaisesTheSelectionEvent) {
  Form2Window window(96);
  int events = 0;
  window.on_combo1_click = [&] { ++events; };
  window.Combo1_SetText("COM 7");
  EXPECT_EQ(window.Combo1_ListIndex(), 6);
  EXPECT_EQ(events, 1);
  for (const char* no_entry : {"COM 10", "com 3", "", "COM 1 "}) {
    window.Combo1_SetText(no_entry);
    EXPECT_EQ(window.Combo1_ListIndex(), 6) << no_entry;
  }
  EXPECT_EQ(events, 1);
}

TEST(QtWindow, FocusGoesToThePortListFirstThenTheStartButton) {
  Form2Window window(96);
  for (const char* name : {"Label3", "Label4", "Image1", "Image2"}) {
    EXPECT_EQ(control<QLabel>(window, name)->focusPolicy(), Qt::NoFocus) << name;
  }
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QWidget* const combo = control<QComboBox>(window, "Combo1");
  QWidget* const start = control<QPushButton>(window, "Command1");
  EXPECT_EQ(QApplication::focusWidget(), combo);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), start);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), combo);
}

struct MessageRow {
  const char* name;
  std::string prompt;
  int style;
  QMessageBox::Icon icon;
  QString text;
};

// Test names and failure messages show the row by its name.
void PrintTo(const MessageRow& row, std::ostream* out) {
  *out << row.name;
}

class QtMessageBox : public ::testing::TestWithParam<MessageRow> {};

TEST_P(QtMessageBox, IsModalWithOneOkButtonTheTitleAndLineBreaks) {
  Form2Window window(96);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QMessageBox* seen = nullptr;
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  bool modal = false;
  QTimer::singleShot(0, [&] {
    seen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (seen == nullptr) return;
    title = seen->windowTitle();
    text = seen->text();
    icon = seen->icon();
    buttons = seen->standardButtons();
    modal = seen->isModal();
    seen->button(QMessageBox::Ok)->click();
  });
  window.MsgBox(GetParam().prompt, GetParam().style, "Error");
  ASSERT_NE(seen, nullptr) << "MsgBox returned without a modal box";
  EXPECT_EQ(title, "Error");
  EXPECT_EQ(text, GetParam().text);
  EXPECT_EQ(icon, GetParam().icon);
  EXPECT_EQ(buttons, QMessageBox::Ok);
  EXPECT_TRUE(modal);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, QtMessageBox,
    ::testing::Values(MessageRow{"criticalWithCarriageReturn",
                                 "Port opening Error\rError Number: -1", 16, QMessageBox::Critical,
                                 "Port opening Error\nError Number: -1"},
                      MessageRow{"plainWithCodePageText", "F\xFCr <b>x</b>\r\n2", 0,
                                 QMessageBox::NoIcon, QString::fromUtf8("F\xC3\xBCr <b>x</b>\n2")}),
    [](const auto& test) { return std::string(test.param.name); });

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

TEST(QtWindow, RefreshPaintsInsideTheCallWithoutTheEventLoop) {
  Form2Window window(96);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QCoreApplication::processEvents();

  window.Label4_SetVisible(true);
  window.Label3_SetVisible(true);
  window.Image1_SetVisible(true);
  PaintCounter form(&window), label3(control<QLabel>(window, "Label3")),
      image1(control<QLabel>(window, "Image1"));
  window.Form2_Refresh();
  EXPECT_GE(form.paints, 1);
  EXPECT_GE(label3.paints, 1);
  EXPECT_GE(image1.paints, 1);

  PaintCounter label4(control<QLabel>(window, "Label4"));
  window.Label4_SetCaption("17");
  window.Label4_Refresh();
  EXPECT_EQ(label4.paints, 1);
}

}  // namespace
}  // namespace schreiber::testing
