// Time: sleeping and the millisecond tick clock.
#pragma once
#include <cstdint>

namespace voplat {

void sleepMs(uint32_t milliseconds);

// Milliseconds since an arbitrary start, monotonic, never wrapping in practice.
uint64_t tickCountMs();

// The system clock increment in nanoseconds (never 0).
uint64_t clockIncrementNs();

}  // namespace voplat
