#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gxrt.h"
#include "platform/dynlib.h"
#include "support/request_recorder.h"
#include "votarsinapi.h"

namespace {

using votest::RequestRecorder;

// Handles are made by the runtime stand-in the tests loaded, as the
// environment would make them.
class GxAttributes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(runtime, nullptr);
    SetGXRTModule(runtime);
  }
  void TearDown() override {
    if (runtime)
      reinterpret_cast<void (*)()>(voplat::findSymbol(runtime, "GxRt_DisposeAll", nullptr))();
  }
  VoGxStringHandle make(const std::string& text) {
    auto handle = reinterpret_cast<VoGxStringHandle>(DSNewHandle(4 + text.size()));
    (*handle)->count = static_cast<int32_t>(text.size());
    std::memcpy((*handle)->text, text.data(), text.size());
    return handle;
  }
  static std::string text(VoGxStringHandle handle) {
    return handle ? std::string((*handle)->text, (*handle)->count) : "<null>";
  }
  void answer(int32_t status, std::vector<uint8_t> response) {
    recorder.answer({[](const votest::RecordedRequest& r) { return r.function == 256; }, status,
                     std::move(response)});
  }
  // The attribute requests sent; describing a status also asks the driver
  // for its error context (function 800), which is not counted here.
  std::vector<votest::RecordedRequest> attributeRequests() {
    std::vector<votest::RecordedRequest> family;
    for (const auto& r : recorder.requests())
      if (r.function == 256) family.push_back(r);
    return family;
  }
  std::string sentName(size_t i = 0) { return attributeRequests().at(i).text(28, 256); }

  voplat::ModuleHandle runtime = voplat::loadModule("gxrt.dll", nullptr);
  RequestRecorder recorder;
  const Session session = 0x0101;
};

TEST_F(GxAttributes, ChannelHandlesAreCutAt511BytesOrTheirFirstZeroByte) {
  for (int i = 0; i < 4; ++i) answer(0, {});
  int32_t value = 0;
  VoGxStringHandle error = nullptr;
  VoGxStringHandle longName = make(std::string(600, 'c'));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32GX(session, &longName, 0x10000005, &value, &error));
  VoGxStringHandle zero = make(std::string("AI1\0AI2", 7));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32GX(session, &zero, 0x10000005, &value, &error));
  VoGxStringHandle none = nullptr;
  EXPECT_EQ(0, voTarsin_GetAttributeInt32GX(session, &none, 0x10000005, &value, &error));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32GX(session, nullptr, 0x10000005, &value, &error));
  EXPECT_EQ(sentName(0), std::string(255, 'c'));  // the record itself keeps 255
  EXPECT_EQ(sentName(1), "AI1");
  EXPECT_EQ(sentName(2), "");
  EXPECT_EQ(sentName(3), "");
  EXPECT_EQ(error, nullptr);  // status 0 leaves the error text alone
}

TEST_F(GxAttributes, SetterListsLongerThan255AreParsedFromTheFull511Bytes) {
  std::string list;
  for (int i = 0; i < 64; ++i) list += (i ? "," : "") + std::to_string(i);
  ASSERT_GT(list.size(), 170u);
  for (int i = 0; i < 64; ++i) answer(0, {});
  VoGxStringHandle channels = make(list);
  VoGxStringHandle error = nullptr;
  const uint8_t on = 7;
  EXPECT_EQ(0, voTarsin_SetAttributeBoolGX(session, &channels, 0x40000001, &on, &error));
  ASSERT_EQ(attributeRequests().size(), 64u);
  EXPECT_EQ(sentName(63), "63");
  EXPECT_EQ(attributeRequests()[0].input.at(284 + 280), 1);  // 7 is written as 1
}

TEST_F(GxAttributes, StringGetterRangeWarningAndErrorRules) {
  VoGxStringHandle value = make("keep");
  VoGxStringHandle error = nullptr;
  // The driver elaborates the status with an empty context.
  recorder.answerNext(800, 0, {0});
  EXPECT_EQ(-63196, voTarsin_GetAttributeStringGX(session, nullptr, 0x10000005, &value, &error));
  EXPECT_EQ(text(value), "keep");
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(text(error)[0], '\n');
  EXPECT_GT(text(error).size(), 1u);
  EXPECT_EQ(attributeRequests().size(), 0u);
  // The device does not know this session: without a context there is no
  // description, only the line feed.
  EXPECT_EQ(-63196, voTarsin_GetAttributeStringGX(session, nullptr, 0x10000005, &value, &error));
  EXPECT_EQ(text(error), "\n");

  std::vector<uint8_t> block(281, 0);
  std::memcpy(&block[24], "stream7", 7);
  answer(3, block);
  EXPECT_EQ(3, voTarsin_GetAttributeStringGX(session, nullptr, 0x30000002, &value, &error));
  EXPECT_EQ(text(value), "");
  answer(0, block);
  EXPECT_EQ(0, voTarsin_GetAttributeStringGX(session, nullptr, 0x30000002, &value, &error));
  EXPECT_EQ(text(value), "stream7");
  answer(-9, block);
  EXPECT_EQ(-9, voTarsin_GetAttributeStringGX(session, nullptr, 0x30000002, &value, &error));
  EXPECT_EQ(text(value), "stream7");
}

TEST_F(GxAttributes, TimestampIsWrittenWhateverTheStatus) {
  VoGxTimestamp stamp{{5, 5}};
  VoGxStringHandle error = nullptr;
  answer(-4, {});
  EXPECT_EQ(-4, voTarsin_GetAttributeTimestampGX(session, nullptr, 0x50000003, &stamp, &error));
  EXPECT_EQ(stamp.words[0], 0u);
  EXPECT_EQ(stamp.words[1], 0u);
  std::vector<uint8_t> block(281, 0);
  const uint64_t when = 0x0123456789ABCDEFull;
  std::memcpy(&block[16], &when, 8);
  answer(0, block);
  EXPECT_EQ(0, voTarsin_GetAttributeTimestampGX(session, nullptr, 0x50000003, &stamp, &error));
  EXPECT_EQ(stamp.words[1], when);
  EXPECT_EQ(-63196, voTarsin_GetAttributeTimestampGX(session, nullptr, 0x10000000, &stamp, &error));
  EXPECT_EQ(stamp.words[1], 0u);
}

TEST_F(GxAttributes, BoolGetterLeavesTheValueOnAWarningAndSendsWithANullValue) {
  std::vector<uint8_t> block(281, 0);
  block[280] = 0x40;
  uint8_t value = 9;
  VoGxStringHandle error = nullptr;
  answer(2, block);
  EXPECT_EQ(2, voTarsin_GetAttributeBoolGX(session, nullptr, 0x40000003, &value, &error));
  EXPECT_EQ(value, 9);
  answer(0, block);
  EXPECT_EQ(0, voTarsin_GetAttributeBoolGX(session, nullptr, 0x40000003, &value, &error));
  EXPECT_EQ(value, 1);
  answer(0, block);
  EXPECT_EQ(0, voTarsin_GetAttributeBoolGX(session, nullptr, 0x40000003, nullptr, &error));
  EXPECT_EQ(attributeRequests().size(), 3u);
}

TEST_F(GxAttributes, NullSetterValuesAreRefusedAndNothingIsSent) {
  VoGxStringHandle error = nullptr;
  EXPECT_EQ(-52005, voTarsin_SetAttributeInt32GX(session, nullptr, 0x10000011, nullptr, &error));
  EXPECT_EQ(-52005, voTarsin_SetAttributeUInt64GX(session, nullptr, 0x50000000, nullptr, &error));
  EXPECT_EQ(-52005, voTarsin_SetAttributeDoubleGX(session, nullptr, 0x20000010, nullptr, &error));
  EXPECT_EQ(-52005, voTarsin_SetAttributeBoolGX(session, nullptr, 0x40000001, nullptr, &error));
  EXPECT_EQ(attributeRequests().size(), 0u);
  EXPECT_EQ(text(error)[0], '\n');
}

TEST_F(GxAttributes, StringSetterSendsTheHandlesText) {
  answer(0, {});
  answer(0, {});
  VoGxStringHandle channels = make("AI2");
  VoGxStringHandle value = make(std::string("alias\0tail", 10));
  VoGxStringHandle error = nullptr;
  EXPECT_EQ(0, voTarsin_SetAttributeStringGX(session, &channels, 0x30000006, &value, &error));
  EXPECT_EQ(0, voTarsin_SetAttributeStringGX(session, &channels, 0x30000006, nullptr, &error));
  EXPECT_EQ(attributeRequests()[0].text(284 + 24, 256), "alias");
  EXPECT_EQ(attributeRequests()[1].text(284 + 24, 256), "");
}

TEST_F(GxAttributes, GXGetErrorDescribesIntoTheHandleAndReportsAFailedResize) {
  VoGxStringHandle error = make("untouched");
  EXPECT_EQ(0, voTarsin_GXGetError(0, 0, &error));
  EXPECT_EQ(text(error), "untouched");
  char plain[512];
  ASSERT_EQ(0, voTarsin_GetError(0, -52005, sizeof plain, plain));
  EXPECT_EQ(0, voTarsin_GXGetError(0, -52005, &error));
  EXPECT_EQ(text(error), "\n" + std::string(plain));
  auto fail = reinterpret_cast<void (*)(uint32_t)>(
      voplat::findSymbol(runtime, "GxRt_FailResizes", nullptr));
  fail(1);
  VoGxStringHandle tiny = make("");
  EXPECT_EQ(-52000, voTarsin_GXGetError(0, -52005, &tiny));
  EXPECT_EQ(text(tiny), "");
  EXPECT_EQ(-52005, voTarsin_GXGetError(0, -52005, nullptr));
}

}  // namespace
