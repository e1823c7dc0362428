// Thread-local values on POSIX threads. An index is a pthread key.
//
// Looking up a key that was never created (or was deleted) is undefined for
// pthread_getspecific, yet indices reach this layer from outside the library.
// So every key handed out is recorded in a bitmap, and only recorded keys
// reach the thread library.
#include "platform/tls.h"

#include <limits.h>
#include <pthread.h>

#include <atomic>

namespace voplat {

namespace {

#ifdef PTHREAD_KEYS_MAX
constexpr uint32_t kMaxKeys = PTHREAD_KEYS_MAX;
#else
constexpr uint32_t kMaxKeys = 1024;
#endif

std::atomic<uint64_t> gAllocated[(kMaxKeys + 63) / 64];

bool isAllocated(uint32_t index) {
  if (index >= kMaxKeys) return false;
  const uint64_t bit = uint64_t{1} << (index % 64);
  return (gAllocated[index / 64].load(std::memory_order_acquire) & bit) != 0;
}

}  // namespace

uint32_t tlsAllocate() {
  pthread_key_t key;
  if (pthread_key_create(&key, nullptr) != 0) return kNoTlsIndex;
  const auto index = static_cast<uint32_t>(key);
  if (static_cast<pthread_key_t>(index) != key || index >= kMaxKeys) {
    // A key this layer cannot record is no use to it.
    pthread_key_delete(key);
    return kNoTlsIndex;
  }
  gAllocated[index / 64].fetch_or(uint64_t{1} << (index % 64), std::memory_order_acq_rel);
  return index;
}

void tlsFree(uint32_t index) {
  if (index >= kMaxKeys) return;
  const uint64_t bit = uint64_t{1} << (index % 64);
  const uint64_t before = gAllocated[index / 64].fetch_and(~bit, std::memory_order_acq_rel);
  if ((before & bit) != 0) pthread_key_delete(static_cast<pthread_key_t>(index));
}

void* tlsGet(uint32_t index) {
  if (!isAllocated(index)) return nullptr;
  return pthread_getspecific(static_cast<pthread_key_t>(index));
}

bool tlsSet(uint32_t index, void* value) {
  if (!isAllocated(index)) return false;
  return pthread_setspecific(static_cast<pthread_key_t>(index), value) == 0;
}

}  // namespace voplat
