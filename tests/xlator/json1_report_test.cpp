// json1 report formatting: item layout, sections, the raw-text formatter and
// nested errors.
#include "xlator/json1_report.h"

#include <gtest/gtest.h>

#include <string>

#include "status/codes.h"
#include "xlator/xlator_session.h"
#include "xlator_test_support.h"

namespace {

using voxlator::json1::formatDynamicReportItems;
using voxlator::json1::kRawTextItemFormats;
using xltest::IntAt;
using xltest::Quoted;
using xltest::StringAt;

std::string Items(const std::string& array, voerr::Status& result) {
  std::string out = "<";
  formatDynamicReportItems(kRawTextItemFormats, array.c_str(), out, result);
  return out;
}

// ---- Items -------------------------------------------------------------------

TEST(Json1Items, DefaultFormatPutsKeyAndValuesOnANewLine) {
  voerr::Status result;
  EXPECT_EQ(Items(R"([{"type":"usage","key":"Channel","value":"AI3"}])", result),
            "<\nChannel: AI3");
  EXPECT_EQ(
      Items(R"( [ {"key":"K","value":["A","B","C"]} , {"type":"header","value":"H"} ] )", result),
      "<\nK: A, B, C\nH");
  EXPECT_EQ(result.code(), 0) << result.contextText();
}

TEST(Json1Items, ElaborationRunsOnWithoutPrefixOrSeparators) {
  voerr::Status result;
  EXPECT_EQ(Items(R"([{"type":"elaboration","key":"K","value":["x","y"]}])", result), "<Kxy");
  EXPECT_EQ(result.code(), 0);
}

TEST(Json1Items, TypeMustMatchWholeNameElseDefault) {
  voerr::Status result;
  EXPECT_EQ(Items(R"([{"type":"elaborationX","value":"v"},{"type":"elab","value":"w"}])", result),
            "<\nv\nw");
  EXPECT_EQ(Items(R"([{"type":"elabor\u0061tion","value":"v"},{"type":7,"value":"w"}])", result),
            "<v\nw");
  EXPECT_EQ(result.code(), 0);
}

TEST(Json1Items, EmptyKeyIsLeftOutWithItsPrefixAndSuffix) {
  voerr::Status result;
  EXPECT_EQ(Items(R"([{"key":"","value":"only"},{"key":5,"value":"num"}])", result),
            "<\nonly\nnum");
  EXPECT_EQ(result.code(), 0);
}

TEST(Json1Items, StringsAreUnescaped) {
  voerr::Status result;
  EXPECT_EQ(Items(R"([{"key":"T\u00e9mp\"","value":"a\nb\\c"}])", result),
            "<\nT\xC3\xA9mp\": a\nb\\c");
  EXPECT_EQ(result.code(), 0);
}

TEST(Json1Items, NonArraysAndEmptyArraysAddNothing) {
  voerr::Status result;
  for (const char* text : {"", "{}", "\"text\"", "12", "[]", "  [ ]  ", "null"}) {
    EXPECT_EQ(Items(text, result), "<") << text;
  }
  std::string out;
  formatDynamicReportItems(kRawTextItemFormats, nullptr, out, result);
  EXPECT_EQ(out, "");
  EXPECT_EQ(result.code(), 0);
}

TEST(Json1Items, NumberValueIsRejectedAndNothingOfTheListAppended) {
  voerr::Status result;
  EXPECT_EQ(Items(R"([{"key":"ok","value":"fine"},{"key":"n","value":12}])", result), "<");
  EXPECT_EQ(result.code(), voerr::kInvalidParameter);
  EXPECT_EQ(StringAt(result.contextText(), {"voxlator_debug", "formatDynamicReportItems"}),
            "json1 dynamic object invalid. value can only be string");
  EXPECT_EQ(IntAt(result.contextText(), {"voxlator_debug", "value type"}), 3);
}

TEST(Json1Items, NonStringInsideAValueArrayIsRejected) {
  voerr::Status result;
  EXPECT_EQ(Items(R"([{"value":["a",{"b":1}]}])", result), "<");
  EXPECT_EQ(IntAt(result.contextText(), {"voxlator_debug", "value type"}), 6);
}

TEST(Json1Items, ElementThatIsNotAnObjectIsRejected) {
  voerr::Status result;
  EXPECT_EQ(Items(R"([{"value":"a"}, "loose"])", result), "<");
  EXPECT_EQ(result.code(), voerr::kInvalidParameter);
  EXPECT_EQ(StringAt(result.contextText(), {"voxlator_debug", "formatDynamicReportItems"}),
            "json1 dynamic object invalid. each array item must be an object");
  EXPECT_EQ(StringAt(result.contextText(), {"voxlator_debug", "json1DynamicObjectBegin"}),
            "\"loose\"]");
}

TEST(Json1Items, NothingIsAddedWhenResultAlreadyHoldsAnError) {
  voerr::Status result;
  result.setCode(-2);
  EXPECT_EQ(Items(R"([{"value":"a"}])", result), "<");
  EXPECT_EQ(result.code(), -2);
}

// ---- Raw-text formatter ----------------------------------------------------

TEST(Json1Formatter, LevelZeroTrimsLineEndsAndEndsWithTwoLineFeeds) {
  voxlator::json1::RawTextFormatter formatter;
  voerr::Status status;
  std::string block = "\r\n\nfirst\nsecond\r\n\n";
  formatter.format(0, block, status);
  EXPECT_EQ(block, "first\nsecond\n\n");
}

TEST(Json1Formatter, DeeperLevelsIndentEveryLineByThreeSpacesPerLevel) {
  voxlator::json1::RawTextFormatter formatter;
  voerr::Status status;
  std::string block = "\nfirst\nsecond\n";
  formatter.format(2, block, status);
  EXPECT_EQ(block, "      first\n      second\n\n");
  block = "one";
  formatter.format(1, block, status);
  EXPECT_EQ(block, "   one\n\n");
}

// ---- Whole reports ---------------------------------------------------------

// The stand-in manager's translator gives a known static text and returns the
// context's "standin_json1" member as its dynamic description.
class Json1Report : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(standin_.ready());
    session_.reset(voxlator::createSession(status_));
    ASSERT_NE(session_, nullptr);
  }

  static std::string Context(const std::string& json1, const std::string& extra = "") {
    return "{\"translator\":\"voxlator_standin\",\"standin_json1\":" + Quoted(json1) + extra + "}";
  }
  static std::string Static(int code) {
    return "Stand-in description of code " + std::to_string(code) + " (language 0, ade 0).";
  }

  std::string Render(int32_t code, const std::string& context, uint32_t flags,
                     voerr::Status& result) {
    voerr::Status status = xltest::StatusWith(code, context);
    std::string out;
    voxlator::json1::translateErrStatusToRawText(session_.get(), status, 0, flags, out, result);
    return out;
  }

  xltest::StandinManager standin_;
  xltest::ScopedManagerDirectory directory_{xltest::LibDir()};
  voerr::Status status_;
  voxlator::SessionPtr session_;
};

TEST_F(Json1Report, WorkedLayout) {
  const std::string json1 =
      R"({"dynamic":[{"type":"usage","key":"K1","value":"V1"},)"
      R"({"type":"elaboration","value":"E"},{"type":"usage","key":"K2","value":["A","B"]}]})";
  voerr::Status result;
  EXPECT_EQ(Render(-5, Context(json1), 0x3, result), Static(-5) + "\n\nK1: V1E\nK2: A, B");
  EXPECT_EQ(result.code(), 0) << result.contextText();
}

TEST_F(Json1Report, FormattedTextOfALevelEndsWithTheFormattersLineFeeds) {
  const std::string json1 = R"({"dynamic":[{"key":"K","value":"V"}]})";
  voerr::Status result;
  voxlator::json1::RawTextFormatter formatter;
  std::string out = "before|";
  const std::string context = Context(json1);
  voxlator::json1::translateErrStatusToFormattedText(
      session_.get(), voxlator::json1::kRawTextSections, kRawTextItemFormats, formatter, 0, -5,
      context.c_str(), 0, 0x3, out, result);
  EXPECT_EQ(out, "before|" + Static(-5) + "\n\nK: V\n\n");
}

TEST_F(Json1Report, FlagsSelectTheSections) {
  const std::string json1 =
      R"({"dynamic":[{"key":"D","value":"d"}],"debug":[{"key":"G","value":"g"}]})";
  voerr::Status result;
  EXPECT_EQ(Render(-5, Context(json1), 0x1, result), Static(-5));
  EXPECT_EQ(Render(-5, Context(json1), 0x2, result), "D: d");
  EXPECT_EQ(Render(-5, Context(json1), 0x4, result), "G: g");
  EXPECT_EQ(Render(-5, Context(json1), 0x7, result), Static(-5) + "\n\nD: d\n\nG: g");
  EXPECT_EQ(result.code(), 0) << result.contextText();
}

TEST_F(Json1Report, ContextWithoutTranslatorGivesOnlyTheDefaultStaticDescription) {
  xltest::SharedErrors shared({{-52006, "A file is missing."}});
  voerr::Status result;
  EXPECT_EQ(Render(-52006, R"({"error_constant":"x","standin_json1":"{}"})", 0x7, result),
            "A file is missing.");
  EXPECT_EQ(Render(-52006, "", 0x3, result), "A file is missing.");
  EXPECT_EQ(result.code(), 0) << result.contextText();
  EXPECT_EQ(standin_.counters().dynamicCalls, 0u);
}

TEST_F(Json1Report, DynamicMemberThatIsNotAnArrayAddsNothing) {
  voerr::Status result;
  EXPECT_EQ(Render(-5, Context(R"({"dynamic":"text","debug":{}})"), 0x7, result), Static(-5));
  EXPECT_EQ(result.code(), 0) << result.contextText();
}

TEST_F(Json1Report, TranslatorFailureStopsTheRenderingWithItsStatus) {
  voerr::Status result;
  Render(-5, "{\"translator\":\"voxlator_standin\",\"standin_status\":-52029}", 0x3, result);
  EXPECT_EQ(result.code(), -52029);
}

TEST_F(Json1Report, NothingForCodeZeroOrAnErrorResult) {
  voerr::Status result;
  EXPECT_EQ(Render(0, Context("{}"), 0x3, result), "");
  EXPECT_EQ(standin_.counters().staticCalls, 0u);
  voerr::Status failed;
  failed.setCode(-1);
  EXPECT_EQ(Render(-5, Context("{}"), 0x3, failed), "");
  EXPECT_EQ(failed.code(), -1);
}

TEST_F(Json1Report, NestedObjectIsRenderedOneLevelDeeper) {
  const std::string nested = "{\"code\":-7,\"translator\":\"voxlator_standin\",\"standin_json1\":" +
                             Quoted(R"({"dynamic":[{"key":"Inner","value":"i"}]})") + "}";
  voerr::Status result;
  const std::string text = Render(
      -5, Context(R"({"dynamic":[{"key":"Outer","value":"o"}]})", ",\"nested_error\":" + nested),
      0xB, result);
  EXPECT_EQ(text, Static(-5) + "\n\nOuter: o\n\n   " + Static(-7) + "\n   \n   Inner: i");
  EXPECT_EQ(result.code(), 0) << result.contextText();
}

TEST_F(Json1Report, NestedErrorAtLevelTwoIsIndentedBySixSpaces) {
  const std::string level2 = "{\"code\":-9,\"translator\":\"voxlator_standin\",\"standin_json1\":" +
                             Quoted(R"({"dynamic":[{"key":"L2","value":"x"}]})") + "}";
  const std::string level1 =
      "{\"code\":-8,\"translator\":\"voxlator_standin\",\"standin_json1\":" + Quoted("{}") +
      ",\"nested_error\":[" + level2 + "]}";
  voerr::Status result;
  const std::string text =
      Render(-5, Context("{}", ",\"nested_error\":[" + level1 + "]"), 0x9, result);
  EXPECT_EQ(text, Static(-5) + "\n\n   " + Static(-8) + "\n\n      " + Static(-9) +
                      "\n      \n      L2: x");
  EXPECT_EQ(result.code(), 0) << result.contextText();
}

TEST_F(Json1Report, NestedArrayIsWalkedInOrderAndCodeDefaultsToZero) {
  const std::string quiet = ",\"standin_json1\":\"{}\"";
  const std::string a = "{\"code\":-1,\"translator\":\"voxlator_standin\"" + quiet + "}";
  const std::string b = "{\"translator\":\"voxlator_standin\"" + quiet + "}";
  const std::string c = "{\"code\":-3.9,\"translator\":\"voxlator_standin\"" + quiet + "}";
  voerr::Status result;
  const std::string text =
      Render(-5, Context("{}", ",\"nested_error\":[" + a + "," + b + " , " + c + "]"), 0x9, result);
  EXPECT_EQ(text,
            Static(-5) + "\n\n   " + Static(-1) + "\n\n   " + Static(0) + "\n\n   " + Static(-3));
}

TEST_F(Json1Report, NestedLevelsGetDebugItemsOnlyWhenTheTopLevelAskedForThem) {
  const std::string inner = "{\"code\":-7,\"translator\":\"voxlator_standin\",\"standin_json1\":" +
                            Quoted(R"({"debug":[{"key":"Dbg","value":"z"}]})") + "}";
  voerr::Status result;
  const std::string without = Render(-5, Context("{}", ",\"nested_error\":" + inner), 0x9, result);
  EXPECT_EQ(without.find("Dbg"), std::string::npos) << without;
  const std::string with = Render(-5, Context("{}", ",\"nested_error\":" + inner), 0xD, result);
  EXPECT_NE(with.find("Dbg: z"), std::string::npos) << with;
  EXPECT_EQ(result.code(), 0) << result.contextText();
}

TEST_F(Json1Report, NestedErrorsAreIgnoredWithoutFlag8) {
  voerr::Status result;
  const std::string text = Render(
      -5, Context("{}", ",\"nested_error\":{\"code\":-7,\"translator\":\"voxlator_standin\"}"), 0x3,
      result);
  EXPECT_EQ(text, Static(-5));
}

TEST_F(Json1Report, NestedStringRaisesInvalidJsonType) {
  voerr::Status result;
  const std::string context = Context("{}", ",\"nested_error\":\"text\"");
  Render(-5, context, 0x9, result);
  EXPECT_EQ(result.code(), voerr::kInvalidParameter);
  EXPECT_EQ(StringAt(result.contextText(), {"voxlator_debug", "translateErrStatusToFormattedText"}),
            "nested_error contains invalid json type");
  EXPECT_EQ(IntAt(result.contextText(), {"voxlator_debug", "jsonz_type"}), 4);
  EXPECT_EQ(StringAt(result.contextText(), {"voxlator_debug", "json"}), context);
}

TEST_F(Json1Report, NestedArrayElementOfAnotherKindRaisesAfterTheEarlierElements) {
  voerr::Status result;
  std::string out;
  voerr::Status status = xltest::StatusWith(
      -5,
      Context("{}", ",\"nested_error\":[{\"code\":-1,\"translator\":\"voxlator_standin\"},[1]]"));
  voxlator::json1::translateErrStatusToRawText(session_.get(), status, 0, 0x9, out, result);
  EXPECT_EQ(result.code(), voerr::kInvalidParameter);
  EXPECT_EQ(StringAt(result.contextText(), {"voxlator_debug", "translateErrStatusToFormattedText"}),
            "nested_error contains invalid json type on one of the element");
  EXPECT_EQ(IntAt(result.contextText(), {"voxlator_debug", "invalid json_type"}), 5);
  EXPECT_NE(out.find(Static(-1)), std::string::npos) << "the first element was not rendered";
}

TEST_F(Json1Report, UnparsableNestedErrorIsIgnoredSilently) {
  voerr::Status result;
  // The context as a whole does not parse past "nested_error", so nothing
  // nested can be found; the block itself still renders.
  const std::string text =
      Render(-5, Context("{}", ",\"nested_error\":{\"code\":-1,}"), 0x9, result);
  EXPECT_EQ(text, Static(-5));
  EXPECT_EQ(result.code(), 0) << result.contextText();
}

TEST_F(Json1Report, MalformedItemStopsTheReport) {
  voerr::Status result;
  Render(-5, Context(R"({"dynamic":[{"value":1}]})"), 0x3, result);
  EXPECT_EQ(result.code(), voerr::kInvalidParameter);
  EXPECT_EQ(IntAt(result.contextText(), {"voxlator_debug", "value type"}), 3);
}

}  // namespace
