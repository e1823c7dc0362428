// The FPGA interface library's exports, forwarded to the device model.
#include "vofpga.h"

#include "vodevice_entry.h"

extern "C" {

int32_t VoFpgaDll_Open(const char* image, const char* signature, const char* resource,
                       uint32_t attribute, uint32_t* session) {
  return VoDevEntry_Open(VODEV_OPEN_FPGA, image, signature, resource, attribute, session);
}

int32_t VoFpgaDll_Close(uint32_t session, uint32_t attribute) {
  return VoDevEntry_Close(session, attribute);
}

int32_t VoFpgaDll_ClientFunctionCall(uint32_t session, uint32_t group, uint32_t function,
                                     const void* input, uint64_t inputSize, void* output,
                                     uint64_t outputSize) {
  return VoDevEntry_ClientCall(VODEV_ROUTE_FPGA, session, group, function, input, inputSize, output,
                               outputSize);
}

int32_t VoFpgaDll_FindRegisterPrivate(uint32_t session, const char* name, uint32_t reserved,
                                      uint32_t* handle) {
  return VoDevEntry_FindRegister(session, name, reserved, handle);
}

int32_t VoFpgaDll_FindFifoPrivate(uint32_t session, const char* name, uint32_t reserved,
                                  uint32_t* fifo) {
  (void)reserved;
  return VoDevEntry_FindFifo(session, name, fifo);
}

int32_t VoFpgaDll_ReadBool(uint32_t session, uint32_t reg, uint8_t* value) {
  return VoDevEntry_ReadBool(session, reg, value);
}

}  // extern "C"
