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

// Sends the value that `fill` writes to every channel of the list. An error
// ends the walk; a warning of one channel is replaced by the status of the
// next. One record serves every channel: only its name changes.
template <typename Fill>
int32_t setValue(uint32_t session, uint32_t id, const char* channelList, uint32_t valueType,
                 Fill fill) {
  ChannelNameList names;
  int32_t status = ParseChannelList(channelList, id, names);
  if (status < 0) return status;
  AttributeSetRequest request;
  std::memset(&request, 0, sizeof request);
  request.request.head.header = familyHeader(kFamilyAttribute);
  request.request.head.command = kCmdAttributeSet;
  request.request.attributeId = id;
  request.request.valueType = valueType;
  fill(request.value);
  char* field = request.request.channelName;
  size_t previous = 0;
  for (const char* name : names) {
    // Names are cut at 255 characters, so the field keeps its terminator;
    // the bytes a longer previous name left behind are cleared.
    const size_t length = strnlen(name, kChannelNameField - 1);
    std::memcpy(field, name, length);
    if (previous > length) std::memset(field + length, 0, previous - length);
    previous = length;
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
  return setValue(session, id, channelList, kTypeInt32,
                  [value](AttributeValue& block) { block.i64 = value; });
}

int32_t WriteAttributeUInt64(uint32_t session, uint32_t id, const char* channelList,
                             uint64_t value) {
  if (!isValidAttributeId(id, AttributeClass::UInt64)) return kInvalidAttributeId;
  return setValue(session, id, channelList, kTypeUInt64,
                  [value](AttributeValue& block) { block.u64 = value; });
}

int32_t WriteAttributeDouble(uint32_t session, uint32_t id, const char* channelList, double value) {
  if (!isValidAttributeId(id, AttributeClass::Double)) return kInvalidAttributeId;
  return setValue(session, id, channelList, kTypeDouble,
                  [value](AttributeValue& block) { block.f64 = value; });
}

int32_t WriteAttributeString(uint32_t session, uint32_t id, const char* channelList,
                             const char* value) {
  if (!isValidAttributeId(id, AttributeClass::String)) return kInvalidAttributeId;
  return setValue(session, id, channelList, kTypeString, [value](AttributeValue& block) {
    copyTextField(block.text, sizeof block.text, value);
  });
}

int32_t WriteAttributeBoolean(uint32_t session, uint32_t id, const char* channelList,
                              uint32_t value) {
  if (!isValidAttributeId(id, AttributeClass::Boolean)) return kInvalidAttributeId;
  return setValue(session, id, channelList, kTypeBoolean,
                  [value](AttributeValue& block) { block.boolean = value != 0; });
}

}  // namespace voapi
