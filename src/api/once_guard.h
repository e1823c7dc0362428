// A once-guard for process-wide bindings: the initialiser runs on one thread
// at a time until it succeeds once; a failure leaves the guard open so the
// next caller tries again.
#pragma once
#include <atomic>
#include <cstdint>

#include "status/fixed_status.h"

namespace voapi {

class OnceGuard {
 public:
  using Initializer = void (*)(voerr::FixedStatus& block);
  using Finalizer = void (*)();

  static constexpr uint32_t kRetryIntervalMs = 1;

  constexpr OnceGuard(Initializer initializer, Finalizer finalizer)
      : initializer_(initializer), finalizer_(finalizer) {}

  // Runs the initialiser unless it already succeeded or the block already
  // holds an error. Threads arriving while it runs wait in 1 ms steps. An
  // exception of the initialiser passes through and counts as a failure.
  void run(voerr::FixedStatus& block);

  // At unload: forgets a completed initialisation and runs the finaliser.
  void reset();

  bool done() const { return done_.load(std::memory_order_acquire) == 1; }

 private:
  Initializer initializer_;
  Finalizer finalizer_;
  std::atomic<uint32_t> done_{0};
  std::atomic<uint32_t> busy_{0};
};

}  // namespace voapi
