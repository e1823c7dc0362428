// UTF-8 <-> UTF-16, strictly by RFC 3629 and the Unicode standard: overlong
// forms, encoded surrogates, code points above U+10FFFF, truncated sequences
// and unpaired surrogates are all rejected rather than repaired.
#include "platform/conversion_guard.h"
#include "platform/textconv.h"

namespace voplat {

namespace {

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

ConvResult utf8ToUtf16(std::string_view in, std::u16string& out) {
  out.clear();
  return guardedConversion(out, [&] {
    std::u16string result;
    result.reserve(in.size());
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    while (p < end) {
      const unsigned char b0 = *p;
      if (b0 < 0x80) {
        result.push_back(b0);
        ++p;
        continue;
      }
      // Sequence length and the smallest code point it may carry.
      size_t length;
      char32_t cp;
      char32_t minimum;
      if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
        minimum = 0x80;
      } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        cp = b0 & 0x0F;
        minimum = 0x800;
      } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        minimum = 0x10000;
      } else {
        return ConvResult::invalidInput;  // continuation byte, C0/C1, F5..FF
      }
      if (static_cast<size_t>(end - p) < length) return ConvResult::invalidInput;
      for (size_t i = 1; i < length; ++i) {
        if (!isContinuation(p[i])) return ConvResult::invalidInput;
        cp = (cp << 6) | (p[i] & 0x3F);
      }
      if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return ConvResult::invalidInput;
      }
      p += length;
      if (cp < 0x10000) {
        result.push_back(static_cast<char16_t>(cp));
      } else {
        cp -= 0x10000;
        result.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        result.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
      }
    }
    out = std::move(result);
    return ConvResult::ok;
  });
}

ConvResult utf16ToUtf8(std::u16string_view in, std::string& out) {
  out.clear();
  return guardedConversion(out, [&] {
    std::string result;
    result.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
      char32_t cp = in[i];
      if (cp >= 0xD800 && cp <= 0xDBFF) {
        if (i + 1 >= in.size() || in[i + 1] < 0xDC00 || in[i + 1] > 0xDFFF) {
          return ConvResult::invalidInput;
        }
        cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
        ++i;
      } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
        return ConvResult::invalidInput;
      }
      if (cp < 0x80) {
        result.push_back(static_cast<char>(cp));
      } else if (cp < 0x800) {
        result.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        result.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
      } else if (cp < 0x10000) {
        result.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        result.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        result.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
      } else {
        result.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        result.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        result.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        result.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
      }
    }
    out = std::move(result);
    return ConvResult::ok;
  });
}

ConvResult utf16ToUtf8Substituting(std::u16string_view in, std::string& out, bool& substituted) {
  if (utf16ToUtf8(in, out) == ConvResult::ok) return ConvResult::ok;
  // Unpaired surrogates: convert the rest and put '?' in their place.
  return guardedConversion(out, [&] {
    std::string result;
    for (size_t i = 0; i < in.size();) {
      size_t units = 1;
      if (in[i] >= 0xD800 && in[i] <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
          in[i + 1] <= 0xDFFF) {
        units = 2;
      }
      std::string piece;
      const ConvResult r = utf16ToUtf8(in.substr(i, units), piece);
      if (r == ConvResult::outOfMemory) return r;
      if (r == ConvResult::ok) {
        result += piece;
      } else {
        result.push_back('?');
        substituted = true;
      }
      i += units;
    }
    out = std::move(result);
    return ConvResult::ok;
  });
}

}  // namespace voplat
