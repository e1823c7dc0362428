// Opening sessions for the graphical environment through "VoFpgaGx.dll",
// which is bound once per process on the first such open.
#pragma once
#include <cstdint>

#include "api/once_guard.h"

namespace voapi {

inline constexpr const char* kFpgaGxModule = "VoFpgaGx.dll";

// The environment's TLS index, handed to VoFpgaGx.dll when it is bound; a
// later change does not reach an already bound module.
void setSavedTlsIndex(uint32_t index);
uint32_t savedTlsIndex();

OnceGuard& gxOpenGuard();

// Binds VoFpgaGx.dll when needed, then opens like OpenSession. A binding
// failure returns its code (-52005) and the next call tries again.
int32_t gxOpenSession(const char* resourceName, const char* imageName, uint32_t attribute,
                      uint32_t* session);

}  // namespace voapi
