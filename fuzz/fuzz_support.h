// Shared pieces of the fuzz targets: a scratch directory for the process,
// file writing, and a check that aborts with a message (the fuzzer keeps the
// input that made it fail).
#pragma once
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
    std::string pattern = std::filesystem::temp_directory_path() / "vo_fuzz_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) fail("cannot create a scratch directory");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(scratchDir(), ignored);
    });
    return new std::string(pattern);
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
