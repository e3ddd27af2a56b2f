#include "comm/device_settings.h"

#include <array>
#include <charconv>
#include <string>
#include <utility>

#include "platform/case_fold.h"

namespace schreiber::comm {

namespace {

std::optional<std::uint32_t> parse_number(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The mode command takes the first two digits of the classic rates as short forms.
std::uint32_t expand_short_baud(std::uint32_t baud) {
  static constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 9> kShortForms{{
      {11, 110},
      {15, 150},
      {30, 300},
      {60, 600},
      {12, 1200},
      {24, 2400},
      {48, 4800},
      {96, 9600},
      {19, 19200},
  }};
  for (const auto& [short_form, rate] : kShortForms) {
    if (baud == short_form) return rate;
  }
  return baud;
}

bool set_parity(const std::string& value, Dcb& dcb) {
  if (value == "n") {
    dcb.parity = Parity::kNone;
  } else if (value == "e") {
    dcb.parity = Parity::kEven;
  } else if (value == "o") {
    dcb.parity = Parity::kOdd;
  } else if (value == "m") {
    dcb.parity = Parity::kMark;
  } else if (value == "s") {
    dcb.parity = Parity::kSpace;
  } else {
    return false;
  }
  return true;
}

bool set_stop_bits(const std::string& value, Dcb& dcb) {
  if (value == "1") {
    dcb.stop_bits = StopBits::kOne;
  } else if (value == "1.5") {
    dcb.stop_bits = StopBits::kOnePointFive;
  } else if (value == "2") {
    dcb.stop_bits = StopBits::kTwo;
  } else {
    return false;
  }
  return true;
}

// Keys of the mode command that switch handshakes. The port always runs without any, so
// only the values that say exactly that are accepted.
bool handshake_value_matches_line(const std::string& key, const std::string& value) {
  if (key == "xon" || key == "odsr" || key == "octs" || key == "idsr") return value == "off";
  if (key == "dtr" || key == "rts") return value == "on";
  return false;
}

bool apply_pair(const std::string& key, const std::string& value, Dcb& dcb) {
  if (value.empty()) return false;
  if (key == "baud") {
    const auto baud = parse_number(value);
    if (!baud || *baud == 0) return false;
    dcb.baud_rate = expand_short_baud(*baud);
    return true;
  }
  if (key == "parity") return set_parity(value, dcb);
  if (key == "data") {
    const auto bits = parse_number(value);
    if (!bits || *bits < 5 || *bits > 8) return false;
    dcb.byte_size = static_cast<std::uint8_t>(*bits);
    return true;
  }
  if (key == "stop") return set_stop_bits(value, dcb);
  return handshake_value_matches_line(key, value);
}

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::optional<Dcb> parse_device_settings(std::string_view text, const Dcb& dcb) {
  Dcb result = dcb;
  bool any_pair = false;
  std::size_t position = 0;
  while (position < text.size()) {
    if (is_blank(text[position])) {
      ++position;
      continue;
    }
    std::size_t end = position;
    while (end < text.size() && !is_blank(text[end])) ++end;
    const std::string_view word = text.substr(position, end - position);
    position = end;
    const std::size_t equals = word.find('=');
    if (equals == std::string_view::npos || equals == 0) return std::nullopt;
    if (!apply_pair(platform::fold_case(word.substr(0, equals)),
                    platform::fold_case(word.substr(equals + 1)), result)) {
      return std::nullopt;
    }
    any_pair = true;
  }
  if (!any_pair) return std::nullopt;
  // Five data bits go with one or one and a half stop bits, more data bits with one or two.
  if (result.stop_bits == StopBits::kOnePointFive && result.byte_size != 5) return std::nullopt;
  if (result.stop_bits == StopBits::kTwo && result.byte_size == 5) return std::nullopt;
  return result;
}

}  // namespace schreiber::comm
