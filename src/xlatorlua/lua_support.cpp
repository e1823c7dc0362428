#include "xlatorlua/lua_support.h"

#include <cmath>
#include <cstdio>
#include <new>

namespace voxlatorlua {

namespace {

constexpr const char* kScratchMetatable = "voxlatorlua.scratch";

static_assert(alignof(InterpreterScratch) <= alignof(double),
              "userdata memory is aligned for double, pointer and long only");

int collectScratch(lua_State* L) {
  void* memory = lua_touserdata(L, 1);
  if (memory != nullptr) static_cast<InterpreterScratch*>(memory)->~InterpreterScratch();
  return 0;
}

}  // namespace

InterpreterScratch* pushScratch(lua_State* L) {
  // Everything that can raise comes before the construction.
  luaL_newmetatable(L, kScratchMetatable);
  lua_getfield(L, -1, "__gc");
  const bool hasFinaliser = lua_iscfunction(L, -1) != 0;
  lua_pop(L, 1);
  if (!hasFinaliser) {
    lua_pushcfunction(L, collectScratch);
    lua_setfield(L, -2, "__gc");
  }
  void* memory = lua_newuserdata(L, sizeof(InterpreterScratch));
  auto* scratch = new (memory) InterpreterScratch();
  lua_insert(L, -2);
  lua_setmetatable(L, -2);  // pops the metatable; cannot raise
  return scratch;
}

int finishNativeCall(lua_State* L, InterpreterScratch* scratch, bool nilWhenEmpty) {
  if (scratch->status.isError()) {
    lua_pushstring(L, scratch->status.contextText());
    scratch->release();
    return lua_error(L);
  }
  if (scratch->failed || (nilWhenEmpty && scratch->text.empty())) {
    lua_pushnil(L);
  } else {
    lua_pushlstring(L, scratch->text.data(), scratch->text.size());
  }
  scratch->release();
  return 1;
}

uint32_t checkLanguageArgument(lua_State* L, int index) {
  const lua_Number value = luaL_checknumber(L, index);
  if (!(value >= 0.0 && value < 4294967296.0)) return 0xffffffffu;
  return static_cast<uint32_t>(value);
}

int32_t lowWordOfNumber(double value) noexcept {
  if (!std::isfinite(value)) return 0;
  // fmod is exact, so this is the integer part modulo 2^32 for any magnitude.
  double low = std::fmod(std::trunc(value), 4294967296.0);
  if (low < 0) low += 4294967296.0;
  return static_cast<int32_t>(static_cast<uint32_t>(low));
}

int32_t checkCodeArgument(lua_State* L, int index) {
  return lowWordOfNumber(luaL_checknumber(L, index));
}

bool errorObjectText(lua_State* L, int index, std::string& out) noexcept {
  try {
    switch (lua_type(L, index)) {
      case LUA_TSTRING: {
        size_t length = 0;
        const char* text = lua_tolstring(L, index, &length);  // no conversion: cannot raise
        out.assign(text, length);
        return true;
      }
      case LUA_TNUMBER: {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, LUA_NUMBER_FMT, lua_tonumber(L, index));
        out = buffer;
        return true;
      }
      default:
        return false;
    }
  } catch (...) {
    return false;
  }
}

void appendLuaInternalError(voerr::Appender& at, int code, const std::string* message) noexcept {
  if (message != nullptr) {
    at.object("internal_error",
              {{"api", "lua"}, {"code", static_cast<int32_t>(code)}, {"string", *message}});
  } else {
    at.object("internal_error", {{"api", "lua"}, {"code", static_cast<int32_t>(code)}});
  }
}

}  // namespace voxlatorlua
