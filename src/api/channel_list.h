// Channel lists: the caller's comma-separated channel-list text turned into
// the canonical channel names that travel to the driver.
//
// Three kinds of names exist, each a constant table of 64 entries indexed by
// channel number: analog inputs "AI0".."AI63", analog outputs "AO0".."AO63"
// and the bare stream (device-level) numbers "0".."63". A parsed list holds
// pointers into these tables, never copies, so parsing allocates nothing and
// the names stay valid for the life of the process.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace voapi {

// Status codes of the parser. The callers return them unchanged.
inline constexpr int32_t kChannelListSyntax = -304419;      // a token matches no form
inline constexpr int32_t kChannelListFull = -304420;        // a 65th name
inline constexpr int32_t kChannelNumberTooLarge = -304421;  // AI/AO number of 64 or more
inline constexpr int32_t kStreamNumberTooLarge = -304422;   // bare number of 64 or more

// Number of channels of each kind, and the capacity of a list.
inline constexpr uint32_t kChannelsPerKind = 64;

// Longest token the parser accepts, in characters (a token fits a 320-byte
// buffer with its terminator). A longer token is a syntax error.
inline constexpr std::size_t kMaxChannelTokenLength = 319;

enum class ChannelKind { kAnalogInput, kAnalogOutput, kStream };

// The canonical name of channel `number` of `kind` ("AI5", "AO5" or "5"), or
// null when the number is 64 or more.
const char* CanonicalChannelName(ChannelKind kind, uint32_t number) noexcept;

// The ordered result of ParseChannelList: up to 64 names. Entries are never
// null; the device as a whole is addressed by an empty name (see
// ParseChannelList). The list does not own the names.
class ChannelNameList {
 public:
  static constexpr std::size_t kCapacity = kChannelsPerKind;

  using value_type = const char*;
  using const_iterator = const char* const*;

  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  static constexpr std::size_t capacity() noexcept { return kCapacity; }

  // Unchecked, like a plain array; index must be below size().
  const char* operator[](std::size_t index) const noexcept { return names_[index]; }

  const_iterator begin() const noexcept { return names_.data(); }
  const_iterator end() const noexcept { return names_.data() + size_; }

  // Appends `name`. Returns false, and leaves the list unchanged, when the
  // list already holds kCapacity names or `name` is null.
  bool add(const char* name) noexcept {
    if (size_ >= kCapacity || name == nullptr) return false;
    names_[size_++] = name;
    return true;
  }

  void clear() noexcept { size_ = 0; }

 private:
  // Only the first size_ entries are ever read; leaving the rest unset keeps
  // a list on the stack free of a 512-byte clear on every setter call.
  std::array<const char*, kCapacity> names_;
  std::size_t size_ = 0;
};

// Parses a channel list into `out` (which is cleared first) and returns 0 or
// one of the negative codes above.
//
// - Null or empty text yields one name: "0" when `attributeId` is one of the
//   analog edge trigger attributes (channel, level, hysteresis), which live on
//   stream 0; otherwise the empty name, which addresses the device as a whole.
//   The empty name is `text` itself when it is an empty string, and a static
//   empty string when `text` is null, so callers never meet a null entry.
// - Otherwise the text is cut at every comma; white space is part of a token.
//   Each token is one of AIn, ain, AOn, aon (one channel), the range forms
//   AIm-AIn, aim-ain, AOm-AOn, aom-aon (either order, expanded ascending), or
//   a bare number n. Numbers are read the way the C library's "%u" reads them:
//   leading white space, an optional sign, decimal digits, wrapped to 32 bits.
// - On failure `out` is left empty: a partial list is never usable.
int32_t ParseChannelList(const char* text, uint32_t attributeId, ChannelNameList& out) noexcept;

// True when `name` is an analog-input name in the sense the stream and
// trigger configuration check it: "AI" or "ai", a "%u" number, and nothing
// after it. The number (wrapped to 32 bits as "%u" does) goes to *number.
// A null name is not an analog-input name.
bool MatchAnalogInputName(const char* name, uint32_t* number) noexcept;

}  // namespace voapi
