// UTF-8 names and texts to and from the system's UTF-16 (wchar_t) strings.
// Used by the win32 layer only; invalid input is carried over as U+FFFD
// rather than refused, as the system's own conversions do.
#pragma once
#include <string>
#include <string_view>

namespace voplat::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace voplat::win32
