// Text conversion between UTF-8, UTF-16 and the code pages of the supported
// languages (1252 Western, 932 Japanese, 949 Korean, 936 simplified Chinese).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace voplat {

enum class ConvResult {
  ok,
  invalidInput,  // the input is not valid in its encoding
  unsupported,   // unknown code page
  outOfMemory,
};

// Code points above 0xFFFF become surrogate pairs. Invalid UTF-8 fails:
// overlong forms, encoded surrogates, code points above U+10FFFF, stray or
// missing continuation bytes and sequences cut off at the end. `out` is left
// empty on failure.
ConvResult utf8ToUtf16(std::string_view in, std::u16string& out);
// A lone surrogate fails (`out` left empty); a pair becomes one code point.
ConvResult utf16ToUtf8(std::u16string_view in, std::string& out);
// The same, but a lone surrogate is written as '?' and sets `substituted`;
// fails only when memory runs out.
ConvResult utf16ToUtf8Substituting(std::u16string_view in, std::string& out, bool& substituted);

// Code pages: 1252, 932, 949, 936 and 65001 (UTF-8); others are unsupported.
// On any result other than ok, `out` is left empty.

// Decoding fails on a sequence that is invalid in the code page (including a
// double-byte sequence cut off at the end). The bytes that 1252 leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to U+0081 etc.
ConvResult codePageToUtf16(uint32_t codePage, std::string_view in, std::u16string& out);
// Characters the code page lacks are written as '?'; so is any character the
// code page could only approximate (no best-fit mapping: a character is
// written only when its bytes decode back to it), and every unpaired
// surrogate. A surrogate pair is one character. *substituted (when given)
// tells whether any '?' was substituted.
ConvResult utf16ToCodePage(uint32_t codePage, std::u16string_view in, std::string& out,
                           bool* substituted = nullptr);

}  // namespace voplat
