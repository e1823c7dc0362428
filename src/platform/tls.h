// Thread-local values addressed by a numeric index, as the graphical runtime
// hands them over.
#pragma once
#include <cstdint>

namespace voplat {

inline constexpr uint32_t kNoTlsIndex = 0xFFFFFFFFu;

// kNoTlsIndex when no index is available.
uint32_t tlsAllocate();
void tlsFree(uint32_t index);
// Any index the system's thread-local storage can have is read and set, also
// one made outside the library (the graphical runtime makes its own). On POSIX
// systems an index that cannot be one, or one that is not allocated, reads as
// null and cannot be set; on Windows an index is the system's TLS slot,
// whoever allocated it. A fresh index reads as null on every thread. tlsFree
// frees only indices of tlsAllocate.
void* tlsGet(uint32_t index);
// False for an invalid index or when the system refuses.
bool tlsSet(uint32_t index, void* value);

}  // namespace voplat
