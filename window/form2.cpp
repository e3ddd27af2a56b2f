#include "window/form2.h"

#include <cmath>
#include <string>

#include "convert/control_bytes.h"
#include "platform/checked_int.h"
#include "platform/failure.h"

namespace schreiber::window {
namespace {

std::string number_and_description(const platform::Failure& failure) {
  return std::to_string(failure.number()) + "\r" + failure.description();
}

}  // namespace

// Restores the port choice from "PORT.ini". Any failure leaves "COM 1" selected, quietly;
// the file is only read, never created or repaired.
void Form2::Form_Load() {
  View& view = c_.view;
  Loading = -1;
  view.Combo1_SetText(view.Combo1_List(0));
  try {
    const auto line = c_.files.read_first_line(port_file());
    if (line) {
      if (const auto number = platform::parse_number(*line, c_.regional)) {
        const auto index = platform::narrow_or_overflow<std::int16_t>(std::floor(*number));
        view.Combo1_SetText(view.Combo1_List(index));
      }
    }
  } catch (const platform::Failure&) {
    // The restore ends here with the first entry still selected.
  }
  Loading = 0;
}

// Stores the operator's pick as one line: the list index and CR LF.
void Form2::Combo1_Click() {
  if (Loading) return;
  c_.files.remove(port_file());  // a missing file is no error
  try {
    c_.files.write_text(port_file(), std::to_string(c_.view.Combo1_ListIndex()) + "\r\n");
  } catch (const platform::Failure& failure) {
    c_.view.MsgBox(std::string(kPortFileName) + "\r" + number_and_description(failure),
                   convert::kCritical, "Error");
  }
}

void Form2::Form_Unload() {
  c_.seriell.CloseComPort();
  // No file is held open between handlers: the capture closes its own before returning.
  c_.end_program(platform::kExitNormal);
}

void Form2::Command1_Click() {
  View& view = c_.view;
  view.Combo1_SetEnabled(false);
  const auto port = platform::narrow_or_overflow<std::int16_t>(view.Combo1_ListIndex() + 1);
  const std::int16_t result = c_.seriell.OpenComPort(port, kLineSettings, kQueueSize, kQueueSize,
                                                     c_.read_timeout_ms, kWriteTimeoutMs);
  if (result != serial::kOpened) {
    // The message shows the failed step's number: "Error Number: -1".
    view.MsgBox("Port opening Error\rError Number: " + std::to_string(result), convert::kCritical,
                "Error");
    view.Combo1_SetEnabled(true);
    last_capture_end_ = CaptureEnd::kPortNotOpened;
    return;
  }

  c_.files.remove(capture_file());  // usually there is none yet; that is fine
  std::unique_ptr<platform::RecordFile> capture;
  try {
    capture = c_.files.create_record_file(capture_file());
    view.Image1_SetVisible(true);
    view.Command1_SetVisible(false);
    view.Label3_SetCaption("DATA-->PC");
    view.Label4_SetCaption(".");
    view.Label3_SetVisible(true);
    view.Label4_SetVisible(true);
    view.Form2_Refresh();

    const bool ended_by_dc4 = receive(*capture);
    if (!ended_by_dc4) {
      c_.seriell.CloseComPort();
      capture->close();
      show_idle_after_capture();
      if (ByteCount <= kMinimumBytesAfterSilence) {
        last_capture_end_ = CaptureEnd::kTooShort;
        return;
      }
    }
    c_.seriell.CloseComPort();
    capture->close();
  } catch (const platform::Failure& failure) {
    // The capture file could not be created or written: keep what is on disk, tell the
    // operator, and wait for the next click.
    c_.seriell.CloseComPort();
    if (capture) {
      try {
        capture->close();
      } catch (const platform::Failure&) {
      }
    }
    view.MsgBox("Capture file Error\rError Number: " + number_and_description(failure),
                convert::kCritical, "Error");
    show_idle_after_capture();
    last_capture_end_ = CaptureEnd::kCaptureFileFailed;
    return;
  }
  hand_off();
}

// Reads byte by byte until DC4 (true) or until the line has been silent too long (false).
bool Form2::receive(platform::RecordFile& capture) {
  View& view = c_.view;
  std::int16_t silence = 1;  // starts at 1: the first byte also shows ">>>"
  StxCount = 0;
  ByteCount = 0;
  for (;;) {
    std::int16_t no_byte = 0;
    const std::uint8_t byte = c_.seriell.ReadComByte(no_byte);
    if (no_byte == -1) {
      view.Label4_SetCaption(view.Label4_Caption() + ".");
      view.Label4_Refresh();
      silence = platform::add16(silence, 1);
      if (silence > kSilenceLimit) return false;
      continue;
    }
    if (silence > 0) {
      view.Label4_SetCaption(">>>");
      view.Label4_Refresh();
      silence = 0;
    }
    ByteCount = platform::add32(ByteCount, 1);
    capture.write(ByteCount, byte);
    // The bytes of one burst reach the file together, before the next read has to wait.
    if (!c_.seriell.byte_at_hand()) capture.flush();
    switch (byte) {
      case convert::kDC1:
        view.Image1_SetVisible(false);
        view.Image2_SetVisible(true);
        view.Form2_Refresh();
        break;
      case convert::kSTX:
        StxCount = platform::add32(StxCount, 1);
        view.Label4_SetCaption(std::to_string(StxCount));
        view.Label4_Refresh();
        break;
      case convert::kDC3:
        if (c_.module1.MaxStxCount < StxCount) c_.module1.MaxStxCount = StxCount;
        break;
      case convert::kDC4:
        return true;
      default:
        break;
    }
  }
}

void Form2::show_idle_after_capture() {
  View& view = c_.view;
  view.Image1_SetVisible(false);
  view.Command1_SetVisible(true);
  view.Label3_SetCaption("");
  view.Label4_SetCaption("");
  view.Label3_SetVisible(false);
  view.Label4_SetVisible(false);
  view.Combo1_SetEnabled(true);
}

// Shows the conversion's look and runs it; the program ends here whatever happens.
void Form2::hand_off() {
  View& view = c_.view;
  view.Label3_SetCaption("DATA-->EXCEL");
  view.Label4_SetCaption("");
  view.Image1_SetVisible(false);
  view.Image2_SetVisible(true);
  view.Combo1_SetEnabled(true);
  view.Form2_Refresh();
  try {
    c_.module1.ConvertCaptureFile();
  } catch (const platform::Failure& failure) {
    view.MsgBox(number_and_description(failure), convert::kCritical, "Error");
    c_.module1.QuitAfterFailure();
    c_.end_program(platform::kExitFailure);
  }
  c_.end_program(platform::kExitNormal);
}

}  // namespace schreiber::window
