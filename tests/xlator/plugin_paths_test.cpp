// Plug-in path variables: lookup through the standard paths and the plug-in
// registry key, and expansion with its bounds.
#include "xlator/plugin_paths.h"

#include <gtest/gtest.h>

#include <string>

#include "status/codes.h"
#include "xlator_test_support.h"

namespace {

using xltest::StringAt;

class PluginPaths : public ::testing::Test {
 protected:
  // Variables of plug-in "demo"; A and B refer to each other, Self to itself.
  PluginPaths()
      : registry_(dir_,
                  "[SOFTWARE\\Corvane\\Common\\Installer]\n"
                  "VOSHAREDDIR=/opt/corvane/shared\\\\\\0\n"
                  "VOSHAREDDIR64=/opt/corvane/shared64\n"
                  "[SOFTWARE\\Corvane\\VO-Xlator\\plugins\\demo]\n"
                  "Root=/srv/demo\\0\\0\n"
                  "Nested=$Root\\sub\n"
                  "Self=$Self\\x\n"
                  "A=$B\\a\n"
                  "B=$A\\b\n"
                  "Double=$Double\\$Double\\\n" +
                      Chain() +
                      "[SOFTWARE\\Corvane\\VO-Xlator\\plugins\\other]\n"
                      "Root=/srv/other\n") {}

  // V1 = "$V2", ..., V32 = "end": "$V1\" takes exactly 32 expansions.
  static std::string Chain() {
    std::string text;
    for (int i = 1; i < 32; ++i) {
      text += "V" + std::to_string(i) + "=$V" + std::to_string(i + 1) + "\n";
    }
    text += "V32=end\n";
    text += "W0=$V1\n";  // one more: 33 expansions
    return text;
  }

  xltest::TempDir dir_;
  xltest::ScopedRegistry registry_;
};

TEST_F(PluginPaths, SettingsValueExpandsToTheShared32DirectoryAndErrors) {
  voerr::Status status;
  EXPECT_EQ(voxlator::expandPath("mxlator_votarsinapi", "$_voShared32Dir/Errors", status),
            "/opt/corvane/shared\\Errors");
  EXPECT_EQ(status.code(), 0) << status.contextText();
}

TEST_F(PluginPaths, StandardVariablesComeFromTheStandardPaths) {
  voerr::Status status;
  std::string value;
  voxlator::lookupVariable("demo", "_voSharedDir", value, status);
  EXPECT_EQ(value, "/opt/corvane/shared64");
  voxlator::lookupVariable("demo", "_commonAppDataDir", value, status);
  EXPECT_NE(value.find("Corvane"), std::string::npos) << value;
  EXPECT_EQ(status.code(), 0) << status.contextText();
}

TEST_F(PluginPaths, OtherVariablesAreReadFromThePluginKeyWithoutTrailingNuls) {
  voerr::Status status;
  std::string value;
  voxlator::lookupVariable("demo", "Root", value, status);
  EXPECT_EQ(value, "/srv/demo");
  voxlator::lookupVariable("other", "Root", value, status);
  EXPECT_EQ(value, "/srv/other");
  EXPECT_EQ(status.code(), 0) << status.contextText();
}

TEST_F(PluginPaths, MissingVariableReportsTheRegistryFailure) {
  voerr::Status status;
  std::string value = "stale";
  voxlator::lookupVariable("demo", "Missing", value, status);
  EXPECT_EQ(value, "");
  EXPECT_EQ(status.code(), voerr::kResourceNotFound);
  EXPECT_EQ(StringAt(status.contextText(), {"vosysq_debug", "desc"}), "RegQueryValue failed");
}

TEST_F(PluginPaths, VariablesInsideValuesAreExpandedAndSlashesTurned) {
  voerr::Status status;
  EXPECT_EQ(voxlator::expandPath("demo", "$Nested/x/y.lua", status), "/srv/demo\\sub\\x\\y.lua");
  EXPECT_EQ(voxlator::expandPath("demo", "plain/path", status), "plain\\path");
  EXPECT_EQ(status.code(), 0) << status.contextText();
}

TEST_F(PluginPaths, EveryExpansionReadsTheRegistryAsItIsThen) {
  voerr::Status status;
  EXPECT_EQ(voxlator::expandPath("demo", "$Root/x", status), "/srv/demo\\x");
  {
    xltest::ScopedRegistry changed(dir_,
                                   "[SOFTWARE\\Corvane\\VO-Xlator\\plugins\\demo]\n"
                                   "Root=/srv/dome\n");
    EXPECT_EQ(voxlator::expandPath("demo", "$Root/x", status), "/srv/dome\\x");
    // A value that was there before is gone now.
    voxlator::expandPath("demo", "$Nested/x", status);
    EXPECT_EQ(status.code(), voerr::kResourceNotFound);
  }
}

TEST_F(PluginPaths, DollarWithoutSeparatorIsInvalidAndCutAway) {
  voerr::Status status;
  EXPECT_EQ(voxlator::expandPath("demo", "a/b/$Root", status), "a\\b\\");
  EXPECT_EQ(status.code(), voerr::kInvalidParameter);
  EXPECT_EQ(StringAt(status.contextText(), {"error_constant"}), "voapalerr_invalidParameter");
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "voxlatordll"}),
            "plugin dll path invalid");
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "dllPath"}), "a/b/$Root");
}

TEST_F(PluginPaths, ExpansionStopsAfterThirtyTwoSteps) {
  voerr::Status ok;
  EXPECT_EQ(voxlator::expandPath("demo", "$V1\\tail", ok), "end\\tail");
  EXPECT_EQ(ok.code(), 0) << "32 expansions must still be allowed: " << ok.contextText();

  voerr::Status status;
  EXPECT_EQ(voxlator::expandPath("demo", "$W0\\tail", status), "");
  EXPECT_EQ(status.code(), voerr::kInvalidParameter);
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "voxlatordll"}),
            "plugin dll path invalid");
}

TEST_F(PluginPaths, SelfReferenceEndsWithInvalidPathInsteadOfLoopingForEver) {
  for (const char* path : {"$Self\\x", "$A\\end", "$Double\\end"}) {
    voerr::Status status;
    EXPECT_EQ(voxlator::expandPath("demo", path, status), "") << path;
    EXPECT_EQ(status.code(), voerr::kInvalidParameter) << path;
    EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "dllPath"}), path);
  }
}

TEST_F(PluginPaths, NothingHappensWhenStatusHoldsAnError) {
  voerr::Status status;
  status.setCode(-1);
  EXPECT_EQ(voxlator::expandPath("demo", "$Root\\x", status), "");
  std::string value = "stale";
  voxlator::lookupVariable("demo", "Root", value, status);
  EXPECT_EQ(value, "");
  EXPECT_EQ(status.code(), -1);
  EXPECT_FALSE(status.hasContext());
}

}  // namespace
