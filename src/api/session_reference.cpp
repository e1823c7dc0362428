#include "api/session_reference.h"

#include <atomic>
#include <exception>

#include "api/attributes.h"
#include "api/channel.h"
#include "api/dynlib_loader.h"
#include "api/sync_records.h"
#include "platform/syserror.h"

namespace voapi {
namespace {

constexpr uint32_t kLockInitialCount = 1;
constexpr uint32_t kLockMaximumCount = 0x7FFFFFFF;

std::unique_ptr<voplat::Semaphore> createLock(voerr::FixedStatus& block) {
  voplat::SysError error;
  std::unique_ptr<voplat::Semaphore> lock =
      voplat::Semaphore::create(kLockInitialCount, kLockMaximumCount, &error);
  if (!lock) {
    block.set(lockFailureCode(error.code), voerr::kComponent, voerr::sourceFileName(__FILE__),
              __LINE__);
  }
  return lock;
}

// The process-wide binding: each word published once; a thread that loses
// the race for the module gives its reference back.
std::atomic<voplat::ModuleHandle> gVoajelModule{nullptr};
std::atomic<VoajelRegisterFn> gRegister{nullptr};
std::atomic<VoajelUnregisterFn> gUnregister{nullptr};

class LockHold {
 public:
  explicit LockHold(voplat::Semaphore& lock) : lock_(lock) { lock_.acquire(); }
  ~LockHold() { lock_.release(); }
  LockHold(const LockHold&) = delete;
  LockHold& operator=(const LockHold&) = delete;

 private:
  voplat::Semaphore& lock_;
};

int32_t readReference(uint32_t session, int32_t* value) {
  return ReadAttributeInt32(session, nullptr, kAttrSynqSessionReference, value);
}

// Created during static initialisation, before any entry point can run.
SessionReferences gProcessReferences;

}  // namespace

int32_t lockFailureCode(uint32_t systemError) noexcept {
  switch (systemError) {
    case voplat::kErrInvalidHandle:
    case voplat::kErrInvalidParameter:
      return voerr::kInvalidParameter;
    case voplat::kErrNotEnoughMemory:
    case voplat::kErrOutOfMemory:
      return voerr::kMemoryFull;
    default:
      return voerr::kSystemError;
  }
}

bool bindVoajel(VoajelBinding& binding, voerr::Status& status) noexcept {
  VoajelRegisterFn registerFn = gRegister.load(std::memory_order_acquire);
  VoajelUnregisterFn unregisterFn = gUnregister.load(std::memory_order_acquire);
  if (!registerFn || !unregisterFn) {
    voplat::ModuleHandle module = gVoajelModule.load(std::memory_order_acquire);
    if (!module) {
      module = vodynlib_load(kSessionRegistryModule, status);
      if (!module) return false;
      voplat::ModuleHandle expected = nullptr;
      if (!gVoajelModule.compare_exchange_strong(expected, module, std::memory_order_acq_rel)) {
        voplat::unloadModule(module);
        module = expected;
      }
    }
    registerFn = reinterpret_cast<VoajelRegisterFn>(
        vodynlib_findSymbol(module, "voajel_registerSessionGetKey", status));
    unregisterFn = reinterpret_cast<VoajelUnregisterFn>(
        vodynlib_findSymbol(module, "voajel_unregisterSession", status));
    if (!registerFn || !unregisterFn) return false;
    gRegister.store(registerFn, std::memory_order_release);
    gUnregister.store(unregisterFn, std::memory_order_release);
  }
  binding.registerSession = registerFn;
  binding.unregisterSession = unregisterFn;
  return true;
}

SessionReferences::SessionReferences(VoajelBinder binder) : binder_(binder) {
  lock_ = createLock(lockStatus_);
}

SessionReferences::SessionReferences(VoajelBinder binder, std::unique_ptr<voplat::Semaphore> lock,
                                     const voerr::FixedStatus& lockStatus)
    : lock_(std::move(lock)), lockStatus_(lockStatus), binder_(binder) {}

SessionReferences::~SessionReferences() = default;

SessionReferences& SessionReferences::process() noexcept { return gProcessReferences; }

int32_t SessionReferences::getReference(uint32_t session, uint32_t* reference) noexcept {
  // Without the lock, concurrent registrations could register a session
  // twice; report why the lock is missing instead of going on unguarded.
  if (!lock_) return lockStatus_.code != 0 ? lockStatus_.code : voerr::kSystemError;
  LockHold hold(*lock_);

  const SynqRequest probe{synqHead(kSynqProbe)};
  if (const int32_t status = sendRecord(session, kFnFamilyRequest, probe); status != 0) {
    return status;
  }
  if (!reference) return kNullOutput;
  int32_t current = 0;
  if (const int32_t status = readReference(session, &current); status != 0) return status;
  *reference = static_cast<uint32_t>(current);
  if (current != 0) return 0;
  return registerSession(session, reference);
}

int32_t SessionReferences::registerSession(uint32_t session, uint32_t* reference) noexcept {
  prune();
  voerr::Status status;
  if (!bind(status)) return status.code();

  SynqInterfaceEntry interfaces[kSynqInterfaceCount];
  fillSynqInterfaces(session, interfaces);
  const uint32_t key = binding_.registerSession(kSynqRegistrationVersion, kSynqRegistrationVersion,
                                                interfaces, 0, 0, &status);
  // A registration without a key must not pass for a reference 0.
  if (key == 0 || status.isError()) {
    if (key != 0) unregister(key);
    return status.isError() ? status.code() : kNoReferenceKey;
  }
  // A device that does not keep the key would hand out no reference later:
  // take the registration back.
  if (const int32_t written = WriteAttributeInt32(session, kAttrSynqSessionReference, nullptr,
                                                  static_cast<int32_t>(key));
      written < 0) {
    unregister(key);
    return written;
  }
  *reference = key;
  try {
    if (!registry_) registry_.emplace();
    registry_->emplace(session, key);  // an entry already there is kept
  } catch (const std::exception&) {
    return kRegistryInsertFailed;
  }
  return 0;
}

void SessionReferences::prune() noexcept {
  if (!registry_) return;
  for (auto it = registry_->begin(); it != registry_->end();) {
    int32_t current = 0;
    if (readReference(it->first, &current) != 0 || current == 0) {
      unregister(it->second);
      it = registry_->erase(it);
    } else {
      ++it;
    }
  }
}

bool SessionReferences::bind(voerr::Status& status) noexcept {
  if (binding_.registerSession && binding_.unregisterSession) return true;
  VoajelBinding bound;
  if (!binder_ || !binder_(bound, status) || !bound.registerSession || !bound.unregisterSession) {
    if (!status.isError()) {
      VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName);
    }
    return false;
  }
  binding_ = bound;
  return true;
}

void SessionReferences::unregister(uint32_t key) noexcept {
  if (!binding_.unregisterSession) return;
  voerr::Status ignored;
  binding_.unregisterSession(key, &ignored);
}

std::vector<std::pair<uint32_t, uint32_t>> SessionReferences::entries() noexcept {
  std::vector<std::pair<uint32_t, uint32_t>> copy;
  if (!lock_) return copy;
  LockHold hold(*lock_);
  if (registry_) {
    try {
      copy.assign(registry_->begin(), registry_->end());
    } catch (const std::exception&) {
      copy.clear();
    }
  }
  return copy;
}

}  // namespace voapi
