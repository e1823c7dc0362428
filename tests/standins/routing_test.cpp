// The request hook, the simulation library's request entry and its restart.
#include <vector>

#include "standin_support.h"
#include "votarsinsimulation.h"

namespace standin_test {
namespace {

constexpr uint32_t kDataDelay = 0x20000019;

struct Seen {
  VoDevRoute route;
  uint32_t session, group, function;
  Bytes input;
  uint64_t outputSize;
};

// Records every request; answers function 5 itself, and in "forward" mode
// sends attribute requests of the hardware session on to the model through
// the stand-in (a nested call while the hook runs).
struct Recorder {
  std::vector<Seen> seen;
  bool forward = false;

  static int Hook(void* context, const VoDevRequest* request, int32_t* status) {
    auto* self = static_cast<Recorder*>(context);
    const auto* bytes = static_cast<const uint8_t*>(request->input);
    self->seen.push_back({request->route, request->session, request->group, request->function,
                          Bytes(bytes, bytes + request->inputSize), request->outputSize});
    if (request->function == 5) {
      std::memset(request->output, 0xAB, request->outputSize);
      *status = 17;
      return 1;
    }
    if (self->forward && request->function == kFamilyRequest && request->group == kGroup) {
      self->forward = false;  // the nested call comes back here once
      *status =
          VoFpgaDll_ClientFunctionCall(request->session, 7, request->function, request->input,
                                       request->inputSize, request->output, request->outputSize);
      return 1;
    }
    return 0;
  }
};

class RoutingTest : public StandinTest {};

TEST_F(RoutingTest, HookSeesEveryCallWithItsRouteAndMayAnswer) {
  Recorder recorder;
  VoDev_SetRequestHook(&Recorder::Hook, &recorder);
  const uint64_t fpgaBefore = VoDev_RequestCount(VODEV_ROUTE_FPGA);

  Bytes record = SetF64(kDataDelay, "", 3e-9);
  ASSERT_EQ(Send(hardware_, record), 0);
  uint8_t answer[4] = {};
  EXPECT_EQ(VoFpgaDll_ClientFunctionCall(hardware_, kGroup, 5, nullptr, 0, answer, 4), 17);
  EXPECT_EQ(answer[3], 0xAB);
  EXPECT_EQ(Simulation_ClientFunctionCall(simulated_, kGroup, 5, nullptr, 0, answer, 2), 17);

  ASSERT_EQ(recorder.seen.size(), 3u);
  EXPECT_EQ(recorder.seen[0].route, VODEV_ROUTE_FPGA);
  EXPECT_EQ(recorder.seen[0].session, hardware_);
  EXPECT_EQ(recorder.seen[0].function, kFamilyRequest);
  EXPECT_EQ(recorder.seen[0].input, record);
  EXPECT_EQ(recorder.seen[0].outputSize, 0u);
  EXPECT_EQ(recorder.seen[2].route, VODEV_ROUTE_SIMULATION);
  EXPECT_EQ(recorder.seen[2].session, simulated_);
  EXPECT_EQ(recorder.seen[2].outputSize, 2u);
  EXPECT_EQ(VoDev_RequestCount(VODEV_ROUTE_FPGA), fpgaBefore + 2);
  EXPECT_EQ(VoDev_RequestCount(VODEV_ROUTE_SIMULATION), 1u);

  // A declined request reached the model; without the hook nothing is seen.
  VoDev_SetRequestHook(nullptr, nullptr);
  EXPECT_EQ(GetF64(hardware_, kDataDelay, ""), 3e-9);
  EXPECT_EQ(recorder.seen.size(), 3u);
}

TEST_F(RoutingTest, HookMayCallBackIntoTheModel) {
  Recorder recorder;
  recorder.forward = true;
  VoDev_SetRequestHook(&Recorder::Hook, &recorder);
  // The hook forwards with group 7, so the model refuses the nested call.
  EXPECT_EQ(Send(hardware_, SetF64(kDataDelay, "", 1e-9)), VODEV_E_WRONG_GROUP);
  ASSERT_EQ(recorder.seen.size(), 2u);
  EXPECT_EQ(recorder.seen[1].group, 7u);
  EXPECT_EQ(VoDev_OpenSessionCount(), 2u);  // the model's lock is free again
}

TEST_F(RoutingTest, SimulationEntryServesSimulatedSessionsOnly) {
  Bytes set = SetF64(kDataDelay, "", 7e-9);
  EXPECT_EQ(Simulation_ClientFunctionCall(hardware_, kGroup, kFamilyRequest, set.data(), set.size(),
                                          nullptr, 0),
            VODEV_E_NOT_SIMULATED);
  EXPECT_EQ(GetF64(hardware_, kDataDelay, ""), 0.0);
  ASSERT_EQ(Simulation_ClientFunctionCall(simulated_, kGroup, kFamilyRequest, set.data(),
                                          set.size(), nullptr, 0),
            0);
  // Both entries reach the same simulated device.
  EXPECT_EQ(GetF64(simulated_, kDataDelay, ""), 7e-9);
  EXPECT_EQ(Simulation_ClientFunctionCall(0x6666 | kSimulatedBit, kGroup, kFamilyRequest,
                                          set.data(), set.size(), nullptr, 0),
            VODEV_E_UNKNOWN_SESSION);
}

TEST_F(RoutingTest, RestartReturnsTheSimulatedDeviceToPowerOnAndIsRecorded) {
  ASSERT_EQ(Send(simulated_, SetF64(kDataDelay, "", 5e-9)), 0);
  ASSERT_EQ(Send(hardware_, SetF64(kDataDelay, "", 5e-9)), 0);
  ASSERT_EQ(voTarsin_RestartSimulation(simulated_, 99, 3, 4, 5, 6, 0xFFFFFFFFFFFFFFFFull,
                                       0x88888888u, 9, 10, 11, 0x8000000000000000ull),
            0);
  uint64_t args[12];
  ASSERT_EQ(VoDev_LastRestart(args), 1u);
  const uint64_t expected[12] = {
      simulated_,           99, 3, 4, 5, 6, 0xFFFFFFFFFFFFFFFFull, 0x88888888u, 9, 10, 11,
      0x8000000000000000ull};
  EXPECT_TRUE(std::equal(args, args + 12, expected));
  EXPECT_EQ(GetF64(simulated_, kDataDelay, ""), 0.0);
  EXPECT_EQ(GetF64(hardware_, kDataDelay, ""), 5e-9);

  EXPECT_EQ(voTarsin_RestartSimulation(0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(voTarsin_RestartSimulation(hardware_, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
            VODEV_E_NOT_SIMULATED);
  EXPECT_EQ(voTarsin_RestartSimulation(0x2001, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
            VODEV_E_UNKNOWN_SESSION);
  EXPECT_EQ(GetF64(hardware_, kDataDelay, ""), 5e-9);
  EXPECT_EQ(VoDev_LastRestart(nullptr), 4u);
}

}  // namespace
}  // namespace standin_test
