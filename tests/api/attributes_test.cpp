#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "support/request_recorder.h"
#include "votarsinapi.h"

namespace {

using votest::RecordedRequest;
using votest::RequestRecorder;

constexpr uint32_t kSession = 0x0101;

// The expected request bytes, assembled field by field from the wire layout.
std::vector<uint8_t> expectedAttributeRequest(uint32_t command, uint32_t id, uint32_t type,
                                              const std::string& name, size_t size) {
  std::vector<uint8_t> bytes(size, 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&bytes[at], &v, 4); };
  put32(0, 0x102);
  put32(16, command);
  put32(20, id);
  put32(24, type);
  std::memcpy(&bytes[28], name.data(), std::min<size_t>(name.size(), 255));
  return bytes;
}

std::vector<uint8_t> valueBlock() { return std::vector<uint8_t>(281, 0); }

template <typename T>
void put(std::vector<uint8_t>& bytes, size_t at, T value) {
  std::memcpy(&bytes[at], &value, sizeof value);
}

class Attributes : public ::testing::Test {
 protected:
  RequestRecorder recorder;
  // Answers every family request with status 0 and an empty value block.
  void answerAll(size_t n) {
    for (size_t i = 0; i < n; ++i) recorder.answer({nullptr, 0, {}});
  }
};

TEST_F(Attributes, IdRangeIsCheckedBeforeAnythingElse) {
  int32_t i32 = 0;
  double f64 = 0;
  EXPECT_EQ(-63196, voTarsin_GetAttributeInt32(kSession, "", 0x1000FFFF, &i32));
  EXPECT_EQ(-63196, voTarsin_GetAttributeDouble(kSession, "", 0x10000005, &f64));
  EXPECT_EQ(-63196, voTarsin_GetAttributeUInt64(kSession, "", 0x20000000, nullptr));
  EXPECT_EQ(-63196, voTarsin_GetAttributeString(kSession, "", 0x30010000, 4, nullptr));
  EXPECT_EQ(-63196, voTarsin_GetAttributeBoolean(kSession, "", 0x0, nullptr));
  EXPECT_EQ(-63196, voTarsin_SetAttributeInt32(kSession, "AI0", 0x2000000F, 1));
  EXPECT_EQ(-63196, voTarsin_SetAttributeUInt64(kSession, "AI0", 0x5000FFFF, 1));
  EXPECT_EQ(-63196, voTarsin_SetAttributeDouble(kSession, "AI0", 0x60000000, 1));
  EXPECT_EQ(-63196, voTarsin_SetAttributeString(kSession, "AI0", 0x40000000, "x"));
  EXPECT_EQ(-63196, voTarsin_SetAttributeBoolean(kSession, "AI0", 0x30000000, 1));
  EXPECT_EQ(recorder.count(), 0u);

  answerAll(1);
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(kSession, "", 0x1000FFFE, &i32));
  EXPECT_EQ(recorder.count(), 1u);
}

TEST_F(Attributes, NullOutputIsRefusedExceptForBoolean) {
  EXPECT_EQ(-1, voTarsin_GetAttributeInt32(kSession, "", 0x10000005, nullptr));
  EXPECT_EQ(-1, voTarsin_GetAttributeUInt64(kSession, "", 0x50000000, nullptr));
  EXPECT_EQ(-1, voTarsin_GetAttributeDouble(kSession, "", 0x20000005, nullptr));
  EXPECT_EQ(-1, voTarsin_GetAttributeString(kSession, "", 0x30000002, 8, nullptr));
  EXPECT_EQ(recorder.count(), 0u);
  recorder.answer({nullptr, 42, {}});
  EXPECT_EQ(42, voTarsin_GetAttributeBoolean(kSession, "", 0x40000003, nullptr));
  ASSERT_EQ(recorder.count(), 1u);
  EXPECT_EQ(recorder.requests()[0].input, expectedAttributeRequest(721, 0x40000003, 0, "", 284));
}

TEST_F(Attributes, GettersSendExactRecordsAndReadTheirTypesField) {
  auto block = valueBlock();
  put(block, 0, 2.5);
  put<int64_t>(block, 8, 0x00000001FFFFFFFELL);  // only the low 32 bits count
  put<uint64_t>(block, 16, 0x8877665544332211ULL);
  std::memcpy(&block[24], "stream7", 7);
  block[280] = 0x80;
  for (int i = 0; i < 4; ++i) recorder.answer({nullptr, 0, block});

  int32_t i32 = 0;
  uint64_t u64 = 0;
  double f64 = 0;
  uint32_t b = 0;
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(kSession, "AI3", 0x10000011, &i32));
  EXPECT_EQ(0, voTarsin_GetAttributeUInt64(kSession, "5", 0x50000000, &u64));
  EXPECT_EQ(0, voTarsin_GetAttributeDouble(kSession, nullptr, 0x20000016, &f64));
  EXPECT_EQ(0, voTarsin_GetAttributeBoolean(kSession, "AI0", 0x40000004, &b));
  EXPECT_EQ(i32, -2);
  EXPECT_EQ(u64, 0x8877665544332211ULL);
  EXPECT_EQ(f64, 2.5);
  EXPECT_EQ(b, 0x80u);

  const auto requests = recorder.requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].input, expectedAttributeRequest(721, 0x10000011, 2, "AI3", 284));
  EXPECT_EQ(requests[1].input, expectedAttributeRequest(721, 0x50000000, 5, "5", 284));
  EXPECT_EQ(requests[2].input, expectedAttributeRequest(721, 0x20000016, 1, "", 284));
  EXPECT_EQ(requests[3].input, expectedAttributeRequest(721, 0x40000004, 0, "AI0", 284));
  for (const RecordedRequest& r : requests) {
    EXPECT_EQ(r.session, kSession);
    EXPECT_EQ(r.group, 2u);
    EXPECT_EQ(r.function, 256u);
    EXPECT_EQ(r.outputSize, 281u);
  }
}

TEST_F(Attributes, GetterNameIsCutAt255Characters) {
  answerAll(1);
  int32_t v;
  const std::string name(300, 'n');
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(kSession, name.c_str(), 0x10000005, &v));
  EXPECT_EQ(recorder.requests()[0].input, expectedAttributeRequest(721, 0x10000005, 2, name, 284));
}

TEST_F(Attributes, WarningsAndErrorsLeaveOutputsUntouched) {
  auto block = valueBlock();
  put(block, 0, 9.0);
  put<int64_t>(block, 8, 9);
  std::memcpy(&block[24], "nine", 4);
  recorder.answer({nullptr, 17, block});
  recorder.answer({nullptr, -5, block});
  recorder.answer({nullptr, 17, block});
  int32_t i32 = 1;
  double f64 = 1;
  char text[8] = "keep";
  EXPECT_EQ(17, voTarsin_GetAttributeInt32(kSession, "", 0x10000005, &i32));
  EXPECT_EQ(-5, voTarsin_GetAttributeDouble(kSession, "", 0x20000005, &f64));
  EXPECT_EQ(17, voTarsin_GetAttributeString(kSession, "", 0x30000002, sizeof text, text));
  EXPECT_EQ(i32, 1);
  EXPECT_EQ(f64, 1.0);
  EXPECT_STREQ(text, "keep");
}

TEST_F(Attributes, StringGetIsABoundedZeroFillingCopy) {
  auto block = valueBlock();
  std::memcpy(&block[24], "ABCDEFGH", 8);
  recorder.answer({nullptr, 0, block});
  recorder.answer({nullptr, 0, block});
  recorder.answer({nullptr, 0, block});
  char small[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(0, voTarsin_GetAttributeString(kSession, "", 0x30000002, 4, small));
  EXPECT_EQ(std::string(small, 6), "ABCDxx");

  char big[21];
  std::memset(big, 'x', sizeof big);
  EXPECT_EQ(0, voTarsin_GetAttributeString(kSession, "", 0x30000002, 20, big));
  EXPECT_EQ(std::string(big, 8), "ABCDEFGH");
  for (int i = 8; i < 20; ++i) EXPECT_EQ(big[i], '\0') << i;
  EXPECT_EQ(big[20], 'x');

  char none = 'x';
  EXPECT_EQ(0, voTarsin_GetAttributeString(kSession, "", 0x30000002, 0, &none));
  EXPECT_EQ(none, 'x');
}

TEST_F(Attributes, StringGetNeverReadsPastAnUnterminatedField) {
  auto block = valueBlock();
  std::memset(&block[24], 'z', 256);
  block[280] = 'q';
  recorder.answer({nullptr, 0, block});
  std::vector<char> buffer(300, 'x');
  EXPECT_EQ(0, voTarsin_GetAttributeString(kSession, "", 0x30000002, buffer.size(), buffer.data()));
  EXPECT_EQ(std::string(buffer.data(), 256), std::string(256, 'z'));
  for (size_t i = 256; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '\0') << i;
}

TEST_F(Attributes, SettersSendExactRecordsPerChannel) {
  answerAll(4);
  EXPECT_EQ(0, voTarsin_SetAttributeInt32(kSession, "AI0-AI3", 0x10000011, -1));
  const auto requests = recorder.requests();
  ASSERT_EQ(requests.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    auto expected = expectedAttributeRequest(722, 0x10000011, 2, "AI" + std::to_string(i), 565);
    put<int64_t>(expected, 284 + 8, -1);  // sign-extended: eight 0xFF bytes
    EXPECT_EQ(requests[i].input, expected) << i;
    EXPECT_FALSE(requests[i].hadOutput);
    EXPECT_EQ(requests[i].outputSize, 0u);
  }
}

TEST_F(Attributes, SetterValuesSitInTheirTypesField) {
  answerAll(4);
  const std::string text256(256, 's');
  EXPECT_EQ(0, voTarsin_SetAttributeUInt64(kSession, "3", 0x50000000, 0xFFFFFFFFull));
  EXPECT_EQ(0, voTarsin_SetAttributeDouble(kSession, "AI1", 0x20000010, -0.5));
  EXPECT_EQ(0, voTarsin_SetAttributeString(kSession, "", 0x30000006, text256.c_str()));
  EXPECT_EQ(0, voTarsin_SetAttributeBoolean(kSession, "0", 0x40000001, 2));
  const auto r = recorder.requests();
  ASSERT_EQ(r.size(), 4u);

  auto u64 = expectedAttributeRequest(722, 0x50000000, 5, "3", 565);
  put<uint64_t>(u64, 284 + 16, 0x00000000FFFFFFFFull);
  EXPECT_EQ(r[0].input, u64);
  auto f64 = expectedAttributeRequest(722, 0x20000010, 1, "AI1", 565);
  put(f64, 284, -0.5);
  EXPECT_EQ(r[1].input, f64);
  auto str = expectedAttributeRequest(722, 0x30000006, 6, "", 565);
  std::memset(&str[284 + 24], 's', 256);  // no terminator, the boolean byte stays 0
  EXPECT_EQ(r[2].input, str);
  auto boolean = expectedAttributeRequest(722, 0x40000001, 0, "0", 565);
  boolean[284 + 280] = 1;
  EXPECT_EQ(r[3].input, boolean);
}

TEST_F(Attributes, NullStringValueIsSentAsEmptyText) {
  answerAll(1);
  EXPECT_EQ(0, voTarsin_SetAttributeString(kSession, nullptr, 0x30000006, nullptr));
  EXPECT_EQ(recorder.requests()[0].input, expectedAttributeRequest(722, 0x30000006, 6, "", 565));
}

TEST_F(Attributes, SetStopsAtTheFirstErrorAndAWarningIsReplacedByTheNextStatus) {
  recorder.answer({nullptr, 0, {}});
  recorder.answer({nullptr, -77, {}});
  EXPECT_EQ(-77, voTarsin_SetAttributeInt32(kSession, "AI0-AI3", 0x10000011, 1));
  auto r = recorder.requests();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[1].text(28, 256), "AI1");

  recorder.clear();
  recorder.answer({nullptr, 5, {}});
  recorder.answer({nullptr, 0, {}});
  EXPECT_EQ(0, voTarsin_SetAttributeInt32(kSession, "AI0,AI1", 0x10000011, 1));
  recorder.answer({nullptr, 0, {}});
  recorder.answer({nullptr, 6, {}});
  EXPECT_EQ(6, voTarsin_SetAttributeInt32(kSession, "AI0,AI1", 0x10000011, 1));
}

TEST_F(Attributes, EmptyListAddressesStreamZeroOnlyForTheAnalogEdgeAttributes) {
  answerAll(4);
  EXPECT_EQ(0, voTarsin_SetAttributeDouble(kSession, "", 0x20000002, 0.25));
  EXPECT_EQ(0, voTarsin_SetAttributeDouble(kSession, nullptr, 0x20000003, 0.25));
  EXPECT_EQ(0, voTarsin_SetAttributeInt32(kSession, "", 0x10000008, 1));
  EXPECT_EQ(0, voTarsin_SetAttributeDouble(kSession, "", 0x20000010, 0.25));
  const auto r = recorder.requests();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].text(28, 256), "0");
  EXPECT_EQ(r[1].text(28, 256), "0");
  EXPECT_EQ(r[2].text(28, 256), "0");
  EXPECT_EQ(r[3].input[28], 0);
}

TEST_F(Attributes, BadChannelListIsReturnedAndNothingIsSent) {
  EXPECT_EQ(-304419, voTarsin_SetAttributeInt32(kSession, "AI0,", 0x10000011, 1));
  EXPECT_EQ(-304421, voTarsin_SetAttributeInt32(kSession, "AI62-AI64", 0x10000011, 1));
  EXPECT_EQ(-304422, voTarsin_SetAttributeInt32(kSession, "64", 0x10000011, 1));
  EXPECT_EQ(-304420, voTarsin_SetAttributeInt32(kSession, "AI0-AI63,AO0", 0x10000011, 1));
  EXPECT_EQ(recorder.count(), 0u);
}

}  // namespace
