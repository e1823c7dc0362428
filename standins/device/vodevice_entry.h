/* The device model's entry points for the stand-in libraries.
 *
 * libVoFpga.so, libVoFpgaGx.so and libvotarsinsimulation.so are thin export
 * layers: each of their functions forwards here, so that all of them act on
 * the one model instance of the process. Tests use vodevice_hook.h instead. */
#ifndef VODEVICE_ENTRY_H
#define VODEVICE_ENTRY_H

#include <stdint.h>

#include "vodevice_hook.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Opens a session on a resource (see vodevice_hook.h for the resources). The
 * image name, signature and attribute word are recorded and kept with the
 * session; the model attaches no meaning to them. image, resource and session
 * must not be null. */
VODEV_API int32_t VoDevEntry_Open(VoDevOpenEntry entry, const char* image, const char* signature,
                                  const char* resource, uint32_t attribute, uint32_t* session);

/* Closes a session; the attribute word as VODEV_CLOSE_RESET_DEVICE says. */
VODEV_API int32_t VoDevEntry_Close(uint32_t session, uint32_t attribute);

/* One client function call: shown to the request hook, then answered by the
 * model. The simulation route accepts simulated handles only. */
VODEV_API int32_t VoDevEntry_ClientCall(VoDevRoute route, uint32_t session, uint32_t group,
                                        uint32_t function, const void* input, uint64_t inputSize,
                                        void* output, uint64_t outputSize);

/* Register and FIFO lookup in the session's image, and boolean register read. */
VODEV_API int32_t VoDevEntry_FindRegister(uint32_t session, const char* name, uint32_t reserved,
                                          uint32_t* handle);
VODEV_API int32_t VoDevEntry_FindFifo(uint32_t session, const char* name, uint32_t* fifo);
VODEV_API int32_t VoDevEntry_ReadBool(uint32_t session, uint32_t reg, uint8_t* value);

/* Restart of a simulated device; args as documented in votarsinsimulation.h,
 * each widened to 64 bits. */
VODEV_API int32_t VoDevEntry_RestartSimulation(const uint64_t args[12]);

/* Bookkeeping of libVoFpgaGx.so: its constructor and SetGXRTTLSIndex. */
VODEV_API void VoDevEntry_NoteGxLoad(void);
VODEV_API void VoDevEntry_NoteGxTlsIndex(uint32_t index);

#ifdef __cplusplus
}
#endif

#endif
