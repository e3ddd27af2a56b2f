#pragma once
// The control bytes that frame the instrument's stream. DC1 and DC3 are framing here,
// never flow control.

namespace schreiber::convert {

inline constexpr char kSOH = '\x01';  // starts a field label
inline constexpr char kSTX = '\x02';  // starts a field; also separates header fields
inline constexpr char kETX = '\x03';  // separates the sub-fields of a field
inline constexpr char kDC1 = '\x11';  // opens a block
inline constexpr char kDC3 = '\x13';  // closes a block; the byte after it is skipped
inline constexpr char kDC4 = '\x14';  // ends the download

}  // namespace schreiber::convert
