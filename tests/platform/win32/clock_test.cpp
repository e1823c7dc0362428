// Sleeping, the tick count and the clock increment on Windows.
#include "platform/clock.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace voplat {
namespace {

// The tick count advances in steps of the system timer (up to ~16 ms).
constexpr uint64_t kTickSlackMs = 20;

TEST(Clock, TickCountIsTheSystemsMillisecondTickCount) {
  const uint64_t before = GetTickCount64();
  const uint64_t tick = tickCountMs();
  const uint64_t after = GetTickCount64();
  EXPECT_GE(tick, before);
  EXPECT_LE(tick, after);
}

TEST(Clock, SleepLastsAtLeastTheGivenTime) {
  const uint64_t start = tickCountMs();
  sleepMs(60);
  const uint64_t elapsed = tickCountMs() - start;
  EXPECT_GE(elapsed + kTickSlackMs, 60u);
  EXPECT_LT(elapsed, 60u + 2000u);
}

TEST(Clock, IncrementIsTheTimeAdjustmentIncrement) {
  DWORD adjustment = 0, increment = 0;
  BOOL disabled = FALSE;
  ASSERT_TRUE(GetSystemTimeAdjustment(&adjustment, &increment, &disabled));
  EXPECT_EQ(clockIncrementNs(), increment == 0 ? 1u : uint64_t{increment} * 100u);
}

}  // namespace
}  // namespace voplat
