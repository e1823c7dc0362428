#include "attributes.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace vodev {
namespace {

constexpr std::int32_t kStartTriggerTypes[] = {0, 1, 2, 3, 4};
constexpr std::int32_t kReferenceClockSources[] = {0, 1, 2, 3};
constexpr std::int32_t kCouplings[] = {0, 1};
constexpr std::int32_t kSampleClockSources[] = {0, 1};
constexpr std::int32_t kSensitivities[] = {0x7FFFFFFC, 0x7FFFFFFD, 0x7FFFFFFE, 0x7FFFFFFF};
constexpr std::int32_t kTriggerChannels[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

using S = Scope;
constexpr bool RO = true;
constexpr bool RW = false;

constexpr AttributeInfo Int(std::uint32_t id, const char* name, Scope scope, bool readOnly,
                            std::int64_t value, std::span<const std::int32_t> values = {}) {
  return {id, name, AttrType::kInt32, scope, readOnly, value, 0.0, "", values};
}
constexpr AttributeInfo Dbl(std::uint32_t id, const char* name, Scope scope, bool readOnly,
                            double value) {
  return {id, name, AttrType::kDouble, scope, readOnly, 0, value, "", {}};
}
constexpr AttributeInfo Str(std::uint32_t id, const char* name, Scope scope, bool readOnly,
                            const char* value) {
  return {id, name, AttrType::kString, scope, readOnly, 0, 0.0, value, {}};
}
constexpr AttributeInfo Bool(std::uint32_t id, const char* name, Scope scope, bool readOnly,
                             bool value) {
  return {id, name, AttrType::kBoolean, scope, readOnly, value ? 1 : 0, 0.0, "", {}};
}
constexpr AttributeInfo U64(std::uint32_t id, const char* name, Scope scope, bool readOnly,
                            std::int64_t value) {
  return {id, name, AttrType::kUInt64, scope, readOnly, value, 0.0, "", {}};
}

// Scopes, access and defaults are described for users in README.md; keep the
// two in step.
constexpr std::array kTable = {
    Int(0x10000000, "Channels In Stream", S::kStream, RW, 1),
    Int(0x10000001, "Samples Per Clock", S::kDevice, RO, 4),
    Int(0x10000005, "ADC Resolution", S::kDevice, RO, kAdcResolutionBits),
    Int(0x10000006, "ADC Sample Container", S::kDevice, RO, 16),
    Int(0x10000007, "Synq Session Reference", S::kDevice, RW, 0),
    Int(0x10000008, "Analog Edge Trigger Channel", S::kStream, RW, 0, kTriggerChannels),
    Int(0x10000009, "Start Trigger Type", S::kStream, RW, 0, kStartTriggerTypes),
    Int(0x1000000B, "Reference Clock Source", S::kDevice, RW, 0, kReferenceClockSources),
    Int(0x1000000C, "Calibration Storage Size", S::kDevice, RO, 4096),
    Int(0x1000000D, "IO Error", S::kDevice, RO, 0),
    Int(0x1000000E, "AI Nyquist Zone", S::kAiChannel, RW, 1),
    Int(0x1000000F, "AI Channel Count", S::kDevice, RO, kAiChannelCount),
    Int(0x10000010, "ADC Clock Divisor", S::kDevice, RW, 1),
    Int(0x10000011, "AI Coupling", S::kAiChannel, RW, 1, kCouplings),
    Int(0x10000012, "Phase DAC Value", S::kDevice, RW, 0),
    Int(0x10000013, "Sample Clock Source", S::kDevice, RW, 0, kSampleClockSources),
    Int(0x10000014, "AI Decimation Filter Band", S::kAiChannel, RW, 0),
    Int(0x10000015, "Data Clock Divisor", S::kDevice, RW, 4),
    Int(0x10000016, "Start Trigger Sensitivity", S::kStream, RW, 0x7FFFFFFF, kSensitivities),
    Int(0x10000017, "IO Module Ref Clk Pin Src", S::kDevice, RW, 0),
    Dbl(0x20000002, "Analog Edge Trigger Level", S::kStream, RW, 0.0),
    Dbl(0x20000003, "Analog Edge Trigger Hysteresis", S::kStream, RW, 0.0),
    Dbl(0x20000005, "FPGA Temperature", S::kDevice, RO, 45.5),
    Dbl(0x20000006, "Total Power", S::kDevice, RO, 24.5),
    Dbl(0x20000007, "12V Power", S::kDevice, RO, 18.0),
    Dbl(0x20000008, "3V3 Power", S::kDevice, RO, 4.25),
    Dbl(0x20000009, "12V IO Power", S::kDevice, RO, 2.25),
    Dbl(0x2000000A, "Temperature Limit", S::kDevice, RW, 85.0),
    Dbl(0x2000000B, "Power Limit", S::kDevice, RW, 40.0),
    Dbl(0x2000000D, "Calibration Temperature", S::kDevice, RO, 40.0),
    Dbl(0x2000000E, "Verification Temperature", S::kDevice, RO, 41.0),
    Dbl(0x2000000F, "AI Impedance", S::kAiChannel, RW, 50.0),
    Dbl(0x20000010, "AI Range", S::kAiChannel, RW, 1.0),
    Dbl(0x20000011, "AI Scaling Gain", S::kAiChannel, RO, 1.0 / kAdcFullScaleCode),
    Dbl(0x20000012, "AI Scaling Offset", S::kAiChannel, RO, 0.0),
    Dbl(0x20000013, "Sample dt", S::kDevice, RO, 4e-9),
    Dbl(0x20000014, "DIO Voltage", S::kDevice, RW, 3.3),
    Dbl(0x20000015, "Data Clock Rate", S::kDevice, RO, 62.5e6),
    Dbl(0x20000016, "ADC Sample Rate", S::kDevice, RO, 250e6),
    Dbl(0x20000017, "Sample Clock Timebase Rate", S::kDevice, RW, 250e6),
    Dbl(0x20000018, "Reference Clock Rate", S::kDevice, RW, 10e6),
    Dbl(0x20000019, "Data Delay", S::kDevice, RW, 0.0),
    Str(0x30000000, "Digital Start Trigger Source", S::kStream, RW, ""),
    Str(0x30000002, "Stream FIFO Name", S::kStream, RO, ""),
    Str(0x30000003, "Start Trigger Output Terminal", S::kStream, RW, ""),
    Str(0x30000004, "Phase DAC Calibration Polynomial", S::kDevice, RW, "0.0,1.0"),
    Str(0x30000005, "TDC Calibration Polynomial", S::kDevice, RW, "0.0,1.0"),
    Str(0x30000006, "Routing Alias", S::kDevice, RW, ""),
    Str(0x30000007, "Start Trigger for Synq Output Terminal", S::kDevice, RW, ""),
    Bool(0x40000001, "Stream Finite", S::kStream, RW, false),
    Bool(0x40000002, "Analog Edge Trigger Rising", S::kStream, RW, true),
    Bool(0x40000003, "IO Ready", S::kDevice, RO, false),
    Bool(0x40000004, "IOC Filter Enable", S::kDevice, RW, false),
    Bool(0x40000005, "Internal Sync Bypass Cal", S::kDevice, RW, false),
    U64(0x50000000, "Stream Number Of Samples", S::kStream, RW, 1000),
    U64(0x50000001, "Stream FIFO Size", S::kStream, RW, 65536),
    U64(0x50000002, "Stream Channels Enabled", S::kStream, RW, 1),
    U64(0x50000003, "Calibration Date/Time", S::kDevice, RO, 1700000000),
    U64(0x50000004, "Verification Date/Time", S::kDevice, RO, 1700086400),
    U64(0x50000005, "Internal Scaling Coef Ptr", S::kDevice, RO, 0),
};

static_assert(std::is_sorted(kTable.begin(), kTable.end(),
                             [](const AttributeInfo& a, const AttributeInfo& b) {
                               return a.id < b.id;
                             }));

// A decimal number without sign or leading zeros, below limit; -1 otherwise.
int CanonicalNumber(std::string_view text, int limit) {
  if (text.empty() || (text.size() > 1 && text.front() == '0')) return -1;
  int value = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0 || value >= limit) {
    return -1;
  }
  return value;
}

}  // namespace

std::span<const AttributeInfo> Attributes() { return kTable; }

const AttributeInfo* FindAttribute(std::uint32_t id) {
  auto it = std::lower_bound(kTable.begin(), kTable.end(), id,
                             [](const AttributeInfo& a, std::uint32_t key) { return a.id < key; });
  return it != kTable.end() && it->id == id ? &*it : nullptr;
}

int StreamNumber(std::string_view channel) { return CanonicalNumber(channel, kStreamCount); }

bool InScope(Scope scope, std::string_view channel) {
  switch (scope) {
    case Scope::kDevice:
      return channel.empty();
    case Scope::kAiChannel:
      return channel.starts_with("AI") && CanonicalNumber(channel.substr(2), kAiChannelCount) >= 0;
    case Scope::kStream:
      return StreamNumber(channel) >= 0;
  }
  return false;
}

Value DefaultValue(const AttributeInfo& info, std::string_view channel) {
  if (info.id == attr::kStreamFifoName) return "stream" + std::string(channel);
  switch (info.type) {
    case AttrType::kInt32:
      return static_cast<std::int32_t>(info.defaultInt);
    case AttrType::kDouble:
      return info.defaultDouble;
    case AttrType::kString:
      return std::string(info.defaultText);
    case AttrType::kBoolean:
      return info.defaultInt != 0;
    case AttrType::kUInt64:
      return static_cast<std::uint64_t>(info.defaultInt);
  }
  return false;
}

bool WireTypeFits(AttrType type, WireType wire) {
  switch (type) {
    case AttrType::kInt32:
      return wire == WireType::kI32 || wire == WireType::kU32;
    case AttrType::kDouble:
      return wire == WireType::kF64;
    case AttrType::kString:
      return wire == WireType::kString;
    case AttrType::kBoolean:
      return wire == WireType::kBoolean;
    case AttrType::kUInt64:
      return wire == WireType::kU64 || wire == WireType::kU32;
  }
  return false;
}

}  // namespace vodev
