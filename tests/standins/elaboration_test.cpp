// Function 800: the error context of the last failure of a status on a
// session, in the shape the scripted translator reads.
#include <cmath>

#include "standin_support.h"
#include "votarsinsimulation.h"

namespace standin_test {
namespace {

class ElaborationTest : public StandinTest {};

std::string Items(const std::string& items) {
  return R"(,"translator":"mxlator_votarsinapi","translator_info":{"ordered_data":[)" + items +
         "]}}";
}

TEST_F(ElaborationTest, DescribesTheLastFailureOfAStatus) {
  ASSERT_EQ(Send(hardware_, SetF64(0x20000005, "", 50.5)), VODEV_E_READ_ONLY_ATTRIBUTE);
  Elaboration context = Elaborate(hardware_, VODEV_E_READ_ONLY_ATTRIBUTE);
  ASSERT_EQ(context.status, 0);
  EXPECT_EQ(context.text,
            R"({"error_constant":"vodeverr_readOnlyAttribute","component":"VoFpga")" +
                Items(R"({"type":"elaboration","usage":"The attribute is read-only."},)"
                      R"({"type":"usage","usage":"kUsageTypeAttributeId","value":536870917},)"
                      R"({"type":"usage","usage":"kUsageTypeChannelName","value":""},)"
                      R"({"type":"usage","usage":"kUsageTypeRequestedValue","value":50.5},)"
                      R"({"type":"usage","usage":"kUsageTypeDevice","value":"RIO0"})"));
  EXPECT_STREQ(VoDev_StatusName(VODEV_E_READ_ONLY_ATTRIBUTE), "vodeverr_readOnlyAttribute");

  // A later failure with the same status replaces the description.
  ASSERT_EQ(Send(hardware_, AttributeRecord(kReset, 0x1000000F, 0, "")),
            VODEV_E_READ_ONLY_ATTRIBUTE);
  context = Elaborate(hardware_, VODEV_E_READ_ONLY_ATTRIBUTE);
  EXPECT_NE(context.text.find(R"("value":268435471})"), std::string::npos) << context.text;
  EXPECT_EQ(context.text.find("kUsageTypeRequestedValue"), std::string::npos) << context.text;
}

TEST_F(ElaborationTest, SimulatedSessionsReportTheSimulationAndEnumeratedValues) {
  Bytes record = SetI32(0x10000009, "3", 9);
  ASSERT_EQ(Simulation_ClientFunctionCall(simulated_, kGroup, kFamilyRequest, record.data(),
                                          record.size(), nullptr, 0),
            VODEV_E_INVALID_VALUE);
  int32_t code = VODEV_E_INVALID_VALUE;
  std::vector<char> out(8192, 'x');
  ASSERT_EQ(Simulation_ClientFunctionCall(simulated_, kGroup, kElaborate, &code, sizeof code,
                                          out.data(), out.size()),
            0);
  EXPECT_EQ(
      std::string(out.data()),
      R"({"error_constant":"vodeverr_invalidValue","component":"votarsinsimulation")" +
          Items(R"({"type":"elaboration","usage":"The value is not valid for the attribute."},)"
                R"({"type":"usage","usage":"kUsageTypeAttributeId","value":268435465},)"
                R"({"type":"usage","usage":"kUsageTypeChannelName","value":"3"},)"
                R"({"type":"usage","usage":"kUsageTypeRequestedValue","value":9,)"
                R"("value_type":{"type":"enum","id":268435465}},)"
                R"({"type":"usage","usage":"kUsageTypeDevice","value":"SIM0"})"));
}

TEST_F(ElaborationTest, AnswersEmptyObjectForStatusesNotRaisedOnTheSession) {
  ASSERT_EQ(Send(hardware_, SetI32(0x12345678, "", 1)), VODEV_E_UNKNOWN_ATTRIBUTE);
  EXPECT_EQ(Elaborate(hardware_, VODEV_E_WRONG_VALUE_TYPE).text, "{}");
  EXPECT_EQ(Elaborate(hardware_, 0).text, "{}");
  EXPECT_EQ(Elaborate(hardware_, -52005).text, "{}");
  EXPECT_EQ(Elaborate(simulated_, VODEV_E_UNKNOWN_ATTRIBUTE).text, "{}");
  EXPECT_NE(Elaborate(hardware_, VODEV_E_UNKNOWN_ATTRIBUTE).text, "{}");
  VoDev_Reset();
  uint32_t session = 0;
  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO0", 0, &session), 0);
  EXPECT_EQ(Elaborate(session, VODEV_E_UNKNOWN_ATTRIBUTE).text, "{}");
}

TEST_F(ElaborationTest, EscapesTextSoTheContextStaysJson) {
  const std::string channel = "a\"b\\c\td\x01\x7f\xc3\xa9\xff/";
  Block block;
  ASSERT_EQ(Get(hardware_, 0x20000010, kWireF64, channel, block), VODEV_E_CHANNEL_OUT_OF_SCOPE);
  std::string text = Elaborate(hardware_, VODEV_E_CHANNEL_OUT_OF_SCOPE).text;
  EXPECT_NE(text.find(R"("value":"a\"b\\c\td\u0001\u007f)"
                      "\xc3\xa9"
                      R"(\u00ff/"})"),
            std::string::npos)
      << text;

  // 64-bit values keep every digit as text; non-finite numbers become text.
  ASSERT_EQ(Send(hardware_, SetU64(0x50000005, "", ~uint64_t{0})), VODEV_E_READ_ONLY_ATTRIBUTE);
  text = Elaborate(hardware_, VODEV_E_READ_ONLY_ATTRIBUTE).text;
  EXPECT_NE(text.find(R"("value":"18446744073709551615")"), std::string::npos) << text;
  ASSERT_EQ(Send(hardware_, SetF64(0x20000005, "", -INFINITY)), VODEV_E_READ_ONLY_ATTRIBUTE);
  text = Elaborate(hardware_, VODEV_E_READ_ONLY_ATTRIBUTE).text;
  EXPECT_NE(text.find(R"("value":"-inf")"), std::string::npos) << text;
  ASSERT_EQ(Send(hardware_, SetString(0x30000002, "1", "x\ny")), VODEV_E_READ_ONLY_ATTRIBUTE);
  text = Elaborate(hardware_, VODEV_E_READ_ONLY_ATTRIBUTE).text;
  EXPECT_NE(text.find(R"("value":"x\ny")"), std::string::npos) << text;
}

TEST_F(ElaborationTest, ClosedHandlesKeepTheirContextsAndUnknownOnesHaveNone) {
  ASSERT_EQ(Send(hardware_, SetI32(0x1000000F, "", 8)), VODEV_E_READ_ONLY_ATTRIBUTE);
  ASSERT_EQ(VoFpgaDll_Close(hardware_, 0), 0);
  Block block;
  ASSERT_EQ(Get(hardware_, 0x1000000F, kWireI32, "", block), VODEV_E_SESSION_CLOSED);
  EXPECT_EQ(Elaborate(hardware_, VODEV_E_SESSION_CLOSED).text,
            R"({"error_constant":"vodeverr_sessionClosed","component":"VoFpga")" +
                Items(R"({"type":"elaboration","usage":"The session has been closed."},)"
                      R"({"type":"usage","usage":"kUsageTypeDevice","value":"RIO0"})"));
  EXPECT_NE(Elaborate(hardware_, VODEV_E_READ_ONLY_ATTRIBUTE).text, "{}");
  EXPECT_EQ(Elaborate(0x4444, VODEV_E_SESSION_CLOSED).status, VODEV_E_UNKNOWN_SESSION);
}

TEST_F(ElaborationTest, RefusesBadArgumentsWithoutForgettingTheContext) {
  ASSERT_EQ(Send(hardware_, SetI32(0x1000000F, "", 8)), VODEV_E_READ_ONLY_ATTRIBUTE);
  int32_t code = VODEV_E_READ_ONLY_ATTRIBUTE;
  char small[16] = {};
  EXPECT_EQ(
      VoFpgaDll_ClientFunctionCall(hardware_, kGroup, kElaborate, &code, 3, small, sizeof small),
      VODEV_E_BAD_REQUEST_SIZE);
  EXPECT_EQ(
      VoFpgaDll_ClientFunctionCall(hardware_, kGroup, kElaborate, nullptr, 4, small, sizeof small),
      VODEV_E_BAD_REQUEST_SIZE);
  EXPECT_EQ(
      VoFpgaDll_ClientFunctionCall(hardware_, kGroup, kElaborate, &code, 4, small, sizeof small),
      VODEV_E_RESPONSE_TOO_SMALL);
  EXPECT_EQ(VoFpgaDll_ClientFunctionCall(hardware_, kGroup, kElaborate, &code, 4, nullptr, 0),
            VODEV_E_RESPONSE_TOO_SMALL);
  EXPECT_STREQ(small, "");
  // "{}" and its terminator fit in three bytes.
  int32_t other = -1;
  char three[3] = {'x', 'x', 'x'};
  ASSERT_EQ(VoFpgaDll_ClientFunctionCall(hardware_, kGroup, kElaborate, &other, 4, three, 3), 0);
  EXPECT_STREQ(three, "{}");
  EXPECT_NE(Elaborate(hardware_, VODEV_E_READ_ONLY_ATTRIBUTE).text.find("vodeverr_readOnly"),
            std::string::npos);
}

}  // namespace
}  // namespace standin_test
