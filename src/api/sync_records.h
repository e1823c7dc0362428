// Requests of the synchronisation family (0x104) sent on behalf of the
// synchronisation software: the probe before a session reference is handed
// out and the commands of the registered operation table. Every record is the
// family head followed by the command's packed payload.
#pragma once
#include <cstddef>
#include <cstdint>

#include "api/records.h"

namespace voapi {

// Commands of the family. The device gives them their meaning; the library
// only carries them, so most are known by number alone.
enum SynqCommand : uint32_t {
  kSynqProbe = 0,
  kSynqPulse = 1,
  kSynqCommand2 = 2,
  kSynqCommand3 = 3,
  kSynqCommand4 = 4,
  kSynqMeasure = 5,  // answers a SynqMeasureResponse
  kSynqCommand6 = 6,
  kSynqCommand7 = 7,
  kSynqCommand8 = 8,
  kSynqCommand9 = 9,
  kSynqCommand10 = 10,
  kSynqCommand11 = 11,
  kSynqQuery = 12,  // answers one byte
  kSynqCommand13 = 13,
  kSynqCommand14 = 14,
};

#pragma pack(push, 1)

struct SynqRequest {
  FamilyHead head;
};
static_assert(sizeof(SynqRequest) == 20);
static_assert(offsetof(SynqRequest, head) == 0);

struct SynqU32Request {
  FamilyHead head;
  uint32_t a;
};
static_assert(sizeof(SynqU32Request) == 24);
static_assert(offsetof(SynqU32Request, a) == 20);

struct SynqU32PairRequest {
  FamilyHead head;
  uint32_t a;
  uint32_t b;
};
static_assert(sizeof(SynqU32PairRequest) == 28);
static_assert(offsetof(SynqU32PairRequest, a) == 20);
static_assert(offsetof(SynqU32PairRequest, b) == 24);

struct SynqF64Request {
  FamilyHead head;
  double a;
};
static_assert(sizeof(SynqF64Request) == 28);
static_assert(offsetof(SynqF64Request, a) == 20);

struct SynqF64PairRequest {
  FamilyHead head;
  double a;
  double b;
};
static_assert(sizeof(SynqF64PairRequest) == 36);
static_assert(offsetof(SynqF64PairRequest, a) == 20);
static_assert(offsetof(SynqF64PairRequest, b) == 28);

// Response of command 5.
struct SynqMeasureResponse {
  double value;
  uint32_t out1;
  uint32_t out2;
};
static_assert(sizeof(SynqMeasureResponse) == 16);
static_assert(offsetof(SynqMeasureResponse, value) == 0);
static_assert(offsetof(SynqMeasureResponse, out1) == 8);
static_assert(offsetof(SynqMeasureResponse, out2) == 12);

#pragma pack(pop)

constexpr FamilyHead synqHead(SynqCommand command) {
  return FamilyHead{familyHeader(kFamilySync), command};
}

}  // namespace voapi
