// Time on Windows: Sleep, the millisecond tick count and the system clock
// increment of the time-adjustment query.
#include "platform/clock.h"

#include <windows.h>

namespace voplat {

void sleepMs(uint32_t milliseconds) { Sleep(milliseconds); }

uint64_t tickCountMs() { return GetTickCount64(); }

uint64_t clockIncrementNs() {
  DWORD adjustment = 0;
  DWORD increment = 0;  // 100-nanosecond units
  BOOL disabled = FALSE;
  if (!GetSystemTimeAdjustment(&adjustment, &increment, &disabled) || increment == 0) return 1;
  return static_cast<uint64_t>(increment) * 100u;
}

}  // namespace voplat
