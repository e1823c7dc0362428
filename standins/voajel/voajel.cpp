// The session-registry stand-in: keys handed out from 1 upwards, the
// registered interface pairs kept in memory, and the test control of
// voajel_standin.h. Every entry point takes one process-wide lock and runs
// behind the entry barrier.
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

#include "entry_barrier.h"
#include "voajel_standin.h"

namespace {

struct Registration {
  VoAjelInterface interfaces[VOAJEL_INTERFACE_COUNT];
  VoAjelRegistration arguments;
};

struct Registry {
  std::mutex mutex;
  std::map<uint32_t, Registration> keys;
  uint32_t nextKey = 1;  // never reset: keys are never reused
  uint32_t registrations = 0;
  uint32_t unregistrations = 0;
  std::map<uint64_t, uint32_t> registrationsByContext;
  std::optional<int32_t> scriptedFailure;
};

Registry& registry() {
  // Never destroyed: the driver library may still call in while the process
  // exits.
  static Registry* instance = new Registry;
  return *instance;
}

// Reports a failure into the caller's record: its first field is the i32
// code, and an error already there stays.
int32_t report(void* status, int32_t code) {
  if (status != nullptr && code != 0) {
    int32_t current;
    std::memcpy(&current, status, sizeof current);
    if (current >= 0) std::memcpy(status, &code, sizeof code);
  }
  return code;
}

using vostandin::entryBarrier;

template <typename Body>
int32_t guardedStatus(Body&& body) noexcept {
  return entryBarrier<int32_t>(VOAJEL_E_OUT_OF_MEMORY, VOAJEL_E_INTERNAL, body);
}

template <typename Count, typename Body>
Count guardedCount(Body&& body) noexcept {
  return entryBarrier<Count>(0, 0, body);
}

uint32_t registerKey(const VoAjelInterface* interfaces, VoAjelRegistration arguments,
                     void* status) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  if (r.scriptedFailure) {
    const int32_t code = *r.scriptedFailure;
    r.scriptedFailure.reset();
    report(status, code);
    return 0;
  }
  if (interfaces == nullptr) {
    report(status, VOAJEL_E_INVALID_ARGUMENT);
    return 0;
  }
  Registration registration{};
  for (int i = 0; i < VOAJEL_INTERFACE_COUNT; ++i) {
    if (interfaces[i].table == nullptr) {
      report(status, VOAJEL_E_INVALID_ARGUMENT);
      return 0;
    }
    registration.interfaces[i] = interfaces[i];
  }
  registration.arguments = arguments;
  // The insertions that may run out of memory come first, so that a failure
  // leaves no registration behind.
  uint32_t& perContext = r.registrationsByContext[interfaces[0].context];
  const uint32_t key = r.nextKey;
  r.keys[key] = registration;
  ++r.nextKey;
  ++r.registrations;
  ++perContext;
  return key;
}

}  // namespace

extern "C" {

uint32_t voajel_registerSessionGetKey(uint32_t version, uint32_t flags,
                                      const VoAjelInterface* interfaces, uint32_t reserved1,
                                      uint32_t reserved2, void* status) {
  uint32_t key = 0;
  const int32_t failure = guardedStatus([&] {
    key = registerKey(interfaces, VoAjelRegistration{version, flags, reserved1, reserved2}, status);
    return VOAJEL_SUCCESS;
  });
  if (failure != VOAJEL_SUCCESS) report(status, failure);
  return key;
}

int32_t voajel_unregisterSession(uint32_t key, void* status) {
  return guardedStatus([&] {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (r.keys.erase(key) == 0) return report(status, VOAJEL_E_UNKNOWN_KEY);
    ++r.unregistrations;
    return VOAJEL_SUCCESS;
  });
}

void VoAjel_Reset(void) {
  entryBarrier([&] {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.keys.clear();
    r.registrations = 0;
    r.unregistrations = 0;
    r.registrationsByContext.clear();
    r.scriptedFailure.reset();
  });
}

uint32_t VoAjel_RegistrationCount(void) {
  return guardedCount<uint32_t>([&]() -> uint32_t {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.registrations;
  });
}

uint32_t VoAjel_UnregistrationCount(void) {
  return guardedCount<uint32_t>([&]() -> uint32_t {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.unregistrations;
  });
}

uint32_t VoAjel_RegistrationsFor(uint64_t context) {
  return guardedCount<uint32_t>([&]() -> uint32_t {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.registrationsByContext.find(context);
    return it == r.registrationsByContext.end() ? 0 : it->second;
  });
}

int VoAjel_IsRegistered(uint32_t key) {
  return guardedCount<int>([&]() -> int {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.keys.count(key) != 0;
  });
}

uint32_t VoAjel_LastKey(void) {
  return guardedCount<uint32_t>([&]() -> uint32_t {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.nextKey - 1;
  });
}

int32_t VoAjel_GetInterface(uint32_t key, uint32_t index, const void** table, uint64_t* context) {
  return guardedStatus([&] {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.keys.find(key);
    if (it == r.keys.end()) return VOAJEL_E_UNKNOWN_KEY;
    if (index >= VOAJEL_INTERFACE_COUNT) return VOAJEL_E_INVALID_ARGUMENT;
    if (table != nullptr) *table = it->second.interfaces[index].table;
    if (context != nullptr) *context = it->second.interfaces[index].context;
    return VOAJEL_SUCCESS;
  });
}

int32_t VoAjel_GetRegistration(uint32_t key, VoAjelRegistration* registration) {
  return guardedStatus([&] {
    if (registration == nullptr) return VOAJEL_E_INVALID_ARGUMENT;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.keys.find(key);
    if (it == r.keys.end()) return VOAJEL_E_UNKNOWN_KEY;
    *registration = it->second.arguments;
    return VOAJEL_SUCCESS;
  });
}

void VoAjel_FailNextRegistration(int32_t status) {
  entryBarrier([&] {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.scriptedFailure = status;
  });
}
}  // extern "C"
