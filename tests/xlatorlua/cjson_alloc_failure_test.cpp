// cjson with each allocation of opening, decoding and encoding failed in
// turn: running out of memory is a Lua error of the calling state with the
// interpreter's message, never the end of the process, and the buffers of
// the failed call are freed (the sanitizer build's leak check sees to that).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "alloc_fail.h"
#include "xlatorlua/libraries.h"
#include "xlatorlua/lua_api.h"

namespace {

using vo::test::AllocFailer;

constexpr const char* kMemoryMessage = "not enough memory";

// What a protected call gave; plain data, since it is taken while
// allocations fail.
struct Outcome {
  int status = 0;
  char message[64] = {};
};

// Runs a protected call of the function below the top with the value on top
// as its argument, leaving no result.
Outcome protectedCall(lua_State* L) {
  Outcome outcome;
  outcome.status = lua_pcall(L, 1, 1, 0);
  if (outcome.status != 0 && lua_isstring(L, -1))
    std::strncpy(outcome.message, lua_tostring(L, -1), sizeof outcome.message - 1);
  lua_pop(L, 1);
  return outcome;
}

// Runs `call` with its first, second, ... allocation failed until a run
// fails none; `prepare` and `finish` run around it with nothing failing.
// Every failed run must end in a memory error or succeed anyway (a failure
// the callee could do without). Returns the number of sites.
template <typename Prepare, typename Call, typename Finish>
uint64_t walkAllocationSites(Prepare prepare, Call call, Finish finish) {
  AllocFailer failer;
  for (uint64_t n = 0;; ++n) {
    prepare();
    failer.failAfter(n);
    const Outcome outcome = call();
    failer.disarm();
    finish();
    if (failer.failures() == 0) {
      EXPECT_EQ(outcome.status, 0) << outcome.message;
      return n;
    }
    if (outcome.status != 0) {
      EXPECT_TRUE(outcome.status == LUA_ERRMEM || outcome.status == LUA_ERRRUN) << n;
      EXPECT_STREQ(outcome.message, kMemoryMessage) << "allocation " << n;
    }
  }
}

// Pushes cjson.<name> and its argument.
void pushCall(lua_State* L, const char* name, const std::string& argument) {
  lua_getglobal(L, "cjson");
  lua_getfield(L, -1, name);
  lua_remove(L, -2);
  lua_pushlstring(L, argument.data(), argument.size());
}

lua_State* stateWithCjson() {
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  EXPECT_EQ(0, lua_cpcall(L, voxlatorlua::openCjson, nullptr));
  return L;
}

// A document whose strings need the decoder's buffer and whose tables
// nest, some hundred allocations in all.
std::string document() {
  std::string text = "{\"items\":[";
  for (int i = 0; i < 40; ++i) {
    if (i) text += ",";
    text += "{\"name\":\"item\\u00e9 number " + std::to_string(i) +
            "\",\"value\":" + std::to_string(i * 1.5) + ",\"path\":\"a\\/b\"}";
  }
  return text + "],\"empty\":{}}";
}

TEST(CjsonAllocationFailure, OpeningTheModuleRaisesMemoryErrors) {
  lua_State* L = nullptr;
  const uint64_t sites = walkAllocationSites(
      [&] {
        L = luaL_newstate();
        luaL_openlibs(L);
      },
      [&] {
        Outcome outcome;
        outcome.status = lua_cpcall(L, voxlatorlua::openCjson, nullptr);
        if (outcome.status != 0)
          std::strncpy(outcome.message, lua_tostring(L, -1), sizeof outcome.message - 1);
        return outcome;
      },
      [&] { lua_close(L); });
  EXPECT_GT(sites, 10u);
}

TEST(CjsonAllocationFailure, DecodeRaisesMemoryErrorsAndFreesItsBuffer) {
  lua_State* L = stateWithCjson();
  const std::string text = document();
  const uint64_t sites =
      walkAllocationSites([&] { pushCall(L, "decode", text); }, [&] { return protectedCall(L); },
                          [&] { lua_gc(L, LUA_GCCOLLECT, 0); });
  EXPECT_GT(sites, 100u);
  pushCall(L, "decode", "[\"still decodes\"]");
  EXPECT_EQ(protectedCall(L).status, 0);
  lua_close(L);
}

// The kept encode buffer (the default) and the private one of each call.
TEST(CjsonAllocationFailure, EncodeRaisesMemoryErrorsWithEitherBuffer) {
  for (const char* keep : {"true", "false"}) {
    SCOPED_TRACE(keep);
    lua_State* L = stateWithCjson();
    const std::string setup = std::string("cjson.encode_keep_buffer(") + keep +
                              ") value = cjson.decode([[" + document() + "]])";
    ASSERT_EQ(0, luaL_dostring(L, setup.c_str())) << lua_tostring(L, -1);
    const uint64_t sites = walkAllocationSites(
        [&] {
          lua_getglobal(L, "cjson");
          lua_getfield(L, -1, "encode");
          lua_remove(L, -2);
          lua_getglobal(L, "value");
        },
        [&] { return protectedCall(L); }, [&] { lua_gc(L, LUA_GCCOLLECT, 0); });
    EXPECT_GT(sites, 2u);
    // The text outgrew the buffer's first block: the walk went through growing.
    ASSERT_EQ(0, luaL_dostring(L, "assert(#cjson.encode(value) > 2000)"));
    lua_close(L);
  }
}

}  // namespace
