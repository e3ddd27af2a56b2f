// The kernel32 serial calls without a line: what the calls make of handles, port names and
// settings texts. The calls over a real line run in scripts/test-windows.sh, where Wine's
// COM1 leads to a pseudo-terminal played by the simulator.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "comm/system_comm.h"
#include "platform/win32_api.h"
#include "serial/seriell.h"
#include "support/temp_folder.h"

namespace schreiber {
namespace {

TEST(Win32Comm, APortThatIsNotThereGivesTheInvalidHandleAndOpenReportsMinusOne) {
  auto comm = comm::make_system_comm({});
  EXPECT_EQ(comm->CreateFile("COM0:"), comm::kInvalidHandle);
  serial::Seriell seriell(*comm);
  EXPECT_EQ(seriell.OpenComPort(0, "baud=57600 parity=N data=8 stop=1", 10240, 10240, 3000, 1000),
            serial::kCreateFileFailed);
  EXPECT_EQ(seriell.hComPort, -1);
  std::int16_t no_byte = 0;
  EXPECT_EQ(seriell.ReadComByte(no_byte), 0);
  EXPECT_EQ(no_byte, -1);
}

TEST(Win32Comm, HandlesAreTheSystemsOwnAndEveryCallReportsWithOneOrZero) {
  // Any file opens with the same call; the port calls then refuse it, as they would a
  // device that is not a serial port.
  testing::TempFolder folder;
  testing::write_file(folder / "not-a-port", "x");
  auto comm = comm::make_system_comm({});
  const comm::Handle handle = comm->CreateFile((folder / "not-a-port").string());
  ASSERT_GT(handle, 0);
  EXPECT_EQ(GetFileType(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle))), FILE_TYPE_DISK);
  // Exclusive: a second open of the same file fails while the first is open.
  EXPECT_EQ(comm->CreateFile((folder / "not-a-port").string()), comm::kInvalidHandle);
  comm::Dcb dcb{};
  EXPECT_EQ(comm->GetCommState(handle, dcb), 0);
  EXPECT_EQ(comm->SetupComm(handle, 10240, 10240), 0);
  EXPECT_EQ(comm->CloseHandle(handle), 1);
  EXPECT_EQ(comm->CloseHandle(handle), 0);
}

TEST(Win32Comm, SettingsTextChangesTheRecordThatTravelsToSetCommState) {
  auto comm = comm::make_system_comm({});
  comm::Dcb dcb{};
  dcb.baud_rate = 9600;
  dcb.byte_size = 7;
  dcb.parity = comm::Parity::kEven;
  dcb.stop_bits = comm::StopBits::kTwo;
  ASSERT_EQ(comm->BuildCommDCB("baud=57600 parity=N data=8 stop=1", dcb), 1);
  EXPECT_EQ(dcb.baud_rate, 57600u);
  EXPECT_EQ(dcb.byte_size, 8);
  EXPECT_EQ(dcb.parity, comm::Parity::kNone);
  EXPECT_EQ(dcb.stop_bits, comm::StopBits::kOne);
  DCB record{};
  std::memcpy(&record, dcb.platform.data(), sizeof record);
  EXPECT_EQ(record.BaudRate, 57600u);
  EXPECT_EQ(record.ByteSize, 8);
  EXPECT_EQ(record.Parity, NOPARITY);
  EXPECT_EQ(record.StopBits, ONESTOPBIT);

  const comm::Dcb before = dcb;
  EXPECT_EQ(comm->BuildCommDCB("baud=57600 parity=Q data=8 stop=1", dcb), 0);
  EXPECT_EQ(dcb.platform, before.platform);
}

}  // namespace
}  // namespace schreiber
