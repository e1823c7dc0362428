#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "vodevice_hook.h"
#include "votarsinapi.h"

namespace {

// Many threads make the first calls of the process at once: each export of
// the FPGA interface is bound lazily by whichever thread gets there first,
// and every thread must see a usable binding.
TEST(Threads, FirstCallsFromManyThreadsBindTheFpgaInterfaceOnce) {
  constexpr int kThreads = 8;
  std::atomic<int> ready{0};
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      ready.fetch_add(1);
      while (ready.load() < kThreads) std::this_thread::yield();
      Session session = 0;
      if (voTarsin_OpenSession(t % 2 ? "RIO1" : "RIO2", nullptr, 0, &session) != 0) {
        failures.fetch_add(1);
        return;
      }
      const std::string channel = "AI" + std::to_string(t);
      for (int i = 0; i < 50; ++i) {
        double range = 0;
        if (voTarsin_SetAttributeDouble(session, channel.c_str(), VOTARSIN_ATTR_AI_RANGE,
                                        0.5 + i) != 0 ||
            voTarsin_GetAttributeDouble(session, channel.c_str(), VOTARSIN_ATTR_AI_RANGE, &range) !=
                0 ||
            range != 0.5 + i)
          failures.fetch_add(1);
      }
      if (voTarsin_CloseSession(session, 0) != 0) failures.fetch_add(1);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
