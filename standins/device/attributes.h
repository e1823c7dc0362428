// The device's attribute table: every attribute the digitizer knows, with its
// type, the channel names it lives on, whether callers may write it, its
// power-on value and, for enumerated attributes, the values it accepts.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace vodev {

// Wire value types of the attribute records.
enum class WireType : std::uint32_t {
  kBoolean = 0,
  kF64 = 1,
  kI32 = 2,
  kU32 = 4,
  kU64 = 5,
  kString = 6,
};

enum class AttrType { kInt32, kDouble, kString, kBoolean, kUInt64 };

// Where an attribute lives: the whole device (empty channel name), each analog
// input ("AI0" to "AI15"), or each stream ("0" to "63").
enum class Scope { kDevice, kAiChannel, kStream };

inline constexpr int kAiChannelCount = 16;
inline constexpr int kStreamCount = 64;
inline constexpr int kAdcResolutionBits = 14;
// Codes of the 14-bit converter run from -8192 to 8191; full scale is 8192.
inline constexpr double kAdcFullScaleCode = 8192.0;

using Value = std::variant<bool, double, std::int32_t, std::uint64_t, std::string>;

struct AttributeInfo {
  std::uint32_t id;
  const char* name;
  AttrType type;
  Scope scope;
  bool readOnly;
  // Power-on value; only the member of the attribute's type is used.
  std::int64_t defaultInt = 0;
  double defaultDouble = 0.0;
  const char* defaultText = "";
  // Accepted values of an enumerated Int32 attribute; empty: any value.
  std::span<const std::int32_t> enumValues = {};
};

namespace attr {
inline constexpr std::uint32_t kChannelsInStream = 0x10000000;
inline constexpr std::uint32_t kAnalogEdgeTriggerChannel = 0x10000008;
inline constexpr std::uint32_t kStartTriggerType = 0x10000009;
inline constexpr std::uint32_t kAiChannelCount = 0x1000000F;
inline constexpr std::uint32_t kAdcClockDivisor = 0x10000010;
inline constexpr std::uint32_t kSampleClockSource = 0x10000013;
inline constexpr std::uint32_t kAnalogEdgeTriggerLevel = 0x20000002;
inline constexpr std::uint32_t kAnalogEdgeTriggerHysteresis = 0x20000003;
inline constexpr std::uint32_t kAiRange = 0x20000010;
inline constexpr std::uint32_t kAiScalingGain = 0x20000011;
inline constexpr std::uint32_t kAiScalingOffset = 0x20000012;
inline constexpr std::uint32_t kSampleDt = 0x20000013;
inline constexpr std::uint32_t kAdcSampleRate = 0x20000016;
inline constexpr std::uint32_t kSampleClockTimebaseRate = 0x20000017;
inline constexpr std::uint32_t kDigitalStartTriggerSource = 0x30000000;
inline constexpr std::uint32_t kStreamFifoName = 0x30000002;
inline constexpr std::uint32_t kStartTriggerOutputTerminal = 0x30000003;
inline constexpr std::uint32_t kStreamFinite = 0x40000001;
inline constexpr std::uint32_t kAnalogEdgeTriggerRising = 0x40000002;
inline constexpr std::uint32_t kIoReady = 0x40000003;
inline constexpr std::uint32_t kStreamNumberOfSamples = 0x50000000;
inline constexpr std::uint32_t kStreamFifoSize = 0x50000001;
inline constexpr std::uint32_t kStreamChannelsEnabled = 0x50000002;
}  // namespace attr

// The whole table, in ID order.
std::span<const AttributeInfo> Attributes();

// The entry of an ID, or null when the device has no such attribute.
const AttributeInfo* FindAttribute(std::uint32_t id);

// Whether a channel name addresses a channel of the scope. Names are the
// canonical ones: "AI" or a stream number in decimal without leading zeros.
bool InScope(Scope scope, std::string_view channel);

// The stream number of a stream channel name; -1 for any other name.
int StreamNumber(std::string_view channel);

// The power-on value of an attribute on a channel of its scope.
Value DefaultValue(const AttributeInfo& info, std::string_view channel);

// Whether a wire type may carry the attribute's type. Int32 and UInt64
// attributes also travel as u32 (type 4), zero-extended in the u64 field.
bool WireTypeFits(AttrType type, WireType wire);

}  // namespace vodev
