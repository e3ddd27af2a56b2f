// Lays a compound file out afresh: regular streams, the mini stream, the directory, the
// mini FAT, then the FAT and DIFAT sectors that describe them all.

#include <algorithm>
#include <cstring>

#include "xls/compound_file.h"
#include "xls/compound_file_layout.h"
#include "xls/little_endian.h"
#include "xls/text.h"

namespace xls {

using namespace cfb;

namespace {

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

std::array<char, 128> free_entry() {
  std::array<char, 128> raw{};
  set_u32(raw.data() + kEntryLeft, kNoStream);
  set_u32(raw.data() + kEntryRight, kNoStream);
  set_u32(raw.data() + kEntryChild, kNoStream);
  return raw;
}

}  // namespace

std::string CompoundFile::serialize_with(std::size_t replaced, std::string_view replacement) const {
  const auto data_of = [&](std::size_t i) -> std::string_view {
    return i == replaced ? replacement : std::string_view(entries_[i].data);
  };
  const std::uint32_t sector_size = major_version_ == 4 ? 4096 : 512;
  const std::uint32_t per_table_sector = sector_size / 4;

  // Which streams go to the mini stream, and where each one starts.
  std::vector<std::array<char, 128>> raws(entries_.size());
  std::string mini_stream;
  std::vector<std::uint32_t> mini_fat;
  std::vector<std::size_t> regular_streams;
  std::uint64_t regular_sectors = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const DirectoryEntry& entry = entries_[i];
    raws[i] = entry.in_tree ? entry.raw : free_entry();
    if (!entry.in_tree || entry.type() != EntryType::stream) continue;
    char* raw = raws[i].data();
    const std::string_view data = data_of(i);
    set_u64(raw + kEntrySize64, data.size());
    if (data.empty()) {
      set_u32(raw + kEntryStart, kEndOfChain);
    } else if (data.size() < kMiniStreamCutoff) {
      const auto first = static_cast<std::uint32_t>(mini_fat.size());
      const std::uint64_t count = sectors_for(data.size(), kMiniSectorSize);
      mini_fat.resize(first + count);
      chain(mini_fat, first, count);
      set_u32(raw + kEntryStart, first);
      mini_stream += data;
      mini_stream.resize(mini_fat.size() * kMiniSectorSize, '\0');
    } else {
      regular_streams.push_back(i);
      regular_sectors += sectors_for(data.size(), sector_size);
    }
  }

  const std::uint64_t mini_stream_sectors = sectors_for(mini_stream.size(), sector_size);
  const std::uint64_t directory_sectors = sectors_for(raws.size() * kEntrySize, sector_size);
  const std::uint64_t mini_fat_sectors = sectors_for(mini_fat.size() * 4, sector_size);
  const std::uint64_t data_sectors =
      regular_sectors + mini_stream_sectors + directory_sectors + mini_fat_sectors;
  std::uint64_t fat_sectors = 1;
  std::uint64_t difat_sectors = 0;
  for (;; ++fat_sectors) {
    difat_sectors = fat_sectors > kHeaderFatEntries
                        ? sectors_for(fat_sectors - kHeaderFatEntries, per_table_sector - 1)
                        : 0;
    if (data_sectors + fat_sectors + difat_sectors <= fat_sectors * per_table_sector) break;
  }

  // Sector numbers of every part, in file order.
  std::vector<std::uint32_t> fat(fat_sectors * per_table_sector, kFreeSector);
  std::uint32_t next = 0;
  for (std::size_t i : regular_streams) {
    const std::uint64_t count = sectors_for(data_of(i).size(), sector_size);
    set_u32(raws[i].data() + kEntryStart, next);
    chain(fat, next, count);
    next += static_cast<std::uint32_t>(count);
  }
  char* root = raws[0].data();
  set_u64(root + kEntrySize64,
          major_version_ == 3 ? mini_stream.size() & 0xFFFFFFFFu : mini_stream.size());
  set_u32(root + kEntryStart, mini_stream_sectors ? next : kEndOfChain);
  chain(fat, next, mini_stream_sectors);
  next += static_cast<std::uint32_t>(mini_stream_sectors);
  const std::uint32_t first_directory = next;
  chain(fat, next, directory_sectors);
  next += static_cast<std::uint32_t>(directory_sectors);
  const std::uint32_t first_mini_fat = mini_fat_sectors ? next : kEndOfChain;
  chain(fat, next, mini_fat_sectors);
  next += static_cast<std::uint32_t>(mini_fat_sectors);
  const std::uint32_t first_fat = next;
  std::fill_n(fat.begin() + first_fat, fat_sectors, kFatSector);
  next += static_cast<std::uint32_t>(fat_sectors);
  const std::uint32_t first_difat = difat_sectors ? next : kEndOfChain;
  std::fill_n(fat.begin() + next, difat_sectors, kDifatSector);

  std::string out(header_.data(), 512);
  char* h = out.data();
  std::memset(h + kHeaderMajorVersion, 0, 512 - kHeaderMajorVersion);
  set_u16(h + kHeaderMajorVersion, static_cast<std::uint16_t>(major_version_));
  set_u16(h + kHeaderByteOrder, 0xFFFE);
  set_u16(h + kHeaderSectorShift, major_version_ == 4 ? 12 : 9);
  set_u16(h + kHeaderMiniSectorShift, 6);
  set_u32(h + kHeaderDirectorySectors,
          major_version_ == 4 ? static_cast<std::uint32_t>(directory_sectors) : 0);
  set_u32(h + kHeaderFatSectors, static_cast<std::uint32_t>(fat_sectors));
  set_u32(h + kHeaderFirstDirectory, first_directory);
  set_u32(h + kHeaderMiniCutoff, kMiniStreamCutoff);
  set_u32(h + kHeaderFirstMiniFat, first_mini_fat);
  set_u32(h + kHeaderMiniFatSectors, static_cast<std::uint32_t>(mini_fat_sectors));
  set_u32(h + kHeaderFirstDifat, first_difat);
  set_u32(h + kHeaderDifatSectors, static_cast<std::uint32_t>(difat_sectors));
  for (std::uint32_t i = 0; i < kHeaderFatEntries; ++i) {
    set_u32(h + kHeaderDifat + 4 * i, i < fat_sectors ? first_fat + i : kFreeSector);
  }
  out.resize(sector_size, '\0');
  out.reserve(sector_size * (1 + data_sectors + fat_sectors + difat_sectors));

  const auto pad = [&] { out.resize(sectors_for(out.size(), sector_size) * sector_size, '\0'); };
  for (std::size_t i : regular_streams) {
    out += data_of(i);
    pad();
  }
  out += mini_stream;
  pad();
  for (const auto& raw : raws) out.append(raw.data(), raw.size());
  pad();
  append_table(out, mini_fat, 0, mini_fat_sectors * per_table_sector);
  append_table(out, fat, 0, fat.size());
  for (std::uint64_t d = 0; d < difat_sectors; ++d) {
    const std::uint64_t from = kHeaderFatEntries + d * (per_table_sector - 1);
    for (std::uint64_t k = 0; k < per_table_sector - 1; ++k) {
      put_u32(out, from + k < fat_sectors ? static_cast<std::uint32_t>(first_fat + from + k)
                                          : kFreeSector);
    }
    put_u32(out,
            d + 1 < difat_sectors ? static_cast<std::uint32_t>(first_difat + d + 1) : kEndOfChain);
  }
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

std::array<char, 128> named_entry(std::u16string_view name, EntryType type) {
  std::array<char, 128> raw = free_entry();
  for (std::size_t i = 0; i < name.size() && i < 31; ++i) set_u16(raw.data() + 2 * i, name[i]);
  set_u16(raw.data() + kEntryNameLength,
          static_cast<std::uint16_t>(2 * (std::min<std::size_t>(name.size(), 31) + 1)));
  raw[kEntryType] = static_cast<char>(type);
  raw[kEntryColor] = 1;  // black
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
  std::memcpy(file.header_.data(), kSignature, 8);
  set_u16(file.header_.data() + kHeaderMinorVersion, 0x003E);
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
