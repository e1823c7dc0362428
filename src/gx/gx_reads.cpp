// Stream reads for the graphical environment: the environment's array
// handles are sized before the read (kept when they fit and are not more than
// twice too large) and their dimensions set after it; the driver writes the
// samples straight into the handles' blocks.
#include <cstring>

#include "api/attributes.h"
#include "api/channel_list.h"
#include "api/export_guard.h"
#include "api/stream_read.h"
#include "gx/gx_runtime.h"
#include "votarsinapi.h"

namespace vogx {
namespace {

constexpr int32_t kMemoryFull = -52000;
constexpr int32_t kNoChannels = -304401;
constexpr uint32_t kChannelsInStream = 0x10000000;
constexpr uint64_t kAllChannels = ~uint64_t{0};
constexpr int32_t kTypeI16 = 2;
constexpr int32_t kTypeF64 = 10;
constexpr int64_t kRecordArrayHead = 8;

// The layout of one data-handle shape.
struct Shape {
  int32_t typeCode;
  int32_t dimensions;
  int64_t elementSize;
  int64_t constant;  // bytes beyond the elements counted in a block's size
  size_t elementOffset;
};
constexpr Shape kI16OneD{kTypeI16, 1, 2, 6, 4};
constexpr Shape kF64OneD{kTypeF64, 1, 8, 8, 8};
constexpr Shape kI16TwoD{kTypeI16, 2, 2, 10, 8};
constexpr Shape kF64TwoD{kTypeF64, 2, 8, 8, 8};

int32_t* sizes(GxHandle handle) { return static_cast<int32_t*>(*handle); }
char* elements(GxHandle handle, const Shape& shape) {
  return static_cast<char*>(*handle) + shape.elementOffset;
}

// n * s + c, or -1 when it does not fit.
int64_t blockSize(uint64_t count, int64_t elementSize, int64_t constant) {
  int64_t bytes = 0;
  if (count > static_cast<uint64_t>(INT64_MAX) ||
      __builtin_mul_overflow(static_cast<int64_t>(count), elementSize, &bytes) ||
      __builtin_add_overflow(bytes, constant, &bytes))
    return -1;
  return bytes;
}

void setDimensions(GxHandle handle, const Shape& shape, uint64_t rows, uint64_t columns) {
  if (shape.dimensions == 1) {
    sizes(handle)[0] = static_cast<int32_t>(rows);
  } else {
    sizes(handle)[0] = static_cast<int32_t>(rows);
    sizes(handle)[1] = static_cast<int32_t>(columns);
  }
}

int32_t sizeDataHandle(GxHandle* handle, const Shape& shape, uint64_t rows, uint64_t columns) {
  uint64_t count = rows;
  if (shape.dimensions == 2 && __builtin_mul_overflow(rows, columns, &count)) return kMemoryFull;
  const int64_t wanted = blockSize(count, shape.elementSize, shape.constant);
  if (wanted < 0 || !handle) return kMemoryFull;
  bool resize = true;
  if (*handle && **handle) {
    const int32_t* present = sizes(*handle);
    const uint64_t presentCount =
        shape.dimensions == 1
            ? static_cast<uint32_t>(present[0])
            : uint64_t{static_cast<uint32_t>(present[0])} * static_cast<uint32_t>(present[1]);
    const int64_t presentSize = blockSize(presentCount, shape.elementSize, shape.constant);
    resize = needsResize(wanted, presentSize < 0 ? INT64_MAX : presentSize,
                         [&] { return int64_t{DSGetHandleSize(*handle)}; });
  }
  if (resize && NumericArrayResize(shape.typeCode, shape.dimensions, handle, count) != 0)
    return kMemoryFull;
  if (!*handle || !**handle) return kMemoryFull;
  setDimensions(*handle, shape, rows, columns);
  return 0;
}

int32_t sizeRecordArray(GxHandle* handle, uint64_t records) {
  const int64_t wanted = blockSize(records, voapi::kReadInfoSize, kRecordArrayHead);
  if (wanted < 0 || !handle) return kMemoryFull;
  if (!*handle) {
    *handle = DSNewHandle(static_cast<size_t>(wanted));
    if (!*handle) return kMemoryFull;
  } else {
    // A handle without a block holds nothing: size 0, always grown.
    const int64_t present = **handle ? blockSize(static_cast<uint32_t>(sizes(*handle)[0]),
                                                 voapi::kReadInfoSize, kRecordArrayHead)
                                     : 0;
    const bool resize =
        needsResize(wanted, present, [&] { return int64_t{DSGetHandleSize(*handle)}; });
    if (resize && DSSetHandleSize(*handle, static_cast<size_t>(wanted)) != 0) return kMemoryFull;
  }
  if (!**handle) return kMemoryFull;
  sizes(*handle)[0] = static_cast<int32_t>(records);
  return 0;
}

int32_t readOneD(uint32_t session, uint32_t stream, uint32_t timeout, uint64_t samples,
                 GxHandle* data, void* info, const Shape& shape, voapi::SampleType type) {
  const int32_t sized = sizeDataHandle(data, shape, samples, 0);
  if (sized != 0) return sized;
  if (info) std::memset(info, 0, voapi::kReadInfoSize);
  const int32_t status =
      voapi::ReadStream(session, stream, timeout, 1, samples, type, elements(*data, shape), info);
  setDimensions(*data, shape, samples, 0);
  return status;
}

// The channel count of "all channels": the stream's Channels In Stream.
int32_t channelsInStream(uint32_t session, uint32_t stream, uint64_t& channels) {
  const char* name = voapi::CanonicalChannelName(voapi::ChannelKind::kStream, stream);
  int32_t count = 0;
  const int32_t status =
      voapi::ReadAttributeInt32(session, name ? name : "", kChannelsInStream, &count);
  if (status < 0) return status;
  channels = status == 0 ? static_cast<uint64_t>(static_cast<int64_t>(count)) : 0;
  return 0;
}

int32_t readTwoD(uint32_t session, uint32_t stream, uint32_t timeout, uint64_t channels,
                 uint64_t samples, GxHandle* data, GxHandle* info, const Shape& shape,
                 voapi::SampleType type) {
  if (channels == 0) return kNoChannels;
  if (channels == kAllChannels) {
    const int32_t status = channelsInStream(session, stream, channels);
    if (status < 0) return status;
  }
  int32_t status = sizeDataHandle(data, shape, channels, samples);
  if (status == 0) status = sizeRecordArray(info, channels);
  if (status != 0) return status;
  char* records = static_cast<char*>(**info) + kRecordArrayHead;
  std::memset(records, 0, static_cast<size_t>(channels * voapi::kReadInfoSize));
  status = voapi::ReadStream(session, stream, timeout, channels, samples, type,
                             elements(*data, shape), records);
  setDimensions(*data, shape, channels, samples);
  return status;
}

}  // namespace
}  // namespace vogx

using namespace vogx;
using voapi::guarded;

extern "C" {

VOTARSIN_API int32_t voTarsin_GxReadStreamI16(Session session, uint32_t stream, uint32_t timeout,
                                              uint64_t numberOfSamples, VoGxArrayHandle* data,
                                              VoTarsinReadInfo* info) {
  return guarded([&] {
    return readOneD(session, stream, timeout, numberOfSamples, data, info, kI16OneD,
                    voapi::SampleType::kInt16);
  });
}

VOTARSIN_API int32_t voTarsin_GxReadStreamF64(Session session, uint32_t stream, uint32_t timeout,
                                              uint64_t numberOfSamples, VoGxArrayHandle* data,
                                              VoTarsinReadInfo* info) {
  return guarded([&] {
    return readOneD(session, stream, timeout, numberOfSamples, data, info, kF64OneD,
                    voapi::SampleType::kFloat64);
  });
}

VOTARSIN_API int32_t voTarsin_GxReadStream2DI16(Session session, uint32_t stream, uint32_t timeout,
                                                uint64_t numberOfChannels,
                                                uint64_t samplesPerChannel, VoGxArrayHandle* data,
                                                VoGxArrayHandle* info) {
  return guarded([&] {
    return readTwoD(session, stream, timeout, numberOfChannels, samplesPerChannel, data, info,
                    kI16TwoD, voapi::SampleType::kInt16);
  });
}

VOTARSIN_API int32_t voTarsin_GxReadStream2DF64(Session session, uint32_t stream, uint32_t timeout,
                                                uint64_t numberOfChannels,
                                                uint64_t samplesPerChannel, VoGxArrayHandle* data,
                                                VoGxArrayHandle* info) {
  return guarded([&] {
    return readTwoD(session, stream, timeout, numberOfChannels, samplesPerChannel, data, info,
                    kF64TwoD, voapi::SampleType::kFloat64);
  });
}

}  // extern "C"
