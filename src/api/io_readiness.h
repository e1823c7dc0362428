// Device-wide operations around a configured session: temperature and power
// limits, the commit of the configuration and the wait until the device's
// I/O (and the module behind it) is ready.
#pragma once
#include <cstdint>

#include "api/wait_clock.h"

namespace voapi {

// The wait's time limit passed in the attribute phase without ready or
// error, or the device reported a negative IO Error.
inline constexpr int32_t kIoNotReady = -304314;
// The time limit passed with the module's memory not ready.
inline constexpr int32_t kModuleMemoryNotReady = -304417;
// The time limit passed with the memory ready but the module's data not valid.
inline constexpr int32_t kModuleDataNotValid = -304418;

inline constexpr uint32_t kAttrIoReady = 0x40000003;
inline constexpr uint32_t kAttrIoError = 0x1000000D;

// Registers of the image polled in the module phase; an image without them
// has nothing to wait for.
inline constexpr const char* kDramReadyRegister = "tarsin.module.dram ready 0";
inline constexpr const char* kDataValidRegister = "tarsin.module.data valid 0";
// Third argument of every register lookup.
inline constexpr uint32_t kAnyRegisterScope = 0xFFFFFFFF;

// The limits travel as direct requests, not through the attributes that show
// them. The getters copy the response into *limit after every request (after
// a failed one it carries no meaning); a null limit is refused with -52005.
int32_t SetTemperatureLimit(uint32_t session, double limit) noexcept;
int32_t SetPowerLimit(uint32_t session, double limit) noexcept;
int32_t GetTemperatureLimit(uint32_t session, double* limit) noexcept;
int32_t GetPowerLimit(uint32_t session, double* limit) noexcept;

int32_t Commit(uint32_t session) noexcept;

// Polls IO Ready and IO Error until the I/O is ready or reports an error,
// then the module's two registers until both are ready, all within one time
// limit of `timeoutMs` (negative: no practical limit). A busy poll: nothing
// sleeps between passes, and each phase makes its first pass even when the
// limit has passed. *ioReady (0 or 1) and *ioError receive the attribute
// phase's last values unless a get failed. The result is the first error, or
// the first warning met, or 0.
int32_t WaitForIoReady(uint32_t session, int32_t timeoutMs, uint32_t* ioReady, int32_t* ioError,
                       WaitClock& clock = processWaitClock()) noexcept;

}  // namespace voapi
