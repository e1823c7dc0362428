#include "status/context_writer.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

namespace voerr {

namespace {

// Largest buffer the default policy can hand out; a member that cannot fit
// even there is refused before any growth is attempted.
constexpr uint64_t kLargestBuffer = 0x80000000u;
constexpr int64_t kGrowLimit = 0x7ffffffd;

constexpr bool isSpace(char c) noexcept { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
constexpr bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }

const char* skipSpace(const char* p) noexcept {
  while (isSpace(*p)) ++p;
  return p;
}

int hexValue(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

const char* fail(ParseError* error, ParseErrorKind kind, const char* at) noexcept {
  if (error != nullptr) *error = ParseError{kind, at};
  return nullptr;
}

// p is at the opening quote; returns the position behind the closing one.
const char* scanString(const char* p, ParseError* error) noexcept {
  ++p;
  for (;;) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '"') return p + 1;
    if (c == 0) return fail(error, ParseErrorKind::kUnexpectedEnd, p);
    if (c < 0x20 || c == 0x7f) return fail(error, ParseErrorKind::kControlCharacter, p);
    if (c != '\\') {
      ++p;
      continue;
    }
    switch (p[1]) {
      case '"':
      case '\\':
      case '/':
      case 'b':
      case 'f':
      case 'n':
      case 'r':
      case 't':
        p += 2;
        break;
      case 'u':
        // hexValue('\0') is -1, so the checks stop at the end of the text.
        for (int i = 2; i < 6; ++i) {
          if (hexValue(p[i]) < 0) return fail(error, ParseErrorKind::kBadEscape, p);
        }
        p += 6;
        break;
      default:
        return fail(error, ParseErrorKind::kBadEscape, p);
    }
  }
}

const char* scanNumber(const char* p, ParseError* error) noexcept {
  const char* start = p;
  if (*p == '-') ++p;
  if (!isDigit(*p)) return fail(error, ParseErrorKind::kBadNumber, start);
  while (isDigit(*p)) ++p;
  if (*p == '.') {
    ++p;
    if (!isDigit(*p)) return fail(error, ParseErrorKind::kBadNumber, p);
    while (isDigit(*p)) ++p;
  }
  if (*p == 'e' || *p == 'E') {
    ++p;
    if (*p == '+' || *p == '-') ++p;
    if (!isDigit(*p)) return fail(error, ParseErrorKind::kBadNumber, p);
    while (isDigit(*p)) ++p;
  }
  return p;
}

const char* scanLiteral(const char* p, const char* word, ParseError* error) noexcept {
  const size_t n = std::strlen(word);
  // strncmp stops at the text's NUL, so a short text never reads past its end.
  if (std::strncmp(p, word, n) != 0) return fail(error, ParseErrorKind::kBadLiteral, p);
  return p + n;
}

// Recognises one value without recursion: the kind of every open container is
// kept as one bit, so deep nesting costs no stack.
const char* scanValue(const char* p, ParseError* error) noexcept {
  constexpr int kWords = ContextWriter::kMaxDepth / 64;
  uint64_t isObject[kWords] = {};
  int depth = 0;

  auto push = [&](bool object) {
    if (object) {
      isObject[depth / 64] |= uint64_t{1} << (depth % 64);
    } else {
      isObject[depth / 64] &= ~(uint64_t{1} << (depth % 64));
    }
    ++depth;
  };
  auto topIsObject = [&] {
    const int d = depth - 1;
    return (isObject[d / 64] >> (d % 64)) & 1u;
  };
  // Inside an object: a key string, a colon, then the value follows.
  auto scanKey = [&](const char* q) -> const char* {
    if (*q != '"') {
      return fail(error,
                  *q == 0 ? ParseErrorKind::kUnexpectedEnd : ParseErrorKind::kUnexpectedCharacter,
                  q);
    }
    q = scanString(q, error);
    if (q == nullptr) return nullptr;
    q = skipSpace(q);
    if (*q != ':') {
      return fail(error,
                  *q == 0 ? ParseErrorKind::kUnexpectedEnd : ParseErrorKind::kUnexpectedCharacter,
                  q);
    }
    return skipSpace(q + 1);
  };

  for (;;) {
    // A value starts at p.
    switch (*p) {
      case '"':
        p = scanString(p, error);
        break;
      case '{':
      case '[': {
        const bool object = *p == '{';
        if (depth >= ContextWriter::kMaxDepth) return fail(error, ParseErrorKind::kTooDeep, p);
        push(object);
        p = skipSpace(p + 1);
        if (*p == (object ? '}' : ']')) {
          --depth;
          ++p;
          break;
        }
        if (object) {
          p = scanKey(p);
          if (p == nullptr) return nullptr;
        }
        continue;  // the first element or member value
      }
      case 't':
        p = scanLiteral(p, "true", error);
        break;
      case 'f':
        p = scanLiteral(p, "false", error);
        break;
      case 'n':
        p = scanLiteral(p, "null", error);
        break;
      case '\0':
        return fail(error, ParseErrorKind::kUnexpectedEnd, p);
      default:
        if (*p == '-' || isDigit(*p)) {
          p = scanNumber(p, error);
        } else {
          return fail(error, ParseErrorKind::kUnexpectedCharacter, p);
        }
        break;
    }
    if (p == nullptr) return nullptr;

    // Behind a complete value: close containers or go on to the next element.
    for (;;) {
      if (depth == 0) return p;
      p = skipSpace(p);
      const bool object = topIsObject();
      if (*p == ',') {
        const char* comma = p;
        p = skipSpace(p + 1);
        if (*p == '}' || *p == ']') return fail(error, ParseErrorKind::kTrailingComma, comma);
        if (object) {
          p = scanKey(p);
          if (p == nullptr) return nullptr;
        }
        break;  // the next value
      }
      if (*p == (object ? '}' : ']')) {
        --depth;
        ++p;
        continue;
      }
      return fail(error,
                  *p == 0 ? ParseErrorKind::kUnexpectedEnd : ParseErrorKind::kUnexpectedCharacter,
                  p);
    }
  }
}

// Decodes the character at raw[i] into out (1 to 4 bytes) and advances i.
// Returns the byte count, or 0 for a bad escape.
int decodeNext(std::string_view raw, size_t& i, char* out) noexcept {
  const char c = raw[i];
  if (c != '\\') {
    out[0] = c;
    ++i;
    return 1;
  }
  if (i + 1 >= raw.size()) return 0;
  char simple = 0;
  switch (raw[i + 1]) {
    case '"':
      simple = '"';
      break;
    case '\\':
      simple = '\\';
      break;
    case '/':
      simple = '/';
      break;
    case 'b':
      simple = '\b';
      break;
    case 'f':
      simple = '\f';
      break;
    case 'n':
      simple = '\n';
      break;
    case 'r':
      simple = '\r';
      break;
    case 't':
      simple = '\t';
      break;
    case 'u':
      break;
    default:
      return 0;
  }
  if (raw[i + 1] != 'u') {
    out[0] = simple;
    i += 2;
    return 1;
  }

  auto readUnit = [&](size_t at) -> long {
    if (at + 6 > raw.size() || raw[at] != '\\' || raw[at + 1] != 'u') return -1;
    long unit = 0;
    for (size_t k = at + 2; k < at + 6; ++k) {
      const int h = hexValue(raw[k]);
      if (h < 0) return -1;
      unit = unit * 16 + h;
    }
    return unit;
  };

  long cp = readUnit(i);
  if (cp < 0) return 0;
  size_t used = 6;
  if (cp >= 0xD800 && cp <= 0xDBFF) {
    const long low = readUnit(i + 6);
    if (low < 0xDC00 || low > 0xDFFF) return 0;
    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    used = 12;
  } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
    return 0;
  }
  if (cp >= 0x200000) return 0;
  i += used;

  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

bool keyEquals(std::string_view raw, std::string_view key) noexcept {
  size_t i = 0;
  size_t matched = 0;
  char unit[4];
  while (i < raw.size()) {
    const int n = decodeNext(raw, i, unit);
    if (n == 0 || matched + static_cast<size_t>(n) > key.size() ||
        std::memcmp(unit, key.data() + matched, static_cast<size_t>(n)) != 0) {
      return false;
    }
    matched += static_cast<size_t>(n);
  }
  return matched == key.size();
}

// The escape table of keys and string values.
size_t escapedSize(unsigned char c) noexcept {
  switch (c) {
    case 0x08:
    case 0x09:
    case 0x0a:
    case 0x0c:
    case 0x0d:
    case '"':
    case '\\':
      return 2;
    default:
      return (c < 0x20 || c == 0x7f) ? 6 : 1;
  }
}

char* writeEscaped(char* out, std::string_view text) noexcept {
  static constexpr char kHex[] = "0123456789abcdef";
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    char simple = 0;
    switch (c) {
      case 0x08:
        simple = 'b';
        break;
      case 0x09:
        simple = 't';
        break;
      case 0x0a:
        simple = 'n';
        break;
      case 0x0c:
        simple = 'f';
        break;
      case 0x0d:
        simple = 'r';
        break;
      case '"':
        simple = '"';
        break;
      case '\\':
        simple = '\\';
        break;
      default:
        break;
    }
    if (simple != 0) {
      *out++ = '\\';
      *out++ = simple;
    } else if (c < 0x20 || c == 0x7f) {
      *out++ = '\\';
      *out++ = 'u';
      *out++ = '0';
      *out++ = '0';
      *out++ = kHex[c >> 4];
      *out++ = kHex[c & 0xF];
    } else {
      *out++ = ch;
    }
  }
  return out;
}

// A number too large or too small for a double: decide from its decimal
// magnitude whether it truncates to 0 or saturates.
int32_t saturateHuge(std::string_view number) noexcept {
  const bool negative = !number.empty() && number[0] == '-';
  size_t i = negative ? 1 : 0;
  int64_t magnitude = 0;  // value lies in [10^(magnitude-1), 10^magnitude)
  bool nonZero = false;
  while (i < number.size() && isDigit(number[i])) {
    if (nonZero || number[i] != '0') {
      nonZero = true;
      ++magnitude;
    }
    ++i;
  }
  if (i < number.size() && number[i] == '.') {
    ++i;
    while (i < number.size() && isDigit(number[i])) {
      if (!nonZero) {
        if (number[i] != '0') {
          nonZero = true;
        } else {
          --magnitude;
        }
      }
      ++i;
    }
  }
  if (!nonZero) return 0;
  if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) {
      negativeExponent = number[i] == '-';
      ++i;
    }
    int64_t exponent = 0;
    while (i < number.size() && isDigit(number[i])) {
      if (exponent < 1000000000) exponent = exponent * 10 + (number[i] - '0');
      ++i;
    }
    magnitude += negativeExponent ? -exponent : exponent;
  }
  if (magnitude < 1) return 0;
  return negative ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
}

int32_t clampToInt32(double value) noexcept {
  if (value >= 2147483648.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483649.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);  // truncates toward zero
}

}  // namespace

// --- Reading -----------------------------------------------------------------

const char* ContextWriter::findInsertionPoint(const char* text) noexcept {
  if (text == nullptr) return nullptr;
  const char* p = skipSpace(text);
  if (*p != '{' && *p != '[') return nullptr;
  const char* end = scanValue(p, nullptr);
  if (end == nullptr || *skipSpace(end) != '\0') return nullptr;
  return end - 1;
}

const char* ContextWriter::findKey(const char* text, std::string_view key) noexcept {
  if (text == nullptr) return nullptr;
  const char* p = skipSpace(text);
  if (*p != '{') return nullptr;
  p = skipSpace(p + 1);
  if (*p == '}') return nullptr;
  for (;;) {
    if (*p != '"') return nullptr;
    const char* keyEnd = scanString(p, nullptr);
    if (keyEnd == nullptr) return nullptr;
    const std::string_view raw(p + 1, static_cast<size_t>(keyEnd - p - 2));
    p = skipSpace(keyEnd);
    if (*p != ':') return nullptr;
    p = skipSpace(p + 1);
    if (keyEquals(raw, key)) return p;
    const char* valueEnd = scanValue(p, nullptr);
    if (valueEnd == nullptr) return nullptr;
    p = skipSpace(valueEnd);
    if (*p != ',') return nullptr;
    p = skipSpace(p + 1);
  }
}

bool ContextWriter::parseValue(const char* position, JsonValue& value, ParseError* error) noexcept {
  if (position == nullptr) {
    fail(error, ParseErrorKind::kNullInput, nullptr);
    return false;
  }
  const char* begin = skipSpace(position);
  const char* end = scanValue(begin, error);
  if (end == nullptr) return false;
  value.begin = begin;
  value.end = end;
  value.raw = {};
  switch (*begin) {
    case '"':
      value.kind = JsonKind::kString;
      value.raw = std::string_view(begin + 1, static_cast<size_t>(end - begin - 2));
      break;
    case '{':
      value.kind = JsonKind::kObject;
      break;
    case '[':
      value.kind = JsonKind::kArray;
      break;
    case 't':
    case 'f':
      value.kind = JsonKind::kBoolean;
      break;
    case 'n':
      value.kind = JsonKind::kNull;
      break;
    default:
      value.kind = JsonKind::kNumber;
      break;
  }
  if (error != nullptr) *error = ParseError{};
  return true;
}

bool ContextWriter::unescapeString(std::string_view raw, std::string& out) {
  out.reserve(out.size() + raw.size());
  size_t i = 0;
  char unit[4];
  while (i < raw.size()) {
    const int n = decodeNext(raw, i, unit);
    if (n == 0) return false;
    out.append(unit, static_cast<size_t>(n));
  }
  return true;
}

std::optional<size_t> ContextWriter::unescapeString(std::string_view raw, char* out) noexcept {
  size_t i = 0;
  size_t written = 0;
  while (i < raw.size()) {
    // Every escape is at least as long as the bytes it stands for, so the
    // output never overtakes the input.
    const int n = decodeNext(raw, i, out + written);
    if (n == 0) return std::nullopt;
    written += static_cast<size_t>(n);
  }
  return written;
}

std::optional<int32_t> ContextWriter::readInteger(const char* position) noexcept {
  if (position == nullptr) return std::nullopt;
  const char* begin = skipSpace(position);
  const char* end = scanNumber(begin, nullptr);
  if (end == nullptr) return std::nullopt;
  const std::string_view number(begin, static_cast<size_t>(end - begin));

  // Numbers are read by from_chars, which ignores the locale: a context
  // written as 12.9 reads as 12 also where the decimal separator is a comma.
  if (number.find_first_of(".eE") == std::string_view::npos) {
    int64_t whole = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, whole);
    if (ec == std::errc() && ptr == end) {
      if (whole > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
      if (whole < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
      return static_cast<int32_t>(whole);
    }
    return saturateHuge(number);
  }
  double real = 0;
  const auto [ptr, ec] = std::from_chars(begin, end, real, std::chars_format::general);
  if (ec == std::errc() && ptr == end) return clampToInt32(real);
  return saturateHuge(number);
}

size_t ContextWriter::escapedLength(std::string_view text) noexcept {
  size_t n = 0;
  for (const char c : text) n += escapedSize(static_cast<unsigned char>(c));
  return n;
}

std::string ContextWriter::escape(std::string_view text) {
  std::string out(escapedLength(text), '\0');
  writeEscaped(out.data(), text);
  return out;
}

// --- Writing -----------------------------------------------------------------

Pos ContextWriter::insertionPoint() const noexcept {
  const char* text = status_->buffer();
  if (text == nullptr) return Pos();
  const char* close = findInsertionPoint(text);
  return close != nullptr ? Pos::at(static_cast<uint32_t>(close - text)) : Pos();
}

const char* ContextWriter::pointer(Pos at) const noexcept {
  const char* text = status_->buffer();
  if (!at.valid() || text == nullptr || at.offset() >= status_->capacity()) return nullptr;
  return text + at.offset();
}

bool ContextWriter::grow() noexcept {
  const int64_t c = status_->capacity();
  if (2 * c - 4 > kGrowLimit) return false;
  const int64_t request = 2 * c - 2;
  // Only degenerate buffers (below 3 bytes) would ask for no more than they
  // have; a request that cannot grow would otherwise retry forever.
  if (request <= c) return false;
  if (!status_->reallocate(static_cast<uint32_t>(request)) || status_->capacity() <= c) {
    return false;
  }
  return findInsertionPoint(status_->buffer()) != nullptr;
}

Pos ContextWriter::insert(Pos at, const char* key, ValueForm form,
                          std::string_view value) noexcept {
  if (!at.valid()) return Pos();

  const std::string_view keyText = key != nullptr ? std::string_view(key) : std::string_view();
  size_t size = key != nullptr ? escapedLength(keyText) + 3 : 0;
  switch (form) {
    case ValueForm::kString:
      size += escapedLength(value) + 2;
      break;
    case ValueForm::kNumber:
      size += value.size();
      break;
    case ValueForm::kEmptyObject:
    case ValueForm::kEmptyArray:
      size += 2;
      break;
  }

  for (;;) {
    char* buf = status_->buffer();
    const uint32_t capacity = status_->capacity();
    if (buf == nullptr || capacity < 2) return Pos();
    const size_t marker = capacity - 1;
    const size_t offset = at.offset();
    // The position must lie within the text or on its NUL; a stale offset
    // beyond the text would otherwise write into the free room.
    if (offset >= marker || (offset > 0 && buf[offset - 1] == '\0')) return Pos();
    const size_t length = offset + strnlen(buf + offset, marker - offset);
    if (length >= marker) return Pos();  // no NUL before the marker: not ours to touch

    const bool afterOpening = buf[offset] == '{' || buf[offset] == '[';
    const size_t place = afterOpening ? offset + 1 : offset;
    bool comma;
    if (afterOpening) {
      const char* next = skipSpace(buf + offset + 1);
      comma = *next != '}' && *next != ']';
    } else if (buf[offset] == '\0') {
      comma = false;
    } else {
      size_t k = offset;
      while (k > 0 && isSpace(buf[k - 1])) --k;
      comma = k > 0 && buf[k - 1] != '{' && buf[k - 1] != '[';
    }
    const size_t needed = size + (comma ? 1 : 0);
    if (length + needed + 2 > kLargestBuffer) return Pos();

    const size_t room = marker - (length + 1);
    if (needed <= room) {
      std::memmove(buf + place + needed, buf + place, length - place + 1);
      char* w = buf + place;
      if (comma && !afterOpening) *w++ = ',';
      const size_t memberStart = static_cast<size_t>(w - buf);
      if (key != nullptr) {
        *w++ = '"';
        w = writeEscaped(w, keyText);
        *w++ = '"';
        *w++ = ':';
      }
      switch (form) {
        case ValueForm::kString:
          *w++ = '"';
          w = writeEscaped(w, value);
          *w++ = '"';
          break;
        case ValueForm::kNumber:
          std::memcpy(w, value.data(), value.size());
          w += value.size();
          break;
        case ValueForm::kEmptyObject:
          *w++ = '{';
          *w++ = '}';
          break;
        case ValueForm::kEmptyArray:
          *w++ = '[';
          *w++ = ']';
          break;
      }
      if (comma && afterOpening) *w = ',';
      return Pos::at(static_cast<uint32_t>(memberStart + size));
    }
    if (!grow()) return Pos();
  }
}

Pos ContextWriter::addString(Pos at, const char* key, std::string_view value) noexcept {
  return insert(at, key, ValueForm::kString, value);
}

Pos ContextWriter::addInt(Pos at, const char* key, int32_t value) noexcept {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return insert(at, key, ValueForm::kNumber,
                std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

Pos ContextWriter::addUnsigned(Pos at, const char* key, uint32_t value) noexcept {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return insert(at, key, ValueForm::kNumber,
                std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

Pos ContextWriter::addObject(Pos at, const char* key) noexcept {
  return insert(at, key, ValueForm::kEmptyObject, {});
}

Pos ContextWriter::addArray(Pos at, const char* key) noexcept {
  return insert(at, key, ValueForm::kEmptyArray, {});
}

Pos ContextWriter::addMember(Pos at, const Member& member) noexcept {
  switch (member.type()) {
    case Member::Type::kString:
      return addString(at, member.key(), member.text());
    case Member::Type::kInt:
      return addInt(at, member.key(), member.intValue());
    case Member::Type::kUnsigned:
      return addUnsigned(at, member.key(), member.unsignedValue());
    case Member::Type::kAbsent:
      break;
  }
  return at;
}

Pos ContextWriter::addObject(Pos at, const char* key,
                             std::initializer_list<Member> members) noexcept {
  Pos inner = addObject(at, key).stepIn();
  for (const Member& member : members) inner = addMember(inner, member);
  return inner.stepOut();
}

// --- Appender ----------------------------------------------------------------

Appender& Appender::string(const char* key, std::string_view value) noexcept {
  pos_ = ContextWriter(*status_).addString(pos_, key, value);
  return *this;
}

Appender& Appender::string(const char* key, const char* value) noexcept {
  if (value != nullptr) pos_ = ContextWriter(*status_).addString(pos_, key, value);
  return *this;
}

Appender& Appender::integer(const char* key, int32_t value) noexcept {
  pos_ = ContextWriter(*status_).addInt(pos_, key, value);
  return *this;
}

Appender& Appender::unsignedInteger(const char* key, uint32_t value) noexcept {
  pos_ = ContextWriter(*status_).addUnsigned(pos_, key, value);
  return *this;
}

Appender& Appender::member(const Member& member) noexcept {
  pos_ = ContextWriter(*status_).addMember(pos_, member);
  return *this;
}

Appender& Appender::object(const char* key, std::initializer_list<Member> members) noexcept {
  pos_ = ContextWriter(*status_).addObject(pos_, key, members);
  return *this;
}

Appender& Appender::internalError(const char* api, int32_t code,
                                  std::string_view message) noexcept {
  ContextWriter writer(*status_);
  Pos inner = writer.addObject(pos_, "internal_error").stepIn();
  inner = writer.addString(inner, "api", api != nullptr ? api : "");
  inner = writer.addInt(inner, "code", code);
  if (!message.empty()) inner = writer.addString(inner, "string", message);
  pos_ = inner.stepOut();
  return *this;
}

Appender& Appender::internalError(const char* api, uint32_t code,
                                  std::string_view message) noexcept {
  ContextWriter writer(*status_);
  Pos inner = writer.addObject(pos_, "internal_error").stepIn();
  inner = writer.addString(inner, "api", api != nullptr ? api : "");
  inner = writer.addUnsigned(inner, "code", code);
  if (!message.empty()) inner = writer.addString(inner, "string", message);
  pos_ = inner.stepOut();
  return *this;
}

Appender appendTo(Status& status) noexcept {
  return Appender(status, ContextWriter(status).insertionPoint());
}

}  // namespace voerr
