// libFuzzer target for the stdint module inside an interpreter. The input is
// two texts and, after them, eight bytes of a number. Each text is given to
// stdint.u64 and stdint.i64; the values (or the errors) must be those of
// strtoull(text, 10) and strtoll(text, 0), which read the same syntax. The
// operators are then applied to the two values and to a value and the number,
// and checked against 64-bit arithmetic in C.
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "xlatorlua/lua_api.h"
#include "xlatorlua/stdint_module.h"

namespace {

using vofuzz::check;

// Applies every operator to (a, b) and returns the results joined by "|":
// a value's text, or "E:" and the error message.
constexpr const char* kOperators = R"(
local a, b = ...
local function run(f)
  local ok, r = pcall(f)
  if ok then return tostring(r) end
  return "E:" .. tostring(r)
end
return table.concat({
  run(function() return a + b end), run(function() return a - b end),
  run(function() return a * b end), run(function() return a / b end),
  run(function() return a % b end), run(function() return -a end),
  run(function() return a == b end), run(function() return a < b end),
  run(function() return a <= b end), run(function() return a:hexstring() end),
}, "|")
)";

lua_State* state() {
  static lua_State* L = [] {
    lua_State* s = luaL_newstate();
    if (s == nullptr) vofuzz::fail("no interpreter state");
    luaL_openlibs(s);
    lua_pushcfunction(s, voxlatorlua::openStdint);
    lua_call(s, 0, 0);
    if (luaL_loadstring(s, kOperators) != 0) vofuzz::fail("operator chunk does not compile");
    lua_setfield(s, LUA_REGISTRYINDEX, "vofuzz_operators");
    std::atexit([] { lua_close(state()); });
    return s;
  }();
  return L;
}

// Calls stdint.<type>(text); leaves the value (or nil) on the stack and
// returns the error message when the constructor raised.
std::optional<std::string> construct(lua_State* L, const char* type, const std::string& text) {
  lua_getglobal(L, "stdint");
  lua_getfield(L, -1, type);
  lua_remove(L, -2);
  lua_pushlstring(L, text.data(), text.size());
  if (lua_pcall(L, 1, 1, 0) == 0) return std::nullopt;
  std::string message = lua_tostring(L, -1) ? lua_tostring(L, -1) : "?";
  lua_pop(L, 1);
  lua_pushnil(L);
  return message;
}

template <typename T>
T valueOf(lua_State* L, int index) {
  T value;
  std::memcpy(&value, lua_touserdata(L, index), sizeof value);
  return value;
}

// What a constructor must do with `text`: its value, or the start of its
// error message.
template <typename T>
struct Expected {
  T value = 0;
  const char* error = nullptr;
};

Expected<uint64_t> expectU64(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
  if (end == text.c_str()) return {0, "Unable to parse a number out of"};
  if (errno == ERANGE) return {0, "Number out of range for u64"};
  return {v, nullptr};
}

Expected<int64_t> expectI64(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 0);
  if (end == text.c_str()) return {0, "Unable to parse a number out of"};
  if (errno == ERANGE) return {0, "Number out of range for i64"};
  return {v, nullptr};
}

template <typename T>
void checkConstruction(const std::optional<std::string>& raised, const Expected<T>& expected, T got,
                       const std::string& text) {
  if (expected.error != nullptr) {
    check(raised.has_value() && raised->rfind(expected.error, 0) == 0,
          "the constructor did not raise as the C library reads", text);
  } else {
    check(!raised.has_value(), "the constructor raised where the C library reads a number", text);
    check(got == expected.value, "the constructor read another value than the C library", text);
  }
}

// The conversion of a number operand, as documented.
uint64_t numberAsU64(double d) {
  if (std::isnan(d) || d < -0x1p63 || d >= 0x1p64) return 0x8000000000000000ull;
  if (d < 0x1p63) return static_cast<uint64_t>(static_cast<int64_t>(d));
  return static_cast<uint64_t>(d);
}
int64_t numberAsI64(double d) {
  if (std::isnan(d) || d < -0x1p63 || d >= 0x1p63) return INT64_MIN;
  return static_cast<int64_t>(d);
}

// The first n fields of an operator result.
std::string fields(const std::string& joined, int n) {
  size_t end = 0;
  for (int i = 0; i < n && end != std::string::npos; ++i) end = joined.find('|', end + (i > 0));
  return joined.substr(0, end);
}

std::string join(const std::string (&parts)[10]) {
  std::string out = parts[0];
  for (int i = 1; i < 10; ++i) out += "|" + parts[i];
  return out;
}

std::string expectedU64Operators(uint64_t a, uint64_t b) {
  auto text = [](uint64_t v) { return std::to_string(v); };
  char hex[24];
  std::snprintf(hex, sizeof hex, "%" PRIx64, a);
  const std::string byZero = "E:division by zero";
  return join({text(a + b), text(a - b), text(a * b), b ? text(a / b) : byZero,
               b ? text(a % b) : byZero, text(0 - a), a == b ? "true" : "false",
               a < b ? "true" : "false", a <= b ? "true" : "false", hex});
}

std::string expectedI64Operators(int64_t a, int64_t b) {
  auto text = [](uint64_t bits) { return std::to_string(static_cast<int64_t>(bits)); };
  const auto ua = static_cast<uint64_t>(a);
  const auto ub = static_cast<uint64_t>(b);
  char hex[24];
  std::snprintf(hex, sizeof hex, "%" PRIx64, ua);
  std::string quotient, remainder;
  if (b == 0) {
    quotient = remainder = "E:division by zero";
  } else if (a == INT64_MIN && b == -1) {
    quotient = remainder = "E:integer overflow";
  } else {
    quotient = std::to_string(a / b);
    remainder = std::to_string(a % b);
  }
  return join({text(ua + ub), text(ua - ub), text(ua * ub), quotient, remainder, text(0 - ua),
               a == b ? "true" : "false", a < b ? "true" : "false", a <= b ? "true" : "false",
               hex});
}

// Runs the operator chunk on the two values at the top of the stack (popped).
std::string applyOperators(lua_State* L) {
  lua_getfield(L, LUA_REGISTRYINDEX, "vofuzz_operators");
  lua_insert(L, -3);
  if (lua_pcall(L, 2, 1, 0) != 0) vofuzz::fail("operator chunk failed", lua_tostring(L, -1));
  std::string result = lua_tostring(L, -1);
  lua_pop(L, 1);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lua_State* L = state();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t firstEnd = std::min(input.find('\0'), input.size());
  const std::string first(input.substr(0, firstEnd));
  const std::string_view afterFirst = input.substr(std::min(firstEnd + 1, input.size()));
  const size_t secondEnd = std::min(afterFirst.find('\0'), afterFirst.size());
  const std::string second(afterFirst.substr(0, secondEnd));
  const std::string_view tail = afterFirst.substr(std::min(secondEnd + 1, afterFirst.size()));
  double number = 0;
  if (tail.size() >= sizeof number) std::memcpy(&number, tail.data(), sizeof number);

  // u64: construct both, check, then the operators on the pair and with the number.
  const auto ua = expectU64(first), ub = expectU64(second);
  const auto ra = construct(L, "u64", first);
  const auto rb = construct(L, "u64", second);
  checkConstruction(ra, ua, ra ? 0 : valueOf<uint64_t>(L, -2), first);
  checkConstruction(rb, ub, rb ? 0 : valueOf<uint64_t>(L, -1), second);
  if (!ra && !rb) {
    lua_pushvalue(L, -2);
    lua_pushvalue(L, -2);
    check(applyOperators(L) == expectedU64Operators(ua.value, ub.value), "u64 operator result");
    lua_pushvalue(L, -2);
    lua_pushnumber(L, number);
    // Comparisons need two values of the type; with a number the six
    // arithmetic results count.
    const std::string got = applyOperators(L);
    check(fields(got, 6) == fields(expectedU64Operators(ua.value, numberAsU64(number)), 6),
          "u64 operator result with a number", got);
  }
  lua_pop(L, 2);

  const auto ia = expectI64(first), ib = expectI64(second);
  const auto qa = construct(L, "i64", first);
  const auto qb = construct(L, "i64", second);
  checkConstruction(qa, ia, qa ? 0 : valueOf<int64_t>(L, -2), first);
  checkConstruction(qb, ib, qb ? 0 : valueOf<int64_t>(L, -1), second);
  if (!qa && !qb) {
    lua_pushvalue(L, -2);
    lua_pushvalue(L, -2);
    check(applyOperators(L) == expectedI64Operators(ia.value, ib.value), "i64 operator result");
    lua_pushvalue(L, -2);
    lua_pushnumber(L, number);
    const std::string got = applyOperators(L);
    check(fields(got, 6) == fields(expectedI64Operators(ia.value, numberAsI64(number)), 6),
          "i64 operator result with a number", got);
  }
  lua_pop(L, 2);
  return 0;
}
