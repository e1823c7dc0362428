// Every exported function runs its body through guarded(), so no exception
// ever crosses the C boundary.
#pragma once
#include <cstdint>
#include <new>

namespace voapi {

template <typename Body>
int32_t guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return -52000;
  } catch (...) {
    return -52003;
  }
}

}  // namespace voapi
