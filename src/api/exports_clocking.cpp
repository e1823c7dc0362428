#include "api/clocking.h"
#include "api/export_guard.h"
#include "votarsinapi.h"

using namespace voapi;

extern "C" {

VOTARSIN_API int32_t voTarsin_ConfigureForReferenceClock(Session session, uint32_t source) {
  return guarded([&] { return ConfigureForReferenceClock(session, source); });
}

VOTARSIN_API int32_t voTarsin_ConfigureForExternalClock(Session session, int32_t selector,
                                                        double rate) {
  return guarded([&] { return ConfigureForExternalClock(session, selector, rate); });
}

VOTARSIN_API int32_t voTarsin_RouteSignal(Session session, const char* terminal1,
                                          const char* terminal2, uint32_t* route) {
  return guarded([&] { return RouteSignal(session, terminal1, terminal2, route); });
}

VOTARSIN_API int32_t voTarsin_UnrouteSignal(Session session, uint32_t route) {
  return guarded([&] { return UnrouteSignal(session, route); });
}

VOTARSIN_API int32_t voTarsin_SendSyncPulse(Session session) {
  return guarded([&] { return SendSyncPulse(session); });
}

}  // extern "C"
