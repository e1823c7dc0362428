// The integer conversion of C's scanf "%i", as the
// C library of the first platform (glibc) performs it: blanks ("\t\n\v\f\r "
// and space) are skipped, then an optional sign, then "0x"/"0X" for
// hexadecimal or a leading '0' for octal, else decimal; the digits end at the
// first character that is not one of the base. The number is taken as a
// 64-bit long, saturating at its limits, and stored into the int keeping its
// low 32 bits. A "0x" without hexadecimal digits reads as 0.
#pragma once
#include <string_view>

namespace voxlator {

// What sscanf(text, "%i", &value) returns for the text up to its end or its
// first NUL: 1 with `value` set; 0 when no number starts there; -1 when the
// text is empty or blank. `value` is left alone unless 1 is returned.
int scanInteger(std::string_view text, int& value) noexcept;

}  // namespace voxlator
