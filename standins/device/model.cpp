#include "model.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "fault_injection.h"

namespace vodev {
namespace {

// Request tables. A family or function missing here is answered with
// VODEV_E_UNSUPPORTED_FAMILY or VODEV_E_UNSUPPORTED_FUNCTION.
const std::map<std::uint32_t, FamilyHandler>& FamilyHandlers() {
  static const std::map<std::uint32_t, FamilyHandler> table{
      {kFamilyStream, &HandleStreamFamily}, {kFamilyAttribute, &HandleAttributeFamily},
      {kFamilySync, &HandleSynqFamily},     {kFamilyRoute, &HandleRouteFamily},
      {kFamilyFifo, &HandleFifoFamily},     {kFamilyMaintenance, &HandleMaintenanceFamily},
  };
  return table;
}

const std::map<std::uint32_t, DirectHandler>& DirectHandlers() {
  static const std::map<std::uint32_t, DirectHandler> table{
      {0, &HandleBarRead},
      {1, &HandleBarWrite},
      {2, &HandleRawFifoRead},
      {3, &HandleRawFifoWrite},
      {6, &HandleCalibrationWrite},
      {7, &HandleCalibrationRead},
      {14, &HandleTemperatureLimitSet},
      {15, &HandlePowerLimitSet},
      {16, &HandleTemperatureLimitGet},
      {17, &HandlePowerLimitGet},
      {18, &HandleMetadataSize},
      {19, &HandleMetadata},
      {20, &HandleVerificationUpdate},
      {21, &HandleUserAutoload},
      {22, &HandleIoModuleWrite},
      {23, &HandleIoModuleRead},
      {777, &HandlePromoteToFlash},
  };
  return table;
}

constexpr const char* kDramReadyRegister = "tarsin.module.dram ready 0";
constexpr const char* kDataValidRegister = "tarsin.module.data valid 0";

// Session handles: a running serial number with bit 13 left free for the
// simulated-session mark.
std::uint32_t HandleFromSerial(std::uint32_t serial, bool simulated) {
  std::uint32_t handle = (serial & 0x1FFF) | ((serial >> 13) << 14);
  return simulated ? handle | kSimulatedBit : handle;
}

bool IsHardwareResource(std::string_view resource) {
  return resource.size() == 4 && resource.starts_with("RIO") && resource[3] >= '0' &&
         resource[3] <= '7';
}

void CopyText(char* target, std::size_t size, const char* text) {
  if (target == nullptr || size == 0) return;
  std::size_t length = text ? std::min(std::strlen(text), size - 1) : 0;
  if (length) std::memcpy(target, text, length);
  target[length] = '\0';
}

}  // namespace

const char* RouteComponent(VoDevRoute route) {
  return route == VODEV_ROUTE_SIMULATION ? "votarsinsimulation" : "VoFpga";
}

Model& Model::Instance() {
  // Never destroyed: stand-ins may still call in while the process exits.
  static Model* model = new Model;
  return *model;
}

std::int32_t Model::Open(VoDevOpenEntry entry, const char* image, const char* signature,
                         const char* resource, std::uint32_t attribute, std::uint32_t* session) {
  std::lock_guard lock(mutex_);
  lastOpen_ = {};
  lastOpen_.entry = entry;
  lastOpen_.attribute = attribute;
  lastOpen_.imageGiven = image != nullptr;
  lastOpen_.signatureGiven = signature != nullptr;
  lastOpen_.resourceGiven = resource != nullptr;
  CopyText(lastOpen_.image, sizeof lastOpen_.image, image);
  CopyText(lastOpen_.signature, sizeof lastOpen_.signature, signature);
  CopyText(lastOpen_.resource, sizeof lastOpen_.resource, resource);

  std::int32_t status = VODEV_SUCCESS;
  bool simulated = false;
  if (image == nullptr || resource == nullptr || session == nullptr) {
    status = VODEV_E_INVALID_ARGUMENT;
  } else if (std::string_view(resource).starts_with("SIM")) {
    simulated = true;
  } else if (!IsHardwareResource(resource)) {
    status = VODEV_E_UNKNOWN_RESOURCE;
  }
  lastOpen_.status = status;
  if (status != VODEV_SUCCESS) return status;

  Device& device = devices_[resource];
  device.resource = resource;
  device.simulated = simulated;
  std::uint32_t handle = HandleFromSerial(nextSerial_++, simulated);
  Session& opened = sessions_[handle];
  opened.handle = handle;
  opened.device = &device;
  opened.image = image;
  opened.openAttribute = attribute;
  DefineImage(opened);
  lastOpen_.session = handle;
  *session = handle;
  return VODEV_SUCCESS;
}

void Model::DefineImage(Session& session) {
  session.registers.clear();
  session.nextRegisterHandle = 1;
  int commitSteps = 0;  // the memory follows a commit first, then the data
  for (const char* name : {kDramReadyRegister, kDataValidRegister}) {
    session.registers[name] = Register{session.nextRegisterHandle++, 1};
    session.registers[name].commitSteps = ++commitSteps;
  }
}

Session* Model::OpenSession(std::uint32_t handle, std::int32_t* status) {
  auto it = sessions_.find(handle);
  if (it == sessions_.end()) {
    *status = VODEV_E_UNKNOWN_SESSION;
    return nullptr;
  }
  if (!it->second.open) {
    *status = VODEV_E_SESSION_CLOSED;
    ErrorDetail detail;
    it->second.errors[*status] = BuildErrorContext(*status, RouteComponent(VODEV_ROUTE_FPGA),
                                                   detail, it->second.device->resource);
    return nullptr;
  }
  *status = VODEV_SUCCESS;
  return &it->second;
}

std::int32_t Model::Close(std::uint32_t session, std::uint32_t attribute) {
  std::lock_guard lock(mutex_);
  ++closeCount_;
  lastCloseSession_ = session;
  lastCloseAttribute_ = attribute;
  std::int32_t status;
  Session* closing = OpenSession(session, &status);
  if (closing == nullptr) return status;
  closing->open = false;
  if (attribute & VODEV_CLOSE_RESET_DEVICE) closing->device->ResetToDefaults();
  return VODEV_SUCCESS;
}

std::int32_t Model::ClientCall(VoDevRoute route, std::uint32_t session, std::uint32_t group,
                               std::uint32_t function, const void* input, std::uint64_t inputSize,
                               void* output, std::uint64_t outputSize) {
  VoDevRequestHook hook;
  void* context;
  {
    std::lock_guard lock(mutex_);
    ++requestCounts_[route == VODEV_ROUTE_SIMULATION ? 1 : 0];
    hook = hook_;
    context = hookContext_;
  }
  if (hook != nullptr) {
    const VoDevRequest request{route, session,   group,  function,
                               input, inputSize, output, outputSize};
    std::int32_t status = VODEV_SUCCESS;
    if (hook(context, &request, &status)) return status;
  }
  return FaultInjector::Instance().Apply(function, output, outputSize, [&] {
    return Serve(route, session, group, function, input, inputSize, output, outputSize);
  });
}

std::int32_t Model::Serve(VoDevRoute route, std::uint32_t session, std::uint32_t group,
                          std::uint32_t function, const void* input, std::uint64_t inputSize,
                          void* output, std::uint64_t outputSize) {
  std::lock_guard lock(mutex_);
  // A size without a record is refused below, after the session checks.
  bool missingInput = input == nullptr && inputSize != 0;
  Bytes bytes;
  if (input != nullptr) bytes = Bytes(static_cast<const std::uint8_t*>(input), inputSize);
  if (output == nullptr) outputSize = 0;
  return Dispatch(route, session, group, function, bytes, missingInput,
                  static_cast<std::uint8_t*>(output), outputSize);
}

std::int32_t Model::Dispatch(VoDevRoute route, std::uint32_t handle, std::uint32_t group,
                             std::uint32_t function, Bytes input, bool missingInput,
                             std::uint8_t* output, std::uint64_t outputSize) {
  auto it = sessions_.find(handle);
  if (it == sessions_.end()) return VODEV_E_UNKNOWN_SESSION;
  Session& session = it->second;
  ErrorDetail detail;
  std::int32_t status;
  if (group != kGroup) {
    status = VODEV_E_WRONG_GROUP;
  } else if (route == VODEV_ROUTE_SIMULATION && (handle & kSimulatedBit) == 0) {
    status = VODEV_E_NOT_SIMULATED;
  } else if (function == kFunctionElaborate) {
    // Not recorded: a failed elaboration must not replace what it describes.
    return missingInput ? VODEV_E_BAD_REQUEST_SIZE : Elaborate(session, input, output, outputSize);
  } else if (!session.open) {
    status = VODEV_E_SESSION_CLOSED;
  } else if (missingInput) {
    status = VODEV_E_BAD_REQUEST_SIZE;
  } else {
    Request request{route, session, *session.device, input, output, outputSize, detail};
    if (function == kFunctionFamily) {
      auto family = Load<std::uint32_t>(input, 0);
      auto command = Load<std::uint32_t>(input, 16);
      if (!family || !command) {
        status = VODEV_E_BAD_REQUEST_SIZE;
      } else if (auto handler = FamilyHandlers().find(*family); handler != FamilyHandlers().end()) {
        status = handler->second(request, *command);
      } else {
        status = VODEV_E_UNSUPPORTED_FAMILY;
      }
    } else if (auto handler = DirectHandlers().find(function); handler != DirectHandlers().end()) {
      status = handler->second(request);
    } else {
      status = VODEV_E_UNSUPPORTED_FUNCTION;
    }
  }
  if (status < 0) {
    session.errors[status] =
        BuildErrorContext(status, RouteComponent(route), detail, session.device->resource);
  }
  return status;
}

std::int32_t Model::Elaborate(Session& session, Bytes input, std::uint8_t* output,
                              std::uint64_t outputSize) {
  auto code = Load<std::int32_t>(input, 0);
  if (!code || input.size() != sizeof(std::int32_t)) return VODEV_E_BAD_REQUEST_SIZE;
  auto it = session.errors.find(*code);
  const std::string text = it != session.errors.end() ? it->second : "{}";
  if (output == nullptr || outputSize < text.size() + 1) return VODEV_E_RESPONSE_TOO_SMALL;
  std::memcpy(output, text.c_str(), text.size() + 1);
  return VODEV_SUCCESS;
}

std::int32_t Model::FindRegister(std::uint32_t session, const char* name, std::uint32_t reserved,
                                 std::uint32_t* handle) {
  std::lock_guard lock(mutex_);
  ++findRegisterCount_;
  lastFindRegisterName_ = name ? name : "";
  lastFindRegisterReserved_ = reserved;
  std::int32_t status;
  Session* target = OpenSession(session, &status);
  if (target == nullptr) return status;
  if (name == nullptr || handle == nullptr) return VODEV_E_INVALID_ARGUMENT;
  auto it = target->registers.find(name);
  if (it == target->registers.end()) return VODEV_E_NO_SUCH_REGISTER;
  *handle = it->second.handle;
  return VODEV_SUCCESS;
}

std::int32_t Model::FindFifo(std::uint32_t session, const char* name, std::uint32_t* fifo) {
  std::lock_guard lock(mutex_);
  std::int32_t status;
  Session* target = OpenSession(session, &status);
  if (target == nullptr) return status;
  if (name == nullptr || fifo == nullptr) return VODEV_E_INVALID_ARGUMENT;
  // The image carries one FIFO per stream, named as the Stream FIFO Name
  // attribute reports it; the FIFO handle is the stream number.
  std::string_view text(name);
  int stream = text.starts_with("stream") ? StreamNumber(text.substr(6)) : -1;
  if (stream < 0) return VODEV_E_NO_SUCH_FIFO;
  *fifo = static_cast<std::uint32_t>(stream);
  return VODEV_SUCCESS;
}

std::int32_t Model::ReadBool(std::uint32_t session, std::uint32_t reg, std::uint8_t* value) {
  std::lock_guard lock(mutex_);
  std::int32_t status;
  Session* target = OpenSession(session, &status);
  if (target == nullptr) return status;
  if (value == nullptr) return VODEV_E_INVALID_ARGUMENT;
  for (auto& [name, entry] : target->registers) {
    if (entry.handle == reg) return ReadImageRegister(*target->device, entry, value);
  }
  return VODEV_E_NO_SUCH_REGISTER;
}

std::int32_t Model::RestartSimulation(const std::uint64_t args[12]) {
  std::lock_guard lock(mutex_);
  ++restartCount_;
  std::copy(args, args + 12, lastRestart_.begin());
  auto handle = static_cast<std::uint32_t>(args[0]);
  if (handle == 0) return VODEV_SUCCESS;
  std::int32_t status;
  Session* target = OpenSession(handle, &status);
  if (target == nullptr) return status;
  if ((handle & kSimulatedBit) == 0) return VODEV_E_NOT_SIMULATED;
  target->device->ResetToDefaults();
  target->device->simulationSeed = static_cast<std::uint32_t>(args[1]);
  return VODEV_SUCCESS;
}

void Model::SetHook(VoDevRequestHook hook, void* context) {
  std::lock_guard lock(mutex_);
  hook_ = hook;
  hookContext_ = hook ? context : nullptr;
}

void Model::Reset() {
  FaultInjector::Instance().Set(nullptr);
  std::lock_guard lock(mutex_);
  sessions_.clear();
  devices_.clear();
  requestCounts_ = {};
  lastOpen_ = {};
  closeCount_ = lastCloseSession_ = lastCloseAttribute_ = 0;
  restartCount_ = 0;
  lastRestart_ = {};
  findRegisterCount_ = 0;
  lastFindRegisterName_.clear();
  lastFindRegisterReserved_ = 0;
}

VoDevOpenEntry Model::LastOpen(VoDevOpenRecord* record) {
  std::lock_guard lock(mutex_);
  if (record != nullptr) *record = lastOpen_;
  return lastOpen_.entry;
}

std::uint32_t Model::LastClose(std::uint32_t* session, std::uint32_t* attribute) {
  std::lock_guard lock(mutex_);
  if (session) *session = lastCloseSession_;
  if (attribute) *attribute = lastCloseAttribute_;
  return closeCount_;
}

std::uint32_t Model::OpenSessionCount() {
  std::lock_guard lock(mutex_);
  return static_cast<std::uint32_t>(std::count_if(
      sessions_.begin(), sessions_.end(), [](const auto& entry) { return entry.second.open; }));
}

std::uint64_t Model::RequestCount(VoDevRoute route) {
  std::lock_guard lock(mutex_);
  return requestCounts_[route == VODEV_ROUTE_SIMULATION ? 1 : 0];
}

void Model::NoteGxLoad() {
  std::lock_guard lock(mutex_);
  ++gxLoads_;
}

void Model::NoteGxTlsIndex(std::uint32_t index) {
  std::lock_guard lock(mutex_);
  ++gxTlsCalls_;
  gxTlsIndex_ = index;
}

std::uint32_t Model::GxLoadCount() {
  std::lock_guard lock(mutex_);
  return gxLoads_;
}

std::uint32_t Model::GxLastTlsIndex(std::uint32_t* calls) {
  std::lock_guard lock(mutex_);
  if (calls) *calls = gxTlsCalls_;
  return gxTlsIndex_;
}

std::uint32_t Model::LastRestart(std::uint64_t args[12]) {
  std::lock_guard lock(mutex_);
  if (args) std::copy(lastRestart_.begin(), lastRestart_.end(), args);
  return restartCount_;
}

std::int32_t Model::SetRegister(std::uint32_t session, const char* name, std::uint8_t value) {
  std::lock_guard lock(mutex_);
  std::int32_t status;
  Session* target = OpenSession(session, &status);
  if (target == nullptr) return status;
  if (name == nullptr) return VODEV_E_INVALID_ARGUMENT;
  auto [it, added] = target->registers.try_emplace(name, Register{0, value});
  if (added) it->second.handle = target->nextRegisterHandle++;
  it->second.value = value;
  it->second.commitSteps = 0;  // a value set by hand no longer follows the commit
  return static_cast<std::int32_t>(it->second.handle);
}

std::int32_t Model::RemoveRegister(std::uint32_t session, const char* name) {
  std::lock_guard lock(mutex_);
  std::int32_t status;
  Session* target = OpenSession(session, &status);
  if (target == nullptr) return status;
  if (name == nullptr) return VODEV_E_INVALID_ARGUMENT;
  return target->registers.erase(name) ? VODEV_SUCCESS : VODEV_E_NO_SUCH_REGISTER;
}

std::int64_t Model::RegisterReadCount(std::uint32_t session, const char* name) {
  std::lock_guard lock(mutex_);
  std::int32_t status;
  Session* target = OpenSession(session, &status);
  if (target == nullptr) return status;
  if (name == nullptr) return VODEV_E_INVALID_ARGUMENT;
  auto it = target->registers.find(name);
  if (it == target->registers.end()) return VODEV_E_NO_SUCH_REGISTER;
  return static_cast<std::int64_t>(it->second.reads);
}

std::uint32_t Model::LastFindRegister(char* name, std::size_t nameSize, std::uint32_t* reserved) {
  std::lock_guard lock(mutex_);
  CopyText(name, nameSize, lastFindRegisterName_.c_str());
  if (reserved) *reserved = lastFindRegisterReserved_;
  return findRegisterCount_;
}

std::int64_t Model::SyncPulseCount(std::uint32_t session, std::uint32_t* lastArgument) {
  std::lock_guard lock(mutex_);
  std::int32_t status;
  Session* target = OpenSession(session, &status);
  if (target == nullptr) return status;
  if (lastArgument) *lastArgument = target->device->lastSyncArgument;
  return static_cast<std::int64_t>(target->device->syncPulses);
}

std::int32_t Model::PulseTerminal(std::uint32_t session, const char* terminal) {
  std::lock_guard lock(mutex_);
  std::int32_t status;
  Session* target = OpenSession(session, &status);
  if (target == nullptr) return status;
  if (terminal == nullptr || *terminal == '\0') return VODEV_E_INVALID_ARGUMENT;
  return vodev::PulseTerminal(*target->device, terminal);
}

std::int32_t Model::RouteCount(std::uint32_t session) {
  std::lock_guard lock(mutex_);
  std::int32_t status;
  Session* target = OpenSession(session, &status);
  if (target == nullptr) return status;
  return static_cast<std::int32_t>(target->device->routes.size());
}

std::int32_t Model::GetRoute(std::uint32_t session, std::uint32_t route, char* source,
                             std::size_t sourceSize, char* destination,
                             std::size_t destinationSize) {
  std::lock_guard lock(mutex_);
  std::int32_t status;
  Session* target = OpenSession(session, &status);
  if (target == nullptr) return status;
  auto it = target->device->routes.find(route);
  if (it == target->device->routes.end()) return VODEV_E_NO_SUCH_ROUTE;
  CopyText(source, sourceSize, it->second.source.c_str());
  CopyText(destination, destinationSize, it->second.destination.c_str());
  return VODEV_SUCCESS;
}

}  // namespace vodev

namespace vodev {

std::int64_t Model::WithOpenSession(std::uint32_t handle,
                                    const std::function<std::int64_t(Session&)>& action) {
  std::lock_guard lock(mutex_);
  std::int32_t status;
  Session* target = OpenSession(handle, &status);
  return target != nullptr ? action(*target) : status;
}

void Model::WithLock(const std::function<void()>& action) {
  std::lock_guard lock(mutex_);
  action();
}

}  // namespace vodev
