// Start triggers of a stream: immediate, digital (from a named terminal) and
// analog edge (on one analog input). Each is a sequence of attribute writes
// addressed to the stream's bare number; none sends a request of its own.
#pragma once
#include <cstdint>

namespace voapi {

// Start Trigger Type values.
enum class StartTriggerType : int32_t {
  kImmediate = 0,
  kDigital = 1,
  kUser = 2,
  kDio = 3,
  kAnalog = 4
};

int32_t ConfigureImmediateTrigger(uint32_t session, uint32_t stream) noexcept;

// source "DIO" selects the DIO trigger with an empty source; any other text
// is a digital trigger from that terminal. A null source is refused with
// -52005 before anything is written. sensitivity is passed through.
int32_t ConfigureDigitalStartTrigger(uint32_t session, uint32_t stream, const char* source,
                                     int32_t sensitivity) noexcept;

// channel must name exactly one analog input below the device's AI Channel
// Count (when the device reports one); slope non-zero means rising. The
// channel and stream are validated before anything is written; then the
// trigger type, level, hysteresis, slope and channel are written to the
// stream, each only while the previous write returned exactly 0.
int32_t ConfigureAnalogEdgeTrigger(uint32_t session, uint32_t stream, const char* channel,
                                   int32_t slope, double level, double hysteresis) noexcept;

}  // namespace voapi
