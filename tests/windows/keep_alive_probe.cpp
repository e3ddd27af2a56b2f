// Watches schreiber.exe's window through a capture as the system would: presses the start
// button, then asks every quarter second whether the system takes the window for hung and
// whether a message sent to it is answered within 1 s, until the program has ended. It
// also notes the silence dots of the progress label: the read time-out the capture sees.
//
//   keep_alive_probe DOTS
//
// Exit status 0 when the window answered all the time and the label showed DOTS dots
// before the bytes came; a line on standard error says what failed, followed by what the
// probe saw of the button and the label, change by change.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32_api.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStartButton = 101;
constexpr int kLabel4 = 103;
constexpr UINT kAnswerWithinMs = 1000;

// What the probe saw, change by change: the account printed when the probe fails.
std::vector<std::string> seen;

void note(double seconds, bool start_visible, const std::wstring& caption) {
  std::string state = std::string(start_visible ? "shown" : "hidden") + ", label \"";
  for (wchar_t c : caption) state += c < 0x80 ? static_cast<char>(c) : '?';
  state += '"';
  static std::string last;
  if (state == last) return;
  last = state;
  char when[32];
  std::snprintf(when, sizeof when, "%6.2f s: start button ", seconds);
  seen.push_back(when + state);
}

int fail(const char* what, double seconds) {
  std::fprintf(stderr, "FAIL: %s, %.1f s into the capture\n", what, seconds);
  for (const std::string& line : seen) std::fprintf(stderr, "  %s\n", line.c_str());
  return 1;
}

std::wstring caption_of(HWND control) {
  wchar_t text[64] = {};
  GetWindowTextW(control, text, 64);
  return text;
}

// How many dots a caption has, when it has nothing but dots.
std::size_t dots_of(const std::wstring& caption) {
  return caption.find_first_not_of(L'.') == std::wstring::npos ? caption.size() : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t expected_dots = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1;
  HWND window = nullptr;
  for (int i = 0; i < 600 && window == nullptr; ++i) {
    window = FindWindowW(L"SchreiberForm2", nullptr);
    if (window == nullptr) Sleep(100);
  }
  if (window == nullptr) return fail("no window of schreiber.exe", 0);
  // The window exists before its controls do: they are looked up once it is shown.
  for (int i = 0; i < 100 && !IsWindowVisible(window); ++i) Sleep(100);
  Sleep(500);
  HWND start = GetDlgItem(window, kStartButton);
  HWND label = GetDlgItem(window, kLabel4);
  if (start == nullptr || label == nullptr)
    return fail("the window has no start button or label", 0);

  // The start button's click, as the button reports it to the window.
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(kStartButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(start));
  const auto started = Clock::now();
  const auto seconds = [&] {
    return std::chrono::duration<double>(Clock::now() - started).count();
  };
  int answered = 0;
  bool capturing = false;
  std::size_t dots = 0;
  while (IsWindow(window) && IsWindowVisible(window)) {
    const bool start_visible = IsWindowVisible(start) != 0;
    const std::wstring caption = caption_of(label);
    note(seconds(), start_visible, caption);
    if (!start_visible) {
      capturing = true;
      dots = std::max(dots, dots_of(caption));
    } else if (capturing) {
      return fail("the capture ended without a conversion", seconds());
    }
    if (IsHungAppWindow(window)) return fail("the system takes the window for hung", seconds());
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, kAnswerWithinMs, &result) != 0) {
      ++answered;
    } else if (IsWindow(window) && IsWindowVisible(window)) {
      return fail("a message sent to the window was not answered within 1 s", seconds());
    }
    if (seconds() > 120) return fail("the program did not end", seconds());
    Sleep(250);
  }
  if (!capturing) return fail("the capture never started", seconds());
  if (dots != expected_dots) {
    const std::string what = "the label showed " + std::to_string(dots) + " dots of silence, not " +
                             std::to_string(expected_dots);
    return fail(what.c_str(), seconds());
  }
  std::printf("the window answered %d messages in %.1f s of capture and conversion\n", answered,
              seconds());
  return 0;
}
