#include "api/gx_open.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "api/dynlib_loader.h"
#include "api/once_guard.h"
#include "platform/syserror.h"
#include "status/context_writer.h"
#include "vodevice_hook.h"
#include "votarsinapi.h"

namespace voapi {
namespace {

std::string member(const voerr::Status& status, const char* key) {
  const char* value = voerr::ContextWriter::findKey(status.contextText(), key);
  if (!value) return "<absent>";
  const char* end = value;
  int depth = 0;
  for (; *end; ++end) {
    if (*end == '{') ++depth;
    if (*end == '}' && depth-- == 0) break;
    if (*end == ',' && depth == 0) break;
  }
  return std::string(value, end);
}

TEST(DynlibLoader, LoadFailureNamesThePathAndTheSystemError) {
  voerr::Status status;
  EXPECT_EQ(nullptr, vodynlib_load("NoSuchModule.dll", status));
  EXPECT_EQ(status.code(), -52005);
  EXPECT_EQ(member(status, "error_constant"), "\"voapalerr_invalidParameter\"");
  EXPECT_EQ(member(status, "component"), "\"votarsinapi\"");
  EXPECT_EQ(member(status, "vodynlib_debug"),
            "{\"debug\":\"failed to vodynlib_load library\",\"path\":\"NoSuchModule.dll\"}");
#ifdef _WIN32
  // The system's own text, in whatever wording the system has.
  EXPECT_EQ(member(status, "internal_error"),
            "{\"api\":\"win32\",\"code\":126,\"string\":\"" + voplat::errorMessage(126) + "\"}");
#else
  EXPECT_EQ(member(status, "internal_error"),
            "{\"api\":\"win32\",\"code\":126,\"string\":\"The specified module could not be "
            "found.\"}");
#endif
  // Members come in the order the site writes them.
  const std::string text = status.contextText();
  EXPECT_LT(text.find("\"component\""), text.find("\"vodynlib_debug\""));
  EXPECT_LT(text.find("\"vodynlib_debug\""), text.find("\"internal_error\""));
}

TEST(DynlibLoader, SymbolFailureNamesTheSymbolAndLaterCallsChangeNothing) {
  voerr::Status status;
  voplat::ModuleHandle module = vodynlib_load("VoFpga.dll", status);
  ASSERT_NE(module, nullptr) << status.contextText();
  EXPECT_NE(nullptr, vodynlib_findSymbol(module, "VoFpgaDll_Open", status));
  EXPECT_EQ(status.code(), 0);
  EXPECT_EQ(nullptr, vodynlib_findSymbol(module, "NoSuchSymbol", status));
  EXPECT_EQ(status.code(), -52005);
  EXPECT_EQ(member(status, "vodynlib_debug"),
            "{\"debug\":\"failed to vodynlib_load library\",\"vodynlib_symbol\":\"NoSuchSymbol\"}");
  EXPECT_EQ(member(status, "internal_error").rfind("{\"api\":\"win32\",\"code\":127,", 0), 0u);
  const std::string before = status.contextText();
  // With an error held, neither a load nor a lookup does anything.
  EXPECT_EQ(nullptr, vodynlib_findSymbol(module, "VoFpgaDll_Open", status));
  EXPECT_EQ(nullptr, vodynlib_load("VoFpga.dll", status));
  EXPECT_EQ(before, status.contextText());
  voplat::unloadModule(module);
}

int gInitRuns = 0;
bool gInitFails = false;
int gFinalRuns = 0;
void countingInit(voerr::FixedStatus& block) {
  ++gInitRuns;
  if (gInitFails) block.set(-52005, "votarsinapi", "init.cpp", 7);
}
void countingFinal() { ++gFinalRuns; }

TEST(OnceGuard, RunsUntilSuccessThenNeverAgainUntilReset) {
  OnceGuard guard(countingInit, countingFinal);
  gInitRuns = gFinalRuns = 0;
  gInitFails = true;
  voerr::FixedStatus first;
  guard.run(first);
  EXPECT_EQ(first.code, -52005);
  EXPECT_FALSE(guard.done());
  gInitFails = false;
  voerr::FixedStatus second;
  guard.run(second);
  guard.run(second);
  EXPECT_EQ(second.code, 0);
  EXPECT_EQ(gInitRuns, 2);
  EXPECT_TRUE(guard.done());
  guard.reset();
  EXPECT_EQ(gFinalRuns, 1);
  guard.reset();
  EXPECT_EQ(gFinalRuns, 1);
  voerr::FixedStatus third;
  guard.run(third);
  EXPECT_EQ(gInitRuns, 3);
}

TEST(OnceGuard, ABlockHoldingAnErrorSkipsTheInitialiser) {
  OnceGuard guard(countingInit, nullptr);
  gInitRuns = 0;
  gInitFails = false;
  voerr::FixedStatus block;
  block.set(-1, "x", "y", 1);
  guard.run(block);
  EXPECT_EQ(gInitRuns, 0);
  EXPECT_FALSE(guard.done());
}

int gThrowingRuns = 0;
void throwingOnceInit(voerr::FixedStatus&) {
  if (++gThrowingRuns == 1) throw std::bad_alloc();
}
// Global: a thread left waiting on a guard that stays busy must not outlive it.
OnceGuard gThrowingGuard{throwingOnceInit, nullptr};

TEST(OnceGuard, AnInitialiserThatThrowsLeavesTheGuardFreeAndNotDone) {
  voerr::FixedStatus first;
  EXPECT_THROW(gThrowingGuard.run(first), std::bad_alloc);
  EXPECT_FALSE(gThrowingGuard.done());
  // The next caller runs the initialiser again instead of waiting for ever.
  std::promise<int32_t> finished;
  std::future<int32_t> result = finished.get_future();
  std::thread([&finished] {
    voerr::FixedStatus block;
    gThrowingGuard.run(block);
    finished.set_value(block.code);
  }).detach();
  ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready)
      << "the guard stayed busy";
  EXPECT_EQ(result.get(), 0);
  EXPECT_EQ(gThrowingRuns, 2);
  EXPECT_TRUE(gThrowingGuard.done());
}

TEST(GxOpen, BindsOncePassesTheTlsIndexAndOpensThroughTheGxEntry) {
  SetGXRTTLSIndexHook(0x1234);
  Session session = 0;
  ASSERT_EQ(0, voTarsin_GxOpenSession("RIO3", VOTARSIN_IMAGE_GOLDEN, 0x1, &session));
  EXPECT_NE(session, 0u);
  EXPECT_EQ(VoDev_GxLoadCount(), 1u);
  uint32_t calls = 0;
  EXPECT_EQ(VoDev_GxLastTlsIndex(&calls), 0x1234u);
  EXPECT_EQ(calls, 1u);
  char image[128] = {};
  uint32_t attribute = 0;
  VoDev_LastOpen(image, sizeof image, &attribute);
  EXPECT_STREQ(image, VOTARSIN_IMAGE_GOLDEN);
  EXPECT_EQ(attribute, 0xC0000001u);
  // A later index does not reach the bound module.
  SetGXRTTLSIndexHook(0x99);
  Session second = 0;
  ASSERT_EQ(0, voTarsin_GxOpenSession("RIO3", nullptr, 0, &second));
  EXPECT_EQ(VoDev_GxLastTlsIndex(&calls), 0x1234u);
  EXPECT_EQ(calls, 1u);
  EXPECT_EQ(VoDev_GxLoadCount(), 1u);
  EXPECT_EQ(0, voTarsin_CloseSession(session, 0));
  EXPECT_EQ(0, voTarsin_CloseSession(second, 0));
}

TEST(GxOpen, BadArgumentsAreRefused) {
  Session session = 0;
  EXPECT_EQ(-52005, voTarsin_GxOpenSession(nullptr, nullptr, 0, &session));
  EXPECT_EQ(-52005, voTarsin_GxOpenSession("RIO0", nullptr, 0, nullptr));
}

}  // namespace
}  // namespace voapi
