// Library overhead of the acquisition path. A stand-in simulation entry
// answers every request at once, so what is measured is the library's own
// work: checking arguments, building the record on the stack and routing it.
// Each library call sits beside a hand-written baseline that builds the same
// packed record and calls the same function pointer, nothing more.
//
// Targets: an attribute set and a 2-D read cost at most twice their
// baseline; a read costs the same for 1 k and 1 M samples, since the driver,
// not the library, moves the samples.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "api/channel.h"
#include "votarsinapi.h"

namespace {

constexpr Session kSimulated = 0x2001;  // routed to the simulation entry slot

int32_t answerAtOnce(uint32_t, uint32_t, uint32_t, const void*, uint64_t, void*, uint64_t) {
  return 0;
}

// The baselines call through this pointer so that, like the library, they
// make a real indirect call the compiler cannot see through.
voapi::ClientFunction volatile gEntry = &answerAtOnce;

class SimulationEntry {
 public:
  SimulationEntry() { voapi::setSimulationEntry(&answerAtOnce); }
  ~SimulationEntry() { voapi::setSimulationEntry(nullptr); }
};

#pragma pack(push, 1)
struct BaselineSetRecord {
  uint32_t header[4];
  uint32_t command;
  uint32_t attributeId;
  uint32_t valueType;
  char channelName[256];
  double f64;
  int64_t i64;
  uint64_t u64;
  char text[256];
  uint8_t boolean;
};
struct BaselineReadRecord {
  uint32_t header[4];
  uint32_t command;
  uint32_t stream;
  uint64_t bytesPerChannel;
  uint64_t rows;
  uint64_t data;
  uint64_t info;
  uint32_t timeout;
  uint32_t dataType;
};
struct BaselineReadResponse {
  uint8_t driver[24];
  uint32_t completion;
};
#pragma pack(pop)
static_assert(sizeof(BaselineSetRecord) == 565 && sizeof(BaselineReadRecord) == 64);

// ---- One attribute set ------------------------------------------------------

void AttributeSetBaseline(benchmark::State& state) {
  for (auto _ : state) {
    BaselineSetRecord record;
    std::memset(&record, 0, sizeof record);
    record.header[0] = 0x102;
    record.command = 722;
    record.attributeId = VOTARSIN_ATTR_AI_COUPLING;
    record.valueType = 2;
    std::memcpy(record.channelName, "AI0", 4);
    record.i64 = 1;
    benchmark::DoNotOptimize(gEntry(kSimulated, 2, 256, &record, sizeof record, nullptr, 0));
  }
}
BENCHMARK(AttributeSetBaseline);

void AttributeSetLibrary(benchmark::State& state) {
  SimulationEntry entry;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        voTarsin_SetAttributeInt32(kSimulated, "AI0", VOTARSIN_ATTR_AI_COUPLING, 1));
  }
}
BENCHMARK(AttributeSetLibrary);

// ---- One 2-D read request ---------------------------------------------------

constexpr uint64_t kChannels = 4;

void Read2DBaseline(benchmark::State& state) {
  const auto samples = static_cast<uint64_t>(state.range(0));
  std::vector<double> data(kChannels * samples);
  VoTarsinReadInfo info[kChannels];
  for (auto _ : state) {
    BaselineReadRecord record{{0x101, 0, 1, 1},
                              277,
                              0,
                              samples * 8,
                              kChannels,
                              reinterpret_cast<uintptr_t>(data.data()),
                              reinterpret_cast<uintptr_t>(info),
                              1000,
                              1};
    BaselineReadResponse response{};
    int32_t status = gEntry(kSimulated, 2, 256, &record, sizeof record, &response, sizeof response);
    if (status >= 0 && (response.completion & 2)) status = -50400;
    benchmark::DoNotOptimize(status);
  }
}
BENCHMARK(Read2DBaseline)->Arg(1000);

void Read2DLibrary(benchmark::State& state) {
  SimulationEntry entry;
  const auto samples = static_cast<uint64_t>(state.range(0));
  std::vector<double> data(kChannels * samples);
  VoTarsinReadInfo info[kChannels];
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        voTarsin_ReadStream2DF64(kSimulated, 0, 1000, kChannels, samples, data.data(), info));
  }
}
BENCHMARK(Read2DLibrary)->Arg(1000);

// ---- Read overhead against the sample count -----------------------------------

// The buffer is never written (the entry writes nothing), so only the
// library's per-call work shows; it must not grow with the sample count.
void ReadI16Library(benchmark::State& state) {
  SimulationEntry entry;
  const auto samples = static_cast<uint64_t>(state.range(0));
  std::vector<int16_t> data(samples);
  VoTarsinReadInfo info;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        voTarsin_ReadStreamI16(kSimulated, 0, 1000, samples, data.data(), &info));
  }
  state.counters["samples"] = static_cast<double>(samples);
}
BENCHMARK(ReadI16Library)->Arg(1000)->Arg(1000000);
BENCHMARK(Read2DBaseline)->Arg(1000000);
BENCHMARK(Read2DLibrary)->Arg(1000000);

// The bytes a read of that many int16 samples hands over, copied.
void ReadI16Memcpy(benchmark::State& state) {
  const auto samples = static_cast<size_t>(state.range(0));
  std::vector<int16_t> source(samples, 1), target(samples);
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), samples * sizeof(int16_t));
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(ReadI16Memcpy)->Arg(1000)->Arg(1000000);

}  // namespace
