#include "api/elaborate_status.h"

#include <array>
#include <cstring>
#include <string_view>

#include "api/channel.h"
#include "api/stream_records.h"

namespace voapi {

int32_t ElaborateStatus(uint32_t session, int32_t status, voerr::Status& record) noexcept {
  std::array<char, kElaborationSize> text{};
  if (session != 0) {
    const ElaborationRequest request{status};
    const int32_t elaborated = sendRecord(session, kFnElaborate, request, text.data(), text.size());
    if (elaborated != 0) return elaborated;
  }
  if (voerr::supersedes(record.code(), status)) {
    record.setCode(status);
    record.resetContext();
  }
  // The driver's text need not be terminated inside the buffer.
  record.setContextText(std::string_view(text.data(), strnlen(text.data(), text.size())));
  return 0;
}

}  // namespace voapi
