// The request channel: every device request of the library goes through
// CallClientFunction, which routes simulated sessions' family and elaboration
// requests to the simulation library and everything else to the FPGA
// interface library.
#pragma once
#include <cstdint>

#include "api/records.h"

namespace voapi {

inline constexpr uint32_t kSimulatedSessionBit = 0x2000;

// A simulated-session request while no simulation library is bound.
inline constexpr int32_t kSimulationNotBound = -52006;

using ClientFunction = int32_t (*)(uint32_t session, uint32_t group, uint32_t function,
                                   const void* input, uint64_t inputSize, void* output,
                                   uint64_t outputSize);

// The simulation entry slot. Filled and emptied only by simulation control;
// binding must not overlap requests of simulated sessions.
void setSimulationEntry(ClientFunction entry) noexcept;
ClientFunction simulationEntry() noexcept;

// Never throws: the outside components are C functions and binding the FPGA
// interface library reports its failures as statuses.
int32_t CallClientFunction(uint32_t session, uint32_t group, uint32_t function, const void* input,
                           uint64_t inputSize, void* output, uint64_t outputSize) noexcept;

// Sends one record of group 2 and returns the channel's status.
template <typename Record>
int32_t sendRecord(uint32_t session, uint32_t function, const Record& record,
                   void* output = nullptr, uint64_t outputSize = 0) noexcept {
  return CallClientFunction(session, kGroup, function, &record, sizeof(Record), output, outputSize);
}

}  // namespace voapi
