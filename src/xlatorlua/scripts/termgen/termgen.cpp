// Build-time converter of the term tables.
//
//   vo_termgen CODEPAGE INPUT OUTPUT
//
// INPUT is a Lua module written in UTF-8. OUTPUT is the same module with the
// text of every quoted string stored in the code page CODEPAGE (1252, 932, 949
// or 936), which is the form the translator script expects. Every byte of a
// character outside ASCII is written as a three-digit decimal escape ("\233"),
// so the output is plain ASCII: a trail byte that happens to be a backslash
// (0x5C, frequent in code page 932) can then never start or end an escape,
// and a digit after an escape can never extend it.
//
// The tool fails, writing nothing, when the input is not valid UTF-8, when a
// character has no exact equivalent in the code page, or when a character
// outside ASCII stands anywhere but inside a quoted string (in code, in a
// comment, in a long bracket string, or right after a backslash), where it
// could not be escaped faithfully.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/textconv.h"

namespace {

struct Failure {
  std::string message;
};

class Converter {
 public:
  Converter(uint32_t codePage, std::string name, std::string_view text)
      : codePage_(codePage), name_(std::move(name)), text_(text) {}

  std::string run() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '-' && peek(1) == '-') {
        comment();
      } else if (c == '[' && longBracketLevel(pos_) >= 0) {
        longBracket(pos_, "long string");
      } else if (c == '"' || c == '\'') {
        quoted(c);
      } else if (static_cast<unsigned char>(c) >= 0x80) {
        fail("text outside ASCII outside a quoted string");
      } else {
        copy();
      }
    }
    return out_;
  }

 private:
  char peek(size_t ahead) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }

  [[noreturn]] void fail(const std::string& what) const {
    std::ostringstream message;
    message << name_ << ':' << line_ << ": " << what;
    throw Failure{message.str()};
  }

  void copy() {
    if (text_[pos_] == '\n') ++line_;
    out_ += text_[pos_++];
  }

  // The level of the long bracket "[" "="* "[" at `at`, or -1 when there is none.
  int longBracketLevel(size_t at) const {
    size_t i = at + 1;
    while (i < text_.size() && text_[i] == '=') ++i;
    if (i < text_.size() && text_[i] == '[') return static_cast<int>(i - at - 1);
    return -1;
  }

  // A long string or comment body, copied as it is; it must be ASCII, since
  // escapes mean nothing inside it.
  void longBracket(size_t open, const char* kind) {
    const int level = longBracketLevel(open);
    const std::string close = "]" + std::string(static_cast<size_t>(level), '=') + "]";
    while (pos_ < open + static_cast<size_t>(level) + 2) copy();
    const size_t end = text_.find(close, pos_);
    if (end == std::string_view::npos) fail(std::string("unfinished ") + kind);
    while (pos_ < end) {
      if (static_cast<unsigned char>(text_[pos_]) >= 0x80) {
        fail(std::string("text outside ASCII in a ") + kind);
      }
      copy();
    }
    for (size_t i = 0; i < close.size(); ++i) copy();
  }

  void comment() {
    copy();
    copy();
    if (pos_ < text_.size() && text_[pos_] == '[' && longBracketLevel(pos_) >= 0) {
      longBracket(pos_, "long comment");
      return;
    }
    while (pos_ < text_.size() && text_[pos_] != '\n') {
      if (static_cast<unsigned char>(text_[pos_]) >= 0x80) fail("text outside ASCII in a comment");
      copy();
    }
  }

  void quoted(char quote) {
    copy();
    for (;;) {
      if (pos_ >= text_.size() || text_[pos_] == '\n') fail("unfinished string");
      const unsigned char c = static_cast<unsigned char>(text_[pos_]);
      if (c == static_cast<unsigned char>(quote)) {
        copy();
        return;
      }
      if (c == '\\') {
        copy();
        if (pos_ >= text_.size()) fail("unfinished string");
        if (static_cast<unsigned char>(text_[pos_]) >= 0x80) {
          fail("a backslash before text outside ASCII");
        }
        copy();  // the escaped character (a line end included)
        continue;
      }
      if (c < 0x80) {
        copy();
        continue;
      }
      character();
    }
  }

  // One UTF-8 character outside ASCII, written as escapes of its bytes in the
  // code page.
  void character() {
    const unsigned char lead = static_cast<unsigned char>(text_[pos_]);
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    const std::string_view utf8 = text_.substr(pos_, length);
    std::u16string wide;
    if (voplat::utf8ToUtf16(utf8, wide) != voplat::ConvResult::ok) fail("not valid UTF-8");
    std::string bytes;
    bool substituted = false;
    if (voplat::utf16ToCodePage(codePage_, wide, bytes, &substituted) != voplat::ConvResult::ok) {
      fail("conversion failed");
    }
    if (substituted || bytes.empty()) {
      fail("\"" + std::string(utf8) + "\" has no equivalent in code page " +
           std::to_string(codePage_));
    }
    for (const char b : bytes) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\%03u",
                    static_cast<unsigned>(static_cast<unsigned char>(b)));
      out_ += escape;
    }
    pos_ += length;
  }

  uint32_t codePage_;
  std::string name_;
  std::string_view text_;
  size_t pos_ = 0;
  size_t line_ = 1;
  std::string out_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: vo_termgen CODEPAGE INPUT OUTPUT\n";
    return 2;
  }
  const uint32_t codePage = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
  if (codePage != 1252 && codePage != 932 && codePage != 949 && codePage != 936) {
    std::cerr << "vo_termgen: unsupported code page " << argv[1] << '\n';
    return 2;
  }
  const std::string input = argv[2];
  const std::string output = argv[3];
  try {
    std::ifstream in(input, std::ios::binary);
    if (!in) throw Failure{input + ": cannot be read"};
    std::ostringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    std::u16string whole;
    if (voplat::utf8ToUtf16(text, whole) != voplat::ConvResult::ok) {
      throw Failure{input + ": not valid UTF-8"};
    }

    std::string converted = "-- Generated at build time from a UTF-8 source; text in code page " +
                            std::to_string(codePage) + ".\n";
    converted += Converter(codePage, input, text).run();

    const std::string temporary = output + ".tmp";
    {
      std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
      out << converted;
      if (!out.flush()) throw Failure{output + ": cannot be written"};
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0) {
      std::remove(temporary.c_str());
      throw Failure{output + ": cannot be written"};
    }
  } catch (const Failure& f) {
    std::cerr << "vo_termgen: " << f.message << '\n';
    return 1;
  }
  return 0;
}
