// Cost of the script translator. Every error-text call builds its own
// interpreter state, so the creation of a host is paid by every call that
// renders a device error. Measured:
//   GetError/device_error         voTarsin_GetError for a device error whose
//                                 context names the script translator
//                                 (stand-in device RIO0), end to end;
//   Host/fresh_state_per_call     what one such call costs in the script
//                                 host, split into its steps (counters, in
//                                 microseconds per iteration): state and
//                                 libraries, embedded modules, setup
//                                 (bootstrap and translator script), the
//                                 static and the dynamic description on the
//                                 fresh state, and closing it;
//   Host/create_modules_as_source the same creation with the modules
//                                 compiled from their (staged) source text
//                                 instead of precompiled chunks;
//   Host/load_each_module         each embedded module loaded alone, as
//                                 the library loads it (prepared chunk);
//   Host/load_each_module_luac    the same from luac's chunks;
//   Host/dynamic_warm_state       a dynamic description on a state that has
//                                 already run the term and attribute tables;
//   Host/bare_state               the floor: a fresh interpreter state with no
//                                 library opened, closed again.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "status/status.h"
#include "votarsinapi.h"
#include "xlator/error_text.h"
#include "xlator/registry.h"
#include "xlator/xlator_session.h"
#include "xlatorlua/lua_api.h"
#include "xlatorlua/prepared_chunk.h"
#include "xlatorlua/script_host.h"

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

// A device error of the stand-in whose context names the script translator:
// its code and its context.
struct DeviceError {
  Session session = 0;
  int32_t code = 0;
  std::string context;
};

DeviceError MakeDeviceError() {
  DeviceError error;
  if (voTarsin_OpenSession("RIO0", nullptr, 0, &error.session) != 0) return error;
  const int32_t candidates[] = {
      voTarsin_SetAttributeInt32(error.session, "AI0", VOTARSIN_ATTR_AI_COUPLING, 12345),
      voTarsin_SetAttributeInt32(error.session, "", VOTARSIN_ATTR_SAMPLES_PER_CLOCK, -7),
      voTarsin_SetAttributeDouble(error.session, "", VOTARSIN_ATTR_FPGA_TEMPERATURE, 50.5),
  };
  for (int32_t code : candidates) {
    if (code >= 0) continue;
    voerr::Status status;
    voxlator::fetchErrorContext(error.session, code, status);
    const std::string context = status.contextText();
    if (context.find("mxlator_votarsinapi") != std::string::npos) {
      error.code = code;
      error.context = context;
      break;
    }
  }
  return error;
}

void GetErrorDeviceError(benchmark::State& state) {
  const DeviceError error = MakeDeviceError();
  if (error.code == 0) {
    state.SkipWithError("no device error naming the script translator");
    return;
  }
  char buffer[4096];
  if (voTarsin_GetError(error.session, error.code, sizeof buffer, buffer) != 0 ||
      std::strstr(buffer, "Failed to translate") != nullptr) {
    state.SkipWithError("the device error is not translated");
    return;
  }
  for (auto _ : state) {
    const int32_t status = voTarsin_GetError(error.session, error.code, sizeof buffer, buffer);
    benchmark::DoNotOptimize(status);
    benchmark::DoNotOptimize(buffer[0]);
  }
  state.SetLabel(std::to_string(std::strlen(buffer)) + " bytes of text");
  voTarsin_CloseSession(error.session, 0);
}

// One host per iteration, as each error-text call makes it.
void FreshStatePerCall(benchmark::State& state) {
  const DeviceError error = MakeDeviceError();
  if (error.code == 0) {
    state.SkipWithError("no device error naming the script translator");
    return;
  }
  double stateUs = 0, modulesUs = 0, setupUs = 0, staticUs = 0, dynamicUs = 0, closeUs = 0;
  for (auto _ : state) {
    voxlatorlua::CreationTimes times;
    voxlatorlua::HostConfig config;
    config.times = &times;
    voerr::Status status;
    voxlator::TranslatorInterface* translator = voxlatorlua::newScriptTranslator(
        voxlator::kScriptXlatorName, voxlator::kScriptXlatorRegistration, status, config);
    if (translator == nullptr) {
      state.SkipWithError(status.contextText());
      break;
    }
    const auto t0 = Clock::now();
    char* staticText = translator->getStaticDesc(translator, error.code, 0,
                                                 &voxlator::allocateXlatorText, nullptr, status);
    const auto t1 = Clock::now();
    char* dynamicText = translator->getDynamicDesc(translator, error.context.c_str(), 0, "json1",
                                                   &voxlator::allocateXlatorText, nullptr, status);
    const auto t2 = Clock::now();
    translator->destroy(translator);
    const auto t3 = Clock::now();
    if (staticText == nullptr || dynamicText == nullptr) {
      state.SkipWithError(status.contextText());
      break;
    }
    voxlator::freeXlatorText(staticText);
    voxlator::freeXlatorText(dynamicText);
    stateUs += static_cast<double>(times.stateAndLibrariesNs) / 1000.0;
    modulesUs += static_cast<double>(times.modulesNs) / 1000.0;
    setupUs += static_cast<double>(times.setupNs) / 1000.0;
    staticUs += Microseconds(t1 - t0);
    dynamicUs += Microseconds(t2 - t1);
    closeUs += Microseconds(t3 - t2);
  }
  const auto average = benchmark::Counter::kAvgIterations;
  state.counters["1_state_libs_us"] = benchmark::Counter(stateUs, average);
  state.counters["2_modules_us"] = benchmark::Counter(modulesUs, average);
  state.counters["3_setup_us"] = benchmark::Counter(setupUs, average);
  state.counters["4_static_us"] = benchmark::Counter(staticUs, average);
  state.counters["5_dynamic_us"] = benchmark::Counter(dynamicUs, average);
  state.counters["6_close_us"] = benchmark::Counter(closeUs, average);
  voTarsin_CloseSession(error.session, 0);
}

// The library's modules as source text, read from the staged sources the
// build compiled them from.
void CreateModulesAsSource(benchmark::State& state) {
  std::vector<std::string> names, texts;
  for (const voxlatorlua::EmbeddedModule& module : voxlatorlua::embeddedModules()) {
    std::string name = module.fileName;
    if (name.size() > 5 && name.compare(name.size() - 5, 5, ".luac") == 0) name.pop_back();
    std::ifstream in(std::string(VO_BENCH_STAGED_SCRIPTS) + "/" + name, std::ios::binary);
    if (!in) {
      state.SkipWithError(("cannot read the staged source of " + name).c_str());
      return;
    }
    names.push_back(name);
    texts.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<voxlatorlua::EmbeddedModule> modules;
  size_t bytes = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    modules.push_back({names[i].c_str(), texts[i].data(), texts[i].size()});
    bytes += texts[i].size();
  }
  double modulesUs = 0;
  for (auto _ : state) {
    voxlatorlua::CreationTimes times;
    voxlatorlua::HostConfig config;
    config.modules = {modules.data(), modules.size()};
    config.times = &times;
    voerr::Status status;
    voxlator::TranslatorInterface* translator = voxlatorlua::newScriptTranslator(
        voxlator::kScriptXlatorName, voxlator::kScriptXlatorRegistration, status, config);
    if (translator == nullptr) {
      state.SkipWithError(status.contextText());
      break;
    }
    translator->destroy(translator);
    modulesUs += static_cast<double>(times.modulesNs) / 1000.0;
  }
  state.counters["2_modules_us"] =
      benchmark::Counter(modulesUs, benchmark::Counter::kAvgIterations);
  state.SetLabel(std::to_string(bytes / 1024) + " KiB of source");
}

void CreateModulesPrecompiled(benchmark::State& state) {
  size_t bytes = 0;
  for (const voxlatorlua::EmbeddedModule& module : voxlatorlua::embeddedModules()) {
    bytes += module.size;
  }
  double modulesUs = 0;
  for (auto _ : state) {
    voxlatorlua::CreationTimes times;
    voxlatorlua::HostConfig config;
    config.times = &times;
    voerr::Status status;
    voxlator::TranslatorInterface* translator = voxlatorlua::newScriptTranslator(
        voxlator::kScriptXlatorName, voxlator::kScriptXlatorRegistration, status, config);
    if (translator == nullptr) {
      state.SkipWithError(status.contextText());
      break;
    }
    translator->destroy(translator);
    modulesUs += static_cast<double>(times.modulesNs) / 1000.0;
  }
  state.counters["2_modules_us"] =
      benchmark::Counter(modulesUs, benchmark::Counter::kAvgIterations);
  state.SetLabel(std::to_string(bytes / 1024) + " KiB embedded");
}

void DynamicWarmState(benchmark::State& state) {
  const DeviceError error = MakeDeviceError();
  voerr::Status status;
  voxlator::TranslatorInterface* translator = voxlatorlua::newScriptTranslator(
      voxlator::kScriptXlatorName, voxlator::kScriptXlatorRegistration, status);
  if (error.code == 0 || translator == nullptr) {
    state.SkipWithError("no device error, or no translator");
    if (translator != nullptr) translator->destroy(translator);
    return;
  }
  for (auto _ : state) {
    char* text = translator->getDynamicDesc(translator, error.context.c_str(), 0, "json1",
                                            &voxlator::allocateXlatorText, nullptr, status);
    if (text == nullptr) {
      state.SkipWithError(status.contextText());
      break;
    }
    voxlator::freeXlatorText(text);
  }
  translator->destroy(translator);
  voTarsin_CloseSession(error.session, 0);
}

// Loading each embedded module alone in a state of its own, as the library
// loads it (a prepared chunk) and as luac wrote it (the chunks the build
// prepared them from): counters in microseconds.
template <typename Load>
void LoadEach(benchmark::State& state, const std::vector<std::string>& names,
              const std::vector<std::string>& chunks, Load load) {
  lua_State* L = luaL_newstate();
  std::vector<double> totals(names.size(), 0.0);
  for (auto _ : state) {
    for (size_t i = 0; i < names.size(); ++i) {
      const auto start = Clock::now();
      if (load(L, chunks[i], names[i].c_str()) != 0) {
        state.SkipWithError(lua_tostring(L, -1));
        break;
      }
      totals[i] += Microseconds(Clock::now() - start);
      lua_pop(L, 1);
    }
    lua_gc(L, LUA_GCCOLLECT, 0);
  }
  for (size_t i = 0; i < names.size(); ++i) {
    state.counters[names[i]] = benchmark::Counter(totals[i], benchmark::Counter::kAvgIterations);
  }
  lua_close(L);
}

void LoadEachPrepared(benchmark::State& state) {
  std::vector<std::string> names, chunks;
  for (const voxlatorlua::EmbeddedModule& module : voxlatorlua::embeddedModules()) {
    names.emplace_back(module.fileName);
    chunks.emplace_back(module.data, module.size);
  }
  LoadEach(state, names, chunks, [](lua_State* L, const std::string& chunk, const char* name) {
    return voxlatorlua_loadPreparedChunk(L, chunk.data(), chunk.size(), name);
  });
}

void LoadEachLuac(benchmark::State& state) {
  std::vector<std::string> names, chunks;
  for (const voxlatorlua::EmbeddedModule& module : voxlatorlua::embeddedModules()) {
    std::ifstream in(std::string(VO_BENCH_LUAC_CHUNKS) + "/" + module.fileName, std::ios::binary);
    if (!in) {
      state.SkipWithError((std::string("cannot read the chunk of ") + module.fileName).c_str());
      return;
    }
    names.emplace_back(module.fileName);
    chunks.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  LoadEach(state, names, chunks, [](lua_State* L, const std::string& chunk, const char* name) {
    return luaL_loadbuffer(L, chunk.data(), chunk.size(), name);
  });
}

void BareState(benchmark::State& state) {
  for (auto _ : state) {
    lua_State* L = luaL_newstate();
    benchmark::DoNotOptimize(L);
    lua_close(L);
  }
}

BENCHMARK(GetErrorDeviceError)->Name("GetError/device_error")->Unit(benchmark::kMicrosecond);
BENCHMARK(FreshStatePerCall)->Name("Host/fresh_state_per_call")->Unit(benchmark::kMicrosecond);
BENCHMARK(CreateModulesPrecompiled)
    ->Name("Host/create_modules_precompiled")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(CreateModulesAsSource)
    ->Name("Host/create_modules_as_source")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadEachPrepared)->Name("Host/load_each_module")->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadEachLuac)->Name("Host/load_each_module_luac")->Unit(benchmark::kMicrosecond);
BENCHMARK(DynamicWarmState)->Name("Host/dynamic_warm_state")->Unit(benchmark::kMicrosecond);
BENCHMARK(BareState)->Name("Host/bare_state")->Unit(benchmark::kMicrosecond);

}  // namespace
