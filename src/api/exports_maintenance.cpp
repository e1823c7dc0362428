#include "api/calibration.h"
#include "api/device_access.h"
#include "api/export_guard.h"
#include "api/io_readiness.h"
#include "votarsinapi.h"

using namespace voapi;

extern "C" {

// ---- Calibration storage ----

VOTARSIN_API int32_t voTarsin_WriteCalibrationData(Session session, uint32_t location,
                                                   const void* data, uint64_t size) {
  return guarded([&] { return WriteCalibrationData(session, location, data, size); });
}

VOTARSIN_API int32_t voTarsin_ReadCalibrationData(Session session, uint32_t location, void* buffer,
                                                  uint64_t size) {
  return guarded([&] { return ReadCalibrationData(session, location, buffer, size); });
}

VOTARSIN_API int32_t voTarsin_UpdateVerificationInformation(Session session) {
  return guarded([&] { return UpdateVerificationInformation(session); });
}

// ---- Limits, commit and I/O readiness ----

VOTARSIN_API int32_t voTarsin_SetTemperatureLimit(Session session, double limit) {
  return guarded([&] { return SetTemperatureLimit(session, limit); });
}

VOTARSIN_API int32_t voTarsin_SetPowerLimit(Session session, double limit) {
  return guarded([&] { return SetPowerLimit(session, limit); });
}

VOTARSIN_API int32_t voTarsin_GetTemperatureLimit(Session session, double* limit) {
  return guarded([&] { return GetTemperatureLimit(session, limit); });
}

VOTARSIN_API int32_t voTarsin_GetPowerLimit(Session session, double* limit) {
  return guarded([&] { return GetPowerLimit(session, limit); });
}

VOTARSIN_API int32_t voTarsin_Commit(Session session) {
  return guarded([&] { return Commit(session); });
}

VOTARSIN_API int32_t voTarsin_WaitForIoReady(Session session, int32_t timeout, uint32_t* ioReady,
                                             int32_t* ioError) {
  return guarded([&] { return WaitForIoReady(session, timeout, ioReady, ioError); });
}

// ---- Registers, instruction FIFO and image management ----

VOTARSIN_API int32_t tarsin_readBar32(Session session, uint32_t offset, uint32_t* value) {
  return guarded([&] { return ReadBar32(session, offset, value); });
}

VOTARSIN_API int32_t tarsin_writeBar32(Session session, uint32_t offset, uint32_t value) {
  return guarded([&] { return WriteBar32(session, offset, value); });
}

VOTARSIN_API int32_t tarsin_instructionFifoRead(Session session, uint32_t target,
                                                uint64_t instruction, uint32_t* result) {
  return guarded([&] { return RawFifoRead(session, target, instruction, result); });
}

VOTARSIN_API int32_t tarsin_instructionFifoWrite(Session session, uint32_t target,
                                                 uint64_t instruction) {
  return guarded([&] { return RawFifoWrite(session, target, instruction); });
}

VOTARSIN_API int32_t voTarsin_WriteInstructionFifo(Session session, uint32_t target, uint32_t count,
                                                   const uint64_t* instructions) {
  return guarded([&] { return WriteInstructionFifo(session, target, count, instructions); });
}

VOTARSIN_API int32_t voTarsin_ReadInstructionFifo(Session session, uint32_t target, uint32_t count,
                                                  const uint64_t* instructions, uint64_t* result) {
  return guarded([&] { return ReadInstructionFifo(session, target, count, instructions, result); });
}

VOTARSIN_API int32_t tarsin_PromoteSessionToFlash(Session session, uint32_t option) {
  return guarded([&] { return PromoteSessionToFlash(session, option); });
}

VOTARSIN_API int32_t voTarsin_SetUserAutoloadFlag(Session session, int32_t flag) {
  return guarded([&] { return SetUserAutoloadFlag(session, flag); });
}

VOTARSIN_API int32_t voTarsin_GetBitfileMetadata(Session session, uint64_t* size, void* buffer) {
  return guarded([&] { return GetBitfileMetadata(session, size, buffer); });
}

VOTARSIN_API int32_t tarsin_GetTreeSerialization(Session session, uint32_t treeSelector,
                                                 void* buffer, uint64_t size) {
  return guarded([&] { return GetTreeSerialization(session, treeSelector, buffer, size); });
}

VOTARSIN_API int32_t voTarsin_QueryBitfileRegister(Session session, const char* name,
                                                   uint32_t scope, uint32_t* handle) {
  return guarded([&] { return QueryBitfileRegister(session, name, scope, handle); });
}

VOTARSIN_API int32_t voTarsin_QueryBitfileFifo(Session session, const char* name, uint32_t scope,
                                               uint32_t* fifo) {
  return guarded([&] { return QueryBitfileFifo(session, name, scope, fifo); });
}

VOTARSIN_API int32_t voTarsinMDK_configureIoModuleRefClkPinSrc(Session session, uint32_t source) {
  return guarded([&] { return ConfigureIoModuleRefClkPinSrc(session, source); });
}

VOTARSIN_API int32_t voTarsinMDK_writeIoModuleInfo(Session session, uint16_t field1,
                                                   uint16_t field2, uint32_t field3,
                                                   uint32_t field4, uint8_t field5,
                                                   uint16_t field6) {
  return guarded(
      [&] { return WriteIoModuleInfo(session, field1, field2, field3, field4, field5, field6); });
}

VOTARSIN_API int32_t voTarsinMDK_readIoModuleInfo(Session session, uint16_t* field1,
                                                  uint16_t* field2, uint32_t* field3,
                                                  uint32_t* field4, uint8_t* field5,
                                                  uint16_t* field6) {
  return guarded(
      [&] { return ReadIoModuleInfo(session, field1, field2, field3, field4, field5, field6); });
}

}  // extern "C"
