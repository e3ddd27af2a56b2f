#pragma once
// The shared string table (SST record and its CONTINUE records) and its index (EXTSST).
// The strings of the template stay in their records byte for byte; new strings are
// appended after the last one, continuing into new CONTINUE records as they fill.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace xls {

class SharedStrings {
 public:
  // parts: the SST body followed by the bodies of its CONTINUE records. Throws Error.
  void load(std::vector<std::string_view> parts);

  bool present() const { return present_; }
  std::size_t size() const { return texts_.size(); }
  // nullptr for an index the table does not have.
  const std::u16string* find(std::uint32_t index) const;

  // Index of a plain (unformatted) string with this text; appended if there is none.
  std::uint32_t add(std::u16string_view text);

  // Where each string starts, and the bodies of the SST record and its CONTINUE records.
  struct Position {
    std::uint32_t part;
    std::uint32_t offset;
  };
  struct Serialized {
    std::vector<std::string> bodies;
    std::vector<Position> positions;
  };
  Serialized serialize(std::uint32_t total_references) const;

  // EXTSST body for a serialized table whose SST record begins at `sst_position`.
  static std::string index_body(const Serialized& table, std::uint32_t sst_position);

 private:
  bool present_ = false;
  std::vector<std::string_view> parts_;  // the template's records, cut after its last string
  std::deque<std::u16string> texts_;     // a deque: the lookup's views stay valid as it grows
  std::vector<bool> plain_;
  std::vector<Position> positions_;  // of the template's strings
  std::size_t loaded_ = 0;           // how many strings came from the template
  std::unordered_map<std::u16string_view, std::uint32_t> lookup_;
  bool lookup_built_ = false;
};

}  // namespace xls
