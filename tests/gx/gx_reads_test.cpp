#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "gxrt.h"
#include "platform/dynlib.h"
#include "support/request_recorder.h"
#include "votarsinapi.h"

namespace {

using votest::RecordedRequest;

bool isRead(const RecordedRequest& r) {
  return r.function == 256 && r.field<uint32_t>(0) == 0x101 && r.field<uint32_t>(16) == 277;
}
bool isChannelsInStreamGet(const RecordedRequest& r) {
  return r.function == 256 && r.field<uint32_t>(16) == 721 && r.field<uint32_t>(20) == 0x10000000;
}

// A read response: delivered, ready, rows, state, completion word 1.
std::vector<uint8_t> completeRead() {
  std::vector<uint8_t> response(28, 0);
  response[24] = 1;
  return response;
}

class GxReads : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(runtime, nullptr);
    SetGXRTModule(runtime);
  }
  void TearDown() override {
    if (runtime)
      reinterpret_cast<void (*)()>(voplat::findSymbol(runtime, "GxRt_DisposeAll", nullptr))();
  }
  void answerReads(int n, int32_t status = 0) {
    for (int i = 0; i < n; ++i) recorder.answer({isRead, status, completeRead()});
  }
  std::vector<RecordedRequest> reads() {
    std::vector<RecordedRequest> out;
    for (const auto& r : recorder.requests())
      if (isRead(r)) out.push_back(r);
    return out;
  }
  uint64_t resizes() {
    using Counters = GxRtCounters (*)();
    return reinterpret_cast<Counters>(voplat::findSymbol(runtime, "GxRt_Counters", nullptr))()
        .resizes;
  }
  static int32_t* sizes(VoGxArrayHandle handle) { return static_cast<int32_t*>(*handle); }

  voplat::ModuleHandle runtime = voplat::loadModule("gxrt.dll", nullptr);
  votest::RequestRecorder recorder;
  const Session session = 0x0101;
};

TEST_F(GxReads, OneDHandleIsKeptUnlessMoreThanTwiceTooLarge) {
  VoGxArrayHandle data = nullptr;
  VoTarsinReadInfo info;
  answerReads(3);
  ASSERT_EQ(0, voTarsin_GxReadStreamI16(session, 0, 100, 10000, &data, &info));
  EXPECT_EQ(sizes(data)[0], 10000);
  const uint64_t afterFirst = resizes();
  EXPECT_EQ(0, voTarsin_GxReadStreamI16(session, 0, 100, 6000, &data, &info));
  EXPECT_EQ(resizes(), afterFirst);
  EXPECT_EQ(sizes(data)[0], 6000);
  EXPECT_EQ(0, voTarsin_GxReadStreamI16(session, 0, 100, 2900, &data, &info));
  EXPECT_EQ(resizes(), afterFirst + 1);  // 2900*2+6 < (6000*2+6)/2
  EXPECT_EQ(sizes(data)[0], 2900);
  // The driver was told the handle's element area: 4 bytes into the block.
  const auto r = reads();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[2].field<uint64_t>(40), reinterpret_cast<uintptr_t>(*data) + 4);
  EXPECT_EQ(r[2].field<uint64_t>(24), 2900u * 2);
  EXPECT_EQ(r[2].field<uint64_t>(32), 1u);
  EXPECT_EQ(r[2].field<uint64_t>(48), reinterpret_cast<uintptr_t>(&info));
}

TEST_F(GxReads, InformationRecordIsClearedBeforeTheRead) {
  VoGxArrayHandle data = nullptr;
  VoTarsinReadInfo info;
  std::memset(&info, 0xAB, sizeof info);
  bool clearedAtRead = false;
  recorder.answer({[&](const RecordedRequest& r) {
                     if (!isRead(r)) return false;
                     const auto* bytes = reinterpret_cast<const uint8_t*>(r.field<uint64_t>(48));
                     clearedAtRead = std::all_of(bytes, bytes + 80, [](uint8_t b) { return !b; });
                     return true;
                   },
                   0, completeRead()});
  ASSERT_EQ(0, voTarsin_GxReadStreamF64(session, 1, 100, 16, &data, &info));
  EXPECT_TRUE(clearedAtRead);
  // 64-bit elements start 8 bytes into the block.
  EXPECT_EQ(reads()[0].field<uint64_t>(40), reinterpret_cast<uintptr_t>(*data) + 8);
}

TEST_F(GxReads, AllChannelsAsksTheStreamsChannelCount) {
  std::vector<uint8_t> block(281, 0);
  const int64_t three = 3;
  std::memcpy(&block[8], &three, 8);
  recorder.answer({isChannelsInStreamGet, 0, block});
  answerReads(1);
  VoGxArrayHandle data = nullptr, info = nullptr;
  ASSERT_EQ(0, voTarsin_GxReadStream2DF64(session, 5, 100, ~uint64_t{0}, 500, &data, &info));
  EXPECT_EQ(sizes(data)[0], 3);
  EXPECT_EQ(sizes(data)[1], 500);
  EXPECT_EQ(sizes(info)[0], 3);
  const auto requests = recorder.requests();
  ASSERT_TRUE(isChannelsInStreamGet(requests[0]));
  EXPECT_EQ(requests[0].text(28, 256), "5");
  EXPECT_EQ(requests[0].field<uint32_t>(24), 2u);
  const auto r = reads();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].field<uint64_t>(32), 3u);
  EXPECT_EQ(r[0].field<uint64_t>(24), 500u * 8);
  EXPECT_EQ(r[0].field<uint64_t>(48), reinterpret_cast<uintptr_t>(*info) + 8);
}

TEST_F(GxReads, ChannelCountRulesOfTheTwoDReads) {
  VoGxArrayHandle data = nullptr, info = nullptr;
  EXPECT_EQ(-304401, voTarsin_GxReadStream2DI16(session, 0, 100, 0, 10, &data, &info));
  recorder.answer({isChannelsInStreamGet, -7, {}});
  EXPECT_EQ(-7, voTarsin_GxReadStream2DI16(session, 0, 100, ~uint64_t{0}, 10, &data, &info));
  EXPECT_TRUE(reads().empty());
  // A warning makes the count 0; stream 64 and above asks the device as a whole.
  recorder.answer({isChannelsInStreamGet, 4, {}});
  answerReads(1);
  EXPECT_EQ(0, voTarsin_GxReadStream2DI16(session, 70, 100, ~uint64_t{0}, 10, &data, &info));
  EXPECT_EQ(sizes(data)[0], 0);
  EXPECT_EQ(recorder.requests()[1].text(28, 256), "");
}

TEST_F(GxReads, DimensionsAreSetAlsoWhenTheReadFails) {
  VoGxArrayHandle data = nullptr, info = nullptr;
  answerReads(1, -9);
  EXPECT_EQ(-9, voTarsin_GxReadStream2DI16(session, 0, 100, 2, 33, &data, &info));
  EXPECT_EQ(sizes(data)[0], 2);
  EXPECT_EQ(sizes(data)[1], 33);
}

TEST_F(GxReads, ASizingFailureReadsNothing) {
  auto fail = reinterpret_cast<void (*)(uint32_t)>(
      voplat::findSymbol(runtime, "GxRt_FailResizes", nullptr));
  VoGxArrayHandle data = nullptr, info = nullptr;
  VoTarsinReadInfo record;
  fail(1);
  EXPECT_EQ(-52000, voTarsin_GxReadStreamI16(session, 0, 100, 10, &data, &record));
  answerReads(1);
  ASSERT_EQ(0, voTarsin_GxReadStream2DI16(session, 0, 100, 2, 10, &data, &info));
  fail(1);
  EXPECT_EQ(-52000, voTarsin_GxReadStream2DI16(session, 0, 100, 9, 10, &data, &info));
  EXPECT_EQ(sizes(info)[0], 2);  // the record array kept its count
  EXPECT_EQ(reads().size(), 1u);
}

// The environment may pass handles whose block pointer is null: they count
// as empty and are grown, for the data and for the information array, also
// when no record at all is wanted.
TEST_F(GxReads, HandlesWithoutABlockAreSizedLikeEmptyOnes) {
  auto dispose = reinterpret_cast<int32_t (*)(GxHandle)>(
      voplat::findSymbol(runtime, "DSDisposeHandle", nullptr));
  ASSERT_NE(dispose, nullptr);
  auto blockless = [] {
    auto handle = static_cast<VoGxArrayHandle>(std::malloc(sizeof(void*)));
    *handle = nullptr;
    return handle;
  };
  VoGxArrayHandle data = blockless(), info = blockless();
  answerReads(1);
  ASSERT_EQ(0, voTarsin_GxReadStream2DI16(session, 0, 100, 2, 10, &data, &info));
  ASSERT_NE(*data, nullptr);
  ASSERT_NE(*info, nullptr);
  EXPECT_EQ(sizes(data)[0], 2);
  EXPECT_EQ(sizes(data)[1], 10);
  EXPECT_EQ(sizes(info)[0], 2);
  const auto r = reads();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].field<uint64_t>(48), reinterpret_cast<uintptr_t>(*info) + 8);
  dispose(data);
  dispose(info);

  // A warning on the channel count asks for no record at all.
  data = blockless();
  info = blockless();
  recorder.answer({isChannelsInStreamGet, 4, {}});
  answerReads(1);
  EXPECT_EQ(0, voTarsin_GxReadStream2DI16(session, 0, 100, ~uint64_t{0}, 10, &data, &info));
  ASSERT_NE(*info, nullptr);
  EXPECT_EQ(sizes(info)[0], 0);
  dispose(data);
  dispose(info);
}

TEST_F(GxReads, TheSamplesAreThoseOfThePlainRead) {
  ASSERT_EQ(0, voTarsin_RestartSimulation(0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  Session sim = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("SIM5", nullptr, 0, &sim));
  auto acquire = [&] {
    ASSERT_EQ(0, voTarsin_ClearStream(sim, 0));
    ASSERT_EQ(0, voTarsin_ConfigureStreamEnabledChannels(sim, 0, "AI0-AI1", nullptr));
    ASSERT_EQ(0, voTarsin_ConfigureStreamFinite(sim, 0, 256));
    ASSERT_EQ(0, voTarsin_StartStream(sim, 0));
  };
  acquire();
  std::vector<double> plain(2 * 256);
  std::vector<VoTarsinReadInfo> plainInfo(2);
  ASSERT_EQ(0, voTarsin_ReadStream2DF64(sim, 0, 1000, 2, 256, plain.data(), plainInfo.data()));
  acquire();
  VoGxArrayHandle data = nullptr, info = nullptr;
  ASSERT_EQ(0, voTarsin_GxReadStream2DF64(sim, 0, 1000, 2, 256, &data, &info));
  const auto* values = reinterpret_cast<const double*>(static_cast<char*>(*data) + 8);
  EXPECT_EQ(std::vector<double>(values, values + 512), plain);
  EXPECT_EQ(0, std::memcmp(static_cast<char*>(*info) + 8, plainInfo.data(), 160));
  voTarsin_CloseSession(sim, 0);
  voTarsin_DisposeSimulation();
}

}  // namespace
