#pragma once
// Little-endian integers in byte buffers: every number in a compound file and in a BIFF
// record is stored this way. Readers take a checked span; writers append or patch.

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace xls {

inline std::uint16_t get_u16(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

inline std::uint32_t get_u32(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

inline std::uint64_t get_u64(const char* p) {
  return get_u32(p) | (static_cast<std::uint64_t>(get_u32(p + 4)) << 32);
}

inline double get_f64(const char* p) {
  const std::uint64_t bits = get_u64(p);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void set_u16(char* p, std::uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}

inline void set_u32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline void set_u64(char* p, std::uint64_t v) {
  set_u32(p, static_cast<std::uint32_t>(v));
  set_u32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

inline void put_u8(std::string& out, std::uint8_t v) {
  out.push_back(static_cast<char>(v));
}

inline void put_u16(std::string& out, std::uint16_t v) {
  char b[2];
  set_u16(b, v);
  out.append(b, 2);
}

inline void put_u32(std::string& out, std::uint32_t v) {
  char b[4];
  set_u32(b, v);
  out.append(b, 4);
}

inline void put_u64(std::string& out, std::uint64_t v) {
  char b[8];
  set_u64(b, v);
  out.append(b, 8);
}

inline void put_f64(std::string& out, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  put_u64(out, bits);
}

// Reads fields one after another from a record body; the caller checks its length first.
class FieldReader {
 public:
  explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}

  std::uint8_t u8() { return static_cast<std::uint8_t>(bytes_[advance(1)]); }
  std::uint16_t u16() { return get_u16(bytes_.data() + advance(2)); }
  std::uint32_t u32() { return get_u32(bytes_.data() + advance(4)); }
  std::uint64_t u64() { return get_u64(bytes_.data() + advance(8)); }
  double f64() { return get_f64(bytes_.data() + advance(8)); }
  // What follows the fields read so far.
  std::string_view rest() const { return bytes_.substr(position_); }

 private:
  std::size_t advance(std::size_t size) {
    assert(position_ + size <= bytes_.size());
    position_ += size;
    return position_ - size;
  }

  std::string_view bytes_;
  std::size_t position_ = 0;
};

// Writes fields one after another into `size` bytes appended to `out`: sized once, then
// filled in place.
class FieldWriter {
 public:
  FieldWriter(std::string& out, std::size_t size) : out_(out), position_(out.size()) {
    out.resize(position_ + size);
  }

  void u8(std::uint8_t v) { out_[advance(1)] = static_cast<char>(v); }
  void u16(std::uint16_t v) { set_u16(out_.data() + advance(2), v); }
  void u32(std::uint32_t v) { set_u32(out_.data() + advance(4), v); }
  void u64(std::uint64_t v) { set_u64(out_.data() + advance(8), v); }
  void f64(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u64(bits);
  }

 private:
  std::size_t advance(std::size_t size) {
    assert(position_ + size <= out_.size());
    position_ += size;
    return position_ - size;
  }

  std::string& out_;
  std::size_t position_;
};

}  // namespace xls
