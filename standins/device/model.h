// The device model: devices, sessions and the dispatch of client function
// calls. One instance per process, shared by every stand-in library.
//
// Dispatch of a client function call (Model::ClientCall):
//   1. the request hook, outside the model lock, then injected faults
//      (fault_injection.h);
//   2. session lookup, group check, simulation-route check;
//   3. function 800 (error elaboration), answered also for closed handles;
//   4. function 256: the family code at offset 0 selects a FamilyHandler from
//      FamilyHandlers(), which reads the command at offset 16;
//      other functions: a DirectHandler from DirectHandlers().
// Every negative status raised while serving a request of an issued handle is
// recorded with its ErrorDetail, so that function 800 can describe it.
//
// Adding a request: write a handler with the signature below (it runs under
// the model lock and must not block) and register it in the tables at the top
// of model.cpp. Per-device state belongs in Device, per-image state in
// Session.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "acquisition.h"
#include "attributes.h"
#include "error_context.h"
#include "maintenance.h"
#include "vodevice_hook.h"
#include "wire.h"

namespace vodev {

inline constexpr std::uint32_t kSimulatedBit = 0x2000;
inline constexpr std::uint32_t kGroup = 2;
inline constexpr std::uint32_t kFunctionFamily = 256;
inline constexpr std::uint32_t kFunctionElaborate = 800;
inline constexpr std::uint64_t kElaborationBufferSize = 8192;

inline constexpr std::uint32_t kFamilyStream = 0x101;
inline constexpr std::uint32_t kFamilyAttribute = 0x102;
inline constexpr std::uint32_t kFamilySync = 0x104;
inline constexpr std::uint32_t kFamilyRoute = 0x105;
inline constexpr std::uint32_t kFamilyFifo = 0x106;
inline constexpr std::uint32_t kFamilyMaintenance = 0xDE7EC7ED;

// The state of one device; it outlives sessions and is kept per resource.
struct Device {
  std::string resource;
  bool simulated = false;
  // Attribute values that differ from the power-on value, by ID and channel.
  std::map<std::pair<std::uint32_t, std::string>, Value> values;
  std::uint32_t simulationSeed = 0;

  // Acquisition (acquisition.h).
  std::array<Stream, kStreamCount> streams;
  std::map<std::uint32_t, Route> routes;
  std::uint32_t nextRouteId = 1;  // kept by resets: identifiers are never reused
  std::uint64_t syncPulses = 0;
  std::uint32_t lastSyncArgument = 0;
  // The last table built for each AI channel; rebuilt when its seed, range or
  // offset no longer match.
  std::array<std::shared_ptr<const ChannelTable>, kAiChannelCount> tables;
  // Commit, registers, FIFOs, synchronisation commands (maintenance.h).
  MaintenanceState maintenance;

  void ResetToDefaults() {
    values.clear();
    simulationSeed = 0;
    for (Stream& stream : streams) stream = Stream{};
    routes.clear();
    syncPulses = 0;
    lastSyncArgument = 0;
    maintenance = MaintenanceState{};
  }
};

struct Register {
  std::uint32_t handle;
  std::uint8_t value;
  std::uint64_t reads = 0;
  int commitSteps = 0;                  // above 0: follows the commit (maintenance.h)
  std::deque<ScriptedRead> scripted{};  // answers of the next reads
};

// One open of a device: the image it opened and the error records.
struct Session {
  std::uint32_t handle = 0;
  bool open = true;
  Device* device = nullptr;
  std::string image;
  std::uint32_t openAttribute = 0;
  std::map<std::string, Register> registers;
  std::uint32_t nextRegisterHandle = 1;
  // The context of the last error raised for each status.
  std::map<std::int32_t, std::string> errors;
};

// One request being served.
struct Request {
  VoDevRoute route;
  Session& session;
  Device& device;
  Bytes input;
  std::uint8_t* output;
  std::uint64_t outputSize;
  ErrorDetail& detail;
};

using FamilyHandler = std::int32_t (*)(Request& request, std::uint32_t command);
using DirectHandler = std::int32_t (*)(Request& request);

// Handlers of the attribute family (attribute_family.cpp).
std::int32_t HandleAttributeFamily(Request& request, std::uint32_t command);
// Stream family: clear 272, wait 276, read 277, start 278 (stream_family.cpp).
std::int32_t HandleStreamFamily(Request& request, std::uint32_t command);
// Route family: route 0, unroute 1; synchronisation: probe 0, sync pulse 1
// (route_family.cpp).
std::int32_t HandleRouteFamily(Request& request, std::uint32_t command);
std::int32_t HandleSyncFamily(Request& request, std::uint32_t command);

// The size and header check shared by the family records: exactly `size`
// bytes, the word at 4 zero and the words at 8 and 12 as given (zero in every
// request except the stream read).
inline std::int32_t CheckRecord(Bytes input, std::size_t size, std::uint32_t word8 = 0,
                                std::uint32_t word12 = 0) {
  if (input.size() != size) return VODEV_E_BAD_REQUEST_SIZE;
  if (*Load<std::uint32_t>(input, 4) != 0 || *Load<std::uint32_t>(input, 8) != word8 ||
      *Load<std::uint32_t>(input, 12) != word12) {
    return VODEV_E_MALFORMED_REQUEST;
  }
  return VODEV_SUCCESS;
}

// The value an attribute has on a device's channel now: the stored value, the
// power-on value, or for derived attributes (AI Scaling Gain, Sample dt, ADC
// Sample Rate) the value that follows from the others.
Value CurrentValue(const Device& device, const AttributeInfo& info, const std::string& channel);
// The same by ID; the ID must be in the table and the type as given.
template <typename T>
T AttributeValue(const Device& device, std::uint32_t id, const std::string& channel) {
  return std::get<T>(CurrentValue(device, *FindAttribute(id), channel));
}
// Samples per second from the clock attributes: the internal 250 MS/s or,
// with Sample Clock Source 1, the Sample Clock Timebase Rate, divided by the
// ADC Clock Divisor.
double SampleRate(const Device& device);

// The component name that error contexts of a route report.
const char* RouteComponent(VoDevRoute route);

class Model {
 public:
  static Model& Instance();

  std::int32_t Open(VoDevOpenEntry entry, const char* image, const char* signature,
                    const char* resource, std::uint32_t attribute, std::uint32_t* session);
  std::int32_t Close(std::uint32_t session, std::uint32_t attribute);
  std::int32_t ClientCall(VoDevRoute route, std::uint32_t session, std::uint32_t group,
                          std::uint32_t function, const void* input, std::uint64_t inputSize,
                          void* output, std::uint64_t outputSize);
  std::int32_t FindRegister(std::uint32_t session, const char* name, std::uint32_t reserved,
                            std::uint32_t* handle);
  std::int32_t FindFifo(std::uint32_t session, const char* name, std::uint32_t* fifo);
  std::int32_t ReadBool(std::uint32_t session, std::uint32_t reg, std::uint8_t* value);
  std::int32_t RestartSimulation(const std::uint64_t args[12]);

  // Test control (vodevice_hook.h).
  void SetHook(VoDevRequestHook hook, void* context);
  void Reset();
  VoDevOpenEntry LastOpen(VoDevOpenRecord* record);
  std::uint32_t LastClose(std::uint32_t* session, std::uint32_t* attribute);
  std::uint32_t OpenSessionCount();
  std::uint64_t RequestCount(VoDevRoute route);
  void NoteGxLoad();
  void NoteGxTlsIndex(std::uint32_t index);
  std::uint32_t GxLoadCount();
  std::uint32_t GxLastTlsIndex(std::uint32_t* calls);
  std::uint32_t LastRestart(std::uint64_t args[12]);
  std::int32_t SetRegister(std::uint32_t session, const char* name, std::uint8_t value);
  std::int32_t RemoveRegister(std::uint32_t session, const char* name);
  std::int64_t RegisterReadCount(std::uint32_t session, const char* name);
  std::uint32_t LastFindRegister(char* name, std::size_t nameSize, std::uint32_t* reserved);
  std::int64_t SyncPulseCount(std::uint32_t session, std::uint32_t* lastArgument);
  std::int32_t PulseTerminal(std::uint32_t session, const char* terminal);
  std::int32_t RouteCount(std::uint32_t session);
  // Runs `action` under the model lock on the open session of `handle`
  // (maintenance hooks); returns its result or the session's lookup status.
  std::int64_t WithOpenSession(std::uint32_t handle,
                               const std::function<std::int64_t(Session&)>& action);
  // Runs `action` under the model lock.
  void WithLock(const std::function<void()>& action);
  std::int32_t GetRoute(std::uint32_t session, std::uint32_t route, char* source,
                        std::size_t sourceSize, char* destination, std::size_t destinationSize);

 private:
  Model() = default;

  // Answers a client function call from memory (after hook and faults).
  std::int32_t Serve(VoDevRoute route, std::uint32_t session, std::uint32_t group,
                     std::uint32_t function, const void* input, std::uint64_t inputSize,
                     void* output, std::uint64_t outputSize);
  // The open session of a handle, or null with the status in *status.
  Session* OpenSession(std::uint32_t handle, std::int32_t* status);
  std::int32_t Dispatch(VoDevRoute route, std::uint32_t handle, std::uint32_t group,
                        std::uint32_t function, Bytes input, bool missingInput,
                        std::uint8_t* output, std::uint64_t outputSize);
  std::int32_t Elaborate(Session& session, Bytes input, std::uint8_t* output,
                         std::uint64_t outputSize);
  void DefineImage(Session& session);

  std::mutex mutex_;
  VoDevRequestHook hook_ = nullptr;
  void* hookContext_ = nullptr;
  std::map<std::string, Device> devices_;
  std::map<std::uint32_t, Session> sessions_;  // open and closed, until a reset
  std::uint32_t nextSerial_ = 1;               // never reset: handles are never reused
  std::array<std::uint64_t, 2> requestCounts_{};
  VoDevOpenRecord lastOpen_{};
  std::uint32_t closeCount_ = 0;
  std::uint32_t lastCloseSession_ = 0;
  std::uint32_t lastCloseAttribute_ = 0;
  std::uint32_t restartCount_ = 0;
  std::array<std::uint64_t, 12> lastRestart_{};
  std::uint32_t findRegisterCount_ = 0;
  std::string lastFindRegisterName_;
  std::uint32_t lastFindRegisterReserved_ = 0;
  std::uint32_t gxLoads_ = 0;
  std::uint32_t gxTlsCalls_ = 0;
  std::uint32_t gxTlsIndex_ = 0;
};

}  // namespace vodev
