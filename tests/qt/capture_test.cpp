// A capture started from the real window over a pseudo-terminal: the window ends up
// showing exactly what the headless view records for the same recording, and input that
// came in while the capture ran never starts another one.

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "qt_harness.h"
#include "sim/simulator.h"

namespace schreiber::testing {
namespace {

constexpr std::int32_t kReadTimeoutMs = 100;

struct CaptureRow {
  const char* name;
  std::optional<std::string> recording;  // nothing: the port cannot be opened
  std::optional<int> expected_end;       // nothing: the window is idle again
};

// Test names and failure messages show the row by its name.
void PrintTo(const CaptureRow& row, std::ostream* out) {
  *out << row.name;
}

struct Outcome {
  window::ControlState state;
  std::optional<int> ended;
  std::string capture_file;
  std::vector<window::Message> messages;
};

// The instrument on ports/COM1 of the program folder, or a link to nowhere.
std::unique_ptr<sim::Simulator> connect_instrument(const std::filesystem::path& folder,
                                                   const std::optional<std::string>& recording) {
  std::filesystem::create_directories(folder / "ports");
  if (!recording) {
    std::filesystem::create_symlink(folder / "no-such-device", folder / "ports/COM1");
    return nullptr;
  }
  sim::Options options;
  options.link = folder / "ports/COM1";
  options.bytes = *recording;
  options.start_when_configured = true;
  auto simulator = std::make_unique<sim::Simulator>(std::move(options));
  simulator->start();
  return simulator;
}

Outcome capture_headless(const CaptureRow& row) {
  TempFolder folder;
  window::HeadlessView view;
  std::optional<int> ended;
  app::Program program(view, {folder.path(), [&](int status) { ended = status; }, kReadTimeoutMs});
  view.on_combo1_click = [&] { program.form().Combo1_Click(); };
  program.form().Form_Load();
  const auto instrument = connect_instrument(folder.path(), row.recording);
  try {
    program.form().Command1_Click();
  } catch (const platform::ProgramEnded&) {
  }
  return {view.state(), ended, read_file(folder / "Schreiber.txt"), view.messages()};
}

// Answers every message box with OK, as the operator would, and notes what it said.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      QString prompt = box->text();
      prompt.replace('\n', '\r');
      seen.push_back({codepage_text(prompt), box->icon() == QMessageBox::Critical ? 16 : 0,
                      codepage_text(box->windowTitle())});
      box->button(QMessageBox::Ok)->click();
    });
    timer_.start(10);
  }
  std::vector<window::Message> seen;

 private:
  QTimer timer_;
};

Outcome capture_in_window(const CaptureRow& row) {
  QtProgram p(kReadTimeoutMs);
  p.window.load();
  p.window.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&p.window));
  const auto instrument = connect_instrument(p.folder.path(), row.recording);
  MessageBoxAnswerer answerer;
  const auto loop_status = p.run_in_event_loop(
      [&] { QTest::mouseClick(control<QPushButton>(p.window, "Command1"), Qt::LeftButton); });
  EXPECT_EQ(loop_status, p.ended) << "the event loop ends with the program";
  EXPECT_EQ(p.window.ended_status(), p.ended);
  EXPECT_EQ(p.window.isVisible(), !p.ended) << "the window goes when the program ends";
  return {state_of(p.window), p.ended, read_file(p.folder / "Schreiber.txt"), answerer.seen};
}

class QtCapture : public ::testing::TestWithParam<CaptureRow> {};

TEST_P(QtCapture, WindowShowsWhatTheHeadlessViewRecords) {
  const Outcome headless = capture_headless(GetParam());
  const Outcome shown = capture_in_window(GetParam());
  EXPECT_EQ(headless.ended, GetParam().expected_end);
  EXPECT_EQ(shown.ended, GetParam().expected_end);
  EXPECT_EQ(shown.capture_file, GetParam().recording.value_or(""));
  EXPECT_EQ(shown.capture_file, headless.capture_file);
  EXPECT_EQ(shown.messages, headless.messages);

  const auto& a = shown.state;
  const auto& b = headless.state;
  EXPECT_EQ(a.command1_visible, b.command1_visible);
  EXPECT_EQ(a.combo1_enabled, b.combo1_enabled);
  EXPECT_EQ(a.combo1_list_index, b.combo1_list_index);
  EXPECT_EQ(a.label3_caption, b.label3_caption);
  EXPECT_EQ(a.label3_visible, b.label3_visible);
  EXPECT_EQ(a.label4_caption, b.label4_caption);
  EXPECT_EQ(a.label4_visible, b.label4_visible);
  EXPECT_EQ(a.image1_visible, b.image1_visible);
  EXPECT_EQ(a.image2_visible, b.image2_visible);
}

INSTANTIATE_TEST_SUITE_P(Recordings, QtCapture,
                         ::testing::Values(
                             // Too short to convert: handed over at DC4, and the program ends.
                             CaptureRow{"handOffAtDc4",
                                        std::string("\x11\x01L\x02"
                                                    "a\x14"),
                                        0},
                             // A few bytes, then silence: idle again, with the hourglass still up.
                             CaptureRow{"silenceAfterFewBytes",
                                        std::string("\x11\x01L\x02"
                                                    "a\x02"),
                                        std::nullopt},
                             // Nothing sent before the silence ending, without DC1.
                             CaptureRow{"silenceFromTheStart", std::string(), std::nullopt},
                             CaptureRow{"portCannotBeOpened", std::nullopt, std::nullopt}),
                         [](const auto& test) { return std::string(test.param.name); });

void post_click(QWidget* widget) {
  const QPointF centre = QRectF(widget->rect()).center();
  const QPointF global = widget->mapToGlobal(centre);
  QCoreApplication::postEvent(
      widget, new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(
      widget, new QMouseEvent(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                              Qt::NoButton, Qt::NoModifier));
}

TEST(QtCaptureInput, ClickThatCameDuringACaptureIsDroppedAndLaterClicksWork) {
  QtProgram p(kReadTimeoutMs);
  p.window.load();
  p.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.window));
  const auto instrument = connect_instrument(p.folder.path(), std::string("\x01L\x02"
                                                                          "a"));
  auto* start = control<QPushButton>(p.window, "Command1");
  int captures = 0;
  p.window.on_command1_click = [&] {
    ++captures;
    // The operator clicks where the start button was while the capture runs.
    if (captures == 1) post_click(start);
    p.program.form().Command1_Click();
  };

  QTest::mouseClick(start, Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(captures, 1);
  EXPECT_FALSE(start->isHidden()) << "idle again after the silence";

  QTest::mouseClick(start, Qt::LeftButton);
  EXPECT_EQ(captures, 2);
  EXPECT_FALSE(p.ended);
}

TEST(QtCaptureInput, CloseThatCameDuringACaptureIsHandledOnceItIsOver) {
  QtProgram p(kReadTimeoutMs);
  p.window.load();
  p.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.window));
  const auto instrument = connect_instrument(p.folder.path(), std::string("\x01L"));
  p.window.on_command1_click = [&] {
    QCoreApplication::postEvent(&p.window, new QCloseEvent);
    p.program.form().Command1_Click();
    EXPECT_FALSE(p.ended) << "not while the capture runs";
  };

  const auto loop_status = p.run_in_event_loop(
      [&] { QTest::mouseClick(control<QPushButton>(p.window, "Command1"), Qt::LeftButton); });
  EXPECT_EQ(loop_status, 0);
  EXPECT_EQ(p.ended, 0);
  EXPECT_FALSE(p.window.isVisible());
}

}  // namespace
}  // namespace schreiber::testing
