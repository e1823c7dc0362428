// The device model's acquisition cost: a read request that generates samples
// straight into the caller's buffer (int16 codes and float64 volts), beside a
// plain memcpy of the same number of bytes, and the start of a stream whose
// analog edge trigger has to be searched.
//
// Each read goes the whole way a library read goes: VoFpgaDll_ClientFunctionCall,
// the model lock, session lookup, request checks, then the copy out of the
// channel's precomputed table. "per_sample" (wall-clock time per sample) is
// the figure to compare.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "vodevice_hook.h"
#include "vofpga.h"

namespace {

constexpr uint32_t kGroup = 2;
constexpr uint32_t kFamilyRequest = 256;
constexpr uint64_t kEndless = uint64_t{1} << 62;  // a finite record no benchmark exhausts

template <typename T>
void Put(std::vector<uint8_t>& record, size_t offset, T value) {
  std::memcpy(record.data() + offset, &value, sizeof value);
}

std::vector<uint8_t> SetRecord(uint32_t id, uint32_t wire, const std::string& channel) {
  std::vector<uint8_t> record(284 + 281, 0);
  Put<uint32_t>(record, 0, 0x102);
  Put<uint32_t>(record, 16, 722);
  Put<uint32_t>(record, 20, id);
  Put<uint32_t>(record, 24, wire);
  std::memcpy(record.data() + 28, channel.data(), channel.size());
  return record;
}

int32_t Send(uint32_t session, const std::vector<uint8_t>& record, void* out = nullptr,
             uint64_t outSize = 0) {
  return VoFpgaDll_ClientFunctionCall(session, kGroup, kFamilyRequest, record.data(), record.size(),
                                      out, outSize);
}

void SetU64(uint32_t session, uint32_t id, const std::string& channel, uint64_t value) {
  auto record = SetRecord(id, 5, channel);
  Put<uint64_t>(record, 284 + 16, value);
  Send(session, record);
}
void SetI32(uint32_t session, uint32_t id, const std::string& channel, int32_t value) {
  auto record = SetRecord(id, 2, channel);
  Put<int64_t>(record, 284 + 8, value);
  Send(session, record);
}
void SetF64(uint32_t session, uint32_t id, const std::string& channel, double value) {
  auto record = SetRecord(id, 1, channel);
  Put<double>(record, 284, value);
  Send(session, record);
}
void SetBool(uint32_t session, uint32_t id, const std::string& channel, bool value) {
  auto record = SetRecord(id, 0, channel);
  record[284 + 280] = value ? 1 : 0;
  Send(session, record);
}

std::vector<uint8_t> StreamRecord(uint32_t command, uint32_t stream) {
  std::vector<uint8_t> record(24, 0);
  Put<uint32_t>(record, 0, 0x101);
  Put<uint32_t>(record, 16, command);
  Put<uint32_t>(record, 20, stream);
  return record;
}

// A fresh model with one session whose stream 0 carries `channels` AI
// channels in an endless finite record.
uint32_t OpenStream(int channels) {
  VoDev_Reset();
  uint32_t session = 0;
  VoFpgaDll_Open("bench", nullptr, "RIO0", 0, &session);
  SetU64(session, 0x50000002, "0", (uint64_t{1} << channels) - 1);
  SetBool(session, 0x40000001, "0", true);
  SetU64(session, 0x50000000, "0", kEndless);
  Send(session, StreamRecord(278, 0));
  return session;
}

template <typename T>
void ModelRead(benchmark::State& state, int channels) {
  const uint64_t samples = static_cast<uint64_t>(state.range(0));
  const uint32_t session = OpenStream(channels);
  std::vector<T> data(samples * channels);
  std::vector<uint8_t> info(80 * channels);
  std::vector<uint8_t> record(64, 0);
  Put<uint32_t>(record, 0, 0x101);
  Put<uint32_t>(record, 8, 1);
  Put<uint32_t>(record, 12, 1);
  Put<uint32_t>(record, 16, 277);
  Put<uint64_t>(record, 24, samples * sizeof(T));
  Put<uint64_t>(record, 32, channels);
  Put<uint64_t>(record, 40, reinterpret_cast<uintptr_t>(data.data()));
  Put<uint64_t>(record, 48, reinterpret_cast<uintptr_t>(info.data()));
  Put<uint32_t>(record, 60, sizeof(T) == 2 ? 7 : 1);
  uint8_t response[28];
  for (auto _ : state) {
    if (Send(session, record, response, sizeof response) != 0) {
      state.SkipWithError("read failed");
      break;
    }
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
  const double total = static_cast<double>(samples) * channels;
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * total));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * total * sizeof(T)));
  state.counters["per_sample"] = benchmark::Counter(
      total, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  VoDev_Reset();
}

template <typename T>
void Memcpy(benchmark::State& state) {
  const size_t samples = static_cast<size_t>(state.range(0));
  std::vector<T> source(samples);
  for (size_t i = 0; i < samples; ++i) source[i] = static_cast<T>(i % 8191);
  std::vector<T> target(samples);
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), samples * sizeof(T));
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * samples));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * samples * sizeof(T)));
  state.counters["per_sample"] = benchmark::Counter(
      static_cast<double>(samples),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void ModelReadI16(benchmark::State& state) { ModelRead<int16_t>(state, 1); }
void ModelReadF64(benchmark::State& state) { ModelRead<double>(state, 1); }
void ModelRead2DI16FourChannels(benchmark::State& state) { ModelRead<int16_t>(state, 4); }
void ModelRead2DF64FourChannels(benchmark::State& state) { ModelRead<double>(state, 4); }
void MemcpyI16(benchmark::State& state) { Memcpy<int16_t>(state); }
void MemcpyF64(benchmark::State& state) { Memcpy<double>(state); }

// Wall-clock time: the copies are memory-bound, and CPU time hides stalls on
// a shared machine.
BENCHMARK(ModelReadI16)->Arg(1 << 10)->Arg(1 << 20)->UseRealTime();
BENCHMARK(MemcpyI16)->Arg(1 << 10)->Arg(1 << 20)->UseRealTime();
BENCHMARK(ModelReadF64)->Arg(1 << 10)->Arg(1 << 20)->UseRealTime();
BENCHMARK(MemcpyF64)->Arg(1 << 10)->Arg(1 << 20)->UseRealTime();
BENCHMARK(ModelRead2DI16FourChannels)->Arg(1 << 18)->UseRealTime();
BENCHMARK(ModelRead2DF64FourChannels)->Arg(1 << 18)->UseRealTime();

// Start of a stream with an analog edge trigger: the search runs over the
// trigger channel's codes (the table is built once, at the first start).
void AnalogTriggerStart(benchmark::State& state, int channel, double level) {
  const uint32_t session = OpenStream(1);
  SetI32(session, 0x10000009, "0", 4);
  SetI32(session, 0x10000008, "0", channel);
  SetF64(session, 0x20000002, "0", level);
  const auto start = StreamRecord(278, 0);
  for (auto _ : state) {
    if (Send(session, start) != 0) {
      state.SkipWithError("start failed");
      break;
    }
  }
  VoDev_Reset();
}

// AI0 crosses 0.2 V a few samples after the start; AI15 (period 400) reaches
// 0.34 V only near its crest; 0.9 V is never reached, so the search covers a
// whole table (8400 samples) before giving up.
BENCHMARK_CAPTURE(AnalogTriggerStart, early_edge, 0, 0.2)->UseRealTime();
BENCHMARK_CAPTURE(AnalogTriggerStart, edge_near_crest, 15, 0.34)->UseRealTime();
BENCHMARK_CAPTURE(AnalogTriggerStart, never_crossed, 15, 0.9)->UseRealTime();

}  // namespace
