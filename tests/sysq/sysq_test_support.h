// Helpers of the standard-path and error-file tests: temporary directories,
// environment variables set for one scope, and reading members out of error
// contexts.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>

#include "status/context_writer.h"
#include "status/status.h"
#include "support/temp_dir.h"
#include "support/test_registry.h"

namespace sysqtest {

using votest::TempDir;

using votest::ScopedEnv;
using votest::ScopedRegistry;

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
