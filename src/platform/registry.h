// The system registry's machine keys, read-only. Only systems that have a
// registry implement this; elsewhere sysq keeps a registry file instead.
// Results are system error numbers (0 success, 2 not found, 234 more data).
#pragma once
#include <cstdint>
#include <string_view>

namespace voplat {

using RegistryHandle = void*;

// Opens a key under HKEY_LOCAL_MACHINE with the given access rights (which
// carry the registry view flag).
uint32_t registryOpenMachineKey(std::u16string_view keyPath, uint32_t access, RegistryHandle* key);

// Copies a value's data as stored into `data` (*size bytes of room); *size
// becomes the value's size in bytes. A null `data` only reports the size.
uint32_t registryQueryValue(RegistryHandle key, std::u16string_view valueName, void* data,
                            uint32_t* size);

void registryClose(RegistryHandle key);

}  // namespace voplat
