// ContextWriter: the in-place JSON writer and reader of error contexts.
//
// Writing inserts one member at a time straight into the status's buffer (see
// status.h for its layout) and never builds a tree: the only parse is the one
// that locates the closing bracket before a batch of insertions. Writing never
// fails an operation; a member that does not fit, even after growing the
// buffer, is left out and the writer returns a null position so that the
// members meant to follow it are skipped as well.
//
// Positions handed out by the writer are offsets (voerr::Pos), so they stay
// valid when the buffer is reallocated. A position is only meaningful until an
// insertion is made before it; the writer checks that it still lies inside the
// text and treats it as null otherwise.
//
// Reading works on any NUL-terminated text (a context, a translator's answer)
// and hands out pointers into that text; it never allocates except where it
// fills a std::string.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "status/status.h"

namespace voerr {

// Kind numbers of JSON values; they appear in error contexts of the report
// formatter, so their values are fixed.
enum class JsonKind : int32_t {
  kNull = 1,
  kBoolean = 2,
  kNumber = 3,
  kString = 4,
  kArray = 5,
  kObject = 6,
};

struct JsonValue {
  JsonKind kind = JsonKind::kNull;
  const char* begin = nullptr;  // first character of the value
  const char* end = nullptr;    // one past its last character
  std::string_view raw;         // strings: the characters between the quotes, still escaped

  std::string_view text() const noexcept {
    return begin != nullptr ? std::string_view(begin, static_cast<size_t>(end - begin))
                            : std::string_view();
  }
};

enum class ParseErrorKind : int32_t {
  kNone = 0,
  kNullInput,            // no text was given
  kUnexpectedEnd,        // the text ended inside the value
  kUnexpectedCharacter,  // a character that cannot start or continue the value
  kControlCharacter,     // a byte below 0x20, or 0x7f, inside a string
  kBadEscape,            // a backslash not followed by a valid escape
  kBadNumber,            // '-' without digits, '.' or exponent without digits
  kBadLiteral,           // something starting like true, false or null but not one
  kTrailingComma,        // a comma directly before a closing bracket
  kTooDeep,              // nesting deeper than kMaxDepth
};

struct ParseError {
  ParseErrorKind kind = ParseErrorKind::kNone;
  const char* position = nullptr;  // where the recogniser gave up
};

class ContextWriter {
 public:
  // Containers nested deeper than this are rejected by the reader; contexts
  // are shallow and the limit keeps hostile input from exhausting anything.
  static constexpr int kMaxDepth = 1024;

  explicit ContextWriter(Status& status) noexcept : status_(&status) {}

  // The closing bracket of the status's top-level object or array; null when
  // there is no context or it does not parse.
  Pos insertionPoint() const noexcept;

  // Each writes one member at `at` and returns the position just behind it,
  // so successive calls append in order. A null key writes only the value (for
  // arrays). When `at` is an opening bracket the member goes just inside it.
  Pos addString(Pos at, const char* key, std::string_view value) noexcept;
  Pos addInt(Pos at, const char* key, int32_t value) noexcept;
  Pos addUnsigned(Pos at, const char* key, uint32_t value) noexcept;
  // "key":{} and "key":[]; the result lies behind the closing bracket. Use
  // Pos::stepIn() to write inside, Pos::stepOut() to continue outside.
  Pos addObject(Pos at, const char* key) noexcept;
  Pos addArray(Pos at, const char* key) noexcept;
  // "key":{members...} in one step; the result lies behind the closing brace.
  // A member that does not fit is left out together with those after it.
  Pos addObject(Pos at, const char* key, std::initializer_list<Member> members) noexcept;
  Pos addMember(Pos at, const Member& member) noexcept;

  // The text at a position, for reading; valid until the next insertion.
  const char* pointer(Pos at) const noexcept;

  // --- Reading -------------------------------------------------------------

  // The closing bracket of the top-level object or array of `text` (only white
  // space may follow it); null when the text does not parse.
  static const char* findInsertionPoint(const char* text) noexcept;

  // The value of the first member of the top-level object whose unescaped key
  // equals `key`; null when there is none or the object does not parse up to
  // it. The result points at the value's first character.
  static const char* findKey(const char* text, std::string_view key) noexcept;

  // Recognises one value at `position` (leading white space skipped).
  static bool parseValue(const char* position, JsonValue& value,
                         ParseError* error = nullptr) noexcept;

  // Decodes the raw characters of a string value into UTF-8. \uXXXX is read as
  // UTF-16: a high surrogate must be followed by an escaped low one; lone
  // surrogates are rejected. Appends to `out`; false on a bad escape (out then
  // holds the part decoded so far).
  static bool unescapeString(std::string_view raw, std::string& out);
  // The same into a caller's buffer of at least raw.size() bytes (the decoded
  // text is never longer); returns the decoded length, or nothing on failure.
  static std::optional<size_t> unescapeString(std::string_view raw, char* out) noexcept;

  // Reads the number at `position` as an int32_t: an integer directly, a
  // fraction or exponent truncated toward zero; values beyond the int32_t range
  // saturate. The reading does not depend on the current locale. Nothing when
  // the value is not a number.
  static std::optional<int32_t> readInteger(const char* position) noexcept;

  // The escaped form of `text` as written by the writer (for tests and for
  // callers that need the exact length).
  static size_t escapedLength(std::string_view text) noexcept;
  static std::string escape(std::string_view text);

 private:
  enum class ValueForm { kString, kNumber, kEmptyObject, kEmptyArray };

  // Inserts "key": followed by a value of the given form, growing the buffer
  // when needed. Returns the position behind the member, or null.
  Pos insert(Pos at, const char* key, ValueForm form, std::string_view value) noexcept;
  // Makes room: asks for 2c - 2 bytes, then checks the text still parses.
  bool grow() noexcept;

  Status* status_;
};

}  // namespace voerr
