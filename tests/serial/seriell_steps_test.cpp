// The serial module's own logic over a scripted facade: the order of the steps, the test
// applied to each, the result codes, the closing, the no-byte flag. These are the paths a
// real line cannot be made to take.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "comm/comm.h"
#include "serial/seriell.h"

namespace schreiber::serial {
namespace {

using ::testing::_;
using ::testing::DoAll;
using ::testing::Field;
using ::testing::InSequence;
using ::testing::Return;
using ::testing::SetArgPointee;
using ::testing::SetArgReferee;
using ::testing::StrictMock;

class MockComm : public comm::Comm {
 public:
  MOCK_METHOD(comm::Handle, CreateFile, (const std::string&), (override));
  MOCK_METHOD(std::int32_t, ClearCommError, (comm::Handle), (override));
  MOCK_METHOD(std::int32_t, PurgeComm, (comm::Handle, std::uint32_t), (override));
  MOCK_METHOD(std::int32_t, GetCommState, (comm::Handle, comm::Dcb&), (override));
  MOCK_METHOD(std::int32_t, BuildCommDCB, (const std::string&, comm::Dcb&), (override));
  MOCK_METHOD(std::int32_t, SetCommState, (comm::Handle, const comm::Dcb&), (override));
  MOCK_METHOD(std::int32_t, SetupComm, (comm::Handle, std::int32_t, std::int32_t), (override));
  MOCK_METHOD(std::int32_t, SetCommTimeouts, (comm::Handle, const comm::CommTimeouts&), (override));
  MOCK_METHOD(std::int32_t, ReadFile, (comm::Handle, std::uint8_t*, std::uint32_t, std::uint32_t&),
              (override));
  MOCK_METHOD(std::int32_t, CloseHandle, (comm::Handle), (override));
};

constexpr comm::Handle kHandle = 42;
const std::string kSettings = "baud=57600 parity=N data=8 stop=1";

std::int16_t open_com3(Seriell& seriell) {
  return seriell.OpenComPort(3, kSettings, 10240, 4096, 3000, 1000);
}

constexpr int kNoStepFails = 7;

// Lets every configuration step before `failing` succeed and `failing` return `result`;
// steps after it get no expectation, so a strict mock fails the test if they run. The state
// the port reports (38400 baud) must reach BuildCommDCB, and what that builds SetCommState.
void expect_steps_until(StrictMock<MockComm>& comm, int failing, std::int32_t result) {
  comm::Dcb from_port{};
  from_port.baud_rate = 38400;
  comm::Dcb built = from_port;
  built.baud_rate = 57600;
  const auto outcome = [&](int step) { return step == failing ? result : 1; };
  InSequence in_order;
  EXPECT_CALL(comm, CreateFile("COM3:")).WillOnce(Return(kHandle));
  EXPECT_CALL(comm, ClearCommError(kHandle)).WillOnce(Return(outcome(0)));
  if (failing == 0) return;
  EXPECT_CALL(comm, PurgeComm(kHandle, comm::kPurgeTxClear | comm::kPurgeRxClear))
      .WillOnce(Return(outcome(1)));
  if (failing == 1) return;
  EXPECT_CALL(comm, GetCommState(kHandle, _))
      .WillOnce(DoAll(SetArgReferee<1>(from_port), Return(outcome(2))));
  if (failing == 2) return;
  EXPECT_CALL(comm, BuildCommDCB(kSettings, Field(&comm::Dcb::baud_rate, 38400u)))
      .WillOnce(DoAll(SetArgReferee<1>(built), Return(outcome(3))));
  if (failing == 3) return;
  EXPECT_CALL(comm, SetCommState(kHandle, Field(&comm::Dcb::baud_rate, 57600u)))
      .WillOnce(Return(outcome(4)));
  if (failing == 4) return;
  EXPECT_CALL(comm, SetupComm(kHandle, 10240, 4096)).WillOnce(Return(outcome(5)));
  if (failing == 5) return;
  EXPECT_CALL(
      comm,
      SetCommTimeouts(kHandle, AllOf(Field(&comm::CommTimeouts::ReadIntervalTimeout, 0u),
                                     Field(&comm::CommTimeouts::ReadTotalTimeoutMultiplier, 0u),
                                     Field(&comm::CommTimeouts::ReadTotalTimeoutConstant, 3000u),
                                     Field(&comm::CommTimeouts::WriteTotalTimeoutMultiplier, 0u),
                                     Field(&comm::CommTimeouts::WriteTotalTimeoutConstant, 1000u))))
      .WillOnce(Return(outcome(6)));
}

struct StepFailure {
  int step;  // 0 = ClearCommError ... 6 = SetCommTimeouts
  std::int32_t result;
};

class FailingStep : public ::testing::TestWithParam<StepFailure> {};

TEST_P(FailingStep, ReturnsTheStepsCodeClosesOnceAndStops) {
  StrictMock<MockComm> comm;
  Seriell seriell(comm);
  expect_steps_until(comm, GetParam().step, GetParam().result);
  EXPECT_CALL(comm, CloseHandle(kHandle)).WillOnce(Return(1));

  EXPECT_EQ(open_com3(seriell), kClearCommErrorFailed - GetParam().step);

  // Closed: nothing further reaches the facade.
  seriell.CloseComPort();
  std::int16_t flag = 0;
  EXPECT_EQ(seriell.ReadComByte(flag), 0);
  EXPECT_EQ(flag, -1);
}

// A step succeeds only with exactly 1: 0, 2 and -1 all fail it, each for some steps.
INSTANTIATE_TEST_SUITE_P(EveryStep, FailingStep,
                         ::testing::Values(StepFailure{0, 0}, StepFailure{1, 2}, StepFailure{2, -1},
                                           StepFailure{3, 0}, StepFailure{4, 2}, StepFailure{5, -1},
                                           StepFailure{6, 0}));

TEST(OpenComPort, NoUsableHandleGivesMinusOneAndClosesNothing) {
  for (const comm::Handle given : {comm::kInvalidHandle, 0, -7}) {
    StrictMock<MockComm> comm;
    Seriell seriell(comm);
    EXPECT_CALL(comm, CreateFile("COM0:")).WillOnce(Return(given));
    EXPECT_EQ(seriell.OpenComPort(0, kSettings, 10240, 10240, 3000, 1000), kCreateFileFailed);
    EXPECT_EQ(seriell.hComPort, given);
    seriell.CloseComPort();
    std::int16_t flag = 0;
    seriell.ReadComByte(flag);
    EXPECT_EQ(flag, -1);
  }
}

TEST(OpenComPort, NamesThePortInPlainDecimalWithAColon) {
  for (const auto& [port, name] : std::vector<std::pair<std::int16_t, std::string>>{
           {1, "COM1:"}, {9, "COM9:"}, {12, "COM12:"}, {-3, "COM-3:"}}) {
    StrictMock<MockComm> comm;
    Seriell seriell(comm);
    EXPECT_CALL(comm, CreateFile(name)).WillOnce(Return(comm::kInvalidHandle));
    seriell.OpenComPort(port, kSettings, 10240, 10240, 3000, 1000);
  }
}

class OpenPort : public ::testing::Test {
 protected:
  void SetUp() override {
    expect_steps_until(comm, kNoStepFails, 1);
    ASSERT_EQ(open_com3(seriell), kOpened);
  }
  StrictMock<MockComm> comm;
  Seriell seriell{comm};
};

TEST_F(OpenPort, RunsTheStepsInOrderAndKeepsTheHandle) {
  EXPECT_EQ(seriell.hComPort, kHandle);
}

TEST_F(OpenPort, AnEmptyOrFailedReadSetsTheFlagAndReturnsZero) {
  EXPECT_CALL(comm, ReadFile(kHandle, _, 1u, _))
      // Time-out: success, nothing read.
      .WillOnce(DoAll(SetArgPointee<1>(0x41), SetArgReferee<3>(0u), Return(1)))
      // Failure, whatever the count says.
      .WillOnce(DoAll(SetArgPointee<1>(0x41), SetArgReferee<3>(1u), Return(0)));
  for (int i = 0; i < 2; ++i) {
    std::int16_t flag = 0;
    EXPECT_EQ(seriell.ReadComByte(flag), 0);
    EXPECT_EQ(flag, -1);
  }
}

TEST_F(OpenPort, ClosingTwiceClosesOnceAndReadsStopReachingThePort) {
  EXPECT_CALL(comm, CloseHandle(kHandle)).WillOnce(Return(0));  // a failing close is ignored
  seriell.CloseComPort();
  seriell.CloseComPort();
  EXPECT_LE(seriell.hComPort, 0);
  std::int16_t flag = 0;
  EXPECT_EQ(seriell.ReadComByte(flag), 0);
  EXPECT_EQ(flag, -1);
}

}  // namespace
}  // namespace schreiber::serial
