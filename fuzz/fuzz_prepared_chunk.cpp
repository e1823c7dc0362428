// libFuzzer target for the loader of prepared chunks. Any input must load or
// be refused with a syntax or memory error, leaving exactly one value pushed
// and nothing leaked. An input that loads must round-trip: its functions,
// dumped, prepared again and loaded again, dump to the same bytes. The
// functions themselves are never run: prepared chunks come from the build,
// and the loader does not verify their instructions.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "xlatorlua/lua_api.h"
#include "xlatorlua/prepared_chunk.h"
#include "xlatorlua/tools/prepared_chunk_writer.h"

namespace {

using vofuzz::check;

int collect(lua_State*, const void* data, size_t size, void* out) {
  static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
  return 0;
}

std::string dumpTop(lua_State* L) {
  std::string dump;
  lua_dump(L, collect, &dump);
  lua_pop(L, 1);
  return dump;
}

// Loads `chunk`; true with the function pushed, false with nothing pushed.
bool load(lua_State* L, std::string_view chunk) {
  const int top = lua_gettop(L);
  const int status = voxlatorlua_loadPreparedChunk(L, chunk.data(), chunk.size(), "=fuzz");
  check(lua_gettop(L) == top + 1, "the loader pushes exactly one value");
  if (status == 0) {
    check(lua_isfunction(L, -1), "a loaded chunk is a function");
    return true;
  }
  check(status == LUA_ERRSYNTAX || status == LUA_ERRMEM, "refused with a syntax or memory error");
  check(lua_isstring(L, -1), "a refusal carries a message");
  lua_pop(L, 1);
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lua_State* L = luaL_newstate();
  check(L != nullptr, "no interpreter state");
  if (load(L, std::string_view(reinterpret_cast<const char*>(data), size))) {
    const std::string first = dumpTop(L);
    std::string prepared;
    std::string error;
    const auto hash = [L](std::string_view text, uint32_t& h) {
      return voxlatorlua_stringHash(L, text.data(), text.size(), &h) == 0;
    };
    check(voxlatorlua::prepareChunk(first, hash, prepared, error), "the dump can be prepared",
          error);
    check(load(L, prepared), "the prepared dump loads");
    check(dumpTop(L) == first, "the prepared dump loads to the same functions");
  }
  lua_close(L);
  return 0;
}
