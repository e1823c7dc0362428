// Build-time converter of error-description files.
//
//   vo_errfile_convert CODEPAGE INPUT OUTPUT
//
// Reads a UTF-8 error-description source, checks its shape, and writes it in
// the code page of its language (1252, 932, 949 or 936) with the encoding of
// its XML declaration named accordingly. Fails, writing nothing, when the
// source is not valid UTF-8, when a character has no exact equivalent in the
// code page, when a converted line would be split by the 1023-byte line reads
// of the reader, or when the file is malformed: a missing header or document
// line, an error entry whose code cannot be read, that is described twice,
// that has no description or no end marker, a comment without its end, or
// text after the document end.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/textconv.h"

namespace {

constexpr size_t kMaxLineBytes = 1022;  // plus the line end: one read of 1023

const char* encodingName(uint32_t codePage) {
  switch (codePage) {
    case 1252:
      return "windows-1252";
    case 932:
      return "shift_jis";
    case 949:
      return "ks_c_5601-1987";
    case 936:
      return "gb2312";
    default:
      return nullptr;
  }
}

bool startsWithNoCase(std::string_view line, std::string_view prefix) {
  if (line.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = line[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

struct Failure {
  std::string message;
};

[[noreturn]] void fail(const std::string& input, size_t lineNumber, const std::string& what) {
  std::ostringstream out;
  out << input;
  if (lineNumber != 0) out << ':' << lineNumber;
  out << ": " << what;
  throw Failure{out.str()};
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// Checks the shape that the reader expects.
void checkShape(const std::string& input, const std::vector<std::string>& lines) {
  if (lines.empty() || !startsWithNoCase(lines[0], "<?xml version=\"1.0\"")) {
    fail(input, 1, "the first line must be the XML declaration");
  }
  if (lines.size() < 2 || !startsWithNoCase(lines[1], "<vodocument>")) {
    fail(input, 2, "the second line must be <vodocument>");
  }
  std::set<long> codes;
  size_t i = 2;
  bool ended = false;
  for (; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (ended) {
      if (!line.empty()) fail(input, i + 1, "text after </vodocument>");
      continue;
    }
    if (startsWithNoCase(line, "</vodocument>")) {
      ended = true;
    } else if (startsWithNoCase(line, "<voerror code=\"")) {
      const char* number = line.c_str() + 15;
      char* end = nullptr;
      errno = 0;
      const long code = std::strtol(number, &end, 0);
      if (end == number || errno != 0 || code < INT32_MIN || code > INT32_MAX ||
          std::string_view(end) != "\">") {
        fail(input, i + 1, "malformed error start; write <voerror code=\"N\">");
      }
      if (!codes.insert(code).second) fail(input, i + 1, "code described twice");
      const size_t start = i;
      for (++i; i < lines.size() && !startsWithNoCase(lines[i], "</voerror>"); ++i) {
        if (!lines[i].empty() && lines[i][0] == '<') {
          fail(input, i + 1, "a description line must not begin with '<'");
        }
      }
      if (i == lines.size()) fail(input, start + 1, "error without </voerror>");
      if (i == start + 1) fail(input, start + 1, "error without a description");
    } else if (startsWithNoCase(line, "<vocomment>")) {
      const size_t start = i;
      for (++i; i < lines.size() && !startsWithNoCase(lines[i], "</vocomment>"); ++i) {
      }
      if (i == lines.size()) fail(input, start + 1, "comment without </vocomment>");
    } else if (!line.empty()) {
      fail(input, i + 1, "unexpected text outside an error or comment");
    }
  }
  if (!ended) fail(input, 0, "missing </vodocument>");
}

std::string convertLine(const std::string& input, size_t lineNumber, uint32_t codePage,
                        const std::string& line) {
  std::u16string wide;
  if (voplat::utf8ToUtf16(line, wide) != voplat::ConvResult::ok) {
    fail(input, lineNumber, "not valid UTF-8");
  }
  std::string out;
  bool substituted = false;
  if (voplat::utf16ToCodePage(codePage, wide, out, &substituted) != voplat::ConvResult::ok) {
    fail(input, lineNumber, "conversion failed");
  }
  if (substituted) {
    fail(input, lineNumber,
         "a character has no equivalent in code page " + std::to_string(codePage));
  }
  if (out.size() > kMaxLineBytes) {
    fail(input, lineNumber, "line longer than " + std::to_string(kMaxLineBytes) + " bytes");
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: vo_errfile_convert CODEPAGE INPUT OUTPUT\n";
    return 2;
  }
  const uint32_t codePage = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
  const std::string input = argv[2];
  const std::string output = argv[3];
  const char* encoding = encodingName(codePage);
  if (encoding == nullptr) {
    std::cerr << "vo_errfile_convert: unsupported code page " << argv[1] << '\n';
    return 2;
  }
  try {
    std::ifstream in(input, std::ios::binary);
    if (!in) fail(input, 0, "cannot be read");
    std::ostringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);

    const std::vector<std::string> lines = splitLines(text);
    checkShape(input, lines);

    std::string converted = "<?xml version=\"1.0\" encoding=\"";
    converted += encoding;
    converted += "\"?>\n";
    for (size_t i = 1; i < lines.size(); ++i) {
      converted += convertLine(input, i + 1, codePage, lines[i]);
      converted += '\n';
    }

    const std::string temporary = output + ".tmp";
    {
      std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
      out << converted;
      if (!out.flush()) fail(output, 0, "cannot be written");
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0) {
      std::remove(temporary.c_str());
      fail(output, 0, "cannot be written");
    }
  } catch (const Failure& f) {
    std::cerr << "vo_errfile_convert: " << f.message << '\n';
    return 1;
  }
  return 0;
}
