#include "xls/shared_strings.h"

#include <algorithm>

#include "xls/biff_string.h"
#include "xls/error.h"
#include "xls/little_endian.h"
#include "xls/record_ids.h"

namespace xls {

void SharedStrings::load(std::vector<std::string_view> parts) {
  if (parts.empty() || parts[0].size() < 8)
    throw Error(ErrorKind::unreadable, "its shared string table is too short");
  ContinuedReader reader(parts);
  reader.u32();  // total number of references; recounted on save
  const std::uint32_t unique = reader.u32();
  for (std::uint32_t i = 0; i < unique && reader.settle(); ++i) {
    positions_.push_back(
        {static_cast<std::uint32_t>(reader.part()), static_cast<std::uint32_t>(reader.offset())});
    const std::uint16_t count = reader.u16();
    const std::uint8_t flags = reader.u8();
    const std::uint16_t runs = (flags & kRichString) ? reader.u16() : 0;
    const std::uint32_t extra = (flags & kExtString) ? reader.u32() : 0;
    texts_.push_back(reader.chars(count, flags & kHighByte));
    reader.skip(4u * runs);
    reader.skip(extra);
    plain_.push_back(runs == 0 && !(flags & kExtString));
  }
  // Anything after the last string is dropped, so that new strings follow it directly.
  const std::size_t end_part = std::min(reader.part(), parts.size() - 1);
  parts.resize(end_part + 1);
  parts.back() =
      parts.back().substr(0, reader.part() < parts.size() ? reader.offset() : parts.back().size());
  parts_ = std::move(parts);
  loaded_ = texts_.size();
  present_ = true;
}

const std::u16string* SharedStrings::find(std::uint32_t index) const {
  return index < texts_.size() ? &texts_[index] : nullptr;
}

std::uint32_t SharedStrings::add(std::u16string_view text) {
  if (!lookup_built_) {
    lookup_.reserve(texts_.size());
    for (std::size_t i = 0; i < texts_.size(); ++i) {
      if (plain_[i]) lookup_.emplace(texts_[i], static_cast<std::uint32_t>(i));
    }
    lookup_built_ = true;
  }
  if (const auto found = lookup_.find(text); found != lookup_.end()) return found->second;
  const auto index = static_cast<std::uint32_t>(texts_.size());
  texts_.emplace_back(text);
  plain_.push_back(true);
  lookup_.emplace(texts_.back(), index);
  return index;
}

SharedStrings::Serialized SharedStrings::serialize(std::uint32_t total_references) const {
  Serialized table;
  for (std::string_view part : parts_) table.bodies.emplace_back(part);
  if (table.bodies.empty()) table.bodies.emplace_back(8, '\0');
  set_u32(table.bodies[0].data(), total_references);
  set_u32(table.bodies[0].data() + 4, static_cast<std::uint32_t>(texts_.size()));
  table.positions = positions_;

  const auto room = [&] { return rec::kMaxRecordData - table.bodies.back().size(); };
  for (std::size_t i = loaded_; i < texts_.size(); ++i) {
    const std::u16string& text = texts_[i];
    const bool compressed = fits_compressed(text);
    const std::size_t width = compressed ? 1 : 2;
    // The 3-byte header and the first character share a record; a header is never split.
    if (room() < 3 + (text.empty() ? 0 : width)) table.bodies.emplace_back();
    table.positions.push_back({static_cast<std::uint32_t>(table.bodies.size() - 1),
                               static_cast<std::uint32_t>(table.bodies.back().size())});
    put_u16(table.bodies.back(), static_cast<std::uint16_t>(text.size()));
    put_u8(table.bodies.back(), compressed ? 0 : kHighByte);
    for (std::size_t done = 0; done < text.size();) {
      if (room() < width) {
        table.bodies.emplace_back();
        put_u8(table.bodies.back(), compressed ? 0 : kHighByte);
      }
      const std::size_t take = std::min(text.size() - done, room() / width);
      append_chars(table.bodies.back(), std::u16string_view(text).substr(done, take), compressed);
      done += take;
    }
  }
  return table;
}

std::string SharedStrings::index_body(const Serialized& table, std::uint32_t sst_position) {
  // Stream position where each record's body begins.
  std::vector<std::uint32_t> body_start;
  std::uint32_t position = sst_position;
  for (const std::string& body : table.bodies) {
    body_start.push_back(position + 4);
    position += static_cast<std::uint32_t>(4 + body.size());
  }
  const std::size_t unique = table.positions.size();
  const std::size_t per_bucket = std::max<std::size_t>(unique / 128 + 1, 8);
  std::string out;
  put_u16(out, static_cast<std::uint16_t>(per_bucket));
  for (std::size_t i = 0; i < unique; i += per_bucket) {
    const Position& start = table.positions[i];
    put_u32(out, body_start[start.part] + start.offset);
    put_u16(out, static_cast<std::uint16_t>(4 + start.offset));  // from the record's header
    put_u16(out, 0);
  }
  return out;
}

}  // namespace xls
