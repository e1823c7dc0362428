#include "api/dynlib_loader.h"

namespace {

constexpr const char* kLoadFailed = "failed to vodynlib_load library";

void raiseLoadFailure(voerr::Status& status, const char* detailKey, const char* name,
                      const voplat::SysError& error) {
  VOERR_RAISE(status, voerr::kInvalidParameter, voerr::kInvalidParameterName)
      .object("vodynlib_debug", {{"debug", kLoadFailed}, {detailKey, name}})
      .internalError("win32", error.code, voplat::errorMessage(error.code));
}

}  // namespace

voplat::ModuleHandle vodynlib_load(const char* utf8Name, voerr::Status& status) {
  if (status.isError()) return nullptr;
  voplat::SysError error;
  voplat::ModuleHandle module = utf8Name ? voplat::loadModule(utf8Name, &error) : nullptr;
  if (!module) {
    if (!utf8Name) error.code = voplat::kErrInvalidParameter;
    raiseLoadFailure(status, "path", utf8Name ? utf8Name : "", error);
  }
  return module;
}

void* vodynlib_findSymbol(voplat::ModuleHandle module, const char* symbol, voerr::Status& status) {
  if (status.isError()) return nullptr;
  voplat::SysError error;
  void* address = voplat::findSymbol(module, symbol, &error);
  if (!address) raiseLoadFailure(status, "vodynlib_symbol", symbol ? symbol : "", error);
  return address;
}
