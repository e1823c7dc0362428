// Test control of the maintenance state (vodevice_hook.h, "Maintenance").
#include <algorithm>
#include <cstring>

#include "entry_barrier.h"
#include "maintenance.h"
#include "model.h"
#include "vodevice_hook.h"

using vodev::Model;
using vodev::Session;
using vostandin::entryBarrier;

namespace {

constexpr std::uint32_t kAttrIoError = 0x1000000D;

}  // namespace

extern "C" {

void VoDev_SetCommitDelays(uint32_t ioReadyMs, uint32_t moduleMs) {
  entryBarrier([&] { vodev::SetCommitDelays(ioReadyMs, moduleMs); });
}

int32_t VoDev_SetIoError(uint32_t session, int32_t value) {
  return entryBarrier<int32_t>(VODEV_E_OUT_OF_MEMORY, VODEV_E_INTERNAL, [&] {
    return static_cast<int32_t>(Model::Instance().WithOpenSession(session, [&](Session& s) {
      s.device->values[{kAttrIoError, ""}] = value;
      return int64_t{VODEV_SUCCESS};
    }));
  });
}

int64_t VoDev_CommitCount(uint32_t session) {
  return entryBarrier<int64_t>(VODEV_E_OUT_OF_MEMORY, VODEV_E_INTERNAL, [&] {
    return Model::Instance().WithOpenSession(
        session, [](Session& s) { return static_cast<int64_t>(s.device->maintenance.commits); });
  });
}

int32_t VoDev_ScriptRegisterReads(uint32_t session, const char* name, const int32_t* statuses,
                                  const uint8_t* values, size_t count) {
  return entryBarrier<int32_t>(VODEV_E_OUT_OF_MEMORY, VODEV_E_INTERNAL, [&] {
    return static_cast<int32_t>(Model::Instance().WithOpenSession(session, [&](Session& s) {
      if (name == nullptr || (count != 0 && statuses == nullptr)) {
        return int64_t{VODEV_E_INVALID_ARGUMENT};
      }
      auto it = s.registers.find(name);
      if (it == s.registers.end()) return int64_t{VODEV_E_NO_SUCH_REGISTER};
      it->second.scripted.clear();
      for (size_t i = 0; i < count; ++i) {
        it->second.scripted.push_back({statuses[i], values != nullptr ? values[i] : uint8_t{0}});
      }
      return int64_t{VODEV_SUCCESS};
    }));
  });
}

int64_t VoDev_FifoDepth(uint32_t session, uint32_t target) {
  return entryBarrier<int64_t>(VODEV_E_OUT_OF_MEMORY, VODEV_E_INTERNAL, [&] {
    return Model::Instance().WithOpenSession(session, [&](Session& s) {
      const auto& fifo = s.device->maintenance.fifo;
      auto it = fifo.find(target);
      return static_cast<int64_t>(it != fifo.end() ? it->second.size() : 0);
    });
  });
}

int64_t VoDev_SynqCommandCount(uint32_t session, uint32_t command, uint64_t args[2]) {
  return entryBarrier<int64_t>(VODEV_E_OUT_OF_MEMORY, VODEV_E_INTERNAL, [&] {
    return Model::Instance().WithOpenSession(session, [&](Session& s) {
      const vodev::SynqState& synq = s.device->maintenance.synq;
      if (command < 2 || command >= vodev::SynqState::kCommands) {
        return int64_t{VODEV_E_INVALID_ARGUMENT};
      }
      if (args != nullptr) {
        args[0] = synq.lastArguments[command][0];
        args[1] = synq.lastArguments[command][1];
      }
      return static_cast<int64_t>(synq.counts[command]);
    });
  });
}

int32_t VoDev_GetNonVolatile(const char* resource, VoDevNonVolatile* state) {
  if (resource == nullptr || state == nullptr) return VODEV_E_INVALID_ARGUMENT;
  return entryBarrier<int32_t>(VODEV_E_OUT_OF_MEMORY, VODEV_E_INTERNAL, [&] {
    Model::Instance().WithLock([&] {
      *state = VoDevNonVolatile{};
      auto& store = vodev::NonVolatileStore();
      auto it = store.find(resource);
      if (it == store.end()) return;
      state->autoload = it->second.autoload;
      state->promoteOption = it->second.promoteOption;
      state->promotions = it->second.promotions;
      state->verificationUpdates = it->second.verificationUpdates;
      const size_t length = std::min(it->second.flashImage.size(), sizeof state->flashImage - 1);
      std::memcpy(state->flashImage, it->second.flashImage.data(), length);
    });
    return VODEV_SUCCESS;
  });
}

void VoDev_EraseNonVolatile(const char* resource) {
  entryBarrier([&] {
    Model::Instance().WithLock([&] {
      auto& store = vodev::NonVolatileStore();
      if (resource == nullptr) {
        store.clear();
      } else {
        store.erase(resource);
      }
    });
  });
}

}  // extern "C"
