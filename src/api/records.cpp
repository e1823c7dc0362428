#include "api/records.h"

#include <cstring>

namespace voapi {

void copyTextField(char* field, size_t fieldSize, const char* text) {
  size_t length = text ? strnlen(text, fieldSize) : 0;
  std::memcpy(field, text ? text : "", length);
  std::memset(field + length, 0, fieldSize - length);
}

AttributeRequest makeAttributeRequest(uint32_t command, uint32_t attributeId, uint32_t valueType,
                                      const char* channelName) {
  AttributeRequest request{};
  request.head.header = familyHeader(kFamilyAttribute);
  request.head.command = command;
  request.attributeId = attributeId;
  request.valueType = valueType;
  setChannelName(request, channelName);
  return request;
}

void setChannelName(AttributeRequest& request, const char* channelName) {
  // The name field always keeps its terminator: 255 characters at most.
  copyTextField(request.channelName, kChannelNameField - 1, channelName);
  request.channelName[kChannelNameField - 1] = '\0';
}

}  // namespace voapi
