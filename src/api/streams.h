// Stream lifecycle: which analog inputs a stream carries, its finite sample
// count, and the start, wait and clear requests. Configuration is made of
// attribute writes addressed to the stream's bare number; the device keeps
// all stream state, the library none.
#pragma once
#include <cstdint>

namespace voapi {

// A stream number of 64 or more given to a configuring operation.
inline constexpr int32_t kInvalidStreamNumber = -304405;

// The stream's channel name ("0".."63"), or null for 64 or more.
const char* StreamChannelName(uint32_t stream) noexcept;

// Enables the analog-input channels of the list on the stream. The number of
// distinct channels goes to *channelCount (when given) before anything is
// written, so it stays stored when a write fails.
int32_t ConfigureStreamEnabledChannels(uint32_t session, uint32_t stream, const char* channelList,
                                       uint32_t* channelCount) noexcept;
// Makes the stream finite with numberOfSamples samples per channel.
int32_t ConfigureStreamFinite(uint32_t session, uint32_t stream, uint64_t numberOfSamples) noexcept;

// Start, wait and clear forward the stream number unchecked: the driver owns
// the numbering of what it may start.
int32_t StartStream(uint32_t session, uint32_t stream) noexcept;
int32_t ClearStream(uint32_t session, uint32_t stream) noexcept;
// The outputs (each may be null) are written after every call; after a
// failure their values mean nothing.
int32_t WaitForTransfer(uint32_t session, uint32_t stream, uint64_t count, uint32_t timeout,
                        uint64_t* countOut, uint8_t* stateOut) noexcept;

// The stream's state byte as the wait request with count and timeout 0
// reports it; 0 when the query fails or writes nothing.
uint8_t QueryStreamState(uint32_t session, uint32_t stream) noexcept;

}  // namespace voapi
