#include "serial/seriell.h"

namespace schreiber::serial {

namespace {

// Every configuration call reports success with exactly 1; anything else is a failure.
constexpr std::int32_t kSucceeded = 1;

}  // namespace

std::int16_t Seriell::OpenComPort(std::int16_t port, const std::string& settings,
                                  std::int32_t in_queue, std::int32_t out_queue,
                                  std::int32_t read_timeout_ms, std::int32_t write_timeout_ms) {
  const std::string name = "COM" + std::to_string(port) + ":";
  hComPort = comm_.CreateFile(name);
  if (hComPort <= 0) return kCreateFileFailed;

  comm::Dcb dcb{};
  comm::CommTimeouts timeouts{};
  timeouts.ReadIntervalTimeout = 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = static_cast<std::uint32_t>(read_timeout_ms);
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = static_cast<std::uint32_t>(write_timeout_ms);

  // The steps in their fixed order; the first that fails names the result.
  OpenResult result = kOpened;
  if (comm_.ClearCommError(hComPort) != kSucceeded) {
    result = kClearCommErrorFailed;
  } else if (comm_.PurgeComm(hComPort, comm::kPurgeTxClear | comm::kPurgeRxClear) != kSucceeded) {
    result = kPurgeCommFailed;
  } else if (comm_.GetCommState(hComPort, dcb) != kSucceeded) {
    result = kGetCommStateFailed;
  } else if (comm_.BuildCommDCB(settings, dcb) != kSucceeded) {
    result = kBuildCommDcbFailed;
  } else if (comm_.SetCommState(hComPort, dcb) != kSucceeded) {
    result = kSetCommStateFailed;
  } else if (comm_.SetupComm(hComPort, in_queue, out_queue) != kSucceeded) {
    result = kSetupCommFailed;
  } else if (comm_.SetCommTimeouts(hComPort, timeouts) != kSucceeded) {
    result = kSetCommTimeoutsFailed;
  }
  if (result != kOpened) CloseComPort();
  return result;
}

std::uint8_t Seriell::ReadComByte(std::int16_t& no_byte_flag) {
  if (hComPort <= 0) {
    no_byte_flag = -1;
    return 0;
  }
  std::uint8_t byte = 0;
  std::uint32_t bytes_read = 0;
  if (comm_.ReadFile(hComPort, &byte, 1, bytes_read) == 0 || bytes_read == 0) {
    no_byte_flag = -1;
    return 0;
  }
  return byte;
}

bool Seriell::byte_at_hand() {
  return hComPort > 0 && comm_.bytes_at_hand(hComPort) > 0;
}

void Seriell::CloseComPort() {
  if (hComPort <= 0) return;
  comm_.CloseHandle(hComPort);
  hComPort = comm::kInvalidHandle;
}

}  // namespace schreiber::serial
