// libFuzzer target for the json1 report of an arbitrary driver error context.
// The stand-in device's hook answers every context request (function 800)
// with the input bytes, so voTarsin_GetError renders whatever a driver could
// send: through the error files, the script translator or the fallbacks. The
// call must succeed with a terminated text, zero the rest of the buffer, and
// give the same text, cut, into a smaller buffer.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "vodevice_hook.h"
#include "votarsinapi.h"

namespace {

using vofuzz::check;

constexpr uint32_t kElaborate = 800;
constexpr size_t kContextSize = 8192;

struct Answer {
  const uint8_t* data = nullptr;
  size_t size = 0;
};
Answer current;

int answerContext(void*, const VoDevRequest* request, int32_t* status) {
  if (request->function != kElaborate || request->output == nullptr) return 0;
  auto* out = static_cast<char*>(request->output);
  const size_t room = static_cast<size_t>(request->outputSize);
  const size_t n = current.size < room ? current.size : room;
  std::memcpy(out, current.data, n);
  std::memset(out + n, 0, room - n);
  *status = 0;
  return 1;
}

Session session() {
  static const Session opened = [] {
    Session s = 0;
    if (voTarsin_OpenSession("RIO0", nullptr, 0, &s) != 0) vofuzz::fail("cannot open RIO0");
    VoDev_SetRequestHook(answerContext, nullptr);
    return s;
  }();
  return opened;
}

// Codes with a description in the error files, one a device error whose
// context the script translator reports, one with none.
constexpr int32_t kCodes[] = {VODEV_E_READ_ONLY_ATTRIBUTE, -52005, -123456};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const Session s = session();
  current = {data + 1, size - 1 < kContextSize ? size - 1 : kContextSize};
  const int32_t code = kCodes[data[0] % 3];

  char text[2048];
  std::memset(text, 'x', sizeof text);
  check(voTarsin_GetError(s, code, sizeof text, text) == 0, "voTarsin_GetError failed");
  const size_t length = strnlen(text, sizeof text);
  check(length < sizeof text, "text not terminated");
  for (size_t i = length; i < sizeof text; ++i) check(text[i] == 0, "buffer tail not zeroed");

  if (data[0] & 0x80) {
    char small[40];
    check(voTarsin_GetError(s, code, sizeof small, small) == 0, "voTarsin_GetError failed");
    const std::string_view expected(text, length < sizeof small - 1 ? length : sizeof small - 1);
    check(std::string_view(small) == expected, "a smaller buffer got a different text", small);
  }
  return 0;
}
