#include "window/headless_view.h"

#include <cstdio>
#include <iterator>

#include "platform/codepage.h"

namespace schreiber::window {
namespace {

const char* boolean(bool value) {
  return value ? "True" : "False";
}

}  // namespace

std::string quoted(const std::string& bytes) {
  std::string out = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    } else {
      out += platform::codepage_to_utf8(std::string(1, c));
    }
  }
  return out + "\"";
}

void HeadlessView::record(std::string operation) {
  if (on_operation) on_operation(operation);
  if (keep_) operations_.push_back(std::move(operation));
}

void HeadlessView::select(std::int16_t index) {
  state_.combo1_list_index = index;
  if (on_combo1_click) on_combo1_click();
}

void HeadlessView::pick(std::int16_t index) {
  record("Combo1 picked " + std::to_string(index));
  select(index);
}

void HeadlessView::Form2_Refresh() {
  record("Form2.Refresh");
}

void HeadlessView::Command1_SetVisible(bool visible) {
  state_.command1_visible = visible;
  record(std::string("Command1.Visible = ") + boolean(visible));
}

void HeadlessView::Combo1_SetEnabled(bool enabled) {
  state_.combo1_enabled = enabled;
  record(std::string("Combo1.Enabled = ") + boolean(enabled));
}

std::int16_t HeadlessView::Combo1_ListIndex() {
  return state_.combo1_list_index;
}

std::string HeadlessView::Combo1_List(std::int16_t index) {
  if (index < 0 || index >= static_cast<std::int16_t>(std::size(kComboEntries))) return "";
  return kComboEntries[index];
}

void HeadlessView::Combo1_SetText(const std::string& text) {
  record("Combo1.Text = " + quoted(text));
  for (std::size_t i = 0; i < std::size(kComboEntries); ++i) {
    if (text == kComboEntries[i]) {
      select(static_cast<std::int16_t>(i));
      return;
    }
  }
}

void HeadlessView::Label3_SetCaption(const std::string& caption) {
  state_.label3_caption = caption;
  record("Label3.Caption = " + quoted(caption));
}

void HeadlessView::Label3_SetVisible(bool visible) {
  state_.label3_visible = visible;
  record(std::string("Label3.Visible = ") + boolean(visible));
}

std::string HeadlessView::Label4_Caption() {
  return state_.label4_caption;
}

void HeadlessView::Label4_SetCaption(const std::string& caption) {
  state_.label4_caption = caption;
  record("Label4.Caption = " + quoted(caption));
}

void HeadlessView::Label4_SetVisible(bool visible) {
  state_.label4_visible = visible;
  record(std::string("Label4.Visible = ") + boolean(visible));
}

void HeadlessView::Label4_Refresh() {
  record("Label4.Refresh");
}

void HeadlessView::Image1_SetVisible(bool visible) {
  state_.image1_visible = visible;
  record(std::string("Image1.Visible = ") + boolean(visible));
}

void HeadlessView::Image2_SetVisible(bool visible) {
  state_.image2_visible = visible;
  record(std::string("Image2.Visible = ") + boolean(visible));
}

void HeadlessView::MsgBox(const std::string& prompt, int style, const std::string& title) {
  messages_.push_back({prompt, style, title});
  record("MsgBox " + quoted(prompt) + ", " + std::to_string(style) + ", " + quoted(title));
}

}  // namespace schreiber::window
