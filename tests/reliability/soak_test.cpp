// Soak: a continuous acquisition read block by block for VO_SOAK_SECONDS
// (3 by default; ./build.sh soak runs 600). The sample counter of the
// information records must never skip, the data must stay continuous across
// blocks, and the process's resident memory must stay flat.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "vodevice_hook.h"
#include "votarsinapi.h"

namespace {

constexpr uint32_t kStream = 3;
constexpr uint64_t kChannels = 2;  // AI0 and AI1
constexpr uint64_t kBlock = 4096;  // samples per channel per read
// The simulated signal of AI n repeats exactly every L = P * ceil(8192 / P)
// samples, with the period P = 100 + 20 n: sample k equals sample k - L.
constexpr uint64_t kRepeat[kChannels] = {100 * 82, 120 * 69};

double soakSeconds() {
  const char* text = std::getenv("VO_SOAK_SECONDS");
  const double seconds = text != nullptr ? std::atof(text) : 0;
  return seconds > 0 ? seconds : 3;
}

// Resident set size in KiB; 0 where it cannot be read.
long residentKiB() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * 4;
}

VoDevReadInfo recordOf(const VoTarsinReadInfo& info) {
  VoDevReadInfo record;
  std::memcpy(&record, info.bytes, sizeof record);
  return record;
}

TEST(Soak, ContinuousAcquisitionStaysContinuousAndFlat) {
  VoDev_Reset();
  Session session = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("RIO0", nullptr, 0, &session));
  uint32_t count = 0;
  ASSERT_EQ(0, voTarsin_ConfigureStreamEnabledChannels(session, kStream, "AI0-AI1", &count));
  ASSERT_EQ(count, kChannels);
  ASSERT_EQ(0,
            voTarsin_SetAttributeUInt64(session, "3", VOTARSIN_ATTR_STREAM_FIFO_SIZE, 4 * kBlock));
  ASSERT_EQ(0, voTarsin_ConfigureImmediateTrigger(session, kStream));
  ASSERT_EQ(0, voTarsin_StartStream(session, kStream));

  std::vector<int16_t> data(kChannels * kBlock);
  VoTarsinReadInfo info[kChannels];
  std::vector<int16_t> history[kChannels];  // the first period of each channel
  uint64_t next = 0;                        // record index of the next sample
  const double seconds = soakSeconds();
  const auto start = std::chrono::steady_clock::now();
  long residentAfterWarmUp = 0;
  uint64_t blocks = 0;
  for (;;) {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (elapsed >= seconds) break;
    if (residentAfterWarmUp == 0 && elapsed >= seconds / 4) residentAfterWarmUp = residentKiB();

    ASSERT_EQ(
        0, voTarsin_ReadStream2DI16(session, kStream, 1000, kChannels, kBlock, data.data(), info))
        << "block " << blocks;
    for (uint64_t row = 0; row < kChannels; ++row) {
      const VoDevReadInfo record = recordOf(info[row]);
      ASSERT_EQ(record.channel, row);
      ASSERT_EQ(record.delivered, kBlock) << "block " << blocks;
      ASSERT_EQ(record.position, next) << "the sample counter skipped at block " << blocks;
      ASSERT_EQ(record.state, VODEV_STREAM_ACQUIRING);
      const int16_t* samples = &data[row * kBlock];
      for (uint64_t i = 0; i < kBlock; ++i) {
        const uint64_t k = next + i;
        if (k < kRepeat[row]) {
          history[row].push_back(samples[i]);
        } else if (samples[i] != history[row][k % kRepeat[row]]) {
          FAIL() << "AI" << row << " discontinuous at sample " << k;
        }
      }
    }
    next += kBlock;
    ++blocks;
  }
  const long residentAtEnd = residentKiB();
  EXPECT_GT(blocks, 10u);
  if (residentAfterWarmUp > 0) {
    EXPECT_LE(residentAtEnd - residentAfterWarmUp, 2048)
        << "resident memory grew from " << residentAfterWarmUp << " KiB to " << residentAtEnd
        << " KiB";
  }
  RecordProperty("blocks", static_cast<int>(blocks));
  std::printf("%llu blocks of %llu samples on %llu channels in %.0f s; RSS %ld -> %ld KiB\n",
              static_cast<unsigned long long>(blocks), static_cast<unsigned long long>(kBlock),
              static_cast<unsigned long long>(kChannels), seconds, residentAfterWarmUp,
              residentAtEnd);
  EXPECT_EQ(0, voTarsin_ClearStream(session, kStream));
  EXPECT_EQ(0, voTarsin_CloseSession(session, 0));
}

}  // namespace
