#include "api/export_guard.h"
#include "api/triggers.h"
#include "votarsinapi.h"

using namespace voapi;

extern "C" {

VOTARSIN_API int32_t voTarsin_ConfigureImmediateTrigger(Session session, uint32_t stream) {
  return guarded([&] { return ConfigureImmediateTrigger(session, stream); });
}

VOTARSIN_API int32_t voTarsin_ConfigureDigitalStartTrigger(Session session, uint32_t stream,
                                                           const char* source,
                                                           int32_t sensitivity) {
  return guarded(
      [&] { return ConfigureDigitalStartTrigger(session, stream, source, sensitivity); });
}

VOTARSIN_API int32_t voTarsin_ConfigureAnalogEdgeTrigger(Session session, uint32_t stream,
                                                         const char* channel, int32_t slope,
                                                         double level, double hysteresis) {
  return guarded([&] {
    return ConfigureAnalogEdgeTrigger(session, stream, channel, slope, level, hysteresis);
  });
}

}  // extern "C"
