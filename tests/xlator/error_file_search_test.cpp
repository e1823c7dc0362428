// Searching directories of error-explanation files: which files are read,
// in which order, the language subdirectory before the errors directory,
// and the error contexts of each failure.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <string>
#include <utility>
#include <vector>

#include "../sysq/sysq_test_support.h"
#include "xlator/error_file_translator.h"
#include "xlator/language.h"

namespace {

using sysqtest::IntAt;
using sysqtest::StringAt;
using sysqtest::TempDir;

std::string ErrorFile(const std::vector<std::pair<int, std::string>>& errors) {
  std::string text = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<vodocument>\n";
  for (const auto& [code, description] : errors) {
    text += "<voerror code=\"" + std::to_string(code) + "\">\n" + description + "\n</voerror>\n";
  }
  return text + "</vodocument>\n";
}

struct Search {
  std::string text;
  voerr::Status status;
};

Search InDir(const std::string& dir, int32_t code) {
  Search s;
  s.text = "stale";
  voxlator::findDescriptionInDir(dir, code, s.text, s.status);
  return s;
}

Search InErrorsDir(const std::string& dir, int32_t code, uint32_t language) {
  Search s;
  s.text = "stale";
  voxlator::findDescriptionInErrorsDir(dir, code, language, s.text, s.status);
  return s;
}

// ---- Which files are read ----------------------------------------------------

TEST(ErrorFileSearch, OnlyRegularTxtAndErrFilesAreRead) {
  TempDir tmp;
  tmp.writeFile("a.TXT", ErrorFile({{1, "upper-case extension"}}));
  tmp.writeFile("b.xml", ErrorFile({{1, "xml"}}));
  tmp.writeFile("c.txt.bak", ErrorFile({{1, "backup"}}));
  tmp.writeFile("txt", ErrorFile({{1, "no extension"}}));
  tmp.makeDir("d.txt");
  tmp.writeFile("d.txt/inner.txt", ErrorFile({{1, "subdirectory"}}));
#ifndef _WIN32
  ASSERT_EQ(mkfifo((tmp.path() + "/e.txt").c_str(), 0600), 0) << "a pipe is not a file";
#endif
  Search none = InDir(tmp.path(), 1);
  EXPECT_TRUE(none.status.isSuccess()) << none.status.contextText();
  EXPECT_EQ(none.text, "");

  tmp.writeFile("z.err", ErrorFile({{1, "err extension"}}));
  EXPECT_EQ(InDir(tmp.path(), 1).text, "err extension");
  tmp.writeFile("y.txt", ErrorFile({{1, "txt extension"}}));
  EXPECT_EQ(InDir(tmp.path(), 1).text, "txt extension") << "y.txt is listed before z.err";
}

#ifndef _WIN32
TEST(ErrorFileSearch, LinkedFilesCountAsWhatTheyPointTo) {
  TempDir tmp;
  tmp.makeDir("store");
  const std::string target = tmp.writeFile("store/real.dat", ErrorFile({{1, "through a link"}}));
  tmp.makeDir("dir");
  ASSERT_EQ(symlink(target.c_str(), (tmp.path() + "/dir/linked.txt").c_str()), 0);
  ASSERT_EQ(symlink((tmp.path() + "/nowhere").c_str(), (tmp.path() + "/dir/dangling.txt").c_str()),
            0);
  const Search s = InDir(tmp.path() + "/dir", 1);
  EXPECT_TRUE(s.status.isSuccess()) << s.status.contextText();
  EXPECT_EQ(s.text, "through a link");
}
#endif

TEST(ErrorFileSearch, FilesAreReadInListingOrderUntilTheCodeIsFound) {
  TempDir tmp;
  // Listed without regard to case: alpha, Beta, gamma.
  tmp.writeFile("gamma.txt", ErrorFile({{1, "gamma one"}, {3, "gamma three"}}));
  tmp.writeFile("Beta.txt", ErrorFile({{1, "beta one"}, {2, "beta two"}}));
  tmp.writeFile("alpha.txt",
                "not an explanation file\n<voerror code=\"1\">\nforeign\n</voerror>\n");
  EXPECT_EQ(InDir(tmp.path(), 1).text, "beta one");
  EXPECT_EQ(InDir(tmp.path(), 2).text, "beta two");
  EXPECT_EQ(InDir(tmp.path(), 3).text, "gamma three");
  const Search none = InDir(tmp.path(), 4);
  EXPECT_TRUE(none.status.isSuccess());
  EXPECT_EQ(none.text, "");
}

TEST(ErrorFileSearch, NamesAreOrderedAfterFoldingToUpperCase) {
  TempDir tmp;
  // '_' (0x5F) and '^' (0x5E) lie between 'Z' and 'a': after every letter once
  // names are folded to upper case.
  tmp.writeFile("_a.txt", ErrorFile({{1, "underscore"}, {2, "underscore two"}}));
  tmp.writeFile("^c.txt", ErrorFile({{2, "caret two"}}));
  tmp.writeFile("b.txt", ErrorFile({{1, "letter"}}));
  EXPECT_EQ(InDir(tmp.path(), 1).text, "letter");
  EXPECT_EQ(InDir(tmp.path(), 2).text, "caret two");
}

TEST(ErrorFileSearch, AnEmptyDescriptionCountsAsNotFound) {
  TempDir tmp;
  tmp.writeFile("a.txt",
                "<?xml version=\"1.0\"?>\n<vodocument>\n<voerror code=\"1\">\n</voerror>\n");
  tmp.writeFile("b.txt", ErrorFile({{1, "second file"}}));
  EXPECT_EQ(InDir(tmp.path(), 1).text, "second file");
  // A blank line is a description of its own: it is kept.
  tmp.writeFile("a.txt", ErrorFile({{1, ""}}));
  EXPECT_EQ(InDir(tmp.path(), 1).text, "\n");
}

TEST(ErrorFileSearch, AMalformedFileStopsTheWholeSearch) {
  TempDir tmp;
  tmp.writeFile("a.txt", ErrorFile({{5, "five"}}) + "<voerror code=\"1\">\nno end\n");
  // The end marker is missing after </vodocument>: that part is never read.
  tmp.writeFile("b.txt", "<?xml version=\"1.0\"?>\n<vodocument>\n<voerror code=\"2\">\nunended\n");
  tmp.writeFile("c.txt", ErrorFile({{2, "never reached"}}));
  const Search s = InDir(tmp.path(), 2);
  EXPECT_EQ(s.status.code(), voerr::kResourceNotFound);
  EXPECT_EQ(s.text, "");
  EXPECT_EQ(StringAt(s.status.contextText(), {"voxlator_debug", "debug"}),
            "Bad explanation file. Could not find the end of the status code definition !");
}

TEST(ErrorFileSearch, AFileThatCannotBeOpenedIsReported) {
#ifdef _WIN32
  // Held open by someone who shares it with nobody.
  TempDir tmp;
  const std::string file = tmp.writeFile("locked.txt", ErrorFile({{1, "x"}}));
  const int held = _sopen(file.c_str(), _O_RDONLY, _SH_DENYRW);
  ASSERT_NE(held, -1);
  const Search s = InDir(tmp.path(), 1);
  _close(held);
#else
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  TempDir tmp;
  const std::string file = tmp.writeFile("locked.txt", ErrorFile({{1, "x"}}));
  ASSERT_EQ(chmod(file.c_str(), 0), 0);
  const Search s = InDir(tmp.path(), 1);
#endif
  ASSERT_EQ(s.status.code(), voerr::kResourceNotFound);
  const char* ctx = s.status.contextText();
  EXPECT_EQ(StringAt(ctx, {"voxlator_debug", "debug"}), "Could not open status explanations file")
      << ctx;
  // The path names the file as the search built it.
  EXPECT_EQ(StringAt(ctx, {"voxlator_debug", "path"}), tmp.path() + "/locked.txt") << ctx;
}

TEST(ErrorFileSearch, FileSearchReportsAMissingFile) {
  voerr::Status status;
  std::string out = "stale";
  voxlator::findDescriptionInFile("/nonexistent/dir/file.txt", 1, out, status);
  EXPECT_EQ(out, "");
  ASSERT_EQ(status.code(), voerr::kResourceNotFound);
  sysqtest::ExpectStandardMembers(status, "voapalerr_resourceNotFound");
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "path"}),
            "/nonexistent/dir/file.txt");

  // A path that names a directory opens but cannot be read as a file.
  TempDir tmp;
  voerr::Status dir;
  voxlator::findDescriptionInFile(tmp.path(), 1, out, dir);
  EXPECT_EQ(dir.code(), voerr::kResourceNotFound);
  EXPECT_EQ(StringAt(dir.contextText(), {"voxlator_debug", "debug"}),
            "Could not open status explanations file");
}

// ---- Directory failures ------------------------------------------------------

void ExpectDirError(const Search& s, int32_t number, const char* errnoText, const char* key,
                    const char* debug, const std::string& path) {
  ASSERT_EQ(s.status.code(), voerr::kResourceNotFound);
  EXPECT_EQ(s.text, "");
  const char* ctx = s.status.contextText();
  sysqtest::ExpectStandardMembers(s.status, "voapalerr_resourceNotFound");
  EXPECT_EQ(StringAt(ctx, {"internal_error", "api"}), "errno") << ctx;
  EXPECT_EQ(IntAt(ctx, {"internal_error", "code"}), number) << ctx;
  EXPECT_EQ(StringAt(ctx, {"internal_error", "string"}), errnoText) << ctx;
  EXPECT_EQ(StringAt(ctx, {"voxlator_debug", key}), debug) << ctx;
  EXPECT_EQ(StringAt(ctx, {"voxlator_debug", "path"}), path) << ctx;
}

TEST(ErrorFileSearch, DirectoryThatCannotBeListed) {
  TempDir tmp;
  ExpectDirError(InDir(tmp.path() + "\\missing", 1), 2, "No such file or directory", "debug",
                 "open dir failed", tmp.path() + "\\missing");
  ExpectDirError(InDir(tmp.writeFile("plain.txt", "x"), 1), 2, "No such file or directory", "debug",
                 "open dir failed", tmp.path() + "/plain.txt");
  ExpectDirError(InDir("", 1), 22, "Invalid argument", "debug", "open dir failed", "");
  const std::string tooLong = tmp.path() + "/" + std::string(4094 - tmp.path().size() - 1, 'd');
  ASSERT_EQ(tooLong.size(), 4094u);
  ExpectDirError(InDir(tooLong, 1), 38, "Filename too long", "debug", "open dir failed", tooLong);
}

#ifndef _WIN32
// Paths of 4 kB need no special form here; Windows would take them only in
// the "\\?\\" form.
TEST(ErrorFileSearch, EntryWhosePathIsTooLong) {
  // A directory whose path is just short enough, holding an entry that
  // makes the full path too long: the entry fails the search, whatever its
  // kind, before any file is read.
  TempDir tmp;
  std::string relative;
  std::string dir = tmp.path();
  while (dir.size() < 3900) {
    const std::string part(200, 'p');
    relative += (relative.empty() ? "" : "/") + part;
    dir = tmp.makeDir(relative);
  }
  ASSERT_EQ(access(dir.c_str(), F_OK), 0);
  const size_t nameLength = 4094 - dir.size() - 1;  // full path of exactly 4094
  tmp.writeFile(relative + "/" + std::string(nameLength, 'n'), "not read");
  tmp.writeFile(relative + "/0.txt", ErrorFile({{1, "found before the long entry"}}));
  EXPECT_EQ(InDir(dir, 1).text, "found before the long entry");
  ExpectDirError(InDir(dir, 2), 38, "Filename too long", "voxlator", "get file info failed", dir);

  // One byte shorter is fine.
  unlink((dir + "/" + std::string(nameLength, 'n')).c_str());
  tmp.writeFile(relative + "/" + std::string(nameLength - 1, 'n'), "not read");
  const Search ok = InDir(dir, 2);
  EXPECT_TRUE(ok.status.isSuccess()) << ok.status.contextText();
}
#endif

// ---- Language subdirectory, then the errors directory ------------------------

TEST(ErrorFileSearch, LanguageSubdirectoryComesFirst) {
  TempDir tmp;
  tmp.makeDir("French");
  tmp.writeFile("French/fr.txt", ErrorFile({{1, "un"}}));
  tmp.writeFile("common.txt", ErrorFile({{1, "common one"}, {2, "common two"}}));
  EXPECT_EQ(InErrorsDir(tmp.path(), 1, voxlator::kFrench).text, "un");
  EXPECT_EQ(InErrorsDir(tmp.path(), 2, voxlator::kFrench).text, "common two")
      << "the errors directory itself is searched when the language has nothing";
  const Search none = InErrorsDir(tmp.path(), 3, voxlator::kFrench);
  EXPECT_TRUE(none.status.isSuccess());
  EXPECT_EQ(none.text, "");
}

TEST(ErrorFileSearch, MissingLanguageSubdirectoryFailsWithoutSearchingFurther) {
  TempDir tmp;
  tmp.writeFile("common.txt", ErrorFile({{1, "common one"}}));
  const Search s = InErrorsDir(tmp.path(), 1, voxlator::kKorean);
  ExpectDirError(s, 2, "No such file or directory", "debug", "open dir failed",
                 tmp.path() + "\\Korean");
}

TEST(ErrorFileSearch, LanguageDirectoryNamesMatchWithoutCase) {
  TempDir tmp;
  tmp.makeDir("japanese");
  tmp.writeFile("japanese/ja.txt", ErrorFile({{1, "\x83\x65\x83\x58\x83\x67"}}));
  const Search s = InErrorsDir(tmp.path() + "/", 1, voxlator::kJapanese);
  EXPECT_TRUE(s.status.isSuccess()) << s.status.contextText();
  EXPECT_EQ(s.text, "\x83\x65\x83\x58\x83\x67") << "returned as stored, in its code page";
}

TEST(ErrorFileSearch, InvalidLanguage) {
  TempDir tmp;
  const Search s = InErrorsDir(tmp.path(), 1, 6);
  ASSERT_EQ(s.status.code(), voerr::kInvalidParameter);
  EXPECT_EQ(s.text, "");
  sysqtest::ExpectStandardMembers(s.status, "voapalerr_invalidParameter");
  EXPECT_EQ(StringAt(s.status.contextText(), {"voxlator_debug", "gxerrorsparser"}),
            "invalid language");
  EXPECT_EQ(IntAt(s.status.contextText(), {"voxlator_debug", "lang"}), 6);
}

TEST(ErrorFileSearch, AStatusHoldingAnErrorIsLeftAlone) {
  TempDir tmp;
  tmp.writeFile("a.txt", ErrorFile({{1, "one"}}));
  voerr::Status status;
  VOERR_RAISE(status, voerr::kSystemError, nullptr);
  std::string out = "stale";
  voxlator::findDescriptionInDir(tmp.path(), 1, out, status);
  EXPECT_EQ(out, "");
  voxlator::findDescriptionInErrorsDir(tmp.path(), 1, 0, out, status);
  EXPECT_EQ(out, "");
  voxlator::findDescriptionInFile(tmp.path() + "/a.txt", 1, out, status);
  EXPECT_EQ(out, "");
  EXPECT_EQ(status.code(), voerr::kSystemError);
}

}  // namespace
