// The in-place context writer and the JSON reader.
#include "status/context_writer.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>
#include <string>

#include "status/codes.h"
#include "status/status.h"
#include "status_test_support.h"

namespace {

using statustest::HasValidLayout;
using voerr::ContextWriter;
using voerr::JsonKind;
using voerr::JsonValue;
using voerr::Member;
using voerr::ParseError;
using voerr::ParseErrorKind;
using voerr::Pos;
using voerr::Status;

void SetText(Status& s, const std::string& text) { ASSERT_TRUE(s.setContextText(text)); }

// --- Writing: placement and separators ------------------------------------------

TEST(ContextWriterPlacement, AppendingToAnEmptyObjectWritesNoComma) {
  Status s;
  SetText(s, "{}");
  ContextWriter w(s);
  Pos p = w.addString(w.insertionPoint(), "b", "x");
  EXPECT_STREQ(s.contextText(), R"({"b":"x"})");
  EXPECT_EQ(p, Pos::at(8));  // the closing brace again
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(ContextWriterPlacement, AppendingToAFilledObjectWritesACommaFirst) {
  Status s;
  SetText(s, R"({"a":1})");
  ContextWriter w(s);
  w.addString(w.insertionPoint(), "b", "x");
  EXPECT_STREQ(s.contextText(), R"({"a":1,"b":"x"})");
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(ContextWriterPlacement, WhiteSpaceOnlyContainerCountsAsEmpty) {
  Status s;
  SetText(s, "{ \n\t}");
  ContextWriter w(s);
  w.addInt(w.insertionPoint(), "n", 1);
  EXPECT_STREQ(s.contextText(), "{ \n\t\"n\":1}");
  SetText(s, "[1 ]");
  w.addInt(w.insertionPoint(), nullptr, 2);
  EXPECT_STREQ(s.contextText(), "[1 ,2]");
}

TEST(ContextWriterPlacement, SuccessiveCallsAppendInOrder) {
  Status s;
  SetText(s, "{}");
  ContextWriter w(s);
  Pos p = w.insertionPoint();
  p = w.addInt(p, "min", std::numeric_limits<int32_t>::min());
  p = w.addUnsigned(p, "max", std::numeric_limits<uint32_t>::max());
  p = w.addString(p, "s", "t");
  p = w.addInt(p, "zero", 0);
  ASSERT_TRUE(p.valid());
  EXPECT_STREQ(s.contextText(), R"({"min":-2147483648,"max":4294967295,"s":"t","zero":0})");
}

TEST(ContextWriterPlacement, AtAnOpeningBracketTheMemberGoesInFront) {
  Status s;
  SetText(s, R"({"a":1})");
  ContextWriter w(s);
  Pos p = w.addString(Pos::at(0), "b", "x");
  EXPECT_STREQ(s.contextText(), R"({"b":"x","a":1})");
  p = w.addString(p, "c", "y");
  EXPECT_STREQ(s.contextText(), R"({"b":"x","c":"y","a":1})");
  EXPECT_NE(ContextWriter::findInsertionPoint(s.contextText()), nullptr);

  SetText(s, "{}");
  w.addString(Pos::at(0), "only", "z");
  EXPECT_STREQ(s.contextText(), R"({"only":"z"})");
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(ContextWriterPlacement, ANullKeyWritesArrayElements) {
  Status s;
  SetText(s, "[]");
  ContextWriter w(s);
  Pos p = w.insertionPoint();
  p = w.addString(p, nullptr, "v");
  p = w.addInt(p, nullptr, -3);
  p = w.addUnsigned(p, nullptr, 4);
  p = w.addObject(p, nullptr);
  EXPECT_STREQ(s.contextText(), R"(["v",-3,4,{}])");
}

TEST(ContextWriterPlacement, NestedObjectsAndArraysByStepping) {
  Status s;
  SetText(s, "{}");
  ContextWriter w(s);
  Pos outer = w.insertionPoint();
  Pos inner = w.addObject(outer, "outer").stepIn();
  inner = w.addInt(inner, "inner", 1);
  inner = w.addString(inner, "second", "s");
  Pos list = w.addArray(inner, "list").stepIn();
  list = w.addInt(list, nullptr, 1);
  list = w.addInt(list, nullptr, 2);
  inner = list.stepOut();
  outer = inner.stepOut();
  outer = w.addInt(outer, "after", 2);
  ASSERT_TRUE(outer.valid());
  EXPECT_STREQ(s.contextText(), R"({"outer":{"inner":1,"second":"s","list":[1,2]},"after":2})");
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(ContextWriterPlacement, ObjectOfMembersInOneCall) {
  Status s;
  SetText(s, R"({"a":0})");
  ContextWriter w(s);
  const char* absent = nullptr;
  Pos p = w.addObject(
      w.insertionPoint(), "o",
      {{"s", "t"}, {"i", -1}, {"skipped", absent}, {"u", 2u}, {"sv", std::string("v")}});
  p = w.addInt(p, "after", 9);
  ASSERT_TRUE(p.valid());
  EXPECT_STREQ(s.contextText(), R"({"a":0,"o":{"s":"t","i":-1,"u":2,"sv":"v"},"after":9})");
}

TEST(ContextWriterPlacement, NullPositionDoesNothing) {
  Status s;
  SetText(s, R"({"a":1})");
  ContextWriter w(s);
  EXPECT_FALSE(w.addString(Pos(), "b", "x").valid());
  EXPECT_FALSE(w.addObject(Pos(), "o", {{"k", 1}}).valid());
  EXPECT_FALSE(w.addArray(Pos(), "l").valid());
  EXPECT_STREQ(s.contextText(), R"({"a":1})");
}

TEST(ContextWriterPlacement, PositionsOutsideTheTextAreRefused) {
  Status s;
  SetText(s, R"({"a":1})");
  ContextWriter w(s);
  for (uint32_t offset : {8u, 9u, 100u, 511u, 512u, 5000u}) {
    EXPECT_FALSE(w.addString(Pos::at(offset), "b", "x").valid()) << offset;
  }
  EXPECT_STREQ(s.contextText(), R"({"a":1})");
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(ContextWriterPlacement, NoContextMeansNoInsertionPoint) {
  Status s;
  ContextWriter w(s);
  EXPECT_FALSE(w.insertionPoint().valid());
  EXPECT_FALSE(voerr::appendTo(s).string("k", "v"));
  EXPECT_FALSE(s.hasContext());
  SetText(s, "not json");
  EXPECT_FALSE(w.insertionPoint().valid());
}

// --- Writing: escaping ------------------------------------------------------------

TEST(ContextWriterEscaping, TabAndControlByteInAValue) {
  Status s;
  SetText(s, "{}");
  ContextWriter w(s);
  w.addString(w.insertionPoint(), "s", "a\tb\x01");
  EXPECT_STREQ(s.contextText(), R"({"s":"a\tb\u0001"})");
}

TEST(ContextWriterEscaping, EveryClassOfTheTable) {
  struct Case {
    std::string in;
    const char* out;
  };
  const Case cases[] = {
      {std::string(1, '\0'), R"(\u0000)"},
      {"\x08", R"(\b)"},
      {"\x09", R"(\t)"},
      {"\x0a", R"(\n)"},
      {"\x0b", R"(\u000b)"},
      {"\x0c", R"(\f)"},
      {"\x0d", R"(\r)"},
      {"\x1f", R"(\u001f)"},
      {"\x1a", R"(\u001a)"},
      {" ", " "},
      {"\"", R"(\")"},
      {"\\", R"(\\)"},
      {"/", "/"},
      {"\x7f", R"(\u007f)"},
      {"\x80", "\x80"},
      {"\xff", "\xff"},
      {"\xc3\xa9", "\xc3\xa9"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ContextWriter::escape(c.in), c.out)
        << "byte " << int(static_cast<unsigned char>(c.in[0]));
    EXPECT_EQ(ContextWriter::escapedLength(c.in), std::strlen(c.out));
  }
}

TEST(ContextWriterEscaping, KeysAreEscapedAndFoundAgain) {
  Status s;
  SetText(s, "{}");
  ContextWriter w(s);
  w.addInt(w.insertionPoint(), "a\"b\\c\n", 5);
  EXPECT_STREQ(s.contextText(), R"({"a\"b\\c\n":5})");
  EXPECT_EQ(ContextWriter::readInteger(ContextWriter::findKey(s.contextText(), "a\"b\\c\n")), 5);
}

TEST(ContextWriterEscaping, EveryByteRoundTripsAsValue) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  Status s;
  SetText(s, "{}");
  ContextWriter w(s);
  ASSERT_TRUE(w.addString(w.insertionPoint(), "all", all).valid());
  EXPECT_TRUE(HasValidLayout(s));

  JsonValue v;
  ParseError e;
  ASSERT_TRUE(ContextWriter::parseValue(ContextWriter::findKey(s.contextText(), "all"), v, &e))
      << int(e.kind);
  ASSERT_EQ(v.kind, JsonKind::kString);
  std::string decoded;
  ASSERT_TRUE(ContextWriter::unescapeString(v.raw, decoded));
  EXPECT_EQ(decoded, all);

  std::string buffer(v.raw.size(), '\0');
  const auto n = ContextWriter::unescapeString(v.raw, buffer.data());
  ASSERT_TRUE(n.has_value());
  EXPECT_EQ(buffer.substr(0, *n), all);
}

TEST(ContextWriterEscaping, EveryByteRoundTripsAlone) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    Status s;
    SetText(s, "[]");
    ContextWriter w(s);
    ASSERT_TRUE(w.addString(w.insertionPoint(), nullptr, one).valid());
    JsonValue array;
    ASSERT_TRUE(ContextWriter::parseValue(s.contextText(), array)) << b;
    JsonValue v;
    ASSERT_TRUE(ContextWriter::parseValue(s.contextText() + 1, v)) << b;
    ASSERT_EQ(v.kind, JsonKind::kString);
    std::string decoded;
    ASSERT_TRUE(ContextWriter::unescapeString(v.raw, decoded)) << b;
    EXPECT_EQ(decoded, one) << b;
  }
}

TEST(ContextWriterEscaping, EveryNonNulByteRoundTripsAsKey) {
  Status s;
  SetText(s, "{}");
  ContextWriter w(s);
  Pos p = w.insertionPoint();
  for (int b = 1; b < 256; ++b) {
    const std::string key(1, static_cast<char>(b));
    p = w.addInt(p, key.c_str(), b);
  }
  ASSERT_TRUE(p.valid());
  EXPECT_TRUE(HasValidLayout(s));
  for (int b = 1; b < 256; ++b) {
    const std::string key(1, static_cast<char>(b));
    EXPECT_EQ(ContextWriter::readInteger(ContextWriter::findKey(s.contextText(), key)), b) << b;
  }
}

// --- Writing: growth ----------------------------------------------------------------

TEST(ContextWriterGrowth, ManyMembersGrowThroughPowersOfTwo) {
  Status s;
  s.raise(voerr::kInvalidParameter, voerr::kInvalidParameterName, "f.cpp", 1, voerr::kComponent);
  ASSERT_EQ(s.capacity(), 512u);
  ContextWriter w(s);
  Pos p = w.insertionPoint();
  std::set<uint32_t> capacities{s.capacity()};
  for (int i = 0; i < 300; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "member%03d", i);
    p = w.addString(p, key, std::string(static_cast<size_t>(i % 17), 'v'));
    ASSERT_TRUE(p.valid()) << i;
    ASSERT_TRUE(HasValidLayout(s)) << "after member " << i;
    ASSERT_TRUE(statustest::IsPowerOfTwo(s.capacity()));
    capacities.insert(s.capacity());
  }
  EXPECT_TRUE(capacities.count(1024));
  EXPECT_TRUE(capacities.count(2048));
  EXPECT_TRUE(capacities.count(4096));
  EXPECT_EQ(s.code(), voerr::kInvalidParameter);

  const char* text = s.contextText();
  ASSERT_NE(ContextWriter::findInsertionPoint(text), nullptr);
  EXPECT_EQ(statustest::StringMember(text, "error_constant"), "voapalerr_invalidParameter");
  for (int i = 0; i < 300; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "member%03d", i);
    EXPECT_EQ(statustest::StringMember(text, key), std::string(static_cast<size_t>(i % 17), 'v'));
  }
}

TEST(ContextWriterGrowth, AMemberLargerThanTheBufferGrowsInOneBatch) {
  Status s;
  SetText(s, "{}");
  ContextWriter w(s);
  const std::string big(5000, 'b');
  ASSERT_TRUE(w.addString(w.insertionPoint(), "big", big).valid());
  EXPECT_EQ(s.capacity(), 8192u);
  EXPECT_EQ(statustest::StringMember(s.contextText(), "big"), big);
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(ContextWriterGrowth, GrowStepAsksForTwiceTheCapacityLessTwo) {
  statustest::ExactRequests().clear();
  Status s(&statustest::ExactReallocate);
  s.raise(voerr::kInvalidParameter, voerr::kInvalidParameterName, "f.cpp", 12, voerr::kComponent);
  EXPECT_STREQ(s.contextText(),
               R"({"error_constant":"voapalerr_invalidParameter","file":"f.cpp","line":12,)"
               R"("component":"votarsinapi"})");
  EXPECT_TRUE(HasValidLayout(s));
  const auto& requests = statustest::ExactRequests();
  ASSERT_GE(requests.size(), 4u);
  EXPECT_EQ(requests[0], 4u);  // the smallest usable buffer, then doubling less two
  for (size_t i = 1; i < requests.size(); ++i) {
    EXPECT_EQ(requests[i], 2 * requests[i - 1] - 2) << i;
  }
}

TEST(ContextWriterGrowth, AMemberThatDoesNotFitIsLeftOut) {
  statustest::LimitFor() = 512;
  Status s(&statustest::LimitedReallocate);
  s.raise(voerr::kResourceNotFound, voerr::kResourceNotFoundName, "f.cpp", 1, voerr::kComponent);
  ContextWriter w(s);
  Pos p = w.insertionPoint();
  int written = 0;
  while (p.valid() && written < 100) {
    char key[16];
    std::snprintf(key, sizeof key, "k%02d", written);
    p = w.addString(p, key, "0123456789012345678901234567890123456789");
    if (p.valid()) ++written;
  }
  statustest::LimitFor() = 0xffffffffu;
  EXPECT_FALSE(p.valid());
  EXPECT_GT(written, 5);
  EXPECT_LT(written, 100);
  EXPECT_EQ(s.code(), voerr::kResourceNotFound);
  EXPECT_EQ(s.capacity(), 512u);
  EXPECT_TRUE(HasValidLayout(s));
  const char* text = s.contextText();
  ASSERT_NE(ContextWriter::findInsertionPoint(text), nullptr);
  char last[16];
  std::snprintf(last, sizeof last, "k%02d", written - 1);
  EXPECT_NE(ContextWriter::findKey(text, last), nullptr);
  std::snprintf(last, sizeof last, "k%02d", written);
  EXPECT_EQ(ContextWriter::findKey(text, last), nullptr);
  // A failed insertion does not poison the record: a small member still fits.
  EXPECT_TRUE(w.addInt(w.insertionPoint(), "n", 1).valid());
}

TEST(ContextWriterGrowth, GrowthIsRefusedWhenTheTextNoLongerParses) {
  statustest::ExactRequests().clear();
  Status s(&statustest::ExactReallocate);
  SetText(s, "[1] x");  // kept as received, but not JSON
  ASSERT_EQ(s.capacity(), 7u);
  ContextWriter w(s);
  EXPECT_FALSE(w.addInt(Pos::at(2), nullptr, 2).valid());
  EXPECT_STREQ(s.contextText(), "[1] x");
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(ContextWriterGrowth, DegenerateBufferDoesNotLoop) {
  Status s(&statustest::ExactReallocate);
  SetText(s, "");
  ASSERT_EQ(s.capacity(), 2u);
  ContextWriter w(s);
  EXPECT_FALSE(w.addString(Pos::at(0), nullptr, "v").valid());
  EXPECT_STREQ(s.contextText(), "");
}

// --- Reading: recognising values -------------------------------------------------------

TEST(ContextReader, FindInsertionPoint) {
  struct Case {
    const char* text;
    long offset;  // -1: none
  };
  const Case cases[] = {
      {"{}", 1},     {" [1, 2] \n", 6}, {R"({"a":{"b":[]}})", 13},
      {"{", -1},     {"{}x", -1},       {"\"s\"", -1},
      {"", -1},      {"12", -1},        {R"({"a":1,})", -1},
      {"{} {}", -1}, {"[\"]\"]", 4},
  };
  for (const Case& c : cases) {
    const char* at = ContextWriter::findInsertionPoint(c.text);
    if (c.offset < 0) {
      EXPECT_EQ(at, nullptr) << c.text;
    } else {
      ASSERT_NE(at, nullptr) << c.text;
      EXPECT_EQ(at - c.text, c.offset) << c.text;
    }
  }
  EXPECT_EQ(ContextWriter::findInsertionPoint(nullptr), nullptr);
}

TEST(ContextReader, ParseValueKindsAndExtents) {
  struct Case {
    const char* text;
    JsonKind kind;
    const char* extent;
    const char* raw;
  };
  const Case cases[] = {
      {"  null,", JsonKind::kNull, "null", ""},
      {"true]", JsonKind::kBoolean, "true", ""},
      {"false", JsonKind::kBoolean, "false", ""},
      {"-12.5e+3]", JsonKind::kNumber, "-12.5e+3", ""},
      {"0", JsonKind::kNumber, "0", ""},
      {R"("a\"b\u00e9" x)", JsonKind::kString, R"("a\"b\u00e9")", R"(a\"b\u00e9)"},
      {R"("")", JsonKind::kString, R"("")", ""},
      {"\t[1,[2,{}],\"]\"] tail", JsonKind::kArray, "[1,[2,{}],\"]\"]", ""},
      {R"({"k":[true,null],"o":{"p":"}"}},)", JsonKind::kObject,
       R"({"k":[true,null],"o":{"p":"}"}})", ""},
      {"{ }", JsonKind::kObject, "{ }", ""},
  };
  for (const Case& c : cases) {
    JsonValue v;
    ParseError e;
    ASSERT_TRUE(ContextWriter::parseValue(c.text, v, &e)) << c.text << " kind " << int(e.kind);
    EXPECT_EQ(v.kind, c.kind) << c.text;
    EXPECT_EQ(v.text(), c.extent) << c.text;
    EXPECT_EQ(v.raw, c.raw) << c.text;
    EXPECT_EQ(e.kind, ParseErrorKind::kNone);
  }
}

TEST(ContextReader, KindNumbersAreFixed) {
  EXPECT_EQ(static_cast<int>(JsonKind::kNull), 1);
  EXPECT_EQ(static_cast<int>(JsonKind::kBoolean), 2);
  EXPECT_EQ(static_cast<int>(JsonKind::kNumber), 3);
  EXPECT_EQ(static_cast<int>(JsonKind::kString), 4);
  EXPECT_EQ(static_cast<int>(JsonKind::kArray), 5);
  EXPECT_EQ(static_cast<int>(JsonKind::kObject), 6);
}

TEST(ContextReader, ParseValueRejections) {
  struct Case {
    std::string text;
    ParseErrorKind kind;
    long position;
  };
  const Case cases[] = {
      {"\"ab\x01\"", ParseErrorKind::kControlCharacter, 3},
      {"\"a\x1f\"", ParseErrorKind::kControlCharacter, 2},
      {"\"a\nb\"", ParseErrorKind::kControlCharacter, 2},
      {"\"a\x7f\"", ParseErrorKind::kControlCharacter, 2},
      {"\"abc", ParseErrorKind::kUnexpectedEnd, 4},
      {R"("\x")", ParseErrorKind::kBadEscape, 1},
      {R"("\u12")", ParseErrorKind::kBadEscape, 1},
      {R"("\u12G4")", ParseErrorKind::kBadEscape, 1},
      {"\"\\u12", ParseErrorKind::kBadEscape, 1},
      {"\"\\", ParseErrorKind::kBadEscape, 1},
      {"[1,]", ParseErrorKind::kTrailingComma, 2},
      {"[1, \n ]", ParseErrorKind::kTrailingComma, 2},
      {R"({"a":1,})", ParseErrorKind::kTrailingComma, 6},
      {R"({"a":[1,]})", ParseErrorKind::kTrailingComma, 7},
      {"[1 2]", ParseErrorKind::kUnexpectedCharacter, 3},
      {"[,1]", ParseErrorKind::kUnexpectedCharacter, 1},
      {R"({"a" 1})", ParseErrorKind::kUnexpectedCharacter, 5},
      {"{1:2}", ParseErrorKind::kUnexpectedCharacter, 1},
      {"[1}", ParseErrorKind::kUnexpectedCharacter, 2},
      {"}", ParseErrorKind::kUnexpectedCharacter, 0},
      {"+1", ParseErrorKind::kUnexpectedCharacter, 0},
      {"-", ParseErrorKind::kBadNumber, 0},
      {"-x", ParseErrorKind::kBadNumber, 0},
      {"1.", ParseErrorKind::kBadNumber, 2},
      {"1.e3", ParseErrorKind::kBadNumber, 2},
      {"1e", ParseErrorKind::kBadNumber, 2},
      {"1e+", ParseErrorKind::kBadNumber, 3},
      {"tru", ParseErrorKind::kBadLiteral, 0},
      {"nul", ParseErrorKind::kBadLiteral, 0},
      {"fals", ParseErrorKind::kBadLiteral, 0},
      {"", ParseErrorKind::kUnexpectedEnd, 0},
      {"   ", ParseErrorKind::kUnexpectedEnd, 3},
      {"[", ParseErrorKind::kUnexpectedEnd, 1},
      {R"({"a":)", ParseErrorKind::kUnexpectedEnd, 5},
      {R"({"a")", ParseErrorKind::kUnexpectedEnd, 4},
      {"[1", ParseErrorKind::kUnexpectedEnd, 2},
  };
  for (const Case& c : cases) {
    JsonValue v;
    ParseError e;
    EXPECT_FALSE(ContextWriter::parseValue(c.text.c_str(), v, &e)) << c.text;
    EXPECT_EQ(e.kind, c.kind) << c.text;
    ASSERT_NE(e.position, nullptr) << c.text;
    EXPECT_EQ(e.position - c.text.c_str(), c.position) << c.text;
  }
  JsonValue v;
  ParseError e;
  EXPECT_FALSE(ContextWriter::parseValue(nullptr, v, &e));
  EXPECT_EQ(e.kind, ParseErrorKind::kNullInput);
}

TEST(ContextReader, NestingDepthIsBoundedNotRecursive) {
  const int limit = ContextWriter::kMaxDepth;
  JsonValue v;
  ParseError e;
  const std::string atLimit = std::string(limit, '[') + std::string(limit, ']');
  EXPECT_TRUE(ContextWriter::parseValue(atLimit.c_str(), v, &e));
  EXPECT_EQ(v.end - v.begin, static_cast<long>(atLimit.size()));

  const std::string beyond = std::string(limit + 1, '[') + std::string(limit + 1, ']');
  EXPECT_FALSE(ContextWriter::parseValue(beyond.c_str(), v, &e));
  EXPECT_EQ(e.kind, ParseErrorKind::kTooDeep);

  std::string mixed;
  for (int i = 0; i < limit; ++i) mixed += (i % 2) ? "{\"k\":" : "[";
  mixed += "1";
  for (int i = limit - 1; i >= 0; --i) mixed += (i % 2) ? "}" : "]";
  EXPECT_TRUE(ContextWriter::parseValue(mixed.c_str(), v, &e)) << int(e.kind);
  EXPECT_EQ(v.kind, JsonKind::kArray);

  const std::string hostile(200000, '[');
  EXPECT_FALSE(ContextWriter::parseValue(hostile.c_str(), v, &e));
  EXPECT_EQ(e.kind, ParseErrorKind::kTooDeep);
}

// --- Reading: unescaping -----------------------------------------------------------

TEST(ContextReader, UnescapeDecodesEscapesToUtf8) {
  struct Case {
    const char* raw;
    std::string decoded;
  };
  const Case cases[] = {
      {R"(\"\\\/\b\f\n\r\t)", "\"\\/\b\f\n\r\t"},
      {R"(\u0041\u00e9\u00E9)", "A\xc3\xa9\xc3\xa9"},
      {R"(\u20ac)", "\xe2\x82\xac"},
      {R"(\u07ff\u0800\uffff)", "\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf"},
      {R"(\ud83d\ude00)", "\xf0\x9f\x98\x80"},
      {R"(\udbff\udfff)", "\xf4\x8f\xbf\xbf"},
      {R"(a\u0000b)", std::string("a\0b", 3)},
      {"plain \xc3\xa9", "plain \xc3\xa9"},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_TRUE(ContextWriter::unescapeString(c.raw, out)) << c.raw;
    EXPECT_EQ(out, c.decoded) << c.raw;
    std::string buffer(std::strlen(c.raw) + 1, '\0');
    const auto n = ContextWriter::unescapeString(c.raw, buffer.data());
    ASSERT_TRUE(n.has_value()) << c.raw;
    EXPECT_EQ(buffer.substr(0, *n), c.decoded) << c.raw;
  }
}

TEST(ContextReader, UnescapeRejectsLoneSurrogatesAndBadEscapes) {
  const char* bad[] = {
      R"(\ud800)",  R"(\ud800x)",      R"(\ud800\u0041)", R"(\ud800\ud800)", R"(\udc00)",
      R"(x\udfff)", R"(\ude00\ud83d)", R"(\ud83d\u)",     R"(\ud83d\ude0)",  "\\",
      R"(\q)",      R"(\u12)",         R"(\u12g4)",       R"(\U0041)",
  };
  for (const char* raw : bad) {
    std::string out;
    EXPECT_FALSE(ContextWriter::unescapeString(raw, out)) << raw;
    std::string buffer(std::strlen(raw) + 1, '\0');
    EXPECT_FALSE(ContextWriter::unescapeString(raw, buffer.data()).has_value()) << raw;
  }
}

TEST(ContextReader, LoneSurrogatesParseButDoNotDecode) {
  JsonValue v;
  ASSERT_TRUE(ContextWriter::parseValue(R"("\ud800")", v));
  std::string out;
  EXPECT_FALSE(ContextWriter::unescapeString(v.raw, out));
}

// --- Reading: keys -----------------------------------------------------------------

TEST(ContextReader, FindKeyLocatesTopLevelValues) {
  const char* text =
      R"({ "nested" : {"line": 1, "x": "}\""}, "list": [{"line":2}], "s": "\"line\":3",)"
      R"( "line" : 12, "line": 13 })";
  const char* at = ContextWriter::findKey(text, "line");
  ASSERT_NE(at, nullptr);
  EXPECT_EQ(std::string(at, 2), "12");
  EXPECT_EQ(ContextWriter::readInteger(at), 12);
  EXPECT_EQ(std::string(ContextWriter::findKey(text, "list"), 2), "[{");
  EXPECT_EQ(ContextWriter::findKey(text, "x"), nullptr);
  EXPECT_EQ(ContextWriter::findKey(text, "lin"), nullptr);
  EXPECT_EQ(ContextWriter::findKey(text, "line2"), nullptr);
}

TEST(ContextReader, FindKeyMatchesEscapedKeys) {
  EXPECT_EQ(ContextWriter::readInteger(ContextWriter::findKey(R"({"\u006cine":7})", "line")), 7);
  EXPECT_EQ(ContextWriter::readInteger(ContextWriter::findKey(R"({"\u006Cine":7})", "line")), 7);
  EXPECT_EQ(
      ContextWriter::readInteger(ContextWriter::findKey(R"({"a":0,"caf\u00e9":8})", "caf\xc3\xa9")),
      8);
  EXPECT_EQ(ContextWriter::readInteger(
                ContextWriter::findKey(R"({"\ud83d\ude00":9})", "\xf0\x9f\x98\x80")),
            9);
  // A key that does not decode matches nothing but does not stop the search.
  EXPECT_EQ(ContextWriter::readInteger(ContextWriter::findKey(R"({"\ud800":1,"k":2})", "k")), 2);
}

TEST(ContextReader, FindKeyGivesUpOnMalformedObjects) {
  EXPECT_EQ(ContextWriter::findKey(R"([{"line":1}])", "line"), nullptr);
  EXPECT_EQ(ContextWriter::findKey(R"({"a":1,,"line":2})", "line"), nullptr);
  EXPECT_EQ(ContextWriter::findKey(R"({"a":[1,],"line":2})", "line"), nullptr);
  EXPECT_EQ(ContextWriter::findKey(R"({"a":1,})", "b"), nullptr);
  EXPECT_EQ(ContextWriter::findKey(R"({"a" 1})", "a"), nullptr);
  EXPECT_EQ(ContextWriter::findKey("{}", "a"), nullptr);
  EXPECT_EQ(ContextWriter::findKey("", "a"), nullptr);
  EXPECT_EQ(ContextWriter::findKey(nullptr, "a"), nullptr);
  // A member before the malformed part is still found.
  EXPECT_EQ(ContextWriter::readInteger(ContextWriter::findKey(R"({"line":4,"a":[})", "line")), 4);
}

// --- Reading: integers ---------------------------------------------------------------

TEST(ContextReader, ReadInteger) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  };
  const Case cases[] = {
      {"12", 12},
      {"  -7,", -7},
      {"12.9", 12},
      {"-12.9", -12},
      {"0.5", 0},
      {"-0.99", 0},
      {"1.5e1", 15},
      {"25E-1", 2},
      {"2147483647", kMax},
      {"-2147483648", kMin},
      {"2147483648", kMax},
      {"-2147483649", kMin},
      {"99999999999999999999999", kMax},
      {"-99999999999999999999999", kMin},
      {"3e9", kMax},
      {"-3e9", kMin},
      {"1e999", kMax},
      {"-1e999", kMin},
      {"1e-999", 0},
      {"-0.000000001e-400", 0},
      {"010", 10},  // decimal, never octal
      {"0x10", 0},  // the number ends at the x
      {"\"12\"", std::nullopt},
      {"true", std::nullopt},
      {"{}", std::nullopt},
      {"-", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ContextWriter::readInteger(c.text), c.value) << c.text;
  }
  EXPECT_EQ(ContextWriter::readInteger(nullptr), std::nullopt);
}

// The decimal separator of the process locale must not change what a context
// says. Needs a decimal-comma locale (Debian: package "locales", then
// locale-gen for de_DE.UTF-8 or fr_FR.UTF-8).
TEST(ContextReader, ReadIntegerUnderADecimalCommaLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  const char* chosen = nullptr;
  for (const char* name :
       {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) GTEST_SKIP() << "no decimal-comma locale installed";

  char formatted[16];
  std::snprintf(formatted, sizeof formatted, "%.1f", 1.5);
  const std::string separator = formatted;
  const auto line =
      ContextWriter::readInteger(ContextWriter::findKey(R"({"file":"a.cpp","line":12.9})", "line"));
  const auto scaled = ContextWriter::readInteger("1.25e2");
  const auto negative = ContextWriter::readInteger("-3.75");
  std::setlocale(LC_ALL, saved.c_str());

  ASSERT_EQ(separator, "1,5") << chosen << " does not use a decimal comma";
  EXPECT_EQ(line, 12);
  EXPECT_EQ(scaled, 125);
  EXPECT_EQ(negative, -3);
}

}  // namespace
