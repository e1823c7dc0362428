#include "attribute_table.h"

#include <fmt/core.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "failure.h"
#include "votarsinapi.h"

namespace tarsin {
namespace {

/* clang-format off */
constexpr EnumValue kTriggerTypes[] = {
    {0, "Immediate"}, {1, "Digital"}, {2, "User"}, {3, "DIO"}, {4, "Analog"}};
constexpr EnumValue kRefClockSources[] = {
    {VOTARSIN_REF_CLOCK_DEFAULT, "Default"}, {VOTARSIN_REF_CLOCK_ONBOARD, "Onboard"},
    {VOTARSIN_REF_CLOCK_PXI_CLK10, "PXI_Clk10"}, {VOTARSIN_REF_CLOCK_EXTERNAL, "External"}};
constexpr EnumValue kCouplings[] = {{0, "AC"}, {1, "DC"}};
constexpr EnumValue kSampleClockSources[] = {{0, "Internal"}, {1, "Front Panel"}};
constexpr EnumValue kSensitivities[] = {
    {VOTARSIN_SENSITIVITY_LOW_LEVEL, "Low Level"}, {VOTARSIN_SENSITIVITY_HIGH_LEVEL, "High Level"},
    {VOTARSIN_SENSITIVITY_FALLING_EDGE, "Falling Edge"},
    {VOTARSIN_SENSITIVITY_RISING_EDGE, "Rising Edge"}};

using enum AttrType;
constexpr Scope D = Scope::Device, AI = Scope::AI, S = Scope::Stream;
constexpr bool RO = false, RW = true;

const Attribute kAttributes[] = {
    {VOTARSIN_ATTR_CHANNELS_IN_STREAM, "Channels In Stream", Int32, S, RW, "", {}},
    {VOTARSIN_ATTR_SAMPLES_PER_CLOCK, "Samples Per Clock", Int32, D, RO, "", {}},
    {VOTARSIN_ATTR_ADC_RESOLUTION, "ADC Resolution", Int32, D, RO, "bits", {}},
    {VOTARSIN_ATTR_ADC_SAMPLE_CONTAINER, "ADC Sample Container", Int32, D, RO, "bits", {}},
    {VOTARSIN_ATTR_SYNQ_SESSION_REFERENCE, "Synq Session Reference", Int32, D, RW, "", {}},
    {VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_CHANNEL, "Analog Edge Trigger Channel", Int32, S, RW, "", {}},
    {VOTARSIN_ATTR_START_TRIGGER_TYPE, "Start Trigger Type", Int32, S, RW, "", kTriggerTypes},
    {VOTARSIN_ATTR_REFERENCE_CLOCK_SOURCE, "Reference Clock Source", Int32, D, RW, "", kRefClockSources},
    {VOTARSIN_ATTR_CALIBRATION_STORAGE_SIZE, "Calibration Storage Size", Int32, D, RO, "bytes", {}},
    {VOTARSIN_ATTR_IO_ERROR, "IO Error", Int32, D, RO, "", {}},
    {VOTARSIN_ATTR_AI_NYQUIST_ZONE, "AI Nyquist Zone", Int32, AI, RW, "", {}},
    {VOTARSIN_ATTR_AI_CHANNEL_COUNT, "AI Channel Count", Int32, D, RO, "", {}},
    {VOTARSIN_ATTR_ADC_CLOCK_DIVISOR, "ADC Clock Divisor", Int32, D, RW, "", {}},
    {VOTARSIN_ATTR_AI_COUPLING, "AI Coupling", Int32, AI, RW, "", kCouplings},
    {VOTARSIN_ATTR_PHASE_DAC_VALUE, "Phase DAC Value", Int32, D, RW, "", {}},
    {VOTARSIN_ATTR_SAMPLE_CLOCK_SOURCE, "Sample Clock Source", Int32, D, RW, "", kSampleClockSources},
    {VOTARSIN_ATTR_AI_DECIMATION_FILTER_BAND, "AI Decimation Filter Band", Int32, AI, RW, "", {}},
    {VOTARSIN_ATTR_DATA_CLOCK_DIVISOR, "Data Clock Divisor", Int32, D, RW, "", {}},
    {VOTARSIN_ATTR_START_TRIGGER_SENSITIVITY, "Start Trigger Sensitivity", Int32, S, RW, "", kSensitivities},
    {VOTARSIN_ATTR_IO_MODULE_REF_CLK_PIN_SRC, "IO Module Ref Clk Pin Src", Int32, D, RW, "", {}},
    {VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_LEVEL, "Analog Edge Trigger Level", Double, S, RW, "V", {}},
    {VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_HYSTERESIS, "Analog Edge Trigger Hysteresis", Double, S, RW, "V", {}},
    {VOTARSIN_ATTR_FPGA_TEMPERATURE, "FPGA Temperature", Double, D, RO, "°C", {}},
    {VOTARSIN_ATTR_TOTAL_POWER, "Total Power", Double, D, RO, "W", {}},
    {VOTARSIN_ATTR_12V_POWER, "12V Power", Double, D, RO, "W", {}},
    {VOTARSIN_ATTR_3V3_POWER, "3V3 Power", Double, D, RO, "W", {}},
    {VOTARSIN_ATTR_12V_IO_POWER, "12V IO Power", Double, D, RO, "W", {}},
    {VOTARSIN_ATTR_TEMPERATURE_LIMIT, "Temperature Limit", Double, D, RW, "°C", {}},
    {VOTARSIN_ATTR_POWER_LIMIT, "Power Limit", Double, D, RW, "W", {}},
    {VOTARSIN_ATTR_CALIBRATION_TEMPERATURE, "Calibration Temperature", Double, D, RO, "°C", {}},
    {VOTARSIN_ATTR_VERIFICATION_TEMPERATURE, "Verification Temperature", Double, D, RO, "°C", {}},
    {VOTARSIN_ATTR_AI_IMPEDANCE, "AI Impedance", Double, AI, RW, "Ω", {}},
    {VOTARSIN_ATTR_AI_RANGE, "AI Range", Double, AI, RW, "V", {}},
    {VOTARSIN_ATTR_AI_SCALING_GAIN, "AI Scaling Gain", Double, AI, RO, "V/code", {}},
    {VOTARSIN_ATTR_AI_SCALING_OFFSET, "AI Scaling Offset", Double, AI, RO, "V", {}},
    {VOTARSIN_ATTR_SAMPLE_DT, "Sample dt", Double, D, RO, "s", {}},
    {VOTARSIN_ATTR_DIO_VOLTAGE, "DIO Voltage", Double, D, RW, "V", {}},
    {VOTARSIN_ATTR_DATA_CLOCK_RATE, "Data Clock Rate", Double, D, RO, "Hz", {}},
    {VOTARSIN_ATTR_ADC_SAMPLE_RATE, "ADC Sample Rate", Double, D, RO, "S/s", {}},
    {VOTARSIN_ATTR_SAMPLE_CLOCK_TIMEBASE_RATE, "Sample Clock Timebase Rate", Double, D, RW, "Hz", {}},
    {VOTARSIN_ATTR_REFERENCE_CLOCK_RATE, "Reference Clock Rate", Double, D, RW, "Hz", {}},
    {VOTARSIN_ATTR_DATA_DELAY, "Data Delay", Double, D, RW, "s", {}},
    {VOTARSIN_ATTR_DIGITAL_START_TRIGGER_SOURCE, "Digital Start Trigger Source", String, S, RW, "", {}},
    {VOTARSIN_ATTR_STREAM_FIFO_NAME, "Stream FIFO Name", String, S, RO, "", {}},
    {VOTARSIN_ATTR_START_TRIGGER_OUTPUT_TERMINAL, "Start Trigger Output Terminal", String, S, RW, "", {}},
    {VOTARSIN_ATTR_PHASE_DAC_CALIBRATION_POLYNOMIAL, "Phase DAC Calibration Polynomial", String, D, RW, "", {}},
    {VOTARSIN_ATTR_TDC_CALIBRATION_POLYNOMIAL, "TDC Calibration Polynomial", String, D, RW, "", {}},
    {VOTARSIN_ATTR_ROUTING_ALIAS, "Routing Alias", String, D, RW, "", {}},
    {VOTARSIN_ATTR_START_TRIGGER_FOR_SYNQ_OUTPUT_TERMINAL, "Start Trigger for Synq Output Terminal", String, D, RW, "", {}},
    {VOTARSIN_ATTR_STREAM_FINITE, "Stream Finite", Boolean, S, RW, "", {}},
    {VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_RISING, "Analog Edge Trigger Rising", Boolean, S, RW, "", {}},
    {VOTARSIN_ATTR_IO_READY, "IO Ready", Boolean, D, RO, "", {}},
    {VOTARSIN_ATTR_IOC_FILTER_ENABLE, "IOC Filter Enable", Boolean, D, RW, "", {}},
    {VOTARSIN_ATTR_INTERNAL_SYNC_BYPASS_CAL, "Internal Sync Bypass Cal", Boolean, D, RW, "", {}},
    {VOTARSIN_ATTR_STREAM_NUMBER_OF_SAMPLES, "Stream Number Of Samples", UInt64, S, RW, "", {}},
    {VOTARSIN_ATTR_STREAM_FIFO_SIZE, "Stream FIFO Size", UInt64, S, RW, "", {}},
    {VOTARSIN_ATTR_STREAM_CHANNELS_ENABLED, "Stream Channels Enabled", UInt64, S, RW, "", {}},
    {VOTARSIN_ATTR_CALIBRATION_DATE_TIME, "Calibration Date/Time", UInt64, D, RO, "", {}},
    {VOTARSIN_ATTR_VERIFICATION_DATE_TIME, "Verification Date/Time", UInt64, D, RO, "", {}},
    {VOTARSIN_ATTR_INTERNAL_SCALING_COEF_PTR, "Internal Scaling Coef Ptr", UInt64, D, RO, "", {}},
};
/* clang-format on */

// Whole text as an integer of type T, decimal or 0x-hexadecimal.
template <typename T>
std::optional<T> ParseInteger(std::string_view text) {
  int base = 10;
  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.remove_prefix(1);
  }
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  uint64_t magnitude = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
  if (negative) {
    if (!std::is_signed_v<T> || magnitude > uint64_t(std::numeric_limits<T>::max()) + 1) return {};
    return T(-int64_t(magnitude));
  }
  if (magnitude > uint64_t(std::numeric_limits<T>::max())) return {};
  return T(magnitude);
}

[[noreturn]] void WrongValue(const Attribute& attribute, std::string_view text,
                             const std::string& expected) {
  throw UsageError(fmt::format("{}: '{}' is not {}", attribute.name, text, expected));
}

int32_t ParseEnumerated(const Attribute& attribute, std::string_view text) {
  if (auto number = ParseInteger<int32_t>(text)) return *number;
  const std::string key = NormalizedName(text);
  const EnumValue* found = nullptr;
  int matches = 0;
  for (const EnumValue& value : attribute.values) {
    const std::string name = NormalizedName(value.name);
    if (name == key) return value.value;
    if (!key.empty() && name.starts_with(key)) {
      found = &value;
      ++matches;
    }
  }
  if (matches == 1) return found->value;
  std::string names;
  for (const EnumValue& value : attribute.values)
    names += fmt::format("{}'{}'", names.empty() ? "" : ", ", value.name);
  WrongValue(attribute, text, "an integer or one of " + names);
}

}  // namespace

std::span<const Attribute> Attributes() { return kAttributes; }

const char* TypeName(AttrType type) {
  switch (type) {
    case AttrType::Int32:
      return "Int32";
    case AttrType::Double:
      return "Double";
    case AttrType::String:
      return "String";
    case AttrType::Boolean:
      return "Boolean";
    case AttrType::UInt64:
      return "UInt64";
  }
  return "?";
}

const char* ScopeName(Scope scope) {
  switch (scope) {
    case Scope::Device:
      return "device";
    case Scope::AI:
      return "AI";
    case Scope::Stream:
      return "stream";
    case Scope::Unknown:
      return "?";
  }
  return "?";
}

std::optional<AttrType> TypeOfId(uint32_t id) {
  if ((id & 0xFFFFu) == 0xFFFFu || (id & 0x0FFF0000u) != 0) return {};
  switch (id >> 28) {
    case 1:
      return AttrType::Int32;
    case 2:
      return AttrType::Double;
    case 3:
      return AttrType::String;
    case 4:
      return AttrType::Boolean;
    case 5:
      return AttrType::UInt64;
    default:
      return {};
  }
}

std::string NormalizedName(std::string_view name) {
  std::string result;
  for (unsigned char c : name)
    if (std::isalnum(c)) result += char(std::tolower(c));
  return result;
}

std::string ShellName(const Attribute& attribute) {
  std::string result;
  for (unsigned char c : std::string_view(attribute.name)) {
    if (std::isalnum(c))
      result += char(std::tolower(c));
    else if (!result.empty() && result.back() != '-')
      result += '-';
  }
  while (!result.empty() && result.back() == '-') result.pop_back();
  return result;
}

Attribute FindAttribute(std::string_view key) {
  if (key.starts_with("0x") || key.starts_with("0X")) {
    const auto id = ParseInteger<uint32_t>(key);
    if (!id) throw UsageError(fmt::format("'{}' is not a 32-bit hexadecimal attribute ID", key));
    for (const Attribute& attribute : kAttributes)
      if (attribute.id == *id) return attribute;
    const auto type = TypeOfId(*id);
    if (!type) throw UsageError(fmt::format("{} is outside every attribute ID range", key));
    // The library sends any ID of a valid range; the device decides. One
    // lookup per run, so one name buffer serves.
    static std::string unlisted;
    unlisted = fmt::format("attribute {:#010x}", *id);
    return Attribute{*id, unlisted.c_str(), *type, Scope::Unknown, true, "", {}};
  }
  const std::string wanted = NormalizedName(key);
  std::vector<const Attribute*> matches;
  for (const Attribute& attribute : kAttributes) {
    const std::string name = NormalizedName(attribute.name);
    if (name == wanted) return attribute;
    if (!wanted.empty() && name.starts_with(wanted)) matches.push_back(&attribute);
  }
  if (matches.size() == 1) return *matches.front();
  if (matches.empty())
    throw UsageError(fmt::format("unknown attribute '{}' (see 'tarsin attr list')", key));
  std::string names;
  for (const Attribute* match : matches)
    names += fmt::format("{}'{}'", names.empty() ? "" : ", ", match->name);
  throw UsageError(fmt::format("attribute '{}' is ambiguous: {}", key, names));
}

Value ParseValue(const Attribute& attribute, std::string_view text) {
  Value value;
  switch (attribute.type) {
    case AttrType::Int32:
      if (!attribute.values.empty()) {
        value.integer = ParseEnumerated(attribute, text);
      } else if (auto number = ParseInteger<int32_t>(text)) {
        value.integer = *number;
      } else {
        WrongValue(attribute, text, "a 32-bit integer");
      }
      break;
    case AttrType::UInt64:
      if (auto number = ParseInteger<uint64_t>(text))
        value.unsignedValue = *number;
      else
        WrongValue(attribute, text, "an unsigned 64-bit integer");
      break;
    case AttrType::Double: {
      const std::string copy(text);
      char* end = nullptr;
      errno = 0;
      value.real = std::strtod(copy.c_str(), &end);
      if (copy.empty() || *end != '\0' || errno == ERANGE) WrongValue(attribute, text, "a number");
      break;
    }
    case AttrType::Boolean: {
      const std::string word = NormalizedName(text);
      if (word == "1" || word == "true" || word == "on" || word == "yes")
        value.integer = 1;
      else if (word == "0" || word == "false" || word == "off" || word == "no")
        value.integer = 0;
      else
        WrongValue(attribute, text, "a boolean (true/false, 1/0, on/off)");
      break;
    }
    case AttrType::String:
      if (text.size() > 256) WrongValue(attribute, text, "a text of at most 256 bytes");
      value.text = text;
      break;
  }
  return value;
}

}  // namespace tarsin
