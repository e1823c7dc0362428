// A counting semaphore.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/syserror.h"

namespace voplat {

class Semaphore {
 public:
  // Null with *err filled when the system refuses, or with kErrInvalidParameter
  // when maximumCount is 0 or initialCount exceeds it.
  static std::unique_ptr<Semaphore> create(uint32_t initialCount, uint32_t maximumCount,
                                           SysError* err);
  virtual ~Semaphore() = default;
  // Waits without time limit until the count is positive, then decrements it.
  virtual void acquire() = 0;
  // Decrements a positive count without waiting; false when the count is 0.
  virtual bool tryAcquire() = 0;
  // Increments the count and wakes one waiter. Returns false, leaving the count
  // unchanged, when the count would exceed the maximum.
  virtual bool release() = 0;
};

}  // namespace voplat
