// RegistryKey on the system registry, for systems that have one.
#include "platform/registry.h"
#include "platform/syserror.h"
#include "sysq/registry_store.h"

namespace vosysq {

uint32_t RegistryKey::open(std::u16string_view keyPath, uint32_t access) {
  close();
  voplat::RegistryHandle key = nullptr;
  if (const uint32_t err = voplat::registryOpenMachineKey(keyPath, access, &key); err != 0) {
    return err;
  }
  systemKey_ = key;
  open_ = true;
  return 0;
}

uint32_t RegistryKey::queryValue(std::u16string_view valueName, void* data, uint32_t* size) const {
  if (!open_) return voplat::kErrInvalidHandle;
  if (size == nullptr) return voplat::kErrInvalidParameter;
  return voplat::registryQueryValue(systemKey_, valueName, data, size);
}

void RegistryKey::close() noexcept {
  if (systemKey_ != nullptr) voplat::registryClose(systemKey_);
  systemKey_ = nullptr;
  open_ = false;
}

}  // namespace vosysq
