// The clock and timer of the I/O readiness wait. Readings are the system's
// millisecond tick count in nanoseconds, rounded up to whole clock increments,
// so the timer advances in the same steps the system's own timing does.
#pragma once
#include <cstdint>

namespace voapi {

// The ladder of units: steps of 1000 up to seconds, of 60 above.
enum class TimeUnit : uint8_t {
  kPicoseconds,
  kNanoseconds,
  kMicroseconds,
  kMilliseconds,
  kSeconds,
  kMinutes,
  kHours,
};

// Converts along the ladder in unsigned 64-bit arithmetic (which wraps, as
// the wait's limit computation relies on for negative time-outs).
uint64_t convertTime(uint64_t value, TimeUnit from, TimeUnit to) noexcept;

class WaitClock {
 public:
  virtual ~WaitClock() = default;
  // The clock increment recorded when the clock was initialised, in ns.
  virtual uint64_t incrementNs() noexcept = 0;
  // The current reading in ns.
  virtual uint64_t nowNs() noexcept = 0;
};

// The process-wide clock, initialised on its first use and never reset.
WaitClock& processWaitClock() noexcept;

// The limit of a wait of `timeoutMs` milliseconds: sign-extended, converted
// to nanoseconds with wrap-around (so a negative time-out becomes centuries),
// plus one clock increment unless that addition would overflow.
uint64_t waitLimitNs(int32_t timeoutMs, uint64_t incrementNs) noexcept;

// One timer for all phases of a wait; started at construction.
class WaitTimer {
 public:
  WaitTimer(WaitClock& clock, uint64_t limit, TimeUnit unit = TimeUnit::kNanoseconds) noexcept;

  // The time left before the limit, 0 once the elapsed time has reached it.
  uint64_t remaining() noexcept;

 private:
  WaitClock& clock_;
  uint64_t start_;
  uint64_t elapsedBefore_ = 0;  // time accumulated before this start
  bool running_ = true;
  uint64_t limit_;
  TimeUnit unit_;
};

}  // namespace voapi
