// Status of an operation made of several device steps (attribute writes,
// requests): an error ends the operation at once and is its result;
// otherwise the first warning met is kept, so a later success cannot hide it.
#pragma once
#include <cstdint>

namespace voapi {

class StepStatus {
 public:
  // Takes one step's status; true while the remaining steps should run.
  bool add(int32_t status) noexcept {
    if (status < 0) {
      result_ = status;
      return false;
    }
    if (result_ == 0) result_ = status;
    return true;
  }
  int32_t result() const noexcept { return result_; }

 private:
  int32_t result_ = 0;
};

}  // namespace voapi
