// Thread-local values addressed by a numeric index, as the graphical runtime
// hands them over.
#pragma once
#include <cstdint>

namespace voplat {

inline constexpr uint32_t kNoTlsIndex = 0xFFFFFFFFu;

// kNoTlsIndex when no index is available.
uint32_t tlsAllocate();
void tlsFree(uint32_t index);
// On POSIX systems only indices returned by tlsAllocate and not yet freed are
// valid; any other index reads as null and cannot be set. On Windows an index
// is the system's TLS slot, whoever allocated it. A fresh index reads as null
// on every thread.
void* tlsGet(uint32_t index);
// False for an invalid index or when the system refuses.
bool tlsSet(uint32_t index, void* value);

}  // namespace voplat
