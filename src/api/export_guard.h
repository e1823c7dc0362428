// Every exported function runs its body through guarded(), so no exception
// ever crosses the C boundary.
#pragma once
#include <cstdint>
#include <new>

#include "status/codes.h"

namespace voapi {

template <typename Body>
int32_t guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return voerr::kMemoryFull;
  } catch (...) {
    return voerr::kSoftwareFault;
  }
}

}  // namespace voapi
