#include "api/export_guard.h"
#include "api/simulation/simulation_control.h"
#include "votarsinapi.h"

using namespace voapi;

extern "C" {

VOTARSIN_API int32_t voTarsin_RestartSimulation(uint32_t a1, uint32_t a2, uint64_t a3, uint64_t a4,
                                                uint64_t a5, uint64_t a6, uint64_t a7, uint32_t a8,
                                                uint64_t a9, uint64_t a10, uint64_t a11,
                                                uint64_t a12) {
  return guarded(
      [&] { return RestartSimulation(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12); });
}

VOTARSIN_API int32_t voTarsin_DisposeSimulation(void) {
  return guarded([] { return DisposeSimulation(); });
}

}  // extern "C"
