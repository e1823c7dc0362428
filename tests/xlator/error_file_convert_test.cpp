// The build's converter of error-description sources: what it writes, and
// the malformed or unconvertible sources that fail the build.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "../sysq/sysq_test_support.h"
#include "status/status.h"
#include "xlator/error_file_translator.h"
#include "xlator/language.h"

namespace {

using sysqtest::TempDir;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ConverterTest : public ::testing::Test {
 protected:
  // Runs the converter on `source`; its exit status.
  int convert(const char* codePage, const std::string& source) {
    const std::string in = tmp_.writeFile("source.txt", source);
    const std::string command = std::string("'") + VO_TEST_CONVERTER + "' " + codePage + " '" + in +
                                "' '" + out() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string out() const { return tmp_.path() + "/out.txt"; }
  bool written() const { return std::ifstream(out()).good(); }

  TempDir tmp_;
};

const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<vodocument>\n";

TEST_F(ConverterTest, WritesTheCodePageAndNamesItInTheDeclaration) {
  const std::string source = kHead +
                             "<vocomment>\nnotes\n</vocomment>\n"
                             "<voerror code=\"-7\">\n\xE7\x84\xA1\xE5\x8A\xB9\nsecond line\n"
                             "</voerror>\n</vodocument>\n";
  ASSERT_EQ(convert("932", source), 0);
  const std::string converted = ReadText(out());
  EXPECT_EQ(converted.rfind("<?xml version=\"1.0\" encoding=\"shift_jis\"?>\n<vodocument>\n", 0),
            0u);
  std::string text;
  voerr::Status status;
  voxlator::findDescriptionInText(converted, -7, text, status);
  EXPECT_EQ(text, "\x96\xB3\x8C\xF8\nsecond line");
  std::string utf8;
  voxlator::mbsToUtf8(voxlator::kJapanese, text, utf8, status);
  EXPECT_EQ(utf8, "\xE7\x84\xA1\xE5\x8A\xB9\nsecond line");

  ASSERT_EQ(convert("1252", kHead + "<voerror code=\"1\">\nv\xC3\xA9rifiez\n</voerror>\n" +
                                "</vodocument>\n"),
            0);
  EXPECT_NE(ReadText(out()).find("encoding=\"windows-1252\"?>\n<vodocument>\n<voerror "
                                 "code=\"1\">\nv\xE9rifiez\n</voerror>"),
            std::string::npos);
}

TEST_F(ConverterTest, RefusesWhatTheLibraryCouldNotReadBack) {
  const std::string end = "</vodocument>\n";
  const struct {
    const char* why;
    const char* codePage;
    std::string source;
  } bad[] = {
      {"a character 1252 lacks", "1252",
       kHead + "<voerror code=\"1\">\n\xCE\xA9\n</voerror>\n" + end},
      {"a character 949 lacks", "949",
       kHead + "<voerror code=\"1\">\n\xF0\x9F\x98\x80\n</voerror>\n" + end},
      {"invalid UTF-8", "1252", kHead + "<voerror code=\"1\">\n\xC3\n</voerror>\n" + end},
      {"no declaration", "1252", "<vodocument>\n" + end},
      {"no document line", "1252", "<?xml version=\"1.0\"?>\n\n" + end},
      {"no document end", "1252", kHead + "<voerror code=\"1\">\nx\n</voerror>\n"},
      {"unended error", "1252", kHead + "<voerror code=\"1\">\nx\n" + end},
      {"empty description", "1252", kHead + "<voerror code=\"1\">\n</voerror>\n" + end},
      {"code described twice", "1252",
       kHead + "<voerror code=\"1\">\nx\n</voerror>\n<voerror code=\"0x1\">\ny\n</voerror>\n" +
           end},
      {"unreadable code", "1252", kHead + "<voerror code=\"one\">\nx\n</voerror>\n" + end},
      {"a line that looks like a marker", "1252",
       kHead + "<voerror code=\"1\">\n<vocomment>\n</voerror>\n" + end},
      {"unended comment", "1252", kHead + "<vocomment>\nx\n" + end},
      {"stray text", "1252", kHead + "loose words\n" + end},
      {"text after the end", "1252", kHead + end + "more\n"},
      {"a line too long for one read", "1252",
       kHead + "<voerror code=\"1\">\n" + std::string(1023, 'x') + "\n</voerror>\n" + end},
      {"unknown code page", "437", kHead + end},
  };
  for (const auto& b : bad) {
    std::remove(out().c_str());
    EXPECT_NE(convert(b.codePage, b.source), 0) << b.why;
    EXPECT_FALSE(written()) << b.why;
  }
  // The longest line that fits is accepted.
  EXPECT_EQ(convert("1252", kHead + "<voerror code=\"1\">\n" + std::string(1022, 'x') +
                                "\n</voerror>\n" + end),
            0);
}

}  // namespace
