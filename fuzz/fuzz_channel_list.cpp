// libFuzzer target for the channel-list parser. The input bytes, cut at their
// first zero byte, are parsed as a channel list for a few attribute IDs. Each
// result is checked for internal consistency and against an oracle built on
// the C library's sscanf with the same nine token forms, so that the fuzzer
// finds wrong answers as well as crashes and out-of-bounds reads.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "api/channel_list.h"

namespace {

constexpr uint32_t kAttributes[] = {0, 0x10000008, 0x20000002, 0x20000003, 0x20000004};

[[noreturn]] void Fail(const char* what, const std::string& text) {
  std::fprintf(stderr, "channel list check failed: %s\nlist: \"%s\"\n", what, text.c_str());
  std::abort();
}

int32_t Oracle(const char* text, uint32_t attributeId, std::vector<std::string>& names) {
  names.clear();
  if (text[0] == '\0') {
    const bool streamZero =
        attributeId == 0x10000008 || attributeId == 0x20000002 || attributeId == 0x20000003;
    names.emplace_back(streamZero ? "0" : "");
    return 0;
  }
  struct Form {
    const char* format;
    int count;
    const char* prefix;
    int32_t tooLarge;
  };
  static const Form forms[] = {
      {"AI%u-AI%u%c", 2, "AI", voapi::kChannelNumberTooLarge},
      {"ai%u-ai%u%c", 2, "AI", voapi::kChannelNumberTooLarge},
      {"AO%u-AO%u%c", 2, "AO", voapi::kChannelNumberTooLarge},
      {"ao%u-ao%u%c", 2, "AO", voapi::kChannelNumberTooLarge},
      {"AI%u%c", 1, "AI", voapi::kChannelNumberTooLarge},
      {"ai%u%c", 1, "AI", voapi::kChannelNumberTooLarge},
      {"AO%u%c", 1, "AO", voapi::kChannelNumberTooLarge},
      {"ao%u%c", 1, "AO", voapi::kChannelNumberTooLarge},
      {"%u%c", 1, "", voapi::kStreamNumberTooLarge},
  };
  const char* p = text;
  for (;;) {
    const char* comma = std::strchr(p, ',');
    const std::size_t length = comma ? static_cast<std::size_t>(comma - p) : std::strlen(p);
    char token[320];
    if (length >= sizeof token) return voapi::kChannelListSyntax;
    std::memcpy(token, p, length);
    token[length] = '\0';

    const Form* matched = nullptr;
    unsigned a = 0;
    unsigned b = 0;
    for (const Form& form : forms) {
      char c = 0;
      const int got = form.count == 2 ? std::sscanf(token, form.format, &a, &b, &c)
                                      : std::sscanf(token, form.format, &a, &c);
      if (got == form.count) {
        if (form.count == 1) b = a;
        matched = &form;
        break;
      }
    }
    if (matched == nullptr) return voapi::kChannelListSyntax;
    const unsigned long long low = a < b ? a : b;
    const unsigned long long high = a < b ? b : a;
    for (unsigned long long n = low; n <= high; ++n) {
      if (n >= 64) return matched->tooLarge;
      if (names.size() >= 64) return voapi::kChannelListFull;
      names.push_back(matched->prefix + std::to_string(n));
    }
    if (comma == nullptr) return 0;
    p = comma + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // An exact-size copy, so that a read past the terminator is caught.
  const std::size_t length = strnlen(reinterpret_cast<const char*>(data), size);
  std::vector<char> block(data, data + length);
  block.push_back('\0');
  const std::string text(block.data());

  std::vector<std::string> expected;
  for (uint32_t attributeId : kAttributes) {
    voapi::ChannelNameList list;
    const int32_t status = voapi::ParseChannelList(block.data(), attributeId, list);
    const int32_t expectedStatus = Oracle(block.data(), attributeId, expected);
    if (status != expectedStatus) Fail("status differs from the oracle", text);
    if (status != 0) {
      if (list.size() != 0) Fail("a failed parse left names behind", text);
      continue;
    }
    if (list.size() != expected.size()) Fail("name count differs from the oracle", text);
    if (list.size() == 0 || list.size() > voapi::ChannelNameList::kCapacity) {
      Fail("impossible name count", text);
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (list[i] == nullptr) Fail("null name", text);
      if (expected[i] != list[i]) Fail("name differs from the oracle", text);
    }
  }
  return 0;
}
