#pragma once
// Line settings between the port's record (Dcb) and a termios record. Pure conversions:
// no system call here, so every mapping can be checked without a terminal.

#include <termios.h>

#include <cstdint>
#include <optional>

#include "comm/comm.h"

namespace schreiber::comm {

// The termios speed for a baud rate, or nothing when termios has no such rate.
std::optional<speed_t> speed_for_baud(std::uint32_t baud);
// The baud rate of a termios speed; 0 for B0 or a speed without a number here.
std::uint32_t baud_for_speed(speed_t speed);

Dcb dcb_from_termios(const termios& line);

// Changes `line` to a raw 8-bit-clean line with the record's rate and framing and no flow
// control of any kind, so that every byte value is data. False (and `line` untouched)
// when termios cannot express the record.
bool apply_dcb_to_termios(const Dcb& dcb, termios& line);

}  // namespace schreiber::comm
