#include "api/triggers.h"

#include <cstring>

#include "api/attributes.h"
#include "api/channel_list.h"
#include "api/step_status.h"
#include "api/streams.h"
#include "status/codes.h"

namespace voapi {
namespace {

constexpr uint32_t kAttrStartTriggerType = 0x10000009;
constexpr uint32_t kAttrDigitalStartTriggerSource = 0x30000000;
constexpr uint32_t kAttrStartTriggerSensitivity = 0x10000016;
constexpr uint32_t kAttrAnalogEdgeTriggerLevel = 0x20000002;
constexpr uint32_t kAttrAnalogEdgeTriggerHysteresis = 0x20000003;
constexpr uint32_t kAttrAnalogEdgeTriggerRising = 0x40000002;
constexpr uint32_t kAttrAnalogEdgeTriggerChannel = 0x10000008;
constexpr uint32_t kAttrAiChannelCount = 0x1000000F;

constexpr char kDioSource[] = "DIO";

int32_t writeTriggerType(uint32_t session, const char* streamName, StartTriggerType type) {
  return WriteAttributeInt32(session, kAttrStartTriggerType, streamName,
                             static_cast<int32_t>(type));
}

// The analog-input number of a channel list naming exactly one analog input
// that the device has, or a negative status.
int32_t analogTriggerChannel(uint32_t session, const char* channel, int32_t& number) {
  ChannelNameList names;
  if (const int32_t status = ParseChannelList(channel, 0, names); status < 0) return status;
  if (names.size() > 1) return kChannelListFull;
  if (names.empty()) return kChannelNumberTooLarge;
  uint32_t parsed = 0;
  if (!MatchAnalogInputName(names[0], &parsed) || static_cast<int32_t>(parsed) < 0)
    return kChannelNumberTooLarge;
  number = static_cast<int32_t>(parsed);

  // Devices differ in their number of inputs. A count the device cannot
  // report (or reports as 0) leaves the check to the device itself.
  int32_t count = 0;
  if (ReadAttributeInt32(session, nullptr, kAttrAiChannelCount, &count) == 0 && count != 0 &&
      number >= count)
    return kChannelNumberTooLarge;
  return 0;
}

}  // namespace

int32_t ConfigureImmediateTrigger(uint32_t session, uint32_t stream) noexcept {
  const char* streamName = StreamChannelName(stream);
  if (!streamName) return kInvalidStreamNumber;
  return writeTriggerType(session, streamName, StartTriggerType::kImmediate);
}

int32_t ConfigureDigitalStartTrigger(uint32_t session, uint32_t stream, const char* source,
                                     int32_t sensitivity) noexcept {
  const char* streamName = StreamChannelName(stream);
  if (!streamName) return kInvalidStreamNumber;
  if (!source) return voerr::kInvalidParameter;
  const bool dio = std::strcmp(source, kDioSource) == 0;
  StepStatus steps;
  steps.add(writeTriggerType(session, streamName,
                             dio ? StartTriggerType::kDio : StartTriggerType::kDigital)) &&
      steps.add(WriteAttributeString(session, kAttrDigitalStartTriggerSource, streamName,
                                     dio ? "" : source)) &&
      steps.add(
          WriteAttributeInt32(session, kAttrStartTriggerSensitivity, streamName, sensitivity));
  return steps.result();
}

int32_t ConfigureAnalogEdgeTrigger(uint32_t session, uint32_t stream, const char* channel,
                                   int32_t slope, double level, double hysteresis) noexcept {
  int32_t number = 0;
  if (const int32_t status = analogTriggerChannel(session, channel, number); status < 0)
    return status;
  const char* streamName = StreamChannelName(stream);
  if (!streamName) return kInvalidStreamNumber;

  // Every write goes to the given stream, and a half-configured trigger is
  // reported at its first non-zero status, warnings included.
  int32_t status = writeTriggerType(session, streamName, StartTriggerType::kAnalog);
  if (status == 0)
    status = WriteAttributeDouble(session, kAttrAnalogEdgeTriggerLevel, streamName, level);
  if (status == 0)
    status =
        WriteAttributeDouble(session, kAttrAnalogEdgeTriggerHysteresis, streamName, hysteresis);
  if (status == 0)
    status = WriteAttributeBoolean(session, kAttrAnalogEdgeTriggerRising, streamName, slope != 0);
  if (status == 0)
    status = WriteAttributeInt32(session, kAttrAnalogEdgeTriggerChannel, streamName, number);
  return status;
}

}  // namespace voapi
