// Cost of parsing typical channel lists: every attribute write and stream
// configuration goes through the parser, so it has to stay cheap.
#include <benchmark/benchmark.h>

#include <string>

#include "api/channel_list.h"

namespace {

void ParseList(benchmark::State& state, const char* text) {
  voapi::ChannelNameList list;
  for (auto _ : state) {
    const int32_t status = voapi::ParseChannelList(text, 0, list);
    benchmark::DoNotOptimize(status);
    benchmark::DoNotOptimize(list.size());
  }
}

BENCHMARK_CAPTURE(ParseList, stream_number, "5");
BENCHMARK_CAPTURE(ParseList, single_channel, "AI12");
BENCHMARK_CAPTURE(ParseList, full_range, "AI0-AI63");
BENCHMARK_CAPTURE(ParseList, short_list, "AI0,AI3,ai7,AO1-AO4,12");
BENCHMARK_CAPTURE(ParseList, syntax_error_late, "AI0,AI1,AI2,AI3,AI4,AI5,AI6,AI7,x");

void ParseSixtyFourTokens(benchmark::State& state) {
  std::string text;
  for (int n = 0; n < 64; ++n) text += (n ? ",AI" : "AI") + std::to_string(n);
  voapi::ChannelNameList list;
  for (auto _ : state) {
    benchmark::DoNotOptimize(voapi::ParseChannelList(text.c_str(), 0, list));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ParseSixtyFourTokens);

}  // namespace
