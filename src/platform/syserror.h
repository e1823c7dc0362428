// Operating-system errors as the rest of the library sees them: a system error
// number in the original platform's numbering, and its message text. POSIX
// errors are translated to those numbers here, at the edge.
#pragma once
#include <cstdint>
#include <string>

namespace voplat {

// System error numbers the library tests for.
inline constexpr uint32_t kErrFileNotFound = 2;
inline constexpr uint32_t kErrPathNotFound = 3;
inline constexpr uint32_t kErrAccessDenied = 5;
inline constexpr uint32_t kErrInvalidHandle = 6;
inline constexpr uint32_t kErrNotEnoughMemory = 8;
inline constexpr uint32_t kErrOutOfMemory = 14;
inline constexpr uint32_t kErrInvalidParameter = 87;
inline constexpr uint32_t kErrMoreData = 234;
inline constexpr uint32_t kErrModNotFound = 126;
inline constexpr uint32_t kErrProcNotFound = 127;
inline constexpr uint32_t kErrGenFailure = 31;
inline constexpr uint32_t kErrTooManyPosts = 298;
inline constexpr uint32_t kErrBadDatabase = 1009;

struct SysError {
  uint32_t code = 0;    // system error number; 0 when none
  std::string message;  // the system's description of the failure; may be empty
};

// The system error number of the calling thread's last failed C library or
// system call (errno, translated; on Windows the thread's last error). Functions of this layer
// report their own failures through SysError instead.
uint32_t lastErrorNumber();

// The message text of a system error number, in the default language, without
// trailing line breaks; empty when the system has none.
std::string errorMessage(uint32_t code);

// Reports the system error `code` with its message through `err`, if given.
inline void reportSysError(SysError* err, uint32_t code) {
  if (err == nullptr) return;
  err->code = code;
  err->message = errorMessage(code);
}

#ifndef _WIN32
// Translates a C library errno value into a system error number. The table is
// in posix/syserror.cpp; values it does not list become kErrGenFailure.
uint32_t fromErrno(int errnoValue);
#endif

// A SysError for `code` with the system's text for it.
inline SysError makeSysError(uint32_t code) { return SysError{code, errorMessage(code)}; }

}  // namespace voplat
