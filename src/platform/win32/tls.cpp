// Thread-local values: the system's TLS slots. An index handed over by the
// graphical runtime is one of these, so it is read and set as it comes; only
// the slots this layer allocated are freed by it.
#include "platform/tls.h"

#include <windows.h>

#include <atomic>

namespace voplat {

namespace {

// TLS_MINIMUM_AVAILABLE slots plus the 1024 of the expansion area.
constexpr uint32_t kMaxSlots = 64 + 1024;

std::atomic<uint64_t> gAllocated[(kMaxSlots + 63) / 64];

}  // namespace

uint32_t tlsAllocate() {
  const DWORD index = TlsAlloc();
  if (index == TLS_OUT_OF_INDEXES) return kNoTlsIndex;
  if (index >= kMaxSlots) {
    TlsFree(index);  // a slot this layer could not record
    return kNoTlsIndex;
  }
  gAllocated[index / 64].fetch_or(uint64_t{1} << (index % 64), std::memory_order_acq_rel);
  return index;
}

void tlsFree(uint32_t index) {
  if (index >= kMaxSlots) return;
  const uint64_t bit = uint64_t{1} << (index % 64);
  if ((gAllocated[index / 64].fetch_and(~bit, std::memory_order_acq_rel) & bit) != 0) {
    TlsFree(index);
  }
}

void* tlsGet(uint32_t index) {
  if (index == kNoTlsIndex) return nullptr;
  return TlsGetValue(index);
}

bool tlsSet(uint32_t index, void* value) {
  if (index == kNoTlsIndex) return false;
  return TlsSetValue(index, value) != FALSE;
}

}  // namespace voplat
