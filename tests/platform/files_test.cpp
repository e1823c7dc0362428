// Path resolution, directory listing and file opening.
#include "platform/files.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace voplat {
namespace {

// A fresh directory under the system's temporary directory, removed with its
// content at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::string pattern = tempDirectory() + "vo_platform_files_XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
  }
  ~TempDir() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  const std::string& path() const { return path_; }

  void makeDir(const std::string& relative) const {
    ASSERT_EQ(mkdir((path_ + "/" + relative).c_str(), 0700), 0) << relative;
  }
  void makeFile(const std::string& relative, const std::string& content = "x") const {
    std::FILE* f = std::fopen((path_ + "/" + relative).c_str(), "wb");
    ASSERT_NE(f, nullptr) << relative;
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
  }

 private:
  std::string path_;
};

std::string withBackslashes(std::string s) {
  for (char& c : s) {
    if (c == '/') c = '\\';
  }
  return s;
}

std::string readAll(std::FILE* f) {
  std::string content;
  char buffer[256];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, n);
  return content;
}

TEST(ResolvePath, NormalisesSeparatorsOfExistingPaths) {
  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  tmp.makeDir("Errors");
  tmp.makeFile("Errors/codes.txt");
  EXPECT_EQ(resolvePath(withBackslashes(tmp.path()) + "\\Errors\\codes.txt"),
            tmp.path() + "/Errors/codes.txt");
  EXPECT_EQ(resolvePath(tmp.path() + "//Errors\\\\codes.txt"), tmp.path() + "/Errors/codes.txt");
  EXPECT_EQ(resolvePath(tmp.path() + "\\Errors\\"), tmp.path() + "/Errors/");
  EXPECT_EQ(resolvePath(""), "");
}

TEST(ResolvePath, MatchesComponentsWithoutRegardToCase) {
  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  tmp.makeDir("Errors");
  tmp.makeDir("Errors/English");
  tmp.makeFile("Errors/English/Codes.TXT");

  EXPECT_EQ(resolvePath(tmp.path() + "\\errors"), tmp.path() + "/Errors");
  EXPECT_EQ(resolvePath(tmp.path() + "\\ERRORS\\english\\codes.txt"),
            tmp.path() + "/Errors/English/Codes.TXT");
  EXPECT_EQ(resolvePath(tmp.path() + "/errors/English/"), tmp.path() + "/Errors/English/");
  EXPECT_TRUE(pathExists(tmp.path() + "\\errors\\ENGLISH\\codes.txt"));
  EXPECT_TRUE(isDirectory(tmp.path() + "\\errors\\english"));
  EXPECT_FALSE(isDirectory(tmp.path() + "\\errors\\english\\codes.txt"));
}

TEST(ResolvePath, KeepsUnmatchedComponentsAsWritten) {
  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  tmp.makeDir("Errors");
  // A new file in an existing directory: the directory is matched, the name kept.
  EXPECT_EQ(resolvePath(tmp.path() + "\\errors\\New.txt"), tmp.path() + "/Errors/New.txt");
  // Nothing below a missing directory can match.
  EXPECT_EQ(resolvePath(tmp.path() + "\\Missing\\errors"), tmp.path() + "/Missing/errors");
  EXPECT_FALSE(pathExists(tmp.path() + "\\Missing\\errors"));
  EXPECT_FALSE(isDirectory(tmp.path() + "\\Missing"));
}

TEST(ResolvePath, PrefersTheExactSpellingAndIsDeterministicOtherwise) {
  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  tmp.makeDir("data");
  tmp.makeDir("Data");
  tmp.makeFile("Data/only-upper");
  EXPECT_EQ(resolvePath(tmp.path() + "/data"), tmp.path() + "/data");
  EXPECT_EQ(resolvePath(tmp.path() + "/Data"), tmp.path() + "/Data");
  // Two candidates: the first in listing order.
  EXPECT_EQ(resolvePath(tmp.path() + "/DATA"), tmp.path() + "/Data");
  // "data/only-upper" does not exist; "DATA" matches "Data" first, where it does.
  EXPECT_EQ(resolvePath(tmp.path() + "/DATA/ONLY-UPPER"), tmp.path() + "/Data/only-upper");
}

TEST(ResolvePath, RelativePathsAreMatchedFromTheCurrentDirectory) {
  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  tmp.makeDir("Sub");
  tmp.makeFile("Sub/File.txt");
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(tmp.path().c_str()), 0);
  const std::string resolved = resolvePath("sub\\file.txt");
  const std::string dotted = resolvePath(".\\SUB\\..\\sub\\FILE.TXT");
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(resolved, "Sub/File.txt");
  EXPECT_EQ(dotted, "./Sub/../Sub/File.txt");
}

TEST(ListDirectory, ListsEntriesSortedByName) {
  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  tmp.makeFile("b.txt");
  tmp.makeFile("C.err");
  tmp.makeFile("a.txt");
  tmp.makeDir("English");
  tmp.makeFile("B.txt");
  tmp.makeFile("_x");
  ASSERT_EQ(symlink((tmp.path() + "/English").c_str(), (tmp.path() + "/link").c_str()), 0);

  std::vector<DirEntry> entries = {{"stale", false}};
  SysError err;
  ASSERT_TRUE(listDirectory(withBackslashes(tmp.path()) + "\\", entries, &err)) << err.message;
  std::vector<std::string> names;
  for (const DirEntry& e : entries) names.push_back(e.name);
  // Folded to upper case, as NTFS lists them: '_' comes after the letters.
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "B.txt", "b.txt", "C.err", "English", "link",
                                             "_x"}));
  for (const DirEntry& e : entries) {
    EXPECT_EQ(e.isDirectory, e.name == "English" || e.name == "link") << e.name;
  }
}

TEST(ListDirectory, ResolvesTheDirectoryAndReportsFailures) {
  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  tmp.makeDir("Korean");
  tmp.makeFile("Korean/one.txt");
  tmp.makeFile("plain");

  std::vector<DirEntry> entries;
  SysError err;
  ASSERT_TRUE(listDirectory(tmp.path() + "\\KOREAN", entries, &err)) << err.message;
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "one.txt");
  EXPECT_FALSE(entries[0].isDirectory);

  ASSERT_TRUE(listDirectory(tmp.path() + "/Korean/../Korean", entries, &err));
  EXPECT_EQ(entries.size(), 1u);

  SysError missing;
  entries = {{"stale", false}};
  EXPECT_FALSE(listDirectory(tmp.path() + "\\French", entries, &missing));
  EXPECT_EQ(missing.code, kErrPathNotFound);
  EXPECT_EQ(missing.message, errorMessage(kErrPathNotFound));
  EXPECT_TRUE(entries.empty());

  SysError notDir;
  EXPECT_FALSE(listDirectory(tmp.path() + "/plain", entries, &notDir));
  EXPECT_EQ(notDir.code, kErrPathNotFound);

  EXPECT_FALSE(listDirectory(tmp.path() + "/nothing", entries, nullptr));

  ASSERT_EQ(mkdir((tmp.path() + "/empty").c_str(), 0700), 0);
  ASSERT_TRUE(listDirectory(tmp.path() + "/empty", entries, &err));
  EXPECT_TRUE(entries.empty());
}

TEST(OpenFile, OpensThroughCaseInsensitiveResolution) {
  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  tmp.makeDir("Errors");
  tmp.makeFile("Errors/Codes.txt", "line 1\r\nline 2\n");

  SysError err;
  std::FILE* f = openFile(tmp.path() + "\\errors\\codes.TXT", "rt", &err);
  ASSERT_NE(f, nullptr) << err.message;
  EXPECT_EQ(readAll(f), "line 1\r\nline 2\n");
  std::fclose(f);

  // Writing creates the file in the directory as it is spelled on disk.
  f = openFile(tmp.path() + "\\ERRORS\\new.txt", "wb", &err);
  ASSERT_NE(f, nullptr) << err.message;
  std::fputs("written", f);
  std::fclose(f);
  f = std::fopen((tmp.path() + "/Errors/new.txt").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(readAll(f), "written");
  std::fclose(f);

  // Appending to the file found case-insensitively, not to a new one.
  f = openFile(tmp.path() + "/errors/NEW.TXT", "a", &err);
  ASSERT_NE(f, nullptr) << err.message;
  std::fputs("+more", f);
  std::fclose(f);
  f = openFile(tmp.path() + "/Errors/new.txt", "r", &err);
  ASSERT_NE(f, nullptr) << err.message;
  EXPECT_EQ(readAll(f), "written+more");
  std::fclose(f);
}

TEST(OpenFile, TranslatesFailures) {
  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  tmp.makeFile("plain");

  SysError missing;
  EXPECT_EQ(openFile(tmp.path() + "/absent.txt", "r", &missing), nullptr);
  EXPECT_EQ(missing.code, kErrFileNotFound);
  EXPECT_EQ(missing.message, errorMessage(kErrFileNotFound));

  SysError noDir;
  EXPECT_EQ(openFile(tmp.path() + "/absent/x.txt", "w", &noDir), nullptr);
  EXPECT_EQ(noDir.code, kErrPathNotFound);
  EXPECT_EQ(openFile(tmp.path() + "/absent/x.txt", "r", &noDir), nullptr);
  EXPECT_EQ(noDir.code, kErrPathNotFound);

  SysError underFile;
  EXPECT_EQ(openFile(tmp.path() + "/plain/x.txt", "r", &underFile), nullptr);
  EXPECT_EQ(underFile.code, kErrPathNotFound);

  SysError isDir;
  EXPECT_EQ(openFile(tmp.path(), "w", &isDir), nullptr);
  EXPECT_EQ(isDir.code, kErrAccessDenied);

  SysError badMode;
  EXPECT_EQ(openFile(tmp.path() + "/plain", "z", &badMode), nullptr);
  EXPECT_EQ(badMode.code, kErrInvalidParameter);
  EXPECT_EQ(openFile(tmp.path() + "/plain", nullptr, &badMode), nullptr);

  if (geteuid() != 0) {
    ASSERT_EQ(chmod((tmp.path() + "/plain").c_str(), 0), 0);
    SysError denied;
    EXPECT_EQ(openFile(tmp.path() + "/plain", "r", &denied), nullptr);
    EXPECT_EQ(denied.code, kErrAccessDenied);
  }
}

TEST(ListDirectory, TellsPlainFilesFromEverythingElse) {
  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  tmp.makeDir("Dir");
  tmp.makeFile("file.txt");
  ASSERT_EQ(symlink((tmp.path() + "/file.txt").c_str(), (tmp.path() + "/to_file").c_str()), 0);
  ASSERT_EQ(symlink((tmp.path() + "/Dir").c_str(), (tmp.path() + "/to_dir").c_str()), 0);
  ASSERT_EQ(symlink((tmp.path() + "/gone").c_str(), (tmp.path() + "/dangling").c_str()), 0);
  ASSERT_EQ(mkfifo((tmp.path() + "/pipe").c_str(), 0600), 0);

  std::vector<DirEntry> entries;
  std::string resolved;
  SysError err;
  ASSERT_TRUE(listDirectory(tmp.path(), entries, &err, &resolved)) << err.message;
  EXPECT_EQ(resolved, tmp.path());
  ASSERT_EQ(entries.size(), 6u);
  for (const DirEntry& e : entries) {
    EXPECT_EQ(e.isRegularFile, e.name == "file.txt" || e.name == "to_file") << e.name;
    EXPECT_EQ(e.isDirectory, e.name == "Dir" || e.name == "to_dir") << e.name;
  }

  // The directory as spelled on disk, for opening its entries.
  ASSERT_TRUE(listDirectory(withBackslashes(tmp.path()) + "\\dIR", entries, &err, &resolved));
  EXPECT_EQ(resolved, tmp.path() + "/Dir");
}

TEST(ReadFile, ReadsWholeFilesAsStored) {
  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  std::string big;
  for (int i = 0; i < 5000; ++i) big += static_cast<char>(i % 251);  // NULs and CR LF included
  tmp.makeDir("Errors");
  tmp.makeFile("Errors/Big.bin", big);
  tmp.makeFile("empty", "");

  std::string out = "stale";
  SysError err;
  ASSERT_TRUE(readFile(tmp.path() + "/Errors/Big.bin", out, &err)) << err.message;
  EXPECT_EQ(out, big);
  ASSERT_TRUE(readFile(withBackslashes(tmp.path()) + "\\errors\\big.BIN", out, &err));
  EXPECT_EQ(out, big) << "found without regard to case";
  ASSERT_TRUE(readFile(tmp.path() + "/empty", out, &err));
  EXPECT_EQ(out, "");
  // A file that reports no size but has content.
  ASSERT_TRUE(readFile("/proc/self/status", out, &err)) << err.message;
  EXPECT_NE(out.find("Name:"), std::string::npos);
}

TEST(ReadFile, TranslatesFailures) {
  TempDir tmp;
  ASSERT_FALSE(tmp.path().empty());
  tmp.makeFile("plain");
  std::string out = "stale";
  SysError missing;
  EXPECT_FALSE(readFile(tmp.path() + "/absent.txt", out, &missing));
  EXPECT_EQ(missing.code, kErrFileNotFound);
  EXPECT_EQ(out, "");
  SysError noDir;
  EXPECT_FALSE(readFile(tmp.path() + "/absent/x.txt", out, &noDir));
  EXPECT_EQ(noDir.code, kErrPathNotFound);
  SysError isDir;
  EXPECT_FALSE(readFile(tmp.path(), out, &isDir));
  EXPECT_EQ(isDir.code, kErrAccessDenied);
  SysError empty;
  EXPECT_FALSE(readFile("", out, &empty));
  EXPECT_EQ(empty.code, kErrFileNotFound);
}

TEST(TempDirectory, FollowsTmpdirAndEndsWithASeparator) {
  const char* saved = std::getenv("TMPDIR");
  const std::string savedValue = saved != nullptr ? saved : "";

  setenv("TMPDIR", "/var/tmp/vo", 1);
  EXPECT_EQ(tempDirectory(), "/var/tmp/vo/");
  setenv("TMPDIR", "/var/tmp/vo/", 1);
  EXPECT_EQ(tempDirectory(), "/var/tmp/vo/");
  setenv("TMPDIR", "", 1);
  EXPECT_EQ(tempDirectory(), "/tmp/");
  unsetenv("TMPDIR");
  EXPECT_EQ(tempDirectory(), "/tmp/");

  if (saved != nullptr) setenv("TMPDIR", savedValue.c_str(), 1);
}

}  // namespace
}  // namespace voplat
