#pragma once
// A serial facade for the paths a real line cannot be made to take: a chosen step that
// fails, and a line whose reads are scripted (each an immediate byte or an empty read).

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "comm/comm.h"

namespace schreiber::testing {

class FakeComm : public comm::Comm {
 public:
  comm::Handle handle_to_give = 7;
  // The step whose call fails: "CreateFile", "ClearCommError", ... (empty: none).
  std::string failing_step;
  // What each ReadFile gives: a byte, or nothing (an empty read, at once).
  std::deque<std::optional<std::uint8_t>> line;
  std::vector<std::string> calls;
  int close_count = 0;

  comm::Handle CreateFile(const std::string& name) override {
    calls.push_back("CreateFile " + name);
    return failing_step == "CreateFile" ? comm::kInvalidHandle : handle_to_give;
  }
  std::int32_t ClearCommError(comm::Handle) override { return step("ClearCommError"); }
  std::int32_t PurgeComm(comm::Handle, std::uint32_t) override { return step("PurgeComm"); }
  std::int32_t GetCommState(comm::Handle, comm::Dcb&) override { return step("GetCommState"); }
  std::int32_t BuildCommDCB(const std::string& settings, comm::Dcb&) override {
    return step("BuildCommDCB", settings);
  }
  std::int32_t SetCommState(comm::Handle, const comm::Dcb&) override {
    return step("SetCommState");
  }
  std::int32_t SetupComm(comm::Handle, std::int32_t in_queue, std::int32_t out_queue) override {
    return step("SetupComm", std::to_string(in_queue) + " " + std::to_string(out_queue));
  }
  std::int32_t SetCommTimeouts(comm::Handle, const comm::CommTimeouts& t) override {
    return step("SetCommTimeouts", std::to_string(t.ReadTotalTimeoutConstant) + " " +
                                       std::to_string(t.WriteTotalTimeoutConstant));
  }
  std::int32_t ReadFile(comm::Handle, std::uint8_t* buffer, std::uint32_t,
                        std::uint32_t& bytes_read) override {
    bytes_read = 0;
    if (line.empty()) return 1;
    const auto next = line.front();
    line.pop_front();
    if (next) {
      *buffer = *next;
      bytes_read = 1;
    }
    return 1;
  }
  std::int32_t CloseHandle(comm::Handle) override {
    ++close_count;
    calls.push_back("CloseHandle");
    return 1;
  }

  void play(const std::string& bytes) {
    for (const char c : bytes) line.push_back(static_cast<std::uint8_t>(c));
  }
  void silence(int reads) {
    for (int i = 0; i < reads; ++i) line.push_back(std::nullopt);
  }

 private:
  // Logged as the name, then the arguments that matter to the caller.
  std::int32_t step(const std::string& name, const std::string& arguments = "") {
    calls.push_back(arguments.empty() ? name : name + " " + arguments);
    return failing_step == name ? 0 : 1;
  }
};

}  // namespace schreiber::testing
