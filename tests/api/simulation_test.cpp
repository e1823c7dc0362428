#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "api/channel.h"
#include "support/request_recorder.h"
#include "votarsinapi.h"

namespace {

// Each case runs in its own process, so each starts unbound.
class Simulation : public ::testing::Test {
 protected:
  void TearDown() override { voTarsin_DisposeSimulation(); }
};

TEST_F(Simulation, SimulatedRequestsFailUntilTheLibraryIsBound) {
  Session session = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("SIM0", nullptr, 0, &session));
  EXPECT_TRUE(session & VOTARSIN_SESSION_SIMULATED);
  int32_t channels = 0;
  EXPECT_EQ(-52006,
            voTarsin_GetAttributeInt32(session, "", VOTARSIN_ATTR_AI_CHANNEL_COUNT, &channels));
  EXPECT_EQ(0, voTarsin_RestartSimulation(session, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, "", VOTARSIN_ATTR_AI_CHANNEL_COUNT, &channels));
  EXPECT_EQ(channels, 16);
  EXPECT_EQ(0, voTarsin_CloseSession(session, 0));
}

TEST_F(Simulation, RestartForwardsAllTwelveArgumentsUnchanged) {
  const uint64_t all = 0xFFFFFFFFFFFFFFFFull;
  EXPECT_EQ(0, voTarsin_RestartSimulation(0, 0xDEADBEEF, 0x0123456789ABCDEFull, all,
                                          0x8000000000000000ull, 5, 6, 0xCAFEF00D, 9, 10, 11,
                                          0x7FF8000000000001ull));
  uint64_t args[12] = {};
  VoDev_LastRestart(args);
  const uint64_t expected[12] = {
      0,  0xDEADBEEF, 0x0123456789ABCDEFull, all, 0x8000000000000000ull, 5, 6, 0xCAFEF00D, 9,
      10, 11,         0x7FF8000000000001ull};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(args[i], expected[i]) << "argument " << i + 1;
}

TEST_F(Simulation, FamilyRequestsTakeTheSimulationRouteAndDirectOnesTheDriver) {
  ASSERT_EQ(0, voTarsin_RestartSimulation(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  Session session = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("SIM1", nullptr, 0, &session));
  votest::RequestRecorder recorder;
  EXPECT_EQ(0, voTarsin_SetAttributeDouble(session, "AI0-AI1", VOTARSIN_ATTR_AI_RANGE, 2.0));
  double range = 0;
  EXPECT_EQ(0, voTarsin_GetAttributeDouble(session, "AI1", VOTARSIN_ATTR_AI_RANGE, &range));
  EXPECT_EQ(range, 2.0);
  uint32_t word = 0;
  voapi::CallClientFunction(session, 2, voapi::kFnReadRegister, &word, 4, &word, 4);
  const auto requests = recorder.requests();
  ASSERT_EQ(requests.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(requests[i].route, VODEV_ROUTE_SIMULATION);
  EXPECT_EQ(requests[3].route, VODEV_ROUTE_FPGA);
}

TEST_F(Simulation, RestartDisposeRestartBindsAfresh) {
  EXPECT_EQ(0, voTarsin_DisposeSimulation());  // nothing bound: nothing to do
  ASSERT_EQ(0, voTarsin_RestartSimulation(0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_NE(voapi::simulationEntry(), nullptr);
  EXPECT_EQ(0, voTarsin_DisposeSimulation());
  EXPECT_EQ(voapi::simulationEntry(), nullptr);
  uint8_t in[4] = {};
  EXPECT_EQ(-52006,
            voapi::CallClientFunction(0x2001, 2, voapi::kFnFamilyRequest, in, 4, nullptr, 0));
  ASSERT_EQ(0, voTarsin_RestartSimulation(0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_NE(voapi::simulationEntry(), nullptr);
  uint64_t args[12] = {};
  VoDev_LastRestart(args);
  EXPECT_EQ(args[1], 2u);
}

TEST_F(Simulation, RestartResetsTheSessionsDeviceToItsDefaults) {
  ASSERT_EQ(0, voTarsin_RestartSimulation(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  Session session = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("SIM2", nullptr, 0, &session));
  double range = 0;
  ASSERT_EQ(0, voTarsin_SetAttributeDouble(session, "AI3", VOTARSIN_ATTR_AI_RANGE, 4.0));
  ASSERT_EQ(0, voTarsin_RestartSimulation(session, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  ASSERT_EQ(0, voTarsin_GetAttributeDouble(session, "AI3", VOTARSIN_ATTR_AI_RANGE, &range));
  EXPECT_EQ(range, 1.0);
}

}  // namespace
