// Files on Windows: listings with FindFirstFileW, whole-file reads, opening
// with the system's error numbers, non-ASCII names, the temporary folder.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace voplat {
namespace {

using votest::TempDir;

std::vector<std::string> sortedNames(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const DirEntry& e : entries) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ListDirectory, ListsEveryEntryWithItsKind) {
  TempDir tmp;
  tmp.makeDir("Sub");
  tmp.writeFile("b.txt", "b");
  tmp.writeFile("A.txt", "a");
  // "été.txt", through the UTF-8 file functions (the C library's would take
  // the name in the ANSI code page).
  SysError err;
  std::FILE* f = openFile(tmp.path() + "\\\xC3\xA9t\xC3\xA9.txt", "w", &err);
  ASSERT_NE(f, nullptr) << err.message;
  std::fclose(f);
  std::vector<DirEntry> entries;
  std::string resolved;
  ASSERT_TRUE(listDirectory(tmp.path(), entries, &err, &resolved)) << err.message;
  EXPECT_EQ(resolved, tmp.path());
  EXPECT_EQ(sortedNames(entries),
            (std::vector<std::string>{"A.txt", "Sub", "b.txt", "\xC3\xA9t\xC3\xA9.txt"}));
  for (const DirEntry& e : entries) {
    EXPECT_EQ(e.isDirectory, e.name == "Sub") << e.name;
    EXPECT_EQ(e.isRegularFile, e.name != "Sub") << e.name;
  }
}

TEST(ListDirectory, MissingFolderIsAPathNotFound) {
  TempDir tmp;
  std::vector<DirEntry> entries{DirEntry{"stale"}};
  SysError err;
  EXPECT_FALSE(listDirectory(tmp.path() + "\\absent", entries, &err));
  EXPECT_TRUE(entries.empty());
  EXPECT_EQ(err.code, kErrPathNotFound);
  EXPECT_EQ(err.message, errorMessage(kErrPathNotFound));
  EXPECT_FALSE(listDirectory("", entries, &err));
  EXPECT_EQ(err.code, kErrPathNotFound);
}

TEST(ReadFile, ReadsWholeFilesAsStoredAndReportsTheSystemsErrors) {
  TempDir tmp;
  const std::string content =
      std::string("line\r\nwith NUL \0 inside", 23) + std::string(70000, 'x');
  tmp.writeFile("data.bin", content);
  std::string out;
  SysError err;
  ASSERT_TRUE(readFile(tmp.path() + "/data.bin", out, &err)) << err.message;
  EXPECT_EQ(out, content);
  // Letter case and separators do not matter to the file system.
  ASSERT_TRUE(readFile(tmp.path() + "\\DATA.BIN", out, &err)) << err.message;
  EXPECT_EQ(out.size(), content.size());

  EXPECT_FALSE(readFile(tmp.path() + "\\missing.txt", out, &err));
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(err.code, kErrFileNotFound);
  EXPECT_FALSE(readFile(tmp.path() + "\\no\\missing.txt", out, &err));
  EXPECT_EQ(err.code, kErrPathNotFound);
}

TEST(OpenFile, OpensBinaryAndReportsTheSystemsErrors) {
  TempDir tmp;
  SysError err;
  std::FILE* f = openFile(tmp.path() + "\\\xE6\x97\xA5\xE6\x9C\xAC.txt", "w", &err);  // "日本.txt"
  ASSERT_NE(f, nullptr) << err.message;
  std::fputs("a\nb", f);  // no line-end translation
  std::fclose(f);
  std::string out;
  ASSERT_TRUE(readFile(tmp.path() + "\\\xE6\x97\xA5\xE6\x9C\xAC.txt", out, &err));
  EXPECT_EQ(out, "a\nb");

  EXPECT_EQ(openFile(tmp.path() + "\\missing.txt", "r", &err), nullptr);
  EXPECT_EQ(err.code, kErrFileNotFound);
  EXPECT_EQ(openFile(tmp.path() + "\\no\\missing.txt", "r", &err), nullptr);
  EXPECT_EQ(err.code, kErrPathNotFound);
  EXPECT_EQ(openFile(tmp.path() + "\\x.txt", "x", &err), nullptr);
  EXPECT_EQ(err.code, kErrInvalidParameter);
}

TEST(Paths, ExistenceAndTheTemporaryFolder) {
  TempDir tmp;
  tmp.makeDir("Dir");
  tmp.writeFile("file.txt", "");
  EXPECT_TRUE(pathExists(tmp.path() + "\\FILE.TXT"));
  EXPECT_TRUE(isDirectory(tmp.path() + "\\dir"));
  EXPECT_FALSE(isDirectory(tmp.path() + "\\file.txt"));
  EXPECT_FALSE(pathExists(tmp.path() + "\\gone"));
  EXPECT_FALSE(pathExists(""));
  const std::string temp = tempDirectory();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_TRUE(isDirectory(temp));
}

}  // namespace
}  // namespace voplat
