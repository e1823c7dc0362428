#include "api/simulation/simulation_control.h"

#include <atomic>

#include "api/channel.h"
#include "platform/dynlib.h"

namespace voapi {
namespace {

using RestartEntry = int32_t (*)(uint32_t, uint32_t, uint64_t, uint64_t, uint64_t, uint64_t,
                                 uint64_t, uint32_t, uint64_t, uint64_t, uint64_t, uint64_t);

// Binding takes no lock (callers must not overlap it with simulated
// requests); the words are atomic so that readers on other threads never see
// a torn value.
std::atomic<voplat::ModuleHandle> gModule{nullptr};
std::atomic<RestartEntry> gRestart{nullptr};

void bind() {
  voplat::ModuleHandle module = voplat::loadModule(kSimulationModule, nullptr);
  if (!module) return;
  gModule.store(module);
  setSimulationEntry(reinterpret_cast<ClientFunction>(
      voplat::findSymbol(module, "Simulation_ClientFunctionCall", nullptr)));
  gRestart.store(reinterpret_cast<RestartEntry>(
      voplat::findSymbol(module, "voTarsin_RestartSimulation", nullptr)));
}

// Unloads the library when the process lets this library go.
struct UnloadAtExit {
  ~UnloadAtExit() { DisposeSimulation(); }
} gUnloadAtExit;

}  // namespace

int32_t RestartSimulation(uint32_t a1, uint32_t a2, uint64_t a3, uint64_t a4, uint64_t a5,
                          uint64_t a6, uint64_t a7, uint32_t a8, uint64_t a9, uint64_t a10,
                          uint64_t a11, uint64_t a12) {
  if (!gModule.load()) {
    bind();
    if (!gModule.load()) return kSimulationUnavailable;
  }
  RestartEntry restart = gRestart.load();
  if (!restart || !simulationEntry()) return kSimulationUnavailable;
  return restart(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12);
}

int32_t DisposeSimulation() {
  voplat::ModuleHandle module = gModule.exchange(nullptr);
  if (!module) return 0;
  setSimulationEntry(nullptr);
  gRestart.store(nullptr);
  voplat::unloadModule(module);
  return 0;
}

}  // namespace voapi
