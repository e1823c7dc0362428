// The system registry: RegOpenKeyExW, RegQueryValueExW and RegCloseKey.
#include "platform/registry.h"

#include <windows.h>

#include <string>

namespace voplat {

uint32_t registryOpenMachineKey(std::u16string_view keyPath, uint32_t access, RegistryHandle* key) {
  const std::wstring path(keyPath.begin(), keyPath.end());
  HKEY opened = nullptr;
  const LSTATUS rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &opened);
  if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
  *key = opened;
  return 0;
}

uint32_t registryQueryValue(RegistryHandle key, std::u16string_view valueName, void* data,
                            uint32_t* size) {
  const std::wstring name(valueName.begin(), valueName.end());
  DWORD bytes = *size;
  const LSTATUS rc = RegQueryValueExW(static_cast<HKEY>(key), name.c_str(), nullptr, nullptr,
                                      static_cast<BYTE*>(data), &bytes);
  *size = bytes;
  return static_cast<uint32_t>(rc);
}

void registryClose(RegistryHandle key) {
  if (key != nullptr) RegCloseKey(static_cast<HKEY>(key));
}

}  // namespace voplat
