// The error-text entry point and the exported translator factory.
#include <cstring>

#include "status/fixed_status.h"
#include "votarsinapi.h"
#include "xlator/error_text.h"
#include "xlator/xlator_session.h"

extern "C" {

VOTARSIN_API int32_t voTarsin_GetError(Session session, int32_t errorCode, uint64_t bufferSize,
                                       char* buffer) {
  voerr::FixedStatus result;
  // A buffer that is not there cannot take the text; refuse rather than crash.
  if (bufferSize != 0 && buffer == nullptr) {
    result.set(voerr::kInvalidParameter, voerr::kComponent, voxlator::kBarrierFile, __LINE__);
    return result.code;
  }
  voxlator::runErrorTextBarrier(result, [&] {
    const std::string text = voxlator::errorText(session, errorCode, voxlator::kGetErrorFlags);
    if (bufferSize == 0) return;
    const uint64_t length = text.size() < bufferSize - 1 ? text.size() : bufferSize - 1;
    std::memcpy(buffer, text.data(), static_cast<size_t>(length));
    std::memset(buffer + length, 0, static_cast<size_t>(bufferSize - length));
  });
  return result.code;
}

VOTARSIN_API void* voxlator_exported_create(const char* name, const char* registrationInfo,
                                            void* status) {
  return voxlator::exportedCreate(name, registrationInfo, static_cast<voerr::Status*>(status));
}

}  // extern "C"
