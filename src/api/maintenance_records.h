// Request records of the maintenance entry points: commit and tree
// serialisation (maintenance family), instruction FIFO batches (FIFO family)
// and the small fixed records of the direct functions. Packed and
// little-endian like every record of the channel.
#pragma once
#include <cstddef>
#include <cstdint>

#include "api/records.h"

namespace voapi {

// A batch carries at most 15 instruction words, although the record has room
// for 16: the last slot is never filled.
inline constexpr uint32_t kFifoBatchSlots = 16;
inline constexpr uint32_t kFifoBatchMaxWords = 15;

// First word of the user autoload request: selects the user image's flag.
inline constexpr uint32_t kAutoloadUserImage = 2;

#pragma pack(push, 1)

// Commit (maintenance family, command 342).
struct CommitRequest {
  FamilyHead head;
  uint32_t reserved;  // always 0
};
static_assert(sizeof(CommitRequest) == 24);
static_assert(offsetof(CommitRequest, head) == 0);
static_assert(offsetof(CommitRequest, reserved) == 20);

// Tree serialisation (maintenance family, command 343); the response is the
// caller's buffer.
struct TreeRequest {
  FamilyHead head;
  uint32_t treeSelector;
};
static_assert(sizeof(TreeRequest) == 24);
static_assert(offsetof(TreeRequest, head) == 0);
static_assert(offsetof(TreeRequest, treeSelector) == 20);

// Instruction FIFO batch (FIFO family, command 1 write, 0 read), always sent
// whole; words beyond the count are zero. A read answers one u64.
struct FifoBatchRequest {
  FamilyHead head;
  uint32_t target;
  uint32_t count;
  uint64_t words[kFifoBatchSlots];
};
static_assert(sizeof(FifoBatchRequest) == 156);
static_assert(offsetof(FifoBatchRequest, head) == 0);
static_assert(offsetof(FifoBatchRequest, target) == 20);
static_assert(offsetof(FifoBatchRequest, count) == 24);
static_assert(offsetof(FifoBatchRequest, words) == 28);

// Single-word instruction FIFO access (functions 2 and 3).
struct RawFifoRequest {
  uint32_t target;
  uint32_t unused;
  uint64_t instruction;
};
static_assert(sizeof(RawFifoRequest) == 16);
static_assert(offsetof(RawFifoRequest, target) == 0);
static_assert(offsetof(RawFifoRequest, unused) == 4);
static_assert(offsetof(RawFifoRequest, instruction) == 8);

// Response of the single-word read: the result is the first word.
struct RawFifoResponse {
  uint32_t result;
  uint32_t unused;
};
static_assert(sizeof(RawFifoResponse) == 8);
static_assert(offsetof(RawFifoResponse, result) == 0);
static_assert(offsetof(RawFifoResponse, unused) == 4);

// 32-bit register write (function 1); a read (function 0) sends the offset
// alone and answers the value.
struct BarWriteRequest {
  uint32_t offset;
  uint32_t value;
};
static_assert(sizeof(BarWriteRequest) == 8);
static_assert(offsetof(BarWriteRequest, offset) == 0);
static_assert(offsetof(BarWriteRequest, value) == 4);

// Head of the calibration write (function 6); the data follows at offset 8.
struct CalibrationWriteHeader {
  uint32_t location;
  uint32_t length;  // low 32 bits of the data's size
};
static_assert(sizeof(CalibrationWriteHeader) == 8);
static_assert(offsetof(CalibrationWriteHeader, location) == 0);
static_assert(offsetof(CalibrationWriteHeader, length) == 4);

// User autoload flag (function 21).
struct AutoloadRequest {
  uint32_t image;  // always kAutoloadUserImage
  uint32_t flag;   // 1 or 0
};
static_assert(sizeof(AutoloadRequest) == 8);
static_assert(offsetof(AutoloadRequest, image) == 0);
static_assert(offsetof(AutoloadRequest, flag) == 4);

// I/O module information (functions 22 write, 23 read). The fields are
// numbered by their position in the entry points' argument lists, which is
// not their order in the record.
struct IoModuleRecord {
  uint32_t field3;
  uint32_t field4;
  uint16_t field1;
  uint16_t field2;
  uint16_t field6;
  uint8_t field5;
  uint8_t unused;
};
static_assert(sizeof(IoModuleRecord) == 16);
static_assert(offsetof(IoModuleRecord, field3) == 0);
static_assert(offsetof(IoModuleRecord, field4) == 4);
static_assert(offsetof(IoModuleRecord, field1) == 8);
static_assert(offsetof(IoModuleRecord, field2) == 10);
static_assert(offsetof(IoModuleRecord, field6) == 12);
static_assert(offsetof(IoModuleRecord, field5) == 14);
static_assert(offsetof(IoModuleRecord, unused) == 15);

#pragma pack(pop)

}  // namespace voapi
