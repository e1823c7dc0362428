// Makes chosen heap allocations fail, to walk a call's allocation sites one by
// one. Linking the vo_alloc_fail library into a test program replaces malloc,
// calloc, realloc and every operator new of the whole process (the library,
// its statically linked interpreter and modules, the stand-ins loaded at run
// time) with versions that forward to the real allocator, or to the
// sanitizer's, unless an armed AllocFailer says the allocation must fail.
//
// Only allocations of the thread that armed the failer are counted and
// failed; other threads always get their memory. A failed malloc, calloc or
// realloc returns null (realloc leaves the block as it was), a failed throwing
// operator new throws std::bad_alloc, a failed nothrow one returns null.
// realloc to size 0 frees and is never failed. free is never failed.
// Not counted: posix_memalign, aligned_alloc, memalign, and under a sanitizer
// the C library functions it serves from its own allocator (strdup and the
// like); the library's code and its third-party parts use none of them.
//
// Typical walk over every site of one call:
//   vo::test::AllocFailer failer;
//   for (uint64_t n = 0;; ++n) {
//     failer.failAfter(n);
//     int32_t status = callUnderTest();
//     failer.disarm();                      // before any assertion allocates
//     if (failer.failures() == 0) break;    // the call needed fewer than n+1
//     EXPECT_...(status);
//   }
#pragma once
#include <cstdint>

namespace vo::test {

class AllocFailer {
 public:
  AllocFailer() = default;
  ~AllocFailer() { disarm(); }
  AllocFailer(const AllocFailer&) = delete;
  AllocFailer& operator=(const AllocFailer&) = delete;

  // Arms the calling thread: the next n allocations succeed and the one after
  // fails; with persistent, every later one fails too. Resets the counters.
  void failAfter(uint64_t n, bool persistent = false);
  // Counts the calling thread's allocations without failing any.
  void count();
  // Stops counting and failing; the counters keep their values.
  void disarm();

  // Allocations counted since the last failAfter or count, failed ones
  // included.
  uint64_t allocations() const;
  // Allocations failed since the last failAfter.
  uint64_t failures() const;
};

}  // namespace vo::test
