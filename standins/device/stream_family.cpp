// The stream family (0x101): clear 272, wait 276, read 277, start 278.
//
// Records (little-endian, packed; header = family word, then three words that
// are zero except in the read request, whose words at 8 and 12 are 1):
//   clear, start  24 bytes: command at 16, stream number (u32) at 20
//   wait          36 bytes: stream at 20, count (u64) at 24, timeout in ms
//                 (u32) at 32; response 9 bytes: samples per channel ready
//                 (u64) at 0, stream state (u8) at 8
//   read          64 bytes: stream at 20, bytes per channel (u64) at 24, rows
//                 (u64) at 32, sample buffer address (u64) at 40, information
//                 records address (u64) at 48, timeout in ms (u32) at 56, data
//                 type (u32: 7 int16, 1 float64) at 60; response 28 bytes
//                 (vodevice_hook.h), one 80-byte information record per row.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "model.h"

namespace vodev {
namespace {

constexpr std::uint32_t kCommandClear = 272;
constexpr std::uint32_t kCommandWait = 276;
constexpr std::uint32_t kCommandRead = 277;
constexpr std::uint32_t kCommandStart = 278;

constexpr std::size_t kStartRecordSize = 24;
constexpr std::size_t kWaitRecordSize = 36;
constexpr std::size_t kReadRecordSize = 64;
constexpr std::size_t kWaitResponseSize = 9;
constexpr std::size_t kReadResponseSize = 28;
constexpr std::size_t kInfoSize = 80;

constexpr std::uint32_t kTypeInt16 = 7;
constexpr std::uint32_t kTypeFloat64 = 1;

constexpr int kTriggerImmediate = 0;
constexpr int kTriggerDigital = 1;
constexpr int kTriggerUser = 2;
constexpr int kTriggerDio = 3;
constexpr int kTriggerAnalog = 4;

constexpr std::uint32_t kReadComplete = 1;
constexpr std::uint32_t kReadIncomplete = 2;

constexpr std::uint64_t kNotTriggered = std::numeric_limits<std::uint64_t>::max();

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return b > std::numeric_limits<std::uint64_t>::max() - a
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

std::string AiName(int channel) { return "AI" + std::to_string(channel); }

// The channel's table for the device's present seed, range and offset.
std::shared_ptr<const ChannelTable> TableFor(Device& device, int channel) {
  const std::string name = AiName(channel);
  const double range = AttributeValue<double>(device, attr::kAiRange, name);
  const double offset = AttributeValue<double>(device, attr::kAiScalingOffset, name);
  auto& cached = device.tables[static_cast<std::size_t>(channel)];
  if (!cached || cached->seed != device.simulationSeed || cached->range != range ||
      cached->offset != offset) {
    cached = BuildChannelTable(channel, device.simulationSeed, range, offset);
  }
  return cached;
}

std::vector<int> MaskChannels(std::uint64_t mask) {
  std::vector<int> channels;
  for (int n = 0; n < kAiChannelCount; ++n) {
    if ((mask >> n) & 1) channels.push_back(n);
  }
  return channels;
}

// The time a continuous, triggered stream needs until `wanted` samples per
// channel are ready, in samples.
std::uint64_t SamplesUntilReady(const Stream& stream, std::uint64_t wanted) {
  const std::uint64_t missing = wanted - stream.Ready();
  const std::uint64_t beforeTrigger =
      stream.elapsed < stream.triggerIndex ? stream.triggerIndex - stream.elapsed : 0;
  return SaturatingAdd(missing, beforeTrigger);
}

std::int32_t Invalid(Request& request, std::uint32_t id, const char* sentence) {
  request.detail.attributeId = id;
  request.detail.elaboration = sentence;
  return VODEV_E_INVALID_VALUE;
}

std::int32_t Start(Request& request, std::uint32_t number) {
  Device& device = request.device;
  const std::string name = std::to_string(number);
  Stream next;
  next.started = true;
  const auto mask = AttributeValue<std::uint64_t>(device, attr::kStreamChannelsEnabled, name);
  if (mask == 0 || (mask >> kAiChannelCount) != 0) {
    return Invalid(request, attr::kStreamChannelsEnabled,
                   "The stream's enabled channels must name one or more of AI0 to AI15.");
  }
  next.channels = MaskChannels(mask);
  next.finite = AttributeValue<bool>(device, attr::kStreamFinite, name);
  next.samples = AttributeValue<std::uint64_t>(device, attr::kStreamNumberOfSamples, name);
  if (next.finite && next.samples == 0) {
    return Invalid(request, attr::kStreamNumberOfSamples,
                   "A finite stream needs at least one sample.");
  }
  next.fifoSize = AttributeValue<std::uint64_t>(device, attr::kStreamFifoSize, name);
  if (!next.finite && next.fifoSize == 0) {
    return Invalid(request, attr::kStreamFifoSize, "A continuous stream needs a FIFO.");
  }
  next.rate = SampleRate(device);

  const auto type = AttributeValue<std::int32_t>(device, attr::kStartTriggerType, name);
  EdgeTrigger edge;
  int edgeChannel = 0;
  switch (type) {
    case kTriggerImmediate:
      break;
    case kTriggerDigital:
    case kTriggerUser:
      next.triggerTerminal =
          AttributeValue<std::string>(device, attr::kDigitalStartTriggerSource, name);
      if (next.triggerTerminal.empty()) {
        return Invalid(request, attr::kDigitalStartTriggerSource,
                       "A digital start trigger needs a source terminal.");
      }
      break;
    case kTriggerDio:
      next.triggerTerminal = kDioTerminal;
      break;
    case kTriggerAnalog:
      edgeChannel = AttributeValue<std::int32_t>(device, attr::kAnalogEdgeTriggerChannel, name);
      edge.level = AttributeValue<double>(device, attr::kAnalogEdgeTriggerLevel, name);
      edge.hysteresis = AttributeValue<double>(device, attr::kAnalogEdgeTriggerHysteresis, name);
      edge.rising = AttributeValue<bool>(device, attr::kAnalogEdgeTriggerRising, name);
      if (!std::isfinite(edge.level)) {
        return Invalid(request, attr::kAnalogEdgeTriggerLevel,
                       "The analog edge trigger level must be a finite number.");
      }
      if (!(edge.hysteresis >= 0.0) || !std::isfinite(edge.hysteresis)) {
        return Invalid(request, attr::kAnalogEdgeTriggerHysteresis,
                       "The analog edge trigger hysteresis must be finite and not negative.");
      }
      if (edgeChannel < 0 || edgeChannel >= kAiChannelCount) {
        return Invalid(request, attr::kAnalogEdgeTriggerChannel,
                       "The analog edge trigger channel must be 0 to 15.");
      }
      break;
    default:
      return Invalid(request, attr::kStartTriggerType, "The start trigger type is unknown.");
  }
  next.outputTerminal =
      AttributeValue<std::string>(device, attr::kStartTriggerOutputTerminal, name);
  for (int channel : next.channels) next.tables.push_back(TableFor(device, channel));

  Stream& stream = device.streams[number];
  stream = std::move(next);
  if (type == kTriggerImmediate) {
    FireStream(device, stream, 0);
  } else if (type == kTriggerAnalog) {
    if (auto index = FindEdge(*TableFor(device, edgeChannel), edge)) {
      FireStream(device, stream, *index);
    }
  }
  return VODEV_SUCCESS;
}

std::int32_t Wait(Request& request, std::uint32_t number) {
  const auto count = *Load<std::uint64_t>(request.input, 24);
  const auto timeout = *Load<std::uint32_t>(request.input, 32);
  if (request.outputSize < kWaitResponseSize) return VODEV_E_RESPONSE_TOO_SMALL;
  Stream& stream = request.device.streams[number];
  if (stream.started && !stream.overflow && stream.Ready() < count) {
    const std::uint64_t budget = TimeoutSamples(stream, timeout);
    if (!stream.triggered) {
      AdvanceStream(stream, budget, false);
    } else if (!stream.finite) {
      AdvanceStream(stream, std::min(SamplesUntilReady(stream, count), budget), false);
    }
  }
  Store(request.output, 0, stream.Ready());
  request.output[8] = stream.State();
  if (stream.started && stream.overflow) return VODEV_E_STREAM_OVERFLOW;
  return stream.Ready() < count ? VODEV_E_WAIT_TIMED_OUT : VODEV_SUCCESS;
}

std::int32_t Read(Request& request, std::uint32_t number) {
  Device& device = request.device;
  const auto bytesPerChannel = *Load<std::uint64_t>(request.input, 24);
  const auto rows = *Load<std::uint64_t>(request.input, 32);
  const auto dataAddress = *Load<std::uint64_t>(request.input, 40);
  const auto infoAddress = *Load<std::uint64_t>(request.input, 48);
  const auto timeout = *Load<std::uint32_t>(request.input, 56);
  const auto type = *Load<std::uint32_t>(request.input, 60);

  if (type != kTypeInt16 && type != kTypeFloat64) {
    request.detail.elaboration = "The read's data type must be 7 (int16) or 1 (float64).";
    return VODEV_E_WRONG_VALUE_TYPE;
  }
  if (request.outputSize < kReadResponseSize) return VODEV_E_RESPONSE_TOO_SMALL;
  const std::uint64_t elementSize = type == kTypeInt16 ? 2 : 8;
  if (bytesPerChannel % elementSize != 0) {
    request.detail.elaboration = "The read's bytes per channel are not whole samples.";
    return VODEV_E_MALFORMED_REQUEST;
  }
  constexpr std::uint64_t kAddressLimit = std::numeric_limits<std::uintptr_t>::max();
  if ((rows != 0 && bytesPerChannel > kAddressLimit / rows) ||
      (rows != 0 && rows > kAddressLimit / kInfoSize) ||
      dataAddress > kAddressLimit - rows * bytesPerChannel ||
      infoAddress > kAddressLimit - rows * kInfoSize) {
    request.detail.elaboration = "The read's buffers do not fit in the address space.";
    return VODEV_E_MALFORMED_REQUEST;
  }
  if (rows != 0 && bytesPerChannel != 0 && dataAddress == 0) {
    request.detail.elaboration = "The read's sample buffer address is 0.";
    return VODEV_E_NULL_BUFFER;
  }
  if (rows != 0 && infoAddress == 0) {
    request.detail.elaboration = "The read's information record address is 0.";
    return VODEV_E_NULL_BUFFER;
  }

  Stream& stream = device.streams[number];
  const std::string name = std::to_string(number);
  // A stream that never started reports the channels it would carry.
  const std::vector<int> channels =
      stream.started
          ? stream.channels
          : MaskChannels(AttributeValue<std::uint64_t>(device, attr::kStreamChannelsEnabled, name));
  if (rows != channels.size()) {
    char sentence[160];
    std::snprintf(sentence, sizeof sentence,
                  "The read has %llu rows but the stream carries %zu channels.",
                  static_cast<unsigned long long>(rows), channels.size());
    request.detail.elaboration = sentence;
    return rows < channels.size() ? VODEV_E_BUFFER_TOO_SMALL : VODEV_E_INVALID_VALUE;
  }

  const std::uint64_t wanted = bytesPerChannel / elementSize;
  if (stream.started && !stream.overflow && stream.Ready() < wanted) {
    // The read waits, draining the stream while samples arrive.
    const std::uint64_t budget = TimeoutSamples(stream, timeout);
    if (!stream.triggered) {
      AdvanceStream(stream, budget, true);
    } else if (!stream.finite) {
      AdvanceStream(stream, std::min(SamplesUntilReady(stream, wanted), budget), true);
    }
  }
  const std::uint64_t delivered = std::min(wanted, stream.Ready());
  const std::uint64_t position = stream.consumed;
  auto* data = reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(dataAddress));
  auto* info = reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(infoAddress));
  if (delivered > 0) {
    for (std::size_t row = 0; row < channels.size(); ++row) {
      const ChannelTable& table = *stream.tables[row];
      std::uint8_t* out = data + row * bytesPerChannel;
      const std::uint64_t first = stream.triggerIndex + position;
      if (type == kTypeInt16) {
        CopyCodes(table, first, delivered, out);
      } else {
        CopyVolts(table, first, delivered, out);
      }
    }
  }
  stream.consumed += delivered;

  const std::uint8_t state = stream.State();
  const std::uint64_t ready = stream.Ready();
  const bool complete = delivered == wanted;
  const double dt = 1.0 / (stream.started ? stream.rate : SampleRate(device));
  for (std::size_t row = 0; row < channels.size(); ++row) {
    std::uint8_t* record = info + row * kInfoSize;
    double gain, offset;
    if (stream.started) {
      gain = stream.tables[row]->gain;
      offset = stream.tables[row]->offset;
    } else {
      gain = AttributeValue<double>(device, attr::kAiScalingGain, AiName(channels[row]));
      offset = AttributeValue<double>(device, attr::kAiScalingOffset, AiName(channels[row]));
    }
    std::uint32_t flags = (stream.triggered ? VODEV_INFO_TRIGGERED : 0) |
                          (complete ? 0 : VODEV_INFO_INCOMPLETE) |
                          (stream.started && stream.finite ? VODEV_INFO_FINITE : 0);
    Store(record, 0, delivered);
    Store(record, 8, position);
    Store(record, 16, stream.triggered ? stream.triggerIndex : kNotTriggered);
    Store(record, 24,
          stream.triggered ? static_cast<double>(stream.triggerIndex + position) * dt : 0.0);
    Store(record, 32, dt);
    Store(record, 40, gain);
    Store(record, 48, offset);
    Store(record, 56, static_cast<std::uint32_t>(channels[row]));
    Store(record, 60, type);
    Store(record, 64, std::uint32_t{state});
    Store(record, 68, flags);
    Store(record, 72, ready);
  }
  Store(request.output, 0, delivered);
  Store(request.output, 8, ready);
  Store(request.output, 16, static_cast<std::uint32_t>(channels.size()));
  Store(request.output, 20, std::uint32_t{state});
  Store(request.output, 24, complete ? kReadComplete : kReadIncomplete);
  return VODEV_SUCCESS;
}

}  // namespace

std::int32_t HandleStreamFamily(Request& request, std::uint32_t command) {
  std::int32_t status;
  switch (command) {
    case kCommandClear:
    case kCommandStart:
      status = CheckRecord(request.input, kStartRecordSize, 0, 0);
      break;
    case kCommandWait:
      status = CheckRecord(request.input, kWaitRecordSize, 0, 0);
      break;
    case kCommandRead:
      status = CheckRecord(request.input, kReadRecordSize, 1, 1);
      break;
    default:
      return VODEV_E_UNSUPPORTED_COMMAND;
  }
  if (status != VODEV_SUCCESS) return status;
  const auto number = *Load<std::uint32_t>(request.input, 20);
  request.detail.channel = std::to_string(number);
  if (number >= kStreamCount) return VODEV_E_NO_SUCH_STREAM;
  switch (command) {
    case kCommandClear:
      request.device.streams[number] = Stream{};
      return VODEV_SUCCESS;
    case kCommandStart:
      return Start(request, number);
    case kCommandWait:
      return Wait(request, number);
    default:
      return Read(request, number);
  }
}

}  // namespace vodev
