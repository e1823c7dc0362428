#include "api/channel_list.h"

#include <cstring>

namespace voapi {
namespace {

// Attributes that live on stream 0: an empty channel list given for them
// means stream 0 rather than the device as a whole.
constexpr uint32_t kAttrAnalogEdgeTriggerChannel = 0x10000008;
constexpr uint32_t kAttrAnalogEdgeTriggerLevel = 0x20000002;
constexpr uint32_t kAttrAnalogEdgeTriggerHysteresis = 0x20000003;

// The longest name is "AI63": four characters and the terminator.
struct NameTable {
  char names[kChannelsPerKind][5];
};

constexpr NameTable MakeNameTable(char prefix0, char prefix1) {
  NameTable table{};
  for (uint32_t n = 0; n < kChannelsPerKind; ++n) {
    char* out = table.names[n];
    std::size_t i = 0;
    if (prefix0 != '\0') {
      out[i++] = prefix0;
      out[i++] = prefix1;
    }
    if (n >= 10) out[i++] = static_cast<char>('0' + n / 10);
    out[i++] = static_cast<char>('0' + n % 10);
    out[i] = '\0';
  }
  return table;
}

constexpr NameTable kAnalogInputNames = MakeNameTable('A', 'I');
constexpr NameTable kAnalogOutputNames = MakeNameTable('A', 'O');
constexpr NameTable kStreamNames = MakeNameTable('\0', '\0');

static_assert(kAnalogInputNames.names[0][0] == 'A' && kAnalogInputNames.names[0][2] == '0' &&
              kAnalogInputNames.names[0][3] == '\0');
static_assert(kAnalogOutputNames.names[63][1] == 'O' && kAnalogOutputNames.names[63][2] == '6' &&
              kAnalogOutputNames.names[63][3] == '3' && kAnalogOutputNames.names[63][4] == '\0');
static_assert(kStreamNames.names[7][0] == '7' && kStreamNames.names[7][1] == '\0');

// Stands in for a null list, so that list entries are never null: several
// callers scan the names they get back, and a null name would crash them.
constexpr char kDeviceName[] = "";

const NameTable& TableOf(ChannelKind kind) {
  switch (kind) {
    case ChannelKind::kAnalogInput:
      return kAnalogInputNames;
    case ChannelKind::kAnalogOutput:
      return kAnalogOutputNames;
    case ChannelKind::kStream:
      break;
  }
  return kStreamNames;
}

// White space as the C library's isspace() sees it in the "C" locale. Spelled
// out rather than calling isspace() so that an application's setlocale()
// cannot change how channel lists parse.
constexpr bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One "%u" conversion over [p, end), with the C library's exact results:
// optional white space, an optional '+' or '-', then at least one decimal
// digit. The digits convert like strtoul() with a 64-bit unsigned long: a
// magnitude beyond 64 bits saturates to all ones (and a '-' is then ignored),
// otherwise a '-' negates in unsigned arithmetic; the result is finally cut
// to 32 bits. So "-1" reads as 4294967295, "4294967297" as 1 and
// "-18446744073709551615" as 1. On success `p` moves past the digits.
bool ScanUnsigned(const char*& p, const char* end, uint32_t& value) {
  const char* s = p;
  while (s != end && IsCSpace(*s)) ++s;
  bool negative = false;
  if (s != end && (*s == '+' || *s == '-')) {
    negative = *s == '-';
    ++s;
  }
  if (s == end || !IsDigit(*s)) return false;

  constexpr uint64_t kMax = UINT64_MAX;
  uint64_t magnitude = 0;
  bool overflow = false;
  for (; s != end && IsDigit(*s); ++s) {
    const auto digit = static_cast<uint64_t>(*s - '0');
    if (overflow) continue;  // the remaining digits are consumed all the same
    if (magnitude > (kMax - digit) / 10) {
      overflow = true;
    } else {
      magnitude = magnitude * 10 + digit;
    }
  }
  const uint64_t wide = overflow ? kMax : (negative ? 0 - magnitude : magnitude);
  value = static_cast<uint32_t>(wide);
  p = s;
  return true;
}

bool MatchPrefix(const char*& p, const char* end, char c0, char c1) {
  if (end - p < 2 || p[0] != c0 || p[1] != c1) return false;
  p += 2;
  return true;
}

// The token forms, tried in this order. A form matches when every literal
// matches exactly (no white space is skipped except by the numbers) and the
// token ends right after its last number.
struct TokenForm {
  char prefix0;  // '\0' for the bare number
  char prefix1;
  bool range;
  ChannelKind kind;
};

constexpr TokenForm kTokenForms[] = {
    {'A', 'I', true, ChannelKind::kAnalogInput},    // AIm-AIn
    {'a', 'i', true, ChannelKind::kAnalogInput},    // aim-ain
    {'A', 'O', true, ChannelKind::kAnalogOutput},   // AOm-AOn
    {'a', 'o', true, ChannelKind::kAnalogOutput},   // aom-aon
    {'A', 'I', false, ChannelKind::kAnalogInput},   // AIn
    {'a', 'i', false, ChannelKind::kAnalogInput},   // ain
    {'A', 'O', false, ChannelKind::kAnalogOutput},  // AOn
    {'a', 'o', false, ChannelKind::kAnalogOutput},  // aon
    {'\0', '\0', false, ChannelKind::kStream},      // n
};

bool MatchForm(const TokenForm& form, const char* p, const char* end, uint32_t& first,
               uint32_t& last) {
  const bool prefixed = form.prefix0 != '\0';
  if (prefixed && !MatchPrefix(p, end, form.prefix0, form.prefix1)) return false;
  if (!ScanUnsigned(p, end, first)) return false;
  last = first;
  if (form.range) {
    if (p == end || *p != '-') return false;
    ++p;
    if (!MatchPrefix(p, end, form.prefix0, form.prefix1)) return false;
    if (!ScanUnsigned(p, end, last)) return false;
  }
  return p == end;
}

int32_t AppendToken(const char* begin, const char* end, ChannelNameList& out) {
  for (const TokenForm& form : kTokenForms) {
    uint32_t first = 0;
    uint32_t last = 0;
    if (!MatchForm(form, begin, end, first, last)) continue;

    const NameTable& table = TableOf(form.kind);
    const int32_t tooLarge =
        form.kind == ChannelKind::kStream ? kStreamNumberTooLarge : kChannelNumberTooLarge;
    // Ranges run upwards whichever way round they were written. The walk
    // checks each number as it reaches it, so AI62-AI64 fails at 64; a wide
    // counter keeps the loop finite even for an upper bound of 2^32-1.
    const uint64_t low = first < last ? first : last;
    const uint64_t high = first < last ? last : first;
    for (uint64_t n = low; n <= high; ++n) {
      if (n >= kChannelsPerKind) return tooLarge;
      if (!out.add(table.names[n])) return kChannelListFull;
    }
    return 0;
  }
  return kChannelListSyntax;
}

}  // namespace

const char* CanonicalChannelName(ChannelKind kind, uint32_t number) noexcept {
  if (number >= kChannelsPerKind) return nullptr;
  return TableOf(kind).names[number];
}

namespace {

// A list that is one canonical name ("AI3", "AO12", "5") is the common case of
// every setter; it is its own parse result, found without trying the forms.
const char* CanonicalSingleName(const char* text) noexcept {
  const NameTable* table = &kStreamNames;
  const char* digits = text;
  if (text[0] == 'A' && (text[1] == 'I' || text[1] == 'O')) {
    table = text[1] == 'I' ? &kAnalogInputNames : &kAnalogOutputNames;
    digits = text + 2;
  }
  if (digits[0] < '0' || digits[0] > '9') return nullptr;
  uint32_t number = static_cast<uint32_t>(digits[0] - '0');
  if (digits[1] == '\0') return table->names[number];
  if (digits[0] == '0' || digits[1] < '0' || digits[1] > '9' || digits[2] != '\0') return nullptr;
  number = number * 10 + static_cast<uint32_t>(digits[1] - '0');
  return number < kChannelsPerKind ? table->names[number] : nullptr;
}

}  // namespace

int32_t ParseChannelList(const char* text, uint32_t attributeId, ChannelNameList& out) noexcept {
  out.clear();

  if (text == nullptr || *text == '\0') {
    const bool onStreamZero = attributeId == kAttrAnalogEdgeTriggerChannel ||
                              attributeId == kAttrAnalogEdgeTriggerLevel ||
                              attributeId == kAttrAnalogEdgeTriggerHysteresis;
    out.add(onStreamZero ? kStreamNames.names[0] : (text != nullptr ? text : kDeviceName));
    return 0;
  }
  if (const char* name = CanonicalSingleName(text)) {
    out.add(name);
    return 0;
  }

  // Tokens are cut at commas only and matched in place, without a copy. A
  // token longer than the documented 319 characters is refused as a whole:
  // cutting it short could turn it into a different, valid token.
  const char* begin = text;
  for (;;) {
    const char* end = begin + std::strcspn(begin, ",");
    int32_t status = kChannelListSyntax;
    if (static_cast<std::size_t>(end - begin) <= kMaxChannelTokenLength) {
      status = AppendToken(begin, end, out);
    }
    if (status != 0) {
      out.clear();
      return status;
    }
    if (*end == '\0') return 0;
    begin = end + 1;
  }
}

bool MatchAnalogInputName(const char* name, uint32_t* number) noexcept {
  if (name == nullptr) return false;
  const char* end = name + std::strlen(name);
  static constexpr TokenForm kAnalogInputForms[] = {
      {'A', 'I', false, ChannelKind::kAnalogInput},
      {'a', 'i', false, ChannelKind::kAnalogInput},
  };
  uint32_t first = 0;
  uint32_t last = 0;
  for (const TokenForm& form : kAnalogInputForms) {
    if (MatchForm(form, name, end, first, last)) {
      if (number != nullptr) *number = first;
      return true;
    }
  }
  return false;
}

}  // namespace voapi
