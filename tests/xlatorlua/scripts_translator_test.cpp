// The library's translator scripts (mxlator and its tables) run by the real
// script host: static descriptions from error-description directories,
// dynamic reports of error contexts (the device model's among them), and the
// term tables as the build stores them.
//
// Compile definitions: VO_SOURCE_DIR (the source tree), VO_SCRIPTS_SOURCE_DIR
// (the script sources, UTF-8), VO_DATA_SOURCE_DIR (the error-description
// sources, UTF-8) and VO_DATA_DIR (the same descriptions as the build
// converts them).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "api/channel.h"
#include "api/records.h"
#include "platform/textconv.h"
#include "status/context_writer.h"
#include "status/status.h"
#include "support/temp_dir.h"
#include "support/test_registry.h"
#include "sysq/sysq_test_support.h"
#include "votarsinapi.h"
#include "xlator/json1_report.h"
#include "xlator/registry.h"
#include "xlator/xlator_session.h"
#include "xlatorlua/lua_api.h"
#include "xlatorlua/script_host.h"

namespace {

constexpr int32_t kSoftwareFault = -52003;
constexpr int32_t kUnsupportedFormat = -52029;

const char* const kLanguageCodes[] = {"eng", "fra", "deu", "jpn", "kor", "chs"};
const char* const kLanguageDirs[] = {"English",  "French", "German",
                                     "Japanese", "Korean", "ChineseS"};
const uint32_t kCodePages[] = {1252, 1252, 1252, 932, 949, 936};

// ---- files ----

using sysqtest::IntAt;
using sysqtest::StringAt;
using votest::TempDir;

void MakeDirs(const std::string& path) {
  std::error_code ignored;
  std::filesystem::create_directories(path, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  ASSERT_TRUE(out.good()) << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ToCodePage(uint32_t codePage, const std::string& utf8) {
  std::u16string wide;
  std::string out;
  bool substituted = false;
  EXPECT_EQ(voplat::utf8ToUtf16(utf8, wide), voplat::ConvResult::ok);
  EXPECT_EQ(voplat::utf16ToCodePage(codePage, wide, out, &substituted), voplat::ConvResult::ok);
  EXPECT_FALSE(substituted) << utf8;
  return out;
}

// An error-description file holding (code, UTF-8 description) pairs, stored
// in `codePage`.
std::string ErrorFile(const std::vector<std::pair<int, std::string>>& errors,
                      uint32_t codePage = 1252) {
  std::string text = "<?xml version=\"1.0\"?>\n<vodocument>\n";
  for (const auto& [code, description] : errors) {
    text += "<voerror code=\"" + std::to_string(code) + "\">\n" + description + "\n</voerror>\n";
  }
  return ToCodePage(codePage, text + "</vodocument>\n");
}

// The descriptions of an error-description source (UTF-8): code -> text,
// its lines joined by line feeds.
std::map<int, std::string> SourceDescriptions(const std::string& path) {
  std::map<int, std::string> found;
  std::istringstream in(ReadFile(path));
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("<voerror code=\"", 0) != 0) continue;
    const int code = std::stoi(line.substr(15), nullptr, 0);
    std::string text;
    while (std::getline(in, line) && line.rfind("</voerror>", 0) != 0) {
      if (!text.empty()) text += '\n';
      text += line;
    }
    found[code] = text;
  }
  return found;
}

// Points the registry at `sharedDir` as the shared directory for the life of
// the object.
class ScopedSharedDir {
 public:
  explicit ScopedSharedDir(const std::string& sharedDir)
      : registry_(dir_, "[SOFTWARE\\Corvane\\Common\\Installer]\nVOSHAREDDIR=" + sharedDir +
                            "\nVOSHAREDDIR64=" + sharedDir + "\n") {}

 private:
  TempDir dir_;
  votest::ScopedRegistry registry_;
};

// ---- the translator ----

struct TranslatorDeleter {
  void operator()(voxlator::TranslatorInterface* translator) const {
    if (translator != nullptr) translator->destroy(translator);
  }
};
using Translator = std::unique_ptr<voxlator::TranslatorInterface, TranslatorDeleter>;

// The library's scripted translator with its own registration.
Translator NewTranslator() {
  voerr::Status status;
  Translator translator(voxlatorlua::newScriptTranslator(
      voxlator::kScriptXlatorName, voxlator::kScriptXlatorRegistration, status));
  EXPECT_NE(translator, nullptr) << status.contextText();
  return translator;
}

std::optional<std::string> Take(char* text) {
  if (text == nullptr) return std::nullopt;
  std::string copy = text;
  voxlator::freeXlatorText(text);
  return copy;
}

std::optional<std::string> StaticDesc(voxlator::TranslatorInterface* translator, int32_t code,
                                      uint32_t options, voerr::Status& status) {
  return Take(translator->getStaticDesc(translator, code, options, &voxlator::allocateXlatorText,
                                        nullptr, status));
}

std::optional<std::string> DynamicDesc(voxlator::TranslatorInterface* translator,
                                       const std::string& context, uint32_t options,
                                       voerr::Status& status, const char* format = "json1") {
  return Take(translator->getDynamicDesc(translator, context.c_str(), options, format,
                                         &voxlator::allocateXlatorText, nullptr, status));
}

// The "dynamic" items of a json1 description laid out as the error text
// shows them.
std::string RenderDynamic(const std::string& json1) {
  const char* items = voerr::ContextWriter::findKey(json1.c_str(), "dynamic");
  EXPECT_NE(items, nullptr) << json1;
  if (items == nullptr) return "";
  std::string out;
  voerr::Status status;
  voxlator::json1::formatDynamicReportItems(voxlator::json1::kRawTextItemFormats, items, out,
                                            status);
  EXPECT_EQ(status.code(), 0) << status.contextText();
  return out;
}

// Runs a chunk in the translator's state; its first result as text.
std::string Eval(voxlator::TranslatorInterface* translator, const std::string& code) {
  lua_State* L = voxlatorlua::scriptState(translator);
  const int top = lua_gettop(L);
  std::string result;
  if (luaL_loadbuffer(L, code.data(), code.size(), "=test") != 0 || lua_pcall(L, 0, 1, 0) != 0) {
    ADD_FAILURE() << code << "\n" << lua_tostring(L, -1);
  } else if (const char* text = lua_tostring(L, -1)) {
    result = text;
  }
  lua_settop(L, top);
  return result;
}

// ---- static descriptions ----

class ScriptsStaticDesc : public ::testing::Test {
 protected:
  std::string dir(const std::string& relative) {
    const std::string path = root_.path() + "/" + relative;
    MakeDirs(path);
    return path;
  }
  TempDir root_;
  ScopedSharedDir shared_{root_.path()};
};

// French: the driver's French directory, the driver's English one, the
// shared French subdirectory, the shared directory, the shared English
// subdirectory. Each code is described in one place and in every later one;
// the first place must win.
TEST_F(ScriptsStaticDesc, FrenchSearchOrderWithRealDirectories) {
  const std::vector<std::string> places = {"Keerrors/votarsinapi/French",
                                           "Keerrors/votarsinapi/English", "Errors/French",
                                           "Errors", "Errors/English"};
  for (size_t p = 0; p < places.size(); ++p) {
    std::vector<std::pair<int, std::string>> errors;
    for (size_t first = 0; first <= p; ++first) {
      errors.emplace_back(-61000 - static_cast<int>(first),
                          "Décrit à " + places[p] + " (" + std::to_string(first) + ").");
    }
    WriteFile(dir(places[p]) + "/votarsinapi.txt", ErrorFile(errors));
  }
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  for (size_t first = 0; first < places.size(); ++first) {
    voerr::Status status;
    const int code = -61000 - static_cast<int>(first);
    EXPECT_EQ(StaticDesc(translator.get(), code, 1, status),
              "Décrit à " + places[first] + " (" + std::to_string(first) + ").")
        << code;
    EXPECT_EQ(status.code(), 0) << status.contextText();
  }
  voerr::Status status;
  EXPECT_EQ(StaticDesc(translator.get(), -61009, 1, status), "Error description not found");
  EXPECT_EQ(status.code(), 0);
}

// The shared French subdirectory is missing: that search fails and the shared
// directory itself is not searched in French; English follows.
TEST_F(ScriptsStaticDesc, MissingLanguageSubdirectoryMovesTheSearchOnToEnglish) {
  WriteFile(dir("Errors") + "/root.txt", ErrorFile({{-52005, "Dans le répertoire commun."}}));
  WriteFile(dir("Errors/English") + "/en.txt", ErrorFile({{-52005, "In English."}}));
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  voerr::Status status;
  EXPECT_EQ(StaticDesc(translator.get(), -52005, 1, status), "In English.");
  EXPECT_EQ(StaticDesc(translator.get(), -52005, 0, status), "In English.");
  EXPECT_EQ(status.code(), 0);
}

TEST_F(ScriptsStaticDesc, JapaneseTextWithBackslashTrailBytes) {
  // ソ, 表 and 能 end with the byte 0x5C in code page 932.
  const std::string text = "ソフトウェアの表示機能が使えません。";
  ASSERT_NE(ToCodePage(932, text).find('\\'), std::string::npos);
  WriteFile(dir("Keerrors/votarsinapi/Japanese") + "/votarsinapi.txt",
            ErrorFile({{-61003, text}}, 932));
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  voerr::Status status;
  EXPECT_EQ(StaticDesc(translator.get(), -61003, 0x0103, status), text);
  EXPECT_EQ(status.code(), 0) << status.contextText();
}

// An English fallback is English text in code page 1252, whatever language
// was asked for: read in 932, 949 or 936 its bytes 0xB0 (the degree sign) and
// 0xB5 (micro) would become other characters or invalid sequences.
TEST_F(ScriptsStaticDesc, EnglishFallbackIsReadAsEnglishText) {
  WriteFile(dir("Keerrors/votarsinapi/English") + "/votarsinapi.txt",
            ErrorFile({{-61000, "Above 85 °C."}}));
  WriteFile(dir("Errors/English") + "/votarsinapi.txt", ErrorFile({{-52006, "Not found: µ."}}));
  MakeDirs(root_.path() + "/Errors/Japanese");
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  for (uint32_t language = 0; language < 6; ++language) {
    voerr::Status status;
    EXPECT_EQ(StaticDesc(translator.get(), -61000, language, status), "Above 85 °C.") << language;
    EXPECT_EQ(StaticDesc(translator.get(), -52006, language, status), "Not found: µ.") << language;
    EXPECT_EQ(status.code(), 0) << language << ": " << status.contextText();
  }
}

TEST_F(ScriptsStaticDesc, CodeInEveryNotationOfTheFiles) {
  WriteFile(dir("Keerrors/votarsinapi/German") + "/a.txt",
            "<?xml version=\"1.0\"?>\n<vodocument>\n<voerror code=\"-0xEE48\">\n"
            "Hexadezimal.\n</voerror>\n</vodocument>\n");
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  voerr::Status status;
  EXPECT_EQ(StaticDesc(translator.get(), -61000, 2, status), "Hexadezimal.");
}

TEST_F(ScriptsStaticDesc, UnknownLanguageFailsTheCall) {
  WriteFile(dir("Keerrors/votarsinapi/English") + "/votarsinapi.txt",
            ErrorFile({{-61000, "Found."}}));
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  voerr::Status status;
  EXPECT_EQ(StaticDesc(translator.get(), -61000, 9, status), std::nullopt);
  EXPECT_EQ(status.code(), kSoftwareFault);
  const std::string context = status.contextText();
  EXPECT_NE(context.find("failed to get static desc"), std::string::npos) << context;
  EXPECT_NE(context.find("invalid language"), std::string::npos) << context;
  EXPECT_NE(context.find("stack traceback:"), std::string::npos) << context;
}

TEST_F(ScriptsStaticDesc, WithoutTheSharedErrorsDirectorySettingTheCallFails) {
  WriteFile(dir("Keerrors/votarsinapi/English") + "/votarsinapi.txt",
            ErrorFile({{-61000, "Found."}}));
  voerr::Status created;
  Translator translator(voxlatorlua::newScriptTranslator(
      voxlator::kScriptXlatorName,
      R"({"voxlatorlua_xlator":"mxlator","voxlatorlua_settings":{"driverName":"votarsinapi",)"
      R"("KeErrorsDir":"$_voShared32Dir/Keerrors"}})",
      created));
  ASSERT_NE(translator, nullptr) << created.contextText();
  // Even a code the driver's directory describes: the setting is expanded first.
  voerr::Status status;
  EXPECT_EQ(StaticDesc(translator.get(), -61000, 0, status), std::nullopt);
  EXPECT_EQ(status.code(), kSoftwareFault);
  const std::string context = status.contextText();
  EXPECT_NE(context.find("failed to get static desc"), std::string::npos) << context;
  EXPECT_NE(context.find("expandPath"), std::string::npos) << context;
}

// The bootstrap's message handler concatenates the message as it is: an error
// value that is neither a string nor a number fails the handler, and the
// interpreter hands that failure to the handler again.
TEST(ScriptsMessageHandler, ErrorValuesThatCannotBeConcatenatedFailTheHandler) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  const std::pair<const char*, const char*> cases[] = {
      {"error({})", "table"}, {"error()", "nil"}, {"error(true)", "boolean"}};
  for (const auto& [raise, type] : cases) {
    Eval(translator.get(),
         std::string("mxlator.getStaticDesc = function() ") + raise + " end return ''");
    voerr::Status status;
    EXPECT_EQ(StaticDesc(translator.get(), -1, 0, status), std::nullopt) << raise;
    ASSERT_EQ(status.code(), kSoftwareFault) << raise;
    const std::string message =
        StringAt(status.contextText(), {"internal_error", "string"}).value_or("");
    EXPECT_EQ(message.rfind("voxlatorlua.lua:", 0), 0u) << message;
    EXPECT_NE(message.find(std::string(": attempt to concatenate local 'message' (a ") + type +
                           " value)\nstack traceback:\n"),
              std::string::npos)
        << message;
  }
  // Strings and numbers get their traceback.
  Eval(translator.get(), "mxlator.getStaticDesc = function() error(12.5, 0) end return ''");
  voerr::Status status;
  EXPECT_EQ(StaticDesc(translator.get(), -1, 0, status), std::nullopt);
  EXPECT_EQ(IntAt(status.contextText(), {"internal_error", "code"}), 2);
  EXPECT_EQ(StringAt(status.contextText(), {"internal_error", "string"})
                .value_or("")
                .rfind("12.5\nstack traceback:", 0),
            0u)
      << status.contextText();
}

// The descriptions the build installs, in every language, come out as their
// UTF-8 sources say.
TEST(ScriptsBuildData, EveryInstalledDescriptionInEveryLanguage) {
  ScopedSharedDir shared(VO_DATA_DIR);
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  size_t checked = 0;
  for (const char* tree : {"Keerrors/votarsinapi", "Errors"}) {
    const std::map<int, std::string> english = SourceDescriptions(
        std::string(VO_DATA_SOURCE_DIR) + "/" + tree + "/English/votarsinapi.txt");
    ASSERT_FALSE(english.empty()) << tree;
    for (uint32_t language = 0; language < 6; ++language) {
      const std::map<int, std::string> sources =
          SourceDescriptions(std::string(VO_DATA_SOURCE_DIR) + "/" + tree + "/" +
                             kLanguageDirs[language] + "/votarsinapi.txt");
      for (const auto& [code, englishText] : english) {
        const auto own = sources.find(code);
        const std::string& expected = own != sources.end() ? own->second : englishText;
        voerr::Status status;
        EXPECT_EQ(StaticDesc(translator.get(), code, language, status), expected)
            << tree << " " << kLanguageDirs[language] << " " << code;
        EXPECT_EQ(status.code(), 0) << status.contextText();
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 100u);
}

// ---- dynamic descriptions ----

std::string Context(const std::string& items) {
  return R"({"error_constant":"vodeverr_invalidValue","component":"VoFpga",)"
         R"("translator":"mxlator_votarsinapi","translator_info":{"ordered_data":[)" +
         items + "]}}";
}

TEST(ScriptsDynamicDesc, FormatOtherThanJson1GivesUnsupportedFormat) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  for (const char* format : {"json", "JSON1", ""}) {
    voerr::Status status;
    EXPECT_EQ(DynamicDesc(translator.get(), "not even JSON", 0, status, format), std::nullopt);
    EXPECT_EQ(status.code(), kUnsupportedFormat) << format;
  }
}

TEST(ScriptsDynamicDesc, AttributeChannelAndValueAreNamed) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  voerr::Status status;
  const std::optional<std::string> report = DynamicDesc(
      translator.get(),
      Context(R"({"type":"elaboration","usage":"The value is not valid for the attribute."},)"
              R"({"type":"usage","usage":"kUsageTypeAttributeId","value":268435457},)"
              R"({"type":"usage","usage":"kUsageTypeChannelName","value":"AI3"},)"
              R"({"type":"usage","usage":"kUsageTypeRequestedValue","value":2147483646,)"
              R"("value_type":{"type":"enum","id":268435478}},)"
              R"({"type":"usage","usage":"kUsageTypeAffectedAttribute","value":[536870917,1]},)"
              R"({"type":"usage","usage":"kUsageTypeDevice","value":"RIO0"})"),
      0, status);
  ASSERT_TRUE(report.has_value()) << status.contextText();
  EXPECT_EQ(RenderDynamic(*report),
            "The value is not valid for the attribute.\n"
            "Attribute Id: Samples Per Clock\n"
            "Channel Name: AI3\n"
            "Requested Value: Falling Edge\n"
            "Affected Property: FPGA Temperature, 0x00000001\n"
            "Device: RIO0");
}

// Keys are string.format("%08X") of the number: fractions are cut, negative
// identifiers give their 32-bit pattern, larger ones all their digits.
TEST(ScriptsDynamicDesc, AttributeIdentifiersAreFormattedAsNumbers) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  voerr::Status status;
  const std::optional<std::string> report = DynamicDesc(
      translator.get(),
      Context(R"({"type":"usage","usage":"kUsageTypeAttributeId","value":1.5},)"
              R"({"type":"usage","usage":"kUsageTypeAttributeId","value":268435457.9},)"
              R"({"type":"usage","usage":"kUsageTypeAttributeId","value":"0x10000001"},)"
              R"({"type":"usage","usage":"kUsageTypeAttributeId","value":-2.5},)"
              R"({"type":"usage","usage":"kUsageTypeAttributeId","value":-0.5},)"
              R"({"type":"usage","usage":"kUsageTypeAttributeId","value":4294967296},)"
              R"({"type":"usage","usage":"kUsageTypeAttributeId","value":1e12},)"
              R"({"type":"usage","usage":"kUsageTypeRequestedValue","value":2147483647,)"
              R"("value_type":{"type":"enum","id":268435478.5}})"),
      0, status);
  ASSERT_TRUE(report.has_value()) << status.contextText();
  // Lua 5.1 formats "%X" through the C type long: 64 bits on Linux, 32 on
  // Windows, where the bits above the 32nd are lost.
#ifdef _WIN32
  const char* const kBeyond32Bits = "Attribute Id: 0x00000000\nAttribute Id: 0xD4A51000\n";
#else
  const char* const kBeyond32Bits = "Attribute Id: 0x100000000\nAttribute Id: 0xE8D4A51000\n";
#endif
  EXPECT_EQ(RenderDynamic(*report), std::string("\nAttribute Id: 0x00000001\n"
                                                "Attribute Id: Samples Per Clock\n"
                                                "Attribute Id: Samples Per Clock\n"
                                                "Attribute Id: 0xFFFFFFFE\n"
                                                "Attribute Id: 0x00000000\n") +
                                        kBeyond32Bits + "Requested Value: Rising Edge");
  // Numbers no format can write fail the call.
  for (const char* value : {"1e300", "\"inf\"", "\"nan\""}) {
    voerr::Status failed;
    EXPECT_EQ(
        DynamicDesc(translator.get(),
                    Context(std::string(R"({"type":"usage","usage":"kUsageTypeAttributeId",)") +
                            R"("value":)" + value + "}"),
                    0, failed),
        std::nullopt)
        << value;
    EXPECT_EQ(failed.code(), kSoftwareFault) << value;
  }
}

TEST(ScriptsDynamicDesc, ReportsInEveryLanguage) {
  const char* const keys[6][3] = {
      {"Attribute Id", "Channel Name", "Device"},
      {"ID d'attribut", "Nom de la voie", "Périphérique"},
      {"Attribut-ID", "Kanalname", "Gerät"},
      {"属性ID", "チャンネル名", "デバイス"},
      {"특성 ID", "채널 이름", "장치"},
      {"属性ID", "通道名称", "设备"},
  };
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  for (uint32_t language = 0; language < 6; ++language) {
    voerr::Status status;
    const std::optional<std::string> report =
        DynamicDesc(translator.get(),
                    Context(R"({"type":"usage","usage":"kUsageTypeAttributeId","value":268435457},)"
                            R"({"type":"usage","usage":"kUsageTypeChannelName","value":"AI3"},)"
                            R"({"type":"usage","usage":"kUsageTypeDevice","value":"RIO0"})"),
                    language, status);
    ASSERT_TRUE(report.has_value()) << status.contextText();
    EXPECT_EQ(RenderDynamic(*report), "\n" + std::string(keys[language][0]) +
                                          ": Samples Per Clock\n" + keys[language][1] + ": AI3\n" +
                                          keys[language][2] + ": RIO0")
        << kLanguageCodes[language];
  }
}

TEST(ScriptsDynamicDesc, DebugItemsCarryTheRestOfTheContext) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  voerr::Status status;
  const std::optional<std::string> report = DynamicDesc(
      translator.get(),
      R"({"error_constant":"x","file":"src/api/a.cpp","line":12,"component":"c"})", 0, status);
  ASSERT_TRUE(report.has_value()) << status.contextText();
  const char* debug = voerr::ContextWriter::findKey(report->c_str(), "debug");
  ASSERT_NE(debug, nullptr);
  std::string out;
  voxlator::json1::formatDynamicReportItems(voxlator::json1::kRawTextItemFormats, debug, out,
                                            status);
  EXPECT_EQ(out,
            "\nComponent: c\nFile: src/api/a.cpp\nLine: 12\n"
            "rest_of_input_json: {\"error_constant\":\"x\"}");
  // No "translator_info": the dynamic part is empty and renders as nothing.
  EXPECT_EQ(RenderDynamic(*report), "");

  // Component and file are the context's values as they are, not their text.
  EXPECT_EQ(Eval(translator.get(), R"lua(
                local r = cjson.decode(mxlator.getDynamicDesc(
                    '{"component":7,"file":["a","b"],"line":3}', 0, 0, "json1"))
                return type(r.debug[1].value) .. " " .. type(r.debug[2].value) .. " " ..
                       r.debug[2].value[2] .. " " .. type(r.debug[3].value))lua"),
            "number table b string");
}

TEST(ScriptsDynamicDesc, MalformedContextsFailTheCall) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  for (const std::string& context :
       {std::string("{broken"),
        Context(R"({"type":"usage","usage":"kUsageTypeAttributeId","value":"AI0"})"),
        Context(R"({"type":"usage","usage":"kUsageTypeAttributeId"})"),
        // Items whose usage is missing or not a text have no key to show.
        Context(R"({"type":"usage","value":"AI0"})"),
        Context(R"({"type":"usage","usage":true,"value":"AI0"})"),
        Context(R"({"type":"usage","usage":5,"value":"AI0"})"),
        Context(R"({"type":"elaboration"})"), Context(R"({"type":"header","usage":{}})")}) {
    voerr::Status status;
    EXPECT_EQ(DynamicDesc(translator.get(), context, 0, status), std::nullopt);
    EXPECT_EQ(status.code(), kSoftwareFault) << context;
    EXPECT_NE(std::string(status.contextText()).find("failed to get dynamic desc"),
              std::string::npos);
  }
}

// Contexts that the device model really produces, rendered.
class ScriptsDeviceContexts : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(0, voTarsin_OpenSession("RIO0", nullptr, 0, &session_)); }
  void TearDown() override { voTarsin_CloseSession(session_, 1); }

  std::string elaborate(int32_t status) {
    char context[voapi::kElaborationSize] = {};
    EXPECT_EQ(0, voapi::sendRecord(session_, voapi::kFnElaborate, status, context, sizeof context));
    return context;
  }
  std::string render(const std::string& context, uint32_t language = 0) {
    Translator translator = NewTranslator();
    if (translator == nullptr) return "";
    voerr::Status status;
    const std::optional<std::string> report =
        DynamicDesc(translator.get(), context, language, status);
    EXPECT_TRUE(report.has_value()) << context << "\n" << status.contextText();
    return report ? RenderDynamic(*report) : "";
  }
  Session session_ = 0;
};

TEST_F(ScriptsDeviceContexts, ReadOnlyAttribute) {
  const int32_t code = voTarsin_SetAttributeDouble(session_, "", 0x20000005, 50.5);
  ASSERT_LT(code, 0);
  EXPECT_EQ(render(elaborate(code)),
            "The attribute is read-only.\n"
            "Attribute Id: FPGA Temperature\n"
            "Channel Name: \n"
            "Requested Value: 50.5\n"
            "Device: RIO0");
}

TEST_F(ScriptsDeviceContexts, EnumeratedValueOnAChannel) {
  const int32_t code = voTarsin_SetAttributeInt32(session_, "AI2", 0x10000011, 7);
  ASSERT_LT(code, 0);
  const std::string context = elaborate(code);
  EXPECT_EQ(render(context),
            "The value is not valid for the attribute.\n"
            "Attribute Id: AI Coupling\n"
            "Channel Name: AI2\n"
            "Requested Value: 7\n"
            "Device: RIO0")
      << context;
  // A valid enumerated value is shown by name: the model's item for it
  // names the enumeration, so the same item with value 1 reads "DC".
  const std::string named = [&] {
    std::string text = context;
    const size_t at = text.find("\"value\":7");
    if (at != std::string::npos) text.replace(at, 9, "\"value\":1");
    return text;
  }();
  EXPECT_NE(render(named).find("Requested Value: DC\n"), std::string::npos) << named;
  EXPECT_NE(render(named, 3).find("要求された値: DC\n"), std::string::npos);
}

TEST_F(ScriptsDeviceContexts, AttributeOutOfScope) {
  const int32_t code = voTarsin_SetAttributeUInt64(session_, "AI0", 0x50000000, 10);
  ASSERT_LT(code, 0);
  const std::string text = render(elaborate(code), 1);
  EXPECT_NE(text.find("ID d'attribut: Stream Number Of Samples\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Nom de la voie: AI0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Valeur demandée: 10"), std::string::npos) << text;
}

// ---- term tables ----

// The terms of a table source (UTF-8), read by a plain interpreter.
std::map<std::string, std::string> SourceTerms(const char* code) {
  std::map<std::string, std::string> terms;
  const std::string path = std::string(VO_SCRIPTS_SOURCE_DIR) + "/commonTerms_" + code + ".lua";
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  if (luaL_dofile(L, path.c_str()) != 0 || !lua_istable(L, -1)) {
    ADD_FAILURE() << path << ": " << lua_tostring(L, -1);
  } else {
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
      if (lua_type(L, -2) == LUA_TSTRING && lua_type(L, -1) == LUA_TSTRING) {
        size_t length = 0;
        const char* value = lua_tolstring(L, -1, &length);
        terms[lua_tostring(L, -2)] = std::string(value, length);
      }
      lua_pop(L, 1);
    }
  }
  lua_close(L);
  return terms;
}

TEST(ScriptsTermTables, AllSixHaveTheSameKeys) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  std::string reference;
  for (const char* code : kLanguageCodes) {
    const std::string keys = Eval(translator.get(), std::string(R"(
      local t = require("commonTerms_)") + code + R"(")
      assert(t == usageTypes_)" + code + R"()
      local keys = {}
      for k, v in pairs(t) do
        if type(v) == "string" then keys[#keys + 1] = k end
      end
      table.sort(keys)
      return table.concat(keys, "\n"))");
    EXPECT_FALSE(keys.empty()) << code;
    if (reference.empty()) {
      reference = keys;
    } else {
      EXPECT_EQ(keys, reference) << code;
    }
  }
  // Every key is a usage type or an auxiliary term.
  std::istringstream lines(reference);
  std::string key;
  size_t count = 0;
  while (std::getline(lines, key)) {
    EXPECT_TRUE(key.rfind("kUsageType", 0) == 0 || key.rfind("kAuxTerm", 0) == 0) << key;
    ++count;
  }
  EXPECT_GT(count, 100u);
}

// The embedded tables hold the sources' text in the languages' code pages,
// and mbsToUtf8 gives the sources' UTF-8 back.
TEST(ScriptsTermTables, StoredInTheCodePageAndReadBackExactly) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  for (int language = 0; language < 6; ++language) {
    const char* code = kLanguageCodes[language];
    const std::map<std::string, std::string> source = SourceTerms(code);
    ASSERT_GT(source.size(), 100u) << code;
    size_t nonAscii = 0;
    for (const auto& [key, utf8] : source) {
      const std::string lookup =
          std::string("return usageTypes_") + code + ".getString(\"" + key + "\")";
      const std::string stored =
          Eval(translator.get(), std::string("require(\"commonTerms_") + code + "\") " + lookup);
      EXPECT_EQ(stored, ToCodePage(kCodePages[language], utf8)) << code << " " << key;
      EXPECT_EQ(
          Eval(translator.get(), "return voxlatorluautils.mbsToUtf8(" + std::to_string(language) +
                                     ", usageTypes_" + code + ".getString(\"" + key + "\"))"),
          utf8)
          << code << " " << key;
      for (unsigned char c : utf8) {
        if (c >= 0x80) {
          ++nonAscii;
          break;
        }
      }
    }
    if (language >= 3) {
      EXPECT_GT(nonAscii, 100u) << code;
    }
  }
}

TEST(ScriptsTermTables, ExamplesOfTheEnglishTable) {
  const std::map<std::string, std::string> english = SourceTerms("eng");
  const std::pair<const char*, const char*> examples[] = {
      {"kUsageTypeChannelName", "Channel Name"},
      {"kUsageTypeDevice", "Device"},
      {"kUsageTypeAttributeIdentifier", "Property"},
      {"kUsageTypeAttributeId", "Attribute Id"},
      {"kAuxTermItemSeparator", ", "},
      {"kAuxTermExplanationHeader", "Explanation: "},
      {"kUsageTypeHiddenDebugData", ""},
      {"kUsageTypeFlagDigitsOfPrecision", ""},
  };
  for (const auto& [key, value] : examples) {
    const auto found = english.find(key);
    ASSERT_NE(found, english.end()) << key;
    EXPECT_EQ(found->second, value) << key;
  }
}

// Every usage type the device model names has a term in every table.
TEST(ScriptsTermTables, CoverTheDeviceModelsUsageTypes) {
  const std::string model =
      ReadFile(std::string(VO_SOURCE_DIR) + "/standins/device/error_context.cpp");
  std::set<std::string> named;
  for (size_t at = model.find("kUsageType"); at != std::string::npos;
       at = model.find("kUsageType", at + 1)) {
    size_t end = at;
    while (end < model.size() && std::isalnum(static_cast<unsigned char>(model[end]))) ++end;
    named.insert(model.substr(at, end - at));
  }
  ASSERT_GE(named.size(), 4u);
  for (const char* code : kLanguageCodes) {
    const std::map<std::string, std::string> terms = SourceTerms(code);
    for (const std::string& key : named) {
      const auto found = terms.find(key);
      ASSERT_NE(found, terms.end()) << code << " " << key;
      EXPECT_FALSE(found->second.empty()) << code << " " << key;
    }
  }
}

// ---- the attribute table ----

// The attribute names are the device's own: every attribute of the model's
// table, with its enumeration, appears under its 8-digit key.
TEST(ScriptsAttributeTable, NamesEveryAttributeOfTheDevice) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  const std::string listing = Eval(translator.get(), R"(
    local t = require("votarsinapi_attributes_eng")
    local out = {}
    for id = 0, 0xFFFF do
      for class = 1, 5 do
        local key = string.format("%08X", class * 0x10000000 + id)
        local entry = t.getAttribute(key)
        if entry then
          local enums = {}
          for value, name in pairs(entry.enums) do enums[#enums + 1] = value .. "=" .. name end
          table.sort(enums)
          out[#out + 1] = key .. " " .. entry.shortName .. " " .. table.concat(enums, ",")
        end
      end
    end
    table.sort(out)
    out[#out + 1] = "000000-2 " .. t.getAttribute("000000-2").shortName
    return table.concat(out, "\n"))");
  // The model's README table: | 0x10000001 | Samples Per Clock | ...
  const std::string readme = ReadFile(std::string(VO_SOURCE_DIR) + "/standins/device/README.md");
  std::vector<std::string> expected;
  std::istringstream lines(readme);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("| 0x", 0) != 0) continue;
    std::vector<std::string> cells;
    std::istringstream row(line.substr(1));
    std::string cell;
    while (std::getline(row, cell, '|')) {
      const size_t b = cell.find_first_not_of(' ');
      const size_t e = cell.find_last_not_of(' ');
      cells.push_back(b == std::string::npos ? "" : cell.substr(b, e - b + 1));
    }
    if (cells.size() < 3) continue;
    expected.push_back(cells[0].substr(2) + " " + cells[1]);
  }
  ASSERT_EQ(expected.size(), 60u);
  for (const std::string& entry : expected) {
    EXPECT_NE(listing.find(entry + " "), std::string::npos) << entry;
  }
  EXPECT_NE(listing.find("10000009 Start Trigger Type 0=Immediate,1=Digital,2=User,3=DIO,4=Analog"),
            std::string::npos);
  EXPECT_NE(listing.find("10000016 Start Trigger Sensitivity 2147483644=Low Level,"
                         "2147483645=High Level,2147483646=Falling Edge,2147483647=Rising Edge"),
            std::string::npos);
  EXPECT_NE(listing.find("\n000000-2 Active Channel"), std::string::npos);
  EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 60);
}

// Each entry holds exactly its name and its enumeration; only the five
// enumerated attributes name values, with the device's own value names.
TEST(ScriptsAttributeTable, EntriesHoldTheEnumerationsOfTheDevice) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  const std::string listing = Eval(translator.get(), R"(
    local t = require("votarsinapi_attributes_eng")
    local keys = { "000000-2" }
    for id = 0, 0xFF do
      for class = 0, 15 do
        local key = string.format("%08X", class * 0x10000000 + id)
        if t.getAttribute(key) then keys[#keys + 1] = key end
      end
    end
    local out = {}
    for _, key in ipairs(keys) do
      local entry = t.getAttribute(key)
      local fields, enums = {}, {}
      for field, value in pairs(entry) do fields[#fields + 1] = field .. ":" .. type(value) end
      for value, name in pairs(entry.enums) do enums[#enums + 1] = value .. "=" .. name end
      table.sort(fields)
      table.sort(enums)
      out[#out + 1] = key .. " " .. table.concat(fields, ",") .. " " .. table.concat(enums, ",")
    end
    return table.concat(out, "\n"))");
  std::map<std::string, std::string> enumerations;
  size_t entries = 0;
  std::istringstream lines(listing);
  std::string line;
  while (std::getline(lines, line)) {
    ++entries;
    const size_t fields = line.find(' ');
    const size_t enums = line.find(' ', fields + 1);
    ASSERT_NE(enums, std::string::npos) << line;
    EXPECT_EQ(line.substr(fields + 1, enums - fields - 1), "enums:table,shortName:string") << line;
    if (enums + 1 < line.size()) enumerations[line.substr(0, fields)] = line.substr(enums + 1);
  }
  EXPECT_EQ(entries, 61u);
  const std::map<std::string, std::string> expected = {
      {"10000009", "0=Immediate,1=Digital,2=User,3=DIO,4=Analog"},
      {"1000000B", "0=Default,1=Onboard,2=PXI_Clk10,3=External"},
      {"10000011", "0=AC,1=DC"},
      {"10000013", "0=Internal,1=Front Panel"},
      {"10000016",
       "2147483644=Low Level,2147483645=High Level,2147483646=Falling Edge,"
       "2147483647=Rising Edge"},
  };
  EXPECT_EQ(enumerations, expected);
}

// A lookup hands out the table the module keeps: the same table every time,
// so that what a caller changes in it stays changed, for printattr too.
TEST(ScriptsAttributeTable, LookupsShareTheEntryTheyReturn) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  EXPECT_EQ(Eval(translator.get(), R"(
    local t = require("votarsinapi_attributes_eng")
    local a, b = t.getAttribute("10000011"), t.getAttribute("10000000")
    assert(a == t.getAttribute("10000011") and a.enums == t.getAttribute("10000011").enums)
    assert(b ~= t.getAttribute("10000001") and b.enums ~= t.getAttribute("10000001").enums)
    a.shortName = "Coupling"
    a.enums["7"] = "Seven"
    b.enums["0"] = "Zero"
    local c = t.getAttribute("10000011")
    return c.shortName .. " " .. c.enums["7"] .. " " .. t.getAttribute("10000000").enums["0"] ..
           " " .. tostring(next(t.getAttribute("10000001").enums)))"),
            "Coupling Seven Zero nil");
  testing::internal::CaptureStdout();
  Eval(translator.get(), "votarsinapi_attributes_eng.printattr('10000011') return ''");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "10000011: Coupling\n  0 = AC\n  1 = DC\n  7 = Seven\n");
}

// Only the exact keys are keys: other strings and values of other types
// find nothing, without an error.
TEST(ScriptsAttributeTable, OtherKeysFindNothing) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  EXPECT_EQ(Eval(translator.get(), R"(
    local t = require("votarsinapi_attributes_eng")
    local found = {}
    local odd = {
      "1000000b", "", " ", "10000001 ", " 10000001", "0x10000001", "010000001", "1000000",
      "000000-2 ", "000000-1", "Samples Per Clock", "0", "Immediate", "|", "=", "\n",
      "10000001|", "|10000001", "10000001\n", "\n10000001", "10000001\0", "10000009|0",
      "10000011|AI Coupling", "\n10000000",
      "shortName", "enums", "getAttribute", "__index", 10000001, 268435457, 0x10000001, 1e300,
      0 / 0, -2, true, false, {}, t.getAttribute, t,
    }
    for _, key in ipairs(odd) do
      if t.getAttribute(key) ~= nil then found[#found + 1] = tostring(key) end
    end
    return "found " .. #found .. " of " .. #odd .. table.concat(found, ",") .. " " ..
           tostring(t.getAttribute(nil)) .. tostring(t.getAttribute()))"),
            "found 0 of 39 nilnil");
}

// The diagnostic printers write sorted keys, two spaces per level, to the
// standard output.
TEST(ScriptsAttributeTable, PrintsEntriesAndTables) {
  Translator translator = NewTranslator();
  ASSERT_NE(translator, nullptr);
  testing::internal::CaptureStdout();
  Eval(translator.get(), R"(
    local t = require("votarsinapi_attributes_eng")
    t.printattr("10000016")
    t.printattr("10000000")
    t.printattr("000000-2")
    t.printattr("1000000b")
    t.printattr(nil)
    t.printattr(268435457)
    t.tprint(t.getAttribute("1000000B"), 1)
    t.tprint({ b = 1, a = { y = 2, x = "s", [1] = false }, [3] = true, [10] = 0 })
    t.tprint({})
    return "")");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "10000016: Start Trigger Sensitivity\n"
            "  2147483644 = Low Level\n"
            "  2147483645 = High Level\n"
            "  2147483646 = Falling Edge\n"
            "  2147483647 = Rising Edge\n"
            "10000000: Channels In Stream\n"
            "000000-2: Active Channel\n"
            "1000000b: no such attribute\n"
            "nil: no such attribute\n"
            "268435457: no such attribute\n"
            "  enums:\n"
            "    0 = Default\n"
            "    1 = Onboard\n"
            "    2 = PXI_Clk10\n"
            "    3 = External\n"
            "  shortName = Reference Clock Source\n"
            "10 = 0\n"
            "3 = true\n"
            "a:\n"
            "  1 = false\n"
            "  x = s\n"
            "  y = 2\n"
            "b = 1\n");
}

}  // namespace
