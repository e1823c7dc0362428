// Limits, commit and the I/O readiness wait. The wait's attribute phase is
// driven by scripted answers in the model's request hook, its module phase by
// the registers of a model session, and its timing by a clock that advances
// a fixed step per reading, so time-outs are exact without sleeping.
#include "api/io_readiness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "api/maintenance_support.h"
#include "api/wait_clock.h"
#include "platform/clock.h"
#include "votarsinapi.h"

namespace {

using namespace mnttest;

constexpr uint32_t kSession = 0x0121;
constexpr uint64_t kMs = 1000000;

// ---- Limits and commit --------------------------------------------------------------

class Limits : public ::testing::Test {
 protected:
  ScriptedDevice device;
};

TEST_F(Limits, SettersSendTheLimitAsTheirWholeInput) {
  device.push(0);
  device.push(4);
  EXPECT_EQ(0, voTarsin_SetTemperatureLimit(kSession, 85.5));
  EXPECT_EQ(4, voTarsin_SetPowerLimit(kSession, -0.25));
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].function, 14u);
  EXPECT_EQ(requests[0].input, bytesOf(85.5));
  EXPECT_EQ(requests[1].function, 15u);
  EXPECT_EQ(requests[1].input, bytesOf(-0.25));
  for (const RecordedRequest& r : requests) EXPECT_FALSE(r.hadOutput);
}

TEST_F(Limits, GettersCopyTheResponseAfterEveryRequest) {
  double limit = 0;
  device.push(0, bytesOf(70.25));
  EXPECT_EQ(0, voTarsin_GetTemperatureLimit(kSession, &limit));
  EXPECT_EQ(limit, 70.25);
  device.push(3, bytesOf(12.5));
  EXPECT_EQ(3, voTarsin_GetPowerLimit(kSession, &limit));
  EXPECT_EQ(limit, 12.5);
  device.push(-8, bytesOf(99.0));
  EXPECT_EQ(-8, voTarsin_GetPowerLimit(kSession, &limit));
  EXPECT_EQ(limit, 99.0);

  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].function, 16u);
  EXPECT_EQ(requests[1].function, 17u);
  for (const RecordedRequest& r : requests) {
    EXPECT_TRUE(r.input.empty());
    EXPECT_EQ(r.outputSize, 8u);
  }
}

TEST_F(Limits, GettersRefuseANullOutputWithoutARequest) {
  EXPECT_EQ(-52005, voTarsin_GetTemperatureLimit(kSession, nullptr));
  EXPECT_EQ(-52005, voTarsin_GetPowerLimit(kSession, nullptr));
  EXPECT_EQ(device.count(), 0u);
}

TEST_F(Limits, CommitSendsTheMaintenanceRecord) {
  device.push(-6);
  EXPECT_EQ(-6, voTarsin_Commit(kSession));
  ASSERT_EQ(device.count(), 1u);
  const RecordedRequest r = device.requests()[0];
  EXPECT_EQ(r.function, 256u);
  EXPECT_EQ(r.input, familyRecord(24, kMaintenanceFamily, 342));
  EXPECT_EQ(r.input[0], 0xED);
  EXPECT_EQ(r.input[3], 0xDE);
  EXPECT_FALSE(r.hadOutput);
}

TEST_F(Limits, OnlyTheCommitOfASimulatedSessionGoesToTheSimulationLibrary) {
  ASSERT_EQ(0, voTarsin_RestartSimulation(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  device.push(0);
  device.push(0);
  EXPECT_EQ(0, voTarsin_Commit(kSession | 0x2000));
  EXPECT_EQ(0, voTarsin_SetTemperatureLimit(kSession | 0x2000, 1.0));
  voTarsin_DisposeSimulation();
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].route, VODEV_ROUTE_SIMULATION);
  EXPECT_EQ(requests[1].route, VODEV_ROUTE_FPGA);
}

// ---- Clock and limit ---------------------------------------------------------------

TEST(WaitClock, UnitsConvertAlongTheLadder) {
  using voapi::convertTime;
  using voapi::TimeUnit;
  EXPECT_EQ(convertTime(3, TimeUnit::kMilliseconds, TimeUnit::kNanoseconds), 3 * kMs);
  EXPECT_EQ(convertTime(2, TimeUnit::kHours, TimeUnit::kSeconds), 7200u);
  EXPECT_EQ(convertTime(1, TimeUnit::kMinutes, TimeUnit::kPicoseconds), 60000000000000u);
  EXPECT_EQ(convertTime(7999, TimeUnit::kMicroseconds, TimeUnit::kMilliseconds), 7u);
  EXPECT_EQ(convertTime(7199, TimeUnit::kSeconds, TimeUnit::kHours), 1u);
}

TEST(WaitClock, LimitIsTheTimeoutPlusOneIncrement) {
  using voapi::waitLimitNs;
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  EXPECT_EQ(waitLimitNs(0, 15625), 15625u);
  EXPECT_EQ(waitLimitNs(250, 1), 250 * kMs + 1);
  // A negative time-out wraps around to centuries.
  EXPECT_EQ(waitLimitNs(-1, 100), kMax - kMs + 1 + 100);
  EXPECT_EQ(waitLimitNs(std::numeric_limits<int32_t>::min(), 1),
            uint64_t{0} - uint64_t{2147483648} * kMs + 1);
  // An increment that would overflow the limit is left out.
  EXPECT_EQ(waitLimitNs(-1, 2 * kMs), kMax - kMs + 1);
}

TEST(WaitClock, ProcessClockReadsTheTickInWholeIncrements) {
  voapi::WaitClock& clock = voapi::processWaitClock();
  const uint64_t increment = clock.incrementNs();
  EXPECT_EQ(increment, voplat::clockIncrementNs());
  const uint64_t before = voplat::tickCountMs() * kMs;
  const uint64_t reading = clock.nowNs();
  const uint64_t after = voplat::tickCountMs() * kMs;
  EXPECT_EQ(reading % increment, 0u);
  EXPECT_GE(reading, before);
  EXPECT_LT(reading, after + increment);
}

// A clock that advances `step` ns per reading, starting at 0.
class SteppingClock : public voapi::WaitClock {
 public:
  SteppingClock(uint64_t increment, uint64_t step) : increment_(increment), step_(step) {}
  uint64_t incrementNs() noexcept override { return increment_; }
  uint64_t nowNs() noexcept override { return step_ * readings_++; }
  uint64_t readings() const { return readings_; }

 private:
  uint64_t increment_;
  uint64_t step_;
  uint64_t readings_ = 0;
};

TEST(WaitClock, TimerCountsDownToZero) {
  SteppingClock clock(1000, kMs);
  voapi::WaitTimer timer(clock, 2 * kMs + 1000);
  EXPECT_EQ(timer.remaining(), kMs + 1000);
  EXPECT_EQ(timer.remaining(), 1000u);
  EXPECT_EQ(timer.remaining(), 0u);
  EXPECT_EQ(timer.remaining(), 0u);
}

// ---- The wait ----------------------------------------------------------------------

constexpr uint32_t kIoReady = 0x40000003;
constexpr uint32_t kIoError = 0x1000000D;
constexpr const char* kDram = "tarsin.module.dram ready 0";
constexpr const char* kData = "tarsin.module.data valid 0";

// What one get of the attribute phase answers.
struct Reply {
  int32_t status;
  int32_t value;
};

class WaitForIoReady : public ::testing::Test {
 protected:
  void SetUp() override {
    VoDev_Reset();
    ASSERT_EQ(0, voTarsin_OpenSession("RIO0", nullptr, 0, &session));
    device.respond([this](const RecordedRequest& r, ScriptedDevice::Answer& answer) {
      if (r.function != 256 || r.field<uint32_t>(16) != 721) return false;
      const uint32_t id = r.field<uint32_t>(20);
      if (id != kIoReady && id != kIoError) return false;
      std::vector<Reply>& script = id == kIoReady ? ready : error;
      size_t& next = id == kIoReady ? readyGets : errorGets;
      const Reply reply = script[std::min(next++, script.size() - 1)];
      answer.status = reply.status;
      answer.response = id == kIoReady ? valueBlock<uint8_t>(280, reply.value != 0)
                                       : valueBlock<int64_t>(8, reply.value);
      return true;
    });
  }
  void TearDown() override { voTarsin_CloseSession(session, 0); }

  int32_t wait(int32_t timeoutMs, SteppingClock& clock) {
    return voapi::WaitForIoReady(session, timeoutMs, &ioReady, &ioError, clock);
  }
  int64_t reads(const char* name) { return VoDev_RegisterReadCount(session, name); }

  Session session = 0;
  ScriptedDevice device;
  // Answers of the successive IO Ready and IO Error gets; the last repeats.
  std::vector<Reply> ready{{0, 1}};
  std::vector<Reply> error{{0, 0}};
  size_t readyGets = 0;
  size_t errorGets = 0;
  uint32_t ioReady = 77;
  int32_t ioError = 77;
};

TEST_F(WaitForIoReady, ReadyDeviceAndModulePassInOneRoundEach) {
  SteppingClock clock(1000, kMs);
  EXPECT_EQ(0, wait(100, clock));
  EXPECT_EQ(ioReady, 1u);
  EXPECT_EQ(ioError, 0);
  EXPECT_EQ(device.inputs(), (std::vector<Bytes>{attributeRecord(721, kIoReady, kWireBool, ""),
                                                 attributeRecord(721, kIoError, kWireI32, "")}));
  EXPECT_EQ(reads(kDram), 1);
  EXPECT_EQ(reads(kData), 1);
  char name[64];
  uint32_t scope = 0;
  EXPECT_GT(VoDev_LastFindRegister(name, sizeof name, &scope), 0u);
  EXPECT_STREQ(name, kData);
  EXPECT_EQ(scope, 0xFFFFFFFFu);
}

TEST_F(WaitForIoReady, AReadyByteOtherThanOneIsReportedAsOne) {
  device.respond([](const RecordedRequest& r, ScriptedDevice::Answer& answer) {
    answer.response = valueBlock<uint8_t>(280, r.field<uint32_t>(20) == kIoReady ? 0x80 : 0);
    return true;
  });
  SteppingClock clock(1000, kMs);
  EXPECT_EQ(0, wait(100, clock));
  EXPECT_EQ(ioReady, 1u);
}

TEST_F(WaitForIoReady, PositiveIoErrorEndsTheAttributePhaseAndTheModulePhaseRuns) {
  ready = {{0, 0}};
  error = {{0, 5}};
  SteppingClock clock(1000, kMs);
  EXPECT_EQ(0, wait(100, clock));
  EXPECT_EQ(ioReady, 0u);
  EXPECT_EQ(ioError, 5);
  EXPECT_EQ(device.count(), 2u);
  EXPECT_EQ(reads(kDram), 1);
  EXPECT_EQ(reads(kData), 1);
}

TEST_F(WaitForIoReady, NegativeIoErrorFailsWithoutTheModulePhase) {
  ready = {{0, 0}};
  error = {{0, -1}};
  SteppingClock clock(1000, kMs);
  EXPECT_EQ(-304314, wait(100, clock));
  EXPECT_EQ(ioReady, 0u);
  EXPECT_EQ(ioError, -1);
  EXPECT_EQ(reads(kDram), 0);
}

TEST_F(WaitForIoReady, AWarningOfTheFirstGetIsTheResultAndItsValueIsNotTaken) {
  // The warning's response says ready; the wait must not believe it and
  // polls a second time.
  ready = {{17, 1}, {0, 0}, {0, 1}};
  SteppingClock clock(1000, kMs);
  EXPECT_EQ(17, wait(100, clock));
  EXPECT_EQ(ioReady, 1u);
  EXPECT_EQ(readyGets, 3u);
  EXPECT_EQ(errorGets, 3u);
}

TEST_F(WaitForIoReady, OnlyTheFirstWarningIsKept) {
  ready = {{0, 0}, {0, 1}};
  error = {{21, 0}, {22, 0}};
  SteppingClock clock(1000, kMs);
  EXPECT_EQ(21, wait(100, clock));
}

TEST_F(WaitForIoReady, AFailedGetEndsTheWaitAndLeavesTheOutputs) {
  error = {{-9, 0}};
  SteppingClock clock(1000, kMs);
  EXPECT_EQ(-9, wait(100, clock));
  EXPECT_EQ(ioReady, 77u);
  EXPECT_EQ(ioError, 77);
  EXPECT_EQ(device.count(), 2u);

  ready = {{-4, 1}};
  readyGets = errorGets = 0;
  device.clear();
  EXPECT_EQ(-4, wait(100, clock));
  EXPECT_EQ(device.count(), 1u);
  EXPECT_EQ(reads(kDram), 0);
}

TEST_F(WaitForIoReady, AttributePhaseTimesOutAfterTheRemainingTimeReachedZero) {
  ready = {{0, 0}};
  // Limit 3 ms + 1 us; readings 1, 2, 3 ms leave time, the fourth none: that
  // pass still reads, then the wait gives up.
  SteppingClock clock(1000, kMs);
  EXPECT_EQ(-304314, wait(3, clock));
  EXPECT_EQ(readyGets, 4u);
  EXPECT_EQ(errorGets, 4u);
  EXPECT_EQ(clock.readings(), 5u);
  EXPECT_EQ(ioReady, 0u);
  EXPECT_EQ(ioError, 0);
  EXPECT_EQ(reads(kDram), 0);
}

TEST_F(WaitForIoReady, ZeroTimeoutStillMakesOnePass) {
  ready = {{0, 0}};
  SteppingClock clock(1000, kMs);
  EXPECT_EQ(-304314, wait(0, clock));
  EXPECT_EQ(readyGets, 1u);

  ready = {{0, 1}};
  readyGets = 0;
  SteppingClock fresh(1000, kMs);
  EXPECT_EQ(0, wait(0, fresh));
  EXPECT_EQ(reads(kDram), 1);  // the module phase makes its first pass too
}

TEST_F(WaitForIoReady, ModulePhaseTimesOutOnTheMemoryThenOnTheData) {
  ASSERT_GT(VoDev_SetRegister(session, kDram, 0), 0);
  // Limit 2 ms + 1 us: the attribute phase uses the 1 ms reading, the module
  // phase the 2 ms (time left) and 3 ms (none) readings.
  SteppingClock clock(1000, kMs);
  EXPECT_EQ(-304417, wait(2, clock));
  EXPECT_EQ(ioReady, 1u);
  EXPECT_EQ(ioError, 0);
  EXPECT_EQ(reads(kDram), 2);
  EXPECT_EQ(reads(kData), 1);  // read true once, then left alone

  ASSERT_GT(VoDev_SetRegister(session, kDram, 1), 0);
  ASSERT_GT(VoDev_SetRegister(session, kData, 0), 0);
  SteppingClock again(1000, kMs);
  EXPECT_EQ(-304418, wait(2, again));
  EXPECT_EQ(reads(kDram), 3);
  EXPECT_EQ(reads(kData), 3);
}

TEST_F(WaitForIoReady, AbsentRegistersCountAsReady) {
  ASSERT_EQ(0, VoDev_RemoveRegister(session, kDram));
  ASSERT_EQ(0, VoDev_RemoveRegister(session, kData));
  SteppingClock clock(1000, kMs);
  // A read of a missing register would fail; none is made.
  EXPECT_EQ(0, wait(0, clock));

  ASSERT_GT(VoDev_SetRegister(session, kData, 0), 0);
  SteppingClock again(1000, kMs);
  EXPECT_EQ(-304418, wait(0, again));
}

TEST_F(WaitForIoReady, ARegisterThatTurnsReadyOnTheThirdPass) {
  const int32_t statuses[] = {0, 0};
  const uint8_t values[] = {0, 0};
  ASSERT_EQ(0, VoDev_ScriptRegisterReads(session, kDram, statuses, values, 2));
  SteppingClock clock(1000, kMs);
  EXPECT_EQ(0, wait(100, clock));
  EXPECT_EQ(reads(kDram), 3);
  EXPECT_EQ(reads(kData), 1);
  EXPECT_EQ(clock.readings(), 5u);  // start, one attribute pass, three module passes
}

TEST_F(WaitForIoReady, RegisterReadWarningsAndErrors) {
  const int32_t warning[] = {7};
  const uint8_t one[] = {1};
  ASSERT_EQ(0, VoDev_ScriptRegisterReads(session, kData, warning, one, 1));
  SteppingClock clock(1000, kMs);
  EXPECT_EQ(7, wait(100, clock));

  // The attribute phase's warning came first and stays the result.
  ready = {{17, 0}, {0, 1}};
  readyGets = 0;
  ASSERT_EQ(0, VoDev_ScriptRegisterReads(session, kData, warning, one, 1));
  SteppingClock second(1000, kMs);
  EXPECT_EQ(17, wait(100, second));

  const int32_t failure[] = {-12};
  ASSERT_EQ(0, VoDev_ScriptRegisterReads(session, kDram, failure, nullptr, 1));
  SteppingClock third(1000, kMs);
  ioReady = 77;
  EXPECT_EQ(-12, wait(100, third));
  EXPECT_EQ(ioReady, 1u);      // written when the attribute phase ended
  EXPECT_EQ(reads(kData), 0);  // scripted reads that warn are not counted; no real read
}

TEST_F(WaitForIoReady, ExportedWaitUsesTheProcessClock) {
  ready = {{0, 0}};
  // Never ready: a zero time-out gives up within a tick or two.
  EXPECT_EQ(-304314, voTarsin_WaitForIoReady(session, 0, nullptr, nullptr));
  ready = {{0, 1}};
  EXPECT_EQ(0, voTarsin_WaitForIoReady(session, -1, &ioReady, nullptr));
  EXPECT_EQ(ioReady, 1u);
}

// ---- The wait against the model's commit --------------------------------------------

TEST(WaitForIoReadyOnTheModel, CommitMakesTheDeviceReadyAfterItsDelays) {
  VoDev_Reset();
  VoDev_SetCommitDelays(5, 5);
  Session session = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("RIO1", nullptr, 0, &session));
  uint32_t ioReady = 7;
  int32_t ioError = 7;
  // Never committed: never ready.
  EXPECT_EQ(-304314, voTarsin_WaitForIoReady(session, 0, &ioReady, &ioError));
  EXPECT_EQ(ioReady, 0u);

  ASSERT_EQ(0, voTarsin_Commit(session));
  EXPECT_EQ(0, voTarsin_WaitForIoReady(session, 5000, &ioReady, &ioError));
  EXPECT_EQ(ioReady, 1u);
  EXPECT_EQ(ioError, 0);
  EXPECT_GE(VoDev_RegisterReadCount(session, kDram), 1);
  EXPECT_GE(VoDev_RegisterReadCount(session, kData), 1);

  ASSERT_EQ(0, VoDev_SetIoError(session, -1));
  EXPECT_EQ(-304314, voTarsin_WaitForIoReady(session, 5000, &ioReady, &ioError));
  EXPECT_EQ(ioError, -1);
  VoDev_SetCommitDelays(20, 10);
  EXPECT_EQ(0, voTarsin_CloseSession(session, 1));
}

}  // namespace
