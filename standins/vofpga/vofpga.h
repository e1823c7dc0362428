/* Stand-in for the FPGA interface library (libVoFpga.so).
 *
 * Answers every call from the device model shared with the other stand-ins
 * (see ../device/vodevice_hook.h for the devices, the status codes and the
 * test control). Statuses: 0 success, negative VODEV_E_* codes on failure. */
#ifndef VOFPGA_H
#define VOFPGA_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VOFPGA_API __attribute__((visibility("default")))

/* Opens a session with an FPGA image on a resource ("RIO0" to "RIO7", or any
 * name beginning with "SIM" for a simulated session, whose handle has bit
 * 0x2000 set). The image name, signature (may be null) and attribute word are
 * recorded for tests; bits 30 and 31 of the attribute are accepted and
 * otherwise ignored. Writes the new handle to *session. */
VOFPGA_API int32_t VoFpgaDll_Open(const char* image, const char* signature, const char* resource,
                                  uint32_t attribute, uint32_t* session);

/* Closes a session. attribute: close options; bit 0 (1) also returns the
 * device's attributes to their power-on values, other bits are ignored. A
 * closed handle answers every later request with VODEV_E_SESSION_CLOSED. */
VOFPGA_API int32_t VoFpgaDll_Close(uint32_t session, uint32_t attribute);

/* One request: group must be 2; function 256 carries a family request,
 * function 800 asks for the error context of a status, other functions are
 * direct requests. The response is written to output on status 0. */
VOFPGA_API int32_t VoFpgaDll_ClientFunctionCall(uint32_t session, uint32_t group, uint32_t function,
                                                const void* input, uint64_t inputSize, void* output,
                                                uint64_t outputSize);

/* Looks a register of the session's image up by name; reserved is recorded
 * and otherwise ignored. 0 and *handle written when found. */
VOFPGA_API int32_t VoFpgaDll_FindRegisterPrivate(uint32_t session, const char* name,
                                                 uint32_t reserved, uint32_t* handle);

/* Looks a FIFO of the session's image up by name. The image has one FIFO per
 * stream, "stream0" to "stream63"; *fifo receives the stream number. */
VOFPGA_API int32_t VoFpgaDll_FindFifoPrivate(uint32_t session, const char* name, uint32_t reserved,
                                             uint32_t* fifo);

/* Reads a boolean register found with VoFpgaDll_FindRegisterPrivate. */
VOFPGA_API int32_t VoFpgaDll_ReadBool(uint32_t session, uint32_t reg, uint8_t* value);

#ifdef __cplusplus
}
#endif

#endif
