// The error-explanation file parser: markers, codes, comments, line reads of
// at most 1023 bytes, text-mode line ends, and the failures of malformed
// files. The in-memory scan is also checked against a plain line-by-line
// reader over many tricky and generated files.
#include <gtest/gtest.h>
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "../sysq/sysq_test_support.h"
#include "xlator/error_file_translator.h"
#include "xlator/scan_integer.h"

namespace {

using namespace std::string_literals;
using sysqtest::IntAt;
using sysqtest::StringAt;

constexpr const char* kHead = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<vodocument>\n";

struct Result {
  int32_t code = 0;
  std::string text;
  std::string debug;  // "voxlator_debug"."debug"
  std::optional<int32_t> sscanfResult;
  bool operator==(const Result&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Result& r) {
  return os << "{code " << r.code << ", text \"" << r.text << "\", debug \"" << r.debug << "\"}";
}

Result Find(std::string_view content, int32_t code) {
  Result r;
  voerr::Status status;
  r.text = "stale";
  voxlator::findDescriptionInText(content, code, r.text, status);
  r.code = status.code();
  if (status.isError()) {
    r.debug = StringAt(status.contextText(), {"voxlator_debug", "debug"}).value_or("");
    r.sscanfResult = IntAt(status.contextText(), {"voxlator_debug", "sscanf"});
  }
  return r;
}

// ---- A plain reader: the file read as text, line by line ---------------------

std::string TextMode(std::string_view bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\x1a') break;
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    out.push_back(bytes[i]);
  }
  return out;
}

bool Starts(const char* line, const char* marker) {
  return strncasecmp(line, marker, std::strlen(marker)) == 0;
}

Result ReferenceFind(std::string_view content, int32_t code) {
  Result r;
  std::string text = TextMode(content);
  if (text.empty()) return r;
#ifdef _WIN32
  std::FILE* f = std::tmpfile();
  if (f != nullptr) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
  }
#else
  std::FILE* f = fmemopen(text.data(), text.size(), "r");
#endif
  if (f == nullptr) {
    ADD_FAILURE() << "no stream over the text";
    return r;
  }
  char line[1024];
  auto fail = [&](const char* debug, std::optional<int32_t> scanned = std::nullopt) {
    r.code = voerr::kResourceNotFound;
    r.debug = debug;
    r.sscanfResult = scanned;
    r.text.clear();
  };
  if (std::fgets(line, sizeof line, f) && Starts(line, "<?xml version=\"1.0\"") &&
      std::fgets(line, sizeof line, f) && Starts(line, "<vodocument>")) {
    while (std::fgets(line, sizeof line, f)) {
      if (Starts(line, "</vodocument>")) break;
      if (Starts(line, "<voerror code=\"")) {
        int value = 0;
        // The conversion itself is checked against the C library's in
        // scan_integer_test.cpp; this reader checks the rest.
        const int scanned = voxlator::scanInteger(line + 15, value);
        if (scanned != 1) {
          fail("Could not successfully read the status data!", scanned);
          break;
        }
        bool ended = false;
        std::string collected;
        while (std::fgets(line, sizeof line, f)) {
          if (Starts(line, "</voerror>")) {
            ended = true;
            break;
          }
          if (value == code) collected += line;
        }
        if (!ended) {
          fail("Bad explanation file. Could not find the end of the status code definition !");
          break;
        }
        if (value == code) {
          const size_t last = collected.find_last_not_of("\r\n");
          if (last != std::string::npos) collected.erase(last + 1);
          r.text = collected;
          break;
        }
      } else if (Starts(line, "<vocomment>")) {
        while (std::fgets(line, sizeof line, f) && !Starts(line, "</vocomment>")) {
        }
      } else if (line[0] == '\0') {
        fail("Bad explanation file. Unidentified section heading !");
        break;
      }
    }
  }
  std::fclose(f);
  return r;
}

// Both readers agree on every code in `codes`.
void ExpectSameAsReference(const std::string& content, std::initializer_list<int32_t> codes) {
  for (int32_t code : codes) {
    EXPECT_EQ(Find(content, code), ReferenceFind(content, code)) << "code " << code << " in:\n"
                                                                 << content;
  }
}

// ---- Markers and codes -------------------------------------------------------

TEST(ErrorFileParser, FindsTheDescriptionOfTheCodeAsked) {
  const std::string file = std::string(kHead) +
                           "<voerror code=\"-1\">\nfirst\n</voerror>\n"
                           "<voerror code=\"-2\">\nsecond, line one\nline two\n</voerror>\n"
                           "<voerror code=\"-2\">\nduplicate\n</voerror>\n"
                           "</vodocument>\n";
  EXPECT_EQ(Find(file, -1).text, "first");
  EXPECT_EQ(Find(file, -2).text, "second, line one\nline two") << "the first entry wins";
  const Result missing = Find(file, -3);
  EXPECT_EQ(missing.code, 0);
  EXPECT_EQ(missing.text, "");
}

TEST(ErrorFileParser, CodesAreReadAsDecimalHexOrOctal) {
  const std::string file = std::string(kHead) +
                           "<voerror code=\"0x1F\">\nhex\n</voerror>\n"
                           "<voerror code=\"-0X10\">\nnegative hex\n</voerror>\n"
                           "<voerror code=\"010\">\noctal\n</voerror>\n"
                           "<voerror code=\"  +7\" extra=\"ignored\">\nsigned\n</voerror>\n"
                           "</vodocument>\n";
  EXPECT_EQ(Find(file, 31).text, "hex");
  EXPECT_EQ(Find(file, -16).text, "negative hex");
  EXPECT_EQ(Find(file, 8).text, "octal");
  EXPECT_EQ(Find(file, 10).text, "");
  EXPECT_EQ(Find(file, 7).text, "signed");
}

TEST(ErrorFileParser, MarkersIgnoreLetterCaseButMustStartTheLine) {
  const std::string file =
      "<?XML VERSION=\"1.0\" encoding=\"shift_jis\"?>\n<VODocument>\n"
      " <voerror code=\"1\">\nindented start is an ordinary line\n</voerror>\n"
      "<VoError Code=\"2\">\ntwo\n </voerror>\nstill two\n</VOERROR> trailing text\n"
      "</vodocument>\n";
  EXPECT_EQ(Find(file, 1).text, "");
  EXPECT_EQ(Find(file, 2).text, "two\n </voerror>\nstill two");
}

TEST(ErrorFileParser, HeaderLinesDecideWhetherTheFileIsRead) {
  const std::string body = "<voerror code=\"5\">\nfive\n</voerror>\n</vodocument>\n";
  // Only the first 19 characters of the declaration count.
  EXPECT_EQ(Find("<?xml version=\"1.0\"?>\n<vodocument>\n" + body, 5).text, "five");
  EXPECT_EQ(Find("<?xml version=\"1.0\"\n<vodocument>\n" + body, 5).text, "five");
  // Files that do not begin with both lines are skipped without error.
  for (const std::string& file :
       {"<?xml version=\"1.1\"?>\n<vodocument>\n" + body, "<vodocument>\n" + body,
        "<?xml version=\"1.0\"?>\n\n<vodocument>\n" + body, std::string(),
        std::string("<?xml version=\"1.0\"?>\n"),
        std::string("<?xml version=\"1.0\"?>\n<vodocument>")}) {
    const Result r = Find(file, 5);
    EXPECT_EQ(r.code, 0) << file;
    EXPECT_EQ(r.text, "") << file;
  }
}

TEST(ErrorFileParser, DocumentEndStopsTheSearch) {
  const std::string file = std::string(kHead) +
                           "<voerror code=\"1\">\none\n</voerror>\n"
                           "</vodocument>\n"
                           "<voerror code=\"2\">\nafter the end\n</voerror>\n"
                           "<voerror code=\"3\">\nunterminated after the end\n";
  EXPECT_EQ(Find(file, 1).text, "one");
  const Result r = Find(file, 2);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.text, "");
  EXPECT_EQ(Find(file, 3).code, 0);
}

TEST(ErrorFileParser, CommentsAreSkippedUpToTheirEndLine) {
  const std::string file = std::string(kHead) +
                           "<vocomment>\n<voerror code=\"1\">\nhidden\n</voerror>\n"
                           "</VOCOMMENT> anything\n"
                           "<voerror code=\"1\">\nvisible\n</voerror>\n"
                           // A comment closed on its own line is still open.
                           "<vocomment>one line</vocomment>\n"
                           "<voerror code=\"2\">\nswallowed\n</voerror>\n"
                           "</vocomment>\n"
                           "<voerror code=\"3\">\nthree\n</voerror>\n"
                           "</vodocument>\n";
  EXPECT_EQ(Find(file, 1).text, "visible");
  EXPECT_EQ(Find(file, 2).text, "");
  EXPECT_EQ(Find(file, 3).text, "three");
  // A comment that never ends runs to the end of the file: nothing found.
  const Result open = Find(std::string(kHead) + "<vocomment>\n<voerror code=\"4\">\nx\n", 4);
  EXPECT_EQ(open.code, 0);
  EXPECT_EQ(open.text, "");
}

TEST(ErrorFileParser, LineEndsAfterTheLastCharacterAreRemoved) {
  // The file is read as text: CR LF counts as LF.
  const std::string crlf =
      "<?xml version=\"1.0\"?>\r\n<vodocument>\r\n<voerror code=\"9\">\r\n"
      "one\r\ntwo\r\nthree\r\n</voerror>\r\n</vodocument>\r\n";
  EXPECT_EQ(Find(crlf, 9).text, "one\ntwo\nthree");
  // Blank lines inside are kept; a lone CR is an ordinary character; CR CR
  // LF leaves one CR, removed with the line end.
  const std::string mixed =
      std::string(kHead) + "<voerror code=\"9\">\n\nmiddle\r\n\nx\ry\r\r\n\n</voerror>\n";
  EXPECT_EQ(Find(mixed, 9).text, "\nmiddle\n\nx\ry");
  // A description made only of line ends stays as it is.
  EXPECT_EQ(Find(std::string(kHead) + "<voerror code=\"9\">\n\n\r\n\n</voerror>\n", 9).text,
            "\n\n\n");
  EXPECT_EQ(Find(std::string(kHead) + "<voerror code=\"9\">\n</voerror>\n", 9).text, "");
}

TEST(ErrorFileParser, CtrlZEndsTheText) {
  const std::string file = std::string(kHead) + "<voerror code=\"1\">\none\n</voerror>\n\x1a" +
                           "<voerror code=\"2\">\ntwo\n</voerror>\n";
  EXPECT_EQ(Find(file, 1).text, "one");
  EXPECT_EQ(Find(file, 2).code, 0);
  EXPECT_EQ(Find(file, 2).text, "");
  const Result cut = Find(std::string(kHead) +
                              "<voerror code=\"1\">\non\x1a"
                              "e\n</voerror>\n",
                          1);
  EXPECT_EQ(cut.code, voerr::kResourceNotFound) << "the end marker lies behind the Ctrl-Z";
}

// ---- Lines longer than one read ----------------------------------------------

TEST(ErrorFileParser, LongLinesAreReadInPiecesOf1023Bytes) {
  // A description line of 3000 bytes comes out whole: its pieces are
  // appended one after the other.
  const std::string longLine(3000, 'x');
  const std::string file =
      std::string(kHead) + "<voerror code=\"1\">\n" + longLine + "\n</voerror>\n";
  EXPECT_EQ(Find(file, 1).text, longLine);

  // A marker that begins a piece counts as the start of a line: here the
  // second piece of the long line begins with the error end.
  const std::string split = std::string(1023, 'y') + "</voerror>tail";
  const std::string file2 = std::string(kHead) + "<voerror code=\"2\">\n" + split +
                            "\nafter\n</voerror>\n</vodocument>\n";
  EXPECT_EQ(Find(file2, 2).text, std::string(1023, 'y'));

  // One byte less and the marker stays inside the first piece.
  const std::string inside = std::string(1022, 'y') + "</voerror>tail";
  const std::string file3 = std::string(kHead) + "<voerror code=\"3\">\n" + inside +
                            "\nafter\n</voerror>\n</vodocument>\n";
  EXPECT_EQ(Find(file3, 3).text, inside + "\nafter");

  // The header must be within the first piece of line 1.
  EXPECT_EQ(Find(std::string(1100, ' ') + "\n<vodocument>\n", 1).code, 0);
  // A CR LF right at the 1023rd byte: the line end counts as one byte.
  const std::string edge = std::string(1022, 'z');
  const std::string file4 = "<?xml version=\"1.0\"?>\r\n<vodocument>\r\n<voerror code=\"4\">\r\n" +
                            edge + "\r\n</voerror>\r\n";
  EXPECT_EQ(Find(file4, 4).text, edge);
}

// ---- Malformed files ---------------------------------------------------------

TEST(ErrorFileParser, UnreadableCodeFailsWithTheScanResult) {
  const Result noNumber = Find(std::string(kHead) + "<voerror code=\"abc\">\nx\n</voerror>\n", -1);
  EXPECT_EQ(noNumber.code, voerr::kResourceNotFound);
  EXPECT_EQ(noNumber.debug, "Could not successfully read the status data!");
  EXPECT_EQ(noNumber.sscanfResult, 0);
  EXPECT_EQ(noNumber.text, "");

  // Nothing but white space after the prefix: the scan meets the end.
  const Result nothing = Find(std::string(kHead) + "<voerror code=\"\n", -1);
  EXPECT_EQ(nothing.sscanfResult, -1);
  const Result atEnd = Find(std::string(kHead) + "<voerror code=\"", -1);
  EXPECT_EQ(atEnd.sscanfResult, -1);

  // Any entry's code must be readable, not only the one asked for: the
  // search stops at the first bad entry even when the code comes later.
  const Result before = Find(std::string(kHead) + "<voerror code=\"x\">\nbad\n</voerror>\n" +
                                 "<voerror code=\"1\">\ngood\n</voerror>\n",
                             1);
  EXPECT_EQ(before.code, voerr::kResourceNotFound);
  EXPECT_EQ(before.text, "");
}

TEST(ErrorFileParser, MissingErrorEndFailsEvenAfterCollectingTheText) {
  const std::string file = std::string(kHead) + "<voerror code=\"1\">\ncollected\nlines\n";
  const Result r = Find(file, 1);
  EXPECT_EQ(r.code, voerr::kResourceNotFound);
  EXPECT_EQ(r.debug,
            "Bad explanation file. Could not find the end of the status code definition !");
  EXPECT_EQ(r.text, "");
  // Also for a code that is not the one asked for.
  EXPECT_EQ(Find(file, 2).code, voerr::kResourceNotFound);
}

TEST(ErrorFileParser, ALineStartingWithNulOutsideAnErrorIsInvalid) {
  const std::string file =
      std::string(kHead) + std::string("\0rest\n", 6) + "<voerror code=\"1\">\none\n</voerror>\n";
  const Result r = Find(file, 1);
  EXPECT_EQ(r.code, voerr::kResourceNotFound);
  EXPECT_EQ(r.debug, "Bad explanation file. Unidentified section heading !");
  voerr::Status status;
  std::string out;
  voxlator::findDescriptionInText(file, 1, out, status);
  sysqtest::ExpectStandardMembers(status, "voapalerr_resourceNotFound");

  // Inside an error a NUL ends the line's text; inside a comment it is
  // skipped like everything else.
  const std::string inside = std::string(kHead) + "<vocomment>\n" + std::string("\0x\n", 3) +
                             "</vocomment>\n<voerror code=\"1\">\nab" + std::string("\0cd\n", 4) +
                             std::string("\0\n", 2) + "ef\n</voerror>\n";
  EXPECT_EQ(Find(inside, 1).text, "abef");
}

TEST(ErrorFileParser, AStatusHoldingAnErrorIsLeftAlone) {
  voerr::Status status;
  VOERR_RAISE(status, voerr::kSystemError, nullptr);
  std::string out = "stale";
  voxlator::findDescriptionInText(std::string(kHead) + "<voerror code=\"1\">\none\n</voerror>\n", 1,
                                  out, status);
  EXPECT_EQ(out, "");
  EXPECT_EQ(status.code(), voerr::kSystemError);
}

// ---- The scan agrees with a line-by-line reader ------------------------------

TEST(ErrorFileParser, AgreesWithALineReaderOnTrickyFiles) {
  const std::string head = kHead;
  const std::vector<std::string> files = {
      head + "<voerror code=\"1\">\n" + std::string(1023, 'a') + "</VOERROR>\n</voerror>\n",
      head + "<voerror code=\"1\">\n" + std::string(1021, 'a') + "\r\n</voerror>\n",
      head + "<voerror code=\"1\">\n" + std::string(1022, 'a') + "\r\r\n</voerror>\n",
      head + "<voerror code=\"1\">\n" + std::string(2046, 'b') + "<vocomment>\n</voerror>\n",
      head + std::string(1023, ' ') + "<voerror code=\"2\">\nx\n</voerror>\n",
      head + "<voerror code=\"" + std::string(1008, ' ') + "1\">\ncode after blanks\n</voerror>\n",
      head + "<voerror code=\"" + std::string(1010, ' ') +
          "1\">\ncode cut by the read\n</voerror>\n",
      head + "<voerror code=\"1\n\">\nx\n</voerror>\n",
      head + "<voerror code=\"0x\">\nx\n</voerror>\n",
      head + "<voerror code=\"0xFFFFFFFF\">\nx\n</voerror>\n",
      head + "<voerror code=\"99999999999\">\nx\n</voerror>\n",
      head + "<voerror code=\"1\0\">\nx\n</voerror>\n"s,
      head + "<voerr\0or code=\"1\">\nx\n</voerror>\n"s,
      head + "<vocomment>\n" + std::string(1030, 'c') +
          "</vocomment>\n<voerror code=\"1\">\nx\n</voerror>\n",
      head + "<vocomment>\n</vocomment\n<voerror code=\"1\">\nx\n</voerror>\n</vocomment>\n",
      head + "</vodocumen\n<voerror code=\"1\">\nx\n</voerror>\n",
      "<?xml version=\"1.0\"" + std::string(1004, '-') +
          "\n<vodocument>\n<voerror code=\"1\">\nx\n</voerror>\n",
      "<?xml version=\"1.0\"" + std::string(1004, '-') +
          "<vodocument>\n<voerror code=\"1\">\nx\n</voerror>\n",
      std::string(
          "<?xml version=\"1.0\"\r\r\n<vodocument>\r\r\n<voerror code=\"1\">\r\nx\r\n</voerror>\r"),
      head + "<voerror code=\"1\">\nno end, file ends without a line end",
      head + "<voerror code=\"1\">\nx\n</voerror>",
      head + "\x1a",
      head + "\r",
      std::string("\0", 1),
      head + std::string("\0", 1),
  };
  for (const std::string& file : files) ExpectSameAsReference(file, {1, 2, 0, -1});
}

// Files put together at random from the pieces that matter to the parser.
std::string RandomFile(std::mt19937& rng) {
  static const std::vector<std::string> pieces = {
      "<voerror code=\"1\">",
      "<VOERROR CODE=\"2\">",
      "<voerror code=\"0x1\">",
      "<voerror code=\"03\">",
      "<voerror code=\"x\">",
      "<voerror code=\"",
      "</voerror>",
      "</VoError>",
      "<vocomment>",
      "</vocomment>",
      "</vodocument>",
      "<vodocument>",
      "text",
      "more text",
      "",
      " ",
      "\r",
      std::string("\0", 1),
      std::string("a\0b", 3),
      "\x1a",
  };
  static const std::vector<std::string> ends = {"\n", "\r\n", "\r\r\n", "\n\n", ""};
  std::uniform_int_distribution<size_t> piece(0, pieces.size() - 1);
  std::uniform_int_distribution<size_t> end(0, ends.size() - 1);
  std::uniform_int_distribution<int> count(0, 24);
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<size_t> longLength(1010, 1040);

  std::string file;
  const int header = percent(rng);
  if (header < 85) {
    file = header < 70 ? kHead : "<?XML Version=\"1.0\"?>\r\n<VODOCUMENT>\r\n";
  } else if (header < 92) {
    file = "<vodocument>\n";
  }
  const int n = count(rng);
  for (int i = 0; i < n; ++i) {
    if (percent(rng) < 8) {
      // A long line, sometimes with a piece placed exactly at a read boundary.
      const size_t length = longLength(rng);
      std::string line(length, 'L');
      if (line.size() > 1022 && percent(rng) < 50) line[1022] = '\r';
      file += line;
    }
    file += pieces[piece(rng)];
    file += ends[end(rng)];
  }
  return file;
}

TEST(ErrorFileParser, AgreesWithALineReaderOnGeneratedFiles) {
  std::mt19937 rng(20240611);
  int found = 0;
  int failed = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string file = RandomFile(rng);
    for (int32_t code : {1, 2, 3}) {
      const Result expected = ReferenceFind(file, code);
      const Result actual = Find(file, code);
      ASSERT_EQ(actual, expected) << "file " << i << ", code " << code << ":\n" << file;
      found += !expected.text.empty();
      failed += expected.code != 0;
    }
  }
  // The generator reaches both outcomes often enough to mean something.
  EXPECT_GT(found, 300);
  EXPECT_GT(failed, 300);
}

}  // namespace
