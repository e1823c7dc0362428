// The graphical environment's runtime, resolved per call against the runtime
// instance that hosts the calling thread: one process may host several.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/dynlib.h"
#include "votarsinapi.h"

namespace vogx {

// A string handle: pointer to pointer to {int32 count; bytes}.
using GxStringBlock = VoGxStringBlock;
using GxStringHandle = VoGxStringHandle;
using GxHandle = void**;

inline constexpr int kResolverSlots = 8;

// One runtime function's cache: up to eight runtime instances, claimed and
// reclaimed without a lock.
struct ResolverRecord {
  struct Slot {
    std::atomic<uint64_t> module{0};
    std::atomic<uint64_t> stamp{0};  // 0: free
    std::atomic<void*> address{nullptr};
  };
  Slot slots[kResolverSlots];
  const char* name;

  explicit constexpr ResolverRecord(const char* functionName) : name(functionName) {}
};

// Where the environment said its runtime is.
void setRuntimeModule(voplat::ModuleHandle module);
void setRuntimeTlsIndex(uint32_t index);

// The runtime of the calling thread, or null.
voplat::ModuleHandle FindGxRuntime();

// The function's address in the calling thread's runtime. Ends the process
// with a fatal message when there is no runtime or no cache slot for it.
void* ResolveGxFunction(ResolverRecord& record);

// The runtime functions, resolved on every call.
GxHandle DSNewHandle(size_t size);
int32_t DSGetHandleSize(GxHandle handle);
int32_t DSSetHandleSize(GxHandle handle, size_t size);
int32_t NumericArrayResize(int32_t typeCode, int32_t dimensions, GxHandle* handle, size_t count);
int32_t PStrCmp(const uint8_t* a, const uint8_t* b);
void GetLangStr(uint8_t* buffer);

// Whether a block of `present` bytes should be replaced for one that needs
// `wanted`: grown when too small (after asking the runtime for the block's
// real size via `realSize`), shrunk when more than twice too large.
template <typename RealSize>
bool needsResize(int64_t wanted, int64_t present, RealSize realSize) {
  if (present >= wanted) return wanted < present / 2;
  return realSize() < wanted;
}

// Stores text (without terminator) into a string handle, creating the handle
// when *handle is null. 0, or -52000 when the handle cannot be resized.
int32_t StoreGxString(GxStringHandle* handle, const char* text);

}  // namespace vogx
