// UTF-8 <-> UTF-16 for names and paths that travel through the system's wide
// interfaces (registry key and value names, folder paths).
//
// These conversions never fail: text from the system is taken as it comes.
//  - UTF-8 to UTF-16: code points above U+FFFF become surrogate pairs; a byte
//    that does not start a complete sequence (a stray continuation byte, a
//    sequence cut short, a lead byte 0xF8 and above) becomes U+FFFD.
//  - UTF-16 to UTF-8: a high surrogate followed by a low one is combined
//    into one code point; an unpaired surrogate becomes U+FFFD, so the
//    character after it is never damaged.
// Strict, validating conversions live in platform/textconv.h.
#pragma once
#include <string>
#include <string_view>

namespace vosysq {

std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);

}  // namespace vosysq
