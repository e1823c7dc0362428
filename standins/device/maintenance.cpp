// Maintenance requests of the device model.
//
// Direct functions (no request header; sizes exact unless stated):
//   0   register read       in: u32 offset                out: u32 value
//   1   register write      in: u32 offset, u32 value
//       The register file covers offsets 0 to 0xFFFC in steps of 4; every
//       register reads 0 until written.
//   2   FIFO read           in: u32 target, u32 0, u64 instruction   out: 8 bytes
//   3   FIFO write          in: the same 16 bytes
//   6   calibration write   in: u32 location, u32 length, `length` bytes
//   7   calibration read    in: u32 location             out: the caller's length
//       The calibration area has "Calibration Storage Size" bytes, erased to
//       0xFF; location is a byte offset into it.
//   14, 15  temperature, power limit set   in: f64 (finite, above 0)
//   16, 17  temperature, power limit get   out: f64
//       The limits are the attributes Temperature Limit and Power Limit.
//   18  metadata size       out: u32 (the text's length with its terminator)
//   19  metadata            out: the text and its terminator
//   20  verification update: Verification Date/Time becomes the current
//       time, Verification Temperature the FPGA Temperature
//   21  user autoload       in: u32 2, u32 flag (0 or 1)
//   22  I/O module write     in: 16-byte record, last byte 0
//   23  I/O module read      out: 16-byte record
//   777 promote to flash    in: u32 option
// Family requests:
//   FIFO 0x106      156 bytes: command 0 read / 1 write at 16, target at 20,
//                   count (at most 15) at 24, 16 u64 slots at 28 (the unused
//                   ones zero); a read answers a u64
//   maintenance     24 bytes: command 342 commit (u32 0 at 20) or 343 tree
//   0xDE7EC7ED      (selector at 20: 0 image, 1 device; out: text)
//   sync 0x104      commands 2 to 14, see HandleSynqFamily
//
// Instruction FIFOs: a write queues its words on the target (at most
// kFifoCapacity); a read queues its own words too, then executes the queue:
// it answers the wrapping sum of the queued words (a single-word read: the
// low 32 bits, then the number of words executed) and empties it.
#include "maintenance.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "model.h"

namespace vodev {
namespace {

constexpr std::uint32_t kAttrCalibrationStorageSize = 0x1000000C;
constexpr std::uint32_t kAttrFpgaTemperature = 0x20000005;
constexpr std::uint32_t kAttrTemperatureLimit = 0x2000000A;
constexpr std::uint32_t kAttrPowerLimit = 0x2000000B;
constexpr std::uint32_t kAttrVerificationTemperature = 0x2000000E;
constexpr std::uint32_t kAttrVerificationDateTime = 0x50000004;

constexpr std::uint32_t kBarSize = 0x10000;
constexpr std::size_t kFifoCapacity = 4096;
constexpr std::uint32_t kFifoBatchSlots = 16;
constexpr std::uint32_t kFifoBatchMaxWords = 15;
constexpr std::size_t kFifoBatchRecordSize = 156;
constexpr std::uint32_t kCommandFifoRead = 0;
constexpr std::uint32_t kCommandFifoWrite = 1;
constexpr std::uint32_t kCommandCommit = 342;
constexpr std::uint32_t kCommandTree = 343;
constexpr std::size_t kMaintenanceRecordSize = 24;
constexpr std::uint32_t kAutoloadUserImage = 2;
constexpr std::size_t kIoModuleRecordSize = 16;

// Delays of the I/O after a commit; process-wide test settings.
std::atomic<std::uint32_t> gIoReadyDelayMs{20};
std::atomic<std::uint32_t> gModuleDelayMs{10};

using Clock = std::chrono::steady_clock;

NonVolatile& Persistent(const Device& device) { return NonVolatileStore()[device.resource]; }

std::vector<std::uint8_t>& CalibrationArea(const Device& device) {
  std::vector<std::uint8_t>& area = Persistent(device).calibration;
  const auto size = static_cast<std::size_t>(
      std::max(0, AttributeValue<std::int32_t>(device, kAttrCalibrationStorageSize, "")));
  if (area.size() != size) area.resize(size, 0xFF);
  return area;
}

std::int32_t Invalid(Request& request, std::string sentence) {
  request.detail.elaboration = std::move(sentence);
  return VODEV_E_INVALID_VALUE;
}

std::int32_t ExactSize(const Request& request, std::size_t size) {
  return request.input.size() == size ? VODEV_SUCCESS : VODEV_E_BAD_REQUEST_SIZE;
}

std::int32_t NeedOutput(const Request& request, std::size_t size) {
  return request.output != nullptr && request.outputSize >= size ? VODEV_SUCCESS
                                                                 : VODEV_E_RESPONSE_TOO_SMALL;
}

// ---- Registers -----------------------------------------------------------------

std::int32_t CheckBarOffset(Request& request, std::uint32_t offset) {
  if (offset >= kBarSize || offset % 4 != 0) {
    return Invalid(request, "The register offset " + std::to_string(offset) +
                                " is not a 32-bit register of the region.");
  }
  return VODEV_SUCCESS;
}

// ---- Instruction FIFOs ---------------------------------------------------------

std::int32_t Queue(Request& request, std::uint32_t target, const std::uint64_t* words,
                   std::size_t count) {
  std::deque<std::uint64_t>& queue = request.device.maintenance.fifo[target];
  if (queue.size() + count > kFifoCapacity) {
    return Invalid(request,
                   "The instruction FIFO of target " + std::to_string(target) + " is full.");
  }
  queue.insert(queue.end(), words, words + count);
  return VODEV_SUCCESS;
}

// Executes the target's queue: the wrapping sum of its words, and how many.
std::pair<std::uint64_t, std::uint32_t> Execute(Device& device, std::uint32_t target) {
  auto it = device.maintenance.fifo.find(target);
  if (it == device.maintenance.fifo.end()) return {0, 0};
  std::uint64_t sum = 0;
  for (std::uint64_t word : it->second) sum += word;
  const auto count = static_cast<std::uint32_t>(it->second.size());
  device.maintenance.fifo.erase(it);
  return {sum, count};
}

// ---- Texts ---------------------------------------------------------------------

std::string Metadata(const Session& session) {
  std::string text =
      "Tarsin FPGA image\nname=" + session.image + "\ndevice=" + session.device->resource + "\n";
  for (const auto& [name, entry] : session.registers) {
    text += "register=" + name + ",bool,handle " + std::to_string(entry.handle) + "\n";
  }
  text += "fifo=stream0-stream63,target-to-host\n";
  return text;
}

std::string Tree(const Session& session, std::uint32_t selector) {
  if (selector == 0) {
    std::string text = "{\"image\":" + JsonString(session.image) + ",\"registers\":[";
    bool first = true;
    for (const auto& [name, entry] : session.registers) {
      text += (first ? "" : ",") + JsonString(name);
      first = false;
    }
    return text + "]}";
  }
  return "{\"device\":" + JsonString(session.device->resource) +
         ",\"simulated\":" + (session.device->simulated ? "true" : "false") + "}";
}

std::int32_t AnswerText(Request& request, const std::string& text) {
  if (const std::int32_t status = NeedOutput(request, text.size() + 1); status != VODEV_SUCCESS) {
    return status;
  }
  std::memcpy(request.output, text.c_str(), text.size() + 1);
  return VODEV_SUCCESS;
}

// ---- Limits ------------------------------------------------------------------------

std::int32_t SetLimit(Request& request, std::uint32_t id) {
  if (const std::int32_t status = ExactSize(request, sizeof(double)); status != VODEV_SUCCESS) {
    return status;
  }
  const double limit = *Load<double>(request.input, 0);
  request.detail.attributeId = id;
  request.detail.valueJson = JsonNumber(limit);
  if (!std::isfinite(limit) || limit <= 0) return Invalid(request, "A limit must be above 0.");
  request.device.values[{id, ""}] = limit;
  return VODEV_SUCCESS;
}

std::int32_t GetLimit(Request& request, std::uint32_t id) {
  if (const std::int32_t status = ExactSize(request, 0); status != VODEV_SUCCESS) return status;
  if (const std::int32_t status = NeedOutput(request, sizeof(double)); status != VODEV_SUCCESS) {
    return status;
  }
  Store(request.output, 0, AttributeValue<double>(request.device, id, ""));
  return VODEV_SUCCESS;
}

// ---- Synchronisation commands --------------------------------------------------------

// Record size of each synchronisation command 2 to 14.
std::size_t SynqRecordSize(std::uint32_t command) {
  switch (command) {
    case 2:
    case 3:
    case 4:
    case 5:
      return 24;
    case 6:
    case 9:
      return 28;
    case 7:
    case 8:
      return 36;
    default:
      return 20;
  }
}

}  // namespace

bool IoReady(const Device& device) {
  const MaintenanceState& state = device.maintenance;
  return state.commits != 0 &&
         Clock::now() - state.committedAt >= std::chrono::milliseconds(gIoReadyDelayMs.load());
}

std::int32_t ReadImageRegister(const Device& device, Register& entry, std::uint8_t* value) {
  if (!entry.scripted.empty()) {
    const ScriptedRead read = entry.scripted.front();
    entry.scripted.pop_front();
    *value = read.value;
    if (read.status == VODEV_SUCCESS) ++entry.reads;
    return read.status;
  }
  std::uint8_t current = entry.value;
  if (entry.commitSteps > 0 && device.maintenance.commits != 0) {
    const auto due = std::chrono::milliseconds(gIoReadyDelayMs.load() +
                                               entry.commitSteps * gModuleDelayMs.load());
    current = Clock::now() - device.maintenance.committedAt >= due ? 1 : 0;
  }
  *value = current;
  ++entry.reads;
  return VODEV_SUCCESS;
}

std::int32_t HandleFifoFamily(Request& request, std::uint32_t command) {
  if (command != kCommandFifoRead && command != kCommandFifoWrite) {
    return VODEV_E_UNSUPPORTED_COMMAND;
  }
  if (const std::int32_t status = CheckRecord(request.input, kFifoBatchRecordSize);
      status != VODEV_SUCCESS) {
    return status;
  }
  const std::uint32_t target = *Load<std::uint32_t>(request.input, 20);
  const std::uint32_t count = *Load<std::uint32_t>(request.input, 24);
  if (count > kFifoBatchMaxWords) {
    request.detail.elaboration = "A batch carries at most 15 instruction words.";
    return VODEV_E_MALFORMED_REQUEST;
  }
  std::uint64_t words[kFifoBatchSlots];
  for (std::uint32_t i = 0; i < kFifoBatchSlots; ++i) {
    words[i] = *Load<std::uint64_t>(request.input, 28 + 8 * i);
    if (i >= count && words[i] != 0) {
      request.detail.elaboration = "An instruction slot beyond the count is not zero.";
      return VODEV_E_MALFORMED_REQUEST;
    }
  }
  if (command == kCommandFifoRead) {
    if (const std::int32_t status = NeedOutput(request, sizeof(std::uint64_t));
        status != VODEV_SUCCESS) {
      return status;
    }
  }
  if (const std::int32_t status = Queue(request, target, words, count); status != VODEV_SUCCESS) {
    return status;
  }
  if (command == kCommandFifoRead) Store(request.output, 0, Execute(request.device, target).first);
  return VODEV_SUCCESS;
}

std::int32_t HandleMaintenanceFamily(Request& request, std::uint32_t command) {
  if (command != kCommandCommit && command != kCommandTree) return VODEV_E_UNSUPPORTED_COMMAND;
  if (const std::int32_t status = CheckRecord(request.input, kMaintenanceRecordSize);
      status != VODEV_SUCCESS) {
    return status;
  }
  const std::uint32_t argument = *Load<std::uint32_t>(request.input, 20);
  if (command == kCommandTree) {
    if (argument > 1) return Invalid(request, "The tree selector must be 0 or 1.");
    return AnswerText(request, Tree(request.session, argument));
  }
  if (argument != 0) return VODEV_E_MALFORMED_REQUEST;
  MaintenanceState& state = request.device.maintenance;
  ++state.commits;
  state.committedAt = Clock::now();
  return VODEV_SUCCESS;
}

std::int32_t HandleSynqFamily(Request& request, std::uint32_t command) {
  if (command < 2) return HandleSyncFamily(request, command);
  if (command >= SynqState::kCommands) return VODEV_E_UNSUPPORTED_COMMAND;
  if (const std::int32_t status = CheckRecord(request.input, SynqRecordSize(command));
      status != VODEV_SUCCESS) {
    return status;
  }
  SynqState& synq = request.device.maintenance.synq;
  std::array<std::uint64_t, 2> arguments{};
  switch (SynqRecordSize(command)) {
    case 24:
      arguments[0] = *Load<std::uint32_t>(request.input, 20);
      break;
    case 28:
      arguments[0] = command == 9 ? *Load<std::uint64_t>(request.input, 20)
                                  : *Load<std::uint32_t>(request.input, 20);
      if (command == 6) arguments[1] = *Load<std::uint32_t>(request.input, 24);
      break;
    case 36:
      arguments[0] = *Load<std::uint64_t>(request.input, 20);
      arguments[1] = *Load<std::uint64_t>(request.input, 28);
      break;
    default:
      break;
  }
  switch (command) {
    case 5: {  // a measurement: the offset of command 9 plus a nanoseconds, a, pulses so far
      if (const std::int32_t status = NeedOutput(request, 16); status != VODEV_SUCCESS) {
        return status;
      }
      const double offset = std::bit_cast<double>(synq.lastArguments[9][0]);
      Store(request.output, 0, offset + static_cast<double>(arguments[0]) * 1e-9);
      Store(request.output, 8, static_cast<std::uint32_t>(arguments[0]));
      Store(request.output, 12, static_cast<std::uint32_t>(request.device.syncPulses));
      break;
    }
    case 10:
      synq.running = true;
      break;
    case 11:
      synq.running = false;
      break;
    case 12:
      if (const std::int32_t status = NeedOutput(request, 1); status != VODEV_SUCCESS) {
        return status;
      }
      Store<std::uint8_t>(request.output, 0, synq.running ? 1 : 0);
      break;
    case 13:
      synq.armed = true;
      break;
    case 14:
      synq.armed = false;
      break;
    default:
      break;
  }
  ++synq.counts[command];
  synq.lastArguments[command] = arguments;
  return VODEV_SUCCESS;
}

std::int32_t HandleBarRead(Request& request) {
  if (const std::int32_t status = ExactSize(request, 4); status != VODEV_SUCCESS) return status;
  const std::uint32_t offset = *Load<std::uint32_t>(request.input, 0);
  if (const std::int32_t status = CheckBarOffset(request, offset); status != VODEV_SUCCESS) {
    return status;
  }
  if (const std::int32_t status = NeedOutput(request, 4); status != VODEV_SUCCESS) return status;
  const auto& bar = request.device.maintenance.bar;
  auto it = bar.find(offset);
  Store<std::uint32_t>(request.output, 0, it != bar.end() ? it->second : 0);
  return VODEV_SUCCESS;
}

std::int32_t HandleBarWrite(Request& request) {
  if (const std::int32_t status = ExactSize(request, 8); status != VODEV_SUCCESS) return status;
  const std::uint32_t offset = *Load<std::uint32_t>(request.input, 0);
  if (const std::int32_t status = CheckBarOffset(request, offset); status != VODEV_SUCCESS) {
    return status;
  }
  request.device.maintenance.bar[offset] = *Load<std::uint32_t>(request.input, 4);
  return VODEV_SUCCESS;
}

std::int32_t HandleRawFifoRead(Request& request) {
  if (const std::int32_t status = ExactSize(request, 16); status != VODEV_SUCCESS) return status;
  if (*Load<std::uint32_t>(request.input, 4) != 0) return VODEV_E_MALFORMED_REQUEST;
  if (const std::int32_t status = NeedOutput(request, 8); status != VODEV_SUCCESS) return status;
  const std::uint32_t target = *Load<std::uint32_t>(request.input, 0);
  const std::uint64_t instruction = *Load<std::uint64_t>(request.input, 8);
  if (const std::int32_t status = Queue(request, target, &instruction, 1);
      status != VODEV_SUCCESS) {
    return status;
  }
  const auto [sum, count] = Execute(request.device, target);
  Store(request.output, 0, static_cast<std::uint32_t>(sum));
  Store(request.output, 4, count);
  return VODEV_SUCCESS;
}

std::int32_t HandleRawFifoWrite(Request& request) {
  if (const std::int32_t status = ExactSize(request, 16); status != VODEV_SUCCESS) return status;
  if (*Load<std::uint32_t>(request.input, 4) != 0) return VODEV_E_MALFORMED_REQUEST;
  const std::uint64_t instruction = *Load<std::uint64_t>(request.input, 8);
  return Queue(request, *Load<std::uint32_t>(request.input, 0), &instruction, 1);
}

std::int32_t HandleCalibrationWrite(Request& request) {
  auto location = Load<std::uint32_t>(request.input, 0);
  auto length = Load<std::uint32_t>(request.input, 4);
  if (!location || !length) return VODEV_E_BAD_REQUEST_SIZE;
  if (request.input.size() - 8 != *length) {
    request.detail.elaboration = "The length field does not match the data sent.";
    return VODEV_E_MALFORMED_REQUEST;
  }
  std::vector<std::uint8_t>& area = CalibrationArea(request.device);
  if (*location > area.size() || area.size() - *location < *length) {
    return Invalid(request, "The block does not fit the calibration area of " +
                                std::to_string(area.size()) + " bytes.");
  }
  std::copy(request.input.begin() + 8, request.input.end(), area.begin() + *location);
  return VODEV_SUCCESS;
}

std::int32_t HandleCalibrationRead(Request& request) {
  if (const std::int32_t status = ExactSize(request, 4); status != VODEV_SUCCESS) return status;
  const std::uint32_t location = *Load<std::uint32_t>(request.input, 0);
  const std::vector<std::uint8_t>& area = CalibrationArea(request.device);
  if (location > area.size() || area.size() - location < request.outputSize) {
    return Invalid(request, "The block does not fit the calibration area of " +
                                std::to_string(area.size()) + " bytes.");
  }
  if (request.outputSize != 0) {
    std::copy_n(area.begin() + location, request.outputSize, request.output);
  }
  return VODEV_SUCCESS;
}

std::int32_t HandleTemperatureLimitSet(Request& request) {
  return SetLimit(request, kAttrTemperatureLimit);
}
std::int32_t HandlePowerLimitSet(Request& request) { return SetLimit(request, kAttrPowerLimit); }
std::int32_t HandleTemperatureLimitGet(Request& request) {
  return GetLimit(request, kAttrTemperatureLimit);
}
std::int32_t HandlePowerLimitGet(Request& request) { return GetLimit(request, kAttrPowerLimit); }

std::int32_t HandleMetadataSize(Request& request) {
  if (const std::int32_t status = ExactSize(request, 0); status != VODEV_SUCCESS) return status;
  if (const std::int32_t status = NeedOutput(request, 4); status != VODEV_SUCCESS) return status;
  Store(request.output, 0, static_cast<std::uint32_t>(Metadata(request.session).size() + 1));
  return VODEV_SUCCESS;
}

std::int32_t HandleMetadata(Request& request) {
  if (const std::int32_t status = ExactSize(request, 0); status != VODEV_SUCCESS) return status;
  return AnswerText(request, Metadata(request.session));
}

std::int32_t HandleVerificationUpdate(Request& request) {
  if (const std::int32_t status = ExactSize(request, 0); status != VODEV_SUCCESS) return status;
  Device& device = request.device;
  device.values[{kAttrVerificationDateTime, ""}] = static_cast<std::uint64_t>(std::time(nullptr));
  device.values[{kAttrVerificationTemperature, ""}] =
      AttributeValue<double>(device, kAttrFpgaTemperature, "");
  ++Persistent(device).verificationUpdates;
  return VODEV_SUCCESS;
}

std::int32_t HandleUserAutoload(Request& request) {
  if (const std::int32_t status = ExactSize(request, 8); status != VODEV_SUCCESS) return status;
  const std::uint32_t image = *Load<std::uint32_t>(request.input, 0);
  const std::uint32_t flag = *Load<std::uint32_t>(request.input, 4);
  if (image != kAutoloadUserImage) return Invalid(request, "Only the user image has a flag.");
  if (flag > 1) return Invalid(request, "The autoload flag is 0 or 1.");
  Persistent(request.device).autoload = flag;
  return VODEV_SUCCESS;
}

std::int32_t HandleIoModuleWrite(Request& request) {
  if (const std::int32_t status = ExactSize(request, kIoModuleRecordSize);
      status != VODEV_SUCCESS) {
    return status;
  }
  if (request.input[15] != 0) return VODEV_E_MALFORMED_REQUEST;
  std::copy(request.input.begin(), request.input.end(),
            Persistent(request.device).ioModule.begin());
  return VODEV_SUCCESS;
}

std::int32_t HandleIoModuleRead(Request& request) {
  if (const std::int32_t status = ExactSize(request, 0); status != VODEV_SUCCESS) return status;
  if (const std::int32_t status = NeedOutput(request, kIoModuleRecordSize);
      status != VODEV_SUCCESS) {
    return status;
  }
  const auto& record = Persistent(request.device).ioModule;
  std::copy(record.begin(), record.end(), request.output);
  return VODEV_SUCCESS;
}

std::int32_t HandlePromoteToFlash(Request& request) {
  if (const std::int32_t status = ExactSize(request, 4); status != VODEV_SUCCESS) return status;
  NonVolatile& store = Persistent(request.device);
  ++store.promotions;
  store.promoteOption = *Load<std::uint32_t>(request.input, 0);
  store.flashImage = request.session.image;
  return VODEV_SUCCESS;
}

void SetCommitDelays(std::uint32_t ioReadyMs, std::uint32_t moduleMs) {
  gIoReadyDelayMs.store(ioReadyMs);
  gModuleDelayMs.store(moduleMs);
}

std::map<std::string, NonVolatile>& NonVolatileStore() {
  // Never destroyed: stand-ins may still call in while the process exits.
  static auto* store = new std::map<std::string, NonVolatile>;
  return *store;
}

}  // namespace vodev
