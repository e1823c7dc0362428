// Library openers and the wrappers they install. The wrappers run on the
// interpreter's side of the longjmp boundary: their frames hold no object
// with a destructor (path resolution happens in a noexcept helper writing
// into an interpreter-owned scratch).
#include "xlatorlua/libraries.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform/files.h"
#include "xlatorlua/lua_support.h"
#include "xlatorlua/stdint_module.h"
#include "xlatorlua/utils_module.h"

namespace voxlatorlua {

namespace {

// ---- file names ----

void resolveHelper(InterpreterScratch& scratch, const char* name, size_t length) noexcept {
  try {
    scratch.text = voplat::resolvePath(std::string(name, length));
  } catch (...) {
    scratch.failed = true;  // keep the name as given
  }
}

// Replaces the string at `index` by its resolved form.
void resolveArgument(lua_State* L, int index) {
  size_t length = 0;
  const char* name = lua_tolstring(L, index, &length);
  if (length == 0 || std::memchr(name, '\0', length) != nullptr) return;
  InterpreterScratch* scratch = pushScratch(L);
  resolveHelper(*scratch, name, length);
  if (!scratch->failed && !scratch->text.empty()) {
    lua_pushlstring(L, scratch->text.data(), scratch->text.size());
    lua_replace(L, index);
  }
  scratch->release();
  lua_pop(L, 1);
}

// upvalue 1: the wrapped function; upvalue 2: bit mask of the argument
// positions (bit 0 = argument 1) that hold file names.
int fileNameWrapper(lua_State* L) {
  const int mask = static_cast<int>(lua_tointeger(L, lua_upvalueindex(2)));
  const int count = lua_gettop(L);
  for (int index = 1; index <= count && index <= 8; ++index) {
    if ((mask & (1 << (index - 1))) != 0 && lua_type(L, index) == LUA_TSTRING) {
      resolveArgument(L, index);
    }
  }
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  lua_call(L, count, LUA_MULTRET);
  return lua_gettop(L);
}

// Wraps field `name` of the table on top of the stack, when it is a function.
void wrapFileNameFunction(lua_State* L, const char* name, int mask) {
  lua_getfield(L, -1, name);
  if (!lua_isfunction(L, -1)) {
    lua_pop(L, 1);
    return;
  }
  lua_pushinteger(L, mask);
  lua_pushcclosure(L, fileNameWrapper, 2);
  lua_setfield(L, -2, name);
}

// The search of package.path, as the interpreter's own searcher does it, with
// each candidate resolved by the platform. upvalue 1: the package table.
int pathSearcher(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  lua_getfield(L, lua_upvalueindex(1), "path");
  const char* path = lua_tostring(L, -1);
  if (path == nullptr) luaL_error(L, LUA_QL("package.path") " must be a string");
  const char* moduleName = luaL_gsub(L, name, ".", LUA_DIRSEP);
  lua_pushliteral(L, "");  // the collected "no file" messages
  const int messages = lua_gettop(L);
  const char* rest = path;
  for (;;) {
    while (*rest == *LUA_PATHSEP) ++rest;
    if (*rest == '\0') break;
    const char* end = std::strchr(rest, *LUA_PATHSEP);
    if (end == nullptr) end = rest + std::strlen(rest);
    lua_pushlstring(L, rest, static_cast<size_t>(end - rest));
    rest = end;
    luaL_gsub(L, lua_tostring(L, -1), LUA_PATH_MARK, moduleName);
    lua_remove(L, -2);  // the template
    resolveArgument(L, lua_gettop(L));
    const char* fileName = lua_tostring(L, -1);
    if (std::FILE* file = std::fopen(fileName, "r")) {
      std::fclose(file);
      if (luaL_loadfile(L, fileName) != 0) {
        luaL_error(L, "error loading module " LUA_QS " from file " LUA_QS ":\n\t%s",
                   lua_tostring(L, 1), fileName, lua_tostring(L, -1));
      }
      return 1;
    }
    lua_pushfstring(L, "\n\tno file " LUA_QS, fileName);
    lua_remove(L, -2);  // the file name
    lua_concat(L, 2);   // onto the collected messages, which stay at `messages`
  }
  lua_pushvalue(L, messages);
  return 1;
}

// ---- openers ----

void callOpener(lua_State* L, lua_CFunction open, const char* name) {
  lua_pushcfunction(L, open);
  lua_pushstring(L, name);
  lua_call(L, 1, 0);
}

int openBase(lua_State* L) {
  callOpener(L, luaopen_base, "");
  lua_pushvalue(L, LUA_GLOBALSINDEX);
  wrapFileNameFunction(L, "loadfile", 0x1);
  wrapFileNameFunction(L, "dofile", 0x1);
  lua_pop(L, 1);
  return 0;
}

int openPackage(lua_State* L) {
  callOpener(L, luaopen_package, LUA_LOADLIBNAME);
  lua_getglobal(L, LUA_LOADLIBNAME);
  lua_getfield(L, -1, "loaders");
  if (lua_istable(L, -1)) {
    lua_pushvalue(L, -2);
    lua_pushcclosure(L, pathSearcher, 1);
    lua_rawseti(L, -2, 2);  // the searcher of package.path
  }
  lua_pop(L, 2);
  return 0;
}

// The io library's opener gives the standard files a finaliser environment
// that does not close them only once each is complete; an allocation failure
// in between would leave stdout or stderr with the closing finaliser, and
// closing the state would close the process's stream. When the opener fails,
// the finaliser of file handles is replaced by one that leaves the standard
// streams alone.
constexpr const char* kGuardedFileGc = "voxlatorlua.guardedFileGc";

int guardedFileGc(lua_State* L) {
  auto** file = static_cast<std::FILE**>(lua_touserdata(L, 1));
  if (file != nullptr && *file != nullptr && *file != stdin && *file != stdout && *file != stderr) {
    std::fclose(*file);
    *file = nullptr;
  }
  return 0;
}

int openIo(lua_State* L) {
  lua_pushcfunction(L, guardedFileGc);
  lua_setfield(L, LUA_REGISTRYINDEX, kGuardedFileGc);
  lua_pushcfunction(L, luaopen_io);
  lua_pushstring(L, LUA_IOLIBNAME);
  if (lua_pcall(L, 1, 0, 0) != 0) {
    // Nothing here allocates: the keys exist already.
    lua_getfield(L, LUA_REGISTRYINDEX, LUA_FILEHANDLE);
    if (lua_istable(L, -1)) {
      lua_getfield(L, LUA_REGISTRYINDEX, kGuardedFileGc);
      lua_setfield(L, -2, "__gc");
    }
    lua_pop(L, 1);
    return lua_error(L);
  }
  lua_getglobal(L, LUA_IOLIBNAME);
  wrapFileNameFunction(L, "open", 0x1);
  wrapFileNameFunction(L, "lines", 0x1);
  wrapFileNameFunction(L, "input", 0x1);
  wrapFileNameFunction(L, "output", 0x1);
  lua_pop(L, 1);
  return 0;
}

int openOs(lua_State* L) {
  callOpener(L, luaopen_os, LUA_OSLIBNAME);
  lua_getglobal(L, LUA_OSLIBNAME);
  wrapFileNameFunction(L, "remove", 0x1);
  wrapFileNameFunction(L, "rename", 0x3);
  lua_pop(L, 1);
  return 0;
}

int openLfs(lua_State* L) {
  luaopen_lfs(L);  // the module table
  lua_pushvalue(L, -1);
  lua_setglobal(L, "lfs");
  lua_getfield(L, LUA_REGISTRYINDEX, "_LOADED");
  lua_pushvalue(L, -2);
  lua_setfield(L, -2, "lfs");
  lua_pop(L, 1);
  for (const char* name :
       {"attributes", "symlinkattributes", "chdir", "dir", "mkdir", "rmdir", "touch", "lock_dir"}) {
    wrapFileNameFunction(L, name, 0x1);
  }
  wrapFileNameFunction(L, "link", 0x3);
  lua_pop(L, 1);
  return 0;
}

// cjson.encode escapes every '/' as "\/" and writes no bare one, so dropping
// the backslash in front of each '/' is exact.
int encodeWithPlainSlash(lua_State* L) {
  const int count = lua_gettop(L);
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  lua_call(L, count, 1);
  size_t length = 0;
  const char* text = lua_tolstring(L, -1, &length);
  if (text == nullptr || std::memchr(text, '/', length) == nullptr) return 1;
  luaL_Buffer buffer;
  luaL_buffinit(L, &buffer);
  size_t start = 0;
  for (size_t i = 1; i < length; ++i) {
    if (text[i] == '/' && text[i - 1] == '\\') {
      luaL_addlstring(&buffer, text + start, i - 1 - start);
      start = i;
    }
  }
  luaL_addlstring(&buffer, text + start, length - start);
  luaL_pushresult(&buffer);
  return 1;
}

// Wraps encode (and new, whose modules get the same treatment) of the cjson
// module table on top of the stack.
void wrapCjsonTable(lua_State* L);

int newWithPlainSlash(lua_State* L) {
  const int count = lua_gettop(L);
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  lua_call(L, count, 1);
  if (lua_istable(L, -1)) wrapCjsonTable(L);
  return 1;
}

void wrapCjsonTable(lua_State* L) {
  lua_getfield(L, -1, "encode");
  if (lua_isfunction(L, -1)) {
    lua_pushcclosure(L, encodeWithPlainSlash, 1);
    lua_setfield(L, -2, "encode");
  } else {
    lua_pop(L, 1);
  }
  lua_getfield(L, -1, "new");
  if (lua_isfunction(L, -1)) {
    lua_pushcclosure(L, newWithPlainSlash, 1);
    lua_setfield(L, -2, "new");
  } else {
    lua_pop(L, 1);
  }
}

const LibrarySpec kStandardLibraries[] = {
    {"", openBase},
    {LUA_LOADLIBNAME, openPackage},
    {LUA_TABLIBNAME, luaopen_table},
    {LUA_IOLIBNAME, openIo},
    {LUA_OSLIBNAME, openOs},
    {LUA_STRLIBNAME, luaopen_string},
    {LUA_MATHLIBNAME, luaopen_math},
    {LUA_DBLIBNAME, luaopen_debug},
    {"lfs", openLfs},
    {"stdint", openStdint},
    {"cjson", openCjson},
    {"voxlatorluautils", openUtils},
};

}  // namespace

int openCjson(lua_State* L) {
  luaopen_cjson(L);  // the module table
  wrapCjsonTable(L);
  lua_pushvalue(L, -1);
  lua_setglobal(L, "cjson");
  lua_getfield(L, LUA_REGISTRYINDEX, "_LOADED");
  lua_pushvalue(L, -2);
  lua_setfield(L, -2, "cjson");
  lua_pop(L, 1);
  return 1;
}

LibrarySet standardLibraries() noexcept {
  return {kStandardLibraries, sizeof kStandardLibraries / sizeof kStandardLibraries[0]};
}

}  // namespace voxlatorlua
