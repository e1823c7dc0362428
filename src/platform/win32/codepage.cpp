// Code pages on Windows: MultiByteToWideChar and WideCharToMultiByte, with
// invalid input refused and no best-fit mapping on output.
#include <windows.h>

#include "platform/conversion_guard.h"
#include "platform/textconv.h"

namespace voplat {

namespace {

constexpr uint32_t kCpUtf8 = 65001;

bool isSupported(uint32_t codePage) {
  return codePage == 1252 || codePage == 932 || codePage == 949 || codePage == 936;
}

ConvResult decode(uint32_t codePage, std::string_view in, std::u16string& out) {
  if (in.empty()) return ConvResult::ok;
  const int inLength = static_cast<int>(in.size());
  const int n =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), inLength, nullptr, 0);
  if (n == 0) return ConvResult::invalidInput;
  std::u16string result(static_cast<size_t>(n), u'\0');
  if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), inLength,
                          reinterpret_cast<wchar_t*>(result.data()), n) != n) {
    return ConvResult::invalidInput;
  }
  out = std::move(result);
  return ConvResult::ok;
}

bool isPairAt(std::u16string_view in, size_t i) {
  return in[i] >= 0xD800 && in[i] <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
         in[i + 1] <= 0xDFFF;
}

// A run without surrogate pairs, appended to `out`.
ConvResult encodeRun(uint32_t codePage, std::u16string_view in, std::string& out,
                     bool& substituted) {
  if (in.empty()) return ConvResult::ok;
  const auto* wide = reinterpret_cast<const wchar_t*>(in.data());
  const int inLength = static_cast<int>(in.size());
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, inLength, nullptr, 0, "?",
                                    &usedDefault);
  if (n == 0) return ConvResult::invalidInput;
  std::string result(static_cast<size_t>(n), '\0');
  usedDefault = FALSE;
  if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, inLength, result.data(), n, "?",
                          &usedDefault) != n) {
    return ConvResult::invalidInput;
  }
  if (usedDefault) substituted = true;
  out += result;
  return ConvResult::ok;
}

// None of the code pages has a character outside the basic plane; the system
// would write one '?' per half of a surrogate pair, where a pair is one
// character and gets one '?'.
ConvResult encode(uint32_t codePage, std::u16string_view in, std::string& out, bool& substituted) {
  std::string result;
  size_t runStart = 0;
  for (size_t i = 0; i < in.size(); ++i) {
    if (!isPairAt(in, i)) continue;
    if (const ConvResult r =
            encodeRun(codePage, in.substr(runStart, i - runStart), result, substituted);
        r != ConvResult::ok) {
      return r;
    }
    result.push_back('?');
    substituted = true;
    runStart = ++i + 1;
  }
  if (const ConvResult r = encodeRun(codePage, in.substr(runStart), result, substituted);
      r != ConvResult::ok) {
    return r;
  }
  out = std::move(result);
  return ConvResult::ok;
}

}  // namespace

ConvResult codePageToUtf16(uint32_t codePage, std::string_view in, std::u16string& out) {
  out.clear();
  return guardedConversion(out, [&] {
    if (codePage == kCpUtf8) return utf8ToUtf16(in, out);
    if (!isSupported(codePage)) return ConvResult::unsupported;
    return decode(codePage, in, out);
  });
}

ConvResult utf16ToCodePage(uint32_t codePage, std::u16string_view in, std::string& out,
                           bool* substituted) {
  out.clear();
  bool replaced = false;
  const ConvResult result = guardedConversion(out, [&] {
    if (codePage == kCpUtf8) return utf16ToUtf8Substituting(in, out, replaced);
    if (!isSupported(codePage)) return ConvResult::unsupported;
    return encode(codePage, in, out, replaced);
  });
  if (result != ConvResult::ok) out.clear();
  if (substituted != nullptr) *substituted = result == ConvResult::ok && replaced;
  return result;
}

}  // namespace voplat
