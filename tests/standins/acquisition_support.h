// Helpers of the acquisition tests: stream, route and synchronisation records
// built byte by byte at their documented offsets, reads into guarded buffers,
// the information record decoded from its documented offsets, and the
// documented signal of each analog input.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "standin_support.h"

namespace standin_test {

inline constexpr uint32_t kStreamFamily = 0x101;
inline constexpr uint32_t kSyncFamily = 0x104;
inline constexpr uint32_t kRouteFamily = 0x105;
inline constexpr uint32_t kClear = 272, kWait = 276, kRead = 277, kStart = 278;
inline constexpr uint32_t kInt16 = 7, kFloat64 = 1;
inline constexpr size_t kInfoSize = 80;
inline constexpr size_t kReadResponseSize = 28;

// Attributes used by acquisition.
inline constexpr uint32_t kChannelsEnabled = 0x50000002;
inline constexpr uint32_t kFinite = 0x40000001;
inline constexpr uint32_t kSamples = 0x50000000;
inline constexpr uint32_t kFifoSize = 0x50000001;
inline constexpr uint32_t kTriggerType = 0x10000009;
inline constexpr uint32_t kTriggerSource = 0x30000000;
inline constexpr uint32_t kOutputTerminal = 0x30000003;
inline constexpr uint32_t kEdgeChannel = 0x10000008;
inline constexpr uint32_t kEdgeLevel = 0x20000002;
inline constexpr uint32_t kEdgeHysteresis = 0x20000003;
inline constexpr uint32_t kEdgeRising = 0x40000002;
inline constexpr uint32_t kAiRange = 0x20000010;
inline constexpr uint32_t kAiGain = 0x20000011;
inline constexpr uint32_t kAdcClockDivisor = 0x10000010;
inline constexpr uint32_t kSampleClockSource = 0x10000013;
inline constexpr uint32_t kTimebaseRate = 0x20000017;
inline constexpr uint32_t kSampleDt = 0x20000013;
inline constexpr uint32_t kAdcSampleRate = 0x20000016;

inline constexpr uint64_t kNotTriggered = ~uint64_t{0};

inline Bytes FamilyRecord(uint32_t family, uint32_t command, size_t size) {
  Bytes record(size, 0);
  Put<uint32_t>(record, 0, family);
  Put<uint32_t>(record, 16, command);
  return record;
}

// Start and clear.
inline Bytes StreamRecord(uint32_t command, uint32_t stream) {
  Bytes record = FamilyRecord(kStreamFamily, command, 24);
  Put<uint32_t>(record, 20, stream);
  return record;
}

inline Bytes WaitRecord(uint32_t stream, uint64_t count, uint32_t timeout) {
  Bytes record = FamilyRecord(kStreamFamily, kWait, 36);
  Put<uint32_t>(record, 20, stream);
  Put<uint64_t>(record, 24, count);
  Put<uint32_t>(record, 32, timeout);
  return record;
}

inline Bytes ReadRecord(uint32_t stream, uint64_t bytesPerChannel, uint64_t rows, const void* data,
                        const void* info, uint32_t timeout, uint32_t type) {
  Bytes record = FamilyRecord(kStreamFamily, kRead, 64);
  Put<uint32_t>(record, 8, 1);
  Put<uint32_t>(record, 12, 1);
  Put<uint32_t>(record, 20, stream);
  Put<uint64_t>(record, 24, bytesPerChannel);
  Put<uint64_t>(record, 32, rows);
  Put<uint64_t>(record, 40, reinterpret_cast<uintptr_t>(data));
  Put<uint64_t>(record, 48, reinterpret_cast<uintptr_t>(info));
  Put<uint32_t>(record, 56, timeout);
  Put<uint32_t>(record, 60, type);
  return record;
}

inline Bytes RouteRecord(std::string_view first, std::string_view second) {
  Bytes record = FamilyRecord(kRouteFamily, 0, 1044);
  std::memcpy(record.data() + 20, first.data(), std::min<size_t>(first.size(), 511));
  std::memcpy(record.data() + 532, second.data(), std::min<size_t>(second.size(), 511));
  return record;
}

inline Bytes UnrouteRecord(uint32_t route) {
  Bytes record = FamilyRecord(kRouteFamily, 1, 24);
  Put<uint32_t>(record, 20, route);
  return record;
}

inline Bytes SyncPulseRecord(uint32_t argument) {
  Bytes record = FamilyRecord(kSyncFamily, 1, 24);
  Put<uint32_t>(record, 20, argument);
  return record;
}

struct WaitResult {
  int32_t status;
  uint64_t count;
  uint8_t state;
};

inline WaitResult WaitFor(uint32_t session, uint32_t stream, uint64_t count, uint32_t timeout) {
  uint8_t response[9];
  std::memset(response, 0xEE, sizeof response);
  int32_t status = Send(session, WaitRecord(stream, count, timeout), response, sizeof response);
  return {status, Take<uint64_t>(response, 0), response[8]};
}

// The information record, decoded from its documented offsets.
struct Info {
  uint64_t delivered, position, triggerIndex;
  double t0, dt, gain, offset;
  uint32_t channel, dataType, state, flags;
  uint64_t ready;
};

inline Info DecodeInfo(const uint8_t* record) {
  return {Take<uint64_t>(record, 0),  Take<uint64_t>(record, 8),  Take<uint64_t>(record, 16),
          Take<double>(record, 24),   Take<double>(record, 32),   Take<double>(record, 40),
          Take<double>(record, 48),   Take<uint32_t>(record, 56), Take<uint32_t>(record, 60),
          Take<uint32_t>(record, 64), Take<uint32_t>(record, 68), Take<uint64_t>(record, 72)};
}

// One read: the response fields, the rows' samples and information records.
template <typename T>
struct ReadResult {
  int32_t status = 0;
  uint64_t delivered = 0, ready = 0;
  uint32_t rows = 0, state = 0, completion = 0;
  std::vector<std::vector<T>> data;  // one vector per row, all `samples` long
  std::vector<Info> info;
  bool guardsIntact = true;  // nothing written behind the buffers
  std::vector<uint8_t> rawInfo;
};

inline constexpr uint8_t kFill = 0xA5;
inline constexpr size_t kGuardBytes = 64;

// Reads `rows` rows of `samples` elements; every byte of the buffers starts as
// kFill so that unwritten elements show.
template <typename T>
ReadResult<T> ReadStream(uint32_t session, uint32_t stream, uint64_t rows, uint64_t samples,
                         uint32_t timeout = 0) {
  const uint32_t type = sizeof(T) == 2 ? kInt16 : kFloat64;
  std::vector<uint8_t> data(rows * samples * sizeof(T) + kGuardBytes, kFill);
  std::vector<uint8_t> info(rows * kInfoSize + kGuardBytes, kFill);
  uint8_t response[kReadResponseSize + 4];
  std::memset(response, 0xEE, sizeof response);
  ReadResult<T> result;
  result.status =
      Send(session,
           ReadRecord(stream, samples * sizeof(T), rows, data.data(), info.data(), timeout, type),
           response, kReadResponseSize);
  result.delivered = Take<uint64_t>(response, 0);
  result.ready = Take<uint64_t>(response, 8);
  result.rows = Take<uint32_t>(response, 16);
  result.state = Take<uint32_t>(response, 20);
  result.completion = Take<uint32_t>(response, 24);
  for (uint64_t r = 0; r < rows; ++r) {
    std::vector<T> row(samples);
    if (samples != 0) {
      std::memcpy(row.data(), data.data() + r * samples * sizeof(T), samples * sizeof(T));
    }
    result.data.push_back(std::move(row));
    result.info.push_back(DecodeInfo(info.data() + r * kInfoSize));
  }
  for (size_t i = rows * samples * sizeof(T); i < data.size(); ++i) {
    if (data[i] != kFill) result.guardsIntact = false;
  }
  for (size_t i = rows * kInfoSize; i < info.size(); ++i) {
    if (info[i] != kFill) result.guardsIntact = false;
  }
  if (response[kReadResponseSize] != 0xEE) result.guardsIntact = false;
  result.rawInfo.assign(info.begin(), info.begin() + rows * kInfoSize);
  return result;
}

// An element that still holds the fill pattern (never written).
template <typename T>
bool Unwritten(T value) {
  T fill;
  std::memset(&fill, kFill, sizeof fill);
  return std::memcmp(&value, &fill, sizeof fill) == 0;
}

// Stream configuration through attribute writes on the stream's channel name.
inline void ConfigureStream(uint32_t session, uint32_t stream, uint64_t mask, bool finite,
                            uint64_t samples) {
  const std::string name = std::to_string(stream);
  ASSERT_EQ(Send(session, SetU64(kChannelsEnabled, name, mask)), 0);
  ASSERT_EQ(Send(session, SetBool(kFinite, name, finite ? 1 : 0)), 0);
  ASSERT_EQ(Send(session, SetU64(kSamples, name, samples)), 0);
}

inline void ConfigureAnalogEdge(uint32_t session, uint32_t stream, int32_t channel, double level,
                                double hysteresis, bool rising) {
  const std::string name = std::to_string(stream);
  ASSERT_EQ(Send(session, SetI32(kTriggerType, name, 4)), 0);
  ASSERT_EQ(Send(session, SetI32(kEdgeChannel, name, channel)), 0);
  ASSERT_EQ(Send(session, SetF64(kEdgeLevel, name, level)), 0);
  ASSERT_EQ(Send(session, SetF64(kEdgeHysteresis, name, hysteresis)), 0);
  ASSERT_EQ(Send(session, SetBool(kEdgeRising, name, rising ? 1 : 0)), 0);
}

inline void ConfigureDigital(uint32_t session, uint32_t stream, std::string_view source) {
  const std::string name = std::to_string(stream);
  ASSERT_EQ(Send(session, SetI32(kTriggerType, name, 1)), 0);
  ASSERT_EQ(Send(session, SetString(kTriggerSource, name, source)), 0);
}

inline int32_t StartStream(uint32_t session, uint32_t stream) {
  return Send(session, StreamRecord(kStart, stream));
}

// The documented signal of AI channel n at sample k, without noise, in volts.
inline double Signal(int n, uint64_t k) {
  const uint64_t period = 100 + 20 * static_cast<uint64_t>(n);
  const double pi = std::acos(-1.0);
  return (0.5 - 0.01 * n) *
         std::sin(2 * pi * static_cast<double>(k % period) / period + n * pi / 8);
}
inline constexpr double kNoiseSigma = 0.5e-3;

// The first `samples` codes of an AI channel as an immediately triggered
// finite stream delivers them (the reference the trigger tests compare to).
inline std::vector<int16_t> ReferenceCodes(uint32_t session, uint32_t stream, int channel,
                                           uint64_t samples) {
  ConfigureStream(session, stream, uint64_t{1} << channel, true, samples);
  EXPECT_EQ(Send(session, SetI32(kTriggerType, std::to_string(stream), 0)), 0);
  EXPECT_EQ(StartStream(session, stream), 0);
  ReadResult<int16_t> read = ReadStream<int16_t>(session, stream, 1, samples);
  EXPECT_EQ(read.status, 0);
  EXPECT_EQ(read.delivered, samples);
  return read.data.empty() ? std::vector<int16_t>{} : read.data[0];
}

}  // namespace standin_test
