#pragma once
// The window Form2 as the logic sees it: the operations on its controls, under the names
// of the controls and their properties. Views: headless (records every operation), Qt
// (Linux), Win32 (Windows). The logic in window/ never includes a toolkit header.

#include <cstdint>
#include <string>

#include "convert/display.h"

namespace schreiber::window {

class View : public convert::Display {
 public:
  // Repaints the whole window at once, inside the call.
  virtual void Form2_Refresh() = 0;

  virtual void Command1_SetVisible(bool visible) = 0;

  virtual void Combo1_SetEnabled(bool enabled) = 0;
  // Index of the selected entry, -1 when none.
  virtual std::int16_t Combo1_ListIndex() = 0;
  // Text of the entry with this index; empty for an index outside the list.
  virtual std::string Combo1_List(std::int16_t index) = 0;
  // Selects the entry whose text equals `text` (no change when none does). A view may
  // deliver the selection event (Form2::Combo1_Click) from inside this call.
  virtual void Combo1_SetText(const std::string& text) = 0;

  virtual void Label3_SetCaption(const std::string& caption) = 0;
  virtual void Label3_SetVisible(bool visible) = 0;

  virtual void Image1_SetVisible(bool visible) = 0;
  virtual void Image2_SetVisible(bool visible) = 0;

  // Lets a real window answer its desktop while a handler runs: the window manager's
  // ping, repaints of what is already shown, moves of its frame. Input and close
  // requests are left for after the handler, no handler runs, and nothing shown changes.
  // Called while a read waits for the line; a window also does it after each Refresh.
  // A view without a screen has nothing to do (and records nothing).
  virtual void keep_alive() {}
};

}  // namespace schreiber::window
