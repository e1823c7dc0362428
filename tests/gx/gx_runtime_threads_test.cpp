#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "gx/gx_runtime.h"
#include "gxrt.h"
#include "platform/dynlib.h"
#include "platform/tls.h"
#include "votarsinapi.h"

namespace vogx {
namespace {

// Threads hosted by two runtime instances resolve the same functions at once;
// each must always reach its own instance's function.
TEST(GxRuntimeThreads, ConcurrentResolutionReachesEachThreadsOwnRuntime) {
  voplat::ModuleHandle first = voplat::loadModule("gxrt.dll", nullptr);
  voplat::ModuleHandle second = voplat::loadModule(VO_SECOND_RUNTIME, nullptr);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_NE(voplat::moduleStamp(first), voplat::moduleStamp(second));
  using Dispose = int32_t (*)(GxHandle);
  using Counters = GxRtCounters (*)();
  Dispose dispose[2] = {
      reinterpret_cast<Dispose>(voplat::findSymbol(first, "DSDisposeHandle", nullptr)),
      reinterpret_cast<Dispose>(voplat::findSymbol(second, "DSDisposeHandle", nullptr))};
  Counters counters[2] = {
      reinterpret_cast<Counters>(voplat::findSymbol(first, "GxRt_Counters", nullptr)),
      reinterpret_cast<Counters>(voplat::findSymbol(second, "GxRt_Counters", nullptr))};
  const uint32_t index = voplat::tlsAllocate();
  SetGXRTTLSIndex(index);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      voplat::tlsSet(index, t % 2 ? second : first);
      for (int i = 0; i < 2000; ++i) {
        GxHandle handle = DSNewHandle(16);
        if (!handle || DSGetHandleSize(handle) != 16) wrong.fetch_add(1);
        dispose[t % 2](handle);
      }
      if (FindGxRuntime() != (t % 2 ? second : first)) wrong.fetch_add(1);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
  // Each instance created exactly the handles of its own three threads.
  for (Counters count : counters) {
    EXPECT_EQ(count().handlesCreated, 3u * 2000u);
    EXPECT_EQ(count().handlesDisposed, 3u * 2000u);
  }
}

}  // namespace
}  // namespace vogx
