// Module loading on Windows: LoadLibraryW with the standard search order
// (the program's folder first), GetProcAddress, and the loader's own errors.
#include "platform/dynlib.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace voplat {

namespace {

// The module that contains an address, without taking a reference.
HMODULE moduleAt(const void* address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCWSTR>(address), &module)) {
    return nullptr;
  }
  return module;
}

}  // namespace

// Module names are already this system's.
std::string nativeModuleName(const std::string& utf8Name) { return utf8Name; }

ModuleHandle loadModule(const std::string& utf8Name, SysError* err) {
  if (utf8Name.empty()) {
    reportSysError(err, kErrModNotFound);
    return nullptr;
  }
  HMODULE module = LoadLibraryW(win32::widen(utf8Name).c_str());
  if (module == nullptr) reportSysError(err, GetLastError());
  return module;
}

ModuleHandle findLoadedModule(const std::string& utf8Name) {
  if (utf8Name.empty()) return nullptr;
  return GetModuleHandleW(win32::widen(utf8Name).c_str());
}

void* findSymbol(ModuleHandle module, const char* symbol, SysError* err) {
  if (module == nullptr) {
    reportSysError(err, kErrInvalidHandle);
    return nullptr;
  }
  if (symbol == nullptr) {
    reportSysError(err, kErrInvalidParameter);
    return nullptr;
  }
  void* address = reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), symbol));
  if (address == nullptr) reportSysError(err, GetLastError());
  return address;
}

void* findMainProgramSymbol(const char* symbol) {
  if (symbol == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), symbol));
}

ModuleHandle mainProgramModule() { return GetModuleHandleW(nullptr); }

// A module's base address: unique among the modules loaded at one time and
// never 0.
uint64_t moduleStamp(ModuleHandle module) { return reinterpret_cast<uintptr_t>(module); }

bool isModuleStampLoaded(uint64_t stamp) {
  if (stamp == 0) return false;
  const void* base = reinterpret_cast<const void*>(static_cast<uintptr_t>(stamp));
  return moduleAt(base) == base;
}

void unloadModule(ModuleHandle module) {
  if (module != nullptr) FreeLibrary(static_cast<HMODULE>(module));
}

std::string moduleDirectoryOf(const void* address) {
  HMODULE module = address != nullptr ? moduleAt(address) : nullptr;
  if (module == nullptr) return {};
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return {};
  // "C:\" keeps its separator, as "/" does.
  path.resize(separator == 2 && path[1] == L':' ? 3 : separator);
  return win32::narrow(path);
}

}  // namespace voplat
