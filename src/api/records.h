// Request records exchanged with the device driver. Every record is packed
// and little-endian, built afresh on the caller's stack for each request.
#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "request records are laid out for a little-endian host");

namespace voapi {

inline constexpr uint32_t kGroup = 2;

// Function numbers of the client function call.
enum Function : uint32_t {
  kFnReadRegister = 0,
  kFnWriteRegister = 1,
  kFnRawFifoRead = 2,
  kFnRawFifoWrite = 3,
  kFnCalibrationWrite = 6,
  kFnCalibrationRead = 7,
  kFnSetTemperatureLimit = 14,
  kFnSetPowerLimit = 15,
  kFnGetTemperatureLimit = 16,
  kFnGetPowerLimit = 17,
  kFnMetadataSize = 18,
  kFnMetadata = 19,
  kFnUpdateVerification = 20,
  kFnUserAutoload = 21,
  kFnIoModuleInfoWrite = 22,
  kFnIoModuleInfoRead = 23,
  kFnFamilyRequest = 256,
  kFnPromoteToFlash = 777,
  kFnElaborate = 800,
};

// Family codes: the first word of every family request.
enum Family : uint32_t {
  kFamilyStream = 0x101,
  kFamilyAttribute = 0x102,
  kFamilySync = 0x104,
  kFamilyRoute = 0x105,
  kFamilyFifo = 0x106,
  kFamilyMaintenance = 0xDE7EC7EDu,
};

// Commands within the families.
enum Command : uint32_t {
  kCmdAttributeGet = 721,
  kCmdAttributeSet = 722,
  kCmdAttributeReset = 723,
  kCmdAttributeQuery = 724,
  kCmdStreamClear = 272,
  kCmdStreamWait = 276,
  kCmdStreamRead = 277,
  kCmdStreamStart = 278,
  kCmdRoute = 0,
  kCmdUnroute = 1,
  kCmdFifoRead = 0,
  kCmdFifoWrite = 1,
  kCmdCommit = 342,
  kCmdTreeSerialization = 343,
};

// Value types of attribute requests.
enum ValueType : uint32_t {
  kTypeBoolean = 0,
  kTypeDouble = 1,
  kTypeInt32 = 2,
  kTypeUInt32 = 4,
  kTypeUInt64 = 5,
  kTypeString = 6,
};

inline constexpr size_t kChannelNameField = 256;
inline constexpr size_t kStringValueField = 256;
inline constexpr size_t kElaborationSize = 8192;

#pragma pack(push, 1)

struct RequestHeader {
  uint32_t family;
  uint32_t reserved;
  uint32_t word2;  // 1 only in the stream read request
  uint32_t word3;  // 1 only in the stream read request
};
static_assert(sizeof(RequestHeader) == 16);
static_assert(offsetof(RequestHeader, family) == 0);
static_assert(offsetof(RequestHeader, reserved) == 4);
static_assert(offsetof(RequestHeader, word2) == 8);
static_assert(offsetof(RequestHeader, word3) == 12);

// The head shared by the family requests: header and command.
struct FamilyHead {
  RequestHeader header;
  uint32_t command;
};
static_assert(sizeof(FamilyHead) == 20);
static_assert(offsetof(FamilyHead, command) == 16);

struct AttributeRequest {
  FamilyHead head;
  uint32_t attributeId;
  uint32_t valueType;  // not used by reset and query
  char channelName[kChannelNameField];
};
static_assert(sizeof(AttributeRequest) == 284);
static_assert(offsetof(AttributeRequest, head) == 0);
static_assert(offsetof(AttributeRequest, attributeId) == 20);
static_assert(offsetof(AttributeRequest, valueType) == 24);
static_assert(offsetof(AttributeRequest, channelName) == 28);

// The response of a get, and the tail of a set. Only the field of the
// request's type carries meaning.
struct AttributeValue {
  double f64;
  int64_t i64;   // Int32 values, sign-extended
  uint64_t u64;  // UInt64 values; UInt32 values zero-extended
  char text[kStringValueField];
  uint8_t boolean;
};
static_assert(sizeof(AttributeValue) == 281);
static_assert(offsetof(AttributeValue, f64) == 0);
static_assert(offsetof(AttributeValue, i64) == 8);
static_assert(offsetof(AttributeValue, u64) == 16);
static_assert(offsetof(AttributeValue, text) == 24);
static_assert(offsetof(AttributeValue, boolean) == 280);

struct AttributeSetRequest {
  AttributeRequest request;
  AttributeValue value;
};
static_assert(sizeof(AttributeSetRequest) == 565);
static_assert(offsetof(AttributeSetRequest, request) == 0);
static_assert(offsetof(AttributeSetRequest, value) == 284);

#pragma pack(pop)

constexpr RequestHeader familyHeader(Family family) { return RequestHeader{family, 0, 0, 0}; }

// A zeroed attribute request for `command`, with the channel name copied cut
// at 255 characters; a null name is sent as the empty name.
AttributeRequest makeAttributeRequest(uint32_t command, uint32_t attributeId, uint32_t valueType,
                                      const char* channelName);

// Replaces the channel name of an attribute request (cut at 255 characters;
// null is the empty name).
void setChannelName(AttributeRequest& request, const char* channelName);

// Copies text into a fixed field: cut at fieldSize bytes, the rest zero. A
// text of fieldSize bytes or more leaves no terminator.
void copyTextField(char* field, size_t fieldSize, const char* text);

}  // namespace voapi
