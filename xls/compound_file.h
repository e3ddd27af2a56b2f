#pragma once
// The OLE2 compound file that holds a workbook: a small file system of streams and
// storages in fixed-size sectors. parse() reads every stream of the directory tree;
// serialize() lays the same tree out afresh. Directory entries keep their 128 raw bytes,
// so names, class ids, state bits and time stamps survive; only where a stream lives and
// how long it is get rewritten.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xls/compound_file_layout.h"

namespace xls {

enum class EntryType : std::uint8_t { empty = 0, storage = 1, stream = 2, root = 5 };

struct DirectoryEntry {
  std::array<char, cfb::kEntrySize> raw{};
  std::string data;      // contents, for streams
  bool in_tree = false;  // reachable from the root entry; others are written as free slots
  std::uint32_t parent = cfb::kNoStream;  // the storage whose tree holds it

  EntryType type() const { return static_cast<EntryType>(raw[cfb::kEntryType]); }
  std::u16string name() const;
  std::uint32_t left() const;
  std::uint32_t right() const;
  std::uint32_t child() const;
  std::uint32_t start_sector() const;
  std::uint64_t stream_size(int major_version) const;
};

class CompoundFile {
 public:
  // Throws Error with a description of what is wrong (no file name: the caller adds it).
  static CompoundFile parse(std::string_view bytes);

  // A new file (version 3: 512-byte sectors) with these streams directly under the root.
  static CompoundFile create(const std::vector<std::pair<std::u16string, std::string>>& streams);

  // The stream directly under the root with this name, compared without case.
  std::optional<std::size_t> find_root_stream(std::u16string_view name) const;

  std::size_t entry_count() const { return entries_.size(); }
  const DirectoryEntry& entry(std::size_t index) const { return entries_.at(index); }
  void set_stream(std::size_t index, std::string data) {
    entries_.at(index).data = std::move(data);
  }
  std::string take_stream(std::size_t index) { return std::move(entries_.at(index).data); }
  int major_version() const { return major_version_; }

  std::string serialize() const { return serialize_with(entries_.size(), {}); }
  // As serialize(), with `data` in place of the contents of entry `index`.
  std::string serialize_with(std::size_t index, std::string_view data) const;

 private:
  std::array<char, cfb::kHeaderSize> header_{};
  int major_version_ = 3;
  std::vector<DirectoryEntry> entries_;
};

}  // namespace xls
