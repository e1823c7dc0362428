#include "api/device_access.h"

#include <algorithm>

#include "api/attributes.h"
#include "api/channel.h"
#include "api/fpga_interface.h"
#include "api/maintenance_records.h"
#include "status/codes.h"

namespace voapi {
namespace {

bool validBatch(uint32_t count, const uint64_t* instructions) {
  return instructions && count <= kFifoBatchMaxWords;
}

FifoBatchRequest makeBatch(uint32_t command, uint32_t target, uint32_t count,
                           const uint64_t* instructions) {
  FifoBatchRequest request{};
  request.head = FamilyHead{familyHeader(kFamilyFifo), command};
  request.target = target;
  request.count = count;
  std::copy(instructions, instructions + count, request.words);
  return request;
}

template <typename T>
void store(T* output, T value) {
  if (output) *output = value;
}

}  // namespace

int32_t ReadBar32(uint32_t session, uint32_t offset, uint32_t* value) noexcept {
  if (!value) return voerr::kInvalidParameter;
  uint32_t response = 0;
  const int32_t status = sendRecord(session, kFnReadRegister, offset, &response, sizeof response);
  *value = response;
  return status;
}

int32_t WriteBar32(uint32_t session, uint32_t offset, uint32_t value) noexcept {
  return sendRecord(session, kFnWriteRegister, BarWriteRequest{offset, value});
}

int32_t RawFifoRead(uint32_t session, uint32_t target, uint64_t instruction,
                    uint32_t* result) noexcept {
  if (!result) return voerr::kInvalidParameter;
  RawFifoResponse response{};
  const int32_t status = sendRecord(session, kFnRawFifoRead, RawFifoRequest{target, 0, instruction},
                                    &response, sizeof response);
  *result = response.result;
  return status;
}

int32_t RawFifoWrite(uint32_t session, uint32_t target, uint64_t instruction) noexcept {
  return sendRecord(session, kFnRawFifoWrite, RawFifoRequest{target, 0, instruction});
}

int32_t WriteInstructionFifo(uint32_t session, uint32_t target, uint32_t count,
                             const uint64_t* instructions) noexcept {
  if (!validBatch(count, instructions)) return voerr::kInvalidParameter;
  return sendRecord(session, kFnFamilyRequest,
                    makeBatch(kCmdFifoWrite, target, count, instructions));
}

int32_t ReadInstructionFifo(uint32_t session, uint32_t target, uint32_t count,
                            const uint64_t* instructions, uint64_t* result) noexcept {
  if (!validBatch(count, instructions)) return voerr::kInvalidParameter;
  uint64_t response = 0;
  const int32_t status =
      sendRecord(session, kFnFamilyRequest, makeBatch(kCmdFifoRead, target, count, instructions),
                 &response, sizeof response);
  store(result, response);
  return status;
}

int32_t PromoteSessionToFlash(uint32_t session, uint32_t option) noexcept {
  return sendRecord(session, kFnPromoteToFlash, option);
}

int32_t SetUserAutoloadFlag(uint32_t session, int32_t flag) noexcept {
  return sendRecord(session, kFnUserAutoload,
                    AutoloadRequest{kAutoloadUserImage, flag != 0 ? 1u : 0u});
}

int32_t GetBitfileMetadata(uint32_t session, uint64_t* size, void* buffer) noexcept {
  uint32_t metadataSize = 0;
  const int32_t status = CallClientFunction(session, kGroup, kFnMetadataSize, nullptr, 0,
                                            &metadataSize, sizeof metadataSize);
  if (!buffer && size) {
    *size = metadataSize;
    return status;
  }
  if (status != 0) return status;
  if (!size) return voerr::kInvalidParameter;
  return CallClientFunction(session, kGroup, kFnMetadata, nullptr, 0, buffer, *size);
}

int32_t GetTreeSerialization(uint32_t session, uint32_t treeSelector, void* buffer,
                             uint64_t size) noexcept {
  const TreeRequest request{{familyHeader(kFamilyMaintenance), kCmdTreeSerialization},
                            treeSelector};
  return sendRecord(session, kFnFamilyRequest, request, buffer, size);
}

int32_t QueryBitfileRegister(uint32_t session, const char* name, uint32_t scope,
                             uint32_t* handle) noexcept {
  return FpgaFindRegister(session, name, scope, handle);
}

int32_t QueryBitfileFifo(uint32_t session, const char* name, uint32_t scope,
                         uint32_t* fifo) noexcept {
  return FpgaFindFifo(session, name, scope, fifo);
}

int32_t ConfigureIoModuleRefClkPinSrc(uint32_t session, uint32_t source) noexcept {
  return WriteAttributeInt32(session, kAttrIoModuleRefClkPinSrc, nullptr,
                             static_cast<int32_t>(source));
}

int32_t WriteIoModuleInfo(uint32_t session, uint16_t field1, uint16_t field2, uint32_t field3,
                          uint32_t field4, uint8_t field5, uint16_t field6) noexcept {
  const IoModuleRecord record{field3, field4, field1, field2, field6, field5, 0};
  return sendRecord(session, kFnIoModuleInfoWrite, record);
}

int32_t ReadIoModuleInfo(uint32_t session, uint16_t* field1, uint16_t* field2, uint32_t* field3,
                         uint32_t* field4, uint8_t* field5, uint16_t* field6) noexcept {
  IoModuleRecord record{};
  const int32_t status =
      CallClientFunction(session, kGroup, kFnIoModuleInfoRead, nullptr, 0, &record, sizeof record);
  if (status < 0) record = IoModuleRecord{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFF, 0};
  store(field1, record.field1);
  store(field2, record.field2);
  store(field3, record.field3);
  store(field4, record.field4);
  store(field5, record.field5);
  store(field6, record.field6);
  return status;
}

}  // namespace voapi
