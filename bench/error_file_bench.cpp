// The error-file search per call, on the descriptions of the build tree (six
// language directories): a code found in the language directory, a code
// found in no file (every file of the language directory and the errors
// directory itself are read), the parser alone on one file in memory, and
// the default translator's whole static description, registry read
// included.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "status/status.h"
#include "xlator/error_file_translator.h"
#include "xlator/language.h"

namespace {

const std::string kErrorsDir = VO_BENCH_DATA_DIR "/Errors";

void SearchErrorsDir(benchmark::State& state, int32_t code, uint32_t language, bool expectText) {
  std::string text;
  for (auto _ : state) {
    voerr::Status status;
    voxlator::findDescriptionInErrorsDir(kErrorsDir, code, language, text, status);
    if (status.isError() || text.empty() != !expectText) {
      state.SkipWithError("unexpected search result; is the build's data directory in place?");
      break;
    }
    benchmark::DoNotOptimize(text.data());
  }
}

void BM_ErrorsDirHitEnglish(benchmark::State& state) {
  SearchErrorsDir(state, -304422, voxlator::kEnglish, true);  // the file's last entry
}
BENCHMARK(BM_ErrorsDirHitEnglish);

void BM_ErrorsDirHitJapanese(benchmark::State& state) {
  SearchErrorsDir(state, -52006, voxlator::kJapanese, true);
}
BENCHMARK(BM_ErrorsDirHitJapanese);

void BM_ErrorsDirMiss(benchmark::State& state) {
  SearchErrorsDir(state, -12345, voxlator::kEnglish, false);
}
BENCHMARK(BM_ErrorsDirMiss);

void BM_ParseFileInMemory(benchmark::State& state) {
  std::string content;
  if (std::FILE* f = std::fopen((kErrorsDir + "/English/votarsinapi.txt").c_str(), "rb")) {
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) content.append(chunk, n);
    std::fclose(f);
  }
  std::string text;
  for (auto _ : state) {
    voerr::Status status;
    voxlator::findDescriptionInText(content, -304422, text, status);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * content.size()));
}
BENCHMARK(BM_ParseFileInMemory);

void* Allocate(void* block, size_t size, void*, voerr::Status*) {
  if (size == 0) {
    std::free(block);
    return nullptr;
  }
  return std::realloc(block, size);
}

void StaticDescription(benchmark::State& state, int32_t code, uint32_t language) {
  // The registry beside the build's bin/ directory names the build's data.
  unsetenv("VO_REGISTRY_FILE");
  voerr::Status created;
  voxlator::TranslatorInterface* xlator =
      voxlator::createDefaultXlator("voxlator_default", "{}", created);
  for (auto _ : state) {
    voerr::Status status;
    char* text = xlator->getStaticDesc(xlator, code, language, &Allocate, nullptr, status);
    if (text == nullptr) {
      state.SkipWithError(status.contextText());
      break;
    }
    std::free(text);
  }
}

void BM_DefaultTranslatorEnglish(benchmark::State& state) {
  StaticDescription(state, -52005, voxlator::kEnglish);
}
BENCHMARK(BM_DefaultTranslatorEnglish);

void BM_DefaultTranslatorKorean(benchmark::State& state) {
  StaticDescription(state, -52005, voxlator::kKorean);
}
BENCHMARK(BM_DefaultTranslatorKorean);

}  // namespace
