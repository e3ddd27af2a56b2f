#include "xls/rk_number.h"

#include <cmath>
#include <cstring>

namespace xls {

namespace {

constexpr std::uint32_t kInteger = 0x02;
constexpr std::uint32_t kTimes100 = 0x01;
constexpr double kIntegerLimit = 536870912.0;  // 2^29: the 30-bit range is [-2^29, 2^29)

std::uint64_t bits_of(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// `scaled` is value, or value times 100 (rounded: 2.41 * 100 is 241.00000000000003, yet
// 241 / 100 gives 2.41 back); every candidate is decoded and compared.
std::optional<std::uint32_t> exact(double value, double scaled, std::uint32_t scale_flag) {
  const double whole = std::nearbyint(scaled);
  if (whole >= -kIntegerLimit && whole < kIntegerLimit) {
    const auto integer = static_cast<std::int32_t>(whole);
    const std::uint32_t rk = (static_cast<std::uint32_t>(integer) << 2) | kInteger | scale_flag;
    if (bits_of(decode_rk(rk)) == bits_of(value)) return rk;
  }
  const std::uint64_t bits = bits_of(scaled);
  if ((bits & 0x3FFFFFFFFull) == 0) {  // the low 34 bits are not stored
    const std::uint32_t rk = static_cast<std::uint32_t>(bits >> 32) | scale_flag;
    if (bits_of(decode_rk(rk)) == bits_of(value)) return rk;
  }
  return std::nullopt;
}

}  // namespace

double decode_rk(std::uint32_t rk) {
  double value;
  if (rk & kInteger) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & kTimes100) ? value / 100 : value;
}

std::optional<std::uint32_t> encode_rk(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  if (const auto rk = exact(value, value, 0)) return rk;
  return exact(value, value * 100, kTimes100);
}

}  // namespace xls
