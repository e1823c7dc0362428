#include "api/attributes.h"
#include "api/export_guard.h"
#include "votarsinapi.h"

using namespace voapi;

extern "C" {

VOTARSIN_API int32_t voTarsin_GetAttributeInt32(Session session, const char* channelName,
                                                uint32_t attributeId, int32_t* value) {
  return guarded([&] { return ReadAttributeInt32(session, channelName, attributeId, value); });
}

VOTARSIN_API int32_t voTarsin_GetAttributeUInt64(Session session, const char* channelName,
                                                 uint32_t attributeId, uint64_t* value) {
  return guarded([&] { return ReadAttributeUInt64(session, channelName, attributeId, value); });
}

VOTARSIN_API int32_t voTarsin_GetAttributeDouble(Session session, const char* channelName,
                                                 uint32_t attributeId, double* value) {
  return guarded([&] { return ReadAttributeDouble(session, channelName, attributeId, value); });
}

VOTARSIN_API int32_t voTarsin_GetAttributeString(Session session, const char* channelName,
                                                 uint32_t attributeId, size_t bufferSize,
                                                 char* buffer) {
  return guarded(
      [&] { return ReadAttributeString(session, channelName, attributeId, bufferSize, buffer); });
}

VOTARSIN_API int32_t voTarsin_GetAttributeBoolean(Session session, const char* channelName,
                                                  uint32_t attributeId, uint32_t* value) {
  return guarded([&] { return ReadAttributeBoolean(session, channelName, attributeId, value); });
}

VOTARSIN_API int32_t voTarsin_SetAttributeInt32(Session session, const char* channelList,
                                                uint32_t attributeId, int32_t value) {
  return guarded([&] { return WriteAttributeInt32(session, attributeId, channelList, value); });
}

VOTARSIN_API int32_t voTarsin_SetAttributeUInt64(Session session, const char* channelList,
                                                 uint32_t attributeId, uint64_t value) {
  return guarded([&] { return WriteAttributeUInt64(session, attributeId, channelList, value); });
}

VOTARSIN_API int32_t voTarsin_SetAttributeDouble(Session session, const char* channelList,
                                                 uint32_t attributeId, double value) {
  return guarded([&] { return WriteAttributeDouble(session, attributeId, channelList, value); });
}

VOTARSIN_API int32_t voTarsin_SetAttributeString(Session session, const char* channelList,
                                                 uint32_t attributeId, const char* value) {
  return guarded([&] { return WriteAttributeString(session, attributeId, channelList, value); });
}

VOTARSIN_API int32_t voTarsin_SetAttributeBoolean(Session session, const char* channelList,
                                                  uint32_t attributeId, uint32_t value) {
  return guarded([&] { return WriteAttributeBoolean(session, attributeId, channelList, value); });
}

}  // extern "C"
