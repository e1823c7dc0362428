// Conversions of names and paths between UTF-8 and UTF-16, which take text
// from the system as it comes and never fail.
#include "sysq/wide_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vosysq::toUtf16;
using vosysq::toUtf8;

TEST(WideText, WellFormedTextRoundTrips) {
  const std::string samples[] = {
      "",
      "C:\\Corvane\\Shared",
      "Donn\xC3\xA9"
      "es",                                    // two-byte sequence
      "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",  // three-byte sequences
      "\xF0\x9F\x98\x80 smile",                // four-byte sequence
      std::string("nul\0inside", 10),
  };
  for (const std::string& s : samples) {
    EXPECT_EQ(toUtf8(toUtf16(s)), s) << s;
  }
  EXPECT_EQ(toUtf16("\xF0\x9F\x98\x80"), std::u16string(u"\xD83D\xDE00"));
  EXPECT_EQ(toUtf16("\xC3\xA9"), u"\u00e9");
}

TEST(WideText, BrokenUtf8BecomesReplacementCharacters) {
  // A stray continuation byte, a sequence cut short by an ASCII byte, a lead
  // byte that starts nothing, and a sequence cut off at the end.
  EXPECT_EQ(toUtf16("a\x80"
                    "b"),
            u"a\uFFFDb");
  EXPECT_EQ(toUtf16("\xC3"
                    "A"),
            u"\uFFFDA");
  EXPECT_EQ(toUtf16("\xF8x"), u"\uFFFDx");
  EXPECT_EQ(toUtf16("ok\xE6\x97"), u"ok\uFFFD\uFFFD");
  // Beyond U+10FFFF.
  EXPECT_EQ(toUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(WideText, UnpairedSurrogatesDoNotDamageTheirNeighbours) {
  // A high surrogate followed by an ordinary unit: the unit survives.
  EXPECT_EQ(toUtf8(std::u16string(u"\xD800"
                                  "A")),
            "\xEF\xBF\xBD"
            "A");
  // A lone low surrogate, and a high surrogate at the very end.
  EXPECT_EQ(toUtf8(std::u16string(u"x\xDC00y")), "x\xEF\xBF\xBDy");
  EXPECT_EQ(toUtf8(std::u16string(u"end\xDBFF")), "end\xEF\xBF\xBD");
  // Two high surrogates and then a low one: the second pair is combined.
  EXPECT_EQ(toUtf8(std::u16string(u"\xD83D\xD83D\xDE00")), "\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

}  // namespace
