// How the tool reports what went wrong: a library call that failed (exit 1)
// or an argument that cannot be used (exit 2).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "votarsinapi.h"

namespace tarsin {

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A bad argument; the message is the one-line reason.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failed library call or host operation, already described in full.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The library's description of status, asked with session (0 for none).
std::string ErrorText(Session session, int32_t status);

// Throws Failure for a negative status; prints a warning for a positive one.
// "what" says what the tool was doing: "reading AI Range".
void Check(Session session, int32_t status, const std::string& what);

// Prints "tarsin: <message>" on stderr.
void PrintError(const std::string& message);

}  // namespace tarsin
