// Typed attribute access: one attribute request per channel name.
#pragma once
#include <cstddef>
#include <cstdint>

namespace voapi {

inline constexpr int32_t kInvalidAttributeId = -63196;
inline constexpr int32_t kNullOutput = -1;

// The top four bits of an attribute ID name its type class.
enum class AttributeClass : uint32_t { Int32 = 1, Double = 2, String = 3, Boolean = 4, UInt64 = 5 };

// Valid IDs of a class are its base plus 0x0000 to 0xFFFE.
constexpr bool isValidAttributeId(uint32_t id, AttributeClass cls) {
  return (id & 0xFFFF0000u) == static_cast<uint32_t>(cls) << 28 && (id & 0xFFFFu) != 0xFFFFu;
}

// Getters take one channel name (null is the device as a whole) and write
// the output only on status 0.
int32_t ReadAttributeInt32(uint32_t session, const char* channelName, uint32_t id, int32_t* value);
int32_t ReadAttributeUInt64(uint32_t session, const char* channelName, uint32_t id,
                            uint64_t* value);
int32_t ReadAttributeDouble(uint32_t session, const char* channelName, uint32_t id, double* value);
// Bounded copy of the text: at most bufferSize bytes, zero-filled after the
// terminator; a text of bufferSize characters or more arrives unterminated.
int32_t ReadAttributeString(uint32_t session, const char* channelName, uint32_t id,
                            size_t bufferSize, char* buffer);
// A null value pointer still sends the request.
int32_t ReadAttributeBoolean(uint32_t session, const char* channelName, uint32_t id,
                             uint32_t* value);

// Setters take a channel list and write every channel in order, stopping at
// the first error; otherwise the status of the last channel is returned.
int32_t WriteAttributeInt32(uint32_t session, uint32_t id, const char* channelList, int32_t value);
int32_t WriteAttributeUInt64(uint32_t session, uint32_t id, const char* channelList,
                             uint64_t value);
int32_t WriteAttributeDouble(uint32_t session, uint32_t id, const char* channelList, double value);
// A null text is sent as the empty text; the text is cut at 256 bytes.
int32_t WriteAttributeString(uint32_t session, uint32_t id, const char* channelList,
                             const char* value);
// Any non-zero value is sent as 1.
int32_t WriteAttributeBoolean(uint32_t session, uint32_t id, const char* channelList,
                              uint32_t value);

}  // namespace voapi
