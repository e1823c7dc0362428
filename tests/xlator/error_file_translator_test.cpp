// The "voxlator_default" translator: its object, the language fallback, the
// conversion from the language's code page, and the failures it reports.
#include "xlator/error_file_translator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "../sysq/sysq_test_support.h"
#include "xlator/language.h"

namespace {

using sysqtest::IntAt;
using sysqtest::ScopedRegistry;
using sysqtest::StringAt;
using sysqtest::TempDir;

std::string ErrorFile(const std::vector<std::pair<int, std::string>>& errors) {
  std::string text = "<?xml version=\"1.0\"?>\r\n<vodocument>\r\n";
  for (const auto& [code, description] : errors) {
    text +=
        "<voerror code=\"" + std::to_string(code) + "\">\r\n" + description + "\r\n</voerror>\r\n";
  }
  return text + "</vodocument>\r\n";
}

// An allocation callback that records what it was given.
struct Allocations {
  int calls = 0;
  void* lastContext = nullptr;
  bool fail = false;
};

void* Allocate(void* block, size_t size, void* allocContext, voerr::Status* status) {
  auto* record = static_cast<Allocations*>(allocContext);
  if (record != nullptr) {
    ++record->calls;
    record->lastContext = allocContext;
  }
  if (size == 0) {
    std::free(block);
    return nullptr;
  }
  if (status->isError()) return nullptr;
  if (record != nullptr && record->fail) {
    VOERR_RAISE(*status, voerr::kMemoryFull, voerr::kMemoryFullName)
        .object("voxlator_debug", {{"debug", "realloc failed"}});
    return nullptr;
  }
  return std::realloc(block, size);
}

class DefaultTranslatorTest : public ::testing::Test {
 protected:
  DefaultTranslatorTest()
      : registry_(tmp_, "[SOFTWARE\\Corvane\\Common\\Installer]\nVOSHAREDDIR=" + tmp_.path() +
                            "/shared\\\\0\nVOSHAREDDIR64=/elsewhere\n") {
    tmp_.makeDir("shared/Errors");
  }

  void languageFile(const char* language, const std::vector<std::pair<int, std::string>>& e) {
    tmp_.makeDir(std::string("shared/Errors/") + language);
    tmp_.writeFile(std::string("shared/Errors/") + language + "/votarsinapi.txt", ErrorFile(e));
  }

  // The static description, or nothing with the reason in status_.
  std::optional<std::string> describe(int32_t code, uint32_t options) {
    status_.clear();
    voxlator::TranslatorInterface* xlator =
        voxlator::createDefaultXlator("voxlator_default", "{}", status_);
    EXPECT_NE(xlator, nullptr);
    if (xlator == nullptr) return std::nullopt;
    char* text = xlator->getStaticDesc(xlator, code, options, &Allocate, &allocations_, status_);
    if (text == nullptr) return std::nullopt;
    std::string result = text;
    Allocate(text, 0, nullptr, &status_);
    return result;
  }

  TempDir tmp_;
  ScopedRegistry registry_;
  voerr::Status status_;
  Allocations allocations_;
};

TEST_F(DefaultTranslatorTest, IsOneStaticObjectWithOnlyAStaticDescription) {
  voerr::Status status;
  voxlator::TranslatorInterface* a =
      voxlator::createDefaultXlator("voxlator_default", "{}", status);
  voxlator::TranslatorInterface* b = voxlator::createDefaultXlator("other", nullptr, status);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->structSize, 32u);
  EXPECT_EQ(a->getStaticDesc, &voxlator::defaultXlatorGetStaticDesc);
  EXPECT_EQ(a->getDynamicDesc, nullptr);
  ASSERT_NE(a->destroy, nullptr);
  a->destroy(a);  // does nothing: the object stays usable
  EXPECT_EQ(voxlator::createDefaultXlator("voxlator_default", "{}", status), a);
  EXPECT_EQ(a->structSize, 32u);

  VOERR_RAISE(status, voerr::kSystemError, nullptr);
  EXPECT_EQ(voxlator::createDefaultXlator("voxlator_default", "{}", status), nullptr);
}

TEST_F(DefaultTranslatorTest, DescriptionComesInUtf8FromTheLanguagesCodePage) {
  languageFile("English", {{-52005, "Invalid argument.\r\nCheck the values."}});
  languageFile("French", {{-52005, "Argument non valide : v\xE9rifiez les valeurs."}});
  languageFile("Japanese", {{-52005, "\x96\xB3\x8C\xF8\x82\xC8\x88\xF8\x90\x94"}});
  languageFile("ChineseS", {{-52005, "\xCE\xDE\xD0\xA7\xB2\xCE\xCA\xFD"}});

  EXPECT_EQ(describe(-52005, voxlator::kEnglish), "Invalid argument.\nCheck the values.");
  EXPECT_EQ(allocations_.lastContext, &allocations_) << "the allocation context is passed on";
  EXPECT_EQ(describe(-52005, voxlator::kFrench),
            "Argument non valide : v\xC3\xA9rifiez les valeurs.");
  EXPECT_EQ(describe(-52005, voxlator::kJapanese),
            "\xE7\x84\xA1\xE5\x8A\xB9\xE3\x81\xAA\xE5\xBC\x95\xE6\x95\xB0");  // 無効な引数
  EXPECT_EQ(describe(-52005, voxlator::kChineseS),
            "\xE6\x97\xA0\xE6\x95\x88\xE5\x8F\x82\xE6\x95\xB0");  // 无效参数
  EXPECT_TRUE(status_.isSuccess()) << status_.contextText();
}

TEST_F(DefaultTranslatorTest, EnglishIsTheOneFallback) {
  // In English, with a byte that code page 1252 reads as e-acute but 932
  // would read as the lead byte of a pair.
  languageFile("English", {{1, "caf\xE9 only in English"}});
  languageFile("Japanese", {{2, "\x83\x65\x83\x58\x83\x67"}});
  // Found only in English: converted with the code page of English.
  EXPECT_EQ(describe(1, voxlator::kJapanese), "caf\xC3\xA9 only in English");
  // No Korean directory at all: English is searched next.
  EXPECT_EQ(describe(1, voxlator::kKorean), "caf\xC3\xA9 only in English");
  // An invalid language fails in the first search, which is then repeated
  // in English.
  EXPECT_EQ(describe(1, 9), "caf\xC3\xA9 only in English");
  EXPECT_TRUE(status_.isSuccess()) << status_.contextText();
  // The language's own text comes first.
  EXPECT_EQ(describe(2, voxlator::kJapanese), "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88");
}

TEST_F(DefaultTranslatorTest, NothingFoundNamesCodeLanguageAndHint) {
  languageFile("English", {{1, "one"}});
  languageFile("German", {{1, "eins"}});
  EXPECT_EQ(describe(7, voxlator::makeOptions(voxlator::kGerman, 0xA)), std::nullopt);
  ASSERT_EQ(status_.code(), voerr::kResourceNotFound);
  const char* ctx = status_.contextText();
  sysqtest::ExpectStandardMembers(status_, "voapalerr_resourceNotFound");
  EXPECT_EQ(StringAt(ctx, {"voxlator_debug", "voxlator_defaultTranslator"}),
            "couldn't find description for code")
      << ctx;
  EXPECT_EQ(IntAt(ctx, {"voxlator_debug", "code"}), 7) << ctx;
  EXPECT_EQ(IntAt(ctx, {"voxlator_debug", "lang"}), 0) << "English was searched last: " << ctx;
  EXPECT_EQ(IntAt(ctx, {"voxlator_debug", "ade"}), 0xA) << ctx;
  EXPECT_EQ(allocations_.calls, 0);
}

TEST_F(DefaultTranslatorTest, ASearchFailureInEnglishIsPassedOn) {
  // No English directory: the English search fails, whichever language was
  // asked for first.
  languageFile("French", {{1, "un"}});
  for (uint32_t language : {voxlator::kEnglish, voxlator::kKorean, voxlator::kFrench}) {
    EXPECT_EQ(describe(2, language), std::nullopt);
    ASSERT_EQ(status_.code(), voerr::kResourceNotFound) << language;
    const char* ctx = status_.contextText();
    EXPECT_EQ(StringAt(ctx, {"voxlator_debug", "debug"}), "open dir failed") << ctx;
    EXPECT_EQ(StringAt(ctx, {"voxlator_debug", "path"}), tmp_.path() + "/shared\\errors\\English")
        << ctx;
    EXPECT_EQ(IntAt(ctx, {"internal_error", "code"}), 2) << ctx;
  }
  // A malformed English file is reported the same way.
  languageFile("English", {{1, "one"}});
  tmp_.writeFile("shared/Errors/English/broken.txt",
                 "<?xml version=\"1.0\"?>\n<vodocument>\n<voerror code=\"q\">\n");
  EXPECT_EQ(describe(2, voxlator::kEnglish), std::nullopt);
  EXPECT_EQ(StringAt(status_.contextText(), {"voxlator_debug", "debug"}),
            "Could not successfully read the status data!");
}

TEST_F(DefaultTranslatorTest, AFailureToFindTheSharedDirectoryIsPassedOn) {
  ScopedRegistry other(tmp_, "[SOFTWARE\\Corvane\\Common\\Installer]\nVOSHAREDDIR64=/x\n");
  EXPECT_EQ(describe(1, voxlator::kEnglish), std::nullopt);
  ASSERT_EQ(status_.code(), voerr::kResourceNotFound);
  EXPECT_EQ(StringAt(status_.contextText(), {"vosysq_debug", "desc"}), "RegQueryValue failed");
}

TEST_F(DefaultTranslatorTest, TextInvalidInItsCodePageFailsTheConversion) {
  languageFile("English", {{1, "one"}});
  languageFile("Japanese", {{1, "\x81\x20 is no character in 932"}});
  EXPECT_EQ(describe(1, voxlator::kJapanese), std::nullopt);
  ASSERT_EQ(status_.code(), voerr::kTextConversion);
  sysqtest::ExpectStandardMembers(status_, "err");
  EXPECT_EQ(allocations_.calls, 0);
}

TEST_F(DefaultTranslatorTest, AllocationFailureIsReportedByTheAllocator) {
  languageFile("English", {{1, "one"}});
  allocations_.fail = true;
  EXPECT_EQ(describe(1, voxlator::kEnglish), std::nullopt);
  EXPECT_EQ(status_.code(), voerr::kMemoryFull);
  EXPECT_EQ(StringAt(status_.contextText(), {"voxlator_debug", "debug"}), "realloc failed");
}

TEST_F(DefaultTranslatorTest, StatusHoldingAnErrorOrAWarning) {
  languageFile("English", {{1, "one"}});
  voxlator::TranslatorInterface* xlator = nullptr;
  {
    voerr::Status status;
    xlator = voxlator::createDefaultXlator("voxlator_default", "{}", status);
  }
  ASSERT_NE(xlator, nullptr);
  voerr::Status error;
  VOERR_RAISE(error, voerr::kSystemError, nullptr);
  EXPECT_EQ(xlator->getStaticDesc(xlator, 1, 0, &Allocate, nullptr, error), nullptr);
  EXPECT_EQ(error.code(), voerr::kSystemError);

  voerr::Status warning;
  warning.setCode(3);
  char* text = xlator->getStaticDesc(xlator, 1, 0, &Allocate, nullptr, warning);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "one");
  EXPECT_EQ(warning.code(), 3);
  Allocate(text, 0, nullptr, &warning);
  EXPECT_EQ(xlator->getStaticDesc(xlator, 2, 0, &Allocate, nullptr, warning), nullptr);
  EXPECT_EQ(warning.code(), voerr::kResourceNotFound) << "an error replaces a warning";
}

// ---- Languages ---------------------------------------------------------------

TEST(Languages, NamesCodesAndCodePages) {
  const char* dirs[] = {"English", "French", "German", "Japanese", "Korean", "ChineseS"};
  const char* codes[] = {"eng", "fra", "deu", "jpn", "kor", "chs"};
  const uint32_t pages[] = {1252, 1252, 1252, 932, 949, 936};
  for (uint32_t i = 0; i < voxlator::kLanguageCount; ++i) {
    voerr::Status status;
    EXPECT_EQ(voxlator::convertLangToDir(i, status), dirs[i]);
    EXPECT_TRUE(status.isSuccess());
    EXPECT_STREQ(voxlator::languageCode(i), codes[i]);
    EXPECT_EQ(voxlator::languageCodePage(i), pages[i]);
    EXPECT_EQ(voxlator::languageFromCode(codes[i]), i);
    EXPECT_EQ(voxlator::languageFromDirectoryName(dirs[i]), i);
  }
  EXPECT_EQ(voxlator::languageFromCode("ENG"), std::nullopt);
  EXPECT_EQ(voxlator::languageFromDirectoryName("english"), std::nullopt);
  EXPECT_EQ(voxlator::languageInfo(6), nullptr);
  EXPECT_EQ(voxlator::languageDirectoryName(6), nullptr);
  EXPECT_EQ(voxlator::languageCodePage(0xFFFFFFFF), 0u);

  EXPECT_EQ(voxlator::languageFromGxName("ChineseS"), voxlator::kChineseS);
  EXPECT_EQ(voxlator::languageFromGxName("Korean"), voxlator::kKorean);
  EXPECT_EQ(voxlator::languageFromGxName("English"), voxlator::kEnglish);
  EXPECT_EQ(voxlator::languageFromGxName("french"), voxlator::kEnglish);
  EXPECT_EQ(voxlator::languageFromGxName(nullptr), voxlator::kEnglish);
}

TEST(Languages, InvalidIndexIsRejected) {
  for (uint32_t bad : {6u, 255u, 0x80000000u}) {
    voerr::Status status;
    EXPECT_EQ(voxlator::convertLangToDir(bad, status), "");
    ASSERT_EQ(status.code(), voerr::kInvalidParameter);
    EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "gxerrorsparser"}),
              "invalid language");
    EXPECT_EQ(sysqtest::RawAt(status.contextText(), {"voxlator_debug", "lang"}),
              std::to_string(bad));
  }
}

TEST(Languages, CodePageTextToUtf8) {
  std::string out;
  voerr::Status status;
  voxlator::mbsToUtf8(voxlator::kFrench, "\xE9", out, status);
  EXPECT_EQ(out, "\xC3\xA9");
  voxlator::mbsToUtf8(voxlator::kKorean, "\xC7\xD1\xB1\xB9\xBE\xEE", out, status);
  EXPECT_EQ(out, "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4");  // 한국어
  voxlator::mbsToUtf8(voxlator::kEnglish, "", out, status);
  EXPECT_EQ(out, "");
  EXPECT_TRUE(status.isSuccess());

  // Plain ASCII is copied as it stands, but only for a valid language.
  voxlator::mbsToUtf8(voxlator::kJapanese, "plain \\ ~", out, status);
  EXPECT_EQ(out, "plain \\ ~");
  voxlator::mbsToUtf8(6, "plain", out, status);
  EXPECT_EQ(out, "");
  EXPECT_EQ(status.code(), voerr::kInvalidParameter);

  // An invalid sequence: no partial result, "err" as the constant.
  voerr::Status bad;
  out = "stale";
  voxlator::mbsToUtf8(voxlator::kJapanese, "ok\x81", out, bad);
  EXPECT_EQ(out, "");
  EXPECT_EQ(bad.code(), voerr::kTextConversion);
  sysqtest::ExpectStandardMembers(bad, "err");

  // Taken over a warning, never over an error.
  voerr::Status warning;
  warning.setCode(2);
  voxlator::mbsToUtf8(voxlator::kJapanese, "\x81", out, warning);
  EXPECT_EQ(warning.code(), voerr::kTextConversion);
  voerr::Status error;
  VOERR_RAISE(error, voerr::kSystemError, nullptr);
  out = "stale";
  voxlator::mbsToUtf8(voxlator::kEnglish, "x", out, error);
  EXPECT_EQ(out, "");
  EXPECT_EQ(error.code(), voerr::kSystemError);
}

}  // namespace
