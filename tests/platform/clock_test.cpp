// Sleeping and the tick clock.
#include "platform/clock.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>

#include <atomic>
#include <thread>

namespace voplat {
namespace {

uint64_t monotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

TEST(Clock, TickCountFollowsTheMonotonicClockInMilliseconds) {
  const uint64_t before = monotonicMs();
  const uint64_t tick = tickCountMs();
  const uint64_t after = monotonicMs();
  EXPECT_GE(tick, before);
  EXPECT_LE(tick, after);
}

TEST(Clock, SleepLastsAtLeastTheGivenTime) {
  const uint64_t start = tickCountMs();
  sleepMs(60);
  const uint64_t elapsed = tickCountMs() - start;
  EXPECT_GE(elapsed, 60u);
  EXPECT_LT(elapsed, 60u + 2000u);

  const uint64_t zeroStart = tickCountMs();
  sleepMs(0);
  EXPECT_LT(tickCountMs() - zeroStart, 1000u);
}

extern "C" void ignoreSignal(int) {}

TEST(Clock, SleepResumesAfterASignal) {
  struct sigaction action {};
  struct sigaction previous {};
  action.sa_handler = ignoreSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no automatic restart: the sleep itself must resume
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);

  const pthread_t sleeper = pthread_self();
  std::atomic<bool> done{false};
  std::thread interrupter([&] {
    for (int i = 0; i < 10 && !done.load(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
      if (!done.load()) pthread_kill(sleeper, SIGUSR1);
    }
  });
  const uint64_t start = tickCountMs();
  sleepMs(120);
  const uint64_t elapsed = tickCountMs() - start;
  done = true;
  interrupter.join();
  sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_GE(elapsed, 120u);
}

TEST(Clock, IncrementIsTheMonotonicClockResolution) {
  timespec res{};
  ASSERT_EQ(clock_getres(CLOCK_MONOTONIC, &res), 0);
  const uint64_t expected =
      static_cast<uint64_t>(res.tv_sec) * 1000000000u + static_cast<uint64_t>(res.tv_nsec);
  EXPECT_EQ(clockIncrementNs(), expected == 0 ? 1u : expected);
  EXPECT_GE(clockIncrementNs(), 1u);
}

}  // namespace
}  // namespace voplat
