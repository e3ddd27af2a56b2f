// The serial calls on Windows: each member is the kernel32 call of the same name, with the
// arguments passed through as they come. Handles are the system's own, as 32-bit values
// (the system keeps kernel handles within 32 bits, sign-extended).

#include "platform/win32_api.h"

#include <cstring>

#include "comm/sliced_reads_win32.h"
#include "comm/system_comm.h"

namespace schreiber::comm {
namespace {

static_assert(sizeof(DCB) <= sizeof(Dcb::platform), "the DCB must fit the facade's record");

HANDLE system_handle(Handle handle) {
  return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle));
}

DCB system_dcb(const Dcb& dcb) {
  DCB record{};
  std::memcpy(&record, dcb.platform.data(), sizeof record);
  return record;
}

Parity parity_of(BYTE parity) {
  switch (parity) {
    case ODDPARITY:
      return Parity::kOdd;
    case EVENPARITY:
      return Parity::kEven;
    case MARKPARITY:
      return Parity::kMark;
    case SPACEPARITY:
      return Parity::kSpace;
    default:
      return Parity::kNone;
  }
}

StopBits stop_bits_of(BYTE stop_bits) {
  switch (stop_bits) {
    case ONE5STOPBITS:
      return StopBits::kOnePointFive;
    case TWOSTOPBITS:
      return StopBits::kTwo;
    default:
      return StopBits::kOne;
  }
}

// The facade's record from the system's: the whole DCB travels along unchanged, and the
// fields the settings text can change are shown beside it.
void store(const DCB& record, Dcb& dcb) {
  std::memcpy(dcb.platform.data(), &record, sizeof record);
  dcb.baud_rate = record.BaudRate;
  dcb.byte_size = record.ByteSize;
  dcb.parity = parity_of(record.Parity);
  dcb.stop_bits = stop_bits_of(record.StopBits);
}

class Win32Comm final : public Comm {
 public:
  Handle CreateFile(const std::string& port_name) override {
    // The record's length as the 32-bit layout gives it: the call reads the fields, not the
    // length. No descriptor, not inherited.
    SECURITY_ATTRIBUTES security{};
    security.nLength = 12;
    security.lpSecurityDescriptor = nullptr;
    security.bInheritHandle = FALSE;
    const HANDLE handle = CreateFileA(port_name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &security,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return static_cast<Handle>(reinterpret_cast<INT_PTR>(handle));
  }

  std::int32_t ClearCommError(Handle handle) override {
    DWORD errors = 0;
    COMSTAT status{};
    return ::ClearCommError(system_handle(handle), &errors, &status);
  }

  std::int32_t PurgeComm(Handle handle, std::uint32_t flags) override {
    return ::PurgeComm(system_handle(handle), flags);
  }

  std::int32_t GetCommState(Handle handle, Dcb& dcb) override {
    DCB record{};
    const BOOL result = ::GetCommState(system_handle(handle), &record);
    if (result) store(record, dcb);
    return result;
  }

  std::int32_t BuildCommDCB(const std::string& settings, Dcb& dcb) override {
    DCB record = system_dcb(dcb);
    const BOOL result = BuildCommDCBA(settings.c_str(), &record);
    if (result) store(record, dcb);
    return result;
  }

  std::int32_t SetCommState(Handle handle, const Dcb& dcb) override {
    // A record that never came from the system starts as an empty DCB; the fields shown
    // beside the record win, so that a caller's change of them takes effect.
    DCB record = system_dcb(dcb);
    if (record.DCBlength == 0) {
      record.DCBlength = sizeof record;
      record.fBinary = TRUE;
    }
    apply_fields(dcb, record);
    return ::SetCommState(system_handle(handle), &record);
  }

  std::int32_t SetupComm(Handle handle, std::int32_t in_queue, std::int32_t out_queue) override {
    return ::SetupComm(system_handle(handle), static_cast<DWORD>(in_queue),
                       static_cast<DWORD>(out_queue));
  }

  // With a wait hook, a read time-out longer than the hook's slice reaches the system as
  // the slice, and a read waits slice by slice (sliced_reads_win32.h).
  std::int32_t SetCommTimeouts(Handle handle, const CommTimeouts& timeouts) override {
    return reads_.set_timeouts(system_handle(handle), handle, timeouts);
  }

  // Returns after the bytes or the read time-out, as kernel32's own ReadFile.
  std::int32_t ReadFile(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                        std::uint32_t& bytes_read) override {
    return reads_.read(system_handle(handle), handle, buffer, count, bytes_read);
  }

  std::int32_t CloseHandle(Handle handle) override {
    reads_.forget(handle);
    return ::CloseHandle(system_handle(handle));
  }

  void set_wait_hook(std::function<void()> hook) override { reads_.set_hook(std::move(hook)); }

 private:
  static void apply_fields(const Dcb& dcb, DCB& record) {
    record.BaudRate = dcb.baud_rate;
    record.ByteSize = dcb.byte_size;
    switch (dcb.parity) {
      case Parity::kNone:
        record.Parity = NOPARITY;
        break;
      case Parity::kOdd:
        record.Parity = ODDPARITY;
        break;
      case Parity::kEven:
        record.Parity = EVENPARITY;
        break;
      case Parity::kMark:
        record.Parity = MARKPARITY;
        break;
      case Parity::kSpace:
        record.Parity = SPACEPARITY;
        break;
    }
    switch (dcb.stop_bits) {
      case StopBits::kOne:
        record.StopBits = ONESTOPBIT;
        break;
      case StopBits::kOnePointFive:
        record.StopBits = ONE5STOPBITS;
        break;
      case StopBits::kTwo:
        record.StopBits = TWOSTOPBITS;
        break;
    }
  }

  SlicedReads reads_;
};

}  // namespace

std::unique_ptr<Comm> make_system_comm(const std::filesystem::path&) {
  return std::make_unique<Win32Comm>();
}

}  // namespace schreiber::comm
