// The stand-ins' exported functions with each of their allocations failed in
// turn: running out of memory is a status (or a null handle), never a C++
// exception leaving a C function, and a failed call leaves no half-made state.
#include "alloc_fail.h"
#include "gxrt.h"
#include "standin_support.h"
#include "voajel_standin.h"
#include "votarsinsimulation.h"

namespace standin_test {
namespace {

using vo::test::AllocFailer;

// Runs `call` with its first, second, ... allocation failed until a run fails
// none; `check` sees each result after the failing stopped. Returns the
// number of sites.
template <typename Call, typename Check>
uint64_t walkAllocationSites(Call call, Check check) {
  AllocFailer failer;
  for (uint64_t n = 0;; ++n) {
    failer.failAfter(n, true);
    const auto result = call();
    failer.disarm();
    const bool failed = failer.failures() != 0;
    check(result, failed);
    if (!failed) return n;
  }
}

class StandinAllocationFailure : public StandinTest {};

TEST_F(StandinAllocationFailure, TheDeviceModelReportsRunningOutOfMemoryAsAStatus) {
  const Bytes record = SetI32(0x10000009, "3", 9);
  const uint64_t requestSites = walkAllocationSites(
      [&] {
        return Simulation_ClientFunctionCall(simulated_, kGroup, kFamilyRequest, record.data(),
                                             record.size(), nullptr, 0);
      },
      [](int32_t status, bool failed) {
        if (failed && status == VODEV_E_OUT_OF_MEMORY) return;
        EXPECT_EQ(status, VODEV_E_INVALID_VALUE);
      });
  EXPECT_GT(requestSites, 0u);

  int32_t code = VODEV_E_INVALID_VALUE;
  std::vector<char> out(8192);
  const uint64_t elaborationSites = walkAllocationSites(
      [&] {
        return Simulation_ClientFunctionCall(simulated_, kGroup, kElaborate, &code, sizeof code,
                                             out.data(), out.size());
      },
      [&](int32_t status, bool failed) {
        if (failed && status == VODEV_E_OUT_OF_MEMORY) return;
        EXPECT_EQ(status, 0);
        EXPECT_NE(std::string(out.data()).find("vodeverr_invalidValue"), std::string::npos);
      });
  EXPECT_GT(elaborationSites, 0u);
  EXPECT_STREQ(VoDev_StatusName(VODEV_E_OUT_OF_MEMORY), "vodeverr_outOfMemory");
}

TEST_F(StandinAllocationFailure, RegistrationEitherRegistersOrReportsRunningOutOfMemory) {
  VoAjel_Reset();
  static const int kTable = 0;
  VoAjelInterface interfaces[VOAJEL_INTERFACE_COUNT];
  for (VoAjelInterface& pair : interfaces) pair = {&kTable, 0x77};
  struct Registered {
    uint32_t key;
    int32_t status;
  };
  walkAllocationSites(
      [&] {
        int32_t status = 0;
        const uint32_t key = voajel_registerSessionGetKey(1, 1, interfaces, 0, 0, &status);
        return Registered{key, status};
      },
      [](Registered result, bool failed) {
        if (result.key == 0) {
          EXPECT_TRUE(failed);
          EXPECT_EQ(result.status, VOAJEL_E_OUT_OF_MEMORY);
          EXPECT_EQ(VoAjel_RegistrationCount(), 0u);  // nothing half-registered
          EXPECT_EQ(VoAjel_RegistrationsFor(0x77), 0u);
        } else {
          EXPECT_EQ(result.status, 0);
          EXPECT_EQ(VoAjel_IsRegistered(result.key), 1);
          VoAjel_Reset();
        }
      });
}

TEST_F(StandinAllocationFailure, TheRuntimeHandsOutNoHandleWhenMemoryRunsOut) {
  walkAllocationSites([] { return DSNewHandle(16); },
                      [](GxHandle handle, bool failed) {
                        if (!handle) {
                          EXPECT_TRUE(failed);
                          return;
                        }
                        EXPECT_NE(*handle, nullptr);
                        DSDisposeHandle(handle);
                      });
}

}  // namespace
}  // namespace standin_test
