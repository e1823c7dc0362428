#include "gxrt.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_set>

#include "entry_barrier.h"

namespace {

using vostandin::entryBarrier;

// A block is preceded by a header that records its size, so the runtime can
// answer DSGetHandleSize the way the real one does.
constexpr size_t kHeader = 16;

std::atomic<uint64_t> gCreated{0}, gDisposed{0}, gResizes{0}, gQueries{0};
std::atomic<uint32_t> gFailures{0};
std::mutex gLanguageMutex;
// Every live handle, as the environment's memory manager knows its handles:
// GxRt_DisposeAll can free what a test left behind.
std::mutex gLiveMutex;
std::unordered_set<GxHandle> gLive;
std::string gLanguage = "English";

size_t& sizeOf(void* block) {
  return *reinterpret_cast<size_t*>(static_cast<char*>(block) - kHeader);
}

void* allocateBlock(size_t size) {
  char* base = static_cast<char*>(std::calloc(1, kHeader + size));
  if (!base) return nullptr;
  *reinterpret_cast<size_t*>(base) = size;
  return base + kHeader;
}

bool takeFailure() {
  uint32_t left = gFailures.load();
  while (left > 0 && !gFailures.compare_exchange_weak(left, left - 1)) {
  }
  return left > 0;
}

// A handle whose block is null (an empty handle) gets a new block.
int32_t resizeBlock(GxHandle handle, size_t size) {
  ++gResizes;
  if (takeFailure()) return GXRT_MEMORY_FULL;
  void* old = *handle;
  const size_t oldSize = old ? sizeOf(old) : 0;
  char* base = static_cast<char*>(
      std::realloc(old ? static_cast<char*>(old) - kHeader : nullptr, kHeader + size));
  if (!base) return GXRT_MEMORY_FULL;
  *reinterpret_cast<size_t*>(base) = size;
  if (size > oldSize) std::memset(base + kHeader + oldSize, 0, size - oldSize);
  *handle = base + kHeader;
  return GXRT_NO_ERROR;
}

size_t elementSize(int32_t typeCode) {
  switch (typeCode) {
    case GXRT_TYPE_U8:
      return 1;
    case GXRT_TYPE_I16:
      return 2;
    case GXRT_TYPE_F64:
      return 8;
    default:
      return 0;
  }
}

}  // namespace

extern "C" {

GxHandle DSNewHandle(size_t size) {
  void* block = allocateBlock(size);
  if (!block) return nullptr;
  auto handle = static_cast<GxHandle>(std::malloc(sizeof(void*)));
  if (!handle) {
    std::free(static_cast<char*>(block) - kHeader);
    return nullptr;
  }
  *handle = block;
  const bool recorded = entryBarrier(false, false, [&] {
    std::lock_guard<std::mutex> lock(gLiveMutex);
    gLive.insert(handle);
    return true;
  });
  if (!recorded) {
    std::free(static_cast<char*>(block) - kHeader);
    std::free(handle);
    return nullptr;
  }
  ++gCreated;
  return handle;
}

int32_t DSGetHandleSize(GxHandle handle) {
  ++gQueries;
  if (!handle || !*handle) return -1;
  return static_cast<int32_t>(sizeOf(*handle));
}

int32_t DSSetHandleSize(GxHandle handle, size_t size) {
  if (!handle) return GXRT_ARGUMENT_ERROR;
  return resizeBlock(handle, size);
}

int32_t DSDisposeHandle(GxHandle handle) {
  if (!handle) return GXRT_ARGUMENT_ERROR;
  entryBarrier([&] {
    std::lock_guard<std::mutex> lock(gLiveMutex);
    gLive.erase(handle);
  });
  if (*handle) std::free(static_cast<char*>(*handle) - kHeader);
  std::free(handle);
  ++gDisposed;
  return GXRT_NO_ERROR;
}

int32_t NumericArrayResize(int32_t typeCode, int32_t dimensions, GxHandle* handle, size_t count) {
  const size_t element = elementSize(typeCode);
  if (!handle || element == 0 || dimensions < 1 || dimensions > 2) return GXRT_ARGUMENT_ERROR;
  const size_t sizes = 4 * static_cast<size_t>(dimensions);
  const size_t offset = (sizes + element - 1) / element * element;
  if (count > (SIZE_MAX - offset) / element) return GXRT_MEMORY_FULL;
  const size_t bytes = offset + count * element;
  if (!*handle) {
    ++gResizes;
    if (takeFailure()) return GXRT_MEMORY_FULL;
    *handle = DSNewHandle(bytes);
    return *handle ? GXRT_NO_ERROR : GXRT_MEMORY_FULL;
  }
  return resizeBlock(*handle, bytes);
}

int32_t PStrCmp(const uint8_t* a, const uint8_t* b) {
  const size_t shorter = a[0] < b[0] ? a[0] : b[0];
  const int order = std::memcmp(a + 1, b + 1, shorter);
  if (order != 0) return order < 0 ? -1 : 1;
  return a[0] == b[0] ? 0 : (a[0] < b[0] ? -1 : 1);
}

void GetLangStr(uint8_t* buffer) {
  buffer[0] = 0;
  entryBarrier([&] {
    std::lock_guard<std::mutex> lock(gLanguageMutex);
    const size_t length = gLanguage.size() < 255 ? gLanguage.size() : 255;
    buffer[0] = static_cast<uint8_t>(length);
    std::memcpy(buffer + 1, gLanguage.data(), length);
  });
}

GxRtCounters GxRt_Counters(void) {
  return GxRtCounters{gCreated.load(), gDisposed.load(), gResizes.load(), gQueries.load()};
}

void GxRt_FailResizes(uint32_t count) { gFailures.store(count); }

void GxRt_SetLanguageName(const char* name) {
  entryBarrier([&] {
    std::lock_guard<std::mutex> lock(gLanguageMutex);
    gLanguage = name ? name : "";
  });
}

void GxRt_DisposeAll(void) {
  std::unordered_set<GxHandle> live;
  {
    std::lock_guard<std::mutex> lock(gLiveMutex);
    live.swap(gLive);
  }
  for (GxHandle handle : live) {
    if (*handle) std::free(static_cast<char*>(*handle) - kHeader);
    std::free(handle);
    ++gDisposed;
  }
}

void GxRt_Reset(void) {
  gCreated = gDisposed = gResizes = gQueries = 0;
  gFailures = 0;
  GxRt_SetLanguageName("English");
}

}  // extern "C"
