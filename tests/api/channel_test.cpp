#include "api/channel.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/request_recorder.h"

namespace voapi {
namespace {

struct SimulatedCall {
  uint32_t session, group, function;
  const void* input;
  uint64_t inputSize;
  void* output;
  uint64_t outputSize;
};
std::vector<SimulatedCall> gSimulated;

int32_t fakeSimulation(uint32_t session, uint32_t group, uint32_t function, const void* input,
                       uint64_t inputSize, void* output, uint64_t outputSize) {
  gSimulated.push_back({session, group, function, input, inputSize, output, outputSize});
  return 7;
}

class ChannelRouting : public ::testing::Test {
 protected:
  void SetUp() override {
    gSimulated.clear();
    setSimulationEntry(&fakeSimulation);
  }
  void TearDown() override { setSimulationEntry(nullptr); }
  votest::RequestRecorder recorder;
};

TEST_F(ChannelRouting, SimulatedFamilyAndElaborationRequestsGoToTheSimulationUnchanged) {
  uint8_t in[4] = {1, 2, 3, 4}, out[16];
  for (uint32_t function : {kFnFamilyRequest, kFnElaborate}) {
    EXPECT_EQ(7, CallClientFunction(0x2005, 2, function, in, sizeof in, out, sizeof out));
    ASSERT_FALSE(gSimulated.empty());
    const SimulatedCall& call = gSimulated.back();
    EXPECT_EQ(call.session, 0x2005u);
    EXPECT_EQ(call.group, 2u);
    EXPECT_EQ(call.function, function);
    EXPECT_EQ(call.input, in);
    EXPECT_EQ(call.inputSize, sizeof in);
    EXPECT_EQ(call.output, out);
    EXPECT_EQ(call.outputSize, sizeof out);
  }
  EXPECT_EQ(recorder.count(), 0u);
}

TEST_F(ChannelRouting, DirectFunctionsOfSimulatedSessionsAndAllPlainRequestsGoToTheDriver) {
  recorder.answer({nullptr, 3, {}});
  recorder.answer({nullptr, 3, {}});
  recorder.answer({nullptr, 3, {}});
  uint32_t word = 0x11223344;
  EXPECT_EQ(3, CallClientFunction(0x2005, 2, kFnReadRegister, &word, 4, &word, 4));
  EXPECT_EQ(3, CallClientFunction(0x0005, 2, kFnFamilyRequest, &word, 4, nullptr, 0));
  EXPECT_EQ(3, CallClientFunction(0x0005, 2, kFnElaborate, &word, 4, nullptr, 0));
  EXPECT_TRUE(gSimulated.empty());
  const auto requests = recorder.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].route, VODEV_ROUTE_FPGA);
  EXPECT_EQ(requests[0].session, 0x2005u);
  EXPECT_EQ(requests[0].function, kFnReadRegister);
  EXPECT_EQ(requests[0].field<uint32_t>(0), 0x11223344u);
  EXPECT_EQ(requests[1].function, kFnFamilyRequest);
  EXPECT_EQ(requests[2].function, kFnElaborate);
}

TEST_F(ChannelRouting, SimulatedRequestWithEmptySlotFailsWithoutReachingAnyone) {
  setSimulationEntry(nullptr);
  uint8_t in[4] = {};
  EXPECT_EQ(kSimulationNotBound,
            CallClientFunction(0x2000, 2, kFnFamilyRequest, in, 4, nullptr, 0));
  EXPECT_EQ(kSimulationNotBound, CallClientFunction(0x2000, 2, kFnElaborate, in, 4, nullptr, 0));
  EXPECT_TRUE(gSimulated.empty());
  EXPECT_EQ(recorder.count(), 0u);
}

}  // namespace
}  // namespace voapi
