// Calibration storage: blocks of bytes written to and read from the device's
// own calibration area, and the update of its verification information. The
// library does not interpret the bytes; `location` is the driver's to read.
#pragma once
#include <cstddef>
#include <cstdint>

namespace voapi {

// The write record could not be allocated.
inline constexpr int32_t kRecordAllocationFailed = -304017;

// The allocator of the write record: returns null when it cannot provide
// `size` bytes. Released with std::free. Replaceable so that a failing
// allocation can be exercised without exhausting memory.
using RecordAllocator = void* (*)(size_t size);

// Sends `size` bytes of `data` for `location` as one record of size + 8
// bytes (location, 32-bit length, data). -52005 for null data or a size whose
// record length overflows; -304017 when the record cannot be allocated,
// including lengths no buffer may have.
int32_t WriteCalibrationData(uint32_t session, uint32_t location, const void* data, uint64_t size,
                             RecordAllocator allocate = nullptr) noexcept;

// Reads `size` bytes for `location` into `buffer`; -52005 for a null buffer.
int32_t ReadCalibrationData(uint32_t session, uint32_t location, void* buffer,
                            uint64_t size) noexcept;

int32_t UpdateVerificationInformation(uint32_t session) noexcept;

}  // namespace voapi
