// The status codes the library raises itself, and the symbolic names written
// as "error_constant" into error contexts. Device codes come from the driver
// and are defined where they are raised.
#pragma once
#include <cstdint>

namespace voerr {

// Value of the "component" member of every context this library writes.
inline constexpr const char* kComponent = "votarsinapi";

inline constexpr int32_t kSuccess = 0;
inline constexpr int32_t kMemoryFull = -52000;
inline constexpr int32_t kSoftwareFault = -52003;
inline constexpr int32_t kBadCast = -52004;
inline constexpr int32_t kInvalidParameter = -52005;
inline constexpr int32_t kResourceNotFound = -52006;
inline constexpr int32_t kSystemError = -52008;
inline constexpr int32_t kTextConversion = -52027;
inline constexpr int32_t kUnsupportedFormat = -52029;

// Symbolic names. -52004, -52008 and -52027 have none; text-conversion
// failures are written with kConversionErrorName instead.
inline constexpr const char* kMemoryFullName = "voapalerr_memoryFull";
inline constexpr const char* kSoftwareFaultName = "voapalerr_softwareFaultAPALInternalUseOnly";
inline constexpr const char* kInvalidParameterName = "voapalerr_invalidParameter";
inline constexpr const char* kResourceNotFoundName = "voapalerr_resourceNotFound";
inline constexpr const char* kUnsupportedFormatName = "voapalerr_unsupportedFormat";
inline constexpr const char* kConversionErrorName = "err";

// The symbolic name of one of the codes above, or null when it has none.
constexpr const char* constantName(int32_t code) noexcept {
  switch (code) {
    case kMemoryFull:
      return kMemoryFullName;
    case kSoftwareFault:
      return kSoftwareFaultName;
    case kInvalidParameter:
      return kInvalidParameterName;
    case kResourceNotFound:
      return kResourceNotFoundName;
    case kUnsupportedFormat:
      return kUnsupportedFormatName;
    default:
      return nullptr;
  }
}

}  // namespace voerr
