#include "gx/gx_runtime.h"

#include <cstring>
#include <string>

#include "platform/fatal.h"
#include "platform/tls.h"

namespace vogx {
namespace {

constexpr int32_t kMemoryFull = -52000;
constexpr const char* kFatalCaption = "Fatal Error";

std::atomic<voplat::ModuleHandle> gRuntimeModule{nullptr};
std::atomic<uint32_t> gRuntimeTlsIndex{voplat::kNoTlsIndex};

uint64_t moduleWord(voplat::ModuleHandle module) { return reinterpret_cast<uintptr_t>(module); }

void* resolveIn(voplat::ModuleHandle module, const char* name) {
  return voplat::findSymbol(module, name, nullptr);
}

// The claiming thread publishes the address before the word (stamp or module)
// that lets other threads select the slot, so a selected slot's address is
// always visible.
void* slotLookup(ResolverRecord& record, voplat::ModuleHandle module, uint64_t stamp) {
  const uint64_t moduleValue = moduleWord(module);
  for (ResolverRecord::Slot& slot : record.slots) {
    if (slot.stamp.load(std::memory_order_acquire) == stamp) {
      if (slot.module.load(std::memory_order_acquire) == moduleValue)
        return slot.address.load(std::memory_order_acquire);
      void* address = resolveIn(module, record.name);
      slot.address.store(address, std::memory_order_release);
      slot.module.store(moduleValue, std::memory_order_release);
      return address;
    }
    if (slot.module.load(std::memory_order_acquire) == moduleValue) {
      void* address = resolveIn(module, record.name);
      slot.address.store(address, std::memory_order_release);
      slot.stamp.store(stamp, std::memory_order_release);
      return address;
    }
    uint64_t free = 0;
    if (slot.stamp.compare_exchange_strong(free, stamp, std::memory_order_acq_rel)) {
      void* address = resolveIn(module, record.name);
      slot.address.store(address, std::memory_order_release);
      slot.module.store(moduleValue, std::memory_order_release);
      return address;
    }
    if (slot.stamp.load(std::memory_order_acquire) == stamp &&
        slot.module.load(std::memory_order_acquire) == moduleValue)
      return slot.address.load(std::memory_order_acquire);
  }
  return nullptr;
}

// Takes over a slot whose runtime has been unloaded.
void* reclaimStaleSlot(ResolverRecord& record, voplat::ModuleHandle module, uint64_t stamp) {
  const uint64_t moduleValue = moduleWord(module);
  for (ResolverRecord::Slot& slot : record.slots) {
    uint64_t stale = slot.module.load(std::memory_order_acquire);
    const uint64_t staleStamp = slot.stamp.load(std::memory_order_acquire);
    if (stale == 0 || voplat::isModuleStampLoaded(staleStamp)) continue;
    if (slot.module.compare_exchange_strong(stale, moduleValue, std::memory_order_acq_rel)) {
      void* address = resolveIn(module, record.name);
      slot.address.store(address, std::memory_order_release);
      slot.stamp.store(stamp, std::memory_order_release);
      return address;
    }
    if (slot.stamp.load(std::memory_order_acquire) == stamp &&
        slot.module.load(std::memory_order_acquire) == moduleValue)
      return slot.address.load(std::memory_order_acquire);
  }
  return nullptr;
}

template <typename Fn>
Fn resolve(ResolverRecord& record) {
  return reinterpret_cast<Fn>(ResolveGxFunction(record));
}

ResolverRecord gNewHandle{"DSNewHandle"};
ResolverRecord gGetHandleSize{"DSGetHandleSize"};
ResolverRecord gSetHandleSize{"DSSetHandleSize"};
ResolverRecord gNumericArrayResize{"NumericArrayResize"};
ResolverRecord gPStrCmp{"PStrCmp"};
ResolverRecord gGetLangStr{"GetLangStr"};

}  // namespace

void setRuntimeModule(voplat::ModuleHandle module) { gRuntimeModule.store(module); }
void setRuntimeTlsIndex(uint32_t index) { gRuntimeTlsIndex.store(index); }

voplat::ModuleHandle FindGxRuntime() {
  const uint32_t index = gRuntimeTlsIndex.load();
  if (index != voplat::kNoTlsIndex) {
    if (void* module = voplat::tlsGet(index)) return module;
  }
  if (voplat::ModuleHandle module = gRuntimeModule.load()) return module;
  if (voplat::findMainProgramSymbol("gGXRTVersion") || voplat::findMainProgramSymbol("AZNewHandle"))
    return voplat::mainProgramModule();
  if (voplat::ModuleHandle module = voplat::findLoadedModule("gxrt.dll")) return module;
  return voplat::findLoadedModule("gxffrt.dll");
}

void* ResolveGxFunction(ResolverRecord& record) {
  voplat::ModuleHandle module = FindGxRuntime();
  if (!module)
    voplat::fatalMessage(kFatalCaption, "graphyxv.lib was not called from a Graphyx process.");
  const uint64_t stamp = voplat::moduleStamp(module);
  void* address = slotLookup(record, module, stamp);
  if (!address) address = reclaimStaleSlot(record, module, stamp);
  if (!address) address = slotLookup(record, module, stamp);
  if (!address) {
    const std::string text =
        std::string("graphyxv.lib was unable to locate a suitable location to resolve \"") +
        record.name +
        "\". This may happen when too many instances of Graphyx have been loaded into the same "
        "process.";
    voplat::fatalMessage(kFatalCaption, text.c_str());
  }
  return address;
}

GxHandle DSNewHandle(size_t size) { return resolve<GxHandle (*)(size_t)>(gNewHandle)(size); }

int32_t DSGetHandleSize(GxHandle handle) {
  return resolve<int32_t (*)(GxHandle)>(gGetHandleSize)(handle);
}

int32_t DSSetHandleSize(GxHandle handle, size_t size) {
  return resolve<int32_t (*)(GxHandle, size_t)>(gSetHandleSize)(handle, size);
}

int32_t NumericArrayResize(int32_t typeCode, int32_t dimensions, GxHandle* handle, size_t count) {
  return resolve<int32_t (*)(int32_t, int32_t, GxHandle*, size_t)>(gNumericArrayResize)(
      typeCode, dimensions, handle, count);
}

int32_t PStrCmp(const uint8_t* a, const uint8_t* b) {
  return resolve<int32_t (*)(const uint8_t*, const uint8_t*)>(gPStrCmp)(a, b);
}

void GetLangStr(uint8_t* buffer) { resolve<void (*)(uint8_t*)>(gGetLangStr)(buffer); }

int32_t StoreGxString(GxStringHandle* handle, const char* text) {
  if (!*handle) {
    *handle = reinterpret_cast<GxStringHandle>(DSNewHandle(8));
    if (!*handle) return kMemoryFull;
    (**handle)->count = 0;
  }
  const size_t length = text ? std::strlen(text) : 0;
  if (length > INT32_MAX - 7) return kMemoryFull;
  const int64_t wanted = static_cast<int64_t>(length) + 7;
  const int64_t present = static_cast<int64_t>((**handle)->count) + 7;
  const bool resize = needsResize(wanted, present, [&] {
    return static_cast<int64_t>(DSGetHandleSize(reinterpret_cast<GxHandle>(*handle)));
  });
  if (resize && NumericArrayResize(1, 1, reinterpret_cast<GxHandle*>(handle), length) != 0)
    return kMemoryFull;
  (**handle)->count = static_cast<int32_t>(length);
  if (length) std::memcpy((**handle)->text, text, length);
  return 0;
}

}  // namespace vogx
