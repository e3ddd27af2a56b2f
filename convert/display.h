#pragma once
// What the conversion needs of the window: the progress label and a message box. The
// window's view offers these; the conversion never sees the toolkit.

#include <string>

namespace schreiber::convert {

// Message box styles, as the window toolkit numbers them.
enum MsgBoxStyle : int {
  kOkOnly = 0,
  kCritical = 16,  // the critical (stop) icon, also called the error icon; one OK button
  kQuestion = 32,
  kExclamation = 48,
  kInformation = 64,
  kIconStyles = 0x70,  // the bits of a style that pick its icon
};

class Display {
 public:
  virtual ~Display() = default;

  // Label4, the progress text. Captions are bytes of the single-byte code page.
  virtual std::string Label4_Caption() = 0;
  virtual void Label4_SetCaption(const std::string& caption) = 0;
  virtual void Label4_SetVisible(bool visible) = 0;
  // Repaints the label at once, inside the call.
  virtual void Label4_Refresh() = 0;

  // A modal message box with one OK button; returns when the operator has closed it.
  // Lines of the prompt are separated by carriage returns.
  virtual void MsgBox(const std::string& prompt, int style, const std::string& title) = 0;
};

}  // namespace schreiber::convert
