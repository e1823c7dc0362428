// Loading modules (shared libraries) by their original-platform names.
#pragma once
#include <cstdint>
#include <string>

#include "platform/syserror.h"

namespace voplat {

using ModuleHandle = void*;

// The name under which a module is looked up on this system: a bare
// "Name.dll" becomes "libName.so"; a path whose last component is "Name.dll"
// becomes the same directory with "libName.so". The ".dll" suffix is matched
// without regard to case, and '\' counts as a separator like '/' (directory
// separators become '/'). Anything else is returned unchanged.
std::string nativeModuleName(const std::string& utf8Name);

// Loads a module with the system's standard search order (immediate binding,
// symbols kept local to the module). A name with a directory part is matched
// against the file system like resolvePath (files.h) does; a bare name is
// searched by the dynamic linker, which compares names with case. On failure
// returns null and sets *err (when given) to kErrModNotFound with the dynamic
// linker's description of the failure as message.
ModuleHandle loadModule(const std::string& utf8Name, SysError* err);

// Returns a loaded module without loading it, or null when it is not loaded.
// Takes no reference: the handle stays valid as long as the module stays
// loaded by whoever loaded it.
ModuleHandle findLoadedModule(const std::string& utf8Name);

// Looks up an exported symbol; null with *err filled when absent:
// kErrProcNotFound with the dynamic linker's description as message, or
// kErrInvalidHandle for a null module, kErrInvalidParameter for a null name.
void* findSymbol(ModuleHandle module, const char* symbol, SysError* err);

// Looks a symbol up in the main program's exports; null when absent. Only the
// program's own definitions count, not those of the libraries it uses.
void* findMainProgramSymbol(const char* symbol);

// The main program as a module; never null on a system with a dynamic linker.
ModuleHandle mainProgramModule();

// A value that identifies one loaded instance of a module: never 0, equal for
// every handle of the same instance, and different for two instances loaded
// at the same time. 0 for a null handle.
uint64_t moduleStamp(ModuleHandle module);

// Whether an instance with this stamp is loaded in the process now; a module
// that was unloaded no longer is. Safe to ask about stale modules.
bool isModuleStampLoaded(uint64_t stamp);

// Releases one reference taken by loadModule.
void unloadModule(ModuleHandle module);

// The absolute directory (UTF-8, no trailing separator; "/" for the root) of
// the module containing `address`; empty when no module contains it.
std::string moduleDirectoryOf(const void* address);

}  // namespace voplat
