// Prepared chunks: the build's converter and the loader together give the
// functions that the interpreter's own chunks give, with strings that are
// the interpreter's own; malformed chunks and failed allocations are
// reported, never followed.
#include "xlatorlua/prepared_chunk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "xlatorlua/lua_api.h"
#include "xlatorlua/tools/prepared_chunk_writer.h"

namespace {

int Collect(lua_State*, const void* data, size_t size, void* out) {
  static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
  return 0;
}

// The dump of the function on top of the stack, which is popped.
std::string DumpTop(lua_State* L) {
  std::string dump;
  lua_dump(L, Collect, &dump);
  lua_pop(L, 1);
  return dump;
}

class PreparedChunkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    L = luaL_newstate();
    luaL_openlibs(L);
  }
  void TearDown() override { lua_close(L); }

  // luac's form of `source` (chunk name `name`).
  std::string Chunk(const std::string& source, const char* name = "=test") {
    EXPECT_EQ(luaL_loadbuffer(L, source.data(), source.size(), name), 0) << lua_tostring(L, -1);
    return DumpTop(L);
  }

  std::string Prepare(const std::string& chunk) {
    std::string out;
    std::string error;
    const auto hash = [this](std::string_view text, uint32_t& h) {
      return voxlatorlua_stringHash(L, text.data(), text.size(), &h) == 0;
    };
    EXPECT_TRUE(voxlatorlua::prepareChunk(chunk, hash, out, error)) << error;
    return out;
  }

  // Loads `prepared`; on failure returns the message (the stack is left as
  // it was), on success leaves the function pushed and returns "".
  std::string Load(const std::string& prepared) {
    const int top = lua_gettop(L);
    const int status = voxlatorlua_loadPreparedChunk(L, prepared.data(), prepared.size(), "@t.lua");
    if (status == 0) {
      EXPECT_EQ(lua_gettop(L), top + 1);
      return "";
    }
    EXPECT_EQ(status, LUA_ERRSYNTAX);
    std::string message = lua_tostring(L, -1);
    lua_settop(L, top);
    return message;
  }

  lua_State* L = nullptr;
};

constexpr const char* kEveryKind = R"(
  local a, b = ...
  local s = "with\0nul" .. "" .. "a string longer than thirty-two characters, hashed in steps"
  local function outer(x, ...)
    local n = select('#', ...)
    return function(y)
      if y == nil then return false end
      if y == true then return s, n end
      return x + y + 0.5 + 1e300 - 2^53 + -0.0
    end
  end
  local t = { "with\0nul", k = "with\0nul", [3.25] = true, [false] = 1 }
  return t.k, #s, outer(a or 1, b, b)(b)
)";

TEST_F(PreparedChunkTest, LoadsToTheFunctionsOfTheChunk) {
  const std::string chunk = Chunk(kEveryKind);
  const std::string prepared = Prepare(chunk);
  ASSERT_EQ(Load(prepared), "");
  EXPECT_EQ(DumpTop(L), chunk);  // the same functions, constants and debug information

  ASSERT_EQ(Load(prepared), "");
  lua_pushnumber(L, 1);
  lua_pushboolean(L, true);
  ASSERT_EQ(lua_pcall(L, 2, 4, 0), 0) << lua_tostring(L, -1);
  const std::string s =
      std::string("with\0nul", 8) + "a string longer than thirty-two characters, hashed in steps";
  EXPECT_EQ(std::string(lua_tostring(L, -4), lua_objlen(L, -4)), std::string("with\0nul", 8));
  EXPECT_EQ(lua_tonumber(L, -3), static_cast<double>(s.size()));
  EXPECT_EQ(std::string(lua_tostring(L, -2), lua_objlen(L, -2)), s);
  EXPECT_EQ(lua_tonumber(L, -1), 2);  // n: the two varargs
}

TEST_F(PreparedChunkTest, AnUnnamedChunkIsNamedAsTheInterpreterNamesIt) {
  // A chunk whose main function carries no source name (luac -s writes none)
  // is named "=?", in its nested functions too.
  std::string chunk = Chunk("return function() error('x') end", "=n");
  // The source name is the first string after the 12-byte header: its size_t
  // length (3: "=n" and the NUL), then the bytes. Drop it.
  ASSERT_EQ(chunk[12], 3);
  chunk.erase(12 + sizeof(size_t), 3);
  std::memset(&chunk[12], 0, sizeof(size_t));
  ASSERT_EQ(luaL_loadbuffer(L, chunk.data(), chunk.size(), "c"), 0) << lua_tostring(L, -1);
  const std::string expected = DumpTop(L);
  ASSERT_EQ(Load(Prepare(chunk)), "");
  lua_call(L, 0, 1);
  EXPECT_NE(lua_pcall(L, 0, 0, 0), 0);
  EXPECT_STREQ(lua_tostring(L, -1), "?:1: x");
  lua_pop(L, 1);
  ASSERT_EQ(Load(Prepare(chunk)), "");
  EXPECT_EQ(DumpTop(L), expected);
}

TEST_F(PreparedChunkTest, StringsAreTheInterpretersOwn) {
  // Keys that the state already has, and thousands of new ones, so that the
  // string table grows while the chunk loads: each must be found by the
  // interpreter's own hashing.
  lua_pushstring(L, "before the load");
  lua_setglobal(L, "existing");
  std::string source = "return { existing = 1, print = print";
  for (int i = 0; i < 3000; ++i) source += ", key" + std::to_string(i) + " = " + std::to_string(i);
  source += " }";
  ASSERT_EQ(Load(Prepare(Chunk(source))), "");
  ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0) << lua_tostring(L, -1);
  lua_getfield(L, -1, "existing");
  EXPECT_EQ(lua_tonumber(L, -1), 1);
  lua_getfield(L, -2, "print");
  EXPECT_TRUE(lua_iscfunction(L, -1));
  lua_pop(L, 2);
  int found = 0;
  for (int i = 0; i < 3000; ++i) {
    lua_getfield(L, -1, ("key" + std::to_string(i)).c_str());
    found += lua_tonumber(L, -1) == i ? 1 : 0;
    lua_pop(L, 1);
  }
  EXPECT_EQ(found, 3000);
}

TEST_F(PreparedChunkTest, StringsCollectedButNotYetFreedAreTakenBack) {
  // With the collector running in small steps, strings equal to the chunk's
  // die again and again; a load that met one dead but not yet swept and kept
  // it as it was would use freed memory (AddressSanitizer) or lose keys.
  std::string source = "local t = {}";
  for (int i = 0; i < 200; ++i) source += " t.name" + std::to_string(i) + " = " + std::to_string(i);
  source += " return t";
  const std::string prepared = Prepare(Chunk(source));
  // Many live strings: the string table is swept a bucket at a time, over
  // many steps, which widens the window.
  ASSERT_EQ(luaL_dostring(L, "keep = {} for i = 1, 8000 do keep[i] = 'live' .. i end"), 0);
  lua_gc(L, LUA_GCSETPAUSE, 100);
  lua_gc(L, LUA_GCSETSTEPMUL, 200);
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    for (int i = 0; i < 200; i += 1 + static_cast<int>(random() % 5)) {
      lua_pushstring(L, ("name" + std::to_string(i)).c_str());
      lua_pop(L, 1);
    }
    lua_gc(L, LUA_GCSTEP, static_cast<int>(random() % 4));
    ASSERT_EQ(Load(prepared), "");
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0) << lua_tostring(L, -1);
    lua_gc(L, LUA_GCSTEP, static_cast<int>(random() % 8));
    const std::string key = "name" + std::to_string(round % 200);
    lua_getfield(L, -1, key.c_str());
    ASSERT_EQ(lua_tonumber(L, -1), round % 200) << "round " << round;
    lua_pop(L, 2);
  }
}

// Writes `value` little-endian at `at`.
void PutU32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

TEST_F(PreparedChunkTest, MalformedChunksAreRefusedWithTheReason) {
  // "return 'x'" named "=t": the pool holds "=t" and "x"; the main function's
  // source reference follows it.
  const std::string good = Prepare(Chunk("return 'x'", "=t"));
  constexpr size_t kFirstHash = 4 + 12 + 4;
  constexpr size_t kSource = kFirstHash + (8 + 2) + (8 + 1);
  ASSERT_EQ(good.compare(kFirstHash + 8, 2, "=t"), 0);

  for (size_t size = 0; size < good.size(); ++size) {
    EXPECT_NE(Load(good.substr(0, size)).find("in precompiled chunk"), std::string::npos) << size;
  }
  std::string bad = good;
  bad[1] = 'X';
  EXPECT_EQ(Load(bad), "t.lua: bad signature in precompiled chunk");
  bad = good;
  bad[4 + 10] = 4;  // sizeof(lua_Number)
  EXPECT_EQ(Load(bad), "t.lua: bad header in precompiled chunk");
  bad = good;
  bad[kFirstHash] ^= 1;
  EXPECT_EQ(Load(bad), "t.lua: string hash of another interpreter in precompiled chunk");
  bad = good;
  PutU32(bad, kSource, 3);
  EXPECT_EQ(Load(bad), "t.lua: bad string reference in precompiled chunk");
  bad = good;
  PutU32(bad, kSource + 4, 0x80000000u);  // first line
  EXPECT_EQ(Load(bad), "t.lua: bad integer in precompiled chunk");
  bad = good;
  PutU32(bad, 4 + 12, 0x10000000u);  // strings that the chunk cannot hold
  EXPECT_EQ(Load(bad), "t.lua: unexpected end in precompiled chunk");
  EXPECT_EQ(Load(good + '\0'), "t.lua: trailing bytes in precompiled chunk");
  EXPECT_EQ(Load(good), "");
}

// Fails every allocation after the first `budget` ones.
struct Budget {
  int left = 0;
};

void* LimitedAllocate(void* context, void* block, size_t, size_t size) {
  auto* budget = static_cast<Budget*>(context);
  if (size == 0) {
    std::free(block);
    return nullptr;
  }
  if (budget->left-- <= 0) return nullptr;
  return std::realloc(block, size);
}

TEST_F(PreparedChunkTest, RunningOutOfMemoryAtAnyAllocationIsReported) {
  const std::string prepared = Prepare(Chunk(kEveryKind));
  bool loaded = false;
  for (int allowed = 0; !loaded && allowed < 2000; ++allowed) {
    Budget budget{1 << 20};
    lua_State* state = lua_newstate(LimitedAllocate, &budget);
    ASSERT_NE(state, nullptr);
    budget.left = allowed;
    const int status = voxlatorlua_loadPreparedChunk(state, prepared.data(), prepared.size(), "=m");
    budget.left = 1 << 20;
    if (status == 0) {
      loaded = true;
      EXPECT_EQ(DumpTop(state), Chunk(kEveryKind));
    } else {
      EXPECT_EQ(status, LUA_ERRMEM) << allowed << ": " << lua_tostring(state, -1);
    }
    lua_close(state);  // the sanitizer's leak check covers what the failed load made
  }
  EXPECT_TRUE(loaded);
}

TEST(PreparedChunkWriterTest, RefusesWhatIsNotAWholeChunk) {
  lua_State* L = luaL_newstate();
  ASSERT_EQ(luaL_loadstring(L, kEveryKind), 0);
  const std::string chunk = DumpTop(L);
  const auto hash = [L](std::string_view text, uint32_t& h) {
    return voxlatorlua_stringHash(L, text.data(), text.size(), &h) == 0;
  };
  std::string out;
  std::string error;
  for (size_t size = 0; size < chunk.size(); ++size) {
    EXPECT_FALSE(voxlatorlua::prepareChunk(chunk.substr(0, size), hash, out, error)) << size;
  }
  EXPECT_FALSE(voxlatorlua::prepareChunk(chunk + "x", hash, out, error));
  EXPECT_EQ(error, "trailing bytes");
  EXPECT_FALSE(voxlatorlua::prepareChunk("return 'source text'", hash, out, error));
  EXPECT_EQ(error, "not a luac chunk");
  std::string foreign = chunk;
  foreign[10] = 4;  // float numbers
  EXPECT_FALSE(voxlatorlua::prepareChunk(foreign, hash, out, error));
  EXPECT_EQ(error, "sizes or byte order that prepared chunks do not hold");
  EXPECT_TRUE(voxlatorlua::prepareChunk(chunk, hash, out, error)) << error;
  lua_close(L);
}

}  // namespace
