// The error descriptions that ship with the library: every status code of
// the public header and every code the library or the device driver raises
// has a description in each of the six languages, as converted by the build
// into the languages' code pages, and found with no set-up beyond the build
// tree's own registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "../sysq/sysq_test_support.h"
#include "xlator/error_file_translator.h"
#include "xlator/language.h"

namespace {

using sysqtest::ScopedEnv;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Negative status codes defined in a header: "#define NAME (-123)" or
// "#define NAME -123", for names with the given prefix.
std::map<std::string, int32_t> CodesDefinedIn(const std::string& header,
                                              const std::string& prefix) {
  const std::string text = ReadText(header);
  const std::regex define("#define[ \\t]+(" + prefix +
                          "\\w*)[ \\t]+\\(?[ \\t]*(-[0-9]+)[ \\t]*\\)?");
  std::map<std::string, int32_t> codes;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), define);
       it != std::sregex_iterator(); ++it) {
    codes[(*it)[1].str()] = static_cast<int32_t>(std::stol((*it)[2].str()));
  }
  return codes;
}

// Codes the library raises itself beyond those its header names.
const std::set<int32_t> kRaisedByTheLibrary = {
    -52000,  -52003,  -52004,  -52005,  -52006,  -52008,  -52027,  -52029,
    -50400,  -63196,  -304017, -304314, -304401, -304405, -304410, -304415,
    -304416, -304417, -304418, -304419, -304420, -304421, -304422,
};

std::set<int32_t> LibraryCodes() {
  std::set<int32_t> codes = kRaisedByTheLibrary;
  const auto header = CodesDefinedIn(VO_TEST_SOURCE_DIR "/include/votarsinapi.h", "VOTARSIN_");
  EXPECT_GE(header.size(), 13u) << "the header's status codes were not found";
  for (const auto& [name, code] : header) codes.insert(code);
  return codes;
}

std::set<int32_t> DeviceCodes() {
  std::set<int32_t> codes;
  const auto header =
      CodesDefinedIn(VO_TEST_SOURCE_DIR "/standins/device/vodevice_hook.h", "VODEV_E_");
  EXPECT_GE(header.size(), 19u) << "the device model's status codes were not found";
  for (const auto& [name, code] : header) codes.insert(code);
  return codes;
}

// The description of a code in one directory, as stored, or "" when there
// is none; the search must not fail.
std::string StoredIn(const std::string& dir, int32_t code) {
  std::string text;
  voerr::Status status;
  voxlator::findDescriptionInDir(dir, code, text, status);
  EXPECT_TRUE(status.isSuccess()) << dir << ": " << status.contextText();
  return text;
}

std::string ToUtf8(uint32_t language, const std::string& stored) {
  std::string utf8;
  voerr::Status status;
  voxlator::mbsToUtf8(language, stored, utf8, status);
  EXPECT_TRUE(status.isSuccess()) << status.contextText();
  return utf8;
}

bool HasNonAscii(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

// Every code has its own description in every language: the language's
// file holds it (no English stand-in), it differs from the English text, it
// reads as well-formed text of its code page, and it equals the UTF-8
// source it was converted from.
void CheckDescriptions(const std::set<int32_t>& codes, const std::string& builtRoot,
                       const std::string& sourceRoot) {
  for (uint32_t language = 0; language < voxlator::kLanguageCount; ++language) {
    const std::string name = voxlator::languageDirectoryName(language);
    const std::string built = builtRoot + "/" + name;
    const std::string source = sourceRoot + "/" + name;
    for (int32_t code : codes) {
      SCOPED_TRACE(name + " " + std::to_string(code));
      const std::string stored = StoredIn(built, code);
      ASSERT_FALSE(stored.empty()) << "no description";
      const std::string utf8 = ToUtf8(language, stored);
      // The source is UTF-8, so its stored text is the expected result.
      EXPECT_EQ(utf8, StoredIn(source, code));
      // What happened, and what to do: at least two sentences.
      EXPECT_GE(std::count(utf8.begin(), utf8.end(), '\n'), 1) << utf8;
      if (language != voxlator::kEnglish) {
        EXPECT_NE(utf8, ToUtf8(0, StoredIn(builtRoot + "/English", code))) << "not translated";
      }
      if (language >= voxlator::kJapanese) {
        EXPECT_TRUE(HasNonAscii(stored)) << utf8;
      }
    }
  }
}

TEST(ShippedDescriptions, EveryLibraryCodeInEveryLanguage) {
  CheckDescriptions(LibraryCodes(), VO_TEST_DATA_DIR "/Errors", VO_TEST_SOURCE_DIR "/data/Errors");
}

TEST(ShippedDescriptions, EveryDeviceCodeInEveryLanguage) {
  CheckDescriptions(DeviceCodes(), VO_TEST_DATA_DIR "/Keerrors/votarsinapi",
                    VO_TEST_SOURCE_DIR "/data/Keerrors/votarsinapi");
}

TEST(ShippedDescriptions, BuiltFilesAreInTheirLanguagesCodePage) {
  // A Japanese description read as 1252, or a French one read as 932, does
  // not give the source text: each file was converted for its own language.
  const std::string french = StoredIn(VO_TEST_DATA_DIR "/Errors/French", -52006);
  ASSERT_TRUE(HasNonAscii(french));
  std::string utf8;
  voerr::Status status;
  voxlator::mbsToUtf8(voxlator::kFrench, french, utf8, status);
  EXPECT_EQ(utf8, StoredIn(VO_TEST_SOURCE_DIR "/data/Errors/French", -52006));
  const std::string header = ReadText(VO_TEST_DATA_DIR "/Errors/Korean/votarsinapi.txt");
  EXPECT_EQ(header.rfind("<?xml version=\"1.0\" encoding=\"ks_c_5601-1987\"?>\n", 0), 0u);
}

TEST(ShippedDescriptions, TheTranslatorFindsThemThroughTheBuildRegistry) {
  // No registry variable: the registry beside the build's lib/ and bin/
  // directories names the build's data directory.
  ScopedEnv env("VO_REGISTRY_FILE", nullptr);
  voerr::Status status;
  voxlator::TranslatorInterface* xlator =
      voxlator::createDefaultXlator("voxlator_default", "{}", status);
  ASSERT_NE(xlator, nullptr);
  auto allocate = [](void* block, size_t size, void*, voerr::Status*) -> void* {
    if (size == 0) {
      std::free(block);
      return nullptr;
    }
    return std::realloc(block, size);
  };
  for (int32_t code : LibraryCodes()) {
    for (uint32_t language = 0; language < voxlator::kLanguageCount; ++language) {
      char* text = xlator->getStaticDesc(xlator, code, language, allocate, nullptr, status);
      ASSERT_NE(text, nullptr) << code << " " << status.contextText();
      EXPECT_EQ(std::string(text), StoredIn(std::string(VO_TEST_SOURCE_DIR "/data/Errors/") +
                                                voxlator::languageDirectoryName(language),
                                            code));
      std::free(text);
    }
  }
  // The driver's own file sits among the shared ones, with the driver's texts.
  char* device = xlator->getStaticDesc(xlator, -61011, 0, allocate, nullptr, status);
  ASSERT_NE(device, nullptr) << status.contextText();
  EXPECT_EQ(std::string(device),
            StoredIn(VO_TEST_SOURCE_DIR "/data/Keerrors/votarsinapi/English", -61011));
  std::free(device);
}

}  // namespace
