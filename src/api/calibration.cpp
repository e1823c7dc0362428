#include "api/calibration.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "api/channel.h"
#include "api/maintenance_records.h"
#include "status/codes.h"

namespace voapi {
namespace {

// No object may be larger than the largest signed size; asking the system
// for more only fails later, and some allocators abort instead of failing.
constexpr uint64_t kLargestRecord = static_cast<uint64_t>(PTRDIFF_MAX);

void* systemAllocate(size_t size) { return std::malloc(size); }

struct FreeRecord {
  void operator()(void* record) const noexcept { std::free(record); }
};

}  // namespace

int32_t WriteCalibrationData(uint32_t session, uint32_t location, const void* data, uint64_t size,
                             RecordAllocator allocate) noexcept {
  if (!data) return voerr::kInvalidParameter;
  const uint64_t length = size + sizeof(CalibrationWriteHeader);
  if (length < size) return voerr::kInvalidParameter;
  if (length > kLargestRecord || length > SIZE_MAX) return kRecordAllocationFailed;
  std::unique_ptr<void, FreeRecord> record((allocate ? allocate : systemAllocate)(length));
  if (!record) return kRecordAllocationFailed;

  auto* bytes = static_cast<uint8_t*>(record.get());
  const CalibrationWriteHeader header{location, static_cast<uint32_t>(size)};
  std::memcpy(bytes, &header, sizeof header);
  if (size != 0) std::memcpy(bytes + sizeof header, data, size);
  return CallClientFunction(session, kGroup, kFnCalibrationWrite, bytes, length, nullptr, 0);
}

int32_t ReadCalibrationData(uint32_t session, uint32_t location, void* buffer,
                            uint64_t size) noexcept {
  if (!buffer) return voerr::kInvalidParameter;
  return sendRecord(session, kFnCalibrationRead, location, buffer, size);
}

int32_t UpdateVerificationInformation(uint32_t session) noexcept {
  return CallClientFunction(session, kGroup, kFnUpdateVerification, nullptr, 0, nullptr, 0);
}

}  // namespace voapi
