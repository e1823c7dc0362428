// voerr::Status: a status code plus an owned, growable JSON error context.
//
// Code 0 is success, a negative code an error and a positive code a warning.
// The context is a JSON object in text form that says where and why an error
// arose; the translation stack reads it, everything else only appends to it.
//
// Context buffer layout, kept by every writer: the buffer of capacity() bytes
// holds the text, its terminating NUL, then only zero bytes, and its last byte
// is the letter 'J'. The run of zeros between the NUL and the 'J' is the free
// room for in-place insertions, so appending a member never needs a second
// buffer and rarely a reallocation.
//
// A Status is movable but not copyable: a copy would have to allocate, and an
// allocation failure could not be reported from a copy constructor. Copy the
// content explicitly with merge() or setContextText() where it is needed.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "status/codes.h"

namespace voerr {

class Status;

// The buffer policy of a Status. newCapacity 0 releases the buffer; any other
// value asks for at least that many bytes. A reallocator keeps the text and the
// buffer layout (a record without a buffer gets "{}"), and on failure leaves
// the record unchanged and returns false. It installs its result with
// Status::adoptBuffer().
using ReallocateFn = bool (*)(Status* status, uint32_t newCapacity);

// The default policy: 512 bytes, or the smallest power of two that holds
// newCapacity; requests above 0x7fffffff fail.
bool defaultReallocate(Status* status, uint32_t newCapacity) noexcept;

// True when a record holding `current` takes `incoming`: success gives way to
// any non-zero code and a warning to an error; an error is never replaced.
constexpr bool supersedes(int32_t current, int32_t incoming) noexcept {
  return (current == 0 && incoming != 0) || (current > 0 && incoming < 0);
}

// A position in a Status's context text, kept as an offset so that it stays
// meaningful when the buffer moves during growth. A null position makes every
// writer call a no-op, which is how a site's further members are skipped after
// a raise that did not apply or a member that did not fit.
class Pos {
 public:
  constexpr Pos() noexcept = default;
  static constexpr Pos at(uint32_t offset) noexcept {
    Pos p;
    p.offset_ = offset;
    return p;
  }
  constexpr bool valid() const noexcept { return offset_ != kNull; }
  constexpr explicit operator bool() const noexcept { return valid(); }
  constexpr uint32_t offset() const noexcept { return offset_; }
  // addObject() returns the position behind the new closing brace; one step
  // back lands on the brace, where members go inside the new object.
  constexpr Pos stepIn() const noexcept { return valid() && offset_ > 0 ? at(offset_ - 1) : Pos(); }
  // After the last inner member, one step forward continues at the outer level.
  constexpr Pos stepOut() const noexcept { return valid() ? at(offset_ + 1) : Pos(); }
  friend constexpr bool operator==(Pos, Pos) noexcept = default;

 private:
  static constexpr uint32_t kNull = 0xffffffffu;
  uint32_t offset_ = kNull;
};

class Status {
 public:
  Status() noexcept = default;
  explicit Status(ReallocateFn reallocate) noexcept;
  ~Status();
  Status(Status&& other) noexcept;
  Status& operator=(Status&& other) noexcept;
  Status(const Status&) = delete;
  Status& operator=(const Status&) = delete;

  int32_t code() const noexcept { return code_; }
  bool isSuccess() const noexcept { return code_ == 0; }
  bool isError() const noexcept { return code_ < 0; }
  bool isWarning() const noexcept { return code_ > 0; }

  // The context text; "" when the record has no buffer (no context at all).
  const char* contextText() const noexcept { return context_ != nullptr ? context_ : ""; }
  bool hasContext() const noexcept { return context_ != nullptr; }
  uint32_t capacity() const noexcept { return capacity_; }
  ReallocateFn reallocator() const noexcept { return reallocate_; }

  // Code 0 and the buffer released.
  void clear() noexcept;
  // Stores the code as is, without the precedence rule; for sites that have
  // already decided (importing a status block, taking a driver's answer).
  void setCode(int32_t code) noexcept { code_ = code; }

  // Asks the reallocator for at least newCapacity bytes (0 releases).
  bool reallocate(uint32_t newCapacity) noexcept;
  // Resets an existing buffer's text to "{}", growing it to 4 bytes first when
  // it is smaller; without a buffer nothing happens. False when the buffer
  // could not grow (the text is then left as it was).
  bool resetContext() noexcept;
  // Makes sure a buffer of at least 4 bytes exists, creating "{}" if needed.
  bool ensureContext() noexcept;
  // Replaces the text. The text ends at its first NUL. Texts longer than
  // 0x7ffffffd bytes, or that do not fit because the buffer cannot grow, are
  // refused and the old text stays.
  bool setContextText(std::string_view text) noexcept;

  // The error-setting pattern of every reporting site. Applies only when the
  // record holds no error: stores the code, resets the context to "{}" and
  // appends "error_constant", "file", "line" and "component" (null arguments
  // are left out). Returns the position behind those members for the site's
  // own objects, or a null position when the record already held an error.
  Pos raise(int32_t code, const char* constantName, const char* file, int line,
            const char* component) noexcept;

  // The scope-exit check: when the code is an error and no exception has begun
  // propagating since the scope was entered (std::uncaught_exceptions() has not
  // risen above uncaughtAtEntry), the status moves into a thrown
  // voerr::Exception. In every case the record is left cleared.
  void throwIfError(int uncaughtAtEntry = 0);

  // For reallocators only: the raw buffer, and installing a new one. The
  // caller has already released or taken over the previous buffer.
  char* buffer() noexcept { return context_; }
  const char* buffer() const noexcept { return context_; }
  void adoptBuffer(char* buffer, uint32_t capacity) noexcept {
    context_ = buffer;
    capacity_ = buffer != nullptr ? capacity : 0;
  }

 private:
  // Writes `text` (no NUL inside) over the current text, keeping the layout.
  void overwriteText(std::string_view text) noexcept;

  int32_t code_ = 0;
  uint32_t capacity_ = 0;
  ReallocateFn reallocate_ = &defaultReallocate;
  char* context_ = nullptr;
};

// Takes `from` over when supersedes(into.code(), from.code()): copies the code
// and replaces into's context with a copy of from's (into keeps "{}" when the
// copy does not fit or from has no context). Returns whether it took over.
bool merge(Status& into, const Status& from) noexcept;
// As above, but steals from's buffer when both use the same reallocator
// (copying otherwise). When taken over, `from` is left cleared; otherwise it
// is untouched.
bool merge(Status& into, Status&& from) noexcept;

// One member of a flat JSON object written in a single call (see
// Appender::object and ContextWriter::addObject). A null C-string value leaves
// the member out, so optional texts can be passed straight through.
class Member {
 public:
  enum class Type : uint8_t { kString, kInt, kUnsigned, kAbsent };

  Member(const char* key, std::string_view value) noexcept
      : key_(key), type_(Type::kString), text_(value) {}
  Member(const char* key, const char* value) noexcept
      : key_(key), type_(value != nullptr ? Type::kString : Type::kAbsent) {
    if (value != nullptr) text_ = value;
  }
  Member(const char* key, int32_t value) noexcept : key_(key), type_(Type::kInt), int_(value) {}
  Member(const char* key, uint32_t value) noexcept
      : key_(key), type_(Type::kUnsigned), unsigned_(value) {}

  const char* key() const noexcept { return key_; }
  Type type() const noexcept { return type_; }
  std::string_view text() const noexcept { return text_; }
  int32_t intValue() const noexcept { return int_; }
  uint32_t unsignedValue() const noexcept { return unsigned_; }

 private:
  const char* key_;
  Type type_;
  std::string_view text_;
  int32_t int_ = 0;
  uint32_t unsigned_ = 0;
};

// Appends members one after another at the level of a position, typically the
// one returned by raise(). Once a raise did not apply or a member did not fit,
// the appender is inert and later calls do nothing.
//
//   VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
//       .object("vosysq_debug", {{"desc", "RegOpenKeyEx failed"}})
//       .internalError("win32", err, message);
class Appender {
 public:
  Appender(Status& status, Pos position) noexcept : status_(&status), pos_(position) {}

  Appender& string(const char* key, std::string_view value) noexcept;
  Appender& string(const char* key, const char* value) noexcept;  // null: left out
  Appender& integer(const char* key, int32_t value) noexcept;
  Appender& unsignedInteger(const char* key, uint32_t value) noexcept;
  Appender& member(const Member& member) noexcept;
  // "key":{members...}
  Appender& object(const char* key, std::initializer_list<Member> members) noexcept;
  // "internal_error":{"api":api,"code":code,"string":message}; an empty
  // message is left out (the system had no text for the code).
  Appender& internalError(const char* api, int32_t code, std::string_view message) noexcept;
  Appender& internalError(const char* api, uint32_t code, std::string_view message) noexcept;

  Pos position() const noexcept { return pos_; }
  Status& status() const noexcept { return *status_; }
  explicit operator bool() const noexcept { return pos_.valid(); }

 private:
  Status* status_;
  Pos pos_;
};

// An appender at the end of the status's top-level context (inert when the
// context is missing or is not a JSON object or array).
Appender appendTo(Status& status) noexcept;

// The part of a source path worth reporting: what follows the last "/src/" (or
// "\src\"), or the whole path.
constexpr const char* sourceFileName(const char* path) noexcept {
  const char* result = path;
  for (const char* p = path; p != nullptr && *p != '\0'; ++p) {
    if ((p[0] == '/' || p[0] == '\\') && p[1] == 's' && p[2] == 'r' && p[3] == 'c' &&
        (p[4] == '/' || p[4] == '\\')) {
      result = p + 5;
    }
  }
  return result;
}

inline Appender raiseAt(Status& status, int32_t code, const char* constantName, const char* file,
                        int line) noexcept {
  return Appender(status, status.raise(code, constantName, file, line, kComponent));
}

}  // namespace voerr

// Raises `code` into `status` with the calling site's file and line and the
// library's component name; yields an Appender for the site's own members.
#define VOERR_RAISE(status, code, constantName) \
  ::voerr::raiseAt((status), (code), (constantName), ::voerr::sourceFileName(__FILE__), __LINE__)
