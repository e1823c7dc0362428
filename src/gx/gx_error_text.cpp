#include "gx/gx_error_text.h"

#include <string>

#include "status/fixed_status.h"
#include "xlator/error_text.h"

namespace vogx {

int32_t GXGetError(uint32_t session, int32_t errorCode, GxStringHandle* handle) {
  if (errorCode == 0) return 0;
  voerr::FixedStatus result;
  if (!handle) {
    result.set(voerr::kInvalidParameter, voerr::kComponent, voxlator::kBarrierFile, __LINE__);
    return result.code;
  }
  voxlator::runErrorTextBarrier(result, [&] {
    const std::string text =
        "\n" + voxlator::errorText(session, errorCode, voxlator::kGxGetErrorFlags);
    const int32_t stored = StoreGxString(handle, text.c_str());
    if (stored != 0) result.set(stored, voerr::kComponent, voxlator::kBarrierFile, __LINE__);
  });
  return result.code;
}

}  // namespace vogx
