// Several threads using the model at once: each thread's writes must come
// back intact and the model must stay consistent.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "standin_support.h"

namespace standin_test {
namespace {

class ConcurrencyTest : public StandinTest {};

TEST_F(ConcurrencyTest, ThreadsSettingAndGettingKeepTheirOwnValues) {
  constexpr int kThreads = 8;
  constexpr int kRounds = 300;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Each thread owns one AI channel of the shared device and opens and
      // closes sessions of its own on another resource meanwhile.
      const std::string channel = "AI" + std::to_string(t);
      const std::string resource = "SIM" + std::to_string(t);
      for (int round = 0; round < kRounds; ++round) {
        const double range = 0.5 + t + round / 1000.0;
        if (Send(hardware_, SetF64(0x20000010, channel, range)) != 0) ++failures;
        Block block;
        if (Get(hardware_, 0x20000011, kWireF64, channel, block) != 0 ||
            Take<double>(block.data(), 0) != range / 8192) {
          ++failures;
        }
        // Resetting removes the stored value again, so the device's value
        // table keeps changing shape under the other threads.
        if (Send(hardware_, AttributeRecord(kReset, 0x20000010, 0, channel)) != 0 ||
            Get(hardware_, 0x20000010, kWireF64, channel, block) != 0 ||
            Take<double>(block.data(), 0) != 1.0) {
          ++failures;
        }
        if (Send(hardware_, SetF64(0x20000010, channel, range)) != 0) ++failures;
        uint32_t session = 0;
        if (VoFpgaDll_Open("image", nullptr, resource.c_str(), 0, &session) != 0 ||
            Get(session, 0x1000000F, kWireI32, "", block) != 0 ||
            VoFpgaDll_Close(session, 0) != 0) {
          ++failures;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(VoDev_OpenSessionCount(), 2u);
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(GetF64(hardware_, 0x20000010, "AI" + std::to_string(t)),
              0.5 + t + (kRounds - 1) / 1000.0);
  }
}

}  // namespace
}  // namespace standin_test
