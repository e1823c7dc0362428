// Entry points and stand-ins with each of their allocations failed in turn:
// every call returns a status, nothing ends the process, and a process-wide
// binding that failed is tried again by the next call. The outside modules
// are bound on the first walked call, so the walks cover binding too.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "alloc_fail.h"
#include "api/elaborate_status.h"
#include "status/status.h"
#include "vodevice_hook.h"
#include "votarsinapi.h"

namespace {

using vo::test::AllocFailer;

// Ends the program when a walk does not finish in time: a binding left busy
// would make every later call wait for ever.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit)
      : thread_([this, limit] {
          const auto deadline = std::chrono::steady_clock::now() + limit;
          while (!done_.load()) {
            if (std::chrono::steady_clock::now() > deadline) {
              std::fprintf(stderr, "walk did not finish: a call waits for ever\n");
              std::abort();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          }
        }) {}
  ~Watchdog() {
    done_.store(true);
    thread_.join();
  }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// Runs `call` with its first, second, ... allocation failed until a run
// fails none, checking each result with `check` after the failing stopped;
// `finish` cleans up after each run. Each site is failed alone, then with
// every allocation after it (memory that stays exhausted). Returns the
// number of sites.
template <typename Call, typename Check, typename Finish>
uint64_t walkAllocationSites(Call call, Check check, Finish finish) {
  Watchdog watchdog(std::chrono::seconds(120));
  AllocFailer failer;
  for (uint64_t n = 0;; ++n) {
    failer.failAfter(n, true);
    const int32_t exhausted = call();
    failer.disarm();
    if (failer.failures() != 0) {
      check(exhausted, true, n);
      finish(exhausted);
    }
    failer.failAfter(n);
    const int32_t status = call();
    failer.disarm();
    const bool failed = failer.failures() != 0;
    check(status, failed, n);
    finish(status);
    if (!failed) return n;
  }
}

TEST(AllocationFailure, GxOpenBindsOnceItCanAndNeverHangs) {
  Session session = 0;
  const uint64_t sites =
      walkAllocationSites([&] { return voTarsin_GxOpenSession("RIO0", nullptr, 0, &session); },
                          [](int32_t status, bool failed, uint64_t n) {
                            if (failed) {
                              EXPECT_LE(status, 0) << "allocation " << n;
                            } else {
                              EXPECT_EQ(status, 0);
                            }
                          },
                          [&](int32_t status) {
                            if (status == 0) voTarsin_CloseSession(session, 0);
                          });
  EXPECT_GT(sites, 0u);
  EXPECT_EQ(VoDev_GxLoadCount(), 1u);
}

TEST(AllocationFailure, SessionReferenceBindsTheRegistryLibraryOnceItCan) {
  VoDev_Reset();
  Session session = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("RIO0", nullptr, 0, &session));
  uint32_t reference = 0;
  walkAllocationSites([&] { return voTarsin_GetSessionReference(session, &reference); },
                      [](int32_t status, bool failed, uint64_t n) {
                        if (failed) {
                          EXPECT_LE(status, 0) << "allocation " << n;
                        } else {
                          EXPECT_EQ(status, 0);
                        }
                      },
                      [](int32_t) {});
  EXPECT_NE(reference, 0u);
  voTarsin_CloseSession(session, 0);
}

// The device model answers function 800 with a context it builds in memory;
// running out of memory there is a status of the stand-in, which the
// elaboration reports instead of the context.
TEST(AllocationFailure, ElaboratingASimulatedErrorReturnsAStatus) {
  ASSERT_EQ(0, voTarsin_RestartSimulation(0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  Session session = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("SIM0", nullptr, 0, &session));
  const int32_t error =
      voTarsin_SetAttributeInt32(session, "0", VOTARSIN_ATTR_START_TRIGGER_TYPE, 9);
  ASSERT_LT(error, 0);
  voerr::Status record;
  const uint64_t sites = walkAllocationSites(
      [&] {
        record = voerr::Status();
        return voapi::ElaborateStatus(session, error, record);
      },
      [&](int32_t status, bool failed, uint64_t n) {
        if (status != 0) {
          EXPECT_EQ(status, VODEV_E_OUT_OF_MEMORY) << "allocation " << n;
        } else if (!failed) {
          EXPECT_EQ(record.code(), error);
          EXPECT_NE(std::string(record.contextText()).find("error_constant"), std::string::npos);
        }
      },
      [](int32_t) {});
  EXPECT_GT(sites, 0u);
  voTarsin_CloseSession(session, 0);
  voTarsin_DisposeSimulation();
}

}  // namespace
