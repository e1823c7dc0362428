#include "status/exception.h"

#include <utility>

namespace voerr {

ExceptionBase::ExceptionBase(Status&& status) noexcept : status_(std::move(status)) {}

ExceptionBase::ExceptionBase(const ExceptionBase& other) noexcept { merge(status_, other.status_); }

ExceptionBase::~ExceptionBase() { status_.clear(); }

const char* ExceptionBase::text() const noexcept { return status_.contextText(); }

void Status::throwIfError(int uncaughtAtEntry) {
  if (code_ < 0 && std::uncaught_exceptions() <= uncaughtAtEntry) {
    // Constructed in place as the exception object; the move leaves this
    // record cleared.
    throw Exception(std::move(*this));
  }
  clear();
}

}  // namespace voerr
