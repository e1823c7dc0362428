// The Lua 5.1 C API as this layer uses it.
//
// The interpreter is Debian's static liblua5.1.a, compiled as C: lua_error,
// luaL_error, the argument checks and every allocation failure leave a
// native function by longjmp. Two rules follow for every function that the
// interpreter calls (lua_CFunction) and for every frame between such a
// function and a call that can raise:
//   - no C++ object with a non-trivial destructor may be alive when the
//     interpreter can raise (the longjmp would skip its destructor); C++ work
//     happens in separate noexcept helpers whose objects have died before the
//     next raising call, or in an InterpreterScratch (lua_support.h) that the
//     interpreter itself owns;
//   - no C++ exception may leave such a function: the helpers catch
//     everything.
#pragma once

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

// The interpreter's own string-table resize (lstring.h), reachable because
// the interpreter is linked statically; it raises like any allocation.
void luaS_resize(lua_State* L, int newsize);

// lua-cjson 2.1.0 and LuaFileSystem; their headers carry no C linkage.
int luaopen_cjson(lua_State* L);
int luaopen_lfs(lua_State* L);
}
