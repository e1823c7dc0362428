// The FPGA interface library ("VoFpga.dll"), bound lazily export by export so
// that the library loads and works without a device where it is absent.
#pragma once
#include <cstdint>

namespace voapi {

// Returned by every call whose export cannot be bound; -52000 when memory ran
// out while binding it.
inline constexpr int32_t kFpgaInterfaceMissing = -52006;

inline constexpr const char* kFpgaInterfaceModule = "VoFpga.dll";

int32_t FpgaOpen(const char* imageName, const char* signature, const char* resourceName,
                 uint32_t attribute, uint32_t* session) noexcept;
int32_t FpgaClose(uint32_t session, uint32_t attribute) noexcept;
int32_t FpgaClientFunctionCall(uint32_t session, uint32_t group, uint32_t function,
                               const void* input, uint64_t inputSize, void* output,
                               uint64_t outputSize) noexcept;
// 0 means found; any other status means there is no such register.
int32_t FpgaFindRegister(uint32_t session, const char* name, uint32_t reserved,
                         uint32_t* handle) noexcept;
int32_t FpgaFindFifo(uint32_t session, const char* name, uint32_t reserved,
                     uint32_t* fifo) noexcept;
int32_t FpgaReadBool(uint32_t session, uint32_t registerHandle, uint8_t* value) noexcept;

}  // namespace voapi
