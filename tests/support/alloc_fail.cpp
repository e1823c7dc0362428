// The allocation functions of the test program. A program's own definitions
// come first in the dynamic linker's search, so every module of the process
// calls these. Each forwards to the next definition in the search order: the
// C library's, or the sanitizer runtime's when one is linked (a sanitizer
// intercepts malloc and operator new itself, so forwarding straight to the C
// library would hand it blocks it never allocated).
//
// Looking the next definitions up may itself allocate; allocations made
// while that lookup runs come from a small static arena and are never
// returned to the real allocator.
#include "alloc_fail.h"

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

#define VO_ALLOC_EXPORT __attribute__((visibility("default")))

namespace {

using MallocFn = void* (*)(size_t);
using CallocFn = void* (*)(size_t, size_t);
using ReallocFn = void* (*)(void*, size_t);
using FreeFn = void (*)(void*);
using NewFn = void* (*)(size_t);
using NewNothrowFn = void* (*)(size_t, const std::nothrow_t&) noexcept;
using NewAlignedFn = void* (*)(size_t, std::align_val_t);
using NewAlignedNothrowFn = void* (*)(size_t, std::align_val_t, const std::nothrow_t&) noexcept;

struct RealAllocator {
  MallocFn malloc;
  CallocFn calloc;
  ReallocFn realloc;
  FreeFn free;
  NewFn newScalar, newArray;
  NewNothrowFn newScalarNothrow, newArrayNothrow;
  NewAlignedFn newScalarAligned, newArrayAligned;
  NewAlignedNothrowFn newScalarAlignedNothrow, newArrayAlignedNothrow;
};

RealAllocator gReal;
std::atomic<bool> gResolved{false};

// Per-thread failing state; plain data, so that reaching it never allocates.
struct FailState {
  bool armed;
  bool persistent;
  bool countOnly;
  unsigned depth;  // inside a forwarded operator new, or resolving
  uint64_t successesLeft;
  uint64_t allocations;
  uint64_t failures;
};
thread_local FailState tState{};

// The arena for allocations made while the real functions are looked up.
// Each block carries its size in front of it, for realloc.
alignas(std::max_align_t) unsigned char gArena[64 * 1024];
std::atomic<size_t> gArenaUsed{0};
constexpr size_t kArenaHeader = alignof(std::max_align_t);

bool inArena(const void* p) {
  auto* b = static_cast<const unsigned char*>(p);
  return b >= gArena && b < gArena + sizeof gArena;
}

void* arenaAlloc(size_t size) {
  size_t total = kArenaHeader + (size + kArenaHeader - 1) / kArenaHeader * kArenaHeader;
  size_t offset = gArenaUsed.fetch_add(total);
  if (offset + total > sizeof gArena) return nullptr;
  std::memcpy(gArena + offset, &size, sizeof size);
  return gArena + offset + kArenaHeader;
}

size_t arenaSize(const void* p) {
  size_t size;
  std::memcpy(&size, static_cast<const unsigned char*>(p) - kArenaHeader, sizeof size);
  return size;
}

template <typename Fn>
Fn next(const char* name) {
  void* symbol = dlsym(RTLD_NEXT, name);
  if (!symbol) std::abort();  // no allocator to forward to: nothing can work
  return reinterpret_cast<Fn>(symbol);
}

void resolve() {
  if (gResolved.load(std::memory_order_acquire)) return;
  ++tState.depth;
  RealAllocator real;
  real.malloc = next<MallocFn>("malloc");
  real.calloc = next<CallocFn>("calloc");
  real.realloc = next<ReallocFn>("realloc");
  real.free = next<FreeFn>("free");
  real.newScalar = next<NewFn>("_Znwm");
  real.newArray = next<NewFn>("_Znam");
  real.newScalarNothrow = next<NewNothrowFn>("_ZnwmRKSt9nothrow_t");
  real.newArrayNothrow = next<NewNothrowFn>("_ZnamRKSt9nothrow_t");
  real.newScalarAligned = next<NewAlignedFn>("_ZnwmSt11align_val_t");
  real.newArrayAligned = next<NewAlignedFn>("_ZnamSt11align_val_t");
  real.newScalarAlignedNothrow = next<NewAlignedNothrowFn>("_ZnwmSt11align_val_tRKSt9nothrow_t");
  real.newArrayAlignedNothrow = next<NewAlignedNothrowFn>("_ZnamSt11align_val_tRKSt9nothrow_t");
  // Every thread that races here stores the same values.
  gReal = real;
  gResolved.store(true, std::memory_order_release);
  --tState.depth;
}

// True when the calling thread is resolving and must use the arena.
bool resolving() {
  if (gResolved.load(std::memory_order_acquire)) return false;
  if (tState.depth) return true;
  resolve();
  return false;
}

// Counts one allocation of the calling thread and says whether it fails.
bool failNow() {
  FailState& s = tState;
  if (!s.armed || s.depth) return false;
  ++s.allocations;
  if (s.countOnly) return false;
  if (s.successesLeft > 0) {
    --s.successesLeft;
    return false;
  }
  if (s.failures > 0 && !s.persistent) return false;
  ++s.failures;
  return true;
}

// Marks the calling thread as inside a forwarded allocation, so that the
// malloc a forwarded operator new makes is not counted a second time.
struct Forwarding {
  Forwarding() { ++tState.depth; }
  ~Forwarding() { --tState.depth; }
};

[[noreturn]] void throwBadAlloc() {
  Forwarding quiet;  // the exception object's own allocation is not a site
  throw std::bad_alloc();
}

// One operator new: fails when due (throwing or returning null as that form
// does), otherwise forwards to the next definition of the same form.
template <auto Real, typename... Args>
void* forwardNew(bool throwing, size_t size, Args... args) {
  if (resolving()) return arenaAlloc(size);
  if (failNow()) {
    if (throwing) throwBadAlloc();
    return nullptr;
  }
  Forwarding forwarding;
  return (gReal.*Real)(size, args...);
}

}  // namespace

namespace vo::test {

void AllocFailer::failAfter(uint64_t n, bool persistent) {
  tState = FailState{true, persistent, false, 0, n, 0, 0};
}

void AllocFailer::count() { tState = FailState{true, false, true, 0, 0, 0, 0}; }

void AllocFailer::disarm() { tState.armed = false; }

uint64_t AllocFailer::allocations() const { return tState.allocations; }

uint64_t AllocFailer::failures() const { return tState.failures; }

}  // namespace vo::test

extern "C" {

VO_ALLOC_EXPORT void* malloc(size_t size) noexcept {
  if (resolving()) return arenaAlloc(size);
  if (failNow()) return nullptr;
  return gReal.malloc(size);
}

VO_ALLOC_EXPORT void* calloc(size_t count, size_t size) noexcept {
  if (resolving()) {
    if (size && count > SIZE_MAX / size) return nullptr;
    return arenaAlloc(count * size);  // static storage: already zero
  }
  if (failNow()) return nullptr;
  return gReal.calloc(count, size);
}

VO_ALLOC_EXPORT void* realloc(void* block, size_t size) noexcept {
  if (resolving()) {
    void* moved = arenaAlloc(size);
    if (moved && block) std::memcpy(moved, block, std::min(size, arenaSize(block)));
    return moved;
  }
  if (block && inArena(block)) {
    if (size == 0) return nullptr;
    if (failNow()) return nullptr;
    void* moved = gReal.malloc(size);
    if (moved) std::memcpy(moved, block, std::min(size, arenaSize(block)));
    return moved;
  }
  if (size != 0 && failNow()) return nullptr;
  return gReal.realloc(block, size);
}

VO_ALLOC_EXPORT void free(void* block) noexcept {
  if (!block || inArena(block)) return;
  if (resolving()) return;  // cannot be a real block: nothing was allocated yet
  gReal.free(block);
}

}  // extern "C"

VO_ALLOC_EXPORT void* operator new(size_t size) {
  return forwardNew<&RealAllocator::newScalar>(true, size);
}

VO_ALLOC_EXPORT void* operator new[](size_t size) {
  return forwardNew<&RealAllocator::newArray>(true, size);
}

VO_ALLOC_EXPORT void* operator new(size_t size, const std::nothrow_t& tag) noexcept {
  return forwardNew<&RealAllocator::newScalarNothrow>(false, size, tag);
}

VO_ALLOC_EXPORT void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
  return forwardNew<&RealAllocator::newArrayNothrow>(false, size, tag);
}

VO_ALLOC_EXPORT void* operator new(size_t size, std::align_val_t align) {
  return forwardNew<&RealAllocator::newScalarAligned>(true, size, align);
}

VO_ALLOC_EXPORT void* operator new[](size_t size, std::align_val_t align) {
  return forwardNew<&RealAllocator::newArrayAligned>(true, size, align);
}

VO_ALLOC_EXPORT void* operator new(size_t size, std::align_val_t align,
                                   const std::nothrow_t& tag) noexcept {
  return forwardNew<&RealAllocator::newScalarAlignedNothrow>(false, size, align, tag);
}

VO_ALLOC_EXPORT void* operator new[](size_t size, std::align_val_t align,
                                     const std::nothrow_t& tag) noexcept {
  return forwardNew<&RealAllocator::newArrayAlignedNothrow>(false, size, align, tag);
}
