// The libraries opened in every interpreter state of the script host, in
// their order, with the name under which each is opened:
//   ""                 base (with coroutine)
//   "package", "table", "io", "os", "string", "math", "debug"
//   "lfs"              LuaFileSystem
//   "stdint"           64-bit integers (stdint_module.h)
//   "cjson"            lua-cjson, also the global table cjson; its encoder
//                      writes '/' unescaped
//   "voxlatorluautils" the system's services (utils_module.h)
//
// File names. Every function that takes a file name (io.open, io.lines,
// io.input, io.output, os.remove, os.rename, loadfile, dofile, the search of
// package.path, and the path functions of lfs) reads it as UTF-8 and goes
// through the platform's path resolution first, as the error-file reader
// does: '\' separates components like '/', and a path that does not exist as
// written is matched component by component without regard to letter case.
// Names the system returns are UTF-8 already.
#pragma once
#include <cstddef>

// The interpreter's state; this header needs no interpreter header.
struct lua_State;

namespace voxlatorlua {

// A library's opening function (a lua_CFunction).
using LibraryOpener = int (*)(lua_State* L);

struct LibrarySpec {
  const char* name;
  LibraryOpener open;  // called with the name as its only argument
};

struct LibrarySet {
  const LibrarySpec* libraries = nullptr;
  size_t count = 0;

  const LibrarySpec* begin() const noexcept { return libraries; }
  const LibrarySpec* end() const noexcept { return libraries + count; }
};

// The list above.
LibrarySet standardLibraries() noexcept;

// The encoder wrapper on its own: cjson.encode of the opened module with
// every "\/" of its output written as "/".
int openCjson(lua_State* L);

}  // namespace voxlatorlua
