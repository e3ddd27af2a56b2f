#pragma once
// The serial port module: open and configure one COM port, read it one byte at a time
// with a time-out, close it. Receive only. Written once over the comm facade, so the
// same steps run on every platform.

#include <cstdint>
#include <string>

#include "comm/comm.h"

namespace schreiber::serial {

// What OpenComPort returns: the port is open and configured, or the step that failed.
// Every failure is negative; its number is what the operator's message shows.
enum OpenResult : std::int16_t {
  kOpened = 1,
  kCreateFileFailed = -1,  // the port could not be opened; nothing is closed
  // A configuration step did not return exactly 1; the port was closed again.
  kClearCommErrorFailed = -2,
  kPurgeCommFailed = -3,
  kGetCommStateFailed = -4,
  kBuildCommDcbFailed = -5,
  kSetCommStateFailed = -6,
  kSetupCommFailed = -7,
  kSetCommTimeoutsFailed = -8,
};

class Seriell {
 public:
  explicit Seriell(comm::Comm& comm) : comm_(comm) {}

  // Opens "COM<port>:" and configures it, step by step in the order of OpenResult; returns
  // kOpened or the OpenResult of the first step that failed. Call it only while no port is
  // open.
  std::int16_t OpenComPort(std::int16_t port, const std::string& settings, std::int32_t in_queue,
                           std::int32_t out_queue, std::int32_t read_timeout_ms,
                           std::int32_t write_timeout_ms);

  // Returns the next byte, waiting at most the read time-out. When no byte came (time-out,
  // failed read, no open port) it sets `no_byte_flag` to -1 and returns 0; when a byte came
  // the flag is left exactly as it was, so a received 0 byte is told apart by the flag.
  std::uint8_t ReadComByte(std::int16_t& no_byte_flag);

  // Closes the port if one is open; otherwise does nothing.
  void CloseComPort();

  // True when the next ReadComByte returns a byte without waiting for the line: the
  // platform's serial calls already hold it. False without an open port.
  bool byte_at_hand();

  // What CreateFile returned at the last open; a port is usable only while this is
  // greater than 0. After a close it is -1, so a closed handle is never used again.
  comm::Handle hComPort = 0;

 private:
  comm::Comm& comm_;
};

}  // namespace schreiber::serial
