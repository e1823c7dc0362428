#include "api/wait_clock.h"

#include <atomic>
#include <limits>

#include "platform/clock.h"

namespace voapi {
namespace {

constexpr uint64_t stepBelow(TimeUnit unit) { return unit <= TimeUnit::kSeconds ? 1000u : 60u; }

// The system clock of the original platform gives its increment in 100 ns
// units; here the increment is queried in nanoseconds directly.
class SystemWaitClock final : public WaitClock {
 public:
  uint64_t incrementNs() noexcept override {
    initialise();
    return increment_.load(std::memory_order_acquire);
  }

  uint64_t nowNs() noexcept override {
    const uint64_t recorded = incrementNs();
    const uint64_t tick =
        convertTime(voplat::tickCountMs(), TimeUnit::kMilliseconds, TimeUnit::kNanoseconds);
    // Divided by the increment of this moment, multiplied by the recorded one.
    const uint64_t current = voplat::clockIncrementNs();
    const uint64_t steps = tick / current + (tick % current != 0 ? 1 : 0);
    return steps * recorded;
  }

 private:
  // Concurrent first calls store the same values; the flag is published after
  // the increment, so whoever sees it set also sees the increment.
  void initialise() noexcept {
    if (initialised_.load(std::memory_order_acquire)) return;
    increment_.store(voplat::clockIncrementNs(), std::memory_order_relaxed);
    initialised_.store(true, std::memory_order_release);
  }

  std::atomic<uint64_t> increment_{0};
  std::atomic<bool> initialised_{false};
};

}  // namespace

uint64_t convertTime(uint64_t value, TimeUnit from, TimeUnit to) noexcept {
  while (from < to) {  // towards coarser units
    from = static_cast<TimeUnit>(static_cast<uint8_t>(from) + 1);
    value /= stepBelow(from);
  }
  while (from > to) {  // towards finer units
    value *= stepBelow(from);
    from = static_cast<TimeUnit>(static_cast<uint8_t>(from) - 1);
  }
  return value;
}

WaitClock& processWaitClock() noexcept {
  static SystemWaitClock clock;
  return clock;
}

uint64_t waitLimitNs(int32_t timeoutMs, uint64_t incrementNs) noexcept {
  const uint64_t limit = convertTime(static_cast<uint64_t>(static_cast<int64_t>(timeoutMs)),
                                     TimeUnit::kMilliseconds, TimeUnit::kNanoseconds);
  const bool overflows = incrementNs > std::numeric_limits<uint64_t>::max() - limit;
  return overflows ? limit : limit + incrementNs;
}

WaitTimer::WaitTimer(WaitClock& clock, uint64_t limit, TimeUnit unit) noexcept
    : clock_(clock),
      start_(convertTime(clock.nowNs(), TimeUnit::kNanoseconds, unit)),
      limit_(limit),
      unit_(unit) {}

uint64_t WaitTimer::remaining() noexcept {
  uint64_t elapsed = elapsedBefore_;
  if (running_) elapsed += convertTime(clock_.nowNs(), TimeUnit::kNanoseconds, unit_) - start_;
  return elapsed >= limit_ ? 0 : limit_ - elapsed;
}

}  // namespace voapi
