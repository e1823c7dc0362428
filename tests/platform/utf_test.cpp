// UTF-8 <-> UTF-16: round trips, boundaries and everything that must be refused.
#include <gtest/gtest.h>

#include <string>

#include "platform/textconv.h"

namespace voplat {
namespace {

std::string bytes(std::initializer_list<unsigned> values) {
  std::string s;
  for (unsigned v : values) s.push_back(static_cast<char>(v));
  return s;
}

TEST(Utf8ToUtf16, ConvertsEachSequenceLength) {
  std::u16string out;
  ASSERT_EQ(utf8ToUtf16("A", out), ConvResult::ok);
  EXPECT_EQ(out, u"A");
  ASSERT_EQ(utf8ToUtf16(bytes({0xC3, 0xA9}), out), ConvResult::ok);
  EXPECT_EQ(out, u"\u00E9");
  ASSERT_EQ(utf8ToUtf16(bytes({0xE2, 0x82, 0xAC}), out), ConvResult::ok);
  EXPECT_EQ(out, u"\u20AC");
  ASSERT_EQ(utf8ToUtf16(bytes({0xF0, 0x9F, 0x98, 0x80}), out), ConvResult::ok);
  EXPECT_EQ(out, std::u16string({0xD83D, 0xDE00}));
  ASSERT_EQ(utf8ToUtf16(std::string("a\0b", 3), out), ConvResult::ok);
  EXPECT_EQ(out, std::u16string(u"a\0b", 3));
  ASSERT_EQ(utf8ToUtf16("", out), ConvResult::ok);
  EXPECT_TRUE(out.empty());
}

TEST(Utf8ToUtf16, AcceptsTheBoundaryCodePoints) {
  const std::pair<std::string, std::u16string> cases[] = {
      {bytes({0x7F}), {0x7F}},
      {bytes({0xC2, 0x80}), {0x80}},
      {bytes({0xDF, 0xBF}), {0x7FF}},
      {bytes({0xE0, 0xA0, 0x80}), {0x800}},
      {bytes({0xED, 0x9F, 0xBF}), {0xD7FF}},
      {bytes({0xEE, 0x80, 0x80}), {0xE000}},
      {bytes({0xEF, 0xBF, 0xBF}), {0xFFFF}},
      {bytes({0xF0, 0x90, 0x80, 0x80}), {0xD800, 0xDC00}},
      {bytes({0xF4, 0x8F, 0xBF, 0xBF}), {0xDBFF, 0xDFFF}},
  };
  for (const auto& [utf8, utf16] : cases) {
    std::u16string out;
    EXPECT_EQ(utf8ToUtf16(utf8, out), ConvResult::ok);
    EXPECT_EQ(out, utf16);
    std::string back;
    EXPECT_EQ(utf16ToUtf8(utf16, back), ConvResult::ok);
    EXPECT_EQ(back, utf8);
  }
}

TEST(Utf8ToUtf16, RejectsMalformedInput) {
  const std::string cases[] = {
      bytes({0xC0, 0x80}),                          // overlong NUL
      bytes({0xC1, 0xBF}),                          // overlong 0x7F
      bytes({0xE0, 0x80, 0x80}),                    // overlong in three bytes
      bytes({0xE0, 0x9F, 0xBF}),                    // overlong 0x7FF
      bytes({0xF0, 0x80, 0x80, 0x80}),              // overlong in four bytes
      bytes({0xF0, 0x8F, 0xBF, 0xBF}),              // overlong 0xFFFF
      bytes({0xED, 0xA0, 0x80}),                    // high surrogate
      bytes({0xED, 0xBF, 0xBF}),                    // low surrogate
      bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}),  // surrogate pair spelled out
      bytes({0xF4, 0x90, 0x80, 0x80}),              // above U+10FFFF
      bytes({0xF5, 0x80, 0x80, 0x80}),              // lead byte never valid
      bytes({0xFF}),
      bytes({0x80}),  // stray continuation
      bytes({0x41, 0xBF, 0x42}),
      bytes({0xC3}),  // truncated
      bytes({0xE2, 0x82}),
      bytes({0xF0, 0x9F, 0x98}),
      bytes({0xC3, 0x41}),  // continuation missing
      bytes({0xE2, 0x41, 0xAC}),
      bytes({0xF0, 0x9F, 0x98, 0x41}),
  };
  for (const std::string& in : cases) {
    std::u16string out = u"stale";
    EXPECT_EQ(utf8ToUtf16("ok" + in + "ok", out), ConvResult::invalidInput)
        << testing::PrintToString(in);
    EXPECT_TRUE(out.empty());
  }
}

TEST(Utf16ToUtf8, RejectsUnpairedSurrogates) {
  const std::u16string cases[] = {
      {0xD800},       {u'a', 0xD83D},   {0xD83D, u'a'},           {0xDC00},
      {u'a', 0xDE00}, {0xDE00, 0xD83D}, {0xD83D, 0xD83D, 0xDE00},
  };
  for (const std::u16string& in : cases) {
    std::string out = "stale";
    EXPECT_EQ(utf16ToUtf8(in, out), ConvResult::invalidInput);
    EXPECT_TRUE(out.empty());
  }
}

TEST(Utf16ToUtf8, EveryScalarValueRoundTrips) {
  std::u16string all;
  size_t expectedBytes = 0;
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    if (cp < 0x10000) {
      all.push_back(static_cast<char16_t>(cp));
    } else {
      all.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      all.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
    expectedBytes += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  }
  std::string utf8;
  ASSERT_EQ(utf16ToUtf8(all, utf8), ConvResult::ok);
  EXPECT_EQ(utf8.size(), expectedBytes);
  std::u16string back;
  ASSERT_EQ(utf8ToUtf16(utf8, back), ConvResult::ok);
  EXPECT_EQ(back, all);
}

}  // namespace
}  // namespace voplat
