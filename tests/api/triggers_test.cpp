// Start triggers against exact request bytes, with the driver's answers
// scripted.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "api/acquisition_wire.h"
#include "support/request_recorder.h"
#include "votarsinapi.h"

namespace {

using namespace acqtest;
using votest::RecordedRequest;
using votest::RequestRecorder;

constexpr uint32_t kSession = 0x0202;
constexpr uint32_t kTriggerType = 0x10000009;
constexpr uint32_t kDigitalSource = 0x30000000;
constexpr uint32_t kSensitivity = 0x10000016;
constexpr uint32_t kLevel = 0x20000002;
constexpr uint32_t kHysteresis = 0x20000003;
constexpr uint32_t kRising = 0x40000002;
constexpr uint32_t kEdgeChannel = 0x10000008;
constexpr uint32_t kAiChannelCount = 0x1000000F;

Bytes countBlock(int64_t count) {
  Bytes block(kValueBlock, 0);
  put(block, 8, count);
  return block;
}

using Triggers = RecordedRequests;

// ---- Immediate --------------------------------------------------------------

TEST_F(Triggers, ImmediateWritesType0OnTheStream) {
  answer(0);
  answer(6);
  EXPECT_EQ(0, voTarsin_ConfigureImmediateTrigger(kSession, 5));
  EXPECT_EQ(6, voTarsin_ConfigureImmediateTrigger(kSession, 63));
  EXPECT_EQ(inputs(),
            (std::vector<Bytes>{setI32(kTriggerType, "5", 0), setI32(kTriggerType, "63", 0)}));
  EXPECT_EQ(-304405, voTarsin_ConfigureImmediateTrigger(kSession, 64));
  EXPECT_EQ(recorder.count(), 2u);
}

// ---- Digital ----------------------------------------------------------------

TEST_F(Triggers, DigitalWritesTypeSourceAndSensitivity) {
  answerAll(3);
  EXPECT_EQ(0, voTarsin_ConfigureDigitalStartTrigger(kSession, 4, "PFI0", 0x7FFFFFFE));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{setI32(kTriggerType, "4", 1),
                                          setString(kDigitalSource, "4", "PFI0"),
                                          setI32(kSensitivity, "4", 0x7FFFFFFE)}));
}

TEST_F(Triggers, OnlyTheExactSourceDioSelectsTheDioTrigger) {
  answerAll(9);
  EXPECT_EQ(0, voTarsin_ConfigureDigitalStartTrigger(kSession, 0, "DIO", -5));
  EXPECT_EQ(0, voTarsin_ConfigureDigitalStartTrigger(kSession, 0, "DIO0", 1));
  EXPECT_EQ(0, voTarsin_ConfigureDigitalStartTrigger(kSession, 0, "dio", 1));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{
                          setI32(kTriggerType, "0", 3), setString(kDigitalSource, "0", ""),
                          setI32(kSensitivity, "0", -5), setI32(kTriggerType, "0", 1),
                          setString(kDigitalSource, "0", "DIO0"), setI32(kSensitivity, "0", 1),
                          setI32(kTriggerType, "0", 1), setString(kDigitalSource, "0", "dio"),
                          setI32(kSensitivity, "0", 1)}));
}

TEST_F(Triggers, DigitalRefusesANullSourceAndAStreamOf64WithoutSending) {
  EXPECT_EQ(-52005, voTarsin_ConfigureDigitalStartTrigger(kSession, 0, nullptr, 1));
  EXPECT_EQ(-304405, voTarsin_ConfigureDigitalStartTrigger(kSession, 64, "PFI0", 1));
  EXPECT_EQ(-304405, voTarsin_ConfigureDigitalStartTrigger(kSession, 64, nullptr, 1));
  EXPECT_EQ(recorder.count(), 0u);
}

TEST_F(Triggers, DigitalStopsAtAnErrorAndKeepsTheFirstWarning) {
  answer(0);
  answer(-4);
  EXPECT_EQ(-4, voTarsin_ConfigureDigitalStartTrigger(kSession, 0, "PFI1", 1));
  EXPECT_EQ(recorder.count(), 2u);
  recorder.clear();
  answer(7);
  answer(8);
  answer(0);
  EXPECT_EQ(7, voTarsin_ConfigureDigitalStartTrigger(kSession, 0, "PFI1", 1));
  EXPECT_EQ(recorder.count(), 3u);
  recorder.clear();
  answer(7);
  answer(0);
  answer(-9);
  EXPECT_EQ(-9, voTarsin_ConfigureDigitalStartTrigger(kSession, 0, "PFI1", 1));
}

// ---- Analog edge ------------------------------------------------------------

TEST_F(Triggers, AnalogEdgeValidatesThenWritesEverythingOnTheGivenStream) {
  answer(0, countBlock(16));
  answerAll(5);
  EXPECT_EQ(0, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 7, "AI2", 1, 0.25, 0.01));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{getRecord(kAiChannelCount, kWireI32, ""),
                                          setI32(kTriggerType, "7", 4), setF64(kLevel, "7", 0.25),
                                          setF64(kHysteresis, "7", 0.01), setBool(kRising, "7", 1),
                                          setI32(kEdgeChannel, "7", 2)}));
  EXPECT_EQ(recorder.requests()[0].outputSize, 281u);

  // Any non-zero slope is rising; zero is falling; lower-case names count.
  recorder.clear();
  answer(0, countBlock(16));
  answerAll(5);
  EXPECT_EQ(0, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "ai15", -3, -1.5, 0));
  EXPECT_EQ(recorder.requests()[4].input, setBool(kRising, "0", 1));
  EXPECT_EQ(recorder.requests()[5].input, setI32(kEdgeChannel, "0", 15));
  recorder.clear();
  answer(0, countBlock(16));
  answerAll(5);
  EXPECT_EQ(0, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "AI1", 0, 0, 0));
  EXPECT_EQ(recorder.requests()[4].input, setBool(kRising, "0", 0));
}

TEST_F(Triggers, AnalogEdgeRefusesAnythingButOneAnalogInputWithoutSending) {
  EXPECT_EQ(-304420, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "AI0,AI1", 1, 0, 0));
  EXPECT_EQ(-304420, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "AI0-AI1", 1, 0, 0));
  EXPECT_EQ(-304420, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "AI0,AI0", 1, 0, 0));
  EXPECT_EQ(-304421, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "AO0", 1, 0, 0));
  EXPECT_EQ(-304421, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "3", 1, 0, 0));
  EXPECT_EQ(-304421, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "", 1, 0, 0));
  EXPECT_EQ(-304421, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, nullptr, 1, 0, 0));
  EXPECT_EQ(-304421, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "AI64", 1, 0, 0));
  EXPECT_EQ(-304419, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "AI0 ", 1, 0, 0));
  EXPECT_EQ(-304422, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "64", 1, 0, 0));
  // A bad channel wins over a bad stream number.
  EXPECT_EQ(-304421, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 64, "AO1", 1, 0, 0));
  EXPECT_EQ(recorder.count(), 0u);
}

TEST_F(Triggers, AnalogEdgeChecksTheChannelAgainstTheDevicesCountOnlyWhenItHasOne) {
  answer(0, countBlock(2));
  EXPECT_EQ(-304421, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "AI2", 1, 0, 0));
  EXPECT_EQ(recorder.count(), 1u);

  // A count of 0, a failed read and a warning all leave the check to the
  // device.
  for (int32_t readStatus : {0, -1, 3}) {
    recorder.clear();
    answer(readStatus, countBlock(0));
    answerAll(5);
    EXPECT_EQ(0, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "AI2", 1, 0, 0)) << readStatus;
    EXPECT_EQ(recorder.count(), 6u);
  }
  recorder.clear();
  answer(3, countBlock(2));  // a warning's value is not used
  answerAll(5);
  EXPECT_EQ(0, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 0, "AI2", 1, 0, 0));
  EXPECT_EQ(recorder.count(), 6u);
}

TEST_F(Triggers, AnalogEdgeChecksTheStreamOnlyAfterTheChannel) {
  answer(0, countBlock(16));
  EXPECT_EQ(-304405, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 64, "AI0", 1, 0, 0));
  ASSERT_EQ(recorder.count(), 1u);  // the channel count was read; nothing was written
  EXPECT_EQ(recorder.requests()[0].input, getRecord(kAiChannelCount, kWireI32, ""));
}

TEST_F(Triggers, AnalogEdgeEndsAtTheFirstNonZeroStatusOfAnyWrite) {
  // Write n (1 is the type) answers `status`: n writes were made, no more.
  for (int32_t status : {-6, 6}) {
    for (size_t n = 1; n <= 5; ++n) {
      recorder.clear();
      answer(0, countBlock(16));
      for (size_t i = 1; i < n; ++i) answer(0);
      answer(status);  // a write after this one is unanswered and would fail
      EXPECT_EQ(status, voTarsin_ConfigureAnalogEdgeTrigger(kSession, 9, "AI1", 1, 0.5, 0.1))
          << "write " << n;
      EXPECT_EQ(recorder.count(), 1 + n) << "write " << n;
    }
  }
}

}  // namespace
