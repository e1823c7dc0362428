// Clocking, signal routes and the sync pulse. Clock selection is a sequence
// of device-wide attribute writes; routes and the pulse are requests of their
// own.
#pragma once
#include <cstdint>

namespace voapi {

// A selector other than 0 given to ConfigureForExternalClock.
inline constexpr int32_t kInvalidClockSelector = -304410;

// Reference Clock Source values.
enum class ReferenceClockSource : uint32_t {
  kDefault = 0,
  kOnboard = 1,
  kPxiClk10 = 2,
  kExternal = 3
};
// Sample Clock Source values.
enum class SampleClockSource : int32_t { kInternal = 0, kFrontPanel = 1 };

// Derives the sample clock from reference clock `source`. Source 0 (Default)
// returns the attribute to the device's own default with a reset request
// rather than writing 0 into it.
int32_t ConfigureForReferenceClock(uint32_t session, uint32_t source) noexcept;
// Takes the sample clock from the front panel at timebase `rate`; only
// selector 0 exists.
int32_t ConfigureForExternalClock(uint32_t session, int32_t selector, double rate) noexcept;

// Connects two terminals. Names are cut at 511 characters; null names are
// refused with -52005 and nothing is sent. *route (when given) receives the
// driver's identifier after every request, also a failed one.
int32_t RouteSignal(uint32_t session, const char* terminal1, const char* terminal2,
                    uint32_t* route) noexcept;
int32_t UnrouteSignal(uint32_t session, uint32_t route) noexcept;

// Sends the sync pulse. A failed pulse is elaborated like every failure
// carried in a status record, but its own status is returned even when the
// elaboration request fails too.
int32_t SendSyncPulse(uint32_t session) noexcept;

}  // namespace voapi
