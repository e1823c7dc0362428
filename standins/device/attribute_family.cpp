// The attribute family (0x102): get 721, set 722, reset 723, query 724.
//
// Attribute request record, 284 bytes: header (family, three zero words),
// command at 16, attribute ID at 20, wire type at 24, channel name at 28 (256
// bytes, NUL-terminated). A set appends the 281-byte value block at 284: f64
// at 0, i64 at 8, u64 at 16, text at 24 (256 bytes), boolean byte at 280. A
// get answers with the value block; a query with one byte.
#include <algorithm>
#include <cstring>
#include <string>

#include "model.h"

namespace vodev {
namespace {

constexpr std::uint32_t kCommandGet = 721;
constexpr std::uint32_t kCommandSet = 722;
constexpr std::uint32_t kCommandReset = 723;
constexpr std::uint32_t kCommandQuery = 724;

constexpr std::size_t kRecordSize = 284;
constexpr std::size_t kValueBlockSize = 281;
constexpr std::size_t kSetRecordSize = kRecordSize + kValueBlockSize;

constexpr std::size_t kIdOffset = 20;
constexpr std::size_t kTypeOffset = 24;
constexpr std::size_t kNameOffset = 28;
constexpr std::size_t kNameSize = 256;

constexpr std::size_t kF64Field = 0;
constexpr std::size_t kI64Field = 8;
constexpr std::size_t kU64Field = 16;
constexpr std::size_t kTextField = 24;
constexpr std::size_t kTextSize = 256;
constexpr std::size_t kBooleanField = 280;

bool IsKnownWireType(std::uint32_t type) { return type <= 6 && type != 3; }

// The value a set request carries in the field of its wire type. A u32 comes
// as the low half of the u64 field.
Value DecodeValue(Bytes block, WireType wire) {
  switch (wire) {
    case WireType::kBoolean:
      return *Load<std::uint8_t>(block, kBooleanField) != 0;
    case WireType::kF64:
      return *Load<double>(block, kF64Field);
    case WireType::kI32:
      return static_cast<std::int32_t>(*Load<std::int64_t>(block, kI64Field));
    case WireType::kU32:
      return std::uint64_t{static_cast<std::uint32_t>(*Load<std::uint64_t>(block, kU64Field))};
    case WireType::kU64:
      return *Load<std::uint64_t>(block, kU64Field);
    case WireType::kString:
      return *LoadText(block, kTextField, kTextSize, false);
  }
  return false;
}

// JSON text of a value for error contexts; 64-bit integers travel as decimal
// strings so that no digit is lost to a floating-point reader.
std::string ValueJson(const Value& value, WireType wire) {
  if (const auto* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
  if (const auto* d = std::get_if<double>(&value)) return JsonNumber(*d);
  if (const auto* i = std::get_if<std::int32_t>(&value)) return std::to_string(*i);
  if (const auto* u = std::get_if<std::uint64_t>(&value)) {
    return wire == WireType::kU32 ? std::to_string(*u) : JsonString(std::to_string(*u));
  }
  return JsonString(std::get<std::string>(value));
}

// The value to store for an attribute from the value a request carried.
Value ToAttributeType(const Value& value, AttrType type) {
  if (type == AttrType::kInt32) {
    if (const auto* u = std::get_if<std::uint64_t>(&value)) {
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(*u));
    }
  }
  return value;
}

bool IsValid(const AttributeInfo& info, const Value& value) {
  if (!info.enumValues.empty()) {
    std::int32_t v = std::get<std::int32_t>(value);
    for (std::int32_t allowed : info.enumValues) {
      if (allowed == v) return true;
    }
    return false;
  }
  if (info.id == attr::kAiRange) {
    double range = std::get<double>(value);
    return range > 0.0 && range <= 1e6;
  }
  if (info.id == attr::kSampleClockTimebaseRate) {
    double rate = std::get<double>(value);
    return rate > 0.0 && rate <= 10e9;
  }
  if (info.id == attr::kAdcClockDivisor) return std::get<std::int32_t>(value) >= 1;
  return true;
}

void EncodeValue(std::uint8_t* block, const Value& value, WireType wire) {
  std::memset(block, 0, kValueBlockSize);
  switch (wire) {
    case WireType::kBoolean:
      block[kBooleanField] = std::get<bool>(value) ? 1 : 0;
      break;
    case WireType::kF64:
      Store(block, kF64Field, std::get<double>(value));
      break;
    case WireType::kI32:
      Store(block, kI64Field, std::int64_t{std::get<std::int32_t>(value)});
      break;
    case WireType::kU32: {
      std::uint32_t low = std::holds_alternative<std::int32_t>(value)
                              ? static_cast<std::uint32_t>(std::get<std::int32_t>(value))
                              : static_cast<std::uint32_t>(std::get<std::uint64_t>(value));
      Store(block, kU64Field, std::uint64_t{low});
      break;
    }
    case WireType::kU64:
      Store(block, kU64Field, std::get<std::uint64_t>(value));
      break;
    case WireType::kString: {
      const auto& text = std::get<std::string>(value);
      std::memcpy(block + kTextField, text.data(), std::min(text.size(), kTextSize));
      break;
    }
  }
}

}  // namespace

Value CurrentValue(const Device& device, const AttributeInfo& info, const std::string& channel) {
  switch (info.id) {
    case attr::kAiScalingGain: {
      // The gain follows the channel's range: one code of the converter.
      const AttributeInfo* range = FindAttribute(attr::kAiRange);
      return std::get<double>(CurrentValue(device, *range, channel)) / kAdcFullScaleCode;
    }
    case attr::kAdcSampleRate:
      return SampleRate(device);
    case attr::kSampleDt:
      return 1.0 / SampleRate(device);
    case attr::kIoReady:
      return IoReady(device);  // follows the last commit (maintenance.cpp)
    default:
      break;
  }
  auto it = device.values.find({info.id, channel});
  return it != device.values.end() ? it->second : DefaultValue(info, channel);
}

double SampleRate(const Device& device) {
  constexpr double kInternalRate = 250e6;
  const bool external = AttributeValue<std::int32_t>(device, attr::kSampleClockSource, "") == 1;
  const double timebase =
      external ? AttributeValue<double>(device, attr::kSampleClockTimebaseRate, "") : kInternalRate;
  // Both are checked when written: the divisor is at least 1, the rate
  // above 0.
  return timebase / AttributeValue<std::int32_t>(device, attr::kAdcClockDivisor, "");
}

std::int32_t HandleAttributeFamily(Request& request, std::uint32_t command) {
  if (command < kCommandGet || command > kCommandQuery) return VODEV_E_UNSUPPORTED_COMMAND;
  std::size_t expected = command == kCommandSet ? kSetRecordSize : kRecordSize;
  if (request.input.size() != expected) return VODEV_E_BAD_REQUEST_SIZE;
  for (std::size_t word = 4; word < 16; word += 4) {
    if (*Load<std::uint32_t>(request.input, word) != 0) return VODEV_E_MALFORMED_REQUEST;
  }
  const std::uint32_t id = *Load<std::uint32_t>(request.input, kIdOffset);
  const std::uint32_t type = *Load<std::uint32_t>(request.input, kTypeOffset);
  request.detail.attributeId = id;
  auto channel = LoadText(request.input, kNameOffset, kNameSize, true);
  if (!channel) return VODEV_E_MALFORMED_REQUEST;
  request.detail.channel = *channel;
  const AttributeInfo* info = FindAttribute(id);

  if (command == kCommandQuery) {
    if (request.outputSize < 1) return VODEV_E_RESPONSE_TOO_SMALL;
    request.output[0] = info != nullptr && InScope(info->scope, *channel) ? 1 : 0;
    return VODEV_SUCCESS;
  }

  const auto wire = static_cast<WireType>(type);
  std::optional<Value> requested;
  if (command == kCommandSet && IsKnownWireType(type)) {
    requested = DecodeValue(request.input.subspan(kRecordSize), wire);
    request.detail.valueJson = ValueJson(*requested, wire);
    if (info != nullptr && !info->enumValues.empty()) request.detail.valueEnumId = id;
  }
  if (info == nullptr) return VODEV_E_UNKNOWN_ATTRIBUTE;
  if (!InScope(info->scope, *channel)) return VODEV_E_CHANNEL_OUT_OF_SCOPE;
  bool typeFits = IsKnownWireType(type) && WireTypeFits(info->type, wire);

  switch (command) {
    case kCommandGet:
      if (!typeFits) return VODEV_E_WRONG_VALUE_TYPE;
      if (request.outputSize < kValueBlockSize) return VODEV_E_RESPONSE_TOO_SMALL;
      EncodeValue(request.output, CurrentValue(request.device, *info, *channel), wire);
      return VODEV_SUCCESS;
    case kCommandSet: {
      if (!typeFits) return VODEV_E_WRONG_VALUE_TYPE;
      if (info->readOnly) return VODEV_E_READ_ONLY_ATTRIBUTE;
      Value value = ToAttributeType(*requested, info->type);
      if (!IsValid(*info, value)) return VODEV_E_INVALID_VALUE;
      request.device.values[{id, *channel}] = std::move(value);
      return VODEV_SUCCESS;
    }
    default:  // reset
      if (info->readOnly) return VODEV_E_READ_ONLY_ATTRIBUTE;
      request.device.values.erase({id, *channel});
      return VODEV_SUCCESS;
  }
}

}  // namespace vodev
