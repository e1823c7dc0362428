// Hosts on different threads share nothing: four threads, each with its own
// translators, get exactly their own results.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "xlatorlua_test_support.h"

namespace {

using xlatorluatest::TranslatorPtr;

TEST(ScriptHostThreadsTest, FourThreadsWithTheirOwnHosts) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 12;
  std::atomic<int> mismatches{0};
  std::vector<std::string> failures(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &mismatches, &failures] {
      for (int round = 0; round < kRounds; ++round) {
        voerr::Status status;
        TranslatorPtr translator(voxlatorlua::newScriptTranslator(
            "threads", xlatorluatest::kTestRegistration, status, xlatorluatest::TestConfig()));
        if (translator == nullptr) {
          ++mismatches;
          failures[t] = status.contextText();
          return;
        }
        lua_State* L = voxlatorlua::scriptState(translator.get());
        xlatorluatest::Run(L,
                           "testxlator.static = function(code)"
                           "  return voxlatorluautils.mbsToUtf8(1, 'th\\233 ' .. code) .. ' ' .."
                           "   tostring(stdint.u64(code) * stdint.u64(code)) .. ' ' .."
                           "   cjson.encode({code = code})"
                           " end");
        for (int i = 0; i < 20; ++i) {
          const int32_t code = t * 1000 + round * 20 + i;
          const std::string expected = "th\xc3\xa9 " + std::to_string(code) + " " +
                                       std::to_string(static_cast<uint64_t>(code) * code) +
                                       " {\"code\":" + std::to_string(code) + "}";
          voerr::Status call;
          const auto description = xlatorluatest::StaticDesc(translator.get(), code, 0, call);
          if (description.text != expected || call.code() != 0) {
            ++mismatches;
            failures[t] = description.text + " / " + expected;
          }
          const std::string context = "{\"thread\":" + std::to_string(t) + "}";
          if (xlatorluatest::DynamicDesc(translator.get(), context.c_str(), 0, call).text !=
              context) {
            ++mismatches;
          }
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
  for (const std::string& failure : failures) EXPECT_EQ(failure, "");
}

}  // namespace
