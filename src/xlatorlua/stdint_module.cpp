// Every function here may be called by the interpreter and so may be left by
// longjmp: they work on plain values only.
#include "xlatorlua/stdint_module.h"

#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace voxlatorlua {

namespace {

constexpr const char* kU64 = "u64";
constexpr const char* kI64 = "i64";
constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kTwoTo64 = 18446744073709551616.0;
constexpr uint64_t kOutOfRange = 0x8000000000000000ull;

bool isSpace(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

enum class Parse { kOk, kNoDigits, kOutOfRange };

// Reads digits of `base` from *p; the magnitude must not exceed `limit`.
Parse readMagnitude(const char*& p, unsigned base, uint64_t limit, uint64_t& magnitude) noexcept {
  magnitude = 0;
  bool any = false;
  bool overflow = false;
  for (int d = digitValue(*p); d < static_cast<int>(base); d = digitValue(*++p)) {
    any = true;
    if (magnitude > (limit - static_cast<uint64_t>(d)) / base) {
      overflow = true;
    } else {
      magnitude = magnitude * base + static_cast<uint64_t>(d);
    }
  }
  if (!any) return Parse::kNoDigits;
  return overflow ? Parse::kOutOfRange : Parse::kOk;
}

Parse parseU64(const char* text, uint64_t& value) noexcept {
  const char* p = text;
  while (isSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  uint64_t magnitude = 0;
  const Parse result = readMagnitude(p, 10, UINT64_MAX, magnitude);
  value = negative ? 0 - magnitude : magnitude;
  return result;
}

Parse parseI64(const char* text, int64_t& value) noexcept {
  const char* p = text;
  while (isSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  unsigned base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digitValue(p[2]) < 16) {
    base = 16;
    p += 2;
  } else if (p[0] == '0') {
    base = 8;
  }
  const uint64_t limit = negative ? kOutOfRange : kOutOfRange - 1;
  uint64_t magnitude = 0;
  const Parse result = readMagnitude(p, base, limit, magnitude);
  value = static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
  return result;
}

// Raises a message without the position prefix that luaL_error would add.
int raise(lua_State* L, const char* format, ...) {
  va_list args;
  va_start(args, format);
  lua_pushvfstring(L, format, args);
  va_end(args);
  return lua_error(L);
}

uint64_t* toU64(lua_State* L, int index) {
  return static_cast<uint64_t*>(luaL_checkudata(L, index, kU64));
}
int64_t* toI64(lua_State* L, int index) {
  return static_cast<int64_t*>(luaL_checkudata(L, index, kI64));
}

// The operand rule: a value of the type, or a number.
uint64_t u64Operand(lua_State* L, int index) {
  switch (lua_type(L, index)) {
    case LUA_TNUMBER:
      return numberToU64(lua_tonumber(L, index));
    case LUA_TUSERDATA:
      return *toU64(L, index);
    default:
      raise(L, "Can't get a u64 from argument");
      return 0;
  }
}
int64_t i64Operand(lua_State* L, int index) {
  switch (lua_type(L, index)) {
    case LUA_TNUMBER:
      return numberToI64(lua_tonumber(L, index));
    case LUA_TUSERDATA:
      return *toI64(L, index);
    default:
      raise(L, "Can't get a i64 from argument");
      return 0;
  }
}

// ---- u64 ----

int u64New(lua_State* L) {
  uint64_t value = 0;
  if (lua_gettop(L) == 1) {
    switch (lua_type(L, 1)) {
      case LUA_TNUMBER:
        value = numberToU64(lua_tonumber(L, 1));
        break;
      case LUA_TSTRING: {
        const char* text = lua_tostring(L, 1);
        switch (parseU64(text, value)) {
          case Parse::kOk:
            break;
          case Parse::kNoDigits:
            return raise(L, "Unable to parse a number out of \"%s\"", text);
          case Parse::kOutOfRange:
            return raise(L, "Number out of range for u64 in \"%s\"", text);
        }
        break;
      }
      default:
        return raise(L, "u64 constructor arg must be a number or a string");
    }
  }
  pushU64(L, value);
  return 1;
}

int u64ToString(lua_State* L) {
  const uint64_t value = *toU64(L, 1);
  char buffer[32];
  if (std::snprintf(buffer, sizeof buffer, "%" PRIu64, value) <= 0) {
    return raise(L, "Failed to convert u64 to string");
  }
  lua_pushstring(L, buffer);
  return 1;
}

int u64Hex(lua_State* L) {
  const uint64_t value = *toU64(L, 1);
  char buffer[32];
  if (std::snprintf(buffer, sizeof buffer, "%" PRIx64, value) <= 0) {
    return raise(L, "Failed to print hex value of u64");
  }
  lua_pushstring(L, buffer);
  return 1;
}

int u64Add(lua_State* L) {
  const uint64_t b = u64Operand(L, 2);
  const uint64_t a = u64Operand(L, 1);
  pushU64(L, a + b);
  return 1;
}
int u64Sub(lua_State* L) {
  const uint64_t b = u64Operand(L, 2);
  const uint64_t a = u64Operand(L, 1);
  pushU64(L, a - b);
  return 1;
}
int u64Mul(lua_State* L) {
  const uint64_t b = u64Operand(L, 2);
  const uint64_t a = u64Operand(L, 1);
  pushU64(L, a * b);
  return 1;
}
int u64Div(lua_State* L) {
  const uint64_t b = u64Operand(L, 2);
  const uint64_t a = u64Operand(L, 1);
  if (b == 0) return raise(L, "division by zero");
  pushU64(L, a / b);
  return 1;
}
int u64Mod(lua_State* L) {
  const uint64_t b = u64Operand(L, 2);
  const uint64_t a = u64Operand(L, 1);
  if (b == 0) return raise(L, "division by zero");
  pushU64(L, a % b);
  return 1;
}
int u64Unm(lua_State* L) {
  const uint64_t a = u64Operand(L, 1);
  pushU64(L, 0 - a);
  return 1;
}
int u64Eq(lua_State* L) {
  const uint64_t b = u64Operand(L, 2);
  const uint64_t a = u64Operand(L, 1);
  lua_pushboolean(L, a == b);
  return 1;
}
int u64Lt(lua_State* L) {
  const uint64_t b = u64Operand(L, 2);
  const uint64_t a = u64Operand(L, 1);
  lua_pushboolean(L, a < b);
  return 1;
}

// ---- i64 ----

int i64New(lua_State* L) {
  int64_t value = 0;
  if (lua_gettop(L) == 1) {
    switch (lua_type(L, 1)) {
      case LUA_TNUMBER:
        value = numberToI64(lua_tonumber(L, 1));
        break;
      case LUA_TSTRING: {
        const char* text = lua_tostring(L, 1);
        switch (parseI64(text, value)) {
          case Parse::kOk:
            break;
          case Parse::kNoDigits:
            return raise(L, "Unable to parse a number out of \"%s\"", text);
          case Parse::kOutOfRange:
            return raise(L, "Number out of range for i64 in \"%s\"", text);
        }
        break;
      }
      default:
        return raise(L, "i64 constructor arg must be a number or a string");
    }
  }
  pushI64(L, value);
  return 1;
}

int i64ToString(lua_State* L) {
  const int64_t value = *toI64(L, 1);
  char buffer[32];
  if (std::snprintf(buffer, sizeof buffer, "%" PRId64, value) <= 0) {
    return raise(L, "Failed to convert i64 to string");
  }
  lua_pushstring(L, buffer);
  return 1;
}

int i64Hex(lua_State* L) {
  const int64_t value = *toI64(L, 1);
  char buffer[32];
  if (std::snprintf(buffer, sizeof buffer, "%" PRIx64, static_cast<uint64_t>(value)) <= 0) {
    return raise(L, "Failed to print hex value of i64");
  }
  lua_pushstring(L, buffer);
  return 1;
}

// Two's-complement wrap without signed overflow.
int64_t wrap(uint64_t bits) noexcept { return static_cast<int64_t>(bits); }

int i64Add(lua_State* L) {
  const int64_t b = i64Operand(L, 2);
  const int64_t a = i64Operand(L, 1);
  pushI64(L, wrap(static_cast<uint64_t>(a) + static_cast<uint64_t>(b)));
  return 1;
}
int i64Sub(lua_State* L) {
  const int64_t b = i64Operand(L, 2);
  const int64_t a = i64Operand(L, 1);
  pushI64(L, wrap(static_cast<uint64_t>(a) - static_cast<uint64_t>(b)));
  return 1;
}
int i64Mul(lua_State* L) {
  const int64_t b = i64Operand(L, 2);
  const int64_t a = i64Operand(L, 1);
  pushI64(L, wrap(static_cast<uint64_t>(a) * static_cast<uint64_t>(b)));
  return 1;
}
int i64Div(lua_State* L) {
  const int64_t b = i64Operand(L, 2);
  const int64_t a = i64Operand(L, 1);
  if (b == 0) return raise(L, "division by zero");
  if (a == INT64_MIN && b == -1) return raise(L, "integer overflow");
  pushI64(L, a / b);
  return 1;
}
int i64Mod(lua_State* L) {
  const int64_t b = i64Operand(L, 2);
  const int64_t a = i64Operand(L, 1);
  if (b == 0) return raise(L, "division by zero");
  if (a == INT64_MIN && b == -1) return raise(L, "integer overflow");
  pushI64(L, a % b);
  return 1;
}
int i64Unm(lua_State* L) {
  const int64_t a = i64Operand(L, 1);
  pushI64(L, wrap(0 - static_cast<uint64_t>(a)));
  return 1;
}
int i64Eq(lua_State* L) {
  const int64_t b = i64Operand(L, 2);
  const int64_t a = i64Operand(L, 1);
  lua_pushboolean(L, a == b);
  return 1;
}
int i64Lt(lua_State* L) {
  const int64_t b = i64Operand(L, 2);
  const int64_t a = i64Operand(L, 1);
  lua_pushboolean(L, a < b);
  return 1;
}

struct TypeFunctions {
  const char* name;
  lua_CFunction toString, add, sub, mul, div, mod, unm, eq, lt, hex;
};

constexpr TypeFunctions kU64Functions{kU64,   u64ToString, u64Add, u64Sub, u64Mul, u64Div,
                                      u64Mod, u64Unm,      u64Eq,  u64Lt,  u64Hex};
constexpr TypeFunctions kI64Functions{kI64,   i64ToString, i64Add, i64Sub, i64Mul, i64Div,
                                      i64Mod, i64Unm,      i64Eq,  i64Lt,  i64Hex};

void createMetatable(lua_State* L, const TypeFunctions& type) {
  // As luaL_newmetatable, with the table made at its final size.
  luaL_getmetatable(L, type.name);
  if (!lua_isnil(L, -1)) {  // one exists already: keep it
    lua_pop(L, 1);
    return;
  }
  lua_pop(L, 1);
  lua_createtable(L, 0, 10);
  lua_pushvalue(L, -1);
  lua_setfield(L, LUA_REGISTRYINDEX, type.name);
  const luaL_Reg entries[] = {
      {"__tostring", type.toString}, {"__add", type.add}, {"__sub", type.sub},
      {"__mul", type.mul},           {"__div", type.div}, {"__mod", type.mod},
      {"__unm", type.unm},           {"__eq", type.eq},   {"__lt", type.lt},
  };
  for (const luaL_Reg& entry : entries) {
    lua_pushcfunction(L, entry.func);
    lua_setfield(L, -2, entry.name);
  }
  lua_createtable(L, 0, 1);
  lua_pushcfunction(L, type.hex);
  lua_setfield(L, -2, "hexstring");
  lua_setfield(L, -2, "__index");
  lua_pop(L, 1);
}

void pushValue(lua_State* L, const char* type, const void* value, size_t size) {
  void* memory = lua_newuserdata(L, size);
  std::memcpy(memory, value, size);
  luaL_getmetatable(L, type);
  lua_setmetatable(L, -2);
}

}  // namespace

uint64_t numberToU64(double value) noexcept {
  // Below 2^63: as a signed integer, reinterpreted (negatives wrap).
  if (value >= -kTwoTo63 && value < kTwoTo63) {
    return static_cast<uint64_t>(static_cast<int64_t>(value));
  }
  if (value >= kTwoTo63 && value < kTwoTo64) {
    return static_cast<uint64_t>(static_cast<int64_t>(value - kTwoTo63)) + kOutOfRange;
  }
  return kOutOfRange;  // out of range, or NaN
}

int64_t numberToI64(double value) noexcept {
  if (value >= -kTwoTo63 && value < kTwoTo63) return static_cast<int64_t>(value);
  return INT64_MIN;  // out of range, or NaN
}

void pushU64(lua_State* L, uint64_t value) { pushValue(L, kU64, &value, sizeof value); }
void pushI64(lua_State* L, int64_t value) { pushValue(L, kI64, &value, sizeof value); }

int openStdint(lua_State* L) {
  createMetatable(L, kU64Functions);
  createMetatable(L, kI64Functions);
  const luaL_Reg functions[] = {{"u64", u64New}, {"i64", i64New}, {nullptr, nullptr}};
  luaL_register(L, "stdint", functions);
  return 1;
}

}  // namespace voxlatorlua
