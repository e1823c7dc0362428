// Thread-local values on POSIX threads. An index is a pthread key.
//
// Indices also come from outside the library: the graphical runtime makes its
// own key and hands its number over. So reads and writes accept any number
// that can be a key, not only keys made here. Numbers that cannot be keys
// never reach the thread library. For a number in range that names no live
// key, glibc reads null and refuses to set (it checks the key's sequence
// number).
//
// Keys made here are recorded, so that tlsFree deletes only those.
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

bool canBeKey(uint32_t index) { return index < kMaxKeys; }

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
  if (!canBeKey(index)) return nullptr;
  return pthread_getspecific(static_cast<pthread_key_t>(index));
}

bool tlsSet(uint32_t index, void* value) {
  if (!canBeKey(index)) return false;
  return pthread_setspecific(static_cast<pthread_key_t>(index), value) == 0;
}

}  // namespace voplat
