// The barrier of the stand-ins' exported functions. The components they stand
// in for have C interfaces, so no C++ exception may leave one: each runs its
// body through entryBarrier, which turns running out of memory and any other
// exception into the status the interface has for them.
#pragma once
#include <new>

namespace vostandin {

template <typename Result, typename Body>
Result entryBarrier(Result outOfMemory, Result otherFailure, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return outOfMemory;
  } catch (...) {
    return otherFailure;
  }
}

// For functions that return nothing: the failure is dropped, the state stays
// as the body left it.
template <typename Body>
void entryBarrier(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

}  // namespace vostandin
