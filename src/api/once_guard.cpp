#include "api/once_guard.h"

#include "platform/clock.h"

namespace voapi {

void OnceGuard::run(voerr::FixedStatus& block) {
  if (block.code < 0) return;
  if (done_.load(std::memory_order_acquire) == 1) return;
  uint32_t idle = 0;
  while (!busy_.compare_exchange_strong(idle, 1, std::memory_order_acquire)) {
    idle = 0;
    voplat::sleepMs(kRetryIntervalMs);
  }
  // Released on every way out, an exception of the initialiser included:
  // otherwise every later caller would wait for ever.
  struct Release {
    std::atomic<uint32_t>& busy;
    ~Release() { busy.store(0, std::memory_order_release); }
  } release{busy_};
  // Another thread may have finished while this one waited.
  if (done_.load(std::memory_order_acquire) == 0) {
    initializer_(block);
    if (block.code >= 0) done_.store(1, std::memory_order_release);
  }
}

void OnceGuard::reset() {
  uint32_t completed = 1;
  if (done_.compare_exchange_strong(completed, 0, std::memory_order_acq_rel) && finalizer_)
    finalizer_();
}

}  // namespace voapi
