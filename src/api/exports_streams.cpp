#include "api/export_guard.h"
#include "api/stream_read.h"
#include "api/streams.h"
#include "votarsinapi.h"

using namespace voapi;

static_assert(sizeof(VoTarsinReadInfo) == kReadInfoSize);
static_assert(VOTARSIN_STREAM_COUNT == kStreamCount);

extern "C" {

VOTARSIN_API int32_t voTarsin_ConfigureStreamEnabledChannels(Session session, uint32_t stream,
                                                             const char* channelList,
                                                             uint32_t* channelCount) {
  return guarded(
      [&] { return ConfigureStreamEnabledChannels(session, stream, channelList, channelCount); });
}

VOTARSIN_API int32_t voTarsin_ConfigureStreamFinite(Session session, uint32_t stream,
                                                    uint64_t numberOfSamples) {
  return guarded([&] { return ConfigureStreamFinite(session, stream, numberOfSamples); });
}

VOTARSIN_API int32_t voTarsin_StartStream(Session session, uint32_t stream) {
  return guarded([&] { return StartStream(session, stream); });
}

VOTARSIN_API int32_t voTarsin_WaitForTransfer(Session session, uint32_t stream, uint64_t count,
                                              uint32_t timeout, uint64_t* countOut,
                                              uint8_t* stateOut) {
  return guarded(
      [&] { return WaitForTransfer(session, stream, count, timeout, countOut, stateOut); });
}

VOTARSIN_API int32_t voTarsin_ClearStream(Session session, uint32_t stream) {
  return guarded([&] { return ClearStream(session, stream); });
}

VOTARSIN_API int32_t voTarsin_ReadStreamI16(Session session, uint32_t stream, uint32_t timeout,
                                            uint64_t numberOfSamples, int16_t* data,
                                            VoTarsinReadInfo* info) {
  return guarded([&] {
    return ReadStream(session, stream, timeout, 1, numberOfSamples, SampleType::kInt16, data, info);
  });
}

VOTARSIN_API int32_t voTarsin_ReadStreamF64(Session session, uint32_t stream, uint32_t timeout,
                                            uint64_t numberOfSamples, double* data,
                                            VoTarsinReadInfo* info) {
  return guarded([&] {
    return ReadStream(session, stream, timeout, 1, numberOfSamples, SampleType::kFloat64, data,
                      info);
  });
}

VOTARSIN_API int32_t voTarsin_ReadStream2DI16(Session session, uint32_t stream, uint32_t timeout,
                                              uint64_t numberOfChannels, uint64_t samplesPerChannel,
                                              int16_t* data, VoTarsinReadInfo* info) {
  return guarded([&] {
    return ReadStream(session, stream, timeout, numberOfChannels, samplesPerChannel,
                      SampleType::kInt16, data, info);
  });
}

VOTARSIN_API int32_t voTarsin_ReadStream2DF64(Session session, uint32_t stream, uint32_t timeout,
                                              uint64_t numberOfChannels, uint64_t samplesPerChannel,
                                              double* data, VoTarsinReadInfo* info) {
  return guarded([&] {
    return ReadStream(session, stream, timeout, numberOfChannels, samplesPerChannel,
                      SampleType::kFloat64, data, info);
  });
}

}  // extern "C"
