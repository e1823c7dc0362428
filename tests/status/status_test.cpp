// The status record: buffer policy, raise and merge precedence, context text.
#include "status/status.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "status/codes.h"
#include "status/context_writer.h"
#include "status_test_support.h"

namespace {

using statustest::HasValidLayout;
using voerr::ContextWriter;
using voerr::Status;

constexpr const char* kRaisedText =
    R"({"error_constant":"voapalerr_invalidParameter","file":"dir/site.cpp","line":42,)"
    R"("component":"votarsinapi"})";

void RaiseInvalid(Status& s) {
  s.raise(voerr::kInvalidParameter, voerr::kInvalidParameterName, "dir/site.cpp", 42,
          voerr::kComponent);
}

TEST(StatusRecord, FreshRecordHasNoCodeAndNoBuffer) {
  Status s;
  EXPECT_EQ(s.code(), 0);
  EXPECT_TRUE(s.isSuccess());
  EXPECT_FALSE(s.isError());
  EXPECT_FALSE(s.isWarning());
  EXPECT_EQ(s.capacity(), 0u);
  EXPECT_EQ(s.buffer(), nullptr);
  EXPECT_FALSE(s.hasContext());
  EXPECT_STREQ(s.contextText(), "");
  EXPECT_EQ(s.reallocator(), &voerr::defaultReallocate);
}

TEST(StatusRecord, CodeClassification) {
  Status s;
  s.setCode(-1);
  EXPECT_TRUE(s.isError());
  EXPECT_FALSE(s.isWarning());
  s.setCode(7);
  EXPECT_TRUE(s.isWarning());
  EXPECT_FALSE(s.isError());
}

TEST(DefaultReallocator, SizesFollowTheGrowthRule) {
  struct Case {
    uint32_t request;
    uint32_t expected;
  };
  const Case cases[] = {{1, 512},     {4, 512},     {512, 512},   {513, 1024},    {1000, 1024},
                        {1024, 1024}, {1025, 2048}, {4096, 4096}, {70000, 131072}};
  for (const Case& c : cases) {
    Status s;
    ASSERT_TRUE(s.reallocate(c.request)) << c.request;
    EXPECT_EQ(s.capacity(), c.expected) << "request " << c.request;
    EXPECT_STREQ(s.contextText(), "{}");
    EXPECT_TRUE(HasValidLayout(s));
  }
}

TEST(DefaultReallocator, SmallerRequestChangesNothing) {
  Status s;
  ASSERT_TRUE(s.reallocate(2000));
  const char* before = s.buffer();
  EXPECT_TRUE(s.reallocate(100));
  EXPECT_TRUE(s.reallocate(2048));
  EXPECT_EQ(s.buffer(), before);
  EXPECT_EQ(s.capacity(), 2048u);
}

TEST(DefaultReallocator, RequestsAboveTheLimitFailAndLeaveTheRecord) {
  Status s;
  ASSERT_TRUE(s.setContextText(R"({"a":1})"));
  const char* before = s.buffer();
  EXPECT_FALSE(s.reallocate(0x80000000u));
  EXPECT_FALSE(s.reallocate(0xffffffffu));
  EXPECT_EQ(s.buffer(), before);
  EXPECT_EQ(s.capacity(), 512u);
  EXPECT_STREQ(s.contextText(), R"({"a":1})");
}

TEST(DefaultReallocator, GrowingKeepsTheTextAndLayout) {
  Status s;
  std::string text = R"({"k":")" + std::string(400, 'x') + R"("})";
  ASSERT_TRUE(s.setContextText(text));
  ASSERT_EQ(s.capacity(), 512u);
  ASSERT_TRUE(s.reallocate(3000));
  EXPECT_EQ(s.capacity(), 4096u);
  EXPECT_EQ(std::string(s.contextText()), text);
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(DefaultReallocator, ZeroReleases) {
  Status s;
  ASSERT_TRUE(s.reallocate(10));
  EXPECT_TRUE(s.reallocate(0));
  EXPECT_EQ(s.buffer(), nullptr);
  EXPECT_EQ(s.capacity(), 0u);
}

TEST(StatusRecord, ClearZeroesCodeAndReleasesBuffer) {
  Status s;
  RaiseInvalid(s);
  ASSERT_TRUE(s.hasContext());
  s.clear();
  EXPECT_EQ(s.code(), 0);
  EXPECT_FALSE(s.hasContext());
  EXPECT_EQ(s.capacity(), 0u);
}

TEST(StatusRecord, MovingTransfersEverythingAndEmptiesTheSource) {
  Status a;
  RaiseInvalid(a);
  const char* buffer = a.buffer();
  Status b(std::move(a));
  EXPECT_EQ(b.code(), voerr::kInvalidParameter);
  EXPECT_EQ(b.buffer(), buffer);
  EXPECT_EQ(a.code(), 0);
  EXPECT_EQ(a.buffer(), nullptr);
  EXPECT_EQ(a.capacity(), 0u);

  Status c;
  c.setContextText("{}");
  c = std::move(b);
  EXPECT_EQ(c.buffer(), buffer);
  EXPECT_STREQ(c.contextText(), kRaisedText);
  EXPECT_EQ(b.buffer(), nullptr);
}

TEST(StatusRecord, ResetAndEnsureContext) {
  Status s;
  EXPECT_TRUE(s.resetContext());  // nothing to reset
  EXPECT_FALSE(s.hasContext());
  EXPECT_TRUE(s.ensureContext());
  EXPECT_STREQ(s.contextText(), "{}");
  ASSERT_TRUE(s.setContextText(R"({"long":")" + std::string(300, 'q') + R"("})"));
  EXPECT_TRUE(s.resetContext());
  EXPECT_STREQ(s.contextText(), "{}");
  EXPECT_TRUE(HasValidLayout(s));  // the old text's bytes must be gone
}

// --- raise --------------------------------------------------------------------

TEST(Raise, IntoEmptyRecordWritesTheFourMembersIn512Bytes) {
  Status s;
  voerr::Pos end = s.raise(voerr::kInvalidParameter, voerr::kInvalidParameterName, "dir/site.cpp",
                           42, voerr::kComponent);
  EXPECT_EQ(s.code(), voerr::kInvalidParameter);
  EXPECT_STREQ(s.contextText(), kRaisedText);
  EXPECT_EQ(s.capacity(), 512u);
  EXPECT_EQ(s.buffer()[511], 'J');
  EXPECT_TRUE(HasValidLayout(s));
  // The returned position is the closing brace, where a site's objects go.
  ASSERT_TRUE(end.valid());
  EXPECT_EQ(end.offset(), std::strlen(kRaisedText) - 1);
}

TEST(Raise, MacroRecordsTheCallingSite) {
  Status s;
  const int line = __LINE__ + 1;
  VOERR_RAISE(s, voerr::kResourceNotFound, voerr::kResourceNotFoundName);
  EXPECT_EQ(s.code(), voerr::kResourceNotFound);
  EXPECT_EQ(ContextWriter::readInteger(ContextWriter::findKey(s.contextText(), "line")), line);
  const std::string file = statustest::StringMember(s.contextText(), "file");
  EXPECT_NE(file.find("status_test.cpp"), std::string::npos) << file;
  EXPECT_EQ(statustest::StringMember(s.contextText(), "component"), "votarsinapi");
  EXPECT_EQ(statustest::StringMember(s.contextText(), "error_constant"),
            "voapalerr_resourceNotFound");
}

TEST(Raise, SourceFileNameKeepsThePartBelowSrc) {
  EXPECT_STREQ(voerr::sourceFileName("/work/x/src/status/status.cpp"), "status/status.cpp");
  EXPECT_STREQ(voerr::sourceFileName("C:\\w\\src\\api\\a.cpp"), "api\\a.cpp");
  EXPECT_STREQ(voerr::sourceFileName("/a/src/b/src/c.cpp"), "c.cpp");
  EXPECT_STREQ(voerr::sourceFileName("plain.cpp"), "plain.cpp");
  EXPECT_STREQ(voerr::sourceFileName("/a/srcx/c.cpp"), "/a/srcx/c.cpp");
}

TEST(Raise, FirstErrorWins) {
  Status s;
  RaiseInvalid(s);
  const std::string before = s.contextText();
  voerr::Pos p = s.raise(voerr::kResourceNotFound, voerr::kResourceNotFoundName, "other.cpp", 7,
                         voerr::kComponent);
  EXPECT_FALSE(p.valid());
  EXPECT_EQ(s.code(), voerr::kInvalidParameter);
  EXPECT_EQ(s.contextText(), before);
  // A site's further members are skipped along with the raise.
  VOERR_RAISE(s, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
      .object("vosysq_debug", {{"desc", "RegOpenKeyEx failed"}})
      .internalError("win32", 2, "not found");
  EXPECT_EQ(s.contextText(), before);
}

TEST(Raise, ErrorReplacesWarningCodeAndContext) {
  Status s;
  s.raise(5, "warning_constant", "w.cpp", 1, voerr::kComponent);
  ASSERT_EQ(s.code(), 5);
  s.raise(voerr::kResourceNotFound, voerr::kResourceNotFoundName, "e.cpp", 9, voerr::kComponent);
  EXPECT_EQ(s.code(), voerr::kResourceNotFound);
  EXPECT_STREQ(s.contextText(),
               R"({"error_constant":"voapalerr_resourceNotFound","file":"e.cpp","line":9,)"
               R"("component":"votarsinapi"})");
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(Raise, AWarningIsReplacedEvenByAnotherWarning) {
  Status s;
  s.raise(5, "first", "a.cpp", 1, voerr::kComponent);
  s.raise(6, "second", "b.cpp", 2, voerr::kComponent);
  EXPECT_EQ(s.code(), 6);
  EXPECT_EQ(statustest::StringMember(s.contextText(), "error_constant"), "second");
}

TEST(Raise, ResetsATakenOverTextBeforeWriting) {
  Status s;
  ASSERT_TRUE(s.setContextText(R"({"driver":")" + std::string(450, 'd') + R"("})"));
  RaiseInvalid(s);
  EXPECT_STREQ(s.contextText(), kRaisedText);
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(Raise, NullTextsAreLeftOut) {
  Status s;
  s.raise(-1, nullptr, nullptr, 3, nullptr);
  EXPECT_STREQ(s.contextText(), R"({"line":3})");
}

TEST(Raise, SetsTheCodeEvenWhenNoBufferCanBeHad) {
  statustest::LimitFor() = 0;
  Status s(&statustest::LimitedReallocate);
  voerr::Pos p = s.raise(voerr::kMemoryFull, voerr::kMemoryFullName, "f", 1, voerr::kComponent);
  statustest::LimitFor() = 0xffffffffu;
  EXPECT_FALSE(p.valid());
  EXPECT_EQ(s.code(), voerr::kMemoryFull);
  EXPECT_FALSE(s.hasContext());
}

TEST(Raise, SitesAppendTheirObjectsBehindTheStandardMembers) {
  Status s;
  VOERR_RAISE(s, voerr::kInvalidParameter, voerr::kInvalidParameterName)
      .object("vodynlib_debug", {{"debug", "failed to vodynlib_load library"}, {"path", "x.dll"}})
      .internalError("win32", 126u, "The specified module could not be found.");
  const char* text = s.contextText();
  const char* dbg = ContextWriter::findKey(text, "vodynlib_debug");
  ASSERT_NE(dbg, nullptr);
  EXPECT_EQ(statustest::StringMember(dbg, "path"), "x.dll");
  const char* internal = ContextWriter::findKey(text, "internal_error");
  ASSERT_NE(internal, nullptr);
  EXPECT_EQ(std::string(internal),
            R"({"api":"win32","code":126,"string":"The specified module could not be found."}})");
  // Order: the standard members first, then the site's objects.
  EXPECT_LT(ContextWriter::findKey(text, "component"), dbg);
  EXPECT_LT(dbg, internal);
  EXPECT_NE(ContextWriter::findInsertionPoint(text), nullptr);
}

TEST(Raise, InternalErrorWithoutMessageLeavesTheStringOut) {
  Status s;
  VOERR_RAISE(s, voerr::kSystemError, nullptr).internalError("errno", -5, "");
  EXPECT_EQ(std::string(ContextWriter::findKey(s.contextText(), "internal_error")),
            R"({"api":"errno","code":-5}})");
}

// --- merge --------------------------------------------------------------------

struct MergeCase {
  int32_t into;
  int32_t from;
  bool taken;
};

class MergePrecedence : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergePrecedence, FollowsTheStatusRule) {
  const MergeCase c = GetParam();
  for (bool moving : {false, true}) {
    Status into;
    into.raise(c.into, "into_constant", "into.cpp", 1, voerr::kComponent);
    Status from;
    from.raise(c.from, "from_constant", "from.cpp", 2, voerr::kComponent);
    const std::string intoText = into.contextText();
    const std::string fromText = from.contextText();
    const bool taken = moving ? voerr::merge(into, std::move(from)) : voerr::merge(into, from);
    EXPECT_EQ(taken, c.taken) << "moving " << moving;
    EXPECT_EQ(into.code(), c.taken ? c.from : c.into);
    EXPECT_EQ(std::string(into.contextText()), c.taken ? fromText : intoText);
    EXPECT_TRUE(HasValidLayout(into));
    if (!c.taken) {
      EXPECT_EQ(from.code(), c.from);
      EXPECT_EQ(std::string(from.contextText()), fromText);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Status, MergePrecedence,
                         ::testing::Values(MergeCase{0, 0, false}, MergeCase{0, 5, true},
                                           MergeCase{0, -3, true}, MergeCase{5, 0, false},
                                           MergeCase{5, 6, false}, MergeCase{5, -3, true},
                                           MergeCase{-3, 0, false}, MergeCase{-3, 5, false},
                                           MergeCase{-3, -4, false}));

TEST(Merge, CopyingLeavesTheSourceIntact) {
  Status into;
  Status from;
  RaiseInvalid(from);
  ASSERT_TRUE(voerr::merge(into, from));
  EXPECT_EQ(from.code(), voerr::kInvalidParameter);
  EXPECT_STREQ(from.contextText(), kRaisedText);
  EXPECT_STREQ(into.contextText(), kRaisedText);
  EXPECT_NE(into.buffer(), from.buffer());
}

TEST(Merge, SourceWithoutContextLeavesAnEmptyObject) {
  Status into;
  into.raise(3, "w", "w.cpp", 1, voerr::kComponent);
  Status from;
  from.setCode(-9);
  ASSERT_TRUE(voerr::merge(into, from));
  EXPECT_EQ(into.code(), -9);
  EXPECT_STREQ(into.contextText(), "{}");
  EXPECT_TRUE(HasValidLayout(into));
}

TEST(Merge, MovingStealsTheBufferWhenThePolicyMatches) {
  Status into;
  into.raise(3, "w", "w.cpp", 1, voerr::kComponent);
  Status from;
  RaiseInvalid(from);
  const char* buffer = from.buffer();
  ASSERT_TRUE(voerr::merge(into, std::move(from)));
  EXPECT_EQ(into.buffer(), buffer);
  EXPECT_STREQ(into.contextText(), kRaisedText);
  EXPECT_EQ(from.code(), 0);
  EXPECT_EQ(from.buffer(), nullptr);
}

TEST(Merge, MovingCopiesWhenThePoliciesDiffer) {
  Status into(&statustest::LimitedReallocate);
  Status from;
  RaiseInvalid(from);
  const char* buffer = from.buffer();
  ASSERT_TRUE(voerr::merge(into, std::move(from)));
  EXPECT_NE(into.buffer(), buffer);
  EXPECT_EQ(into.reallocator(), &statustest::LimitedReallocate);
  EXPECT_STREQ(into.contextText(), kRaisedText);
  EXPECT_EQ(from.code(), 0);
  EXPECT_EQ(from.buffer(), nullptr);
  EXPECT_TRUE(HasValidLayout(into));
}

TEST(Merge, ARecordIntoItselfChangesNothing) {
  Status s;
  RaiseInvalid(s);
  EXPECT_FALSE(voerr::merge(s, static_cast<const Status&>(s)));
  EXPECT_FALSE(voerr::merge(s, std::move(s)));
  EXPECT_STREQ(s.contextText(), kRaisedText);
}

TEST(Merge, TextThatDoesNotFitLeavesTheEmptyObject) {
  statustest::LimitFor() = 512;
  Status into(&statustest::LimitedReallocate);
  into.raise(2, "w", "w.cpp", 1, voerr::kComponent);
  Status from;
  ASSERT_TRUE(from.setContextText(R"({"big":")" + std::string(1000, 'b') + R"("})"));
  from.setCode(-1);
  EXPECT_TRUE(voerr::merge(into, from));
  statustest::LimitFor() = 0xffffffffu;
  EXPECT_EQ(into.code(), -1);
  EXPECT_STREQ(into.contextText(), "{}");
  EXPECT_TRUE(HasValidLayout(into));
}

// --- setContextText -------------------------------------------------------------

TEST(SetContextText, CopiesIntoTheLayoutAndShrinksCleanly) {
  Status s;
  const std::string longText = R"({"a":")" + std::string(2000, 'a') + R"("})";
  ASSERT_TRUE(s.setContextText(longText));
  EXPECT_EQ(s.capacity(), 2048u);  // 2009 characters, NUL and marker
  EXPECT_EQ(std::string(s.contextText()), longText);
  EXPECT_TRUE(HasValidLayout(s));
  ASSERT_TRUE(s.setContextText(R"({"b":2})"));
  EXPECT_STREQ(s.contextText(), R"({"b":2})");
  EXPECT_TRUE(HasValidLayout(s));
  ASSERT_TRUE(s.setContextText(""));
  EXPECT_STREQ(s.contextText(), "");
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(SetContextText, EndsAtAnEmbeddedNul) {
  Status s;
  const std::string text("{\"a\":1}\0garbage", 15);
  ASSERT_TRUE(s.setContextText(text));
  EXPECT_STREQ(s.contextText(), R"({"a":1})");
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(SetContextText, RefusedTextKeepsTheOldOne) {
  statustest::LimitFor() = 512;
  Status s(&statustest::LimitedReallocate);
  ASSERT_TRUE(s.setContextText(R"({"old":1})"));
  EXPECT_FALSE(s.setContextText(std::string(600, 'x')));
  statustest::LimitFor() = 0xffffffffu;
  EXPECT_STREQ(s.contextText(), R"({"old":1})");
  EXPECT_TRUE(HasValidLayout(s));
}

TEST(SetContextText, ExactFitNeedsTwoExtraBytes) {
  statustest::ExactRequests().clear();
  Status s(&statustest::ExactReallocate);
  ASSERT_TRUE(s.setContextText("abcdef"));
  ASSERT_FALSE(statustest::ExactRequests().empty());
  EXPECT_EQ(statustest::ExactRequests().back(), 8u);
  EXPECT_EQ(s.capacity(), 8u);
  EXPECT_TRUE(HasValidLayout(s));
}

}  // namespace
