// Request records of acquisition: the stream family (start, clear, wait,
// read), the route family (route, unroute), the sync pulse of the
// synchronisation family and the error elaboration request. Packed and
// little-endian like every record of records.h.
#pragma once
#include <cstddef>
#include <cstdint>

#include "api/records.h"

namespace voapi {

// Streams are numbered 0..63; configuration addresses a stream by its bare
// number as channel name.
inline constexpr uint32_t kStreamCount = 64;

// Size of the per-channel information record the driver writes on a read.
// Its contents are the driver's; the library never reads them.
inline constexpr size_t kReadInfoSize = 80;

// Terminal-name fields of the route request. The last byte of each field is
// always forced to 0, so a name keeps at most 511 characters.
inline constexpr size_t kTerminalNameField = 512;

// Data types of the read request. 1 doubles as the f64 attribute value type.
enum class SampleType : uint32_t { kFloat64 = 1, kInt16 = 7 };

constexpr uint64_t sampleSize(SampleType type) { return type == SampleType::kInt16 ? 2 : 8; }

// Bit of the read response's completion word marking a read that did not
// complete.
inline constexpr uint32_t kReadIncompleteBit = 2;

#pragma pack(push, 1)

// Start (278) and clear (272).
struct StreamRequest {
  FamilyHead head;
  uint32_t stream;
};
static_assert(sizeof(StreamRequest) == 24);
static_assert(offsetof(StreamRequest, head) == 0);
static_assert(offsetof(StreamRequest, stream) == 20);

// Transfer wait (276); with count 0 and timeout 0 it is the state query.
struct StreamWaitRequest {
  FamilyHead head;
  uint32_t stream;
  uint64_t count;
  uint32_t timeout;
};
static_assert(sizeof(StreamWaitRequest) == 36);
static_assert(offsetof(StreamWaitRequest, head) == 0);
static_assert(offsetof(StreamWaitRequest, stream) == 20);
static_assert(offsetof(StreamWaitRequest, count) == 24);
static_assert(offsetof(StreamWaitRequest, timeout) == 32);

struct StreamWaitResponse {
  uint64_t count;
  uint8_t state;
};
static_assert(sizeof(StreamWaitResponse) == 9);
static_assert(offsetof(StreamWaitResponse, count) == 0);
static_assert(offsetof(StreamWaitResponse, state) == 8);

// Read (277). The driver writes samples and information records straight
// into the caller's memory at the two addresses.
struct StreamReadRequest {
  FamilyHead head;  // header words 3 and 4 are 1 in this request alone
  uint32_t stream;
  uint64_t bytesPerChannel;
  uint64_t channels;
  uint64_t dataAddress;
  uint64_t infoAddress;
  uint32_t timeout;
  uint32_t dataType;
};
static_assert(sizeof(StreamReadRequest) == 64);
static_assert(offsetof(StreamReadRequest, head) == 0);
static_assert(offsetof(StreamReadRequest, stream) == 20);
static_assert(offsetof(StreamReadRequest, bytesPerChannel) == 24);
static_assert(offsetof(StreamReadRequest, channels) == 32);
static_assert(offsetof(StreamReadRequest, dataAddress) == 40);
static_assert(offsetof(StreamReadRequest, infoAddress) == 48);
static_assert(offsetof(StreamReadRequest, timeout) == 56);
static_assert(offsetof(StreamReadRequest, dataType) == 60);

struct StreamReadResponse {
  uint8_t driver[24];   // the driver's own; not interpreted
  uint32_t completion;  // kReadIncompleteBit set: the read did not complete
};
static_assert(sizeof(StreamReadResponse) == 28);
static_assert(offsetof(StreamReadResponse, driver) == 0);
static_assert(offsetof(StreamReadResponse, completion) == 24);

// Route (command 0); the response is the route identifier.
struct RouteRequest {
  FamilyHead head;
  char terminal1[kTerminalNameField];
  char terminal2[kTerminalNameField];
};
static_assert(sizeof(RouteRequest) == 1044);
static_assert(offsetof(RouteRequest, head) == 0);
static_assert(offsetof(RouteRequest, terminal1) == 20);
static_assert(offsetof(RouteRequest, terminal2) == 532);

// Unroute (command 1).
struct UnrouteRequest {
  FamilyHead head;
  uint32_t route;
};
static_assert(sizeof(UnrouteRequest) == 24);
static_assert(offsetof(UnrouteRequest, head) == 0);
static_assert(offsetof(UnrouteRequest, route) == 20);

// Sync pulse (synchronisation family, command 1).
struct SyncPulseRequest {
  FamilyHead head;
  uint32_t reserved;  // always 0
};
static_assert(sizeof(SyncPulseRequest) == 24);
static_assert(offsetof(SyncPulseRequest, head) == 0);
static_assert(offsetof(SyncPulseRequest, reserved) == 20);

// Error elaboration (function 800): the status to describe. The answer is a
// NUL-terminated JSON text of at most kElaborationSize bytes.
struct ElaborationRequest {
  int32_t status;
};
static_assert(sizeof(ElaborationRequest) == 4);
static_assert(offsetof(ElaborationRequest, status) == 0);

#pragma pack(pop)

inline constexpr uint32_t kCmdSyncPulse = 1;

constexpr FamilyHead familyHead(Family family, uint32_t command) {
  return FamilyHead{familyHeader(family), command};
}

}  // namespace voapi
