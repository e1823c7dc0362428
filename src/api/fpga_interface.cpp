#include "api/fpga_interface.h"

#include <atomic>
#include <new>

#include "platform/dynlib.h"
#include "status/codes.h"

namespace voapi {
namespace {

std::atomic<voplat::ModuleHandle> gModule{nullptr};

// Loads the module once; a failed load is tried again by the next call, and a
// thread that loses the race to publish its handle gives its reference back.
voplat::ModuleHandle fpgaModule() {
  voplat::ModuleHandle module = gModule.load(std::memory_order_acquire);
  if (module) return module;
  module = voplat::loadModule(kFpgaInterfaceModule, nullptr);
  if (!module) return nullptr;
  voplat::ModuleHandle expected = nullptr;
  if (!gModule.compare_exchange_strong(expected, module, std::memory_order_acq_rel)) {
    voplat::unloadModule(module);
    return expected;
  }
  return module;
}

// One export, resolved at its first successful call.
template <typename Fn>
class LazyExport {
 public:
  explicit constexpr LazyExport(const char* name) : name_(name) {}

  // Calls the export; when it cannot be bound, returns kFpgaInterfaceMissing,
  // or -52000 when memory ran out while binding (the next call tries again).
  template <typename... Args>
  int32_t call(Args... args) noexcept {
    void* address = address_.load(std::memory_order_acquire);
    if (!address) {
      try {
        voplat::ModuleHandle module = fpgaModule();
        if (module) address = voplat::findSymbol(module, name_, nullptr);
      } catch (const std::bad_alloc&) {
        return voerr::kMemoryFull;
      }
      if (!address) return kFpgaInterfaceMissing;
      address_.store(address, std::memory_order_release);
    }
    return reinterpret_cast<Fn>(address)(args...);
  }

 private:
  const char* name_;
  std::atomic<void*> address_{nullptr};
};

using OpenFn = int32_t (*)(const char*, const char*, const char*, uint32_t, uint32_t*);
using CloseFn = int32_t (*)(uint32_t, uint32_t);
using CallFn = int32_t (*)(uint32_t, uint32_t, uint32_t, const void*, uint64_t, void*, uint64_t);
using FindFn = int32_t (*)(uint32_t, const char*, uint32_t, uint32_t*);
using ReadBoolFn = int32_t (*)(uint32_t, uint32_t, uint8_t*);

LazyExport<OpenFn> gOpen{"VoFpgaDll_Open"};
LazyExport<CloseFn> gClose{"VoFpgaDll_Close"};
LazyExport<CallFn> gCall{"VoFpgaDll_ClientFunctionCall"};
LazyExport<FindFn> gFindRegister{"VoFpgaDll_FindRegisterPrivate"};
LazyExport<FindFn> gFindFifo{"VoFpgaDll_FindFifoPrivate"};
LazyExport<ReadBoolFn> gReadBool{"VoFpgaDll_ReadBool"};

}  // namespace

int32_t FpgaOpen(const char* imageName, const char* signature, const char* resourceName,
                 uint32_t attribute, uint32_t* session) noexcept {
  return gOpen.call(imageName, signature, resourceName, attribute, session);
}

int32_t FpgaClose(uint32_t session, uint32_t attribute) noexcept {
  return gClose.call(session, attribute);
}

int32_t FpgaClientFunctionCall(uint32_t session, uint32_t group, uint32_t function,
                               const void* input, uint64_t inputSize, void* output,
                               uint64_t outputSize) noexcept {
  return gCall.call(session, group, function, input, inputSize, output, outputSize);
}

int32_t FpgaFindRegister(uint32_t session, const char* name, uint32_t reserved,
                         uint32_t* handle) noexcept {
  return gFindRegister.call(session, name, reserved, handle);
}

int32_t FpgaFindFifo(uint32_t session, const char* name, uint32_t reserved,
                     uint32_t* fifo) noexcept {
  return gFindFifo.call(session, name, reserved, fifo);
}

int32_t FpgaReadBool(uint32_t session, uint32_t registerHandle, uint8_t* value) noexcept {
  return gReadBool.call(session, registerHandle, value);
}

}  // namespace voapi
