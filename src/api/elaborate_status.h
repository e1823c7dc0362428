// Folding a failed request into a status record together with the driver's
// own description of the failure (its error context, fetched with the
// elaboration request). Used wherever a request's failure travels on in a
// voerr::Status rather than as a bare code.
#pragma once
#include <cstdint>

#include "status/status.h"

namespace voapi {

// Asks the driver to describe `status` for `session` (no request for
// session 0: the description is then empty) and folds both into `record`:
//  - the record takes `status` under the precedence rule (success gives way
//    to any code, a warning to an error; an error already held stays), and a
//    record that takes it starts from an empty object;
//  - the description then replaces the record's text, whether or not the
//    code changed, as long as the buffer can grow to hold it.
// When the elaboration request itself fails, the record is left unchanged and
// that request's status is returned, so a caller can still report `status`
// itself; otherwise the result is 0.
int32_t ElaborateStatus(uint32_t session, int32_t status, voerr::Status& record) noexcept;

}  // namespace voapi
