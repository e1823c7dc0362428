// The first voTarsin_GetError of a process for a device error whose context
// names the script translator (stand-in device RIO0): nothing of the error
// text path has run before, so the figure includes what a process pays
// once. Prints the call's wall-clock time in microseconds.
//   votarsin_first_call device_error   the first error text of the process
//   votarsin_first_call bare_state     the first interpreter state of the
//                                      process, created and closed (floor)
//   votarsin_first_call single_calls   the median of 201 calls after the
//                                      first, each timed alone: on a busy
//                                      machine the calls that were preempted
//                                      fall outside the median
// Exit status 1 when the device error is not translated by the script.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "status/status.h"
#include "votarsinapi.h"
#include "xlator/error_text.h"
#include "xlatorlua/lua_api.h"

namespace {

using Clock = std::chrono::steady_clock;

double MicrosecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

int FirstDeviceError(int calls) {
  Session session = 0;
  if (voTarsin_OpenSession("RIO0", nullptr, 0, &session) != 0) {
    std::fprintf(stderr, "cannot open RIO0\n");
    return 1;
  }
  const int32_t code = voTarsin_SetAttributeInt32(session, "AI0", VOTARSIN_ATTR_AI_COUPLING, 12345);
  char text[4096];
  const Clock::time_point start = Clock::now();
  const int32_t result = voTarsin_GetError(session, code, sizeof text, text);
  double us = MicrosecondsSince(start);
  if (calls > 0) {
    std::vector<double> times;
    for (int call = 0; call < calls; ++call) {
      const Clock::time_point callStart = Clock::now();
      voTarsin_GetError(session, code, sizeof text, text);
      times.push_back(MicrosecondsSince(callStart));
    }
    std::nth_element(times.begin(), times.begin() + calls / 2, times.end());
    us = times[calls / 2];
  }

  voerr::Status status;
  voxlator::fetchErrorContext(session, code, status);
  voTarsin_CloseSession(session, 0);
  if (code >= 0 || result != 0 || std::strstr(text, "Failed to translate") != nullptr ||
      std::string(status.contextText()).find("mxlator_votarsinapi") == std::string::npos) {
    std::fprintf(stderr, "the device error %d is not translated by the script\n", code);
    return 1;
  }
  std::printf("%.1f\n", us);
  return 0;
}

int FirstBareState() {
  const Clock::time_point start = Clock::now();
  lua_State* L = luaL_newstate();
  if (L != nullptr) lua_close(L);
  const double us = MicrosecondsSince(start);
  if (L == nullptr) return 1;
  std::printf("%.1f\n", us);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "device_error") return FirstDeviceError(0);
  if (mode == "single_calls") return FirstDeviceError(201);
  if (mode == "bare_state") return FirstBareState();
  std::fprintf(stderr, "usage: votarsin_first_call device_error|bare_state|single_calls\n");
  return 2;
}
