// The libraries of every interpreter state: cjson with the plain slash, and
// file names resolved by the platform in the file functions.
#include <gtest/gtest.h>

#include <string>

#include "sysq/sysq_test_support.h"
#include "xlatorlua_test_support.h"

namespace {

using xlatorluatest::ErrorOf;
using xlatorluatest::Eval;
using xlatorluatest::LuaState;

TEST(LibrariesTest, StandardListInOrder) {
  std::string names;
  for (const voxlatorlua::LibrarySpec& library : voxlatorlua::standardLibraries()) {
    names += std::string(library.name) + ",";
  }
  EXPECT_EQ(names, ",package,table,io,os,string,math,debug,lfs,stdint,cjson,voxlatorluautils,");
}

TEST(LibrariesTest, CjsonIsAGlobalAndALoadedModule) {
  LuaState state;
  EXPECT_EQ(Eval(state.get(), "return require('cjson') == cjson"), "true");
  EXPECT_EQ(Eval(state.get(), "return cjson.decode('{\"a\":[1,2]}').a[2]"), "2");
}

TEST(LibrariesTest, CjsonEncodesTheSlashUnescaped) {
  LuaState state;
  lua_State* L = state.get();
  EXPECT_EQ(Eval(L, "return cjson.encode('a/b')"), "\"a/b\"");
  EXPECT_EQ(Eval(L, "return cjson.encode({['k/ey'] = 'v'})"), "{\"k/ey\":\"v\"}");
  // Backslashes next to slashes stay exact.
  EXPECT_EQ(Eval(L, "return cjson.encode('\\\\/')"), "\"\\\\/\"");
  EXPECT_EQ(Eval(L, "return cjson.encode('/\\\\//\\\\\\\\')"), "\"/\\\\//\\\\\\\\\"");
  // Everything else as the encoder writes it.
  EXPECT_EQ(Eval(L, "return cjson.encode('q\"\\t\\1\\127\\195\\169')"),
            "\"q\\\"\\t\\u0001\\u007f\xc3\xa9\"");
  // Round trip over strings made of the characters that matter here.
  EXPECT_EQ(Eval(L,
                 "math.randomseed(7) local alphabet = {'/', '\\\\', '\"', 'a', '\\n', 'u'}"
                 " for i = 1, 2000 do"
                 "  local t = {} for j = 1, math.random(0, 12) do"
                 "   t[j] = alphabet[math.random(#alphabet)] end"
                 "  local s = table.concat(t)"
                 "  local e = cjson.encode({[s] = s})"
                 "  assert(not e:find('\\\\/', 1, true) or s:find('\\\\/', 1, true), e)"
                 "  local d = cjson.decode(e)"
                 "  assert(d[s] == s, s)"
                 " end return 'ok'"),
            "ok");
  // Encoders made with cjson.new behave the same.
  EXPECT_EQ(Eval(L, "return cjson.new().encode('x/y')"), "\"x/y\"");
}

// The interpreter's archives reach the standard streams through the
// library's own copies of the stream pointers (see lua_stdio.cpp).
TEST(LibrariesTest, StandardStreamsAreTheProcesss) {
  LuaState state;
  testing::internal::CaptureStdout();
  Eval(state.get(),
       "io.write('to stdout ', 42) io.stdout:write('!') io.stdout:flush() return true");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "to stdout 42!");
  testing::internal::CaptureStderr();
  Eval(state.get(), "io.stderr:write('to stderr') return true");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr");
  EXPECT_EQ(Eval(state.get(), "return io.type(io.stdin) .. io.type(io.output())"), "filefile");
}

TEST(LibrariesTest, NoOtherLibraries) {
  LuaState state;
  EXPECT_EQ(Eval(state.get(), "return tostring(bit) .. tostring(jit) .. tostring(ffi)"),
            "nilnilnil");
  EXPECT_EQ(Eval(state.get(), "return type(lfs.currentdir())"), "string");
}

class FileNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.makeDir("Data/Sub");
    dir_.writeFile("Data/Sub/File.txt", "first line\nsecond line\n");
    dir_.writeFile("Data/Sub/Chunk.lua", "return 'chunk ran'");
    dir_.makeDir("Modules");
    dir_.writeFile("Modules/MyMod.lua", "return { name = 'mymod' }");
    dir_.writeFile("Modules/Broken.lua", "return (");
  }
  std::string Lua(const std::string& text) { return "'" + text + "'"; }

  sysqtest::TempDir dir_;
  LuaState state_;
};

TEST_F(FileNamesTest, IoFunctionsResolveSeparatorsAndLetterCase) {
  lua_State* L = state_.get();
  const std::string spelled = Lua(dir_.path() + "\\\\data\\\\SUB\\\\file.TXT");
  EXPECT_EQ(Eval(L, "local f = assert(io.open(" + spelled +
                        ")) local s = f:read('*l')"
                        " f:close() return s"),
            "first line");
  EXPECT_EQ(Eval(L, "local n = 0 for l in io.lines(" + spelled + ") do n = n + 1 end return n"),
            "2");
  EXPECT_EQ(Eval(L, "io.input(" + spelled +
                        ") local s = io.read('*l') io.input():close()"
                        " return s"),
            "first line");
  // A new file in an existing directory spelled in other letter case.
  EXPECT_EQ(Eval(L, "local f = assert(io.open(" + Lua(dir_.path() + "/DATA/sub/new.txt") +
                        ", 'w')) f:write('x') f:close() return true"),
            "true");
  std::FILE* made = std::fopen((dir_.path() + "/Data/Sub/new.txt").c_str(), "r");
  EXPECT_NE(made, nullptr);
  if (made != nullptr) std::fclose(made);
  EXPECT_EQ(Eval(L, "return assert(os.rename(" + Lua(dir_.path() + "/data/sub/NEW.txt") + ", " +
                        Lua(dir_.path() + "/DATA/Sub/renamed.txt") + "))"),
            "true");
  EXPECT_EQ(Eval(L, "return assert(os.remove(" +
                        Lua(dir_.path() + "\\\\data\\\\sub\\\\RENAMED.TXT") + "))"),
            "true");
  EXPECT_EQ(Eval(L, "return io.open(" + Lua(dir_.path() + "/data/none.txt") + ") == nil"), "true");
}

TEST_F(FileNamesTest, LoadfileDofileAndLfs) {
  lua_State* L = state_.get();
  const std::string chunk = Lua(dir_.path() + "\\\\DATA\\\\sub\\\\chunk.LUA");
  EXPECT_EQ(Eval(L, "return assert(loadfile(" + chunk + "))()"), "chunk ran");
  EXPECT_EQ(Eval(L, "return dofile(" + chunk + ")"), "chunk ran");
  EXPECT_EQ(Eval(L, "return lfs.attributes(" + Lua(dir_.path() + "\\\\data\\\\SUB") + ", 'mode')"),
            "directory");
  EXPECT_EQ(Eval(L, "local names = {} for name in lfs.dir(" + Lua(dir_.path() + "/DATA/sub") +
                        ") do if name:sub(1, 1) ~= '.' then names[#names + 1] = name end end"
                        " table.sort(names) return table.concat(names, ' ')"),
            "Chunk.lua File.txt");
  EXPECT_EQ(Eval(L, "return assert(lfs.mkdir(" + Lua(dir_.path() + "/data/NewDir") + "))"), "true");
  EXPECT_EQ(Eval(L, "return lfs.attributes(" + Lua(dir_.path() + "/Data/NewDir") + ", 'mode')"),
            "directory");
  EXPECT_EQ(Eval(L, "return assert(lfs.rmdir(" + Lua(dir_.path() + "\\\\DATA\\\\newdir") + "))"),
            "true");
}

TEST_F(FileNamesTest, PackagePathSearch) {
  lua_State* L = state_.get();
  Eval(L,
       "package.path = " + Lua(dir_.path() + "/nothere/?.lua;;" + dir_.path() + "/MODULES/?.lua") +
           " package.cpath = '' return true");
  EXPECT_EQ(Eval(L, "return require('mymod').name"), "mymod");
  EXPECT_EQ(Eval(L, "return require('MYMOD') == require('mymod')"), "false");
  // Names as the disk spells them where the library matches letter case
  // itself; as the search built them where the file system ignores case.
#ifdef _WIN32
  const std::string modules = "/MODULES/", brokenFile = "broken.lua";
#else
  const std::string modules = "/Modules/", brokenFile = "Broken.lua";
#endif
  const std::string missing = ErrorOf(L, "require('absent')");
  EXPECT_EQ(
      missing,
      "test:1: module 'absent' not found:\n\tno field package.preload['absent']\n\tno file '" +
          dir_.path() + "/nothere/absent.lua'\n\tno file '" + dir_.path() + modules +
          "absent.lua'");
  const std::string broken = ErrorOf(L, "require('broken')");
  EXPECT_EQ(broken.rfind("error loading module 'broken' from file '" + dir_.path() + modules +
                             brokenFile + "':\n\t",
                         0),
            0u)
      << broken;
}

}  // namespace
