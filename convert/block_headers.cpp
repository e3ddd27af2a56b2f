#include "convert/block_headers.h"

#include <cstdint>

#include "convert/control_bytes.h"
#include "convert/module1.h"
#include "platform/checked_int.h"
#include "platform/file_names.h"

namespace schreiber::convert {
namespace {

inline constexpr unsigned char kHighestDroppedCode = 30;

// Decimal, padded with leading zeros to `width` digits.
std::string padded(int value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (value >= 0 && digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

void default_if_empty(std::string& field, const std::string& value) {
  if (field.empty()) field = value;
}

}  // namespace

HeaderFields decode_header(const std::string& header) {
  const auto length =
      platform::narrow_or_overflow<std::int16_t>(static_cast<std::int64_t>(header.size()));
  HeaderFields fields;
  std::int16_t counter = 0;  // 0: the label before the first separator
  for (std::int16_t position = 0; position < length; ++position) {
    const char c = header[static_cast<std::size_t>(position)];
    if (static_cast<unsigned char>(c) > kHighestDroppedCode && counter >= 1 && counter <= 6) {
      fields.field[static_cast<std::size_t>(counter - 1)].push_back(c);
    }
    if (c == kETX || c == kSTX) counter = platform::add16(counter, 1);
  }
  return fields;
}

void apply_defaults(HeaderFields& fields, const platform::DateTime& now,
                    const std::string& date_separator) {
  default_if_empty(fields.field[1], "1");
  fields.field[1] += ".xls";
  default_if_empty(fields.field[2], "1");
  default_if_empty(fields.field[3], "1");
  default_if_empty(fields.field[4], "kein Kommentar");
  if (fields.field[5].empty()) fields.field[5] = date_text(now, date_separator);
}

std::string normalised_header(const HeaderFields& fields) {
  std::string header = "001";
  header += kSTX;
  for (std::size_t i = 0; i < fields.field.size(); ++i) {
    if (i > 0) header += kETX;
    header += fields.field[i];
  }
  return header;
}

std::string date_text(const platform::DateTime& date, const std::string& separator) {
  return padded(date.day, 2) + separator + padded(date.month, 2) + separator + padded(date.year, 4);
}

std::string time_stamp(const platform::DateTime& now) {
  return std::to_string(now.year) + padded(now.month, 2) + padded(now.day, 2) + "_" +
         padded(now.hour, 2) + padded(now.minute, 2);
}

std::string trim_spaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string file_name_safe(std::string name) {
  for (char& c : name) {
    if (platform::path_characters().find(c) != std::string_view::npos) c = '_';
  }
  return name;
}

void Module1::ProcessBlocks(const std::int16_t& last_block) {
  const std::int16_t last = last_block;
  for (std::int16_t block = 0; block <= last; block = platform::add16(block, 1)) {
    HeaderFields fields = decode_header(BlockTable.at(block, 0));
    apply_defaults(fields, context_.clock.now(), context_.regional.date_separator);
    BlockTable.element(block, 0) = normalised_header(fields);

    std::string workbook_name = fields.name() + "_" + time_stamp(context_.clock.now());
    if (fields.export_switch() == "1") {
      workbook_name += ".xls";
      export_block(block, file_name_safe(trim_spaces(workbook_name)),
                   file_name_safe(fields.template_name()));
    }
  }
}

}  // namespace schreiber::convert
