// Tests of the channel-list parser: the token forms and their failures, the
// number conversion's C-library corner cases, the token-length limit, and a
// differential run against a reference built directly on sscanf.
#include "api/channel_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace voapi {
namespace {

constexpr uint32_t kNoAttribute = 0;
constexpr uint32_t kAttrEdgeChannel = 0x10000008;
constexpr uint32_t kAttrEdgeLevel = 0x20000002;
constexpr uint32_t kAttrEdgeHysteresis = 0x20000003;

struct Parsed {
  int32_t status;
  std::vector<std::string> names;
};

Parsed Parse(const char* text, uint32_t attributeId = kNoAttribute) {
  ChannelNameList list;
  Parsed result{ParseChannelList(text, attributeId, list), {}};
  for (const char* name : list) result.names.emplace_back(name);
  return result;
}

std::vector<std::string> Names(std::initializer_list<const char*> names) {
  return std::vector<std::string>(names.begin(), names.end());
}

std::vector<std::string> Sequence(const char* prefix, unsigned low, unsigned high) {
  std::vector<std::string> names;
  for (unsigned n = low; n <= high; ++n) names.push_back(prefix + std::to_string(n));
  return names;
}

void ExpectNames(const char* text, std::vector<std::string> expected) {
  const Parsed parsed = Parse(text);
  EXPECT_EQ(parsed.status, 0) << "list \"" << text << "\"";
  EXPECT_EQ(parsed.names, expected) << "list \"" << text << "\"";
}

void ExpectFailure(const char* text, int32_t status) {
  ChannelNameList list;
  EXPECT_EQ(ParseChannelList(text, kNoAttribute, list), status) << "list \"" << text << "\"";
  EXPECT_EQ(list.size(), 0u) << "a failed parse must leave no partial list, list \"" << text
                             << "\"";
}

// ---------------------------------------------------------------------------
// Name tables and the list container

TEST(ChannelNameTables, HoldCanonicalNamesForEveryNumber) {
  for (uint32_t n = 0; n < 64; ++n) {
    EXPECT_STREQ(CanonicalChannelName(ChannelKind::kAnalogInput, n),
                 ("AI" + std::to_string(n)).c_str());
    EXPECT_STREQ(CanonicalChannelName(ChannelKind::kAnalogOutput, n),
                 ("AO" + std::to_string(n)).c_str());
    EXPECT_STREQ(CanonicalChannelName(ChannelKind::kStream, n), std::to_string(n).c_str());
  }
  for (uint32_t n : {64u, 65u, 100u, 0xFFFFFFFFu}) {
    EXPECT_EQ(CanonicalChannelName(ChannelKind::kAnalogInput, n), nullptr);
    EXPECT_EQ(CanonicalChannelName(ChannelKind::kAnalogOutput, n), nullptr);
    EXPECT_EQ(CanonicalChannelName(ChannelKind::kStream, n), nullptr);
  }
}

TEST(ChannelNameTables, ParsedNamesPointIntoTheTables) {
  ChannelNameList list;
  ASSERT_EQ(ParseChannelList("ai05,AO3-AO4,+7", kNoAttribute, list), 0);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0], CanonicalChannelName(ChannelKind::kAnalogInput, 5));
  EXPECT_EQ(list[1], CanonicalChannelName(ChannelKind::kAnalogOutput, 3));
  EXPECT_EQ(list[2], CanonicalChannelName(ChannelKind::kAnalogOutput, 4));
  EXPECT_EQ(list[3], CanonicalChannelName(ChannelKind::kStream, 7));
}

TEST(ChannelNameListContainer, HoldsExactlySixtyFourNamesInOrder) {
  ChannelNameList list;
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(ChannelNameList::capacity(), 64u);
  for (uint32_t n = 0; n < 64; ++n) {
    ASSERT_TRUE(list.add(CanonicalChannelName(ChannelKind::kAnalogOutput, 63 - n)));
  }
  EXPECT_EQ(list.size(), 64u);
  EXPECT_FALSE(list.add("AI0")) << "the 65th add must fail";
  EXPECT_EQ(list.size(), 64u);
  EXPECT_STREQ(list[63], "AO0") << "a failed add must not overwrite the last entry";

  uint32_t expected = 63;
  for (const char* name : list) {
    EXPECT_STREQ(name, ("AO" + std::to_string(expected)).c_str());
    --expected;
  }
  EXPECT_EQ(list.end() - list.begin(), 64);

  list.clear();
  EXPECT_EQ(list.size(), 0u);
  EXPECT_EQ(list.begin(), list.end());
}

TEST(ChannelNameListContainer, RefusesNullEntries) {
  ChannelNameList list;
  EXPECT_FALSE(list.add(nullptr));
  EXPECT_TRUE(list.empty());
}

TEST(ChannelNameListContainer, ParseReplacesEarlierContent) {
  ChannelNameList list;
  ASSERT_EQ(ParseChannelList("AI0-AI9", kNoAttribute, list), 0);
  ASSERT_EQ(ParseChannelList("AO1", kNoAttribute, list), 0);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_STREQ(list[0], "AO1");
}

// ---------------------------------------------------------------------------
// Empty input

TEST(ChannelListEmptyInput, EdgeTriggerAttributesAddressStreamZero) {
  const char empty[] = "";
  for (uint32_t attribute : {kAttrEdgeChannel, kAttrEdgeLevel, kAttrEdgeHysteresis}) {
    for (const char* text : {static_cast<const char*>(nullptr), empty}) {
      ChannelNameList list;
      ASSERT_EQ(ParseChannelList(text, attribute, list), 0);
      ASSERT_EQ(list.size(), 1u);
      EXPECT_EQ(list[0], CanonicalChannelName(ChannelKind::kStream, 0))
          << "attribute 0x" << std::hex << attribute;
    }
  }
}

TEST(ChannelListEmptyInput, OtherAttributesAddressTheDevice) {
  const char empty[] = "";
  for (uint32_t attribute : {kNoAttribute, 0x10000007u, 0x10000009u, 0x20000001u, 0x20000004u,
                             0x30000008u, 0xFFFFFFFFu}) {
    ChannelNameList list;
    ASSERT_EQ(ParseChannelList(empty, attribute, list), 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], empty) << "the caller's own empty string is the one entry";

    ASSERT_EQ(ParseChannelList(nullptr, attribute, list), 0);
    ASSERT_EQ(list.size(), 1u);
    ASSERT_NE(list[0], nullptr) << "an absent list must still give a usable name";
    EXPECT_STREQ(list[0], "");
  }
}

TEST(ChannelListEmptyInput, OnlyTheFirstByteDecides) {
  // A comma alone is not an empty list: it is two empty tokens.
  ExpectFailure(",", kChannelListSyntax);
  ChannelNameList list;
  EXPECT_EQ(ParseChannelList(",", kAttrEdgeLevel, list), kChannelListSyntax);
  EXPECT_EQ(ParseChannelList(" ", kAttrEdgeLevel, list), kChannelListSyntax);
}

// ---------------------------------------------------------------------------
// Token forms

TEST(ChannelListForms, SingleChannelsInBothCases) {
  ExpectNames("AI5", Names({"AI5"}));
  ExpectNames("ai5", Names({"AI5"}));
  ExpectNames("AO63", Names({"AO63"}));
  ExpectNames("ao0", Names({"AO0"}));
  ExpectNames("AI05", Names({"AI5"}));
  ExpectNames("ao0000000000000000000000000000012", Names({"AO12"}));
  ExpectNames("3", Names({"3"}));
  ExpectNames("63", Names({"63"}));
  ExpectNames("007", Names({"7"}));
}

TEST(ChannelListForms, NumbersSkipLeadingWhiteSpace) {
  ExpectNames("AI 5", Names({"AI5"}));
  ExpectNames(" 5", Names({"5"}));
  ExpectNames("AI\t\n\v\f\r 5", Names({"AI5"}));
  ExpectNames("AO3-AO 4", Names({"AO3", "AO4"}));
  ExpectNames("ao\t4-ao 3", Names({"AO3", "AO4"}));
}

TEST(ChannelListForms, RangesExpandAscending) {
  ExpectNames("AI5-AI3", Names({"AI3", "AI4", "AI5"}));
  ExpectNames("AI3-AI5", Names({"AI3", "AI4", "AI5"}));
  ExpectNames("ao7-ao7", Names({"AO7"}));
  ExpectNames("AI0-AI0", Names({"AI0"}));
  ExpectNames("ai63-ai60", Names({"AI60", "AI61", "AI62", "AI63"}));
}

TEST(ChannelListForms, MixedListsKeepOrderAndDuplicates) {
  ExpectNames("AO0-AO1,2", Names({"AO0", "AO1", "2"}));
  ExpectNames("AI1,AI1", Names({"AI1", "AI1"}));
  ExpectNames("5,ai2-ai1,AO9,0", Names({"5", "AI1", "AI2", "AO9", "0"}));
  ExpectNames("AI0-AI63", Sequence("AI", 0, 63));
  ExpectNames("ao63-ao0", Sequence("AO", 0, 63));
}

TEST(ChannelListForms, RejectsTokensOutsideTheForms) {
  for (const char* text : {
           " AI5",      // character before the prefix
           "AI1, AI2",  // second token begins with a blank
           "AI3,",      // empty last token
           ",AI3",      // empty first token
           "AI1,,AI2",  // empty middle token
           "AI5 ",      // character after the number
           "AI5x",
           "5 ",
           "5-6",  // bare numbers have no range form
           "Ai5",  // mixed-case prefix
           "aI5",
           "AI2-ai5",    // ends differ in case
           "AI2-AO5",    // ends differ in kind
           "AI 2 -AI5",  // literals do not skip white space
           "AI2- AI5",
           "AO3- AO4",
           "AI2-AI",
           "AI2-",
           "AI",
           "A5",
           "I5",
           "AX5",
           "AI-",
           "AI+",
           "AI- 5",
           "AI--AI5",
           "ao+-ao1",
           "-",
           "+",
           "-,5",
           "AI+-5",
           "AI0x10",
           "0x10",
           "AI5.0",
           "AI5,AI6;",
           "x",
           "AIAI5",
           "DIO",
           "AI\xA0"
           "5",  // no-break space is not white space
       }) {
    ExpectFailure(text, kChannelListSyntax);
  }
}

TEST(ChannelListForms, AcceptsSignsAsTheCLibraryDoes) {
  ExpectNames("AI+5", Names({"AI5"}));
  ExpectNames("+5", Names({"5"}));
  ExpectNames(" -0", Names({"0"}));
  ExpectNames("AI-0-AI+2", Names({"AI0", "AI1", "AI2"}));
}

// ---------------------------------------------------------------------------
// Limits and failure precedence

TEST(ChannelListLimits, SixtyFourNamesFitButNotSixtyFive) {
  ExpectNames("AI0-AI63", Sequence("AI", 0, 63));
  ExpectFailure("AI0-AI63,AO0", kChannelListFull);
  ExpectFailure("AI0-AI62,AO0-AO1", kChannelListFull);
  ExpectFailure("0,AI1-AI63,5", kChannelListFull);

  std::string sixtyFour;
  for (int i = 0; i < 64; ++i) sixtyFour += (i ? "," : "") + std::to_string(i % 10);
  ExpectNames(sixtyFour.c_str(), [] {
    std::vector<std::string> v;
    for (int i = 0; i < 64; ++i) v.push_back(std::to_string(i % 10));
    return v;
  }());
  ExpectFailure((sixtyFour + ",1").c_str(), kChannelListFull);
}

TEST(ChannelListLimits, NumbersOfSixtyFourOrMore) {
  ExpectFailure("AI64", kChannelNumberTooLarge);
  ExpectFailure("ao64", kChannelNumberTooLarge);
  ExpectFailure("AI62-AI64", kChannelNumberTooLarge);
  ExpectFailure("AI64-AI62", kChannelNumberTooLarge);
  ExpectFailure("AO100-AO200", kChannelNumberTooLarge);
  ExpectFailure("64", kStreamNumberTooLarge);
  ExpectFailure("4294967295", kStreamNumberTooLarge);
  ExpectFailure("-1", kStreamNumberTooLarge);
  ExpectFailure("AI-1", kChannelNumberTooLarge);
}

TEST(ChannelListLimits, NumberCheckPrecedesCapacityCheck) {
  // With the list already full, a too-large number is still reported as such.
  ExpectFailure("AI0-AI63,AO64", kChannelNumberTooLarge);
  ExpectFailure("AI0-AI63,64", kStreamNumberTooLarge);
  ExpectFailure("AI0-AI63,AO63", kChannelListFull);
  // A range walk reaches capacity before it reaches 64.
  ExpectFailure("AI0-AI62,AO62-AO64", kChannelListFull);
  ExpectFailure("AI0-AI61,AO62-AO64", kChannelNumberTooLarge);
}

TEST(ChannelListLimits, FirstFailureWins) {
  ExpectFailure("x,AI64", kChannelListSyntax);
  ExpectFailure("AI64,x", kChannelNumberTooLarge);
  ExpectFailure("64,AI64", kStreamNumberTooLarge);
  ExpectFailure("AI1,AI2,AI64,", kChannelNumberTooLarge);
  ExpectFailure("AI1,AI2,,AI64", kChannelListSyntax);
}

TEST(ChannelListLimits, HugeRangeBoundsTerminate) {
  // The walk must stop at 64 even when the upper bound is the largest value.
  ExpectFailure("AI0-AI4294967295", kChannelNumberTooLarge);
  ExpectFailure("AI4294967295-AI4294967295", kChannelNumberTooLarge);
  ExpectFailure("ao-1-ao-1", kChannelNumberTooLarge);
}

// ---------------------------------------------------------------------------
// Number conversion: the exact results of the C library's "%u" (strtoul with
// a 64-bit unsigned long, cut to 32 bits)

TEST(ChannelListNumbers, WrapLikeTheCLibrary) {
  ExpectNames("AI4294967296", Names({"AI0"}));              // 2^32
  ExpectNames("AI4294967297", Names({"AI1"}));              // 2^32 + 1
  ExpectNames("AI-4294967295", Names({"AI1"}));             // -(2^32 - 1)
  ExpectNames("ao-4294967296", Names({"AO0"}));             // -(2^32)
  ExpectNames("18446744069414584383", Names({"63"}));       // 2^64 - 2^32 + 63
  ExpectNames("-18446744073709551615", Names({"1"}));       // -(2^64 - 1)
  ExpectNames("AI-18446744073709551553", Names({"AI63"}));  // -(2^64 - 63)
  ExpectNames("AI4294967296-AI4294967299", Sequence("AI", 0, 3));
}

TEST(ChannelListNumbers, SaturateBeyondSixtyFourBits) {
  // Past 2^64 - 1 the value is all ones and a minus sign no longer wraps it.
  ExpectFailure("18446744073709551616", kStreamNumberTooLarge);
  ExpectFailure("-18446744073709551616", kStreamNumberTooLarge);
  ExpectFailure("AI99999999999999999999999999999999", kChannelNumberTooLarge);
  ExpectFailure("AI-36893488147419103233", kChannelNumberTooLarge);  // -(2^65 + 1)
  ExpectFailure("AO0-AO18446744073709551616", kChannelNumberTooLarge);
}

// ---------------------------------------------------------------------------
// Token length: a token takes at most 319 characters

std::string PaddedToken(std::size_t length, const std::string& head, char pad,
                        const std::string& tail) {
  std::string token = head;
  token.append(length - head.size() - tail.size(), pad);
  return token + tail;
}

// Parses from a heap block of exactly the text's size, so that any read past
// the terminator shows up under AddressSanitizer.
int32_t ParseExact(const std::string& text, ChannelNameList& list) {
  std::vector<char> block(text.begin(), text.end());
  block.push_back('\0');
  block.shrink_to_fit();
  return ParseChannelList(block.data(), kNoAttribute, list);
}

TEST(ChannelListTokenLength, AcceptsTokensUpTo319Characters) {
  ChannelNameList list;
  const std::string zeros = PaddedToken(319, "AI", '0', "");
  ASSERT_EQ(zeros.size(), 319u);
  ASSERT_EQ(ParseExact(zeros, list), 0);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_STREQ(list[0], "AI0");

  const std::string blanks = PaddedToken(319, "ao", ' ', "42");
  ASSERT_EQ(ParseExact(blanks, list), 0);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_STREQ(list[0], "AO42");

  const std::string bare = PaddedToken(319, "", '0', "9");
  ASSERT_EQ(ParseExact("AI1," + bare + ",AI2", list), 0);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_STREQ(list[1], "9");
}

TEST(ChannelListTokenLength, RejectsTokensOf320OrMore) {
  for (std::size_t length : {320u, 321u, 400u, 4096u, 100000u}) {
    ChannelNameList list;
    EXPECT_EQ(ParseExact(PaddedToken(length, "AI", '0', "5"), list), kChannelListSyntax) << length;
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(ParseExact("AI1," + PaddedToken(length, "", ' ', "5") + ",AI2", list),
              kChannelListSyntax)
        << length;
    EXPECT_EQ(list.size(), 0u);
    // A long token that would be wrong anyway is still only a syntax error.
    EXPECT_EQ(ParseExact(PaddedToken(length, "AI", '9', ""), list), kChannelListSyntax) << length;
  }
}

TEST(ChannelListTokenLength, LimitIsPerTokenNotPerList) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += (i ? "," : "") + PaddedToken(300, "AI", '0', "7");
  ChannelNameList list;
  ASSERT_EQ(ParseExact(text, list), 0);
  EXPECT_EQ(list.size(), 60u);
}

// ---------------------------------------------------------------------------
// The analog-input check used by stream and trigger configuration

TEST(AnalogInputNameMatch, AcceptsOnlyAnalogInputNames) {
  uint32_t number = 12345;
  EXPECT_TRUE(MatchAnalogInputName("AI7", &number));
  EXPECT_EQ(number, 7u);
  EXPECT_TRUE(MatchAnalogInputName("ai 08", &number));
  EXPECT_EQ(number, 8u);
  EXPECT_TRUE(MatchAnalogInputName("AI-1", &number));
  EXPECT_EQ(number, 0xFFFFFFFFu);
  EXPECT_TRUE(MatchAnalogInputName("AI99", nullptr));

  number = 12345;
  for (const char* name : {"", "AO1", "ao1", "5", "AI", "AI1x", "AI1-AI2", " AI1", "Ai1"}) {
    EXPECT_FALSE(MatchAnalogInputName(name, &number)) << name;
  }
  EXPECT_FALSE(MatchAnalogInputName(nullptr, &number));
  EXPECT_EQ(number, 12345u) << "a failed match leaves the number untouched";
}

#ifdef __GLIBC__
// The reference is glibc's sscanf, whose "%u" the parser follows; other C
// libraries convert out-of-range numbers differently.
// ---------------------------------------------------------------------------
// Differential run against a reference written directly on sscanf with the
// nine scan forms and a 320-byte token buffer. The reference relies on the
// C library of the build host (glibc, 64-bit unsigned long).

int32_t ReferenceParse(const char* text, uint32_t attributeId, std::vector<std::string>& names) {
  names.clear();
  if (text == nullptr || text[0] == '\0') {
    const bool streamZero = attributeId == kAttrEdgeChannel || attributeId == kAttrEdgeLevel ||
                            attributeId == kAttrEdgeHysteresis;
    names.emplace_back(streamZero ? "0" : "");
    return 0;
  }
  struct Form {
    const char* format;
    int count;
    const char* prefix;  // canonical prefix of the names
    int32_t tooLarge;
  };
  static const Form forms[] = {
      {"AI%u-AI%u%c", 2, "AI", kChannelNumberTooLarge},
      {"ai%u-ai%u%c", 2, "AI", kChannelNumberTooLarge},
      {"AO%u-AO%u%c", 2, "AO", kChannelNumberTooLarge},
      {"ao%u-ao%u%c", 2, "AO", kChannelNumberTooLarge},
      {"AI%u%c", 1, "AI", kChannelNumberTooLarge},
      {"ai%u%c", 1, "AI", kChannelNumberTooLarge},
      {"AO%u%c", 1, "AO", kChannelNumberTooLarge},
      {"ao%u%c", 1, "AO", kChannelNumberTooLarge},
      {"%u%c", 1, "", kStreamNumberTooLarge},
  };
  const char* p = text;
  for (;;) {
    const char* comma = std::strchr(p, ',');
    const std::size_t length = comma ? static_cast<std::size_t>(comma - p) : std::strlen(p);
    char token[320];
    if (length >= sizeof token) return kChannelListSyntax;
    std::memcpy(token, p, length);
    token[length] = '\0';

    bool matched = false;
    for (const Form& form : forms) {
      unsigned a = 0;
      unsigned b = 0;
      char c = 0;
      const int got = form.count == 2 ? std::sscanf(token, form.format, &a, &b, &c)
                                      : std::sscanf(token, form.format, &a, &c);
      if (got != form.count) continue;
      if (form.count == 1) b = a;
      matched = true;
      const unsigned long long low = a < b ? a : b;
      const unsigned long long high = a < b ? b : a;
      for (unsigned long long n = low; n <= high; ++n) {
        if (n >= 64) return form.tooLarge;
        if (names.size() >= 64) return kChannelListFull;
        names.push_back(form.prefix + std::to_string(n));
      }
      break;
    }
    if (!matched) return kChannelListSyntax;
    if (comma == nullptr) return 0;
    p = comma + 1;
  }
}

class TokenGenerator {
 public:
  explicit TokenGenerator(uint64_t seed) : rng_(seed) {}

  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(rng_() % n); }
  bool Chance(unsigned percent) { return Below(100) < percent; }
  template <std::size_t N>
  const char* Pick(const char* const (&items)[N]) {
    return items[Below(N)];
  }

  std::string Prefix() {
    static const char* const kCommon[] = {"AI", "ai", "AO", "ao"};
    static const char* const kOdd[] = {"Ai", "aI", "aO",  "Ao",  "A", "I",
                                       "a",  "AX", " AI", "AI ", "x", "AIAI"};
    if (Chance(15)) return "";  // bare number
    return Chance(85) ? Pick(kCommon) : Pick(kOdd);
  }

  std::string Number() {
    static const char* const kSpace[] = {" ", "\t", "  ", "\n", "\v", "\f", "\r", " \t \r"};
    static const char* const kSign[] = {"+", "-", "+-", "- ", "--"};
    static const char* const kEdgeValues[] = {"4294967295",
                                              "4294967296",
                                              "4294967297",
                                              "4294967359",
                                              "18446744073709551615",
                                              "18446744073709551616",
                                              "18446744073709551553",
                                              "18446744069414584383",
                                              "36893488147419103233",
                                              "99999999999999999999",
                                              "0",
                                              "63",
                                              "64",
                                              "65"};
    std::string s;
    if (Chance(15)) s += Pick(kSpace);
    if (Chance(15)) s += Chance(80) ? (Chance(50) ? "-" : "+") : Pick(kSign);
    if (Chance(15)) s.append(1 + Below(4), '0');
    switch (Below(10)) {
      case 0:
        break;  // no digits at all
      case 1:
      case 2:
        s += Pick(kEdgeValues);
        break;
      case 3:
        s += std::to_string(rng_() & 0xFFFFFFFFu);
        break;
      case 4: {
        const std::size_t digits = 19 + Below(14);
        for (std::size_t i = 0; i < digits; ++i) s += static_cast<char>('0' + Below(10));
        break;
      }
      default:
        s += std::to_string(Below(72));
        break;
    }
    return s;
  }

  std::string Token() {
    static const char* const kJunk[] = {" ", "x", "-", "0x", "\t", ".", "+", "-AI", "AI", "\xA0"};
    std::string t;
    if (Chance(5)) return t;  // empty token
    if (Chance(3)) t += Pick(kJunk);
    const std::string prefix = Prefix();
    t += prefix;
    const std::size_t numberStart = t.size();
    t += Number();
    if (Chance(35)) {
      t += Chance(90) ? "-" : Pick(kJunk);
      t += (Chance(80) ? prefix : Prefix()) + Number();
    }
    if (Chance(7)) t += Pick(kJunk);
    if (Chance(3)) {
      // Lengths on both sides of the 319-character limit: blanks or zeros
      // ahead of the first number keep many of these tokens valid.
      const std::size_t target = 314 + Below(10);
      if (t.size() < target) t.insert(numberStart, target - t.size(), Chance(50) ? ' ' : '0');
    }
    return t;
  }

  std::string List() {
    static const char* const kBulk[] = {"AI0-AI63", "ao0-ao40", "ai63-ai30", "AO10-AO59"};
    std::string list;
    const std::size_t tokens = 1 + Below(6);
    for (std::size_t i = 0; i < tokens; ++i) {
      if (i) list += ',';
      list += Chance(15) ? Pick(kBulk) : Token();
    }
    if (Chance(4)) list = "," + list;
    if (Chance(4)) list += ",";
    return list;
  }

 private:
  std::mt19937_64 rng_;
};

void ExpectSameAsReference(const std::string& text, uint32_t attributeId, int& successes,
                           int& failures) {
  std::vector<std::string> expected;
  const int32_t expectedStatus = ReferenceParse(text.c_str(), attributeId, expected);
  const Parsed actual = Parse(text.c_str(), attributeId);
  ASSERT_EQ(actual.status, expectedStatus) << "list \"" << text << "\"";
  if (expectedStatus == 0) {
    ASSERT_EQ(actual.names, expected) << "list \"" << text << "\"";
    ++successes;
  } else {
    ASSERT_TRUE(actual.names.empty()) << "list \"" << text << "\"";
    ++failures;
  }
}

TEST(ChannelListDifferential, SingleTokensAgreeWithSscanf) {
  TokenGenerator gen(0x5EED0001u);
  int successes = 0;
  int failures = 0;
  for (int i = 0; i < 6000; ++i) {
    const std::string token = gen.Token();
    ASSERT_NO_FATAL_FAILURE(ExpectSameAsReference(token, kNoAttribute, successes, failures));
  }
  // The generator must exercise both outcomes heavily to mean anything.
  EXPECT_GT(successes, 1000);
  EXPECT_GT(failures, 1000);
}

TEST(ChannelListDifferential, ListsAgreeWithSscanf) {
  TokenGenerator gen(0x5EED0002u);
  int successes = 0;
  int failures = 0;
  for (int i = 0; i < 4000; ++i) {
    const std::string list = gen.List();
    const uint32_t attribute = gen.Chance(10) ? kAttrEdgeLevel : kNoAttribute;
    ASSERT_NO_FATAL_FAILURE(ExpectSameAsReference(list, attribute, successes, failures));
  }
  EXPECT_GT(successes, 250);
  EXPECT_GT(failures, 1000);
}

TEST(ChannelListDifferential, EveryStatusIsReached) {
  TokenGenerator gen(0x5EED0003u);
  int seen[4] = {};
  const int32_t codes[4] = {kChannelListSyntax, kChannelListFull, kChannelNumberTooLarge,
                            kStreamNumberTooLarge};
  for (int i = 0; i < 3000; ++i) {
    const std::string list = gen.List();
    std::vector<std::string> expected;
    const int32_t expectedStatus = ReferenceParse(list.c_str(), kNoAttribute, expected);
    const Parsed actual = Parse(list.c_str());
    ASSERT_EQ(actual.status, expectedStatus) << "list \"" << list << "\"";
    if (expectedStatus == 0) {
      ASSERT_EQ(actual.names, expected) << "list \"" << list << "\"";
    }
    for (int k = 0; k < 4; ++k) seen[k] += actual.status == codes[k];
  }
  for (int k = 0; k < 4; ++k) EXPECT_GT(seen[k], 20) << "status " << codes[k];
}

TEST(ChannelListDifferential, AnalogInputMatchAgreesWithSscanf) {
  TokenGenerator gen(0x5EED0004u);
  int matches = 0;
  for (int i = 0; i < 4000; ++i) {
    const std::string name = gen.Token();
    unsigned expectedNumber = 0;
    char c = 0;
    bool expected = std::sscanf(name.c_str(), "AI%u%c", &expectedNumber, &c) == 1;
    if (!expected) expected = std::sscanf(name.c_str(), "ai%u%c", &expectedNumber, &c) == 1;
    uint32_t number = 0;
    ASSERT_EQ(MatchAnalogInputName(name.c_str(), &number), expected) << "name \"" << name << "\"";
    if (expected) {
      ASSERT_EQ(number, expectedNumber) << "name \"" << name << "\"";
      ++matches;
    }
  }
  EXPECT_GT(matches, 300);
}

#endif  // __GLIBC__

}  // namespace
}  // namespace voapi
