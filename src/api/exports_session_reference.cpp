#include "api/export_guard.h"
#include "api/session_reference.h"
#include "votarsinapi.h"

using namespace voapi;

extern "C" {

VOTARSIN_API int32_t voTarsin_GetSessionReference(Session session, uint32_t* reference) {
  return guarded([&] { return SessionReferences::process().getReference(session, reference); });
}

}  // extern "C"
