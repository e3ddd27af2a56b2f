// The port choice through the real window: start-up restores it without writing, a pick
// by the operator in the list writes it, and closing the window ends the program.

#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>

#include "qt_harness.h"

namespace schreiber::testing {
namespace {

struct StartRow {
  const char* name;
  std::optional<std::string> content;  // nothing: no PORT.ini
  int expected_index;
};

// Test names and failure messages show the row by its name.
void PrintTo(const StartRow& row, std::ostream* out) {
  *out << row.name;
}

class QtStartUp : public ::testing::TestWithParam<StartRow> {};

TEST_P(QtStartUp, RestoresTheChoiceAndNeverWritesAlthoughTheSelectionEventComes) {
  QtProgram p;
  const auto port_file = p.folder / "PORT.ini";
  std::filesystem::file_time_type stamp;
  if (GetParam().content) {
    write_file(port_file, *GetParam().content);
    stamp = std::filesystem::last_write_time(port_file);
  }

  p.window.load();
  p.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.window));

  EXPECT_EQ(control<QComboBox>(p.window, "Combo1")->currentIndex(), GetParam().expected_index);
  EXPECT_EQ(control<QComboBox>(p.window, "Combo1")->currentText(),
            QString("COM %1").arg(GetParam().expected_index + 1));
  EXPECT_GE(p.selection_events, 1) << "setting the selection raises the selection event";
  if (GetParam().content) {
    EXPECT_EQ(read_file(port_file), *GetParam().content);
    EXPECT_EQ(std::filesystem::last_write_time(port_file), stamp);
  } else {
    EXPECT_FALSE(std::filesystem::exists(port_file));
  }
  EXPECT_FALSE(p.ended);
}

INSTANTIATE_TEST_SUITE_P(Files, QtStartUp,
                         ::testing::Values(StartRow{"noFile", std::nullopt, 0},
                                           StartRow{"com4", "3\r\n", 3}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(QtPortChoice, EveryPickInTheListWritesItsIndexAndCrLf) {
  QtProgram p;
  p.window.load();
  p.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&p.window));
  auto* combo = control<QComboBox>(p.window, "Combo1");
  combo->setFocus();
  const int events_at_start = p.selection_events;

  struct {
    Qt::Key key;
    const char* written;
  } const picks[] = {{Qt::Key_Down, "1\r\n"},
                     {Qt::Key_End, "8\r\n"},
                     {Qt::Key_Up, "7\r\n"},
                     {Qt::Key_Home, "0\r\n"}};
  for (const auto& pick : picks) {
    QTest::keyClick(combo, pick.key);
    EXPECT_EQ(read_file(p.folder / "PORT.ini"), pick.written);
  }
  EXPECT_EQ(p.selection_events - events_at_start, 4);
  EXPECT_FALSE(p.ended);
}

TEST(QtPortChoice, NoPickReachesTheLogicWhileTheListIsDisabled) {
  QtProgram p;
  p.window.load();
  p.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&p.window));
  auto* combo = control<QComboBox>(p.window, "Combo1");
  combo->setFocus();
  p.window.Combo1_SetEnabled(false);
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(combo->currentIndex(), 0);
  EXPECT_FALSE(std::filesystem::exists(p.folder / "PORT.ini"));
}

TEST(QtPortChoice, ClosingTheWindowEndsTheProgramWithoutWritingAnything) {
  QtProgram p;
  p.window.load();
  p.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.window));

  bool closed = false;
  EXPECT_EQ(p.run_in_event_loop([&] { closed = p.window.close(); }), 0)
      << "the event loop ends with the program";
  EXPECT_TRUE(closed);
  EXPECT_EQ(p.ended, 0);
  EXPECT_EQ(p.window.ended_status(), 0);
  EXPECT_FALSE(p.window.isVisible());
  EXPECT_TRUE(std::filesystem::is_empty(p.folder.path())) << "no file written";

  // Once ended, nothing reaches a handler any more.
  int handled = 0;
  p.window.on_command1_click = [&] { ++handled; };
  p.window.on_form_unload = [&] { ++handled; };
  p.window.show();
  QTest::mouseClick(control<QPushButton>(p.window, "Command1"), Qt::LeftButton);
  p.window.close();
  EXPECT_EQ(handled, 0);
}

}  // namespace
}  // namespace schreiber::testing
