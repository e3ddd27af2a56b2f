#pragma once
// The settings text of a port in the device-definition syntax of the mode command:
// blank-separated key=value pairs such as "baud=57600 parity=N data=8 stop=1".

#include <optional>
#include <string_view>

#include "comm/comm.h"

namespace schreiber::comm {

// Returns `dcb` changed by the text, or nothing when the text is empty, malformed, names a
// key this program does not know or asks for something the port cannot do (flow control,
// a stop-bit count that does not fit the data bits). Keys and values are case-insensitive;
// a key given twice takes its last value. The baud rate is taken as a number (or one of
// the mode command's two-digit short forms); whether the port can run at it is the
// caller's question.
std::optional<Dcb> parse_device_settings(std::string_view text, const Dcb& dcb);

}  // namespace schreiber::comm
