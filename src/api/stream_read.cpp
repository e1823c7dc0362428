#include "api/stream_read.h"

#include "api/streams.h"

namespace voapi {

int32_t IncompleteReadStatus(uint32_t session, uint32_t stream) noexcept {
  switch (QueryStreamState(session, stream)) {
    case kStreamStateOverflow:
      return kReadStateOverflow;
    case kStreamStateStopped:
      return kReadStateStopped;
    default:
      return kReadTimeout;
  }
}

}  // namespace voapi
