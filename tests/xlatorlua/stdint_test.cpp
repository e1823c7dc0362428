// stdint: u64 and i64 against exact arithmetic done here with 128-bit
// integers, on random operands for every operator; the constructors' parse
// rules; the operand rule and its messages.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "xlatorlua/stdint_module.h"
#include "xlatorlua_test_support.h"

namespace {

using xlatorluatest::ErrorOf;
using xlatorluatest::Eval;
using xlatorluatest::LuaState;

using i128 = __int128;
constexpr i128 kTwo64 = static_cast<i128>(1) << 64;

// The value of a 128-bit integer modulo 2^64.
uint64_t Wrap(i128 exact) {
  i128 r = exact % kTwo64;
  if (r < 0) r += kTwo64;
  return static_cast<uint64_t>(r);
}

std::string Hex(uint64_t v) {
  if (v == 0) return "0";
  std::string digits;
  for (; v != 0; v >>= 4) digits.insert(digits.begin(), "0123456789abcdef"[v & 0xf]);
  return digits;
}

std::string Decimal(i128 v) {
  if (v == 0) return "0";
  const bool negative = v < 0;
  std::string digits;
  for (; v != 0; v /= 10) {
    const int d = static_cast<int>(v % 10);
    digits.insert(digits.begin(), static_cast<char>('0' + (d < 0 ? -d : d)));
  }
  return negative ? "-" + digits : digits;
}

// Operands with the edges mixed in: zero, one, minus one, the extremes, powers
// of two and their neighbours, small numbers, and full random words.
std::vector<uint64_t> Operands(size_t count, uint32_t seed) {
  std::mt19937_64 random(seed);
  const uint64_t edges[] = {0,
                            1,
                            2,
                            3,
                            ~0ull,
                            ~0ull - 1,
                            0x7fffffffffffffffull,
                            0x8000000000000000ull,
                            0x8000000000000001ull,
                            0xffffffffull,
                            0x100000000ull,
                            10,
                            static_cast<uint64_t>(-2),
                            static_cast<uint64_t>(-10)};
  std::vector<uint64_t> values;
  for (size_t i = 0; i < count; ++i) {
    switch (random() % 5) {
      case 0:
        values.push_back(edges[random() % (sizeof edges / sizeof edges[0])]);
        break;
      case 1:
        values.push_back(random() % 1000);
        break;
      case 2:
        values.push_back(static_cast<uint64_t>(-static_cast<int64_t>(random() % 1000)));
        break;
      case 3: {
        const uint64_t power = 1ull << (random() % 64);
        values.push_back(power + (random() % 3) - 1);
        break;
      }
      default:
        values.push_back(random());
        break;
    }
  }
  return values;
}

// The bit pattern of a u64 or i64 value at `index`; fails the test when the
// value is not of that type.
uint64_t ValueAt(lua_State* L, int index, const char* type) {
  EXPECT_EQ(lua_type(L, index), LUA_TUSERDATA);
  if (lua_type(L, index) != LUA_TUSERDATA || !lua_getmetatable(L, index)) return 0xdeadbeef;
  luaL_getmetatable(L, type);
  const bool sameType = lua_rawequal(L, -1, -2) != 0;
  lua_pop(L, 2);
  EXPECT_TRUE(sameType) << "result is not a " << type;
  uint64_t bits = 0;
  std::memcpy(&bits, lua_touserdata(L, index), sizeof bits);
  return bits;
}

class StdintTest : public ::testing::Test {
 protected:
  lua_State* L() { return state_.get(); }

  // Calls ops[name](a, b) with two values of `type` and leaves the result or
  // the error message on the stack; returns whether the call succeeded.
  bool CallOperator(const char* type, const std::string& name, uint64_t a, uint64_t b,
                    bool numberSecond = false) {
    lua_getglobal(L(), "ops");
    lua_getfield(L(), -1, name.c_str());
    lua_remove(L(), -2);
    PushValue(type, a);
    if (numberSecond) {
      lua_pushnumber(L(), static_cast<double>(static_cast<int64_t>(b)));
    } else {
      PushValue(type, b);
    }
    return lua_pcall(L(), 2, 1, 0) == 0;
  }

  void PushValue(const char* type, uint64_t bits) {
    if (std::strcmp(type, "u64") == 0) {
      voxlatorlua::pushU64(L(), bits);
    } else {
      voxlatorlua::pushI64(L(), static_cast<int64_t>(bits));
    }
  }

  void SetUp() override {
    Eval(L(),
         "ops = {"
         " add = function(a, b) return a + b end,"
         " sub = function(a, b) return a - b end,"
         " mul = function(a, b) return a * b end,"
         " div = function(a, b) return a / b end,"
         " mod = function(a, b) return a % b end,"
         " unm = function(a, b) return -a end,"
         " eq = function(a, b) return a == b end,"
         " lt = function(a, b) return a < b end,"
         " le = function(a, b) return a <= b end,"
         " str = function(a, b) return tostring(a) end,"
         " hex = function(a, b) return a:hexstring() end }"
         " return true");
  }

  LuaState state_;
};

TEST_F(StdintTest, U64OperatorsMatchExactArithmeticOnRandomOperands) {
  const std::vector<uint64_t> as = Operands(3000, 1);
  const std::vector<uint64_t> bs = Operands(3000, 2);
  int checked = 0;
  for (size_t i = 0; i < as.size(); ++i) {
    const uint64_t a = as[i], b = bs[i];
    const i128 ea = a, eb = b;
    struct Expect {
      const char* op;
      bool error;
      uint64_t value;
    } arithmetic[] = {
        {"add", false, Wrap(ea + eb)},
        {"sub", false, Wrap(ea - eb)},
        {"mul", false,
         // The exact product needs 128 unsigned bits.
         static_cast<uint64_t>(static_cast<unsigned __int128>(a) *
                               static_cast<unsigned __int128>(b))},
        {"div", b == 0, b == 0 ? 0 : static_cast<uint64_t>(ea / eb)},
        {"mod", b == 0, b == 0 ? 0 : static_cast<uint64_t>(ea % eb)},
        {"unm", false, Wrap(-ea)},
    };
    for (const Expect& expect : arithmetic) {
      const bool ok = CallOperator("u64", expect.op, a, b);
      if (expect.error) {
        ASSERT_FALSE(ok) << expect.op << " " << a << " " << b;
        EXPECT_STREQ(lua_tostring(L(), -1), "division by zero");
      } else {
        ASSERT_TRUE(ok) << expect.op << ": " << lua_tostring(L(), -1);
        ASSERT_EQ(ValueAt(L(), -1, "u64"), expect.value) << a << " " << expect.op << " " << b;
      }
      lua_pop(L(), 1);
      ++checked;
    }
    const struct {
      const char* op;
      bool value;
    } comparisons[] = {{"eq", a == b}, {"lt", a < b}, {"le", a <= b}};
    for (const auto& expect : comparisons) {
      ASSERT_TRUE(CallOperator("u64", expect.op, a, b)) << lua_tostring(L(), -1);
      ASSERT_EQ(lua_toboolean(L(), -1) != 0, expect.value) << a << " " << expect.op << " " << b;
      lua_pop(L(), 1);
    }
    ASSERT_TRUE(CallOperator("u64", "str", a, b));
    ASSERT_EQ(std::string(lua_tostring(L(), -1)), Decimal(ea));
    lua_pop(L(), 1);
    ASSERT_TRUE(CallOperator("u64", "hex", a, b));
    ASSERT_EQ(std::string(lua_tostring(L(), -1)), Hex(a));
    lua_pop(L(), 1);
  }
  EXPECT_EQ(checked, 3000 * 6);
}

TEST_F(StdintTest, I64OperatorsMatchExactArithmeticOnRandomOperands) {
  const std::vector<uint64_t> as = Operands(3000, 3);
  const std::vector<uint64_t> bs = Operands(3000, 4);
  for (size_t i = 0; i < as.size(); ++i) {
    const int64_t a = static_cast<int64_t>(as[i]), b = static_cast<int64_t>(bs[i]);
    const i128 ea = a, eb = b;
    // The exact quotient of INT64_MIN by -1 is 2^63, which i64 cannot hold.
    const bool overflow = b == -1 && a == INT64_MIN;
    struct Expect {
      const char* op;
      const char* error;
      uint64_t value;
    } arithmetic[] = {
        {"add", nullptr, Wrap(ea + eb)},
        {"sub", nullptr, Wrap(ea - eb)},
        {"mul", nullptr, Wrap(ea * eb)},
        {"div",
         b == 0     ? "division by zero"
         : overflow ? "integer overflow"
                    : nullptr,
         b == 0 ? 0 : Wrap(ea / eb)},
        {"mod",
         b == 0     ? "division by zero"
         : overflow ? "integer overflow"
                    : nullptr,
         b == 0 ? 0 : Wrap(ea % eb)},
        {"unm", nullptr, Wrap(-ea)},
    };
    for (const Expect& expect : arithmetic) {
      const bool ok = CallOperator("i64", expect.op, as[i], bs[i]);
      if (expect.error != nullptr) {
        ASSERT_FALSE(ok) << expect.op << " " << a << " " << b;
        EXPECT_STREQ(lua_tostring(L(), -1), expect.error);
      } else {
        ASSERT_TRUE(ok) << expect.op << ": " << lua_tostring(L(), -1);
        ASSERT_EQ(ValueAt(L(), -1, "i64"), expect.value) << a << " " << expect.op << " " << b;
      }
      lua_pop(L(), 1);
    }
    const struct {
      const char* op;
      bool value;
    } comparisons[] = {{"eq", a == b}, {"lt", a < b}, {"le", a <= b}};
    for (const auto& expect : comparisons) {
      ASSERT_TRUE(CallOperator("i64", expect.op, as[i], bs[i])) << lua_tostring(L(), -1);
      ASSERT_EQ(lua_toboolean(L(), -1) != 0, expect.value) << a << " " << expect.op << " " << b;
      lua_pop(L(), 1);
    }
    ASSERT_TRUE(CallOperator("i64", "str", as[i], bs[i]));
    ASSERT_EQ(std::string(lua_tostring(L(), -1)), Decimal(ea));
    lua_pop(L(), 1);
    ASSERT_TRUE(CallOperator("i64", "hex", as[i], bs[i]));
    ASSERT_EQ(std::string(lua_tostring(L(), -1)), Hex(as[i]));
    lua_pop(L(), 1);
  }
}

// A number operand on either side is converted like the constructor does:
// integers of up to 53 bits are exact.
TEST_F(StdintTest, NumberOperandsOnEitherSide) {
  std::mt19937_64 random(5);
  for (int i = 0; i < 2000; ++i) {
    const int64_t n = static_cast<int64_t>(random() % (1ull << 53)) - (1ll << 52);
    const int64_t a = static_cast<int64_t>(random());
    ASSERT_TRUE(CallOperator("i64", "sub", static_cast<uint64_t>(a), static_cast<uint64_t>(n),
                             /*numberSecond=*/true));
    ASSERT_EQ(ValueAt(L(), -1, "i64"), Wrap(static_cast<i128>(a) - n));
    lua_pop(L(), 1);
    ASSERT_TRUE(CallOperator("u64", "mul", static_cast<uint64_t>(a), static_cast<uint64_t>(n),
                             /*numberSecond=*/true));
    ASSERT_EQ(ValueAt(L(), -1, "u64"), Wrap(static_cast<i128>(static_cast<uint64_t>(a)) * n));
    lua_pop(L(), 1);
  }
  // Number first: 1 - u64(5) wraps; 7 / i64(-2) truncates toward zero.
  EXPECT_EQ(Eval(L(), "return tostring(1 - stdint.u64(5))"), "18446744073709551612");
  EXPECT_EQ(Eval(L(), "return tostring(7 / stdint.i64(-2))"), "-3");
  EXPECT_EQ(Eval(L(), "return tostring(-7 % stdint.i64(2))"), "-1");
}

TEST_F(StdintTest, EdgeCasesOfTheArithmetic) {
  EXPECT_EQ(Eval(L(), "return tostring(stdint.u64('18446744073709551615') + 1)"), "0");
  EXPECT_EQ(Eval(L(), "return stdint.u64('18446744073709551615'):hexstring()"), "ffffffffffffffff");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64(-5) % 3)"), "-2");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64(-5) / 2)"), "-2");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.u64(2^63))"), "9223372036854775808");
  EXPECT_EQ(Eval(L(), "return stdint.i64(-1):hexstring()"), "ffffffffffffffff");
  EXPECT_EQ(Eval(L(), "return tostring(-stdint.u64(0))"), "0");
  EXPECT_EQ(Eval(L(), "return tostring(-stdint.i64('-9223372036854775808'))"),
            "-9223372036854775808");
  EXPECT_EQ(ErrorOf(L(), "return stdint.i64('-9223372036854775808') / -1"), "integer overflow");
  EXPECT_EQ(ErrorOf(L(), "return stdint.i64('-9223372036854775808') % -1"), "integer overflow");
  EXPECT_EQ(ErrorOf(L(), "return stdint.u64(5) % 0"), "division by zero");
  EXPECT_EQ(ErrorOf(L(), "return stdint.i64(5) / stdint.i64(0)"), "division by zero");
}

TEST_F(StdintTest, ConstructorsFromNumbers) {
  EXPECT_EQ(Eval(L(), "return tostring(stdint.u64(-1))"), "18446744073709551615");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.u64(3.99))"), "3");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.u64(-3.99))"), "18446744073709551613");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.u64(2^64 - 2048))"), "18446744073709549568");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64(-3.99))"), "-3");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64(-2^63))"), "-9223372036854775808");
  // Outside the range, and NaN: 0x8000000000000000.
  EXPECT_EQ(Eval(L(), "return stdint.u64(2^64):hexstring()"), "8000000000000000");
  EXPECT_EQ(Eval(L(), "return stdint.u64(-2^64):hexstring()"), "8000000000000000");
  EXPECT_EQ(Eval(L(), "return stdint.u64(0/0):hexstring()"), "8000000000000000");
  EXPECT_EQ(Eval(L(), "return stdint.i64(2^63):hexstring()"), "8000000000000000");
  EXPECT_EQ(Eval(L(), "return stdint.i64(1/0):hexstring()"), "8000000000000000");
  EXPECT_EQ(Eval(L(), "return stdint.i64(0/0):hexstring()"), "8000000000000000");
  // No argument, or more than one: 0.
  EXPECT_EQ(Eval(L(), "return tostring(stdint.u64())"), "0");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.u64(1, 2))"), "0");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64(7, 8))"), "0");
}

TEST_F(StdintTest, ConstructorsFromStrings) {
  EXPECT_EQ(Eval(L(), "return tostring(stdint.u64('12abc'))"), "12");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.u64('  +42'))"), "42");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.u64('-1'))"), "18446744073709551615");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.u64('0x1F'))"), "0");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64('0x1F'))"), "31");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64('0x10'))"), "16");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64('010'))"), "8");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64('-0x10'))"), "-16");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64('0x'))"), "0");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64('09'))"), "0");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64(' -9223372036854775808'))"),
            "-9223372036854775808");
  EXPECT_EQ(Eval(L(), "return tostring(stdint.i64('9223372036854775807'))"), "9223372036854775807");

  EXPECT_EQ(ErrorOf(L(), "return stdint.u64('abc')"), "Unable to parse a number out of \"abc\"");
  EXPECT_EQ(ErrorOf(L(), "return stdint.i64('-')"), "Unable to parse a number out of \"-\"");
  EXPECT_EQ(ErrorOf(L(), "return stdint.u64('')"), "Unable to parse a number out of \"\"");
  // Digits beyond the range are refused rather than saturated or wrapped.
  EXPECT_EQ(ErrorOf(L(), "return stdint.u64('18446744073709551616')"),
            "Number out of range for u64 in \"18446744073709551616\"");
  EXPECT_EQ(ErrorOf(L(), "return stdint.i64('9223372036854775808')"),
            "Number out of range for i64 in \"9223372036854775808\"");
  EXPECT_EQ(ErrorOf(L(), "return stdint.i64('0x8000000000000000')"),
            "Number out of range for i64 in \"0x8000000000000000\"");

  EXPECT_EQ(ErrorOf(L(), "return stdint.u64({})"),
            "u64 constructor arg must be a number or a string");
  EXPECT_EQ(ErrorOf(L(), "return stdint.i64(true)"),
            "i64 constructor arg must be a number or a string");
}

TEST_F(StdintTest, OperandRuleAndMessages) {
  EXPECT_EQ(ErrorOf(L(), "return stdint.u64(1) + '1'"), "Can't get a u64 from argument");
  EXPECT_EQ(ErrorOf(L(), "return '1' + stdint.u64(1)"), "Can't get a u64 from argument");
  EXPECT_EQ(ErrorOf(L(), "return stdint.i64(1) * {}"), "Can't get a i64 from argument");
  EXPECT_EQ(ErrorOf(L(), "return stdint.u64(1) + stdint.i64(1)"),
            "test:1: bad argument #2 to '?' (u64 expected, got userdata)");
  EXPECT_EQ(ErrorOf(L(), "return stdint.i64(1) - stdint.u64(1)"),
            "test:1: bad argument #2 to '?' (i64 expected, got userdata)");
  // The second operand is examined first: with both wrong, its error wins.
  EXPECT_EQ(ErrorOf(L(), "return getmetatable(stdint.u64(1)).__add(nil, stdint.i64(1))"),
            "test:1: bad argument #2 to '__add' (u64 expected, got userdata)");
  EXPECT_EQ(ErrorOf(L(), "return getmetatable(stdint.u64(1)).__add(stdint.i64(1), nil)"),
            "Can't get a u64 from argument");
  // (The interpreter's argument errors carry the caller's position, the
  // module's own messages none.)
  // Comparisons follow the interpreter: == across types is false without a
  // call, < with a number raises the comparison error.
  EXPECT_EQ(Eval(L(), "return stdint.u64(5) == 5"), "false");
  EXPECT_EQ(Eval(L(), "return stdint.u64(5) == stdint.i64(5)"), "false");
  EXPECT_EQ(Eval(L(), "return stdint.u64(5) == stdint.u64(5)"), "true");
  EXPECT_EQ(ErrorOf(L(), "return stdint.u64(5) < 5"),
            "test:1: attempt to compare userdata with number");
  EXPECT_EQ(ErrorOf(L(), "return stdint.u64(5) < stdint.i64(6)"),
            "test:1: attempt to compare two userdata values");
  // tostring and hexstring accept only their own type.
  EXPECT_EQ(ErrorOf(L(), "return stdint.u64(1).hexstring(stdint.i64(1))"),
            "test:1: bad argument #1 to 'hexstring' (u64 expected, got userdata)");
}

TEST_F(StdintTest, ModuleAndMetatables) {
  EXPECT_EQ(Eval(L(), "return require('stdint') == stdint"), "true");
  EXPECT_EQ(Eval(L(), "return getmetatable(stdint.u64(1)) == debug.getregistry().u64"), "true");
  EXPECT_EQ(Eval(L(), "return getmetatable(stdint.i64(1)) == debug.getregistry().i64"), "true");
  EXPECT_EQ(Eval(L(), "return getmetatable(stdint.i64(1)).__le"), "nil");
  // Opening again keeps metatables that exist.
  Eval(L(), "debug.getregistry().u64.marker = 1 return true");
  lua_pushcfunction(L(), voxlatorlua::openStdint);
  lua_pushstring(L(), "stdint");
  ASSERT_EQ(lua_pcall(L(), 1, 0, 0), 0);
  EXPECT_EQ(Eval(L(), "return getmetatable(stdint.u64(1)).marker"), "1");
  // Values are immutable: an operation makes a new value.
  EXPECT_EQ(Eval(L(), "local a = stdint.u64(1) local b = a + 1 return tostring(a) .. tostring(b)"),
            "12");
}

}  // namespace
