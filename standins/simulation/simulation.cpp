// The simulation library's exports, forwarded to the device model.
#include "vodevice_entry.h"
#include "votarsinsimulation.h"

extern "C" {

int32_t Simulation_ClientFunctionCall(uint32_t session, uint32_t group, uint32_t function,
                                      const void* input, uint64_t inputSize, void* output,
                                      uint64_t outputSize) {
  return VoDevEntry_ClientCall(VODEV_ROUTE_SIMULATION, session, group, function, input, inputSize,
                               output, outputSize);
}

int32_t voTarsin_RestartSimulation(uint32_t session, uint32_t seed, uint64_t reserved3,
                                   uint64_t reserved4, uint64_t reserved5, uint64_t reserved6,
                                   uint64_t reserved7, uint32_t reserved8, uint64_t reserved9,
                                   uint64_t reserved10, uint64_t reserved11, uint64_t reserved12) {
  const uint64_t args[12] = {session,   seed,      reserved3, reserved4,  reserved5,  reserved6,
                             reserved7, reserved8, reserved9, reserved10, reserved11, reserved12};
  return VoDevEntry_RestartSimulation(args);
}

}  // extern "C"
