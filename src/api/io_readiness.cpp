#include "api/io_readiness.h"

#include "api/attributes.h"
#include "api/channel.h"
#include "api/fpga_interface.h"
#include "api/maintenance_records.h"
#include "status/codes.h"

namespace voapi {
namespace {

int32_t setLimit(uint32_t session, uint32_t function, double limit) {
  return sendRecord(session, function, limit);
}

int32_t getLimit(uint32_t session, uint32_t function, double* limit) {
  if (!limit) return voerr::kInvalidParameter;
  double value = 0;
  const int32_t status =
      CallClientFunction(session, kGroup, function, nullptr, 0, &value, sizeof value);
  *limit = value;
  return status;
}

// Keeps the first warning of the whole wait; errors end it before they get here.
class FirstWarning {
 public:
  void note(int32_t status) noexcept {
    if (first_ == 0 && status > 0) first_ = status;
  }
  int32_t result() const noexcept { return first_; }

 private:
  int32_t first_ = 0;
};

// One of the module's registers: absent ones count as ready from the start,
// and one that has read true once is not read again.
struct ModuleRegister {
  uint32_t handle = 0;
  bool ready = false;

  ModuleRegister(uint32_t session, const char* name) {
    ready = FpgaFindRegister(session, name, kAnyRegisterScope, &handle) != 0;
  }

  // A negative read status is returned for the caller to end the wait.
  int32_t poll(uint32_t session, FirstWarning& warnings) {
    if (ready) return 0;
    uint8_t value = 0;
    const int32_t status = FpgaReadBool(session, handle, &value);
    if (status < 0) return status;
    warnings.note(status);
    if (value != 0) ready = true;
    return 0;
  }
};

}  // namespace

int32_t SetTemperatureLimit(uint32_t session, double limit) noexcept {
  return setLimit(session, kFnSetTemperatureLimit, limit);
}

int32_t SetPowerLimit(uint32_t session, double limit) noexcept {
  return setLimit(session, kFnSetPowerLimit, limit);
}

int32_t GetTemperatureLimit(uint32_t session, double* limit) noexcept {
  return getLimit(session, kFnGetTemperatureLimit, limit);
}

int32_t GetPowerLimit(uint32_t session, double* limit) noexcept {
  return getLimit(session, kFnGetPowerLimit, limit);
}

int32_t Commit(uint32_t session) noexcept {
  const CommitRequest request{{familyHeader(kFamilyMaintenance), kCmdCommit}, 0};
  return sendRecord(session, kFnFamilyRequest, request);
}

int32_t WaitForIoReady(uint32_t session, int32_t timeoutMs, uint32_t* ioReady, int32_t* ioError,
                       WaitClock& clock) noexcept {
  WaitTimer timer(clock, waitLimitNs(timeoutMs, clock.incrementNs()));
  FirstWarning warnings;

  // Attribute phase. A get that warns keeps the value of the previous pass.
  uint32_t ready = 0;
  int32_t error = 0;
  uint64_t remaining;
  do {
    remaining = timer.remaining();
    uint32_t readyValue = 0;
    int32_t status = ReadAttributeBoolean(session, nullptr, kAttrIoReady, &readyValue);
    if (status < 0) return status;
    warnings.note(status);
    if (status == 0) ready = readyValue != 0 ? 1 : 0;

    int32_t errorValue = 0;
    status = ReadAttributeInt32(session, nullptr, kAttrIoError, &errorValue);
    if (status < 0) return status;
    warnings.note(status);
    if (status == 0) error = errorValue;
  } while (remaining != 0 && ready == 0 && error == 0);

  if (ioReady) *ioReady = ready;
  if (ioError) *ioError = error;
  if ((ready == 0 && error == 0) || error < 0) return kIoNotReady;

  // Module phase, on the same timer.
  ModuleRegister memory(session, kDramReadyRegister);
  ModuleRegister data(session, kDataValidRegister);
  for (;;) {
    remaining = timer.remaining();
    if (const int32_t status = memory.poll(session, warnings); status < 0) return status;
    if (const int32_t status = data.poll(session, warnings); status < 0) return status;
    if (memory.ready && data.ready) return warnings.result();
    if (remaining == 0) return memory.ready ? kModuleDataNotValid : kModuleMemoryNotReady;
  }
}

}  // namespace voapi
