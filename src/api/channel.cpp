#include "api/channel.h"

#include <atomic>

#include "api/fpga_interface.h"

namespace voapi {
namespace {

std::atomic<ClientFunction> gSimulationEntry{nullptr};

bool routesToSimulation(uint32_t session, uint32_t function) {
  return (session & kSimulatedSessionBit) &&
         (function == kFnFamilyRequest || function == kFnElaborate);
}

}  // namespace

void setSimulationEntry(ClientFunction entry) noexcept {
  gSimulationEntry.store(entry, std::memory_order_release);
}

ClientFunction simulationEntry() noexcept {
  return gSimulationEntry.load(std::memory_order_acquire);
}

int32_t CallClientFunction(uint32_t session, uint32_t group, uint32_t function, const void* input,
                           uint64_t inputSize, void* output, uint64_t outputSize) noexcept {
  if (routesToSimulation(session, function)) {
    ClientFunction entry = simulationEntry();
    if (!entry) return kSimulationNotBound;
    return entry(session, group, function, input, inputSize, output, outputSize);
  }
  return FpgaClientFunctionCall(session, group, function, input, inputSize, output, outputSize);
}

}  // namespace voapi
