#include "api/gx_open.h"

#include <atomic>

#include "api/dynlib_loader.h"
#include "api/fpga_interface.h"
#include "api/session.h"

namespace voapi {
namespace {

using SetTlsIndexFn = void (*)(uint32_t);

std::atomic<uint32_t> gSavedTlsIndex{0};
std::atomic<OpenEntry> gGxOpen{nullptr};

void bindFpgaGx(voerr::FixedStatus& block) {
  voerr::Status status;
  voerr::toStatus(block, status);
  voplat::ModuleHandle module = vodynlib_load(kFpgaGxModule, status);
  auto setTlsIndex =
      reinterpret_cast<SetTlsIndexFn>(vodynlib_findSymbol(module, "SetGXRTTLSIndex", status));
  if (setTlsIndex) setTlsIndex(gSavedTlsIndex.load());
  gGxOpen.store(reinterpret_cast<OpenEntry>(vodynlib_findSymbol(module, "VoFpgaGx_Open", status)));
  voerr::fromStatus(status, block);
  // The module stays loaded for the life of the process.
}

OnceGuard gGuard{bindFpgaGx, nullptr};

struct ResetAtUnload {
  ~ResetAtUnload() { gGuard.reset(); }
} gResetAtUnload;

}  // namespace

void setSavedTlsIndex(uint32_t index) { gSavedTlsIndex.store(index); }
uint32_t savedTlsIndex() { return gSavedTlsIndex.load(); }

OnceGuard& gxOpenGuard() { return gGuard; }

int32_t gxOpenSession(const char* resourceName, const char* imageName, uint32_t attribute,
                      uint32_t* session) {
  voerr::FixedStatus block;
  gGuard.run(block);
  if (block.code < 0) return block.code;
  OpenEntry open = gGxOpen.load();
  if (!open) return kFpgaInterfaceMissing;
  return openSession(open, resourceName, imageName, attribute, session);
}

}  // namespace voapi
