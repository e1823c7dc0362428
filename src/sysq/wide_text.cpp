#include "sysq/wide_text.h"

#include <cstdint>

namespace vosysq {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

}  // namespace

std::u16string toUtf16(std::string_view utf8) {
  // The ASCII run at the start, unit for byte.
  size_t i = 0;
  while (i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80) ++i;
  std::u16string out(i, u'\0');
  for (size_t k = 0; k < i; ++k) out[k] = static_cast<char16_t>(utf8[k]);
  if (i == utf8.size()) return out;
  out.reserve(utf8.size());
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    size_t length = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
      length = 1, cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, cp = lead & 0x07;
    }
    bool complete = length != 0 && i + length <= utf8.size();
    for (size_t k = 1; complete && k < length; ++k) {
      const auto c = static_cast<unsigned char>(utf8[i + k]);
      if (!isContinuation(c)) {
        complete = false;
      } else {
        cp = (cp << 6) | (c & 0x3F);
      }
    }
    if (!complete || cp > 0x10FFFF) {
      out.push_back(static_cast<char16_t>(kReplacement));
      ++i;
      continue;
    }
    appendUtf16(out, cp);
    i += length;
  }
  return out;
}

std::string toUtf8(std::u16string_view utf16) {
  // The ASCII run at the start, byte for unit.
  size_t i = 0;
  while (i < utf16.size() && utf16[i] < 0x80) ++i;
  std::string out(i, '\0');
  for (size_t k = 0; k < i; ++k) out[k] = static_cast<char>(utf16[k]);
  if (i == utf16.size()) return out;
  out.reserve(utf16.size());
  for (; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                          (static_cast<char32_t>(utf16[i + 1]) - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      appendUtf8(out, kReplacement);
    } else {
      appendUtf8(out, unit);
    }
  }
  return out;
}

}  // namespace vosysq
