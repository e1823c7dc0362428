// Standard paths, folder paths and registry strings, with their error
// contexts.
#include "sysq/standard_paths.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/syserror.h"
#include "sysq/registry_store.h"
#include "sysq/wide_text.h"
#include "sysq_test_support.h"

namespace {

using sysqtest::IntAt;
using sysqtest::RawAt;
using sysqtest::ScopedEnv;
using sysqtest::ScopedRegistry;
using sysqtest::StringAt;
using sysqtest::TempDir;

constexpr const char* kInstaller = "[SOFTWARE\\Corvane\\Common\\Installer]\n";

class StandardPathTest : public ::testing::Test {
 protected:
  void use(const std::string& content) { registry_.emplace(dir_, content); }

  std::string standardPath(const char* variable) {
    status_.clear();
    std::string out = "stale";
    vosysq::getStandardPath(variable, out, status_);
    return out;
  }

  TempDir dir_;
  std::optional<ScopedRegistry> registry_;
  voerr::Status status_;
};

TEST_F(StandardPathTest, SharedDirectoriesComeFromTheirOwnValues) {
  use(std::string(kInstaller) +
      "VOSHAREDDIR=/opt/corvane/shared32\nVOSHAREDDIR64=/opt/corvane/shared\n");
  EXPECT_EQ(standardPath("_voShared32Dir"), "/opt/corvane/shared32");
  EXPECT_TRUE(status_.isSuccess());
  EXPECT_EQ(standardPath("_voSharedDir"), "/opt/corvane/shared");
  EXPECT_TRUE(status_.isSuccess());
}

TEST_F(StandardPathTest, TrailingSeparatorsNulsAndWhiteSpaceAreRemoved) {
  use(std::string(kInstaller) + "VOSHAREDDIR=C:\\Corvane\\Shared\\\\0\n" +
      "VOSHAREDDIR64=  \t/opt/x/ \\\\0\\0 \n");
  EXPECT_EQ(standardPath("_voShared32Dir"), "C:\\Corvane\\Shared");
  EXPECT_EQ(standardPath("_voSharedDir"), "/opt/x");
}

TEST_F(StandardPathTest, MissingKeyReportsTheOpenWithTheSystemText) {
  use("[SOFTWARE\\Corvane\\Other]\nVOSHAREDDIR=/x\n");
  EXPECT_EQ(standardPath("_voShared32Dir"), "");
  ASSERT_EQ(status_.code(), voerr::kResourceNotFound);
  const char* ctx = status_.contextText();
  sysqtest::ExpectStandardMembers(status_, "voapalerr_resourceNotFound");
  EXPECT_EQ(StringAt(ctx, {"internal_error", "api"}), "win32") << ctx;
  EXPECT_EQ(IntAt(ctx, {"internal_error", "code"}), 2) << ctx;
#ifdef _WIN32
  // The system's own text, in whatever wording the system has.
  EXPECT_EQ(StringAt(ctx, {"internal_error", "string"}), voplat::errorMessage(2)) << ctx;
  EXPECT_FALSE(voplat::errorMessage(2).empty());
#else
  EXPECT_EQ(StringAt(ctx, {"internal_error", "string"}),
            "The system cannot find the file specified.")
      << ctx;
#endif
  EXPECT_EQ(StringAt(ctx, {"vosysq_debug", "desc"}), "RegOpenKeyEx failed") << ctx;
}

#ifdef _WIN32
TEST_F(StandardPathTest, EmptyRegistryHasNoKey) {
  use("");
#else
TEST_F(StandardPathTest, MissingRegistryFileIsAMissingKey) {
  ScopedEnv env("VO_REGISTRY_FILE", (dir_.path() + "/absent.ini").c_str());
#endif
  EXPECT_EQ(standardPath("_voSharedDir"), "");
  ASSERT_EQ(status_.code(), voerr::kResourceNotFound);
  EXPECT_EQ(IntAt(status_.contextText(), {"internal_error", "code"}), 2);
  EXPECT_EQ(StringAt(status_.contextText(), {"vosysq_debug", "desc"}), "RegOpenKeyEx failed");
}

#ifndef _WIN32  // the registry file is POSIX's
TEST_F(StandardPathTest, ARegistryFileThatIsNotUtf8IsRejectedWithItsNameAndLine) {
  // A Latin-1 path must not turn into a folder that does not exist.
  use(std::string(kInstaller) +
      "VOSHAREDDIR64=/opt/x\nVOSHAREDDIR=/opt/Donn\xE9"
      "es\n");
  EXPECT_EQ(standardPath("_voShared32Dir"), "");
  ASSERT_EQ(status_.code(), voerr::kResourceNotFound);
  const char* ctx = status_.contextText();
  sysqtest::ExpectStandardMembers(status_, "voapalerr_resourceNotFound");
  EXPECT_EQ(StringAt(ctx, {"internal_error", "api"}), "win32") << ctx;
  EXPECT_EQ(IntAt(ctx, {"internal_error", "code"}), 1009) << ctx;
  EXPECT_EQ(StringAt(ctx, {"internal_error", "string"}),
            "The configuration registry database is corrupt.")
      << ctx;
  EXPECT_EQ(StringAt(ctx, {"vosysq_debug", "desc"}), "RegOpenKeyEx failed") << ctx;
  EXPECT_EQ(StringAt(ctx, {"vosysq_debug", "path"}), dir_.path() + "/registry.ini") << ctx;
  EXPECT_EQ(IntAt(ctx, {"vosysq_debug", "line"}), 3) << ctx;
  // Every value of the file is refused, not only the one on the bad line.
  EXPECT_EQ(standardPath("_voSharedDir"), "");
  EXPECT_EQ(status_.code(), voerr::kResourceNotFound);
}
#endif

TEST_F(StandardPathTest, MissingValueReportsTheQuery) {
  use(std::string(kInstaller) + "VOSHAREDDIR64=/only/64\n");
  EXPECT_EQ(standardPath("_voShared32Dir"), "");
  ASSERT_EQ(status_.code(), voerr::kResourceNotFound);
  const char* ctx = status_.contextText();
  EXPECT_EQ(StringAt(ctx, {"vosysq_debug", "desc"}), "RegQueryValue failed") << ctx;
  EXPECT_EQ(StringAt(ctx, {"internal_error", "api"}), "win32") << ctx;
  EXPECT_EQ(IntAt(ctx, {"internal_error", "code"}), 2) << ctx;
  // The members follow the standard ones in this order.
  const std::string text = ctx;
  EXPECT_LT(text.find("\"component\""), text.find("\"internal_error\""));
  EXPECT_LT(text.find("\"internal_error\""), text.find("\"vosysq_debug\""));
}

#ifdef _WIN32
TEST_F(StandardPathTest, CommonAppDataAndTemporaryDirectories) {
  std::u16string folder;
  vosysq::getFolderPath(vosysq::kFolderCommonAppData, folder, status_);
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(standardPath("_commonAppDataDir"), vosysq::toUtf8(folder) + "\\Corvane");
  EXPECT_TRUE(status_.isSuccess());
  std::string temp = voplat::tempDirectory();
  ASSERT_EQ(temp.back(), '\\');
  temp.pop_back();
  EXPECT_EQ(standardPath("_tempDir"), temp);
}
#else
TEST_F(StandardPathTest, CommonAppDataAndTemporaryDirectories) {
  EXPECT_EQ(standardPath("_commonAppDataDir"), "/var/lib\\Corvane");
  EXPECT_TRUE(status_.isSuccess());
  {
    ScopedEnv tmp("TMPDIR", "/scratch/tmp/");
    EXPECT_EQ(standardPath("_tempDir"), "/scratch/tmp");
  }
  {
    ScopedEnv tmp("TMPDIR", nullptr);
    EXPECT_EQ(standardPath("_tempDir"), "/tmp");
  }
}
#endif

TEST_F(StandardPathTest, VariableNamesAreExact) {
  EXPECT_TRUE(vosysq::isStandardPathVariable("_tempDir"));
  EXPECT_FALSE(vosysq::isStandardPathVariable("_tempdir"));
  EXPECT_FALSE(vosysq::isStandardPathVariable("_voShared32Dir "));
  EXPECT_EQ(standardPath("_VOSHAREDDIR"), "");
  ASSERT_EQ(status_.code(), voerr::kInvalidParameter);
  EXPECT_EQ(StringAt(status_.contextText(), {"vosysq_debug", "variable"}), "_VOSHAREDDIR");
}

TEST_F(StandardPathTest, AStatusHoldingAnErrorIsLeftAlone) {
  use(std::string(kInstaller) + "VOSHAREDDIR=/x\n");
  voerr::Status status;
  VOERR_RAISE(status, voerr::kSystemError, nullptr);
  const std::string before = status.contextText();
  std::string out;
  vosysq::getStandardPath("_voShared32Dir", out, status);
  EXPECT_EQ(out, "");
  std::u16string wide = u"x";
  vosysq::readRegistryString(vosysq::kInstallerKey, u"VOSHAREDDIR", vosysq::kView32, wide, status);
  EXPECT_EQ(wide, u"");
  EXPECT_EQ(status.code(), voerr::kSystemError);
  EXPECT_EQ(status.contextText(), before);
}

TEST_F(StandardPathTest, AFailureReplacesAWarning) {
  use("[Nothing]\n");
  voerr::Status status;
  status.setCode(17);
  std::string out;
  vosysq::getStandardPath("_voShared32Dir", out, status);
  EXPECT_EQ(status.code(), voerr::kResourceNotFound);
}

// Registry strings as stored: sizes beyond the first read's room, embedded
// and trailing NULs.
class RegistryStringTest : public StandardPathTest {
 protected:
  std::u16string read(const char16_t* key, const char16_t* name) {
    status_.clear();
    std::u16string out = u"stale";
    vosysq::readRegistryString(key, name, vosysq::kView32, out, status_);
    return out;
  }
};

TEST_F(RegistryStringTest, ValuesAroundTheFirstReadsRoomAreReadWhole) {
  // 256 units fill the first read's 512 bytes exactly; 257 and 700 need the
  // retry with the reported size.
  const std::string v256(256, 'a'), v257(257, 'b'), v700(700, 'c');
  use("[K]\nA=" + v256 + "\nB=" + v257 + "\nC=" + v700 + "\n");
  EXPECT_EQ(vosysq::toUtf8(read(u"K", u"A")), v256);
  EXPECT_EQ(vosysq::toUtf8(read(u"K", u"B")), v257);
  EXPECT_EQ(vosysq::toUtf8(read(u"K", u"C")), v700);
  EXPECT_TRUE(status_.isSuccess());
}

TEST_F(RegistryStringTest, TheStoredNulsStayInTheResult) {
  use("[K]\nV=abc\\0\nW=\\0\\0\n");
  EXPECT_EQ(read(u"K", u"V"), std::u16string(u"abc\0", 4));
  EXPECT_EQ(read(u"K", u"W"), std::u16string(u"\0\0", 2));
}

TEST_F(RegistryStringTest, Utf8VariantConvertsNamesAndValue) {
  use("[SOFTWARE\\Corvane\\VO-Xlator\\plugins\\Pl\xC3\xBCgin]\n"
      "R\xC3\xA9pertoire=/donn\xC3\xA9"
      "es\\0\n");
  std::string out;
  voerr::Status status;
  vosysq::readRegistryStringUtf8("SOFTWARE\\Corvane\\VO-Xlator\\plugins\\Pl\xC3\xBCgin",
                                 "R\xC3\xA9pertoire", out, status);
  EXPECT_TRUE(status.isSuccess()) << status.contextText();
  EXPECT_EQ(out, std::string("/donn\xC3\xA9"
                             "es\0",
                             10));

  vosysq::readRegistryStringUtf8("SOFTWARE\\Corvane\\VO-Xlator\\plugins\\Plugin", "X", out, status);
  EXPECT_EQ(out, "");
  EXPECT_EQ(StringAt(status.contextText(), {"vosysq_debug", "desc"}), "RegOpenKeyEx failed");
}

TEST(FolderPath, KnownFoldersAndTheFailureOfOthers) {
  voerr::Status status;
  std::u16string out;
#ifdef _WIN32
  vosysq::getFolderPath(vosysq::kFolderCommonAppData, out, status);
  EXPECT_FALSE(out.empty());
  vosysq::getFolderPath(vosysq::kFolderSystem, out, status);
  EXPECT_TRUE(voplat::isDirectory(vosysq::toUtf8(out) + "\\drivers")) << vosysq::toUtf8(out);
  EXPECT_TRUE(status.isSuccess());
#else
  vosysq::getFolderPath(vosysq::kFolderCommonAppData, out, status);
  EXPECT_EQ(out, u"/var/lib");
  vosysq::getFolderPath(vosysq::kFolderSystem, out, status);
  EXPECT_EQ(vosysq::toUtf8(out), vosysq::moduleDirectory());
  EXPECT_FALSE(out.empty());
  EXPECT_TRUE(status.isSuccess());
#endif

  vosysq::getFolderPath(0xFF, out, status);  // no such folder
  EXPECT_EQ(out, u"");
  ASSERT_EQ(status.code(), voerr::kResourceNotFound);
  const char* ctx = status.contextText();
  sysqtest::ExpectStandardMembers(status, "voapalerr_resourceNotFound");
  EXPECT_EQ(StringAt(ctx, {"internal_error", "api"}), "hresult") << ctx;
  // Written as a signed number.
  EXPECT_EQ(RawAt(ctx, {"internal_error", "code"}), "-2147024809") << ctx;
  EXPECT_EQ(StringAt(ctx, {"vosysq_debug", "desc"}), "SHGetFolderPathW failed") << ctx;
}

TEST(NormalizePath, TrimsOnlyTheEnds) {
  std::string p = " \t C:\\a b\\c \\/\t\r\n";
  vosysq::normalizePath(p);
  EXPECT_EQ(p, "C:\\a b\\c");
  p = std::string("\\\0 \\", 4);
  vosysq::normalizePath(p);
  EXPECT_EQ(p, "");
  p = "/";
  vosysq::normalizePath(p);
  EXPECT_EQ(p, "") << "callers append a separator and a name";
  EXPECT_EQ(vosysq::normalizePath(std::u16string(u"  /x/\u00e9t\u00e9\\\0", 11)),
            "/x/\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(vosysq::normalizePath(u"\\\\server\\share"), "\\\\server\\share");
}

}  // namespace
