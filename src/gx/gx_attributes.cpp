// The graphical environment's attribute entry points: channel names and texts
// arrive in GX string handles, and every non-zero status is described into
// the caller's error-text handle.
#include <cstring>

#include "api/attributes.h"
#include "api/channel.h"
#include "api/export_guard.h"
#include "api/records.h"
#include "gx/gx_error_text.h"
#include "gx/gx_runtime.h"
#include "votarsinapi.h"

namespace vogx {
namespace {

constexpr size_t kChannelChars = 511;
constexpr int32_t kInvalidParameter = -52005;

// A NUL-terminated copy of a handle's text: at most 511 bytes, stopping at a
// zero byte; empty for a null pointer or handle.
struct HandleText {
  char text[kChannelChars + 1] = {};
  explicit HandleText(GxStringHandle* handle) {
    if (!handle || !*handle || !**handle) return;
    const int32_t count = (**handle)->count;
    const size_t limit =
        count <= 0 ? 0
                   : (static_cast<size_t>(count) < kChannelChars ? static_cast<size_t>(count)
                                                                 : kChannelChars);
    const size_t length = strnlen((**handle)->text, limit);
    std::memcpy(text, (**handle)->text, length);
  }
};

int32_t reported(uint32_t session, int32_t status, GxStringHandle* errorText) {
  GXGetError(session, status, errorText);
  return status;
}

// A typed get with the channel taken from a string handle.
template <typename T>
int32_t readDescribed(int32_t (*read)(uint32_t, const char*, uint32_t, T*), uint32_t session,
                      GxStringHandle* channel, uint32_t attributeId, T* value,
                      GxStringHandle* errorText) {
  return voapi::guarded([&] {
    const HandleText name(channel);
    return reported(session, read(session, name.text, attributeId, value), errorText);
  });
}

// A typed set with the channel list taken from a string handle; a null value
// pointer is refused before anything is sent.
template <typename T, typename Arg>
int32_t writeDescribed(int32_t (*write)(uint32_t, uint32_t, const char*, Arg), uint32_t session,
                       GxStringHandle* channels, uint32_t attributeId, const T* value,
                       GxStringHandle* errorText) {
  return voapi::guarded([&] {
    const HandleText list(channels);
    const int32_t status = value ? write(session, attributeId, list.text, static_cast<Arg>(*value))
                                 : kInvalidParameter;
    return reported(session, status, errorText);
  });
}

}  // namespace
}  // namespace vogx

using namespace vogx;
using voapi::guarded;

extern "C" {

VOTARSIN_API int32_t voTarsin_GXGetError(Session session, int32_t errorCode,
                                         GxStringHandle* errorText) {
  return guarded([&] { return GXGetError(session, errorCode, errorText); });
}

VOTARSIN_API int32_t voTarsin_GetAttributeInt32GX(Session session, GxStringHandle* channel,
                                                  uint32_t attributeId, int32_t* value,
                                                  GxStringHandle* errorText) {
  return readDescribed(voapi::ReadAttributeInt32, session, channel, attributeId, value, errorText);
}

VOTARSIN_API int32_t voTarsin_GetAttributeUInt64GX(Session session, GxStringHandle* channel,
                                                   uint32_t attributeId, uint64_t* value,
                                                   GxStringHandle* errorText) {
  return readDescribed(voapi::ReadAttributeUInt64, session, channel, attributeId, value, errorText);
}

VOTARSIN_API int32_t voTarsin_GetAttributeDoubleGX(Session session, GxStringHandle* channel,
                                                   uint32_t attributeId, double* value,
                                                   GxStringHandle* errorText) {
  return readDescribed(voapi::ReadAttributeDouble, session, channel, attributeId, value, errorText);
}

VOTARSIN_API int32_t voTarsin_GetAttributeBoolGX(Session session, GxStringHandle* channel,
                                                 uint32_t attributeId, uint8_t* value,
                                                 GxStringHandle* errorText) {
  return guarded([&] {
    const HandleText name(channel);
    uint32_t local = 0;
    const int32_t status = voapi::ReadAttributeBoolean(session, name.text, attributeId, &local);
    GXGetError(session, status, errorText);
    if (status == 0 && value) *value = local != 0;
    return status;
  });
}

VOTARSIN_API int32_t voTarsin_GetAttributeStringGX(Session session, GxStringHandle* channel,
                                                   uint32_t attributeId, GxStringHandle* value,
                                                   GxStringHandle* errorText) {
  return guarded([&] {
    const HandleText name(channel);
    char text[512] = {};
    int32_t status = voapi::kInvalidAttributeId;
    if (voapi::isValidAttributeId(attributeId, voapi::AttributeClass::String)) {
      const voapi::AttributeRequest request = voapi::makeAttributeRequest(
          voapi::kCmdAttributeGet, attributeId, voapi::kTypeString, name.text);
      voapi::AttributeValue response{};
      status =
          voapi::sendRecord(session, voapi::kFnFamilyRequest, request, &response, sizeof response);
      if (status == 0) std::memcpy(text, response.text, sizeof response.text);
    }
    GXGetError(session, status, errorText);
    if (status < 0) return status;
    // A warning stores the empty text; a failed store is not reported.
    if (value) StoreGxString(value, status == 0 ? text : "");
    return status;
  });
}

VOTARSIN_API int32_t voTarsin_GetAttributeTimestampGX(Session session, GxStringHandle* channel,
                                                      uint32_t attributeId,
                                                      VoGxTimestamp* timestamp,
                                                      GxStringHandle* errorText) {
  return guarded([&] {
    const HandleText name(channel);
    uint64_t value = 0;
    int32_t status = voapi::kInvalidAttributeId;
    if (voapi::isValidAttributeId(attributeId, voapi::AttributeClass::UInt64)) {
      const voapi::AttributeRequest request = voapi::makeAttributeRequest(
          voapi::kCmdAttributeGet, attributeId, voapi::kTypeUInt64, name.text);
      voapi::AttributeValue response{};
      status =
          voapi::sendRecord(session, voapi::kFnFamilyRequest, request, &response, sizeof response);
      if (status == 0) value = response.u64;
    }
    GXGetError(session, status, errorText);
    if (timestamp) {
      timestamp->words[0] = 0;
      timestamp->words[1] = value;
    }
    return status;
  });
}

VOTARSIN_API int32_t voTarsin_SetAttributeInt32GX(Session session, GxStringHandle* channels,
                                                  uint32_t attributeId, const int32_t* value,
                                                  GxStringHandle* errorText) {
  return writeDescribed(voapi::WriteAttributeInt32, session, channels, attributeId, value,
                        errorText);
}

VOTARSIN_API int32_t voTarsin_SetAttributeUInt64GX(Session session, GxStringHandle* channels,
                                                   uint32_t attributeId, const uint64_t* value,
                                                   GxStringHandle* errorText) {
  return writeDescribed(voapi::WriteAttributeUInt64, session, channels, attributeId, value,
                        errorText);
}

VOTARSIN_API int32_t voTarsin_SetAttributeDoubleGX(Session session, GxStringHandle* channels,
                                                   uint32_t attributeId, const double* value,
                                                   GxStringHandle* errorText) {
  return writeDescribed(voapi::WriteAttributeDouble, session, channels, attributeId, value,
                        errorText);
}

VOTARSIN_API int32_t voTarsin_SetAttributeBoolGX(Session session, GxStringHandle* channels,
                                                 uint32_t attributeId, const uint8_t* value,
                                                 GxStringHandle* errorText) {
  return writeDescribed(voapi::WriteAttributeBoolean, session, channels, attributeId, value,
                        errorText);
}

VOTARSIN_API int32_t voTarsin_SetAttributeStringGX(Session session, GxStringHandle* channels,
                                                   uint32_t attributeId, GxStringHandle* value,
                                                   GxStringHandle* errorText) {
  return guarded([&] {
    const HandleText list(channels);
    const HandleText text(value);
    return reported(session,
                    voapi::WriteAttributeString(session, attributeId, list.text, text.text),
                    errorText);
  });
}

}  // extern "C"
