// Shared pieces of the fuzz targets: a scratch directory for the process,
// file writing, and a check that aborts with a message (the fuzzer keeps the
// input that made it fail).
#pragma once
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace vofuzz {

[[noreturn]] inline void fail(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "fuzz check failed: %s\n%.*s\n", what, static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

inline void check(bool condition, const char* what, std::string_view detail = {}) {
  if (!condition) fail(what, detail);
}

// A directory of this process below the temporary directory, removed at
// exit. The path itself is never destroyed, so the exit handler can read it.
inline const std::string& scratchDir() {
  static const std::string* path = [] {
    namespace fs = std::filesystem;
    std::random_device random;
    fs::path dir;
    std::error_code error;
    do {
      dir = fs::temp_directory_path() / ("vo_fuzz_" + std::to_string(random()));
    } while (!fs::create_directory(dir, error) && !error);
    if (error) fail("cannot create a scratch directory");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(scratchDir(), ignored);
    });
    return new std::string(dir.string());
  }();
  return *path;
}

inline void writeFile(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) fail("cannot write", path);
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
    fail("short write", path);
  }
  std::fclose(f);
}

}  // namespace vofuzz
