#include "api/gx_open.h"
#include "gx/gx_runtime.h"
#include "votarsinapi.h"

extern "C" {

VOTARSIN_API void SetGXRTModuleHook(void) {}

VOTARSIN_API void SetGXRTModule(void* module) {
  vogx::setRuntimeModule(module);
  SetGXRTModuleHook();
}

VOTARSIN_API void SetGXRTTLSIndex(uint32_t index) {
  vogx::setRuntimeTlsIndex(index);
  SetGXRTTLSIndexHook(index);
}

}  // extern "C"
