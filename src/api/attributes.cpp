#include "api/attributes.h"

#include <cstring>

#include "api/channel.h"
#include "api/channel_list.h"
#include "api/records.h"

namespace voapi {
namespace {

int32_t getValue(uint32_t session, const char* channelName, uint32_t id, uint32_t valueType,
                 AttributeValue& value) {
  const AttributeRequest request =
      makeAttributeRequest(kCmdAttributeGet, id, valueType, channelName);
  return sendRecord(session, kFnFamilyRequest, request, &value, sizeof value);
}

// Sends `value` to every channel of the list. An error ends the walk; a
// warning of one channel is replaced by the status of the next.
int32_t setValue(uint32_t session, uint32_t id, const char* channelList, uint32_t valueType,
                 const AttributeValue& value) {
  ChannelNameList names;
  int32_t status = ParseChannelList(channelList, id, names);
  if (status < 0) return status;
  // One record serves every channel: only its name field changes.
  AttributeSetRequest request;
  request.request = makeAttributeRequest(kCmdAttributeSet, id, valueType, nullptr);
  request.value = value;
  for (const char* name : names) {
    setChannelName(request.request, name);
    status = sendRecord(session, kFnFamilyRequest, request);
    if (status < 0) break;
  }
  return status;
}

}  // namespace

int32_t ReadAttributeInt32(uint32_t session, const char* channelName, uint32_t id, int32_t* value) {
  if (!isValidAttributeId(id, AttributeClass::Int32)) return kInvalidAttributeId;
  if (!value) return kNullOutput;
  AttributeValue response{};
  const int32_t status = getValue(session, channelName, id, kTypeInt32, response);
  if (status == 0) *value = static_cast<int32_t>(static_cast<uint32_t>(response.i64));
  return status;
}

int32_t ReadAttributeUInt64(uint32_t session, const char* channelName, uint32_t id,
                            uint64_t* value) {
  if (!isValidAttributeId(id, AttributeClass::UInt64)) return kInvalidAttributeId;
  if (!value) return kNullOutput;
  AttributeValue response{};
  const int32_t status = getValue(session, channelName, id, kTypeUInt64, response);
  if (status == 0) *value = response.u64;
  return status;
}

int32_t ReadAttributeDouble(uint32_t session, const char* channelName, uint32_t id, double* value) {
  if (!isValidAttributeId(id, AttributeClass::Double)) return kInvalidAttributeId;
  if (!value) return kNullOutput;
  AttributeValue response{};
  const int32_t status = getValue(session, channelName, id, kTypeDouble, response);
  if (status == 0) *value = response.f64;
  return status;
}

int32_t ReadAttributeString(uint32_t session, const char* channelName, uint32_t id,
                            size_t bufferSize, char* buffer) {
  if (!isValidAttributeId(id, AttributeClass::String)) return kInvalidAttributeId;
  if (!buffer) return kNullOutput;
  AttributeValue response{};
  const int32_t status = getValue(session, channelName, id, kTypeString, response);
  if (status != 0 || bufferSize == 0) return status;
  // The driver's field need not be terminated; never read past it.
  const size_t length = strnlen(response.text, sizeof response.text);
  const size_t copied = length < bufferSize ? length : bufferSize;
  std::memcpy(buffer, response.text, copied);
  std::memset(buffer + copied, 0, bufferSize - copied);
  return status;
}

int32_t ReadAttributeBoolean(uint32_t session, const char* channelName, uint32_t id,
                             uint32_t* value) {
  if (!isValidAttributeId(id, AttributeClass::Boolean)) return kInvalidAttributeId;
  AttributeValue response{};
  const int32_t status = getValue(session, channelName, id, kTypeBoolean, response);
  if (status == 0 && value) *value = response.boolean;
  return status;
}

int32_t WriteAttributeInt32(uint32_t session, uint32_t id, const char* channelList, int32_t value) {
  if (!isValidAttributeId(id, AttributeClass::Int32)) return kInvalidAttributeId;
  AttributeValue block{};
  block.i64 = value;
  return setValue(session, id, channelList, kTypeInt32, block);
}

int32_t WriteAttributeUInt64(uint32_t session, uint32_t id, const char* channelList,
                             uint64_t value) {
  if (!isValidAttributeId(id, AttributeClass::UInt64)) return kInvalidAttributeId;
  AttributeValue block{};
  block.u64 = value;
  return setValue(session, id, channelList, kTypeUInt64, block);
}

int32_t WriteAttributeDouble(uint32_t session, uint32_t id, const char* channelList, double value) {
  if (!isValidAttributeId(id, AttributeClass::Double)) return kInvalidAttributeId;
  AttributeValue block{};
  block.f64 = value;
  return setValue(session, id, channelList, kTypeDouble, block);
}

int32_t WriteAttributeString(uint32_t session, uint32_t id, const char* channelList,
                             const char* value) {
  if (!isValidAttributeId(id, AttributeClass::String)) return kInvalidAttributeId;
  AttributeValue block{};
  copyTextField(block.text, sizeof block.text, value);
  return setValue(session, id, channelList, kTypeString, block);
}

int32_t WriteAttributeBoolean(uint32_t session, uint32_t id, const char* channelList,
                              uint32_t value) {
  if (!isValidAttributeId(id, AttributeClass::Boolean)) return kInvalidAttributeId;
  AttributeValue block{};
  block.boolean = value != 0;
  return setValue(session, id, channelList, kTypeBoolean, block);
}

}  // namespace voapi
