#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "api/channel.h"
#include "api/records.h"
#include "votarsinapi.h"

namespace {

class DeviceRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(0, voTarsin_OpenSession("RIO0", nullptr, 0, &session)); }
  void TearDown() override { voTarsin_CloseSession(session, 1); }

  // The error context the driver keeps for a status of this session.
  std::string elaborate(int32_t status) {
    char context[voapi::kElaborationSize] = {};
    EXPECT_EQ(0, voapi::sendRecord(session, voapi::kFnElaborate, status, context, sizeof context));
    return context;
  }
  Session session = 0;
};

TEST_F(DeviceRoundTrip, EveryTypeReadsBackWhatWasWritten) {
  int32_t i32 = 0;
  uint64_t u64 = 0;
  double f64 = 0;
  uint32_t b = 0;
  char text[64];
  EXPECT_EQ(0, voTarsin_SetAttributeInt32(session, "AI0-AI3", VOTARSIN_ATTR_AI_COUPLING, 0));
  EXPECT_EQ(0, voTarsin_SetAttributeUInt64(session, "2", VOTARSIN_ATTR_STREAM_NUMBER_OF_SAMPLES,
                                           123456789012ull));
  EXPECT_EQ(0, voTarsin_SetAttributeDouble(session, "AI1,AI2", VOTARSIN_ATTR_AI_RANGE, 0.25));
  EXPECT_EQ(0, voTarsin_SetAttributeString(session, "", VOTARSIN_ATTR_ROUTING_ALIAS, "bench-A"));
  EXPECT_EQ(0, voTarsin_SetAttributeBoolean(session, "2", VOTARSIN_ATTR_STREAM_FINITE, 7));
  for (const char* channel : {"AI0", "AI3"}) {
    EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, channel, VOTARSIN_ATTR_AI_COUPLING, &i32));
    EXPECT_EQ(i32, 0) << channel;
  }
  EXPECT_EQ(
      0, voTarsin_GetAttributeUInt64(session, "2", VOTARSIN_ATTR_STREAM_NUMBER_OF_SAMPLES, &u64));
  EXPECT_EQ(u64, 123456789012ull);
  EXPECT_EQ(0, voTarsin_GetAttributeDouble(session, "AI2", VOTARSIN_ATTR_AI_RANGE, &f64));
  EXPECT_EQ(f64, 0.25);
  EXPECT_EQ(0, voTarsin_GetAttributeDouble(session, "AI0", VOTARSIN_ATTR_AI_RANGE, &f64));
  EXPECT_EQ(f64, 1.0);
  EXPECT_EQ(0, voTarsin_GetAttributeString(session, nullptr, VOTARSIN_ATTR_ROUTING_ALIAS,
                                           sizeof text, text));
  EXPECT_STREQ(text, "bench-A");
  EXPECT_EQ(0, voTarsin_GetAttributeBoolean(session, "2", VOTARSIN_ATTR_STREAM_FINITE, &b));
  EXPECT_EQ(b, 1u);
}

TEST_F(DeviceRoundTrip, ReadOnlyAttributeIsRefusedWithAContextForElaboration) {
  const int32_t status =
      voTarsin_SetAttributeDouble(session, "", VOTARSIN_ATTR_FPGA_TEMPERATURE, 50.5);
  ASSERT_LT(status, 0);
  const std::string context = elaborate(status);
  EXPECT_NE(context.find("\"translator\":\"mxlator_votarsinapi\""), std::string::npos) << context;
  EXPECT_NE(context.find("\"kUsageTypeAttributeId\",\"value\":536870917"), std::string::npos)
      << context;
  EXPECT_NE(context.find("\"kUsageTypeDevice\",\"value\":\"RIO0\""), std::string::npos) << context;
  EXPECT_EQ(elaborate(-12345), "{}");
}

}  // namespace
