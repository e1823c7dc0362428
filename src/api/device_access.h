// Access below the acquisition interface: 32-bit registers of the device's
// base address region, the image's instruction FIFO, flash promotion and the
// autoload flag, the image's metadata and serialised tree, lookups of image
// registers and FIFOs, and the attached I/O module's information record.
// Each entry point is one request (two for the metadata); the library adds
// only argument checks and record packing.
#pragma once
#include <cstdint>

namespace voapi {

inline constexpr uint32_t kAttrIoModuleRefClkPinSrc = 0x10000017;

// Register and single-word FIFO reads copy the response's first word into
// their output after every request (after a failed one it carries no
// meaning); a null output is refused with -52005.
int32_t ReadBar32(uint32_t session, uint32_t offset, uint32_t* value) noexcept;
int32_t WriteBar32(uint32_t session, uint32_t offset, uint32_t value) noexcept;
int32_t RawFifoRead(uint32_t session, uint32_t target, uint64_t instruction,
                    uint32_t* result) noexcept;
int32_t RawFifoWrite(uint32_t session, uint32_t target, uint64_t instruction) noexcept;

// Batches of at most 15 words; a larger count or a null array is refused with
// -52005. The read stores its 8-byte answer into *result (when given) after
// every request.
int32_t WriteInstructionFifo(uint32_t session, uint32_t target, uint32_t count,
                             const uint64_t* instructions) noexcept;
int32_t ReadInstructionFifo(uint32_t session, uint32_t target, uint32_t count,
                            const uint64_t* instructions, uint64_t* result) noexcept;

int32_t PromoteSessionToFlash(uint32_t session, uint32_t option) noexcept;
// Any non-zero flag is sent as 1.
int32_t SetUserAutoloadFlag(uint32_t session, int32_t flag) noexcept;

// Always asks the metadata's size first. With a null buffer, *size receives
// it and the size request's status is returned. Otherwise a size request
// that did not return 0 (a warning included) ends the call with its status;
// then the metadata is fetched into `buffer` of *size bytes. A null size
// (with or without a buffer) cannot say how much to fetch: -52005, nothing
// fetched.
int32_t GetBitfileMetadata(uint32_t session, uint64_t* size, void* buffer) noexcept;

int32_t GetTreeSerialization(uint32_t session, uint32_t treeSelector, void* buffer,
                             uint64_t size) noexcept;

// Passed to the FPGA interface library unchanged, its result returned as is.
int32_t QueryBitfileRegister(uint32_t session, const char* name, uint32_t scope,
                             uint32_t* handle) noexcept;
int32_t QueryBitfileFifo(uint32_t session, const char* name, uint32_t scope,
                         uint32_t* fifo) noexcept;

int32_t ConfigureIoModuleRefClkPinSrc(uint32_t session, uint32_t source) noexcept;
int32_t WriteIoModuleInfo(uint32_t session, uint16_t field1, uint16_t field2, uint32_t field3,
                          uint32_t field4, uint8_t field5, uint16_t field6) noexcept;
// Each output may be null. After an error every given output is all ones;
// after 0 or a warning it holds the record's field.
int32_t ReadIoModuleInfo(uint32_t session, uint16_t* field1, uint16_t* field2, uint32_t* field3,
                         uint32_t* field4, uint8_t* field5, uint16_t* field6) noexcept;

}  // namespace voapi
