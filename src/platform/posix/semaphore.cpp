// A counting semaphore on POSIX threads: a count guarded by a mutex, and a
// condition variable on which acquirers wait for it to become positive.
#include "platform/semaphore.h"

#include <pthread.h>

#include <new>

namespace voplat {

namespace {

class PosixSemaphore final : public Semaphore {
 public:
  PosixSemaphore(uint32_t initialCount, uint32_t maximumCount)
      : count_(initialCount), maximum_(maximumCount) {}

  // Second-phase construction: the system may refuse either object.
  int init() {
    int rc = pthread_mutex_init(&mutex_, nullptr);
    if (rc != 0) return rc;
    mutexReady_ = true;
    rc = pthread_cond_init(&cond_, nullptr);
    if (rc != 0) return rc;
    condReady_ = true;
    return 0;
  }

  ~PosixSemaphore() override {
    if (condReady_) pthread_cond_destroy(&cond_);
    if (mutexReady_) pthread_mutex_destroy(&mutex_);
  }

  void acquire() override {
    pthread_mutex_lock(&mutex_);
    while (count_ == 0) pthread_cond_wait(&cond_, &mutex_);
    --count_;
    pthread_mutex_unlock(&mutex_);
  }

  bool tryAcquire() override {
    pthread_mutex_lock(&mutex_);
    const bool taken = count_ > 0;
    if (taken) --count_;
    pthread_mutex_unlock(&mutex_);
    return taken;
  }

  bool release() override {
    pthread_mutex_lock(&mutex_);
    const bool released = count_ < maximum_;
    if (released) {
      ++count_;
      pthread_cond_signal(&cond_);
    }
    pthread_mutex_unlock(&mutex_);
    return released;
  }

 private:
  pthread_mutex_t mutex_;
  pthread_cond_t cond_;
  bool mutexReady_ = false;
  bool condReady_ = false;
  uint32_t count_;
  const uint32_t maximum_;
};

}  // namespace

std::unique_ptr<Semaphore> Semaphore::create(uint32_t initialCount, uint32_t maximumCount,
                                             SysError* err) {
  if (maximumCount == 0 || initialCount > maximumCount) {
    reportSysError(err, kErrInvalidParameter);
    return nullptr;
  }
  std::unique_ptr<PosixSemaphore> semaphore(new (std::nothrow)
                                                PosixSemaphore(initialCount, maximumCount));
  if (!semaphore) {
    reportSysError(err, kErrNotEnoughMemory);
    return nullptr;
  }
  if (const int rc = semaphore->init(); rc != 0) {
    reportSysError(err, fromErrno(rc));
    return nullptr;
  }
  return semaphore;
}

}  // namespace voplat
