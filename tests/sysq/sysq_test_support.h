// Helpers of the standard-path and error-file tests: temporary directories,
// environment variables set for one scope, and reading members out of error
// contexts.
#pragma once
#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>

#include "status/context_writer.h"
#include "status/status.h"
#include "support/temp_dir.h"

namespace sysqtest {

using votest::TempDir;

// Sets (or, with a null value, removes) an environment variable for the
// life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      hadOld_ = true;
      old_ = old;
    }
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (hadOld_) {
      setenv(name_.c_str(), old_.c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool hadOld_ = false;
};

// A registry file with the given content, used for the life of the object.
class ScopedRegistry {
 public:
  ScopedRegistry(const TempDir& dir, const std::string& content)
      : env_("VO_REGISTRY_FILE", dir.writeFile("registry.ini", content).c_str()) {}

 private:
  ScopedEnv env_;
};

// The unescaped string at a path of nested members; nothing when some step is
// missing or the value is not a string.
inline std::optional<std::string> StringAt(const char* json,
                                           std::initializer_list<const char*> path) {
  const char* at = json;
  for (const char* key : path) {
    if (at == nullptr) return std::nullopt;
    at = voerr::ContextWriter::findKey(at, key);
  }
  voerr::JsonValue value;
  if (at == nullptr || !voerr::ContextWriter::parseValue(at, value) ||
      value.kind != voerr::JsonKind::kString) {
    return std::nullopt;
  }
  std::string text;
  if (!voerr::ContextWriter::unescapeString(value.raw, text)) return std::nullopt;
  return text;
}

inline std::optional<int32_t> IntAt(const char* json, std::initializer_list<const char*> path) {
  const char* at = json;
  for (const char* key : path) {
    if (at == nullptr) return std::nullopt;
    at = voerr::ContextWriter::findKey(at, key);
  }
  return at != nullptr ? voerr::ContextWriter::readInteger(at) : std::nullopt;
}

// The raw text of the value at a path ("4294967295" for a number), for
// members whose exact spelling matters.
inline std::optional<std::string> RawAt(const char* json, std::initializer_list<const char*> path) {
  const char* at = json;
  for (const char* key : path) {
    if (at == nullptr) return std::nullopt;
    at = voerr::ContextWriter::findKey(at, key);
  }
  voerr::JsonValue value;
  if (at == nullptr || !voerr::ContextWriter::parseValue(at, value)) return std::nullopt;
  return std::string(value.text());
}

// The standard members every error site writes.
inline void ExpectStandardMembers(const voerr::Status& status, const char* constant) {
  const char* ctx = status.contextText();
  EXPECT_EQ(StringAt(ctx, {"error_constant"}), constant) << ctx;
  EXPECT_EQ(StringAt(ctx, {"component"}), "votarsinapi") << ctx;
  EXPECT_TRUE(StringAt(ctx, {"file"}).has_value()) << ctx;
  EXPECT_GT(IntAt(ctx, {"line"}).value_or(0), 0) << ctx;
}

}  // namespace sysqtest
