#include "xls/compound_file.h"

#include <algorithm>
#include <cstring>

#include "xls/compound_file_layout.h"
#include "xls/error.h"
#include "xls/little_endian.h"
#include "xls/text.h"

namespace xls {

using namespace cfb;

std::u16string DirectoryEntry::name() const {
  const std::size_t bytes =
      std::min<std::size_t>(get_u16(raw.data() + kEntryNameLength), kNameBytes);
  std::u16string out;
  for (std::size_t i = 0; i + 1 < bytes; i += 2) {
    const char16_t c = get_u16(raw.data() + i);
    if (c == 0) break;
    out.push_back(c);
  }
  return out;
}

std::uint32_t DirectoryEntry::left() const {
  return get_u32(raw.data() + kEntryLeft);
}
std::uint32_t DirectoryEntry::right() const {
  return get_u32(raw.data() + kEntryRight);
}
std::uint32_t DirectoryEntry::child() const {
  return get_u32(raw.data() + kEntryChild);
}
std::uint32_t DirectoryEntry::start_sector() const {
  return get_u32(raw.data() + kEntryStart);
}

std::uint64_t DirectoryEntry::stream_size(int major_version) const {
  // Version 3 files may carry garbage in the high half of the size; it is not part of it.
  return major_version == 3 ? get_u32(raw.data() + kEntrySize64)
                            : get_u64(raw.data() + kEntrySize64);
}

namespace {

// Follows sector chains through an allocation table over a run of equal-sized sectors,
// refusing chains that leave the data, loop or end early.
class ChainReader {
 public:
  ChainReader(std::string_view data, std::uint32_t sector_size,
              const std::vector<std::uint32_t>& table, const char* kind)
      : data_(data),
        sector_size_(sector_size),
        count_(static_cast<std::uint32_t>(data.size() / sector_size)),
        table_(table),
        kind_(kind),
        seen_(count_, 0) {}

  std::uint32_t count() const { return count_; }

  // The sectors of a chain of exactly `needed` sectors (or up to its end when needed is 0).
  std::vector<std::uint32_t> follow(std::uint32_t start, std::uint64_t needed,
                                    const std::string& what) {
    ++stamp_;
    std::vector<std::uint32_t> chain;
    std::uint32_t sector = start;
    while (needed == 0 || chain.size() < needed) {
      if (sector == kEndOfChain && needed == 0) break;
      if (sector >= kMaxRegularSector) {
        throw Error(ErrorKind::unreadable,
                    what + " ends before its length (" + kind_ + " chain broken)");
      }
      if (sector >= count_) {
        throw Error(ErrorKind::unreadable, what + " points to " + kind_ + " sector " +
                                               std::to_string(sector) +
                                               ", beyond the end of the data (truncated file?)");
      }
      if (sector >= table_.size()) {
        throw Error(ErrorKind::unreadable, what + " uses " + kind_ + " sector " +
                                               std::to_string(sector) +
                                               ", which its allocation table does not cover");
      }
      if (seen_[sector] == stamp_) {
        throw Error(ErrorKind::unreadable,
                    what + " loops back to " + kind_ + " sector " + std::to_string(sector));
      }
      seen_[sector] = stamp_;
      chain.push_back(sector);
      sector = table_[sector];
    }
    return chain;
  }

  std::string read(std::uint32_t start, std::uint64_t size, const std::string& what) {
    if (size > static_cast<std::uint64_t>(count_) * sector_size_) {
      throw Error(ErrorKind::unreadable,
                  what + " claims " + std::to_string(size) + " bytes, more than the file holds");
    }
    const std::uint64_t needed = (size + sector_size_ - 1) / sector_size_;
    std::string out;
    if (needed == 0) return out;
    out.reserve(needed * sector_size_);
    for (std::uint32_t sector : follow(start, needed, what)) {
      out.append(data_.substr(static_cast<std::size_t>(sector) * sector_size_, sector_size_));
    }
    out.resize(static_cast<std::size_t>(size));
    return out;
  }

 private:
  std::string_view data_;
  std::uint32_t sector_size_;
  std::uint32_t count_;
  const std::vector<std::uint32_t>& table_;
  std::string kind_;
  std::vector<std::uint32_t> seen_;
  std::uint32_t stamp_ = 0;
};

std::vector<std::uint32_t> read_table(std::string_view bytes) {
  std::vector<std::uint32_t> table(bytes.size() / kSectorNumberSize);
  for (std::size_t i = 0; i < table.size(); ++i)
    table[i] = get_u32(bytes.data() + kSectorNumberSize * i);
  return table;
}

// The sector numbers of the FAT: the first 109 in the header, the rest in the DIFAT chain.
std::vector<std::uint32_t> fat_sector_list(std::string_view header, std::string_view sectors,
                                           std::uint32_t sector_size, std::uint32_t sector_count) {
  const std::uint32_t fat_count = get_u32(header.data() + kHeaderFatSectors);
  std::uint32_t difat_count = get_u32(header.data() + kHeaderDifatSectors);
  if (fat_count > sector_count || difat_count > sector_count) {
    throw Error(ErrorKind::unreadable,
                "its header counts more FAT sectors than the file holds (truncated file?)");
  }
  std::vector<std::uint32_t> list;
  for (std::uint32_t i = 0; i < kHeaderFatEntries && list.size() < fat_count; ++i) {
    list.push_back(get_u32(header.data() + kHeaderDifat + kSectorNumberSize * i));
  }
  std::uint32_t next = get_u32(header.data() + kHeaderFirstDifat);
  const std::uint32_t per_sector = numbers_per_sector(sector_size) - 1;  // then the next
  for (; list.size() < fat_count && difat_count > 0; --difat_count) {
    if (next >= sector_count)
      throw Error(ErrorKind::unreadable, "its DIFAT chain leaves the file (truncated file?)");
    const char* p = sectors.data() + static_cast<std::size_t>(next) * sector_size;
    for (std::uint32_t i = 0; i < per_sector && list.size() < fat_count; ++i) {
      list.push_back(get_u32(p + kSectorNumberSize * i));
    }
    next = get_u32(p + kSectorNumberSize * per_sector);
  }
  if (list.size() < fat_count)
    throw Error(ErrorKind::unreadable, "its DIFAT lists fewer FAT sectors than the header counts");
  return list;
}

void walk_tree(std::vector<DirectoryEntry>& entries) {
  if (entries.empty() || entries[0].type() != EntryType::root) {
    throw Error(ErrorKind::unreadable, "its directory does not begin with the root entry");
  }
  entries[0].in_tree = true;
  std::vector<std::uint32_t> pending{0};
  while (!pending.empty()) {
    const std::uint32_t storage = pending.back();
    pending.pop_back();
    std::vector<std::uint32_t> siblings{entries[storage].child()};
    while (!siblings.empty()) {
      const std::uint32_t index = siblings.back();
      siblings.pop_back();
      if (index == kNoStream) continue;
      if (index >= entries.size())
        throw Error(ErrorKind::unreadable, "its directory links to a missing entry");
      DirectoryEntry& entry = entries[index];
      if (entry.in_tree)
        throw Error(ErrorKind::unreadable,
                    "its directory tree loops back to entry " + std::to_string(index));
      if (entry.type() != EntryType::storage && entry.type() != EntryType::stream) {
        throw Error(ErrorKind::unreadable, "its directory tree links to an unused entry");
      }
      if (get_u16(entry.raw.data() + kEntryNameLength) > kNameBytes) {
        throw Error(ErrorKind::unreadable,
                    "its directory holds an entry with a name longer than 31 characters");
      }
      entry.in_tree = true;
      entry.parent = storage;
      siblings.push_back(entry.left());
      siblings.push_back(entry.right());
      if (entry.type() == EntryType::storage) pending.push_back(index);
    }
  }
}

}  // namespace

CompoundFile CompoundFile::parse(std::string_view bytes) {
  if (bytes.size() < sizeof kSignature ||
      std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0) {
    throw Error(ErrorKind::unreadable, "it is not a compound document (OLE2) file");
  }
  if (bytes.size() < kHeaderSize)
    throw Error(ErrorKind::unreadable, "it is truncated (shorter than a compound file header)");
  CompoundFile file;
  std::memcpy(file.header_.data(), bytes.data(), kHeaderSize);
  const char* h = file.header_.data();
  file.major_version_ = get_u16(h + kHeaderMajorVersion);
  const std::uint16_t shift = get_u16(h + kHeaderSectorShift);
  if ((file.major_version_ != 3 && file.major_version_ != 4) ||
      get_u16(h + kHeaderByteOrder) != kByteOrderMark ||
      (shift != kSectorShiftVersion3 && shift != kSectorShiftVersion4) ||
      get_u16(h + kHeaderMiniSectorShift) != kMiniSectorShift ||
      get_u32(h + kHeaderMiniCutoff) != kMiniStreamCutoff) {
    throw Error(ErrorKind::unreadable,
                "its compound file header is invalid or of an unknown version");
  }
  const std::uint32_t sector_size = 1u << shift;
  if (bytes.size() < sector_size)
    throw Error(ErrorKind::unreadable, "it is truncated (shorter than its first sector)");

  // Sector n starts at (n + 1) * sector size; a short last sector reads as if zero-padded.
  std::string sectors(bytes.substr(sector_size));
  sectors.resize((sectors.size() + sector_size - 1) / sector_size * sector_size, '\0');
  const auto sector_count = static_cast<std::uint32_t>(
      std::min<std::size_t>(sectors.size() / sector_size, kMaxRegularSector));

  std::string fat_bytes;
  for (std::uint32_t sector :
       fat_sector_list({h, kHeaderSize}, sectors, sector_size, sector_count)) {
    if (sector >= sector_count)
      throw Error(ErrorKind::unreadable,
                  "its FAT lies beyond the end of the file (truncated file?)");
    fat_bytes.append(sectors, static_cast<std::size_t>(sector) * sector_size, sector_size);
  }
  const std::vector<std::uint32_t> fat = read_table(fat_bytes);
  ChainReader regular(sectors, sector_size, fat, "regular");

  std::string directory;
  for (std::uint32_t sector :
       regular.follow(get_u32(h + kHeaderFirstDirectory), 0, "its directory")) {
    directory.append(sectors, static_cast<std::size_t>(sector) * sector_size, sector_size);
  }
  file.entries_.resize(directory.size() / kEntrySize);
  for (std::size_t i = 0; i < file.entries_.size(); ++i) {
    std::memcpy(file.entries_[i].raw.data(), directory.data() + i * kEntrySize, kEntrySize);
  }
  walk_tree(file.entries_);

  const DirectoryEntry& root = file.entries_[0];
  const std::string mini_stream =
      regular.read(root.start_sector(), root.stream_size(file.major_version_), "its mini stream");
  std::string mini_fat_bytes;
  const std::uint32_t mini_fat_sectors = get_u32(h + kHeaderMiniFatSectors);
  if (mini_fat_sectors > 0) {
    for (std::uint32_t sector :
         regular.follow(get_u32(h + kHeaderFirstMiniFat), std::min(mini_fat_sectors, sector_count),
                        "its mini FAT")) {
      mini_fat_bytes.append(sectors, static_cast<std::size_t>(sector) * sector_size, sector_size);
    }
  }
  const std::vector<std::uint32_t> mini_fat = read_table(mini_fat_bytes);
  std::string padded_mini = mini_stream;
  padded_mini.resize((padded_mini.size() + kMiniSectorSize - 1) / kMiniSectorSize *
                     kMiniSectorSize);
  ChainReader mini(padded_mini, kMiniSectorSize, mini_fat, "mini");

  for (std::size_t i = 1; i < file.entries_.size(); ++i) {
    DirectoryEntry& entry = file.entries_[i];
    if (!entry.in_tree || entry.type() != EntryType::stream) continue;
    const std::uint64_t size = entry.stream_size(file.major_version_);
    const std::string what = "stream '" + utf16_to_utf8(entry.name()) + "'";
    entry.data = size < kMiniStreamCutoff ? mini.read(entry.start_sector(), size, what)
                                          : regular.read(entry.start_sector(), size, what);
  }
  return file;
}

std::optional<std::size_t> CompoundFile::find_root_stream(std::u16string_view name) const {
  for (std::size_t i = 1; i < entries_.size(); ++i) {
    const DirectoryEntry& entry = entries_[i];
    if (entry.in_tree && entry.parent == 0 && entry.type() == EntryType::stream &&
        equal_ignoring_case(entry.name(), name)) {
      return i;
    }
  }
  return std::nullopt;
}

}  // namespace xls
