// The route family (0x105), the synchronisation family (0x104) and the
// pulses that travel between terminals (acquisition.h).
//
// Records (little-endian, packed, header = family word and three zero words):
//   route        1044 bytes: command 0 at 16, first terminal at 20 and second
//                terminal at 532, each a 512-byte field holding a
//                NUL-terminated name; response: the route identifier (u32)
//   unroute      24 bytes: command 1 at 16, route identifier (u32) at 20
//   sync probe   20 bytes: command 0 at 16
//   sync pulse   24 bytes: command 1 at 16, argument (u32) at 20
// Routes lead from the first terminal to the second.
#include <deque>
#include <set>
#include <string>

#include "model.h"

namespace vodev {
namespace {

constexpr std::uint32_t kCommandRoute = 0;
constexpr std::uint32_t kCommandUnroute = 1;
constexpr std::uint32_t kCommandProbe = 0;
constexpr std::uint32_t kCommandSyncPulse = 1;

constexpr std::size_t kRouteRecordSize = 1044;
constexpr std::size_t kUnrouteRecordSize = 24;
constexpr std::size_t kProbeRecordSize = 20;
constexpr std::size_t kSyncPulseRecordSize = 24;
constexpr std::size_t kTerminalField = 512;
constexpr std::size_t kRouteResponseSize = 4;

void MarkTriggered(Stream& stream, std::uint64_t triggerIndex) {
  stream.triggered = true;
  stream.triggerIndex = triggerIndex;
  stream.acquired = 0;
}

std::int32_t InvalidRoute(Request& request, std::string sentence) {
  request.detail.elaboration = std::move(sentence);
  return VODEV_E_INVALID_ROUTE;
}

std::int32_t MakeRoute(Request& request) {
  Device& device = request.device;
  if (request.outputSize < kRouteResponseSize) return VODEV_E_RESPONSE_TOO_SMALL;
  auto source = LoadText(request.input, 20, kTerminalField, true);
  auto destination = LoadText(request.input, 20 + kTerminalField, kTerminalField, true);
  if (!source || !destination) {
    request.detail.elaboration = "A terminal name is not terminated within its 512 bytes.";
    return VODEV_E_MALFORMED_REQUEST;
  }
  if (source->empty() || destination->empty()) {
    return InvalidRoute(request, "A route needs two terminal names.");
  }
  if (*source == *destination) {
    return InvalidRoute(request, "A route cannot connect the terminal " + *source + " to itself.");
  }
  for (const auto& [id, route] : device.routes) {
    if (route.destination == *destination) {
      return InvalidRoute(request, "The terminal " + *destination + " is already driven by route " +
                                       std::to_string(id) + ".");
    }
  }
  if (device.routes.size() >= kMaxRoutes) {
    return InvalidRoute(request, "The device has no free route.");
  }
  std::uint32_t id = device.nextRouteId;
  while (id == 0 || device.routes.count(id) != 0) ++id;
  device.nextRouteId = id + 1;
  device.routes[id] = Route{*source, *destination};
  Store(request.output, 0, id);
  // A route from an outside terminal brings a live signal to its destination.
  if (!IsModelDriven(device, *source)) PulseTerminal(device, *destination);
  return VODEV_SUCCESS;
}

std::int32_t Unroute(Request& request) {
  const auto id = *Load<std::uint32_t>(request.input, 20);
  if (request.device.routes.erase(id) == 0) {
    request.detail.elaboration = "The device has no route " + std::to_string(id) + ".";
    return VODEV_E_NO_SUCH_ROUTE;
  }
  return VODEV_SUCCESS;
}

}  // namespace

int PulseTerminal(Device& device, std::string_view terminal) {
  std::set<std::string, std::less<>> visited;
  std::deque<std::string> pending;
  auto reach = [&](std::string_view name) {
    if (!name.empty() && visited.emplace(name).second) pending.emplace_back(name);
  };
  reach(terminal);
  int fired = 0;
  while (!pending.empty()) {
    const std::string current = std::move(pending.front());
    pending.pop_front();
    for (Stream& stream : device.streams) {
      if (stream.started && !stream.triggered && stream.triggerTerminal == current) {
        MarkTriggered(stream, stream.elapsed);
        ++fired;
        reach(stream.outputTerminal);
      }
    }
    for (const auto& [id, route] : device.routes) {
      if (route.source == current) reach(route.destination);
    }
  }
  return fired;
}

int FireStream(Device& device, Stream& stream, std::uint64_t triggerIndex) {
  MarkTriggered(stream, triggerIndex);
  return 1 + PulseTerminal(device, stream.outputTerminal);
}

bool IsModelDriven(const Device& device, std::string_view terminal) {
  if (terminal == kSyncTerminal) return true;
  for (const auto& [key, value] : device.values) {
    if (key.first == attr::kStartTriggerOutputTerminal) {
      const auto* text = std::get_if<std::string>(&value);
      if (text != nullptr && *text == terminal) return true;
    }
  }
  return false;
}

std::int32_t HandleRouteFamily(Request& request, std::uint32_t command) {
  std::int32_t status;
  switch (command) {
    case kCommandRoute:
      status = CheckRecord(request.input, kRouteRecordSize);
      return status != VODEV_SUCCESS ? status : MakeRoute(request);
    case kCommandUnroute:
      status = CheckRecord(request.input, kUnrouteRecordSize);
      return status != VODEV_SUCCESS ? status : Unroute(request);
    default:
      return VODEV_E_UNSUPPORTED_COMMAND;
  }
}

std::int32_t HandleSyncFamily(Request& request, std::uint32_t command) {
  switch (command) {
    case kCommandProbe:
      return CheckRecord(request.input, kProbeRecordSize);
    case kCommandSyncPulse: {
      const std::int32_t status = CheckRecord(request.input, kSyncPulseRecordSize);
      if (status != VODEV_SUCCESS) return status;
      ++request.device.syncPulses;
      request.device.lastSyncArgument = *Load<std::uint32_t>(request.input, 20);
      PulseTerminal(request.device, kSyncTerminal);
      return VODEV_SUCCESS;
    }
    default:
      return VODEV_E_UNSUPPORTED_COMMAND;
  }
}

}  // namespace vodev
