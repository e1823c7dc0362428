// Code-page conversion on POSIX systems, through the C library's iconv.
//
// Supported code pages: 1252 (Western), 932 (Japanese), 949 (Korean), 936
// (simplified Chinese) and 65001 (UTF-8).
//
// Decoding is strict: a byte sequence the code page does not define fails the
// whole conversion. The five bytes that 1252 leaves unassigned (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) decode to the C1 controls of the same value, as the
// original platform decodes them, and encode back to themselves.
//
// Encoding never fails on content: a character without an exact equivalent
// becomes '?'. "Exact" means that the encoded bytes decode back to the same
// character; iconv's one-way approximations (U+00A5 YEN SIGN written as 0x5C
// in 932, for instance) are refused, so no look-alike is ever substituted.
// Unpaired surrogates are characters no code page has, and become '?' too.
//
// glibc's CP932 lacks five single bytes that the original platform's table
// maps: 0x80 (U+0080), 0xA0 (U+F8F0), 0xFD, 0xFE and 0xFF (U+F8F1 to U+F8F3).
// They are converted here, both ways, outside iconv.
//
// iconv descriptors carry conversion state and must not be shared between
// threads. Conversions lease descriptors from a process-wide pool: one thread
// uses a descriptor at a time, and a descriptor goes back reset. Pooling also
// keeps the C library's converter modules loaded; opening and closing a
// descriptor per call would load and unload them again and again.
#include <errno.h>
#include <iconv.h>

#include <array>
#include <mutex>
#include <new>
#include <vector>

#include "platform/conversion_guard.h"
#include "platform/textconv.h"

namespace voplat {

namespace {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr const char* kUtf16Name = "UTF-16BE";
#else
constexpr const char* kUtf16Name = "UTF-16LE";
#endif

constexpr uint32_t kCpWestern = 1252;
constexpr uint32_t kCpJapanese = 932;
constexpr uint32_t kCpKorean = 949;
constexpr uint32_t kCpChinese = 936;
constexpr uint32_t kCpUtf8 = 65001;

const char* iconvName(uint32_t codePage) {
  switch (codePage) {
    case kCpWestern:
      return "CP1252";
    case kCpJapanese:
      return "CP932";
    case kCpKorean:
      return "CP949";
    case kCpChinese:
      return "CP936";
    default:
      return nullptr;
  }
}

// One iconv descriptor of its own, closed on scope exit.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// ---- the descriptor pool --------------------------------------------------

enum class Direction { toUtf16, fromUtf16 };

// The pooled conversions: the multi-byte code pages, each way.
constexpr uint32_t kPooledCodePages[] = {kCpJapanese, kCpKorean, kCpChinese};
constexpr size_t kPoolSlots = std::size(kPooledCodePages) * 2;
// Idle descriptors kept per conversion; more than this are closed.
constexpr size_t kMaxIdle = 16;

size_t poolSlot(uint32_t codePage, Direction direction) {
  for (size_t i = 0; i < std::size(kPooledCodePages); ++i) {
    if (kPooledCodePages[i] == codePage) return i * 2 + (direction == Direction::toUtf16 ? 0 : 1);
  }
  return kPoolSlots;
}

class DescriptorPool {
 public:
  static DescriptorPool& instance() {
    static DescriptorPool pool;
    return pool;
  }

  ~DescriptorPool() {
    for (std::vector<iconv_t>& idle : idle_) {
      for (iconv_t cd : idle) iconv_close(cd);
    }
  }

  // An idle descriptor or a new one; (iconv_t)-1 with errno set on failure.
  iconv_t take(size_t slot, const char* to, const char* from) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      std::vector<iconv_t>& idle = idle_[slot];
      if (!idle.empty()) {
        iconv_t cd = idle.back();
        idle.pop_back();
        return cd;
      }
    }
    return iconv_open(to, from);
  }

  // Takes back a descriptor whose shift state has been reset.
  void give(size_t slot, iconv_t cd) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      std::vector<iconv_t>& idle = idle_[slot];
      if (idle.size() < kMaxIdle) {
        try {
          idle.push_back(cd);
          return;
        } catch (const std::bad_alloc&) {
          // fall through and close it
        }
      }
    }
    iconv_close(cd);
  }

 private:
  DescriptorPool() = default;

  std::mutex mutex_;
  std::vector<iconv_t> idle_[kPoolSlots];
};

// A descriptor leased from the pool for one conversion.
class Lease {
 public:
  Lease(uint32_t codePage, const char* iconvName, Direction direction)
      : slot_(poolSlot(codePage, direction)) {
    if (slot_ < kPoolSlots) {
      cd_ = direction == Direction::toUtf16
                ? DescriptorPool::instance().take(slot_, kUtf16Name, iconvName)
                : DescriptorPool::instance().take(slot_, iconvName, kUtf16Name);
    } else {
      errno = EINVAL;
    }
  }
  ~Lease() {
    if (!valid()) return;
    reset();
    DescriptorPool::instance().give(slot_, cd_);
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }
  iconv_t get() const { return cd_; }

 private:
  size_t slot_;
  iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
};

ConvResult openFailure() {
  return errno == ENOMEM ? ConvResult::outOfMemory : ConvResult::unsupported;
}

bool isAscii(std::string_view in) {
  for (char c : in) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool isAscii(std::u16string_view in) {
  for (char16_t c : in) {
    if (c >= 0x80) return false;
  }
  return true;
}

// Runs `cd` over all of `in` and flushes it, appending to `out`. False when
// the input holds a sequence that cannot be converted (invalid, truncated, or
// without an equivalent in the target encoding).
bool runIconv(iconv_t cd, const char* in, size_t inBytes, std::string& out) {
  char* inPtr = const_cast<char*>(in);
  size_t inLeft = inBytes;
  size_t used = out.size();
  out.resize(used + inBytes * 2 + 16);
  bool flushing = false;
  for (;;) {
    char* outPtr = out.data() + used;
    size_t outLeft = out.size() - used;
    const size_t rc = flushing ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                               : iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    used = static_cast<size_t>(outPtr - out.data());
    if (rc == static_cast<size_t>(-1)) {
      if (errno != E2BIG) return false;
      out.resize(out.size() * 2);
      continue;
    }
    if (flushing) break;
    flushing = true;  // all input converted; write out any shift state
  }
  out.resize(used);
  return true;
}

// ---- 1252: a single-byte table taken from iconv once ----------------------

struct WesternTable {
  bool ok = false;
  std::array<char16_t, 256> toUnicode{};

  WesternTable() {
    Converter cd(kUtf16Name, "CP1252");
    if (!cd.valid()) return;
    for (int b = 0; b < 256; ++b) {
      cd.reset();
      char byte = static_cast<char>(b);
      char16_t unit = 0;
      char* inPtr = &byte;
      size_t inLeft = 1;
      char* outPtr = reinterpret_cast<char*>(&unit);
      size_t outLeft = sizeof unit;
      if (iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
          outLeft != 0) {
        unit = static_cast<char16_t>(b);  // unassigned: the C1 control of that value
      }
      toUnicode[b] = unit;
    }
    ok = true;
  }

  bool encode(char16_t unit, char& byte) const {
    if (unit < 0x80) {
      byte = static_cast<char>(unit);
      return true;
    }
    for (int b = 0x80; b < 256; ++b) {
      if (toUnicode[b] == unit) {
        byte = static_cast<char>(b);
        return true;
      }
    }
    return false;
  }
};

const WesternTable& westernTable() {
  static const WesternTable table;
  return table;
}

ConvResult decodeWestern(std::string_view in, std::u16string& out) {
  const WesternTable& table = westernTable();
  if (!table.ok) return ConvResult::unsupported;
  std::u16string result(in.size(), u'\0');
  for (size_t i = 0; i < in.size(); ++i) {
    result[i] = table.toUnicode[static_cast<unsigned char>(in[i])];
  }
  out = std::move(result);
  return ConvResult::ok;
}

ConvResult encodeWestern(std::u16string_view in, std::string& out, bool& substituted) {
  const WesternTable& table = westernTable();
  if (!table.ok) return ConvResult::unsupported;
  std::string result;
  result.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    char byte;
    if (!table.encode(in[i], byte)) {
      byte = '?';
      substituted = true;
      // A surrogate pair is one character and one '?'.
      if (in[i] >= 0xD800 && in[i] <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
          in[i + 1] <= 0xDFFF) {
        ++i;
      }
    }
    result.push_back(byte);
  }
  out = std::move(result);
  return ConvResult::ok;
}

// ---- 932: the bytes glibc's table lacks -------------------------------------

struct GlibcCp932Gap {
  unsigned char byte;
  char16_t unit;
};
/* clang-format off */
constexpr GlibcCp932Gap kGlibcCp932Gaps[] = {
    {0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3},
};
/* clang-format on */

const GlibcCp932Gap* glibcCp932GapOfByte(unsigned char byte) {
  for (const GlibcCp932Gap& gap : kGlibcCp932Gaps) {
    if (gap.byte == byte) return &gap;
  }
  return nullptr;
}

const GlibcCp932Gap* glibcCp932GapOfUnit(char16_t unit) {
  for (const GlibcCp932Gap& gap : kGlibcCp932Gaps) {
    if (gap.unit == unit) return &gap;
  }
  return nullptr;
}

// Lead bytes of 932's double-byte characters; 0x80 and 0xA0 may follow one
// as the second byte of another character.
bool isCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// ---- 932, 949, 936: iconv per call ----------------------------------------

bool decodeWith(iconv_t cd, std::string_view in, std::u16string& out) {
  std::string bytes;
  if (!runIconv(cd, in.data(), in.size(), bytes)) return false;
  out.assign(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / sizeof(char16_t));
  return true;
}

// Decodes 932 with iconv between the single bytes glibc lacks.
bool decodeCp932With(iconv_t cd, std::string_view in, std::u16string& out) {
  std::u16string result;
  std::u16string run;
  size_t start = 0;
  for (size_t i = 0; i < in.size();) {
    const auto byte = static_cast<unsigned char>(in[i]);
    const GlibcCp932Gap* gap = glibcCp932GapOfByte(byte);
    if (gap == nullptr) {
      i += isCp932LeadByte(byte) ? 2 : 1;
      continue;
    }
    if (!decodeWith(cd, in.substr(start, i - start), run)) return false;
    result += run;
    result.push_back(gap->unit);
    start = ++i;
  }
  if (start < in.size()) {
    if (!decodeWith(cd, in.substr(start), run)) return false;
    result += run;
  }
  out = std::move(result);
  return true;
}

ConvResult decodeMultiByte(uint32_t codePage, const char* name, std::string_view in,
                           std::u16string& out) {
  Lease cd(codePage, name, Direction::toUtf16);
  if (!cd.valid()) return openFailure();
  std::u16string result;
  const bool decoded = codePage == kCpJapanese ? decodeCp932With(cd.get(), in, result)
                                               : decodeWith(cd.get(), in, result);
  if (!decoded) return ConvResult::invalidInput;
  out = std::move(result);
  return ConvResult::ok;
}

ConvResult encodeMultiByte(uint32_t codePage, const char* name, std::u16string_view in,
                           std::string& out, bool& substituted) {
  Lease encoder(codePage, name, Direction::fromUtf16);
  if (!encoder.valid()) return openFailure();
  Lease decoder(codePage, name, Direction::toUtf16);
  if (!decoder.valid()) return openFailure();

  const auto* inBytes = reinterpret_cast<const char*>(in.data());

  // Usually everything converts and comes back unchanged.
  std::string result;
  if (runIconv(encoder.get(), inBytes, in.size() * sizeof(char16_t), result)) {
    std::u16string back;
    decoder.reset();
    if (decodeWith(decoder.get(), result, back) && back == in) {
      out = std::move(result);
      return ConvResult::ok;
    }
  }

  // Otherwise one character at a time, each checked by its round trip.
  result.clear();
  for (size_t i = 0; i < in.size();) {
    size_t units = 1;
    const char16_t u = in[i];
    bool unpaired = false;
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
        units = 2;
      } else {
        unpaired = true;
      }
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      unpaired = true;
    }
    const std::u16string_view character = in.substr(i, units);
    i += units;

    if (codePage == kCpJapanese && units == 1) {
      if (const GlibcCp932Gap* gap = glibcCp932GapOfUnit(u)) {
        result.push_back(static_cast<char>(gap->byte));
        continue;
      }
    }
    std::string encoded;
    std::u16string back;
    bool exact = false;
    if (!unpaired) {
      encoder.reset();
      decoder.reset();
      exact = runIconv(encoder.get(), reinterpret_cast<const char*>(character.data()),
                       units * sizeof(char16_t), encoded) &&
              !encoded.empty() && decodeWith(decoder.get(), encoded, back) && back == character;
    }
    if (exact) {
      result += encoded;
    } else {
      result.push_back('?');
      substituted = true;
    }
  }
  out = std::move(result);
  return ConvResult::ok;
}

}  // namespace

ConvResult codePageToUtf16(uint32_t codePage, std::string_view in, std::u16string& out) {
  out.clear();
  return guardedConversion(out, [&] {
    if (codePage == kCpUtf8) return utf8ToUtf16(in, out);
    const char* name = iconvName(codePage);
    if (name == nullptr) return ConvResult::unsupported;
    if (codePage == kCpWestern) return decodeWestern(in, out);
    // Every supported code page agrees with ASCII below 0x80.
    if (isAscii(in)) {
      out.assign(in.begin(), in.end());
      return ConvResult::ok;
    }
    return decodeMultiByte(codePage, name, in, out);
  });
}

ConvResult utf16ToCodePage(uint32_t codePage, std::u16string_view in, std::string& out,
                           bool* substituted) {
  out.clear();
  bool replaced = false;
  const ConvResult result = guardedConversion(out, [&] {
    const char* name = iconvName(codePage);
    if (codePage == kCpUtf8) return utf16ToUtf8Substituting(in, out, replaced);
    if (name == nullptr) return ConvResult::unsupported;
    if (codePage == kCpWestern) return encodeWestern(in, out, replaced);
    if (isAscii(in)) {
      out.assign(in.begin(), in.end());
      return ConvResult::ok;
    }
    return encodeMultiByte(codePage, name, in, out, replaced);
  });
  if (substituted != nullptr) *substituted = result == ConvResult::ok && replaced;
  return result;
}

}  // namespace voplat
