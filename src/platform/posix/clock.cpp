// Time on POSIX systems: the monotonic clock and nanosleep.
#include "platform/clock.h"

#include <errno.h>
#include <time.h>

namespace voplat {

void sleepMs(uint32_t milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  // A signal cuts the sleep short; sleep the rest.
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

uint64_t tickCountMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

uint64_t clockIncrementNs() {
  timespec resolution{};
  if (clock_getres(CLOCK_MONOTONIC, &resolution) != 0) return 1;
  const uint64_t ns = static_cast<uint64_t>(resolution.tv_sec) * 1000000000u +
                      static_cast<uint64_t>(resolution.tv_nsec);
  return ns == 0 ? 1 : ns;
}

}  // namespace voplat
