// Cost of one voTarsin_GetError call. Every call builds its own translator
// session and searches the error-description files afresh, so this is what a
// caller that formats many codes pays per code.
//   (a) a RIO0 session whose driver context names no translator: the context
//       request, then the error-file search of the installed descriptions;
//   (b) session 0: no context request, the error-file search alone.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "votarsinapi.h"

namespace {

constexpr const char* kFailed = "Failed to translate error elaboration.";

void Describe(benchmark::State& state, Session session, int32_t code) {
  char buffer[1024];
  if (voTarsin_GetError(session, code, sizeof buffer, buffer) != 0 ||
      std::strcmp(buffer, kFailed) == 0 || buffer[0] == '\0') {
    state.SkipWithError("no description found: are the error files and registry.ini built?");
    return;
  }
  for (auto _ : state) {
    const int32_t status = voTarsin_GetError(session, code, sizeof buffer, buffer);
    benchmark::DoNotOptimize(status);
    benchmark::DoNotOptimize(buffer[0]);
  }
}

void ErrorFilePath(benchmark::State& state) {
  Session session = 0;
  if (voTarsin_OpenSession("RIO0", nullptr, 0, &session) != 0) {
    state.SkipWithError("cannot open RIO0");
    return;
  }
  Describe(state, session, VOTARSIN_ERR_INVALID_PARAMETER);
  voTarsin_CloseSession(session, 0);
}

void SessionZero(benchmark::State& state) { Describe(state, 0, VOTARSIN_ERR_INVALID_PARAMETER); }

void SessionZeroLastCode(benchmark::State& state) {
  // A code near the end of the library's descriptions: the scan reads more.
  Describe(state, 0, VOTARSIN_ERR_STREAM_NUMBER);
}

BENCHMARK(ErrorFilePath)->Name("GetError/a_error_file_path_RIO0")->Unit(benchmark::kMicrosecond);
BENCHMARK(SessionZero)->Name("GetError/b_session_0")->Unit(benchmark::kMicrosecond);
BENCHMARK(SessionZeroLastCode)
    ->Name("GetError/b_session_0_stream_number")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
