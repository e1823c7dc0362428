#include "device.h"

#include <fmt/chrono.h>
#include <fmt/core.h>

#include <ctime>

#include "failure.h"

namespace tarsin {

Device::Device(const std::string& resource) : resource_(resource) {
  tarsin::Check(0, voTarsin_OpenSession(resource.c_str(), nullptr, 0, &session_),
                "opening " + resource);
  if (!simulated()) return;
  // Session 0 binds the simulation library without restarting the device.
  Check(voTarsin_RestartSimulation(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
        "binding the simulation library");
}

Device::~Device() {
  const int32_t status = voTarsin_CloseSession(session_, 0);
  if (status != 0)
    PrintError(fmt::format("{}closing {}: {} (status {})", status > 0 ? "warning: " : "", resource_,
                           ErrorText(session_, status), status));
}

void Device::Restart(uint32_t seed) {
  Check(voTarsin_RestartSimulation(session_, seed, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
        fmt::format("restarting {} with seed {}", resource_, seed));
}

void Device::Check(int32_t status, const std::string& what) const {
  tarsin::Check(session_, status, what);
}

namespace {

std::string Int32Text(const Attribute& attribute, int32_t value) {
  for (const EnumValue& named : attribute.values)
    if (named.value == value) return fmt::format("{} ({})", value, named.name);
  return fmt::format("{}", value);
}

bool IsDateTime(uint32_t id) {
  return id == VOTARSIN_ATTR_CALIBRATION_DATE_TIME || id == VOTARSIN_ATTR_VERIFICATION_DATE_TIME;
}

}  // namespace

std::string ReadValue(const Device& device, const Attribute& attribute, const std::string& channel,
                      bool withUnit) {
  const Session session = device.session();
  const char* name = channel.c_str();
  const auto WithUnit = [&](const std::string& number, const Attribute& attribute) {
    return withUnit && *attribute.unit ? number + " " + attribute.unit : number;
  };
  const std::string what =
      fmt::format("reading {}{}", attribute.name, channel.empty() ? "" : " of channel " + channel);
  switch (attribute.type) {
    case AttrType::Int32: {
      int32_t value = 0;
      device.Check(voTarsin_GetAttributeInt32(session, name, attribute.id, &value), what);
      return WithUnit(Int32Text(attribute, value), attribute);
    }
    case AttrType::UInt64: {
      uint64_t value = 0;
      device.Check(voTarsin_GetAttributeUInt64(session, name, attribute.id, &value), what);
      if (IsDateTime(attribute.id) && value > 0 && value < (uint64_t(1) << 40))
        return fmt::format("{} ({:%Y-%m-%d %H:%M:%S} UTC)", value, fmt::gmtime(std::time_t(value)));
      if (attribute.id == VOTARSIN_ATTR_STREAM_CHANNELS_ENABLED ||
          attribute.id == VOTARSIN_ATTR_INTERNAL_SCALING_COEF_PTR)
        return fmt::format("{:#x}", value);
      return WithUnit(fmt::format("{}", value), attribute);
    }
    case AttrType::Double: {
      double value = 0;
      device.Check(voTarsin_GetAttributeDouble(session, name, attribute.id, &value), what);
      const std::string_view unit = attribute.unit;
      if (withUnit && (unit == "Hz" || unit == "S/s") && value >= 1e3)
        return value >= 1e6 ? fmt::format("{} M{}", value / 1e6, unit)
                            : fmt::format("{} k{}", value / 1e3, unit);
      return WithUnit(fmt::format("{}", value), attribute);
    }
    case AttrType::String: {
      char text[260] = "";
      device.Check(voTarsin_GetAttributeString(session, name, attribute.id, sizeof text - 1, text),
                   what);
      return fmt::format("\"{}\"", text);
    }
    case AttrType::Boolean: {
      uint32_t value = 0;
      device.Check(voTarsin_GetAttributeBoolean(session, name, attribute.id, &value), what);
      return value ? "true" : "false";
    }
  }
  return {};
}

void WriteValue(const Device& device, const Attribute& attribute, const std::string& channels,
                const Value& value) {
  const Session session = device.session();
  const char* list = channels.c_str();
  const std::string what =
      fmt::format("writing {}{}", attribute.name, channels.empty() ? "" : " of " + channels);
  int32_t status = 0;
  switch (attribute.type) {
    case AttrType::Int32:
      status = voTarsin_SetAttributeInt32(session, list, attribute.id, int32_t(value.integer));
      break;
    case AttrType::UInt64:
      status = voTarsin_SetAttributeUInt64(session, list, attribute.id, value.unsignedValue);
      break;
    case AttrType::Double:
      status = voTarsin_SetAttributeDouble(session, list, attribute.id, value.real);
      break;
    case AttrType::String:
      status = voTarsin_SetAttributeString(session, list, attribute.id, value.text.c_str());
      break;
    case AttrType::Boolean:
      status = voTarsin_SetAttributeBoolean(session, list, attribute.id, uint32_t(value.integer));
      break;
  }
  device.Check(status, what);
}

}  // namespace tarsin
