// A temporary directory for one test, removed with everything in it.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace votest {

class TempDir {
 public:
  TempDir() {
#ifdef _WIN32
    // A fresh name; create_directory fails on one that exists.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const auto candidate =
          std::filesystem::temp_directory_path() / ("vo_test_" + std::to_string(random()));
      std::error_code error;
      // Forward slashes: the path also goes into script text, where a
      // backslash would start an escape.
      if (std::filesystem::create_directory(candidate, error)) path_ = candidate.generic_string();
    }
#else
    std::string pattern = std::filesystem::temp_directory_path() / "vo_test_XXXXXX";
    if (const char* made = mkdtemp(pattern.data())) path_ = made;
#endif
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }

  // Creates the directory and its parents below the temporary directory.
  std::string makeDir(const std::string& relative) const {
    const std::string full = path_ + "/" + relative;
    std::error_code ignored;
    std::filesystem::create_directories(full, ignored);
    return full;
  }
  std::string writeFile(const std::string& relative, const std::string& content) const {
    const std::string full = path_ + "/" + relative;
    std::FILE* f = std::fopen(full.c_str(), "wb");
    EXPECT_NE(f, nullptr) << full;
    if (f != nullptr) {
      std::fwrite(content.data(), 1, content.size(), f);
      std::fclose(f);
    }
    return full;
  }

 private:
  std::string path_;
};

}  // namespace votest
