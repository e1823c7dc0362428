// Script modules compiled into the library.
//
// The build turns the script sources listed in src/xlatorlua/CMakeLists.txt
// into generated C++ data: precompiled chunks (file names ending ".luac")
// made with the luac of the interpreter the library links and stored as
// prepared chunks (prepared_chunk.h), or the source text (".lua"). The build
// loads every one of them in that interpreter before it writes the data, so
// none can fail to compile at run time. The script
// host installs them, in list order, as preloaded modules of every
// interpreter state: the module name is the file name without its last
// suffix.
#pragma once
#include <cstddef>

namespace voxlatorlua {

struct EmbeddedModule {
  const char* fileName;  // "mxlator.luac"; shorter than 256 characters
  const char* data;      // source text, or a precompiled or prepared chunk
  size_t size;           // bytes of data
};

// A list of modules, in installation order.
struct ModuleSet {
  const EmbeddedModule* modules = nullptr;
  size_t count = 0;
  // Set by the build for the sets it generated and checked: their data lives
  // as long as the program, and each chunk is known to load, so a state
  // loads a module only when it is first required. Other sets are compiled
  // in full when a state is created.
  bool checkedAtBuild = false;

  const EmbeddedModule* begin() const noexcept { return modules; }
  const EmbeddedModule* end() const noexcept { return modules + count; }
};

// The library's own modules (generated at build time).
ModuleSet embeddedModules() noexcept;

}  // namespace voxlatorlua
