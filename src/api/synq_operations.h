// The operation table handed to the synchronisation software with a session
// reference: five interfaces, 29 operations, each an ordered constant table
// of function pointers. Every operation receives the context registered with
// its interface first (the session handle, zero-extended) and sends its
// requests to that session; it reports only through the status record it is
// given last (which may be null, losing the failure).
//
// "Failure", for the operations that return a value, means: the record holds
// an error after the request's status was folded into it (an error already
// there from an earlier call counts too), or, without a record, the request's
// status is negative. Values are then 0 (and the string getters hand their
// callback the empty text).
#pragma once
#include <cstddef>
#include <cstdint>

#include "status/status.h"

namespace voapi {

using SynqContext = uint64_t;

// Callbacks of the string getters: the text (not more than the response's
// 256-byte field, always terminated), its length without the terminator, and
// the operation's status record; their result is the operation's result.
using SynqTextCallback = int32_t (*)(uint64_t cookie, const char* text, uint64_t length,
                                     voerr::Status* status);
using SynqTextArrayCallback = int32_t (*)(uint64_t cookie, const char* const* texts, uint64_t count,
                                          const uint64_t* lengths, voerr::Status* status);

// Interface 1: attribute access on one channel name (null is the device as
// a whole), without any check of the ID's range.
struct SynqAttributeOps {
  uint8_t (*query)(SynqContext, const char* channel, uint32_t id, voerr::Status*);
  void (*setBoolean)(SynqContext, const char* channel, uint32_t id, uint8_t value,
                     voerr::Status*);  // the byte as given
  void (*setDouble)(SynqContext, const char* channel, uint32_t id, double value, voerr::Status*);
  void (*setInt32)(SynqContext, const char* channel, uint32_t id, int32_t value, voerr::Status*);
  void (*setUInt32)(SynqContext, const char* channel, uint32_t id, uint32_t value, voerr::Status*);
  void (*setUInt64)(SynqContext, const char* channel, uint32_t id, uint64_t value, voerr::Status*);
  void (*setString)(SynqContext, const char* channel, uint32_t id, const char* text,
                    voerr::Status*);
  // Sends texts[0], or the empty text when count is 0.
  void (*setStrings)(SynqContext, const char* channel, uint32_t id, const char* const* texts,
                     uint64_t count, voerr::Status*);
  uint8_t (*getBoolean)(SynqContext, const char* channel, uint32_t id, voerr::Status*);
  double (*getDouble)(SynqContext, const char* channel, uint32_t id, voerr::Status*);
  int32_t (*getInt32)(SynqContext, const char* channel, uint32_t id, voerr::Status*);
  uint32_t (*getUInt32)(SynqContext, const char* channel, uint32_t id, voerr::Status*);
  uint64_t (*getUInt64)(SynqContext, const char* channel, uint32_t id, voerr::Status*);
  int32_t (*getString)(SynqContext, const char* channel, uint32_t id, uint64_t cookie,
                       SynqTextCallback callback, voerr::Status*);
  int32_t (*getStrings)(SynqContext, const char* channel, uint32_t id, uint64_t cookie,
                        SynqTextArrayCallback callback, voerr::Status*);
};

// Interface 2: commands 10 and 11, and command 12, which answers a byte.
struct SynqControlOps {
  void (*command10)(SynqContext, voerr::Status*);
  void (*command11)(SynqContext, voerr::Status*);
  uint8_t (*query12)(SynqContext, voerr::Status*);
};

// Interface 3: commands with one u32 argument; command 5 answers a value and
// two words.
struct SynqArgumentOps {
  void (*command2)(SynqContext, uint32_t a, voerr::Status*);
  void (*command3)(SynqContext, uint32_t a, voerr::Status*);
  void (*pulse)(SynqContext, uint32_t a, voerr::Status*);  // the sync pulse, command 1
  void (*command4)(SynqContext, uint32_t a, voerr::Status*);
  double (*measure5)(SynqContext, uint32_t a, uint32_t* out1, uint32_t* out2, voerr::Status*);
};

// Interface 4: command 13, which raises the caller's flag before it is sent,
// and command 14.
struct SynqFlagOps {
  void (*command13)(SynqContext, uint8_t* flag, voerr::Status*);
  void (*command14)(SynqContext, voerr::Status*);
};

// Interface 5: commands with two values (or one, command 9).
struct SynqValueOps {
  void (*command6)(SynqContext, uint32_t a, uint32_t b, voerr::Status*);
  void (*command7)(SynqContext, double a, double b, voerr::Status*);
  void (*command8)(SynqContext, double a, double b, voerr::Status*);
  void (*command9)(SynqContext, double a, voerr::Status*);
};

static_assert(sizeof(SynqAttributeOps) == 15 * sizeof(void*));
static_assert(sizeof(SynqControlOps) == 3 * sizeof(void*));
static_assert(sizeof(SynqArgumentOps) == 5 * sizeof(void*));
static_assert(sizeof(SynqFlagOps) == 2 * sizeof(void*));
static_assert(sizeof(SynqValueOps) == 4 * sizeof(void*));

// One {interface table, context} pair of the registration array.
struct SynqInterfaceEntry {
  const void* table;
  uint64_t context;
};
static_assert(sizeof(SynqInterfaceEntry) == 16);
static_assert(offsetof(SynqInterfaceEntry, table) == 0);
static_assert(offsetof(SynqInterfaceEntry, context) == 8);

inline constexpr size_t kSynqInterfaceCount = 5;

const SynqAttributeOps& synqAttributeOps() noexcept;
const SynqControlOps& synqControlOps() noexcept;
const SynqArgumentOps& synqArgumentOps() noexcept;
const SynqFlagOps& synqFlagOps() noexcept;
const SynqValueOps& synqValueOps() noexcept;

// The registration array for a session: the five interfaces in order, each
// with the session as context.
void fillSynqInterfaces(uint32_t session,
                        SynqInterfaceEntry (&entries)[kSynqInterfaceCount]) noexcept;

// Folds a request's status into the record (when given and the status is
// not 0) with the driver's description of it. When the driver cannot describe
// the failure, the code is still taken by the precedence rule, so a failure
// is never lost for want of a description. Returns whether the operation has
// failed in the sense above.
bool foldSynqStatus(uint32_t session, int32_t status, voerr::Status* record) noexcept;

}  // namespace voapi
