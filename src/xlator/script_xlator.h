// The factory of the scripted translator "mxlator_votarsinapi".
#pragma once
#include <cstdint>

#include "xlator/translator_interface.h"

namespace voxlator {

// Creates a scripted translator from its registration name and JSON text:
// the script host of xlatorlua/script_host.h (newScriptTranslator), with the
// global script function vomxl_unmapErrorCode defined. Null with the host's
// error in the status on failure; null at once when the status already holds
// an error.
TranslatorInterface* createScriptXlator(const char* name, const char* registrationInfo,
                                        voerr::Status& status);

// The script-side helper "vomxl_unmapErrorCode": the low 32 bits of an
// integer as a signed 32-bit code (codes in the int32 range come back
// unchanged).
constexpr int32_t unmapErrorCode(int64_t value) noexcept {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value) & 0xffffffffu));
}

}  // namespace voxlator
