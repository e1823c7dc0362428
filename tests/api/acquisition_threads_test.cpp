// Acquisition from several threads at once: the library keeps no stream
// state and builds every record on the caller's stack, so threads working on
// their own streams of one device must never disturb each other.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "vodevice_hook.h"
#include "votarsinapi.h"

namespace {

TEST(AcquisitionThreads, ThreadsOnTheirOwnStreamsReadTheirOwnRecords) {
  VoDev_Reset();
  constexpr int kThreads = 4;
  constexpr int kRounds = 25;
  constexpr uint64_t kSamples = 256;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      Session session = 0;
      if (voTarsin_OpenSession("RIO3", nullptr, 0, &session) != 0) {
        failures.fetch_add(1);
        return;
      }
      const auto stream = static_cast<uint32_t>(10 + t);
      const std::string channel = "AI" + std::to_string(t);
      std::vector<int16_t> first;
      for (int round = 0; round < kRounds; ++round) {
        std::vector<int16_t> data(kSamples);
        VoTarsinReadInfo info;
        if (voTarsin_ConfigureStreamEnabledChannels(session, stream, channel.c_str(), nullptr) ||
            voTarsin_ConfigureStreamFinite(session, stream, kSamples) ||
            voTarsin_ConfigureImmediateTrigger(session, stream) ||
            voTarsin_StartStream(session, stream) ||
            voTarsin_ReadStreamI16(session, stream, 100, kSamples, data.data(), &info) ||
            voTarsin_ClearStream(session, stream)) {
          failures.fetch_add(1);
          continue;
        }
        // Every round acquires the same deterministic signal of this
        // thread's channel.
        if (first.empty())
          first = data;
        else if (data != first)
          failures.fetch_add(1);
      }
      if (voTarsin_CloseSession(session, 0) != 0) failures.fetch_add(1);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
