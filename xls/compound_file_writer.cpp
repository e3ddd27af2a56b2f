// Lays a compound file out afresh, in three steps: plan where every part goes (regular
// streams, the mini stream, the directory, the mini FAT, then the FAT and DIFAT sectors
// that describe them all), write the header from the plan, then emit the sectors.

#include <algorithm>
#include <cstring>

#include "xls/compound_file.h"
#include "xls/compound_file_layout.h"
#include "xls/little_endian.h"
#include "xls/text.h"

namespace xls {

using namespace cfb;

namespace {

using RawEntry = std::array<char, kEntrySize>;

std::uint64_t sectors_for(std::uint64_t bytes, std::uint32_t sector_size) {
  return (bytes + sector_size - 1) / sector_size;
}

// Appends a chain of `count` consecutive sectors starting at `first` to the table.
void chain(std::vector<std::uint32_t>& table, std::uint32_t first, std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    table[first + i] = (i + 1 == count) ? kEndOfChain : static_cast<std::uint32_t>(first + i + 1);
  }
}

void append_table(std::string& out, const std::vector<std::uint32_t>& table, std::size_t from,
                  std::size_t count) {
  for (std::size_t i = from; i < from + count; ++i)
    put_u32(out, i < table.size() ? table[i] : kFreeSector);
}

RawEntry free_entry() {
  RawEntry raw{};
  set_u32(raw.data() + kEntryLeft, kNoStream);
  set_u32(raw.data() + kEntryRight, kNoStream);
  set_u32(raw.data() + kEntryChild, kNoStream);
  return raw;
}

// Where every part of the file goes, worked out before a byte is written. Sectors are
// numbered in file order: regular streams, mini stream, directory, mini FAT, FAT, DIFAT.
struct Plan {
  int major_version = 3;
  std::uint32_t sector_size = 0;
  std::vector<std::string_view> contents;    // of each entry's stream
  std::vector<RawEntry> entries;             // the directory as it will be written
  std::vector<std::size_t> regular_streams;  // entries with sectors of their own, in order
  std::string mini_stream;                   // the small streams, each padded to mini sectors
  std::vector<std::uint32_t> mini_fat;

  std::uint64_t regular_sectors = 0;
  std::uint64_t mini_stream_sectors = 0;
  std::uint64_t directory_sectors = 0;
  std::uint64_t mini_fat_sectors = 0;
  std::uint64_t fat_sectors = 0;
  std::uint64_t difat_sectors = 0;

  std::vector<std::uint32_t> fat;
  std::uint32_t first_directory = 0;
  std::uint32_t first_mini_fat = kEndOfChain;
  std::uint32_t first_fat = 0;
  std::uint32_t first_difat = kEndOfChain;

  std::uint32_t table_entries() const { return numbers_per_sector(sector_size); }
  std::uint64_t data_sectors() const {
    return regular_sectors + mini_stream_sectors + directory_sectors + mini_fat_sectors;
  }
};

// Which streams go to the mini stream, where each of those starts there, and each entry's
// size; a free slot for every entry outside the tree.
void place_streams(Plan& plan, const std::vector<DirectoryEntry>& entries) {
  plan.entries.resize(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const DirectoryEntry& entry = entries[i];
    plan.entries[i] = entry.in_tree ? entry.raw : free_entry();
    if (!entry.in_tree || entry.type() != EntryType::stream) continue;
    char* raw = plan.entries[i].data();
    const std::string_view data = plan.contents[i];
    set_u64(raw + kEntrySize64, data.size());
    if (data.empty()) {
      set_u32(raw + kEntryStart, kEndOfChain);
    } else if (data.size() < kMiniStreamCutoff) {
      const auto first = static_cast<std::uint32_t>(plan.mini_fat.size());
      const std::uint64_t count = sectors_for(data.size(), kMiniSectorSize);
      plan.mini_fat.resize(first + count);
      chain(plan.mini_fat, first, count);
      set_u32(raw + kEntryStart, first);
      plan.mini_stream += data;
      plan.mini_stream.resize(plan.mini_fat.size() * kMiniSectorSize, '\0');
    } else {
      plan.regular_streams.push_back(i);
      plan.regular_sectors += sectors_for(data.size(), plan.sector_size);
    }
  }
  plan.mini_stream_sectors = sectors_for(plan.mini_stream.size(), plan.sector_size);
  plan.directory_sectors = sectors_for(plan.entries.size() * kEntrySize, plan.sector_size);
  plan.mini_fat_sectors = sectors_for(plan.mini_fat.size() * kSectorNumberSize, plan.sector_size);
}

// The fewest FAT sectors that number every sector, themselves and the DIFAT sectors that
// list those beyond the header's 109 included.
void size_tables(Plan& plan) {
  const std::uint32_t per_difat_sector = plan.table_entries() - 1;  // then the next
  for (plan.fat_sectors = 1;; ++plan.fat_sectors) {
    plan.difat_sectors = plan.fat_sectors > kHeaderFatEntries
                             ? sectors_for(plan.fat_sectors - kHeaderFatEntries, per_difat_sector)
                             : 0;
    const std::uint64_t all = plan.data_sectors() + plan.fat_sectors + plan.difat_sectors;
    if (all <= plan.fat_sectors * plan.table_entries()) break;
  }
}

// Sector numbers of every part, in file order, and the FAT that chains them.
void number_sectors(Plan& plan) {
  plan.fat.assign(plan.fat_sectors * plan.table_entries(), kFreeSector);
  std::uint32_t next = 0;
  const auto take = [&](std::uint64_t count) {
    const std::uint32_t first = next;
    chain(plan.fat, first, count);
    next += static_cast<std::uint32_t>(count);
    return first;
  };
  for (std::size_t i : plan.regular_streams) {
    const std::uint32_t first = take(sectors_for(plan.contents[i].size(), plan.sector_size));
    set_u32(plan.entries[i].data() + kEntryStart, first);
  }
  // The root entry holds the mini stream; version 3 has room for 32 bits of its size.
  char* root = plan.entries[0].data();
  const std::uint64_t mini_size = plan.mini_stream.size();
  set_u64(root + kEntrySize64, plan.major_version == 3 ? mini_size & 0xFFFFFFFFu : mini_size);
  const std::uint32_t mini_stream_at = take(plan.mini_stream_sectors);
  set_u32(root + kEntryStart, plan.mini_stream_sectors ? mini_stream_at : kEndOfChain);
  plan.first_directory = take(plan.directory_sectors);
  const std::uint32_t mini_fat_at = take(plan.mini_fat_sectors);
  plan.first_mini_fat = plan.mini_fat_sectors ? mini_fat_at : kEndOfChain;
  plan.first_fat = next;
  std::fill_n(plan.fat.begin() + next, plan.fat_sectors, kFatSector);
  next += static_cast<std::uint32_t>(plan.fat_sectors);
  plan.first_difat = plan.difat_sectors ? next : kEndOfChain;
  std::fill_n(plan.fat.begin() + next, plan.difat_sectors, kDifatSector);
}

Plan plan_layout(const std::vector<DirectoryEntry>& entries, int major_version,
                 std::size_t replaced, std::string_view replacement) {
  Plan plan;
  plan.major_version = major_version;
  plan.sector_size = sector_size(major_version);
  for (std::size_t i = 0; i < entries.size(); ++i)
    plan.contents.push_back(i == replaced ? replacement : std::string_view(entries[i].data));
  place_streams(plan, entries);
  size_tables(plan);
  number_sectors(plan);
  return plan;
}

// The header sector: the fields read kept (signature, class id, minor version), the rest
// from the plan.
std::string header(const std::array<char, kHeaderSize>& read, const Plan& plan) {
  std::string out(read.data(), kHeaderSize);
  char* h = out.data();
  std::memset(h + kHeaderMajorVersion, 0, kHeaderSize - kHeaderMajorVersion);
  set_u16(h + kHeaderMajorVersion, static_cast<std::uint16_t>(plan.major_version));
  set_u16(h + kHeaderByteOrder, kByteOrderMark);
  set_u16(h + kHeaderSectorShift, sector_shift(plan.major_version));
  set_u16(h + kHeaderMiniSectorShift, kMiniSectorShift);
  // Version 3 leaves the count of directory sectors at 0.
  set_u32(h + kHeaderDirectorySectors,
          plan.major_version == 4 ? static_cast<std::uint32_t>(plan.directory_sectors) : 0);
  set_u32(h + kHeaderFatSectors, static_cast<std::uint32_t>(plan.fat_sectors));
  set_u32(h + kHeaderFirstDirectory, plan.first_directory);
  set_u32(h + kHeaderMiniCutoff, kMiniStreamCutoff);
  set_u32(h + kHeaderFirstMiniFat, plan.first_mini_fat);
  set_u32(h + kHeaderMiniFatSectors, static_cast<std::uint32_t>(plan.mini_fat_sectors));
  set_u32(h + kHeaderFirstDifat, plan.first_difat);
  set_u32(h + kHeaderDifatSectors, static_cast<std::uint32_t>(plan.difat_sectors));
  for (std::uint32_t i = 0; i < kHeaderFatEntries; ++i) {
    set_u32(h + kHeaderDifat + kSectorNumberSize * i,
            i < plan.fat_sectors ? plan.first_fat + i : kFreeSector);
  }
  out.resize(plan.sector_size, '\0');  // a 4096-byte sector holds the header in version 4
  return out;
}

// Every sector after the header, in the plan's order.
void emit_sectors(std::string& out, const Plan& plan) {
  out.reserve(plan.sector_size * (1 + plan.data_sectors() + plan.fat_sectors + plan.difat_sectors));
  const auto pad = [&] {
    out.resize(sectors_for(out.size(), plan.sector_size) * plan.sector_size, '\0');
  };
  for (std::size_t i : plan.regular_streams) {
    out += plan.contents[i];
    pad();
  }
  out += plan.mini_stream;
  pad();
  for (const RawEntry& raw : plan.entries) out.append(raw.data(), raw.size());
  pad();
  append_table(out, plan.mini_fat, 0, plan.mini_fat_sectors * plan.table_entries());
  append_table(out, plan.fat, 0, plan.fat.size());
  const std::uint32_t per_difat_sector = plan.table_entries() - 1;
  for (std::uint64_t d = 0; d < plan.difat_sectors; ++d) {
    const std::uint64_t from = kHeaderFatEntries + d * per_difat_sector;
    for (std::uint64_t k = 0; k < per_difat_sector; ++k) {
      put_u32(out, from + k < plan.fat_sectors
                       ? static_cast<std::uint32_t>(plan.first_fat + from + k)
                       : kFreeSector);
    }
    put_u32(out, d + 1 < plan.difat_sectors ? static_cast<std::uint32_t>(plan.first_difat + d + 1)
                                            : kEndOfChain);
  }
}

}  // namespace

std::string CompoundFile::serialize_with(std::size_t replaced, std::string_view replacement) const {
  const Plan plan = plan_layout(entries_, major_version_, replaced, replacement);
  std::string out = header(header_, plan);
  emit_sectors(out, plan);
  return out;
}

namespace {

// Directory order: shorter names first, then by upper-cased units.
bool name_less(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return a.size() < b.size();
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char16_t x = a[i] >= u'a' && a[i] <= u'z' ? a[i] - 32 : a[i];
    const char16_t y = b[i] >= u'a' && b[i] <= u'z' ? b[i] - 32 : b[i];
    if (x != y) return x < y;
  }
  return false;
}

RawEntry named_entry(std::u16string_view name, EntryType type) {
  RawEntry raw = free_entry();
  const std::size_t length = std::min(name.size(), kMaxNameLength);
  for (std::size_t i = 0; i < length; ++i) set_u16(raw.data() + 2 * i, name[i]);
  set_u16(raw.data() + kEntryNameLength,
          static_cast<std::uint16_t>(2 * (length + 1)));  // with the terminating zero
  raw[kEntryType] = static_cast<char>(type);
  raw[kEntryColor] = static_cast<char>(kBlack);
  return raw;
}

// Links entries [lo, hi) of the sorted run as a balanced binary tree; returns its top.
std::uint32_t link_balanced(std::vector<DirectoryEntry>& entries, std::size_t lo, std::size_t hi) {
  if (lo >= hi) return kNoStream;
  const std::size_t mid = lo + (hi - lo) / 2;
  set_u32(entries[mid].raw.data() + kEntryLeft, link_balanced(entries, lo, mid));
  set_u32(entries[mid].raw.data() + kEntryRight, link_balanced(entries, mid + 1, hi));
  return static_cast<std::uint32_t>(mid);
}

}  // namespace

CompoundFile CompoundFile::create(
    const std::vector<std::pair<std::u16string, std::string>>& streams) {
  CompoundFile file;
  std::memcpy(file.header_.data(), kSignature, sizeof kSignature);
  set_u16(file.header_.data() + kHeaderMinorVersion, kMinorVersion);
  file.major_version_ = 3;
  auto sorted = streams;
  std::sort(sorted.begin(), sorted.end(),
            [](const auto& a, const auto& b) { return name_less(a.first, b.first); });
  file.entries_.resize(1 + sorted.size());
  file.entries_[0].raw = named_entry(u"Root Entry", EntryType::root);
  file.entries_[0].in_tree = true;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    DirectoryEntry& entry = file.entries_[i + 1];
    entry.raw = named_entry(sorted[i].first, EntryType::stream);
    entry.data = sorted[i].second;
    entry.in_tree = true;
    entry.parent = 0;
  }
  set_u32(file.entries_[0].raw.data() + kEntryChild,
          link_balanced(file.entries_, 1, file.entries_.size()));
  return file;
}

}  // namespace xls
