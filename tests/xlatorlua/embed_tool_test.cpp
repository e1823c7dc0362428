// The build-time embedder: it accepts chunks of the linked interpreter and
// source text, and refuses chunks whose header differs from the linked
// interpreter's and modules that do not load.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "sysq/sysq_test_support.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class EmbedToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source_ = dir_.writeFile("mod.lua", "return { answer = 42 }\n");
    chunk_ = dir_.path() + "/mod.luac";
    ASSERT_EQ(Run(std::string(VO_LUAC) + " -o " + chunk_ + " " + source_), 0);
    output_ = dir_.path() + "/out.cpp";
  }

  int Run(const std::string& command) {
    const int status = std::system((command + " 2>" + dir_.path() + "/stderr.txt").c_str());
    errors_ = ReadAll(dir_.path() + "/stderr.txt");
    return status;
  }

  int Embed(const std::string& modules) {
    return Run(std::string(VO_LUA_EMBED) + " generate " + output_ + " testns modules " + modules);
  }

  sysqtest::TempDir dir_;
  std::string source_, chunk_, output_, errors_;
};

TEST_F(EmbedToolTest, WritesTheModulesInOrder) {
  ASSERT_EQ(Embed("first.luac=" + chunk_ + " second.lua=" + source_), 0) << errors_;
  const std::string generated = ReadAll(output_);
  EXPECT_NE(generated.find("voxlatorlua::ModuleSet modules() noexcept"), std::string::npos);
  EXPECT_NE(generated.find("namespace testns"), std::string::npos);
  // The chunk is stored prepared; the source as it is.
  EXPECT_NE(generated.find("kData0[] =\n    \"\\033VoP\\033Lua"), std::string::npos);
  const size_t first = generated.find("{\"first.luac\", kData0, ");
  const size_t second =
      generated.find("{\"second.lua\", kData1, " + std::to_string(ReadAll(source_).size()) + "}");
  EXPECT_NE(first, std::string::npos) << generated.substr(generated.size() - 300);
  EXPECT_NE(second, std::string::npos);
  EXPECT_LT(first, second);
}

TEST_F(EmbedToolTest, RefusesAChunkOfAnotherInterpreter) {
  std::string chunk = ReadAll(chunk_);
  ASSERT_GT(chunk.size(), 12u);
  chunk[10] = 4;  // the size of lua_Number of a float interpreter
  const std::string foreign = dir_.writeFile("foreign.luac", chunk);
  EXPECT_NE(Embed("foreign.luac=" + foreign), 0);
  EXPECT_NE(errors_.find("does not match the linked interpreter"), std::string::npos) << errors_;
  std::string version = ReadAll(chunk_);
  version[4] = 0x52;  // another release's chunk
  EXPECT_NE(Embed("other.luac=" + dir_.writeFile("other.luac", version)), 0);
}

TEST_F(EmbedToolTest, RefusesAModuleThatDoesNotLoad) {
  EXPECT_NE(Embed("broken.lua=" + dir_.writeFile("broken.lua", "return (")), 0);
  EXPECT_NE(errors_.find("unexpected symbol"), std::string::npos) << errors_;
  EXPECT_NE(Embed("missing.lua=" + dir_.path() + "/none.lua"), 0);
  EXPECT_NE(errors_.find("cannot read"), std::string::npos) << errors_;
}

}  // namespace
