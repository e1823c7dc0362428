// stdint: exact 64-bit integers for scripts.
//
// The interpreter's only number type is a double. This module gives scripts
// two immutable 64-bit integer types, made by stdint.u64(x) and
// stdint.i64(x): a full userdata holding the value, with the metatable kept
// in the registry under the type name ("u64", "i64"). The metatables carry
// __tostring, __add, __sub, __mul, __div, __mod, __unm, __eq, __lt and an
// __index table with the method hexstring; a <= b is evaluated by the
// interpreter as not (b < a).
//
// Operands: a value of the operator's own type, or a number (converted as by
// the constructor). A userdata of another type raises the interpreter's
// argument error ("u64 expected, got userdata"); anything else raises
// "Can't get a u64 from argument" (or i64). The second operand is examined
// before the first.
//
// Arithmetic wraps modulo 2^64; u64 divides unsigned, i64 truncates toward
// zero with the remainder taking the sign of the dividend. A zero divisor
// raises "division by zero" and the i64 quotient or remainder of -2^63 by -1
// raises "integer overflow": neither is attempted.
//
// Constructors with exactly one argument:
//  - a number: truncated toward zero. For u64, values from 2^63 up to below
//    2^64 keep their unsigned value and negative values wrap (-1 gives
//    2^64-1); a value outside the type's range, or NaN, gives
//    0x8000000000000000.
//  - a string: u64 reads an unsigned decimal integer from its start (white
//    space skipped, optional sign, a minus wrapping around), i64 a signed
//    integer whose base follows its prefix (0x hexadecimal, a leading 0
//    octal, else decimal); what follows the digits is ignored. A string
//    without digits raises "Unable to parse a number out of "<text>"";
//    digits whose value exceeds the type's range raise "Number out of range
//    for u64 in "<text>"" (or i64).
//  - anything else raises "u64 constructor arg must be a number or a string".
// No argument, or more than one, gives 0.
#pragma once
#include <cstdint>

#include "xlatorlua/lua_api.h"

namespace voxlatorlua {

// Opens the module: creates the two metatables unless the registry already
// holds them, and the table "stdint" (a global and a loaded module).
int openStdint(lua_State* L);

// The conversions of the constructors, for numbers.
uint64_t numberToU64(double value) noexcept;
int64_t numberToI64(double value) noexcept;

// Pushes a new value of either type.
void pushU64(lua_State* L, uint64_t value);
void pushI64(lua_State* L, int64_t value);

}  // namespace voxlatorlua
