#include "api/streams.h"

#include <bit>

#include "api/attributes.h"
#include "api/channel.h"
#include "api/channel_list.h"
#include "api/step_status.h"
#include "api/stream_records.h"

namespace voapi {
namespace {

constexpr uint32_t kAttrChannelsInStream = 0x10000000;
constexpr uint32_t kAttrStreamChannelsEnabled = 0x50000002;
constexpr uint32_t kAttrStreamFinite = 0x40000001;
constexpr uint32_t kAttrStreamNumberOfSamples = 0x50000000;

int32_t sendStreamCommand(uint32_t session, uint32_t command, uint32_t stream) {
  const StreamRequest request{familyHead(kFamilyStream, command), stream};
  return sendRecord(session, kFnFamilyRequest, request);
}

StreamWaitResponse wait(uint32_t session, uint32_t stream, uint64_t count, uint32_t timeout,
                        int32_t& status) {
  const StreamWaitRequest request{familyHead(kFamilyStream, kCmdStreamWait), stream, count,
                                  timeout};
  StreamWaitResponse response{};
  status = sendRecord(session, kFnFamilyRequest, request, &response, sizeof response);
  return response;
}

}  // namespace

const char* StreamChannelName(uint32_t stream) noexcept {
  return CanonicalChannelName(ChannelKind::kStream, stream);
}

int32_t ConfigureStreamEnabledChannels(uint32_t session, uint32_t stream, const char* channelList,
                                       uint32_t* channelCount) noexcept {
  const char* streamName = StreamChannelName(stream);
  if (!streamName) return kInvalidStreamNumber;
  ChannelNameList names;
  if (const int32_t status = ParseChannelList(channelList, 0, names); status < 0) return status;

  // Only analog inputs can be streamed; the empty name of an empty list is
  // refused here too. A channel named twice is one bit.
  uint64_t mask = 0;
  for (const char* name : names) {
    uint32_t number = 0;
    if (!MatchAnalogInputName(name, &number) || number >= kChannelsPerKind)
      return kChannelNumberTooLarge;
    mask |= uint64_t{1} << number;
  }
  const auto count = static_cast<uint32_t>(std::popcount(mask));
  if (channelCount) *channelCount = count;

  StepStatus steps;
  steps.add(WriteAttributeInt32(session, kAttrChannelsInStream, streamName,
                                static_cast<int32_t>(count))) &&
      steps.add(WriteAttributeUInt64(session, kAttrStreamChannelsEnabled, streamName, mask));
  return steps.result();
}

int32_t ConfigureStreamFinite(uint32_t session, uint32_t stream,
                              uint64_t numberOfSamples) noexcept {
  const char* streamName = StreamChannelName(stream);
  if (!streamName) return kInvalidStreamNumber;
  StepStatus steps;
  steps.add(WriteAttributeBoolean(session, kAttrStreamFinite, streamName, 1)) &&
      steps.add(
          WriteAttributeUInt64(session, kAttrStreamNumberOfSamples, streamName, numberOfSamples));
  return steps.result();
}

int32_t StartStream(uint32_t session, uint32_t stream) noexcept {
  return sendStreamCommand(session, kCmdStreamStart, stream);
}

int32_t ClearStream(uint32_t session, uint32_t stream) noexcept {
  return sendStreamCommand(session, kCmdStreamClear, stream);
}

int32_t WaitForTransfer(uint32_t session, uint32_t stream, uint64_t count, uint32_t timeout,
                        uint64_t* countOut, uint8_t* stateOut) noexcept {
  int32_t status = 0;
  const StreamWaitResponse response = wait(session, stream, count, timeout, status);
  if (countOut) *countOut = response.count;
  if (stateOut) *stateOut = response.state;
  return status;
}

uint8_t QueryStreamState(uint32_t session, uint32_t stream) noexcept {
  int32_t ignored = 0;
  return wait(session, stream, 0, 0, ignored).state;
}

}  // namespace voapi
