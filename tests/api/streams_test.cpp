// Stream lifecycle and stream reads against exact request bytes, with the
// driver's answers scripted.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "api/acquisition_wire.h"
#include "support/request_recorder.h"
#include "votarsinapi.h"

namespace {

using namespace acqtest;
using votest::RecordedRequest;
using votest::RequestRecorder;

constexpr uint32_t kSession = 0x0101;
constexpr uint32_t kChannelsInStream = 0x10000000;
constexpr uint32_t kChannelsEnabled = 0x50000002;
constexpr uint32_t kFinite = 0x40000001;
constexpr uint32_t kSamples = 0x50000000;

using Streams = RecordedRequests;

// ---- Enabled channels -------------------------------------------------------

TEST_F(Streams, EnabledChannelsWriteDistinctCountAndMaskOnTheStreamName) {
  answerAll(2);
  uint32_t count = 99;
  EXPECT_EQ(0, voTarsin_ConfigureStreamEnabledChannels(kSession, 0, "AI3,AI1,AI3", &count));
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(inputs(), (std::vector<Bytes>{setI32(kChannelsInStream, "0", 2),
                                          setU64(kChannelsEnabled, "0", 0xA)}));
  for (const RecordedRequest& r : recorder.requests()) {
    EXPECT_EQ(r.session, kSession);
    EXPECT_EQ(r.group, 2u);
    EXPECT_EQ(r.function, 256u);
    EXPECT_FALSE(r.hadOutput);
  }

  recorder.clear();
  answerAll(2);
  EXPECT_EQ(0, voTarsin_ConfigureStreamEnabledChannels(kSession, 63, "ai63,AI0-AI62", &count));
  EXPECT_EQ(count, 64u);
  EXPECT_EQ(inputs(), (std::vector<Bytes>{setI32(kChannelsInStream, "63", 64),
                                          setU64(kChannelsEnabled, "63", ~uint64_t{0})}));

  recorder.clear();
  answerAll(2);
  EXPECT_EQ(0, voTarsin_ConfigureStreamEnabledChannels(kSession, 12, "AI5", nullptr));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{setI32(kChannelsInStream, "12", 1),
                                          setU64(kChannelsEnabled, "12", 0x20)}));
}

TEST_F(Streams, EnabledChannelsRefuseAnythingButAnalogInputsAndSendNothing) {
  uint32_t count = 77;
  for (const char* list : {"AO0", "5", "AI0,AO1", "", static_cast<const char*>(nullptr)})
    EXPECT_EQ(-304421, voTarsin_ConfigureStreamEnabledChannels(kSession, 0, list, &count))
        << (list ? list : "(null)");
  EXPECT_EQ(-304419, voTarsin_ConfigureStreamEnabledChannels(kSession, 0, "AI1, AI2", &count));
  EXPECT_EQ(-304421, voTarsin_ConfigureStreamEnabledChannels(kSession, 0, "AI64", &count));
  EXPECT_EQ(-304420, voTarsin_ConfigureStreamEnabledChannels(kSession, 0, "AI0-AI63,AI0", &count));
  // The stream number is checked before the list is even looked at.
  EXPECT_EQ(-304405, voTarsin_ConfigureStreamEnabledChannels(kSession, 64, "AI0", &count));
  EXPECT_EQ(-304405, voTarsin_ConfigureStreamEnabledChannels(kSession, 64, "junk", &count));
  EXPECT_EQ(count, 77u);
  EXPECT_EQ(recorder.count(), 0u);
}

TEST_F(Streams, EnabledChannelsCombineStatusesAndKeepTheCountOnFailure) {
  uint32_t count = 0;
  answer(-7);
  EXPECT_EQ(-7, voTarsin_ConfigureStreamEnabledChannels(kSession, 1, "AI0-AI2", &count));
  EXPECT_EQ(count, 3u);  // stored before the failing write
  EXPECT_EQ(recorder.count(), 1u);

  recorder.clear();
  answer(11);
  answer(0);
  EXPECT_EQ(11, voTarsin_ConfigureStreamEnabledChannels(kSession, 1, "AI0", &count));
  recorder.clear();
  answer(11);
  answer(12);
  EXPECT_EQ(11, voTarsin_ConfigureStreamEnabledChannels(kSession, 1, "AI0", &count));
  recorder.clear();
  answer(11);
  answer(-12);
  EXPECT_EQ(-12, voTarsin_ConfigureStreamEnabledChannels(kSession, 1, "AI0", &count));
  recorder.clear();
  answer(0);
  answer(13);
  EXPECT_EQ(13, voTarsin_ConfigureStreamEnabledChannels(kSession, 1, "AI0", &count));
  EXPECT_EQ(recorder.count(), 2u);
}

// ---- Finite -----------------------------------------------------------------

TEST_F(Streams, FiniteWritesTrueThenTheSampleCount) {
  answerAll(2);
  EXPECT_EQ(0, voTarsin_ConfigureStreamFinite(kSession, 3, 1000));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{setBool(kFinite, "3", 1), setU64(kSamples, "3", 1000)}));

  recorder.clear();
  answerAll(2);
  EXPECT_EQ(0, voTarsin_ConfigureStreamFinite(kSession, 63, 0xFFFFFFFFFFFFFFFFull));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{setBool(kFinite, "63", 1),
                                          setU64(kSamples, "63", 0xFFFFFFFFFFFFFFFFull)}));

  recorder.clear();
  EXPECT_EQ(-304405, voTarsin_ConfigureStreamFinite(kSession, 64, 1000));
  EXPECT_EQ(-304405, voTarsin_ConfigureStreamFinite(kSession, 0xFFFFFFFF, 1000));
  EXPECT_EQ(recorder.count(), 0u);

  answer(-3);
  EXPECT_EQ(-3, voTarsin_ConfigureStreamFinite(kSession, 0, 10));
  EXPECT_EQ(recorder.count(), 1u);
  recorder.clear();
  answer(4);
  answer(0);
  EXPECT_EQ(4, voTarsin_ConfigureStreamFinite(kSession, 0, 10));
  EXPECT_EQ(recorder.count(), 2u);
}

// ---- Start, clear, wait -----------------------------------------------------

TEST_F(Streams, StartAndClearSendTheirCommandWithTheStreamUnchecked) {
  answer(0);
  answer(5);
  answer(-8);
  EXPECT_EQ(0, voTarsin_StartStream(kSession, 2));
  EXPECT_EQ(5, voTarsin_ClearStream(kSession, 64));
  EXPECT_EQ(-8, voTarsin_StartStream(kSession, 0xFFFFFFFF));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{streamRecord(278, 2), streamRecord(272, 64),
                                          streamRecord(278, 0xFFFFFFFF)}));
  for (const RecordedRequest& r : recorder.requests()) {
    EXPECT_EQ(r.function, 256u);
    EXPECT_FALSE(r.hadOutput);
    EXPECT_EQ(r.outputSize, 0u);
  }
}

TEST_F(Streams, WaitForwardsItsArgumentsAndCopiesTheResponse) {
  answer(0, waitResponse(0x1122334455667788ull, 6));
  uint64_t count = 0;
  uint8_t state = 0;
  EXPECT_EQ(0, voTarsin_WaitForTransfer(kSession, 70, 0xA0B0C0D0E0F00102ull, 5000, &count, &state));
  EXPECT_EQ(count, 0x1122334455667788ull);
  EXPECT_EQ(state, 6);
  ASSERT_EQ(recorder.count(), 1u);
  const RecordedRequest r = recorder.requests()[0];
  EXPECT_EQ(r.input, waitRecord(70, 0xA0B0C0D0E0F00102ull, 5000));
  EXPECT_TRUE(r.hadOutput);
  EXPECT_EQ(r.outputSize, 9u);

  answer(0, waitResponse(3, 4));
  EXPECT_EQ(0, voTarsin_WaitForTransfer(kSession, 0, 0, 0, nullptr, nullptr));
}

TEST_F(Streams, WaitWritesItsOutputsAlsoAfterAFailure) {
  RawHook hook([](const RecordedRequest& r, void* out) {
    RawHook::write(r, out, waitResponse(42, 4));
    return -9;
  });
  uint64_t count = 0;
  uint8_t state = 0;
  EXPECT_EQ(-9, voTarsin_WaitForTransfer(kSession, 1, 1, 1, &count, &state));
  EXPECT_EQ(count, 42u);
  EXPECT_EQ(state, 4);
}

// ---- Reads ------------------------------------------------------------------

class Reads : public Streams {
 protected:
  std::vector<int16_t> i16 = std::vector<int16_t>(4000, 0x5A5A);
  std::vector<double> f64 = std::vector<double>(4000, 1234.5);
  VoTarsinReadInfo info[4];
  void SetUp() override { std::memset(info, 0x3C, sizeof info); }
  void expectUntouched() {
    for (int16_t v : i16) ASSERT_EQ(v, 0x5A5A);
    for (double v : f64) ASSERT_EQ(v, 1234.5);
    for (const VoTarsinReadInfo& record : info)
      for (uint8_t b : record.bytes) ASSERT_EQ(b, 0x3C);
  }
};

TEST_F(Reads, EachReadSendsOneRequestDescribingTheCallersBuffers) {
  for (int i = 0; i < 4; ++i) answer(0, readResponse(0));
  EXPECT_EQ(0, voTarsin_ReadStreamF64(kSession, 9, 250, 1000, f64.data(), info));
  EXPECT_EQ(0, voTarsin_ReadStreamI16(kSession, 10, 0xFFFFFFFF, 4000, i16.data(), &info[1]));
  EXPECT_EQ(0, voTarsin_ReadStream2DI16(kSession, 64, 7, 4, 1000, i16.data(), info));
  EXPECT_EQ(0, voTarsin_ReadStream2DF64(kSession, 0, 0, 2, 3, f64.data(), &info[2]));
  EXPECT_EQ(inputs(),
            (std::vector<Bytes>{readRecord(9, 8000, 1, f64.data(), info, 250, 1),
                                readRecord(10, 8000, 1, i16.data(), &info[1], 0xFFFFFFFF, 7),
                                readRecord(64, 2000, 4, i16.data(), info, 7, 7),
                                readRecord(0, 24, 2, f64.data(), &info[2], 0, 1)}));
  for (const RecordedRequest& r : recorder.requests()) {
    EXPECT_EQ(r.function, 256u);
    EXPECT_EQ(r.outputSize, 28u);
  }
  // The driver fills the buffers; the library writes nothing into them, not
  // even the information records.
  expectUntouched();
}

TEST_F(Reads, NullBuffersAndZeroSizesAreTheDriversToJudge) {
  answer(0, readResponse(0));
  answer(0, readResponse(0));
  EXPECT_EQ(0, voTarsin_ReadStreamI16(kSession, 0, 0, 0, nullptr, nullptr));
  EXPECT_EQ(0, voTarsin_ReadStream2DF64(kSession, 0, 0, 0, 100, nullptr, nullptr));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{readRecord(0, 0, 1, nullptr, nullptr, 0, 7),
                                          readRecord(0, 800, 0, nullptr, nullptr, 0, 1)}));
}

TEST_F(Reads, ACompleteReadReturnsItsOwnStatus) {
  // Only bit value 2 of the completion word marks an incomplete read.
  for (uint32_t completion : {0u, 1u, 0xFFFFFFFDu}) {
    recorder.clear();
    answer(0, readResponse(completion));
    EXPECT_EQ(0, voTarsin_ReadStreamI16(kSession, 1, 0, 10, i16.data(), info)) << completion;
    EXPECT_EQ(recorder.count(), 1u);
  }
  recorder.clear();
  answer(21);  // a warning with no response written reads as complete
  EXPECT_EQ(21, voTarsin_ReadStreamI16(kSession, 1, 0, 10, i16.data(), info));
  EXPECT_EQ(recorder.count(), 1u);
}

TEST_F(Reads, AnIncompleteReadTakesItsStatusFromTheStreamState) {
  struct Case {
    uint32_t completion;
    uint8_t state;
    int32_t expected;
  };
  for (const Case& c :
       {Case{2, 4, -304415}, Case{2, 6, -304416}, Case{2, 0, -50400}, Case{3, 4, -304415},
        Case{0xFFFFFFFF, 6, -304416}, Case{2, 5, -50400}, Case{2, 255, -50400}}) {
    recorder.clear();
    answer(0, readResponse(c.completion));
    answer(0, waitResponse(1234, c.state));
    EXPECT_EQ(c.expected, voTarsin_ReadStream2DF64(kSession, 17, 100, 2, 10, f64.data(), info))
        << int(c.state);
    const auto requests = recorder.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].input, waitRecord(17, 0, 0));
    EXPECT_EQ(requests[1].outputSize, 9u);
  }
}

TEST_F(Reads, AFailedStateQueryGivesTheTimeOut) {
  answer(0, readResponse(2));
  answer(-99);  // writes nothing
  EXPECT_EQ(-50400, voTarsin_ReadStreamF64(kSession, 3, 0, 10, f64.data(), info));

  // The query's status is ignored: the state it wrote still decides.
  RawHook hook([](const RecordedRequest& r, void* out) {
    RawHook::write(r, out, r.input.size() == 64 ? readResponse(2) : waitResponse(0, 4));
    return r.input.size() == 64 ? 0 : -99;
  });
  EXPECT_EQ(-304415, voTarsin_ReadStreamF64(kSession, 3, 0, 10, f64.data(), info));
}

TEST_F(Reads, TheCompletionWordCountsOnAWarningButNotOnAnError) {
  int32_t readStatus = 0;
  RawHook hook([&](const RecordedRequest& r, void* out) {
    if (r.input.size() == 64) {
      RawHook::write(r, out, readResponse(2));
      return readStatus;
    }
    RawHook::write(r, out, waitResponse(0, 6));
    return 0;
  });
  readStatus = 15;
  EXPECT_EQ(-304416, voTarsin_ReadStreamI16(kSession, 0, 0, 10, i16.data(), info));
  EXPECT_EQ(hook.requests().size(), 2u);
  readStatus = -15;
  EXPECT_EQ(-15, voTarsin_ReadStreamI16(kSession, 0, 0, 10, i16.data(), info));
  EXPECT_EQ(hook.requests().size(), 3u);  // no state query after an error
}

TEST_F(Reads, AByteCountBeyond64BitsIsRefusedBeforeAnythingIsSent) {
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  EXPECT_EQ(-52005, voTarsin_ReadStreamI16(kSession, 0, 0, uint64_t{1} << 63, i16.data(), info));
  EXPECT_EQ(-52005, voTarsin_ReadStreamF64(kSession, 0, 0, uint64_t{1} << 61, f64.data(), info));
  EXPECT_EQ(-52005, voTarsin_ReadStreamF64(kSession, 0, 0, kMax, f64.data(), info));
  // Each row fits, all rows together do not.
  EXPECT_EQ(-52005, voTarsin_ReadStream2DI16(kSession, 0, 0, uint64_t{1} << 33, uint64_t{1} << 30,
                                             i16.data(), info));
  EXPECT_EQ(-52005, voTarsin_ReadStream2DF64(kSession, 0, 0, 3, kMax / 16, f64.data(), info));
  // No samples, but more information records than 64 bits can count.
  EXPECT_EQ(-52005, voTarsin_ReadStream2DF64(kSession, 0, 0, kMax / 80 + 1, 0, f64.data(), info));
  EXPECT_EQ(recorder.count(), 0u);
  expectUntouched();

  // The largest counts that fit are sent as they are.
  answer(0, readResponse(0));
  answer(0, readResponse(0));
  answer(0, readResponse(0));
  EXPECT_EQ(0, voTarsin_ReadStreamF64(kSession, 0, 0, kMax / 8, f64.data(), info));
  EXPECT_EQ(0, voTarsin_ReadStream2DI16(kSession, 0, 0, uint64_t{1} << 32, (uint64_t{1} << 30) - 1,
                                        i16.data(), info));
  EXPECT_EQ(0, voTarsin_ReadStream2DF64(kSession, 0, 0, kMax / 80, 0, f64.data(), info));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{readRecord(0, (kMax / 8) * 8, 1, f64.data(), info, 0, 1),
                                          readRecord(0, ((uint64_t{1} << 30) - 1) * 2,
                                                     uint64_t{1} << 32, i16.data(), info, 0, 7),
                                          readRecord(0, 0, kMax / 80, f64.data(), info, 0, 1)}));
}

}  // namespace
