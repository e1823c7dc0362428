// FixedStatus: the fixed-size status block used where a status crosses the
// exported boundary and for process-wide statuses. It has no pointers to owned
// memory, so it can live in static storage and be copied freely.
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "status/status.h"

namespace voerr {

struct FixedStatus {
  static constexpr uint32_t kFullSize = 208;
  static constexpr size_t kComponentChars = 9;
  static constexpr size_t kFileChars = 100;
  static constexpr size_t kExtensionWords = 10;

  // 208 for the full layout; a block with a smaller size carries only `code`
  // and its other fields are neither read nor written.
  uint32_t structSize = kFullSize;
  int32_t code = 0;
  char component[kComponentChars + 1] = {};
  char file[kFileChars + 1] = {};
  uint32_t line = 0;
  // Zero-terminated list of references to further data; emptied whenever a
  // new error is stored.
  uint64_t extension[kExtensionWords] = {};

  bool isFull() const noexcept { return structSize >= kFullSize; }

  // Takes `newCode` by the precedence rule of supersedes(). When taken into a
  // full block, also stores the first 9 bytes of the component, the file name
  // (whole up to 100 bytes, else its first 49, "..", and its last 49) and the
  // line, and empties the extension list. Null texts count as empty. Returns
  // whether the code was taken.
  bool set(int32_t newCode, const char* newComponent, const char* newFile,
           uint32_t newLine) noexcept;
};

// The block is shared with code outside the library: pin its layout.
static_assert(sizeof(FixedStatus) == FixedStatus::kFullSize);
static_assert(std::is_standard_layout_v<FixedStatus>);
static_assert(std::is_trivially_copyable_v<FixedStatus>);
static_assert(offsetof(FixedStatus, structSize) == 0);
static_assert(offsetof(FixedStatus, code) == 4);
static_assert(offsetof(FixedStatus, component) == 8);
static_assert(offsetof(FixedStatus, file) == 18);
static_assert(offsetof(FixedStatus, line) == 120);
static_assert(offsetof(FixedStatus, extension) == 128);

// set() with from's code, component, file and line (empty and 0 when `from` is
// shorter than the full layout). When taken and both blocks are full, copies
// from's extension words up to and including the first zero, at most ten.
bool mergeFixed(FixedStatus& into, const FixedStatus& from) noexcept;

// Exports a status into a block: when the status holds a non-zero code and the
// block holds no error, reads "component" (its last 9 bytes), "file" (its last
// 100 bytes) and "line" from the context and calls set(). Returns whether the
// block took the code.
bool fromStatus(const Status& status, FixedStatus& block) noexcept;

// Imports a block into a status, the reverse of fromStatus(): when the block's
// code is non-zero and the status takes it by supersedes(), stores the code,
// resets the context to "{}" and, for a full block, appends "file" and "line"
// (when the file name is not empty) and "component" (when not empty). Returns
// whether the status took the code.
bool toStatus(const FixedStatus& block, Status& status) noexcept;

}  // namespace voerr
