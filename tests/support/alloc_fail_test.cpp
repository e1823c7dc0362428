// The allocation failer itself: which allocations fail, in this program and
// in a module loaded at run time, and what the failing functions leave.
#include "alloc_fail.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>

namespace {

using vo::test::AllocFailer;

// Opaque to the optimiser, so that no allocation below is elided.
void* volatile gSink;

void* mallocOpaque(size_t size) {
  void* (*volatile fn)(size_t) = &std::malloc;
  return fn(size);
}

void* reallocOpaque(void* block, size_t size) {
  void* (*volatile fn)(void*, size_t) = &std::realloc;
  return fn(block, size);
}

TEST(AllocFailer, FailsTheAllocationAfterTheGivenNumberOnce) {
  AllocFailer failer;
  failer.failAfter(2);
  void* a = mallocOpaque(16);
  void* b = mallocOpaque(16);
  void* c = mallocOpaque(16);
  void* d = mallocOpaque(16);
  failer.disarm();
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(c, nullptr);
  EXPECT_NE(d, nullptr);
  EXPECT_EQ(failer.allocations(), 4u);
  EXPECT_EQ(failer.failures(), 1u);
  std::free(a);
  std::free(b);
  std::free(d);
}

TEST(AllocFailer, PersistentFailsEveryLaterAllocation) {
  AllocFailer failer;
  failer.failAfter(1, true);
  void* a = mallocOpaque(8);
  void* b = std::calloc(4, 8);
  void* c = mallocOpaque(8);
  failer.disarm();
  void* d = mallocOpaque(8);
  EXPECT_NE(a, nullptr);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(c, nullptr);
  EXPECT_NE(d, nullptr);
  EXPECT_EQ(failer.failures(), 2u);
  std::free(a);
  std::free(d);
}

TEST(AllocFailer, FailedReallocKeepsTheBlockAndFreeingIsNeverCounted) {
  char* block = static_cast<char*>(std::malloc(8));
  ASSERT_NE(block, nullptr);
  std::memcpy(block, "abcdefg", 8);
  AllocFailer failer;
  failer.failAfter(0);
  void* grown = reallocOpaque(block, 4096);
  void* shrunkToNothing = reallocOpaque(mallocOpaque(4), 0);  // the malloc succeeds
  failer.disarm();
  EXPECT_EQ(grown, nullptr);
  EXPECT_STREQ(block, "abcdefg");
  EXPECT_EQ(shrunkToNothing, nullptr);
  EXPECT_EQ(failer.allocations(), 2u);  // the failed realloc and the malloc
  std::free(block);
}

TEST(AllocFailer, OperatorNewThrowsAndNothrowFormsReturnNull) {
  AllocFailer failer;
  bool threw = false;
  failer.failAfter(0);
  try {
    gSink = new int(1);
  } catch (const std::bad_alloc&) {
    threw = true;
  }
  failer.failAfter(0);
  int* nothrowScalar = new (std::nothrow) int(2);
  failer.failAfter(0);
  int* nothrowArray = new (std::nothrow) int[4];
  failer.failAfter(0);
  bool alignedThrew = false;
  try {
    struct alignas(64) Wide {
      char bytes[64];
    };
    gSink = new Wide;
  } catch (const std::bad_alloc&) {
    alignedThrew = true;
  }
  failer.disarm();
  EXPECT_TRUE(threw);
  EXPECT_EQ(nothrowScalar, nullptr);
  EXPECT_EQ(nothrowArray, nullptr);
  EXPECT_TRUE(alignedThrew);
}

TEST(AllocFailer, OperatorNewCountsOnceAndStandardContainersSeeTheFailure) {
  AllocFailer failer;
  failer.count();
  int* counted = new int(3);
  gSink = counted;
  uint64_t perNew = failer.allocations();
  failer.disarm();
  delete counted;
  failer.failAfter(0);
  bool threw = false;
  try {
    std::string text(1000, 'x');
    gSink = text.data();
  } catch (const std::bad_alloc&) {
    threw = true;
  }
  failer.disarm();
  EXPECT_EQ(perNew, 1u);
  EXPECT_TRUE(threw);
}

TEST(AllocFailer, OtherThreadsAreNotCountedOrFailed) {
  std::atomic<bool> go{false};
  void* fromOtherThread = nullptr;
  std::thread other([&] {
    while (!go.load()) std::this_thread::yield();
    fromOtherThread = mallocOpaque(32);
  });
  AllocFailer failer;
  failer.failAfter(0, true);
  go.store(true);
  other.join();
  failer.disarm();
  EXPECT_EQ(failer.allocations(), 0u);
  EXPECT_NE(fromOtherThread, nullptr);
  std::free(fromOtherThread);
}

TEST(AllocFailer, FailsAllocationsOfAModuleLoadedAtRunTime) {
  void* module = dlopen(VO_ALLOC_FAIL_PROBE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  auto probeMalloc = reinterpret_cast<void* (*)(size_t)>(dlsym(module, "probe_malloc"));
  auto probeRealloc = reinterpret_cast<void* (*)(void*, size_t)>(dlsym(module, "probe_realloc"));
  auto probeFree = reinterpret_cast<void (*)(void*)>(dlsym(module, "probe_free"));
  auto probeNew = reinterpret_cast<int (*)()>(dlsym(module, "probe_new"));
  ASSERT_TRUE(probeMalloc && probeRealloc && probeFree && probeNew);

  AllocFailer failer;
  failer.failAfter(1);
  void* first = probeMalloc(10);
  void* second = probeMalloc(10);
  failer.failAfter(0);
  void* grown = probeRealloc(first, 100);
  failer.failAfter(0);
  int newWorked = probeNew();
  failer.disarm();
  int newWorksAgain = probeNew();

  EXPECT_NE(first, nullptr);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(grown, nullptr);
  EXPECT_EQ(newWorked, 0);
  EXPECT_EQ(newWorksAgain, 1);
  probeFree(first);
  dlclose(module);
}

}  // namespace
