// Stream reading. One read request hands the driver the addresses and sizes
// of the caller's sample buffer and information records; the driver writes
// into them directly, so the library never touches sample data and its cost
// per read does not depend on the number of samples.
#pragma once
#include <cstdint>

#include "api/channel.h"
#include "api/stream_records.h"
#include "status/codes.h"

namespace voapi {

// Statuses of a read the driver flags as incomplete, chosen by the stream
// state that the driver then reports.
inline constexpr int32_t kReadStateOverflow = -304415;  // state 4
inline constexpr int32_t kReadStateStopped = -304416;   // state 6
inline constexpr int32_t kReadTimeout = -50400;         // any other state
inline constexpr uint8_t kStreamStateOverflow = 4;
inline constexpr uint8_t kStreamStateStopped = 6;

// The status of a read whose response flagged it incomplete, from the state
// the stream reports now.
int32_t IncompleteReadStatus(uint32_t session, uint32_t stream) noexcept;

// Reads `channels` rows of `samplesPerChannel` elements of `type` into
// `data`, row after row, and one kReadInfoSize-byte record per row into
// `info`. The 1-D reads are this read with one channel. A byte count
// (samples x element size, times the channels, or the information records)
// that does not fit 64 bits is refused with -52005 before anything is sent:
// the driver would otherwise be told a wrapped, too small size for the
// caller's buffer. Nothing else is checked; the driver validates the rest.
//
// Inline because it is the hot path of every acquisition loop: the exports
// then call the channel directly, and only the rare incomplete read leaves
// for IncompleteReadStatus.
inline int32_t ReadStream(uint32_t session, uint32_t stream, uint32_t timeout, uint64_t channels,
                          uint64_t samplesPerChannel, SampleType type, void* data,
                          void* info) noexcept {
  uint64_t bytesPerChannel = 0;
  uint64_t ignored = 0;
  if (__builtin_mul_overflow(samplesPerChannel, sampleSize(type), &bytesPerChannel) ||
      __builtin_mul_overflow(bytesPerChannel, channels, &ignored) ||
      __builtin_mul_overflow(uint64_t{kReadInfoSize}, channels, &ignored)) {
    return voerr::kInvalidParameter;
  }

  StreamReadRequest request;
  request.head = familyHead(kFamilyStream, kCmdStreamRead);
  request.head.header.word2 = 1;
  request.head.header.word3 = 1;
  request.stream = stream;
  request.bytesPerChannel = bytesPerChannel;
  request.channels = channels;
  request.dataAddress = reinterpret_cast<uintptr_t>(data);
  request.infoAddress = reinterpret_cast<uintptr_t>(info);
  request.timeout = timeout;
  request.dataType = static_cast<uint32_t>(type);

  StreamReadResponse response{};
  const int32_t status = sendRecord(session, kFnFamilyRequest, request, &response, sizeof response);
  if (status < 0) return status;
  // The completion word counts on a warning too: an incomplete read is an
  // error whatever else the driver had to say.
  if ((response.completion & kReadIncompleteBit) == 0) return status;
  return IncompleteReadStatus(session, stream);
}

}  // namespace voapi
