// The registry file: where it is looked for, how it is read, and the
// results of opening keys and querying values.
#include "sysq/registry_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "platform/syserror.h"
#include "sysq/wide_text.h"
#include "sysq_test_support.h"

namespace {

using sysqtest::ScopedEnv;
using sysqtest::ScopedRegistry;
using sysqtest::TempDir;
using vosysq::RegistryKey;

// The value's data as UTF-8, read with enough room; the error number when
// the read fails.
struct Read {
  uint32_t error = 0;
  std::u16string data;
};
Read ReadValue(const RegistryKey& key, std::u16string_view name) {
  Read r;
  uint32_t size = 0;
  r.error = key.queryValue(name, nullptr, &size);
  if (r.error != 0) return r;
  r.data.resize(size / 2);
  r.error = key.queryValue(name, r.data.data(), &size);
  return r;
}

class RegistryFileTest : public ::testing::Test {
 protected:
  void use(const std::string& content) { registry_.emplace(dir_, content); }
  TempDir dir_;
  std::optional<ScopedRegistry> registry_;
};

TEST_F(RegistryFileTest, KeysAndValueNamesCompareWithoutCase) {
  use("[SOFTWARE\\Corvane\\Common\\Installer]\nVOSHAREDDIR=/opt/shared\n");
  RegistryKey key;
  ASSERT_EQ(key.open(u"software\\CORVANE\\common\\installer", vosysq::kKeyRead), 0u);
  EXPECT_EQ(ReadValue(key, u"VoSharedDir").data, u"/opt/shared");
  EXPECT_EQ(ReadValue(key, u"VOSHAREDDIR").data, u"/opt/shared");
  EXPECT_EQ(ReadValue(key, u"VOSHAREDDIR64").error, voplat::kErrFileNotFound);
}

TEST_F(RegistryFileTest, ValueIsTheRestOfTheLineWithNulEscapes) {
  use("; a comment\n"
      "# another\n"
      "\n"
      "[K]\n"
      "  Padded Name =  keeps blanks  \n"
      "Nul=ab\\0cd\\0\\0\n"
      "Eq=a=b\n"
      "Empty=\n"
      "Back=C:\\dir\\\n"
      "NotAValueLine\n");
  RegistryKey key;
  ASSERT_EQ(key.open(u"K", vosysq::kKeyRead), 0u);
  EXPECT_EQ(ReadValue(key, u"Padded Name").data, u"  keeps blanks  ");
  EXPECT_EQ(ReadValue(key, u"Nul").data, std::u16string(u"ab\0cd\0\0", 7));
  EXPECT_EQ(ReadValue(key, u"Eq").data, u"a=b");
  const Read empty = ReadValue(key, u"Empty");
  EXPECT_EQ(empty.error, 0u);
  EXPECT_EQ(empty.data, u"");
  EXPECT_EQ(ReadValue(key, u"Back").data, u"C:\\dir\\");
  EXPECT_EQ(ReadValue(key, u"NotAValueLine").error, voplat::kErrFileNotFound);
}

TEST_F(RegistryFileTest, LineEndsByteOrderMarkAndNonAsciiText) {
  use("\xEF\xBB\xBF[K]\r\nName=Donn\xC3\xA9"
      "es\r\nWide=\xF0\x9F\x98\x80\r\n");
  RegistryKey key;
  ASSERT_EQ(key.open(u"K", vosysq::kKeyRead), 0u);
  EXPECT_EQ(ReadValue(key, u"Name").data, u"Donn\u00e9es");
  // A code point above U+FFFF is stored as a surrogate pair: 4 bytes.
  uint32_t size = 0;
  ASSERT_EQ(key.queryValue(u"Wide", nullptr, &size), 0u);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(ReadValue(key, u"Wide").data, u"\U0001F600");
}

TEST_F(RegistryFileTest, ALineThatIsNotUtf8MakesTheFileUnreadable) {
  RegistryKey key;
  // Latin-1 e-acute, a lone continuation byte, an overlong '/', an encoded
  // surrogate, a sequence cut short at the end of the file: each anywhere in
  // the file, in the key's lines or not.
  const std::pair<std::string, uint32_t> bad[] = {
      {"[K]\nName=Donn\xE9"
       "es\n",
       2},
      {"; caf\x80\n[K]\nName=x\n", 1},
      {"[K]\r\nName=x\r\n[Other]\r\nP=\xC0\xAF\r\n", 4},
      {"[K]\nP=\xED\xA0\x80\n", 2},
      {"[K]\nName=x\nP=\xE2\x82", 3},
  };
  for (const auto& [content, line] : bad) {
    use(content);
    EXPECT_EQ(key.open(u"K", vosysq::kKeyRead), voplat::kErrBadDatabase) << content;
    EXPECT_FALSE(key.isOpen());
    EXPECT_EQ(key.badLine(), line) << content;
    EXPECT_EQ(key.filePath(), dir_.path() + "/registry.ini");
  }
  // A good file opens again, and the line is forgotten.
  use("[K]\nName=Donn\xC3\xA9"
      "es\n");
  ASSERT_EQ(key.open(u"K", vosysq::kKeyRead), 0u);
  EXPECT_EQ(key.badLine(), 0u);
  EXPECT_EQ(ReadValue(key, u"Name").data, u"Donn\u00e9es");
}

TEST_F(RegistryFileTest, SectionsAddUpAndTheLastSettingWins) {
  use("[A]\nX=1\n[B]\nX=other\n[a]\nY=2\nx=3\n");
  RegistryKey key;
  ASSERT_EQ(key.open(u"A", vosysq::kKeyRead), 0u);
  EXPECT_EQ(ReadValue(key, u"X").data, u"3");
  EXPECT_EQ(ReadValue(key, u"Y").data, u"2");
}

TEST_F(RegistryFileTest, BlanksAroundSectionAndValueNamesDoNotCount) {
  use(" \t[ \tSOFTWARE\\Corvane\t ]\t \n"
      "\t Name \t= \tvalue\t\n"
      "[K] = not a section\n"
      "Other=x\n"
      "  nAME=last\\0\n");
  RegistryKey key;
  ASSERT_EQ(key.open(u"software\\corvane", vosysq::kKeyRead), 0u);
  // The last of the settings whose names differ only in case and blanks.
  EXPECT_EQ(ReadValue(key, u"NAME").data, std::u16string(u"last\0", 5));
  EXPECT_EQ(ReadValue(key, u"[K]").data, u" not a section");
  EXPECT_EQ(ReadValue(key, u"Other").data, u"x");
  // Blanks inside the names asked for are part of them.
  EXPECT_EQ(ReadValue(key, u" Name").error, voplat::kErrFileNotFound);
  EXPECT_EQ(key.open(u" software\\corvane", vosysq::kKeyRead), voplat::kErrFileNotFound);
}

TEST_F(RegistryFileTest, AKeyExistsWhenAKeyBelowItIsNamed) {
  use("[SOFTWARE\\Corvane\\Common\\Installer]\nV=1\n");
  RegistryKey key;
  EXPECT_EQ(key.open(u"SOFTWARE\\Corvane", vosysq::kKeyRead), 0u);
  EXPECT_EQ(ReadValue(key, u"V").error, voplat::kErrFileNotFound);
  // A name that only begins like the key is a different key.
  EXPECT_EQ(key.open(u"SOFTWARE\\Corv", vosysq::kKeyRead), voplat::kErrFileNotFound);
  EXPECT_EQ(key.open(u"SOFTWARE\\Corvane\\Common\\Installer\\Deeper", vosysq::kKeyRead),
            voplat::kErrFileNotFound);
}

TEST_F(RegistryFileTest, MissingFileOrKeyFailsTheOpenWithError2) {
  use("[Present]\nV=1\n");
  RegistryKey key;
  EXPECT_EQ(key.open(u"Absent", vosysq::kKeyRead), voplat::kErrFileNotFound);
  EXPECT_FALSE(key.isOpen());
  EXPECT_EQ(key.queryValue(u"V", nullptr, nullptr), voplat::kErrInvalidHandle);

  ScopedEnv noFile("VO_REGISTRY_FILE", (dir_.path() + "/nothing/registry.ini").c_str());
  EXPECT_EQ(key.open(u"Present", vosysq::kKeyRead), voplat::kErrFileNotFound);
}

TEST_F(RegistryFileTest, ViewFlagHasNoEffect) {
  use("[K]\nV=same\n");
  RegistryKey a, b;
  ASSERT_EQ(a.open(u"K", vosysq::kKeyRead | vosysq::kKeyWow64_32Key), 0u);
  ASSERT_EQ(b.open(u"K", vosysq::kKeyRead), 0u);
  EXPECT_EQ(ReadValue(a, u"V").data, ReadValue(b, u"V").data);
}

TEST_F(RegistryFileTest, QueryReportsMoreDataAndTheSizeWhenRoomIsShort) {
  use("[K]\nV=abcdef\n");
  RegistryKey key;
  ASSERT_EQ(key.open(u"K", vosysq::kKeyRead), 0u);
  char16_t buffer[8] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
  uint32_t size = 6;  // room for three units
  EXPECT_EQ(key.queryValue(u"V", buffer, &size), voplat::kErrMoreData);
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(buffer[0], u'x') << "nothing is copied when the room is short";
  size = 12;
  EXPECT_EQ(key.queryValue(u"V", buffer, &size), 0u);
  EXPECT_EQ(std::u16string(buffer, 6), u"abcdef");
  EXPECT_EQ(buffer[6], u'x') << "no terminator is added";
}

TEST_F(RegistryFileTest, TheFileIsReadAgainOnEveryOpen) {
  use("[K]\nV=first\n");
  RegistryKey key;
  ASSERT_EQ(key.open(u"K", vosysq::kKeyRead), 0u);
  EXPECT_EQ(ReadValue(key, u"V").data, u"first");
  use("[K]\nV=second\n");
  // The open key keeps what it read...
  EXPECT_EQ(ReadValue(key, u"V").data, u"first");
  // ...and the next open sees the new file.
  ASSERT_EQ(key.open(u"K", vosysq::kKeyRead), 0u);
  EXPECT_EQ(ReadValue(key, u"V").data, u"second");
  key.close();
  EXPECT_EQ(key.queryValue(u"V", nullptr, nullptr), voplat::kErrInvalidHandle);
}

// The file's location: the variable first, then the file beside the module's
// directory, then the system-wide one.
TEST(RegistryFileLocation, EnvironmentVariableComesFirst) {
  ScopedEnv env("VO_REGISTRY_FILE", "/some/where/registry.ini");
  EXPECT_EQ(vosysq::registryFilePath(), "/some/where/registry.ini");
}

TEST(RegistryFileLocation, WithoutTheVariableTheModulesEtcDirectoryIsUsed) {
  ScopedEnv env("VO_REGISTRY_FILE", nullptr);
  // This test program lies in the build's bin/ directory; the build writes
  // etc/corvane/registry.ini beside it.
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  std::string exe(self, static_cast<size_t>(n));
  const std::string exeDir = exe.substr(0, exe.rfind('/'));
  EXPECT_EQ(vosysq::moduleDirectory(), exeDir);
  EXPECT_EQ(vosysq::registryFilePath(), exeDir + "/../etc/corvane/registry.ini");
  EXPECT_EQ(access(vosysq::registryFilePath().c_str(), R_OK), 0);

  ScopedEnv empty("VO_REGISTRY_FILE", "");
  EXPECT_EQ(vosysq::registryFilePath(), exeDir + "/../etc/corvane/registry.ini")
      << "an empty variable counts as unset";
}

TEST(RegistryFileLocation, TheBuildTreeRegistryNamesTheBuildData) {
  ScopedEnv env("VO_REGISTRY_FILE", nullptr);
  RegistryKey key;
  ASSERT_EQ(key.open(u"SOFTWARE\\Corvane\\Common\\Installer", vosysq::kKeyRead), 0u);
  const Read shared32 = ReadValue(key, u"VOSHAREDDIR");
  const Read shared = ReadValue(key, u"VOSHAREDDIR64");
  ASSERT_EQ(shared32.error, 0u);
  ASSERT_EQ(shared.error, 0u);
  EXPECT_EQ(shared32.data, shared.data);
  EXPECT_EQ(vosysq::toUtf8(shared32.data), VO_TEST_DATA_DIR);
}

}  // namespace
