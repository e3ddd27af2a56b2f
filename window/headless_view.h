#pragma once
// A view without a screen: it keeps the controls' state, records every operation the
// logic performs as one line of text, and hands each line to an observer. Used by the
// tests and by schreiber-cli.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "window/form2_design.h"
#include "window/view.h"

namespace schreiber::window {

struct ControlState {
  bool command1_visible = true;
  bool combo1_enabled = true;
  std::int16_t combo1_list_index = -1;
  std::string label3_caption = kLabel3DesignCaption;
  bool label3_visible = false;
  std::string label4_caption = kLabel4DesignCaption;
  bool label4_visible = false;
  bool image1_visible = false;
  bool image2_visible = false;

  bool operator==(const ControlState&) const = default;
};

struct Message {
  std::string prompt;
  int style = 0;
  std::string title;

  bool operator==(const Message&) const = default;
};

class HeadlessView : public View {
 public:
  // Whether operations are kept in operations() (an observer sees them either way).
  explicit HeadlessView(bool keep_operations = true) : keep_(keep_operations) {}

  // The selection event, raised when the selection changes (also from Combo1_SetText).
  std::function<void()> on_combo1_click;
  // Sees every operation as it happens, as the same line operations() keeps.
  std::function<void(const std::string&)> on_operation;

  // The operator picks entry `index` of the list.
  void pick(std::int16_t index);

  const ControlState& state() const { return state_; }
  const std::vector<std::string>& operations() const { return operations_; }
  const std::vector<Message>& messages() const { return messages_; }
  void clear_operations() { operations_.clear(); }

  void Form2_Refresh() override;
  void Command1_SetVisible(bool visible) override;
  void Combo1_SetEnabled(bool enabled) override;
  std::int16_t Combo1_ListIndex() override;
  std::string Combo1_List(std::int16_t index) override;
  void Combo1_SetText(const std::string& text) override;
  void Label3_SetCaption(const std::string& caption) override;
  void Label3_SetVisible(bool visible) override;
  std::string Label4_Caption() override;
  void Label4_SetCaption(const std::string& caption) override;
  void Label4_SetVisible(bool visible) override;
  void Label4_Refresh() override;
  void Image1_SetVisible(bool visible) override;
  void Image2_SetVisible(bool visible) override;
  void MsgBox(const std::string& prompt, int style, const std::string& title) override;

 private:
  void record(std::string operation);
  void select(std::int16_t index);

  bool keep_;
  ControlState state_;
  std::vector<std::string> operations_;
  std::vector<Message> messages_;
};

// A caption or prompt as one printable line: code-page bytes as UTF-8, control
// characters as \r, \n, \t or \xNN, and the text in double quotes.
std::string quoted(const std::string& bytes);

}  // namespace schreiber::window
