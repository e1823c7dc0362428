// Allocations made inside a module loaded at run time.
#include <cstdlib>
#include <new>

#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))

PROBE_EXPORT void* probe_malloc(size_t size) { return std::malloc(size); }

PROBE_EXPORT void* probe_realloc(void* block, size_t size) { return std::realloc(block, size); }

PROBE_EXPORT void probe_free(void* block) { std::free(block); }

// 1 when operator new gave memory, 0 when it threw std::bad_alloc.
PROBE_EXPORT int probe_new() {
  try {
    int* volatile kept = new int(7);  // volatile: the allocation may not be elided
    delete kept;
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}
