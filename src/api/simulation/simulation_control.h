// Binding of the simulation library, which answers the family and
// elaboration requests of simulated sessions.
#pragma once
#include <cstdint>

namespace voapi {

inline constexpr const char* kSimulationModule = "votarsinsimulation.dll";
inline constexpr int32_t kSimulationUnavailable = -1;

// Loads and binds the library on first use, then forwards the twelve
// arguments to its restart entry unchanged. -1 when the library or either
// entry point is missing. Must not overlap simulated requests or a dispose.
int32_t RestartSimulation(uint32_t a1, uint32_t a2, uint64_t a3, uint64_t a4, uint64_t a5,
                          uint64_t a6, uint64_t a7, uint32_t a8, uint64_t a9, uint64_t a10,
                          uint64_t a11, uint64_t a12);

// Unbinds and unloads the library when bound; always 0.
int32_t DisposeSimulation();

}  // namespace voapi
