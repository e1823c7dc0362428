// Thread-local values: the system's TLS slots. An index handed over by the
// graphical runtime is one of these, so it is used as it comes.
#include "platform/tls.h"

#include <windows.h>

namespace voplat {

uint32_t tlsAllocate() {
  const DWORD index = TlsAlloc();
  return index == TLS_OUT_OF_INDEXES ? kNoTlsIndex : index;
}

void tlsFree(uint32_t index) {
  if (index != kNoTlsIndex) TlsFree(index);
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
