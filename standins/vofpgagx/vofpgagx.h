/* Stand-in for the graphical-environment flavour of the FPGA interface
 * library (libVoFpgaGx.so). It opens sessions through the same device model
 * as libVoFpga.so; VoDev_GxLoadCount and VoDev_GxLastTlsIndex of
 * ../device/vodevice_hook.h report how often it was loaded and what index it
 * was given. */
#ifndef VOFPGAGX_H
#define VOFPGAGX_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VOFPGAGX_API __attribute__((visibility("default")))

/* Receives the graphical environment's thread-local-storage index; recorded. */
VOFPGAGX_API void SetGXRTTLSIndex(uint32_t index);

/* As VoFpgaDll_Open (vofpga.h); the model records the open as a GX open. */
VOFPGAGX_API int32_t VoFpgaGx_Open(const char* image, const char* signature, const char* resource,
                                   uint32_t attribute, uint32_t* session);

#ifdef __cplusplus
}
#endif

#endif
