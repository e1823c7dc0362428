// Error text: code-page output, the rendering fallbacks, the description
// builder and the exception barrier.
#include "xlator/error_text.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <typeinfo>

#include "status/codes.h"
#include "status/exception.h"
#include "xlator_test_support.h"

namespace {

using xltest::Quoted;
using xltest::StringAt;

// ---- UTF-8 to code page ----------------------------------------------------

TEST(ErrorTextCodePage, AsciiIsCopiedForEveryLanguage) {
  for (uint32_t language = 0; language < 6; ++language) {
    voerr::Status status;
    std::string out = "stale";
    voxlator::utf8ToLanguageCodePage(language, "Plain text, 100%.", out, status);
    EXPECT_EQ(out, "Plain text, 100%.");
    EXPECT_EQ(status.code(), 0);
  }
}

TEST(ErrorTextCodePage, ConvertsIntoTheLanguagesCodePage) {
  voerr::Status status;
  std::string out;
  voxlator::utf8ToLanguageCodePage(1, "Temp\xC3\xA9rature \xE2\x82\xAC", out, status);
  EXPECT_EQ(out, "Temp\xE9rature \x80");  // 1252
  voxlator::utf8ToLanguageCodePage(3, "\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC", out, status);
  EXPECT_EQ(out, "\x83\x47\x83\x89\x81\x5B");  // "エラー" in 932
  EXPECT_EQ(status.code(), 0) << status.contextText();
}

TEST(ErrorTextCodePage, CharactersTheCodePageLacksBecomeQuestionMarks) {
  voerr::Status status;
  std::string out;
  voxlator::utf8ToLanguageCodePage(0, "a\xE6\xBC\xA2z \xF0\x9F\x98\x80!", out, status);
  EXPECT_EQ(out, "a?z ?!");  // a CJK character and an emoji have no 1252 form
  EXPECT_EQ(status.code(), 0);
}

TEST(ErrorTextCodePage, MalformedUtf8RecordsConversionError) {
  for (const char* bad :
       {"caf\xC3", "over\xC0\xAFlong", "sur\xED\xA0\x80rogate", "\xF4\x90\x80\x80", "lone\x80"}) {
    voerr::Status status;
    std::string out = "stale";
    voxlator::utf8ToLanguageCodePage(0, bad, out, status);
    EXPECT_EQ(out, "");
    EXPECT_EQ(status.code(), voerr::kTextConversion) << bad;
    EXPECT_EQ(StringAt(status.contextText(), {"error_constant"}), "err");
    EXPECT_EQ(StringAt(status.contextText(), {"component"}), "votarsinapi");
  }
}

TEST(ErrorTextCodePage, FailureTakesOverAWarningButNotAnError) {
  voerr::Status warned;
  warned.setCode(3);
  std::string out;
  voxlator::utf8ToLanguageCodePage(0, "\xFF", out, warned);
  EXPECT_EQ(warned.code(), voerr::kTextConversion);

  voerr::Status failed;
  VOERR_RAISE(failed, -4, "four");
  voxlator::utf8ToLanguageCodePage(0, "\xFF", out, failed);
  EXPECT_EQ(failed.code(), -4);
  EXPECT_EQ(StringAt(failed.contextText(), {"error_constant"}), "four");
}

TEST(ErrorTextCodePage, InvalidLanguageIsRejectedForNonAsciiText) {
  voerr::Status status;
  std::string out;
  voxlator::utf8ToLanguageCodePage(6, "\xC3\xA9", out, status);
  EXPECT_EQ(status.code(), voerr::kInvalidParameter);
  EXPECT_EQ(out, "");
}

// ---- Rendering with fallbacks ------------------------------------------------

class ErrorTextRender : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(standin_.ready()); }

  static std::string Static(int code) {
    return "Stand-in description of code " + std::to_string(code) + " (language 0, ade 0).";
  }

  xltest::StandinManager standin_;
  xltest::ScopedManagerDirectory directory_{xltest::LibDir()};
  xltest::SharedErrors shared_{
      {{-52005, "An argument is not valid."}, {-61014, "The attribute cannot be written."}}};
};

TEST_F(ErrorTextRender, DynamicItemsAreAddedByTheBuilder) {
  const voerr::Status status = xltest::StatusWith(
      -61014, "{\"translator\":\"voxlator_standin\",\"standin_json1\":" +
                  Quoted(R"({"dynamic":[{"key":"Device","value":"RIO0"}]})") + "}");
  EXPECT_EQ(voxlator::describeStatus(status, voxlator::kGetErrorFlags),
            Static(-61014) + "\n\nDevice: RIO0");
}

TEST_F(ErrorTextRender, WithoutFlag8TheNestedFailureIsDroppedButDynamicItemsStay) {
  const voerr::Status status = xltest::StatusWith(
      -61014, "{\"translator\":\"voxlator_standin\",\"nested_error\":7,\"standin_json1\":" +
                  Quoted(R"({"dynamic":[{"key":"Device","value":"RIO0"}]})") + "}");
  std::string text;
  voxlator::renderStatusText(status, 0, 0xB, text);
  EXPECT_EQ(text, Static(-61014) + "\n\nDevice: RIO0");
}

TEST_F(ErrorTextRender, FailingDynamicDescriptionFallsBackToTheStaticOne) {
  const voerr::Status status =
      xltest::StatusWith(-61014, R"({"translator":"voxlator_standin","standin_status":-52003})");
  std::string text;
  voxlator::renderStatusText(status, 0, 0x3, text);
  EXPECT_EQ(text, Static(-61014));
}

TEST_F(ErrorTextRender, FailingNamedTranslatorFallsBackToTheErrorFiles) {
  for (const char* translator :
       {"mxlator_votarsinapi", "no_such_xlator", VOXLATOR_STANDIN_DYNAMIC_ONLY_NAME}) {
    const voerr::Status status =
        xltest::StatusWith(-61014, std::string("{\"translator\":\"") + translator + "\"}");
    std::string text;
    voxlator::renderStatusText(status, 0, 0x3, text);
    EXPECT_EQ(text, "The attribute cannot be written.") << translator;
  }
}

TEST_F(ErrorTextRender, WithoutFlag1ThereIsNoStaticFallback) {
  const voerr::Status status = xltest::StatusWith(-61014, R"({"translator":"no_such_xlator"})");
  std::string text;
  EXPECT_THROW(voxlator::renderStatusText(status, 0, 0x2, text), voerr::Exception);
}

TEST_F(ErrorTextRender, CodeWithoutAnyDescriptionGivesTheFixedText) {
  const voerr::Status status = xltest::StatusWith(-12345, R"({"translator":"no_such_xlator"})");
  EXPECT_EQ(voxlator::describeStatus(status, voxlator::kGetErrorFlags),
            "Failed to translate error elaboration.");
  try {
    std::string text;
    voxlator::renderStatusText(status, 0, 0x3, text);
    FAIL() << "no exception";
  } catch (const voerr::Exception& e) {
    // The last attempt's failure: the error-file translator found nothing.
    EXPECT_EQ(e.code(), voerr::kResourceNotFound);
    EXPECT_EQ(StringAt(e.text(), {"voxlator_debug", "voxlator_defaultTranslator"}),
              "couldn't find description for code");
  }
}

TEST_F(ErrorTextRender, CodeZeroRendersEmpty) {
  const voerr::Status status = xltest::StatusWith(0, R"({"translator":"voxlator_standin"})");
  EXPECT_EQ(voxlator::describeStatus(status, voxlator::kGetErrorFlags), "");
  EXPECT_EQ(standin_.counters().staticCalls, 0u);
}

TEST_F(ErrorTextRender, EveryCallUsesAFreshSession) {
  const voerr::Status status = xltest::StatusWith(-1, R"({"translator":"voxlator_standin"})");
  voxlator::describeStatus(status, voxlator::kGetErrorFlags);
  voxlator::describeStatus(status, voxlator::kGetErrorFlags);
  const auto c = standin_.counters();
  EXPECT_EQ(c.sessionsCreated, 2u);
  EXPECT_EQ(c.sessionsDestroyed, 2u);
  EXPECT_EQ(c.xlatorsCreated, 2u);
  EXPECT_EQ(c.xlatorsDestroyed, 2u);
}

TEST_F(ErrorTextRender, GraphyxFlagsConvertToTheCodePage) {
  const voerr::Status status =
      xltest::StatusWith(-61014, "{\"translator\":\"voxlator_standin\",\"standin_json1\":" +
                                     Quoted("{\"dynamic\":[{\"key\":\"Unit\",\"value\":\"\xC2\xB0"
                                            "C \xE6\xBC\xA2\"}]}") +
                                     "}");
  EXPECT_EQ(voxlator::describeStatus(status, voxlator::kGxGetErrorFlags), Static(-61014) +
                                                                              "\n\nUnit: \xB0"
                                                                              "C ?");
  EXPECT_EQ(voxlator::describeStatus(status, voxlator::kGetErrorFlags), Static(-61014) +
                                                                            "\n\nUnit: \xC2\xB0"
                                                                            "C \xE6\xBC\xA2");
}

TEST_F(ErrorTextRender, SessionZeroDescribesTheCodeFromTheErrorFiles) {
  EXPECT_EQ(voxlator::errorText(0, -52005, voxlator::kGetErrorFlags), "An argument is not valid.");
  EXPECT_EQ(voxlator::errorText(0, 0, voxlator::kGetErrorFlags), "");
}

// ---- Exception barrier -------------------------------------------------------

template <typename Thrower>
voerr::FixedStatus Barrier(Thrower thrower) {
  voerr::FixedStatus block;
  voxlator::runErrorTextBarrier(block, thrower);
  return block;
}

struct NotAnException {};

TEST(ErrorTextBarrier, MapsEachExceptionTypeToItsCode) {
  EXPECT_EQ(Barrier([] { throw std::bad_alloc(); }).code, -52000);
  EXPECT_EQ(Barrier([] { throw std::invalid_argument("x"); }).code, -52005);
  EXPECT_EQ(Barrier([] { throw std::bad_cast(); }).code, -52004);
  EXPECT_EQ(
      Barrier([] { throw std::system_error(std::make_error_code(std::errc::io_error)); }).code,
      -52008);
  EXPECT_EQ(Barrier([] { throw std::out_of_range("x"); }).code, -52003);
  EXPECT_EQ(Barrier([] { throw std::runtime_error("x"); }).code, -52003);
  EXPECT_EQ(Barrier([] { throw NotAnException(); }).code, -52003);
  EXPECT_EQ(Barrier([] { throw 42; }).code, -52003);
  EXPECT_EQ(Barrier([] {}).code, 0);
}

TEST(ErrorTextBarrier, OwnCodesNameTheBarrier) {
  const voerr::FixedStatus block = Barrier([] { throw std::bad_alloc(); });
  EXPECT_STREQ(block.component, "votarsina");  // the block keeps 9 characters
  EXPECT_STREQ(block.file, ".\\source\\TarsinErrors");
  EXPECT_GT(block.line, 0u);
}

TEST(ErrorTextBarrier, StatusExceptionKeepsItsCodeAndOrigin) {
  const voerr::FixedStatus block = Barrier([] {
    voerr::Status status;
    status.raise(-52006, "voapalerr_resourceNotFound", "xlator/somewhere.cpp", 77, "votarsinapi");
    status.throwIfError();
  });
  EXPECT_EQ(block.code, -52006);
  EXPECT_STREQ(block.file, "xlator/somewhere.cpp");
  EXPECT_EQ(block.line, 77u);
  EXPECT_STREQ(block.component, "tarsinapi");  // the last 9 characters of the context's
}

TEST(ErrorTextBarrier, StatusExceptionWithoutAnErrorGivesSoftwareFault) {
  const voerr::FixedStatus block = Barrier([] {
    voerr::Status status;
    status.setCode(12);
    throw voerr::Exception(std::move(status));
  });
  EXPECT_EQ(block.code, -52003);
  EXPECT_STREQ(block.file, ".\\source\\TarsinErrors");
}

}  // namespace
