#include "api/export_guard.h"
#include "api/fpga_interface.h"
#include "api/gx_open.h"
#include "api/session.h"
#include "votarsinapi.h"

using namespace voapi;

extern "C" {

VOTARSIN_API int32_t voTarsin_OpenSession(const char* resourceName, const char* imageName,
                                          uint32_t attribute, Session* session) {
  return guarded(
      [&] { return openSession(FpgaOpen, resourceName, imageName, attribute, session); });
}

VOTARSIN_API int32_t voTarsin_CloseSession(Session session, uint32_t attribute) {
  return guarded([&] { return FpgaClose(session, attribute); });
}

VOTARSIN_API int32_t voTarsin_GxOpenSession(const char* resourceName, const char* imageName,
                                            uint32_t attribute, Session* session) {
  return guarded([&] { return gxOpenSession(resourceName, imageName, attribute, session); });
}

VOTARSIN_API void SetGXRTTLSIndexHook(uint32_t index) { setSavedTlsIndex(index); }

}  // extern "C"
