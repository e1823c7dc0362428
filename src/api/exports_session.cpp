#include "api/export_guard.h"
#include "api/fpga_interface.h"
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

}  // extern "C"
