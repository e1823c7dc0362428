// The exported C functions of the device model: the entry points of the
// stand-in libraries (vodevice_entry.h) and the test control
// (vodevice_hook.h). Each forwards to the one Model instance through the
// entry barrier: statuses report running out of memory as
// VODEV_E_OUT_OF_MEMORY, counts as 0.
#include <algorithm>
#include <cstring>

#include "entry_barrier.h"
#include "error_context.h"
#include "model.h"
#include "vodevice_entry.h"
#include "vodevice_hook.h"

using vodev::Model;
using vostandin::entryBarrier;

namespace {

template <typename Body>
int32_t guardedStatus(Body&& body) noexcept {
  return entryBarrier<int32_t>(VODEV_E_OUT_OF_MEMORY, VODEV_E_INTERNAL, body);
}

template <typename Count, typename Body>
Count guardedCount(Body&& body) noexcept {
  return entryBarrier<Count>(0, 0, body);
}

}  // namespace

extern "C" {

int32_t VoDevEntry_Open(VoDevOpenEntry entry, const char* image, const char* signature,
                        const char* resource, uint32_t attribute, uint32_t* session) {
  return guardedStatus([&] {
    return Model::Instance().Open(entry, image, signature, resource, attribute, session);
  });
}

int32_t VoDevEntry_Close(uint32_t session, uint32_t attribute) {
  return guardedStatus([&] { return Model::Instance().Close(session, attribute); });
}

int32_t VoDevEntry_ClientCall(VoDevRoute route, uint32_t session, uint32_t group, uint32_t function,
                              const void* input, uint64_t inputSize, void* output,
                              uint64_t outputSize) {
  return guardedStatus([&] {
    return Model::Instance().ClientCall(route, session, group, function, input, inputSize, output,
                                        outputSize);
  });
}

int32_t VoDevEntry_FindRegister(uint32_t session, const char* name, uint32_t reserved,
                                uint32_t* handle) {
  return guardedStatus(
      [&] { return Model::Instance().FindRegister(session, name, reserved, handle); });
}

int32_t VoDevEntry_FindFifo(uint32_t session, const char* name, uint32_t* fifo) {
  return guardedStatus([&] { return Model::Instance().FindFifo(session, name, fifo); });
}

int32_t VoDevEntry_ReadBool(uint32_t session, uint32_t reg, uint8_t* value) {
  return guardedStatus([&] { return Model::Instance().ReadBool(session, reg, value); });
}

int32_t VoDevEntry_RestartSimulation(const uint64_t args[12]) {
  return guardedStatus([&] {
    if (args == nullptr) return VODEV_E_INVALID_ARGUMENT;
    return Model::Instance().RestartSimulation(args);
  });
}

void VoDevEntry_NoteGxLoad(void) {
  entryBarrier([&] { Model::Instance().NoteGxLoad(); });
}

void VoDevEntry_NoteGxTlsIndex(uint32_t index) {
  entryBarrier([&] { Model::Instance().NoteGxTlsIndex(index); });
}

void VoDev_SetRequestHook(VoDevRequestHook hook, void* context) {
  entryBarrier([&] { Model::Instance().SetHook(hook, context); });
}

void VoDev_Reset(void) {
  entryBarrier([&] { Model::Instance().Reset(); });
}

const char* VoDev_StatusName(int32_t status) { return vodev::StatusName(status); }

VoDevOpenEntry VoDev_GetLastOpen(VoDevOpenRecord* record) {
  return entryBarrier(VODEV_OPEN_NONE, VODEV_OPEN_NONE,
                      [&] { return Model::Instance().LastOpen(record); });
}

VoDevOpenEntry VoDev_LastOpen(char* image, size_t imageSize, uint32_t* attribute) {
  return entryBarrier(VODEV_OPEN_NONE, VODEV_OPEN_NONE, [&] {
    VoDevOpenRecord record;
    VoDevOpenEntry entry = Model::Instance().LastOpen(&record);
    if (image != nullptr && imageSize != 0) {
      size_t length = std::min(std::strlen(record.image), imageSize - 1);
      std::memcpy(image, record.image, length);
      image[length] = '\0';
    }
    if (attribute != nullptr) *attribute = record.attribute;
    return entry;
  });
}

uint32_t VoDev_LastClose(uint32_t* session, uint32_t* attribute) {
  return guardedCount<uint32_t>([&] { return Model::Instance().LastClose(session, attribute); });
}

uint32_t VoDev_OpenSessionCount(void) {
  return guardedCount<uint32_t>([&] { return Model::Instance().OpenSessionCount(); });
}

uint64_t VoDev_RequestCount(VoDevRoute route) {
  return guardedCount<uint64_t>([&] { return Model::Instance().RequestCount(route); });
}

uint32_t VoDev_GxLoadCount(void) {
  return guardedCount<uint32_t>([&] { return Model::Instance().GxLoadCount(); });
}

uint32_t VoDev_GxLastTlsIndex(uint32_t* calls) {
  return guardedCount<uint32_t>([&] { return Model::Instance().GxLastTlsIndex(calls); });
}

uint32_t VoDev_LastRestart(uint64_t args[12]) {
  return guardedCount<uint32_t>([&] { return Model::Instance().LastRestart(args); });
}

int32_t VoDev_SetRegister(uint32_t session, const char* name, uint8_t value) {
  return guardedStatus([&] { return Model::Instance().SetRegister(session, name, value); });
}

int32_t VoDev_RemoveRegister(uint32_t session, const char* name) {
  return guardedStatus([&] { return Model::Instance().RemoveRegister(session, name); });
}

int64_t VoDev_RegisterReadCount(uint32_t session, const char* name) {
  return entryBarrier<int64_t>(VODEV_E_OUT_OF_MEMORY, VODEV_E_INTERNAL,
                               [&] { return Model::Instance().RegisterReadCount(session, name); });
}

uint32_t VoDev_LastFindRegister(char* name, size_t nameSize, uint32_t* reserved) {
  return guardedCount<uint32_t>(
      [&] { return Model::Instance().LastFindRegister(name, nameSize, reserved); });
}

int64_t VoDev_SyncPulseCount(uint32_t session, uint32_t* lastArgument) {
  return entryBarrier<int64_t>(VODEV_E_OUT_OF_MEMORY, VODEV_E_INTERNAL, [&] {
    return Model::Instance().SyncPulseCount(session, lastArgument);
  });
}

int32_t VoDev_PulseTerminal(uint32_t session, const char* terminal) {
  return guardedStatus([&] { return Model::Instance().PulseTerminal(session, terminal); });
}

int32_t VoDev_RouteCount(uint32_t session) {
  return guardedStatus([&] { return Model::Instance().RouteCount(session); });
}

int32_t VoDev_GetRoute(uint32_t session, uint32_t route, char* source, size_t sourceSize,
                       char* destination, size_t destinationSize) {
  return guardedStatus([&] {
    return Model::Instance().GetRoute(session, route, source, sourceSize, destination,
                                      destinationSize);
  });
}
}  // extern "C"
