// The build-time converter of the term tables (vo_termgen): a UTF-8 Lua
// module in, the same module with its quoted text in a code page out, every
// byte of a character outside ASCII written as a three-digit decimal escape.
//
// Compile definition: VO_TERMGEN, the path of the tool.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/textconv.h"
#include "xlatorlua/lua_api.h"

namespace {

class TermgenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vo_termgen_test_XXXXXX";
    const char* made = mkdtemp(pattern);
    ASSERT_NE(made, nullptr);
    dir_ = made;
  }
  void TearDown() override {
    const std::string command = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }

  // Runs the tool on `source`; its exit status. The output is in output().
  int convert(const std::string& codePage, const std::string& source) {
    {
      std::ofstream in(dir_ + "/in.lua", std::ios::binary | std::ios::trunc);
      in << source;
    }
    std::remove((dir_ + "/out.lua").c_str());
    const std::string command = std::string(VO_TERMGEN) + " " + codePage + " '" + dir_ +
                                "/in.lua' '" + dir_ + "/out.lua' 2>'" + dir_ + "/err.txt'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string read(const char* name) const {
    std::ifstream in(dir_ + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string output() const { return read("out.lua"); }
  std::string errors() const { return read("err.txt"); }
  bool outputExists() const { return std::ifstream(dir_ + "/out.lua").good(); }

  // Runs the converted module and returns the global `s` (a string).
  std::string run() const {
    const std::string text = output();
    lua_State* L = luaL_newstate();
    std::string value;
    if (luaL_loadbuffer(L, text.data(), text.size(), "out") != 0 || lua_pcall(L, 0, 0, 0) != 0) {
      ADD_FAILURE() << lua_tostring(L, -1) << "\n" << text;
    } else {
      lua_getglobal(L, "s");
      size_t length = 0;
      if (const char* s = lua_tolstring(L, -1, &length)) value.assign(s, length);
    }
    lua_close(L);
    return value;
  }

  std::string dir_;
};

std::string InCodePage(uint32_t codePage, const std::string& utf8) {
  std::u16string wide;
  std::string out;
  EXPECT_EQ(voplat::utf8ToUtf16(utf8, wide), voplat::ConvResult::ok);
  EXPECT_EQ(voplat::utf16ToCodePage(codePage, wide, out), voplat::ConvResult::ok);
  return out;
}

TEST_F(TermgenTest, BackslashTrailBytesAndFollowingDigitsSurvive) {
  // ソ is 0x83 0x5C in code page 932; a digit right after an escape must not
  // lengthen it, and the source's own escapes stay as they are.
  ASSERT_EQ(convert("932", "s = \"ソ5表9\\\\x\\n\\\"q\\\"\" -- ASCII comment\n"), 0) << errors();
  const std::string out = output();
  for (unsigned char c : out) EXPECT_LT(c, 0x80) << out;
  EXPECT_NE(out.find("\\131\\0925"), std::string::npos) << out;
  EXPECT_EQ(run(), InCodePage(932, "ソ5表9") + "\\x\n\"q\"");
}

TEST_F(TermgenTest, EveryCodePage) {
  const struct {
    const char* codePage;
    const char* text;
  } cases[] = {
      {"1252", "Périphérique °C Maßnahme œ"},
      {"932", "チャンネル名 Ω °C"},
      {"949", "채널 이름 Ω °C"},
      {"936", "通道名称 Ω °C"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(convert(c.codePage, std::string("s = '") + c.text + "'\n"), 0)
        << c.codePage << ": " << errors();
    EXPECT_EQ(run(), InCodePage(static_cast<uint32_t>(std::stoul(c.codePage)), c.text))
        << c.codePage;
  }
}

TEST_F(TermgenTest, RejectsTextItCannotStoreFaithfully) {
  const struct {
    const char* codePage;
    const char* source;
    const char* message;
  } cases[] = {
      {"1252", "s = 'Ω'\n", "no equivalent in code page 1252"},
      {"932", "s = '한'\n", "no equivalent in code page 932"},
      {"1252", "-- é\ns = 'x'\n", "in a comment"},
      {"1252", "--[[ é ]] s = 'x'\n", "in a long comment"},
      {"1252", "s = [[é]]\n", "in a long string"},
      {"1252", "é = 1\n", "outside a quoted string"},
      {"1252", "s = '\\é'\n", "backslash"},
      {"1252", "s = 'é\n", "unfinished string"},
      {"1252", "s = '\xE9'\n", "not valid UTF-8"},
      {"1250", "s = 'x'\n", "unsupported code page"},
  };
  for (const auto& c : cases) {
    EXPECT_NE(convert(c.codePage, c.source), 0) << c.source;
    EXPECT_NE(errors().find(c.message), std::string::npos) << c.source << ": " << errors();
    EXPECT_FALSE(outputExists()) << c.source;
  }
}

TEST_F(TermgenTest, AsciiPassesUnchanged) {
  const std::string source =
      "-- a comment\nlocal t = { a = \"x\", b = 'y', c = [[z]] } --[==[ long ]==]\ns = t.a\n";
  ASSERT_EQ(convert("936", source), 0) << errors();
  const std::string out = output();
  ASSERT_EQ(out.find('\n'), out.find("code page 936.") + 14) << out;
  EXPECT_EQ(out.substr(out.find('\n') + 1), source);
  EXPECT_EQ(run(), "x");
}

}  // namespace
