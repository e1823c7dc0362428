// Helpers shared by the status tests: checking the context buffer layout and
// reallocators with controllable limits.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "status/context_writer.h"
#include "status/status.h"

namespace statustest {

// The invariant every writer keeps: text, NUL, zeros only, 'J' as last byte.
inline ::testing::AssertionResult HasValidLayout(const voerr::Status& status) {
  const char* buf = status.buffer();
  const uint32_t cap = status.capacity();
  if (buf == nullptr) {
    if (cap != 0) return ::testing::AssertionFailure() << "no buffer but capacity " << cap;
    return ::testing::AssertionSuccess();
  }
  if (cap < 2) return ::testing::AssertionFailure() << "capacity " << cap;
  if (buf[cap - 1] != 'J') {
    return ::testing::AssertionFailure() << "last byte is " << int(buf[cap - 1]) << ", not 'J'";
  }
  const size_t len = strnlen(buf, cap - 1);
  if (len >= cap - 1) return ::testing::AssertionFailure() << "text not terminated before marker";
  for (size_t i = len; i < cap - 1; ++i) {
    if (buf[i] != 0) {
      return ::testing::AssertionFailure() << "non-zero byte " << int(buf[i]) << " at " << i
                                           << " in the free room (text length " << len << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

inline bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

// A reallocator that refuses requests above a limit and otherwise behaves as
// the default one.
inline uint32_t& LimitFor() {
  static thread_local uint32_t limit = 0xffffffffu;
  return limit;
}
inline bool LimitedReallocate(voerr::Status* status, uint32_t newCapacity) noexcept {
  if (newCapacity > LimitFor()) return false;
  return voerr::defaultReallocate(status, newCapacity);
}

// A reallocator that allocates exactly what is asked (no rounding) and records
// every request, to observe the grow step's arithmetic with small buffers.
inline std::vector<uint32_t>& ExactRequests() {
  static thread_local std::vector<uint32_t> requests;
  return requests;
}
inline bool ExactReallocate(voerr::Status* status, uint32_t newCapacity) noexcept {
  if (newCapacity == 0) {
    std::free(status->buffer());
    status->adoptBuffer(nullptr, 0);
    return true;
  }
  ExactRequests().push_back(newCapacity);
  if (newCapacity <= status->capacity()) return true;
  char* fresh = static_cast<char*>(std::calloc(newCapacity, 1));
  if (fresh == nullptr) return false;
  const char* old = status->buffer();
  const char* text = old != nullptr ? old : "{}";
  std::memcpy(fresh, text, std::strlen(text));
  fresh[newCapacity - 1] = 'J';
  std::free(status->buffer());
  status->adoptBuffer(fresh, newCapacity);
  return true;
}

// The unescaped string value of a top-level member, or "<missing>".
inline std::string StringMember(const char* text, const char* key) {
  voerr::JsonValue value;
  std::string out;
  if (!voerr::ContextWriter::parseValue(voerr::ContextWriter::findKey(text, key), value) ||
      value.kind != voerr::JsonKind::kString ||
      !voerr::ContextWriter::unescapeString(value.raw, out)) {
    return "<missing>";
  }
  return out;
}

}  // namespace statustest
