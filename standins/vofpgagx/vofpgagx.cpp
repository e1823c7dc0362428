// The graphical flavour's exports, forwarded to the device model.
#include "vofpgagx.h"

#include "vodevice_entry.h"

namespace {

// Runs each time the library is loaded into the process.
__attribute__((constructor)) void NoteLoad() { VoDevEntry_NoteGxLoad(); }

}  // namespace

extern "C" {

void SetGXRTTLSIndex(uint32_t index) { VoDevEntry_NoteGxTlsIndex(index); }

int32_t VoFpgaGx_Open(const char* image, const char* signature, const char* resource,
                      uint32_t attribute, uint32_t* session) {
  return VoDevEntry_Open(VODEV_OPEN_GX, image, signature, resource, attribute, session);
}

}  // extern "C"
