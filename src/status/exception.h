// The exceptions that carry a status through the translation code. They are
// thrown only by Status::throwIfError() and are mapped back to codes at the
// exported entry points.
#pragma once
#include <exception>

#include "status/status.h"

namespace voerr {

class ExceptionBase {
 public:
  // Takes the status over, context buffer included.
  explicit ExceptionBase(Status&& status) noexcept;
  // Exceptions must be copyable to be thrown; a copy duplicates the context
  // and keeps only the code when that copy cannot be allocated.
  ExceptionBase(const ExceptionBase& other) noexcept;
  ExceptionBase& operator=(const ExceptionBase&) = delete;
  // Clears the status and releases its context.
  virtual ~ExceptionBase();
  // The status's context text ("" when it has none).
  virtual const char* text() const noexcept;

  const Status& status() const noexcept { return status_; }
  Status& status() noexcept { return status_; }
  int32_t code() const noexcept { return status_.code(); }

 private:
  Status status_;
};

// The one exception type thrown for a status; catch it as Exception,
// ExceptionBase or std::exception.
class Exception : public virtual ExceptionBase, public std::exception {
 public:
  explicit Exception(Status&& status) noexcept : ExceptionBase(std::move(status)) {}
  Exception(const Exception& other) noexcept : ExceptionBase(other), std::exception(other) {}
  Exception& operator=(const Exception&) = delete;

  // The context text, as text() returns it.
  const char* what() const noexcept override { return text(); }
};

// Checks a status when a scope ends: Status::throwIfError() relative to the
// number of exceptions propagating when the guard was made, so that a scope
// left by unwinding never throws a second exception.
class ThrowIfErrorOnExit {
 public:
  explicit ThrowIfErrorOnExit(Status& status) noexcept
      : status_(status), uncaught_(std::uncaught_exceptions()) {}
  ~ThrowIfErrorOnExit() noexcept(false) { status_.throwIfError(uncaught_); }
  ThrowIfErrorOnExit(const ThrowIfErrorOnExit&) = delete;
  ThrowIfErrorOnExit& operator=(const ThrowIfErrorOnExit&) = delete;

 private:
  Status& status_;
  int uncaught_;
};

}  // namespace voerr
