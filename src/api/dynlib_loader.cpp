#include "api/dynlib_loader.h"

#include <new>

namespace {

constexpr const char* kLoadFailed = "failed to vodynlib_load library";

void raiseLoadFailure(voerr::Status& status, const char* detailKey, const char* name,
                      const voplat::SysError& error) {
  VOERR_RAISE(status, voerr::kInvalidParameter, voerr::kInvalidParameterName)
      .object("vodynlib_debug", {{"debug", kLoadFailed}, {detailKey, name}})
      .internalError("win32", error.code, voplat::errorMessage(error.code));
}

// The module's name and the system's texts are strings: running out of memory
// on the way is a failure of its own, reported without them.
void raiseOutOfMemory(voerr::Status& status, const char* detailKey, const char* name) noexcept {
  if (status.isError()) return;
  VOERR_RAISE(status, voerr::kMemoryFull, voerr::kMemoryFullName)
      .object("vodynlib_debug", {{"debug", kLoadFailed}, {detailKey, name}});
}

}  // namespace

voplat::ModuleHandle vodynlib_load(const char* utf8Name, voerr::Status& status) noexcept {
  if (status.isError()) return nullptr;
  const char* name = utf8Name ? utf8Name : "";
  voplat::ModuleHandle module = nullptr;
  try {
    voplat::SysError error;
    module = utf8Name ? voplat::loadModule(utf8Name, &error) : nullptr;
    if (!module) {
      if (!utf8Name) error.code = voplat::kErrInvalidParameter;
      raiseLoadFailure(status, "path", name, error);
    }
  } catch (const std::bad_alloc&) {
    raiseOutOfMemory(status, "path", name);
  }
  return module;
}

void* vodynlib_findSymbol(voplat::ModuleHandle module, const char* symbol,
                          voerr::Status& status) noexcept {
  if (status.isError()) return nullptr;
  const char* name = symbol ? symbol : "";
  try {
    voplat::SysError error;
    void* address = voplat::findSymbol(module, symbol, &error);
    if (!address) raiseLoadFailure(status, "vodynlib_symbol", name, error);
    return address;
  } catch (const std::bad_alloc&) {
    raiseOutOfMemory(status, "vodynlib_symbol", name);
    return nullptr;
  }
}
