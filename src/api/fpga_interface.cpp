#include "api/fpga_interface.h"

#include <atomic>

#include "platform/dynlib.h"

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

  Fn get() {
    void* address = address_.load(std::memory_order_acquire);
    if (!address) {
      voplat::ModuleHandle module = fpgaModule();
      if (!module) return nullptr;
      address = voplat::findSymbol(module, name_, nullptr);
      if (!address) return nullptr;
      address_.store(address, std::memory_order_release);
    }
    return reinterpret_cast<Fn>(address);
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
                 uint32_t attribute, uint32_t* session) {
  OpenFn open = gOpen.get();
  return open ? open(imageName, signature, resourceName, attribute, session)
              : kFpgaInterfaceMissing;
}

int32_t FpgaClose(uint32_t session, uint32_t attribute) {
  CloseFn close = gClose.get();
  return close ? close(session, attribute) : kFpgaInterfaceMissing;
}

int32_t FpgaClientFunctionCall(uint32_t session, uint32_t group, uint32_t function,
                               const void* input, uint64_t inputSize, void* output,
                               uint64_t outputSize) {
  CallFn call = gCall.get();
  return call ? call(session, group, function, input, inputSize, output, outputSize)
              : kFpgaInterfaceMissing;
}

int32_t FpgaFindRegister(uint32_t session, const char* name, uint32_t reserved, uint32_t* handle) {
  FindFn find = gFindRegister.get();
  return find ? find(session, name, reserved, handle) : kFpgaInterfaceMissing;
}

int32_t FpgaFindFifo(uint32_t session, const char* name, uint32_t reserved, uint32_t* fifo) {
  FindFn find = gFindFifo.get();
  return find ? find(session, name, reserved, fifo) : kFpgaInterfaceMissing;
}

int32_t FpgaReadBool(uint32_t session, uint32_t registerHandle, uint8_t* value) {
  ReadBoolFn read = gReadBool.get();
  return read ? read(session, registerHandle, value) : kFpgaInterfaceMissing;
}

}  // namespace voapi
