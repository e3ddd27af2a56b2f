#include "cfb_builder.h"

#include <stdexcept>

namespace xls_test {

namespace {

void set16(std::string& s, std::size_t at, std::uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
void set32(std::string& s, std::size_t at, std::uint32_t v) {
  set16(s, at, static_cast<std::uint16_t>(v));
  set16(s, at + 2, static_cast<std::uint16_t>(v >> 16));
}
void set64(std::string& s, std::size_t at, std::uint64_t v) {
  set32(s, at, static_cast<std::uint32_t>(v));
  set32(s, at + 4, static_cast<std::uint32_t>(v >> 32));
}

constexpr std::uint32_t kEnd = 0xFFFFFFFE;

}  // namespace

BuiltFile build_compound_file(int major_version, const std::vector<BuilderEntry>& entries) {
  BuiltFile file;
  const std::uint32_t ss = major_version == 4 ? 4096 : 512;
  file.sector_size = ss;
  std::vector<std::uint32_t> fat, mini_fat;
  std::string body, mini;  // sectors after the header; the mini stream
  file.first_sector.assign(entries.size(), kEnd);
  const auto add_chain = [](std::vector<std::uint32_t>& table, std::size_t count) {
    const auto first = static_cast<std::uint32_t>(table.size());
    for (std::size_t i = 0; i < count; ++i)
      table.push_back(i + 1 == count ? kEnd : first + static_cast<std::uint32_t>(i) + 1);
    return first;
  };
  for (std::size_t i = 1; i < entries.size(); ++i) {
    const std::string& data = entries[i].data;
    if (entries[i].type != 2 || data.empty()) continue;
    if (data.size() < 4096) {
      file.first_sector[i] = add_chain(mini_fat, (data.size() + 63) / 64);
      mini += data;
      mini.resize(mini_fat.size() * 64, '\0');
    } else {
      file.first_sector[i] = add_chain(fat, (data.size() + ss - 1) / ss);
      body += data;
      body.resize(fat.size() * ss, '\0');
    }
  }
  if (!mini.empty()) {
    file.first_sector[0] = add_chain(fat, (mini.size() + ss - 1) / ss);
    body += mini;
    body.resize(fat.size() * ss, '\0');
  }
  std::string directory(((entries.size() * 128 + ss - 1) / ss) * ss, '\0');
  for (std::size_t k = 0; k < directory.size() / 128; ++k) {
    const std::size_t at = k * 128;
    set32(directory, at + 68, 0xFFFFFFFF), set32(directory, at + 72, 0xFFFFFFFF),
        set32(directory, at + 76, 0xFFFFFFFF);
    if (k >= entries.size()) continue;
    const BuilderEntry& e = entries[k];
    for (std::size_t c = 0; c < e.name.size(); ++c) set16(directory, at + 2 * c, e.name[c]);
    set16(directory, at + 64, static_cast<std::uint16_t>(2 * (e.name.size() + 1)));
    directory[at + 66] = static_cast<char>(e.type);
    directory[at + 67] = 1;  // black
    set32(directory, at + 68, e.left), set32(directory, at + 72, e.right),
        set32(directory, at + 76, e.child);
    directory.replace(at + 80, 16, e.clsid.data(), 16);
    set32(directory, at + 96, e.state_bits);
    set64(directory, at + 100, e.created), set64(directory, at + 108, e.modified);
    set32(directory, at + 116, file.first_sector[k]);
    set64(directory, at + 120, k == 0 ? mini.size() : e.type == 2 ? e.data.size() : 0);
  }
  file.directory_sector = add_chain(fat, directory.size() / ss);
  body += directory;
  std::string mini_fat_bytes;
  for (std::uint32_t v : mini_fat)
    mini_fat_bytes.append(4, '\0'), set32(mini_fat_bytes, mini_fat_bytes.size() - 4, v);
  mini_fat_bytes.resize((mini_fat_bytes.size() + ss - 1) / ss * ss, '\xFF');
  const std::uint32_t mini_fat_first =
      mini_fat_bytes.empty() ? kEnd : add_chain(fat, mini_fat_bytes.size() / ss);
  body += mini_fat_bytes;
  // The FAT covers itself: one more entry per FAT sector.
  std::size_t fat_sectors = 1;
  while ((fat.size() + fat_sectors) * 4 > fat_sectors * ss) ++fat_sectors;
  if (fat_sectors > 109) throw std::runtime_error("test files stay below 109 FAT sectors");
  file.fat_sector = static_cast<std::uint32_t>(fat.size());
  for (std::size_t i = 0; i < fat_sectors; ++i) fat.push_back(0xFFFFFFFD);
  std::string fat_bytes(fat_sectors * ss, '\xFF');
  for (std::size_t i = 0; i < fat.size(); ++i) set32(fat_bytes, 4 * i, fat[i]);
  body += fat_bytes;

  std::string header(ss, '\0');
  header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  set16(header, 24, 0x003E), set16(header, 26, static_cast<std::uint16_t>(major_version));
  set16(header, 28, 0xFFFE), set16(header, 30, major_version == 4 ? 12 : 9), set16(header, 32, 6);
  set32(header, 40, major_version == 4 ? static_cast<std::uint32_t>(directory.size() / ss) : 0);
  set32(header, 44, static_cast<std::uint32_t>(fat_sectors));
  set32(header, 48, file.directory_sector);
  set32(header, 56, 4096);
  set32(header, 60, mini_fat_first),
      set32(header, 64, static_cast<std::uint32_t>(mini_fat_bytes.size() / ss));
  set32(header, 68, kEnd), set32(header, 72, 0);
  for (std::uint32_t i = 0; i < 109; ++i)
    set32(header, 76 + 4 * i, i < fat_sectors ? file.fat_sector + i : 0xFFFFFFFF);
  file.bytes = header + body;
  return file;
}

}  // namespace xls_test
