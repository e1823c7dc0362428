// scanInteger against the C library's sscanf(text, "%i", &value) where that
// library is the reference (glibc): return value and stored number agree on
// every text built from the characters that matter to the conversion, and on
// numbers at and past the limits. Elsewhere the cases below pin the
// reference's results.
#include "xlator/scan_integer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

struct Scan {
  int result;
  int value;
  bool operator==(const Scan&) const = default;
};

constexpr int kUntouched = 0x5A5A5A5A;

Scan Library(const std::string& text) {
  int value = kUntouched;
  const int result = std::sscanf(text.c_str(), "%i", &value);
  return {result, value};
}

Scan Ours(std::string_view text) {
  int value = kUntouched;
  const int result = voxlator::scanInteger(text, value);
  return {result, value};
}

#if defined(__GLIBC__)
constexpr bool kLibraryIsTheReference = true;
#else
constexpr bool kLibraryIsTheReference = false;
#endif

void ExpectSame(const std::string& text) {
  const Scan expected = Library(text);
  const Scan actual = Ours(text);
  ASSERT_EQ(actual.result, expected.result) << '"' << text << '"';
  ASSERT_EQ(actual.value, expected.value) << '"' << text << '"';
}

TEST(ScanInteger, AgreesWithSscanfOnEveryShortText) {
  if (!kLibraryIsTheReference) GTEST_SKIP() << "sscanf here is not the reference";
  // Blanks, signs, base prefixes, digits valid in some bases only, and
  // characters that end a number.
  const std::string alphabet = " \t\n\v+-01789xXaAfFgG\">";
  int results[3] = {};  // -1, 0, 1
  std::string text;
  for (size_t length = 0; length <= 5; ++length) {
    std::vector<size_t> index(length, 0);
    for (;;) {
      text.clear();
      for (size_t i : index) text += alphabet[i];
      ExpectSame(text);
      ++results[Ours(text).result + 1];
      size_t k = 0;
      while (k < length && ++index[k] == alphabet.size()) index[k++] = 0;
      if (k == length) break;
    }
  }
  // Every outcome is reached many times.
  EXPECT_GT(results[0], 100);
  EXPECT_GT(results[1], 100000);
  EXPECT_GT(results[2], 100000);
}

TEST(ScanInteger, ResultsOfTheReference) {
  EXPECT_EQ(Ours(""), (Scan{-1, kUntouched}));
  EXPECT_EQ(Ours(" \t\n\v\f\r"), (Scan{-1, kUntouched}));
  EXPECT_EQ(Ours("+"), (Scan{0, kUntouched}));
  EXPECT_EQ(Ours("-x1"), (Scan{0, kUntouched}));
  EXPECT_EQ(Ours(" -42\">"), (Scan{1, -42}));
  EXPECT_EQ(Ours("0x"), (Scan{1, 0}));  // the '0' alone is the number
  EXPECT_EQ(Ours("0xg"), (Scan{1, 0}));
  EXPECT_EQ(Ours("-0X1f"), (Scan{1, -31}));
  EXPECT_EQ(Ours("0178"), (Scan{1, 15}));
  EXPECT_EQ(Ours("09"), (Scan{1, 0}));
  // Past int: the low 32 bits of the long; past long: its limit.
  EXPECT_EQ(Ours("2147483648"), (Scan{1, INT_MIN}));
  EXPECT_EQ(Ours("0x1ffffffff"), (Scan{1, -1}));
  EXPECT_EQ(Ours("9223372036854775808"), (Scan{1, -1}));
  EXPECT_EQ(Ours("-9223372036854775809"), (Scan{1, 0}));
}

TEST(ScanInteger, TheTextEndsAtItsFirstNul) {
  EXPECT_EQ(Ours(std::string_view("12\0"
                                  "34",
                                  5)),
            (Scan{1, 12}));
  EXPECT_EQ(Ours(std::string_view(" \0"
                                  "34",
                                  4)),
            (Scan{-1, kUntouched}));
  EXPECT_EQ(Ours(std::string_view("-\0"
                                  "34",
                                  4)),
            (Scan{0, kUntouched}));
  // The view's end is the end, whatever lies behind it.
  EXPECT_EQ(Ours(std::string_view("0x1f", 3)), (Scan{1, 1}));
  EXPECT_EQ(Ours(std::string_view("0x1f", 2)), (Scan{1, 0}));
}

TEST(ScanInteger, AgreesWithSscanfAtAndPastTheLimits) {
  if (!kLibraryIsTheReference) GTEST_SKIP() << "sscanf here is not the reference";
  const char* numbers[] = {"2147483647",
                           "2147483648",
                           "-2147483648",
                           "-2147483649",
                           "4294967295",
                           "4294967296",
                           "4294967297",
                           "0x7fffffff",
                           "0x80000000",
                           "0xffffffff",
                           "0x100000000",
                           "-0x80000000",
                           "-0xffffffff",
                           "017777777777",
                           "020000000000",
                           "037777777777",
                           "9223372036854775807",
                           "9223372036854775808",
                           "-9223372036854775808",
                           "-9223372036854775809",
                           "0x7fffffffffffffff",
                           "0x8000000000000000",
                           "-0x8000000000000000",
                           "0xffffffffffffffff",
                           "0x10000000000000000",
                           "0777777777777777777777",
                           "01000000000000000000000",
                           "-01000000000000000000000",
                           "18446744073709551615",
                           "18446744073709551616",
                           "99999999999999999999999999999999",
                           "-99999999999999999999999999999999",
                           "000000000000000000000000000000012",
                           "0x00000000000000000000000000000ab"};
  for (const char* number : numbers) ExpectSame(number);
}

TEST(ScanInteger, AgreesWithSscanfOnRandomLongNumbers) {
  if (!kLibraryIsTheReference) GTEST_SKIP() << "sscanf here is not the reference";
  std::mt19937 rng(8086);
  const std::string prefixes[] = {"", " ", "+", "-", "0", "0x", "-0x", "+0X", " -0"};
  const std::string digits = "0123456789abcdefABCDEFxg";
  std::uniform_int_distribution<size_t> prefix(0, std::size(prefixes) - 1);
  std::uniform_int_distribution<size_t> digit(0, digits.size() - 1);
  std::uniform_int_distribution<size_t> length(0, 30);
  for (int i = 0; i < 100000; ++i) {
    std::string text = prefixes[prefix(rng)];
    for (size_t n = length(rng); n > 0; --n) text += digits[digit(rng)];
    ExpectSame(text);
  }
}

}  // namespace
