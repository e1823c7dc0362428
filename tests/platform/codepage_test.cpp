// Code pages 1252, 932, 949, 936 and 65001 to and from UTF-16.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/textconv.h"

namespace voplat {
namespace {

std::string bytes(std::initializer_list<unsigned> values) {
  std::string s;
  for (unsigned v : values) s.push_back(static_cast<char>(v));
  return s;
}

struct Sample {
  uint32_t codePage;
  std::u16string text;
  std::string encoded;
};

// A few characters of each language, spelled in its code page.
const Sample kSamples[] = {
    {1252, u"caf\u00E9 \u20AC5 \u0178\u0152",
     bytes({'c', 'a', 'f', 0xE9, ' ', 0x80, '5', ' ', 0x9F, 0x8C})},
    // あア漢字 and the half-width katakana ｱ
    {932, u"\u3042\u30A2\u6F22\u5B57\uFF71",
     bytes({0x82, 0xA0, 0x83, 0x41, 0x8A, 0xBF, 0x8E, 0x9A, 0xB1})},
    // 한글가, and 갂 from the extended Hangul rows
    {949, u"\uD55C\uAE00\uAC00 \uAC02",
     bytes({0xC7, 0xD1, 0xB1, 0xDB, 0xB0, 0xA1, ' ', 0x81, 0x41})},
    // 中文 and the euro sign at 0x80
    {936, u"\u4E2D\u6587\u20AC", bytes({0xD6, 0xD0, 0xCE, 0xC4, 0x80})},
    {65001, u"\u00E9\u4E2D\U0001F600",
     bytes({0xC3, 0xA9, 0xE4, 0xB8, 0xAD, 0xF0, 0x9F, 0x98, 0x80})},
};

TEST(CodePage, SamplesConvertBothWays) {
  for (const Sample& s : kSamples) {
    SCOPED_TRACE(s.codePage);
    std::u16string decoded;
    ASSERT_EQ(codePageToUtf16(s.codePage, s.encoded, decoded), ConvResult::ok);
    EXPECT_EQ(decoded, s.text);

    std::string encoded;
    bool substituted = true;
    ASSERT_EQ(utf16ToCodePage(s.codePage, s.text, encoded, &substituted), ConvResult::ok);
    EXPECT_EQ(encoded, s.encoded);
    EXPECT_FALSE(substituted);

    // Mixed with ASCII, which every code page keeps as it is.
    ASSERT_EQ(codePageToUtf16(s.codePage, "<" + s.encoded + ">\\~", decoded), ConvResult::ok);
    EXPECT_EQ(decoded, u"<" + s.text + u">\\~");
  }
}

TEST(CodePage, AsciiAndEmptyTextPassUnchanged) {
  for (uint32_t cp : {1252u, 932u, 949u, 936u, 65001u}) {
    std::u16string decoded = u"stale";
    ASSERT_EQ(codePageToUtf16(cp, "", decoded), ConvResult::ok);
    EXPECT_TRUE(decoded.empty());
    ASSERT_EQ(codePageToUtf16(cp, "Path\\x ~ 0x7F\x7F", decoded), ConvResult::ok);
    EXPECT_EQ(decoded, u"Path\\x ~ 0x7F\x7F");
    std::string encoded;
    bool substituted = true;
    ASSERT_EQ(utf16ToCodePage(cp, u"Path\\x ~", encoded, &substituted), ConvResult::ok);
    EXPECT_EQ(encoded, "Path\\x ~");
    EXPECT_FALSE(substituted);
  }
}

TEST(CodePage1252, EveryByteDecodesAndEncodesBack) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::u16string decoded;
  ASSERT_EQ(codePageToUtf16(1252, all, decoded), ConvResult::ok);
  ASSERT_EQ(decoded.size(), 256u);
  // The bytes 1252 leaves unassigned stand for the C1 controls of that value.
  for (unsigned b : {0x81u, 0x8Du, 0x8Fu, 0x90u, 0x9Du}) EXPECT_EQ(decoded[b], b);
  EXPECT_EQ(decoded[0x80], 0x20AC);
  EXPECT_EQ(decoded[0x85], 0x2026);
  EXPECT_EQ(decoded[0x99], 0x2122);
  for (unsigned b = 0xA0; b < 0x100; ++b) EXPECT_EQ(decoded[b], b);
  std::string encoded;
  bool substituted = true;
  ASSERT_EQ(utf16ToCodePage(1252, decoded, encoded, &substituted), ConvResult::ok);
  EXPECT_EQ(encoded, all);
  EXPECT_FALSE(substituted);
}

TEST(CodePage932, HasTheSingleBytesOfTheOriginalTable) {
#ifdef _WIN32
  // wine's table for 932 lacks these five bytes; Windows' has them.
  if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr) {
    GTEST_SKIP() << "wine's code page 932 lacks 0x80, 0xA0 and 0xFD to 0xFF";
  }
#endif
  // 0x80, 0xA0 and 0xFD to 0xFF, which glibc's table lacks.
  const std::string single = bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF});
  const std::u16string units = u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3";
  std::u16string decoded;
  ASSERT_EQ(codePageToUtf16(932, single, decoded), ConvResult::ok);
  EXPECT_EQ(decoded, units);
  std::string encoded;
  bool substituted = true;
  ASSERT_EQ(utf16ToCodePage(932, units, encoded, &substituted), ConvResult::ok);
  EXPECT_EQ(encoded, single);
  EXPECT_FALSE(substituted);

  // Among other characters; 0x80 and 0xA0 after a lead byte are the second
  // bytes of other characters (0x81 0x80 is U+00F7, 0x82 0xA0 U+3042).
  const std::string mixed = bytes({'a', 0x81, 0x80, 0x80, 0x82, 0xA0, 0xA0, 0xB1, 0xFF, 'z'});
  const std::u16string text = u"a\u00F7\u0080\u3042\uF8F0\uFF71\uF8F3z";
  ASSERT_EQ(codePageToUtf16(932, mixed, decoded), ConvResult::ok);
  EXPECT_EQ(decoded, text);
  ASSERT_EQ(utf16ToCodePage(932, text, encoded, &substituted), ConvResult::ok);
  EXPECT_EQ(encoded, mixed);
  EXPECT_FALSE(substituted);

  // Only 932 has them.
  EXPECT_EQ(utf16ToCodePage(936, u"\uF8F1", encoded, &substituted), ConvResult::ok);
  EXPECT_EQ(encoded, "?");
}

TEST(CodePage, InvalidSequencesFailToDecode) {
  const std::pair<uint32_t, std::string> cases[] = {
      {932, bytes({0x82})},  // lead byte at the end
      {932, bytes({0x82, 0xA0, 0x82})},
      {932, bytes({0x82, 0x20})},            // trail byte out of range
      {932, bytes({'a', 0x85, 0x40, 'b'})},  // unassigned double byte
      {932, bytes({0x80, 0x82})},            // lead byte at the end after a 0x80
      {932, bytes({0xFF, 0x82, 0x20, 0xFD})},
      {949, bytes({0xB0})},
      {949, bytes({0xB0, 0x20})},
      {949, bytes({0xFF, 0xFF})},
      {936, bytes({0xD6})},
      {936, bytes({0xD6, 0x20})},
      {936, bytes({0xFF})},
      {65001, bytes({0xC3})},
      {65001, bytes({0xED, 0xA0, 0x80})},
  };
  for (const auto& [cp, in] : cases) {
    std::u16string out = u"stale";
    EXPECT_EQ(codePageToUtf16(cp, in, out), ConvResult::invalidInput)
        << cp << " " << testing::PrintToString(in);
    EXPECT_TRUE(out.empty());
  }
}

TEST(CodePage, MissingCharactersBecomeQuestionMarks) {
  const std::u16string hiragana = u"\u3042";
  const std::u16string hangul = u"\uAC00";
  const std::u16string thai = u"\u0E01";
  const std::u16string emoji = u"\U0001F600";
  const struct {
    uint32_t codePage;
    std::u16string text;
    std::string expected;
  } cases[] = {
      {1252, u"a" + hiragana + u"b", "a?b"},
      {1252, u"\u0080", "?"},              // 0x80 is the euro sign, not U+0080
      {1252, u"x" + emoji + u"y", "x?y"},  // one character, one '?'
      {932, hiragana + hangul + u"\u3044", bytes({0x82, 0xA0, '?', 0x82, 0xA2})},
      {932, emoji, "?"},
      {949, thai + hangul, bytes({'?', 0xB0, 0xA1})},
      {936, hangul + u"\u4E2D", bytes({'?', 0xD6, 0xD0})},
  };
  for (const auto& c : cases) {
    std::string out;
    bool substituted = false;
    ASSERT_EQ(utf16ToCodePage(c.codePage, c.text, out, &substituted), ConvResult::ok);
    EXPECT_EQ(out, c.expected) << c.codePage;
    EXPECT_TRUE(substituted) << c.codePage;
    // The flag pointer is optional.
    std::string again;
    EXPECT_EQ(utf16ToCodePage(c.codePage, c.text, again), ConvResult::ok);
    EXPECT_EQ(again, c.expected);
  }
}

TEST(CodePage, LookAlikesAreNotSubstituted) {
  // U+00A5 YEN SIGN has no code of its own in 932; writing it as 0x5C would
  // change its meaning, so it becomes '?'.
  std::string out;
  bool substituted = false;
  ASSERT_EQ(utf16ToCodePage(932, u"\u00A5 \u3042", out, &substituted), ConvResult::ok);
  EXPECT_EQ(out, bytes({'?', ' ', 0x82, 0xA0}));
  EXPECT_TRUE(substituted);
}

TEST(CodePage, UnpairedSurrogatesBecomeQuestionMarks) {
  for (uint32_t cp : {1252u, 932u, 949u, 936u, 65001u}) {
    std::string out;
    bool substituted = false;
    const std::u16string text = {u'a', 0xD800, u'b', 0xDC00};
    ASSERT_EQ(utf16ToCodePage(cp, text, out, &substituted), ConvResult::ok) << cp;
    EXPECT_EQ(out, "a?b?") << cp;
    EXPECT_TRUE(substituted) << cp;
  }
}

TEST(CodePage, UnknownCodePagesAreUnsupported) {
  for (uint32_t cp : {0u, 437u, 1251u, 20127u, 65000u}) {
    std::u16string decoded = u"stale";
    EXPECT_EQ(codePageToUtf16(cp, "abc", decoded), ConvResult::unsupported) << cp;
    EXPECT_TRUE(decoded.empty());
    std::string encoded = "stale";
    bool substituted = true;
    EXPECT_EQ(utf16ToCodePage(cp, u"abc", encoded, &substituted), ConvResult::unsupported) << cp;
    EXPECT_TRUE(encoded.empty());
    EXPECT_FALSE(substituted);
  }
}

TEST(CodePage, ConcurrentConversionsDoNotInterfere) {
  constexpr int kThreads = 8;
  constexpr int kRounds = 300;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < kRounds; ++i) {
        const Sample& s = kSamples[(t + i) % std::size(kSamples)];
        // Substitution exercises the character-by-character path as well.
        const std::u16string text = s.text + u"\u0E01" + s.text;
        std::string encoded;
        bool substituted = false;
        std::u16string decoded;
        if (utf16ToCodePage(s.codePage, text, encoded, &substituted) != ConvResult::ok ||
            encoded != s.encoded + (s.codePage == 65001 ? "\xE0\xB8\x81" : "?") + s.encoded ||
            substituted != (s.codePage != 65001) ||
            codePageToUtf16(s.codePage, s.encoded, decoded) != ConvResult::ok ||
            decoded != s.text) {
          ++failures;
        }
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace voplat
