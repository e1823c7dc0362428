// The fatal message ends the process with code 1 after one line on stderr.
#include "platform/fatal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace voplat {
namespace {

void announceExit() { std::fputs("exit handler ran\n", stderr); }

TEST(FatalMessageDeathTest, WritesTitleAndTextThenExitsWithOne) {
  EXPECT_EXIT(fatalMessage("Fatal Error", "graphyxv.lib was not called from a Graphyx process."),
              testing::ExitedWithCode(1),
              "^Fatal Error: graphyxv\\.lib was not called from a Graphyx process\\.\n$");
}

TEST(FatalMessageDeathTest, RunsNoExitHandlers) {
  EXPECT_EXIT(
      {
        std::atexit(announceExit);
        fatalMessage("Title", "text");
      },
      testing::ExitedWithCode(1), "^Title: text\n$");
}

TEST(FatalMessageDeathTest, NullStringsCountAsEmpty) {
  EXPECT_EXIT(fatalMessage(nullptr, nullptr), testing::ExitedWithCode(1), "^: \n$");
}

}  // namespace
}  // namespace voplat
