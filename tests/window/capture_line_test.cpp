// The capture over a real serial line: a pseudo-terminal played by the instrument
// simulator, opened through the platform's serial calls.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim/simulator.h"
#include "window/form_harness.h"

namespace schreiber::testing {
namespace {

using namespace std::chrono_literals;

std::string sample_recording() {
  return read_file(std::filesystem::path(SCHREIBER_SOURCE_DIR) / "samples/recording.bin");
}

class CaptureOverLine : public ::testing::Test {
 protected:
  explicit CaptureOverLine(std::int32_t read_timeout_ms = 200) : timeout_(read_timeout_ms) {}

  // The simulator on ports/COM1 of a fresh program folder, the window on COM 1.
  void play(std::string bytes, std::vector<sim::Pause> pauses = {},
            std::optional<std::size_t> hangup_after = {}, int baud = 57600) {
    std::filesystem::create_directories(h->folder / "ports");
    sim::Options options;
    options.bytes = std::move(bytes);
    options.baud = baud;
    options.pauses = std::move(pauses);
    options.hangup_after = hangup_after;
    options.link = h->folder / "ports/COM1";
    options.start_when_configured = true;
    simulator = std::make_unique<sim::Simulator>(std::move(options));
    simulator->start();
  }

  std::string capture_file() { return read_file(h->folder / "Schreiber.txt"); }

  std::int32_t timeout_;
  std::unique_ptr<FormHarness> h;
  std::unique_ptr<sim::Simulator> simulator;
  std::vector<std::string> exported;

  void SetUp() override { fresh_window(); }

  void fresh_window() {
    simulator.reset();
    h = std::make_unique<FormHarness>(timeout_);
    h->form.Form_Load();
    h->module1.export_block = [this](const std::int16_t&, const std::string& workbook,
                                     const std::string&) { exported.push_back(workbook); };
  }
};

TEST_F(CaptureOverLine, SampleRecordingLandsByteForByteAndIsConverted) {
  const std::string recording = sample_recording();
  ASSERT_GT(recording.size(), 100u);
  play(recording);
  EXPECT_TRUE(h->click());
  EXPECT_EQ(capture_file(), recording);
  EXPECT_EQ(h->ended, 0);
  // Four blocks, one of them not selected for export.
  EXPECT_EQ(exported.size(), 3u);
}

TEST_F(CaptureOverLine, PauseShorterThanTheSilenceLimitOnlyAddsDots) {
  const std::string bytes =
      "\x11\x01K\x02"
      "abc\x13x"
      "more bytes after the pause\x14";
  play(bytes, {{5, 450ms}});
  h->view.clear_operations();
  EXPECT_TRUE(h->click());
  EXPECT_EQ(capture_file(), bytes);
  const auto& ops = h->view.operations();
  const auto dots = std::find(ops.begin(), ops.end(), "Label4.Caption = \"1.\"");
  ASSERT_NE(dots, ops.end()) << "an empty read during the pause adds a dot";
  EXPECT_NE(std::find(dots, ops.end(), "Label4.Caption = \">>>\""), ops.end());
}

// However the line delivers the bytes (in one burst, one by one, in the line's own
// bursts), the capture file and the window's every step are the same.
TEST_F(CaptureOverLine, OneBurstAndOneByOneGiveTheSameFileAndTheSameWindow) {
  const std::string bytes =
      "\x11\x01K\x02"
      "a\x03"
      "b\x02"
      "c\x01M\x02"
      "d\x02"
      "e\x13x\x14";
  std::optional<std::vector<std::string>> first_operations;
  // 600 baud: a byte every 17 ms, longer than a read lets a burst gather.
  for (const int baud : {0, 600, 57600}) {
    SCOPED_TRACE(baud);
    fresh_window();
    play(bytes, {}, {}, baud);
    h->view.clear_operations();
    EXPECT_TRUE(h->click());
    EXPECT_EQ(capture_file(), bytes);
    EXPECT_EQ(h->ended, 0);
    if (!first_operations) first_operations = h->view.operations();
    EXPECT_EQ(h->view.operations(), *first_operations);
  }
  EXPECT_NE(std::find(first_operations->begin(), first_operations->end(), "Label4.Caption = \"4\""),
            first_operations->end());
}

// The bytes of a burst are written together, but before the program waits for the line
// again: when the line falls silent, every byte received is in the file.
TEST_F(CaptureOverLine, EveryByteReceivedIsInTheFileWhenTheLineFallsSilent) {
  const std::string bytes = sample_recording();
  play(bytes, {{300, 450ms}});
  std::optional<std::string> at_first_silence;
  bool receiving = false;
  h->view.on_operation = [&](const std::string& operation) {
    if (operation == "Label4.Caption = \">>>\"") receiving = true;
    const bool dot = operation.starts_with("Label4.Caption = ") && operation.ends_with(".\"");
    if (receiving && dot && !at_first_silence) at_first_silence = capture_file();
  };
  EXPECT_TRUE(h->click());
  ASSERT_TRUE(at_first_silence);
  EXPECT_EQ(*at_first_silence, bytes.substr(0, 300));
  EXPECT_EQ(capture_file(), bytes);
}

class CaptureOverLineRealTimeout : public CaptureOverLine {
 protected:
  CaptureOverLineRealTimeout() : CaptureOverLine(3000) {}
};

TEST_F(CaptureOverLineRealTimeout, PulledCableKeepsEveryByteAndEndsAtOnce) {
  const std::string recording = sample_recording();
  play(recording, {}, 300);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_TRUE(h->click());  // more than 20 bytes: converted after the silence ending
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(capture_file(), recording.substr(0, 300));
  // Reads on a hung-up line report no byte at once instead of waiting 3 s each.
  EXPECT_LT(took, 3s);
  EXPECT_TRUE(h->view.state().command1_visible);
}

}  // namespace
}  // namespace schreiber::testing
