#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "vodevice_hook.h"
#include "votarsinapi.h"

namespace {

// Each ctest case runs in a fresh process, so this is the process's first GX
// open: the binding must run on one thread while the other waits for it.
TEST(GxOpenThreads, TwoThreadsOpeningAtOnceLoadTheModuleOnce) {
  std::atomic<int> ready{0};
  Session sessions[2] = {};
  int32_t statuses[2] = {-1, -1};
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([&, t] {
      ready.fetch_add(1);
      while (ready.load() < 2) std::this_thread::yield();
      statuses[t] = voTarsin_GxOpenSession("RIO4", nullptr, 0, &sessions[t]);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(statuses[0], 0);
  EXPECT_EQ(statuses[1], 0);
  EXPECT_NE(sessions[0], sessions[1]);
  EXPECT_EQ(VoDev_GxLoadCount(), 1u);
  uint32_t calls = 0;
  VoDev_GxLastTlsIndex(&calls);
  EXPECT_EQ(calls, 1u);
}

}  // namespace
