// Several threads using the model at once: each thread's writes must come
// back intact and the model must stay consistent.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "acquisition_support.h"

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

TEST_F(ConcurrencyTest, StreamsOfOneDeviceAcquireWhileRoutesAndPulsesChange) {
  constexpr int kReaders = 4;
  constexpr uint64_t kRecord = 4000, kPiece = 400;
  // Each reader owns one stream; what it reads in pieces must equal the
  // record read at once beforehand.
  std::vector<std::vector<int16_t>> expected;
  for (int t = 0; t < kReaders; ++t) {
    ConfigureStream(simulated_, 40 + t, uint64_t{1} << t, true, kRecord);
    ASSERT_EQ(StartStream(simulated_, 40 + t), 0);
    expected.push_back(ReadStream<int16_t>(simulated_, 40 + t, 1, kRecord).data[0]);
    ConfigureDigital(simulated_, t, "PFI" + std::to_string(t));
    ConfigureStream(simulated_, t, uint64_t{1} << t, true, kRecord);
  }
  std::atomic<int> failures{0};
  std::atomic<bool> done{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kReaders; ++t) {
    threads.emplace_back([&, t] {
      const uint32_t stream = t;
      for (int round = 0; round < 20; ++round) {
        if (StartStream(simulated_, stream) != 0) ++failures;
        // The stream waits for its own terminal; no other stream does.
        if (WaitFor(simulated_, stream, 0, 0).state != VODEV_STREAM_WAITING ||
            VoDev_PulseTerminal(simulated_, ("PFI" + std::to_string(t)).c_str()) != 1) {
          ++failures;
        }
        for (uint64_t at = 0; at < kRecord; at += kPiece) {
          ReadResult<int16_t> read = ReadStream<int16_t>(simulated_, stream, 1, kPiece);
          if (read.status != 0 || read.delivered != kPiece || !read.guardsIntact ||
              read.info[0].triggerIndex != 0 || read.info[0].position != at ||
              !std::equal(read.data[0].begin(), read.data[0].end(), expected[t].begin() + at)) {
            ++failures;
          }
        }
      }
    });
  }
  // Meanwhile routes come and go and sync pulses arrive.
  threads.emplace_back([&] {
    int rounds = 0;
    while (!done.load() || rounds < 50) {
      uint32_t id = 0;
      if (Send(simulated_, RouteRecord("PXI_Trig0", "PXI_Trig7"), &id, 4) != 0 ||
          Send(simulated_, SyncPulseRecord(rounds)) != 0 ||
          Send(simulated_, UnrouteRecord(id)) != 0) {
        ++failures;
      }
      ++rounds;
    }
  });
  for (int t = 0; t < kReaders; ++t) threads[t].join();
  done = true;
  threads.back().join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_GE(VoDev_SyncPulseCount(simulated_, nullptr), 50);
  EXPECT_EQ(VoDev_RouteCount(simulated_), 0);
}

}  // namespace
}  // namespace standin_test
