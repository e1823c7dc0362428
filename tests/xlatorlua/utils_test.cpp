// voxlatorluautils: the services offered to scripts, called from script text
// in a state opened as the host opens it.
#include <gtest/gtest.h>

#include <string>

#include "sysq/sysq_test_support.h"
#include "xlatorlua_test_support.h"

namespace {

using sysqtest::IntAt;
using sysqtest::StringAt;
using xlatorluatest::ErrorOf;
using xlatorluatest::Eval;
using xlatorluatest::LuaState;

// A Lua string literal holding exactly these bytes.
std::string Bytes(const std::string& bytes) {
  std::string literal = "\"";
  for (unsigned char c : bytes) {
    literal += "\\" + std::to_string(c);
  }
  return literal + "\"";
}

class UtilsTest : public ::testing::Test {
 protected:
  lua_State* L() { return state_.get(); }

  // mbsToUtf8(lang, bytes) as raw bytes.
  std::string Utf8(int lang, const std::string& bytes) {
    return Eval(L(), "return voxlatorluautils.mbsToUtf8(" + std::to_string(lang) + ", " +
                         Bytes(bytes) + ")");
  }

  LuaState state_;
};

TEST_F(UtilsTest, ModuleIsAGlobalAndALoadedModuleWithItsSevenFunctions) {
  EXPECT_EQ(Eval(L(), "return require('voxlatorluautils') == voxlatorluautils"), "true");
  EXPECT_EQ(Eval(L(),
                 "local n = 0 for k, v in pairs(voxlatorluautils) do"
                 " assert(type(v) == 'function') n = n + 1 end return n"),
            "7");
  for (const char* name : {"mbsToUtf8", "lookupVariable", "expandPath", "convertLangToDir",
                           "findErrorDescriptionFromErrorsDir", "findErrorDescriptionFromDir",
                           "findErrorDescriptionFromFile"}) {
    EXPECT_EQ(Eval(L(), std::string("return type(voxlatorluautils.") + name + ")"), "function");
  }
  EXPECT_EQ(Eval(L(),
                 "return voxlatorluautils.findErrorDescriptionFromFile =="
                 " voxlatorluautils.findErrorDescriptionFromDir"),
            "true");
}

TEST_F(UtilsTest, MbsToUtf8ConvertsEachLanguagesCodePage) {
  EXPECT_EQ(Utf8(0, "plain ASCII text"), "plain ASCII text");
  EXPECT_EQ(Utf8(0, ""), "");
  EXPECT_EQ(Utf8(0, "Param\xe8tre"), "Param\xc3\xa8tre");
  EXPECT_EQ(Utf8(1, "\xe9"), "\xc3\xa9");
  EXPECT_EQ(Utf8(2,
                 "Gr\xf6\xdf"
                 "e"),
            "Gr\xc3\xb6\xc3\x9f"
            "e");
  // Code page 932, with a trail byte 0x5C (the second character of the last
  // word): "デバイス表示".
  EXPECT_EQ(Utf8(3, "\x83\x66\x83\x6f\x83\x43\x83\x58\x95\x5c\x8e\xa6"),
            "\xe3\x83\x87\xe3\x83\x90\xe3\x82\xa4\xe3\x82\xb9\xe8\xa1\xa8\xe7\xa4\xba");
  EXPECT_EQ(Utf8(4, "\xc0\xe5\xc4\xa1"), "\xec\x9e\xa5\xec\xb9\x98");  // 장치
  EXPECT_EQ(Utf8(5, "\xc9\xe8\xb1\xb8"), "\xe8\xae\xbe\xe5\xa4\x87");  // 设备
  // The same bytes read in another code page give other text.
  EXPECT_NE(Utf8(0, "\xc9\xe8\xb1\xb8"), "\xe8\xae\xbe\xe5\xa4\x87");
}

TEST_F(UtilsTest, MbsToUtf8RejectsAnInvalidCodePage932Sequence) {
  for (const std::string& bytes : {std::string("ok\x81\x20"), std::string("cut off \x83")}) {
    const std::string message =
        ErrorOf(L(), "return voxlatorluautils.mbsToUtf8(3, " + Bytes(bytes) + ")");
    EXPECT_EQ(IntAt(message.c_str(), {"line"}).has_value(), true) << message;
    EXPECT_EQ(StringAt(message.c_str(), {"error_constant"}), "err") << message;
    EXPECT_EQ(StringAt(message.c_str(), {"component"}), "votarsinapi") << message;
  }
}

TEST_F(UtilsTest, MbsToUtf8RejectsAnInvalidLanguageEvenForAscii) {
  for (const char* lang : {"6", "-1", "255"}) {
    const std::string message =
        ErrorOf(L(), std::string("return voxlatorluautils.mbsToUtf8(") + lang + ", 'abc')");
    EXPECT_EQ(StringAt(message.c_str(), {"error_constant"}), "voapalerr_invalidParameter");
    EXPECT_EQ(StringAt(message.c_str(), {"voxlator_debug", "gxerrorsparser"}), "invalid language");
  }
  const std::string message = ErrorOf(L(), "return voxlatorluautils.mbsToUtf8(6, 'abc')");
  EXPECT_EQ(IntAt(message.c_str(), {"voxlator_debug", "lang"}), 6);
  // Each call has its own status: a failure leaves nothing behind.
  EXPECT_EQ(Utf8(1, "\xe9"), "\xc3\xa9");
}

TEST_F(UtilsTest, ArgumentsAreCheckedByTheInterpretersRules) {
  EXPECT_EQ(ErrorOf(L(), "return voxlatorluautils.mbsToUtf8()"),
            "test:1: bad argument #1 to 'mbsToUtf8' (number expected, got no value)");
  EXPECT_EQ(ErrorOf(L(), "return voxlatorluautils.mbsToUtf8(0, {})"),
            "test:1: bad argument #2 to 'mbsToUtf8' (string expected, got table)");
  EXPECT_EQ(ErrorOf(L(), "return voxlatorluautils.expandPath('x')"),
            "test:1: bad argument #2 to 'expandPath' (string expected, got no value)");
  EXPECT_EQ(
      ErrorOf(L(), "return voxlatorluautils.findErrorDescriptionFromDir('d', 'x')"),
      "test:1: bad argument #2 to 'findErrorDescriptionFromDir' (number expected, got string)");
}

TEST_F(UtilsTest, ConvertLangToDir) {
  const char* names[] = {"English", "French", "German", "Japanese", "Korean", "ChineseS"};
  for (int lang = 0; lang < 6; ++lang) {
    EXPECT_EQ(Eval(L(), "return voxlatorluautils.convertLangToDir(" + std::to_string(lang) + ")"),
              names[lang]);
  }
  const std::string message = ErrorOf(L(), "return voxlatorluautils.convertLangToDir(6)");
  EXPECT_EQ(StringAt(message.c_str(), {"error_constant"}), "voapalerr_invalidParameter");
  EXPECT_EQ(IntAt(message.c_str(), {"voxlator_debug", "lang"}), 6);
}

class UtilsPathTest : public UtilsTest {
 protected:
  void SetUp() override {
    shared_ = dir_.makeDir("shared");
    registry_ = std::make_unique<sysqtest::ScopedRegistry>(
        dir_,
        "[SOFTWARE\\Corvane\\Common\\Installer]\n"
        "VOSHAREDDIR=" +
            shared_ +
            "\\\n"
            "VOSHAREDDIR64=" +
            shared_ +
            "64\n"
            "[SOFTWARE\\Corvane\\VO-Xlator\\plugins\\myplugin]\n"
            "Root=/opt/plug\n"
            "Nested=$_voShared32Dir\\inner\n"
            "Padded=value\\0\\0\n");
  }

  sysqtest::TempDir dir_;
  std::string shared_;
  std::unique_ptr<sysqtest::ScopedRegistry> registry_;
};

TEST_F(UtilsPathTest, ExpandPathReplacesVariablesAndSlashes) {
  EXPECT_EQ(Eval(L(), "return voxlatorluautils.expandPath('x', '$_voShared32Dir/Errors')"),
            shared_ + "\\Errors");
  EXPECT_EQ(Eval(L(), "return voxlatorluautils.expandPath('myplugin', '$Root/a/b')"),
            "/opt/plug\\a\\b");
  // A value holding a variable is expanded too.
  EXPECT_EQ(Eval(L(), "return voxlatorluautils.expandPath('myplugin', '$Nested/x')"),
            shared_ + "\\inner\\x");
  EXPECT_EQ(Eval(L(), "return voxlatorluautils.expandPath('x', 'a/b/c')"), "a\\b\\c");
  EXPECT_EQ(Eval(L(), "return voxlatorluautils.expandPath('x', '')"), "");
}

TEST_F(UtilsPathTest, ExpandPathWithoutSeparatorAfterTheVariableFails) {
  const std::string message = ErrorOf(L(), "return voxlatorluautils.expandPath('x', '$_tempDir')");
  EXPECT_EQ(StringAt(message.c_str(), {"error_constant"}), "voapalerr_invalidParameter");
  EXPECT_EQ(StringAt(message.c_str(), {"voxlator_debug", "voxlatordll"}),
            "plugin dll path invalid");
  EXPECT_EQ(StringAt(message.c_str(), {"voxlator_debug", "dllPath"}), "$_tempDir");
}

TEST_F(UtilsPathTest, LookupVariable) {
  EXPECT_EQ(Eval(L(), "return voxlatorluautils.lookupVariable('myplugin', 'Root')"), "/opt/plug");
  EXPECT_EQ(Eval(L(), "return voxlatorluautils.lookupVariable('myplugin', 'Padded')"), "value");
  // The standard variables come from the installer key, whatever the plug-in.
  EXPECT_EQ(Eval(L(), "return voxlatorluautils.lookupVariable('noplugin', '_voSharedDir')"),
            shared_ + "64");
  const std::string missing =
      ErrorOf(L(), "return voxlatorluautils.lookupVariable('noplugin', 'Root')");
  EXPECT_EQ(StringAt(missing.c_str(), {"error_constant"}), "voapalerr_resourceNotFound");
  EXPECT_EQ(StringAt(missing.c_str(), {"vosysq_debug", "desc"}), "RegOpenKeyEx failed");
  const std::string noValue =
      ErrorOf(L(), "return voxlatorluautils.expandPath('myplugin', '$Unknown/x')");
  EXPECT_EQ(StringAt(noValue.c_str(), {"error_constant"}), "voapalerr_resourceNotFound");
}

constexpr const char* kFileHead =
    "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<vodocument>\n";

TEST_F(UtilsPathTest, ErrorDescriptionSearches) {
  const std::string errors = dir_.makeDir("errors");
  dir_.makeDir("errors/French");
  dir_.writeFile("errors/French/a.txt", std::string(kFileHead) +
                                            "<voerror code=\"-304100\">\nParam\xe8tre invalide\n"
                                            "</voerror>\n</vodocument>\n");
  dir_.writeFile("errors/base.err", std::string(kFileHead) +
                                        "<voerror code=\"0x10\">\nSixteen\n</voerror>\n"
                                        "</vodocument>\n");
  const std::string french = errors + "/French";
  auto call = [&](const std::string& expression) { return Eval(L(), "return " + expression); };

  // Returned as stored, in its code page.
  EXPECT_EQ(call("voxlatorluautils.findErrorDescriptionFromDir('" + french + "', -304100)"),
            "Param\xe8tre invalide");
  EXPECT_EQ(call("voxlatorluautils.findErrorDescriptionFromFile('" + french + "', -304100)"),
            "Param\xe8tre invalide");
  EXPECT_EQ(call("voxlatorluautils.findErrorDescriptionFromDir('" + french + "', 5)"), "nil");
  // The language directory first, then the errors directory itself.
  EXPECT_EQ(
      call("voxlatorluautils.findErrorDescriptionFromErrorsDir('" + errors + "', -304100, 1)"),
      "Param\xe8tre invalide");
  EXPECT_EQ(call("voxlatorluautils.findErrorDescriptionFromErrorsDir('" + errors + "', 16, 1)"),
            "Sixteen");
  EXPECT_EQ(call("voxlatorluautils.findErrorDescriptionFromErrorsDir('" + errors + "', 17, 1)"),
            "nil");
  // Without a German subdirectory the search fails, although the errors
  // directory itself describes the code.
  const std::string message = ErrorOf(
      L(), "return voxlatorluautils.findErrorDescriptionFromErrorsDir('" + errors + "', 16, 2)");
  EXPECT_EQ(StringAt(message.c_str(), {"error_constant"}), "voapalerr_resourceNotFound");
  EXPECT_EQ(StringAt(message.c_str(), {"voxlator_debug", "debug"}), "open dir failed");
  const std::string badLanguage = ErrorOf(
      L(), "return voxlatorluautils.findErrorDescriptionFromErrorsDir('" + errors + "', 16, 7)");
  EXPECT_EQ(StringAt(badLanguage.c_str(), {"voxlator_debug", "gxerrorsparser"}),
            "invalid language");
}

TEST_F(UtilsPathTest, OnlyTxtAndErrFilesAreRead) {
  const std::string other = dir_.makeDir("other");
  const std::string body =
      std::string(kFileHead) + "<voerror code=\"1\">\nOne\n</voerror>\n</vodocument>\n";
  dir_.writeFile("other/upper.TXT", body);
  dir_.writeFile("other/data.xml", body);
  EXPECT_EQ(Eval(L(), "return voxlatorluautils.findErrorDescriptionFromDir('" + other + "', 1)"),
            "nil");
  const std::string missing =
      ErrorOf(L(), "return voxlatorluautils.findErrorDescriptionFromDir('" + other + "/none', 1)");
  EXPECT_EQ(StringAt(missing.c_str(), {"voxlator_debug", "debug"}), "open dir failed");
  EXPECT_EQ(IntAt(missing.c_str(), {"internal_error", "code"}), 2);
  // Under pcall, as the translator script searches, a failure is a value.
  EXPECT_EQ(Eval(L(), "return (pcall(voxlatorluautils.findErrorDescriptionFromDir, '" + other +
                          "/none', 1))"),
            "false");
}

}  // namespace
