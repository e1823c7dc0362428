// Session references for the synchronisation software. A reference is a key
// of the session-registry library ("voajel.dll"), under which the session's
// operation table (synq_operations.h) is registered; the device keeps it in
// its attribute "Synq Session Reference", where 0 means none. The process
// remembers which key it registered for which session, so that the keys of
// sessions gone away can be unregistered at the next registration.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "api/synq_operations.h"
#include "platform/semaphore.h"
#include "status/fixed_status.h"
#include "status/status.h"

namespace voapi {

inline constexpr uint32_t kAttrSynqSessionReference = 0x10000007;
inline constexpr const char* kSessionRegistryModule = "voajel.dll";
// The first two arguments of every registration; the registry library gives
// them their meaning.
inline constexpr uint32_t kSynqRegistrationVersion = 0x01000000;
// The registry library answered without a key and without saying why.
inline constexpr int32_t kNoReferenceKey = voerr::kSoftwareFault;
// The registry could not take the new entry.
inline constexpr int32_t kRegistryInsertFailed = -304017;

using VoajelRegisterFn = uint32_t (*)(uint32_t version, uint32_t flags,
                                      const SynqInterfaceEntry* interfaces, uint32_t reserved1,
                                      uint32_t reserved2, voerr::Status* status);
using VoajelUnregisterFn = int32_t (*)(uint32_t key, voerr::Status* status);

struct VoajelBinding {
  VoajelRegisterFn registerSession = nullptr;
  VoajelUnregisterFn unregisterSession = nullptr;
};

// Fills the binding, or raises the reason into `status` and returns false.
using VoajelBinder = bool (*)(VoajelBinding& binding, voerr::Status& status);

// Binds "voajel.dll" at its first successful use; a failed load (raised as
// -52005 with the module loader's context) is tried again by the next call.
bool bindVoajel(VoajelBinding& binding, voerr::Status& status) noexcept;

// The code recorded when the reference lock cannot be created, by the
// system's error number.
int32_t lockFailureCode(uint32_t systemError) noexcept;

class SessionReferences {
 public:
  // Creates the lock (count 1, maximum 0x7FFFFFFF); a failure is recorded in
  // lockStatus() and every later request returns its code.
  explicit SessionReferences(VoajelBinder binder = &bindVoajel);
  // With a lock made elsewhere; a null lock stands for one that could not be
  // created, for the reason recorded in `lockStatus`.
  SessionReferences(VoajelBinder binder, std::unique_ptr<voplat::Semaphore> lock,
                    const voerr::FixedStatus& lockStatus);
  ~SessionReferences();
  SessionReferences(const SessionReferences&) = delete;
  SessionReferences& operator=(const SessionReferences&) = delete;

  // The process's instance, made during static initialisation.
  static SessionReferences& process() noexcept;

  // The session's reference: the one the device already holds, or a new key
  // registered with the operation table. Serialised by the reference lock.
  int32_t getReference(uint32_t session, uint32_t* reference) noexcept;

  const voerr::FixedStatus& lockStatus() const noexcept { return lockStatus_; }

  // The registry's entries (session, key) in handle order, taken under the
  // lock; empty when the lock is missing.
  std::vector<std::pair<uint32_t, uint32_t>> entries() noexcept;

 private:
  int32_t registerSession(uint32_t session, uint32_t* reference) noexcept;
  void prune() noexcept;
  bool bind(voerr::Status& status) noexcept;
  void unregister(uint32_t key) noexcept;

  // Declared first, so that the registry goes before the lock at exit.
  std::unique_ptr<voplat::Semaphore> lock_;
  voerr::FixedStatus lockStatus_;
  VoajelBinder binder_;
  VoajelBinding binding_;
  // Made at the first registration; touched only under the lock. Its
  // destruction forgets the keys without unregistering them.
  std::optional<std::map<uint32_t, uint32_t>> registry_;
};

}  // namespace voapi
