#include "xlator/scan_integer.h"

#include <cstdint>

namespace voxlator {

namespace {

bool isBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The digit's value, or 36 for a character that is no digit.
unsigned digitValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const auto lower = static_cast<unsigned char>(c | 0x20);
  if (lower >= 'a' && lower <= 'z') return lower - 'a' + 10u;
  return 36;
}

// The text's characters, with NUL standing for its end.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : next_(text.data()), end_(text.data() + text.size()) {}
  unsigned char peek() const { return next_ != end_ ? static_cast<unsigned char>(*next_) : 0; }
  void skip() { ++next_; }

 private:
  const char* next_;
  const char* end_;
};

}  // namespace

int scanInteger(std::string_view text, int& value) noexcept {
  Cursor in(text);
  while (isBlank(in.peek())) in.skip();
  if (in.peek() == '\0') return -1;  // the input ended before the conversion

  const bool negative = in.peek() == '-';
  if (in.peek() == '-' || in.peek() == '+') in.skip();
  unsigned base = 10;
  bool any = false;  // a digit was taken (the '0' of a base prefix counts)
  if (in.peek() == '0') {
    any = true;
    in.skip();
    if ((in.peek() | 0x20) == 'x') {
      base = 16;
      in.skip();
    } else {
      base = 8;
    }
  }

  // The magnitude, held at one past the largest long's once it passes that.
  constexpr uint64_t kLimit = uint64_t{1} << 63;
  uint64_t magnitude = 0;
  for (unsigned digit = digitValue(in.peek()); digit < base; digit = digitValue(in.peek())) {
    any = true;
    magnitude = magnitude > (kLimit - digit) / base ? kLimit + 1 : magnitude * base + digit;
    in.skip();
  }
  if (!any) return 0;

  // strtol's long, saturated, then its low 32 bits.
  uint64_t bits = 0;
  if (negative) {
    bits = magnitude >= kLimit ? kLimit : uint64_t{0} - magnitude;
  } else {
    bits = magnitude >= kLimit ? kLimit - 1 : magnitude;
  }
  value = static_cast<int>(static_cast<uint32_t>(bits));
  return 1;
}

}  // namespace voxlator
