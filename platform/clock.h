#pragma once
// The current date and time of day, behind an interface so that tests can fix it.

namespace schreiber::platform {

struct DateTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;   // 0..23
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime now() const = 0;
};

// Local time of the machine.
class SystemClock : public Clock {
 public:
  DateTime now() const override;
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(DateTime at) : at_(at) {}
  DateTime now() const override { return at_; }

 private:
  DateTime at_;
};

}  // namespace schreiber::platform
