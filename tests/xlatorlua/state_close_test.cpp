// Closing a script state: a state of its own arena is finished (finalisers
// only) and its arena released whole, a state of another allocator goes
// through lua_close; the finalisers must run alike, and the arena must give
// back every block (the sanitizer build's leak check sees to the latter, and
// to the C library's objects the finalisers close: FILE, DIR, cjson buffers).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "support/temp_dir.h"
#include "xlatorlua/state_arena.h"
#include "xlatorlua_test_support.h"

namespace {

using voxlatorlua::StateArena;
using xlatorluatest::Eval;
using xlatorluatest::TestConfig;

// The C library's allocator, for states closed by lua_close.
void* LibraryAllocate(void*, void* block, size_t, size_t newSize) {
  if (newSize == 0) {
    std::free(block);
    return nullptr;
  }
  return std::realloc(block, newSize);
}

// record(text): appends text to the log behind its upvalue.
int Record(lua_State* L) {
  auto* log = static_cast<std::string*>(lua_touserdata(L, lua_upvalueindex(1)));
  if (const char* text = lua_tostring(L, 1)) log->append(text);
  return 0;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Parameter: whether the state has an arena of its own.
class StateCloseTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    voxlatorlua::HostConfig config = TestConfig();
    if (!GetParam()) config.allocator = LibraryAllocate;
    voerr::Status status;
    voxlatorlua::createScriptTranslator(object_, "n", xlatorluatest::kTestRegistration, status,
                                        config);
    ASSERT_NE(object_.state, nullptr) << status.contextText();
    void* context = nullptr;
    ASSERT_EQ(lua_getallocf(object_.state, &context) == StateArena::allocate, GetParam());
    lua_pushlightuserdata(object_.state, &log_);
    lua_pushcclosure(object_.state, Record, 1);
    lua_setglobal(object_.state, "record");
  }
  void TearDown() override {
    if (object_.state != nullptr) voxlatorlua::closeScriptState(object_.state);
  }
  void Close() {
    voxlatorlua::closeScriptState(object_.state);
    object_.state = nullptr;
  }
  lua_State* L() { return object_.state; }

  voxlatorlua::ScriptTranslator object_;
  std::string log_;
};

// Every userdata with __gc is finalised, reachable or not, newest first, as
// lua_close does it.
TEST_P(StateCloseTest, FinalisersRunOnClose) {
  Eval(L(),
       "kept = {}"
       "for i = 1, 4 do"
       "  local proxy = newproxy(true)"
       "  getmetatable(proxy).__gc = function() record(i .. ',') end"
       "  if i % 2 == 0 then kept[i] = proxy end "
       "end return true");
  EXPECT_EQ(log_, "");
  Close();
  EXPECT_EQ(log_, "4,3,2,1,");
}

// An error in one finaliser ends that one; the others still run.
TEST_P(StateCloseTest, AFailingFinaliserDoesNotStopTheOthers) {
  Eval(L(),
       "kept = {}"
       "for i = 1, 5 do"
       "  local proxy = newproxy(true)"
       "  getmetatable(proxy).__gc = function()"
       "    record(i .. ',')"
       "    if i % 2 == 1 then error('finaliser ' .. i) end"
       "    record('ok,')"
       "  end"
       "  kept[i] = proxy "
       "end return true");
  Close();
  EXPECT_EQ(log_, "5,4,ok,3,2,ok,1,");
}

// Files written without being closed are flushed and closed by their
// finalisers; directory iterators and cjson instances are released by theirs.
TEST_P(StateCloseTest, LibraryObjectsAreClosedByTheirFinalisers) {
  votest::TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string kept = dir.path() + "/kept.txt";
  const std::string dropped = dir.path() + "/dropped.txt";
  lua_pushstring(L(), dir.path().c_str());
  lua_setglobal(L(), "dir");
  Eval(L(),
       "keptFile = io.open(dir .. '/kept.txt', 'w')"
       "keptFile:write('written ', 'before ') keptFile:write('the close')"
       "io.open(dir .. '/dropped.txt', 'w'):write('no longer referenced')"
       "local iterate, directory = lfs.dir(dir) iterate(directory)"
       "keptDirectory = directory "
       "keptJson = cjson.new() return keptJson.encode({1, 2, 3})");
  EXPECT_EQ(ReadFile(kept), "");  // still in the stream's buffer
  Close();
  EXPECT_EQ(ReadFile(kept), "written before the close");
  EXPECT_EQ(ReadFile(dropped), "no longer referenced");
}

INSTANTIATE_TEST_SUITE_P(ByAllocator, StateCloseTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "ArenaReleasedWhole" : "LuaClose";
                         });

// A state of its own arena holds many large blocks (strings, grown and
// shrunk tables); the arena lists them while they live, forgets those the
// collector frees, and the close returns the rest.
TEST(StateCloseArenaTest, LargeBlocksAreListedAndReleasedWithTheState) {
  voerr::Status status;
  voxlatorlua::ScriptTranslator object;
  voxlatorlua::createScriptTranslator(object, "n", xlatorluatest::kTestRegistration, status,
                                      TestConfig());
  ASSERT_NE(object.state, nullptr) << status.contextText();
  lua_State* L = object.state;
  void* context = nullptr;
  ASSERT_EQ(lua_getallocf(L, &context), StateArena::allocate);
  const auto* arena = static_cast<const StateArena*>(context);
  const size_t atStart = arena->largeBlocks();

  Eval(L,
       "strings = {}"
       "for i = 1, 300 do strings[i] = string.rep('x', 600 + i) end "
       "tables = {}"
       "for i = 1, 50 do"
       "  local t, keep = {}, i % 2 == 0 and 20 or 40"
       "  for j = 1, 40 * i do t[j] = j end"  // arrays grown past the small blocks
       "  for j = keep + 1, 40 * i do t[j] = nil end"
       "  t.rehash = true"  // shrinks the array to 64 or (a small block) 32 slots
       "  tables[i] = t "
       "end return true");
  const size_t withStrings = arena->largeBlocks();
  EXPECT_GE(withStrings, atStart + 300);
  Eval(L, "strings = nil collectgarbage() return true");
  EXPECT_LE(arena->largeBlocks(), withStrings - 300);
  EXPECT_GT(arena->largeBlocks(), atStart);
  Eval(L, "again = {} for i = 1, 100 do again[i] = string.rep('y', 1000 + i) end return true");
  EXPECT_GE(arena->largeBlocks(), atStart + 100);
  voxlatorlua::closeScriptState(L);
}

}  // namespace
