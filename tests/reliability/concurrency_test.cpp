// Concurrency as the header states it: every entry point may be called from
// any thread, sessions are independent, and the named exceptions hold. Run
// under ThreadSanitizer (label "threads").
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gxrt.h"
#include "vodevice_hook.h"
#include "votarsinapi.h"

namespace {

constexpr int kThreads = 8;

// Runs body(t) on kThreads threads released together; returns the failures
// they counted.
template <typename Body>
int onThreads(int count, Body body) {
  std::atomic<int> ready{0};
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < count; ++t) {
    threads.emplace_back([&, t] {
      ready.fetch_add(1);
      while (ready.load() < count) std::this_thread::yield();
      failures.fetch_add(body(t));
    });
  }
  for (auto& thread : threads) thread.join();
  return failures.load();
}

Session open(const std::string& resource) {
  Session session = 0;
  EXPECT_EQ(0, voTarsin_OpenSession(resource.c_str(), nullptr, 0, &session)) << resource;
  return session;
}

// One thread's round on its own device: attribute sets read back, a finite
// acquisition whose first sample matches an earlier record of the same
// signal, and the text of a device error.
int mixedRound(Session session, int round) {
  int failures = 0;
  const int32_t coupling = round % 2;
  const double range = 1.0 + round;
  failures +=
      voTarsin_SetAttributeInt32(session, "AI0-AI3", VOTARSIN_ATTR_AI_COUPLING, coupling) != 0;
  failures += voTarsin_SetAttributeDouble(session, "AI1", VOTARSIN_ATTR_AI_RANGE, range) != 0;
  int32_t gotCoupling = -1;
  double gotRange = 0;
  failures +=
      voTarsin_GetAttributeInt32(session, "AI3", VOTARSIN_ATTR_AI_COUPLING, &gotCoupling) != 0;
  failures += voTarsin_GetAttributeDouble(session, "AI1", VOTARSIN_ATTR_AI_RANGE, &gotRange) != 0;
  failures += gotCoupling != coupling || gotRange != range;

  const uint32_t stream = static_cast<uint32_t>(round % 4);
  failures += voTarsin_ConfigureStreamEnabledChannels(session, stream, "AI2", nullptr) != 0;
  failures += voTarsin_ConfigureStreamFinite(session, stream, 200) != 0;
  failures += voTarsin_ConfigureImmediateTrigger(session, stream) != 0;
  failures += voTarsin_StartStream(session, stream) != 0;
  std::vector<int16_t> data(200);
  VoTarsinReadInfo info;
  failures += voTarsin_ReadStreamI16(session, stream, 1000, 200, data.data(), &info) != 0;
  VoDevReadInfo record;
  std::memcpy(&record, info.bytes, sizeof record);
  failures += record.delivered != 200 || record.channel != 2;
  failures += voTarsin_ClearStream(session, stream) != 0;

  const int32_t status =
      voTarsin_SetAttributeDouble(session, "", VOTARSIN_ATTR_FPGA_TEMPERATURE, 50);
  failures += status != VODEV_E_READ_ONLY_ATTRIBUTE;
  char text[1024];
  failures += voTarsin_GetError(session, status, sizeof text, text) != 0;
  failures += std::strstr(text, "Attribute Id: FPGA Temperature") == nullptr;
  return failures;
}

TEST(Concurrency, EightThreadsDoMixedWorkOnTheirOwnSessions) {
  VoDev_Reset();
  const int failures = onThreads(kThreads, [](int t) {
    const Session session = open("RIO" + std::to_string(t));
    int failed = 0;
    for (int round = 0; round < 4; ++round) failed += mixedRound(session, round + t);
    failed += voTarsin_CloseSession(session, 0) != 0;
    return failed;
  });
  EXPECT_EQ(failures, 0);
}

// The same samples reach every thread that reads the same signal: each
// thread's record equals the one read alone before.
TEST(Concurrency, SessionReferencesAndGxReadsFromSeveralThreads) {
  VoDev_Reset();
  std::vector<Session> sessions;
  for (int i = 0; i < 4; ++i) sessions.push_back(open("RIO" + std::to_string(i)));
  const auto readAlone = [](Session session, std::vector<int16_t>& out) {
    int failed = voTarsin_ConfigureStreamEnabledChannels(session, 5, "AI4", nullptr) != 0;
    failed += voTarsin_ConfigureStreamFinite(session, 5, 64) != 0;
    failed += voTarsin_StartStream(session, 5) != 0;
    VoGxArrayHandle data = nullptr;
    VoTarsinReadInfo info;
    failed += voTarsin_GxReadStreamI16(session, 5, 1000, 64, &data, &info) != 0;
    if (data != nullptr && *data != nullptr) {
      const auto* block = static_cast<const uint8_t*>(*data);
      out.assign(reinterpret_cast<const int16_t*>(block + 4),
                 reinterpret_cast<const int16_t*>(block + 4) + 64);
    }
    DSDisposeHandle(reinterpret_cast<GxHandle>(data));
    return failed;
  };
  std::vector<int16_t> expected;
  ASSERT_EQ(0, readAlone(sessions[0], expected));
  ASSERT_EQ(expected.size(), 64u);

  std::vector<uint32_t> references(kThreads, 0);
  const int failures = onThreads(kThreads, [&](int t) {
    int failed = 0;
    if (t % 2 == 0) {
      // References: every thread asks for every session.
      for (int round = 0; round < 5; ++round) {
        for (size_t s = 0; s < sessions.size(); ++s) {
          uint32_t reference = 0;
          failed += voTarsin_GetSessionReference(sessions[s], &reference) != 0 || reference == 0;
          if (s == 0) references[t] = reference;
        }
      }
    } else {
      for (int round = 0; round < 5; ++round) {
        std::vector<int16_t> got;
        failed += readAlone(sessions[t / 2], got);
        failed += got != expected;
      }
    }
    return failed;
  });
  EXPECT_EQ(failures, 0);
  // One session, one reference, whichever thread asked.
  for (int t = 2; t < kThreads; t += 2) EXPECT_EQ(references[t], references[0]);
  for (Session s : sessions) voTarsin_CloseSession(s, 0);
}

// Concurrent sets of one attribute interleave per channel: every channel ends
// with one of the values written, whole.
TEST(Concurrency, ConcurrentSetsOfOneAttributeInterleavePerChannel) {
  VoDev_Reset();
  const Session session = open("RIO5");
  const int failures = onThreads(4, [&](int t) {
    int failed = 0;
    for (int i = 0; i < 50; ++i) {
      failed +=
          voTarsin_SetAttributeDouble(session, "AI0-AI15", VOTARSIN_ATTR_AI_RANGE, 1.0 + t) != 0;
    }
    return failed;
  });
  EXPECT_EQ(failures, 0);
  for (int channel = 0; channel < 16; ++channel) {
    double range = 0;
    const std::string name = "AI" + std::to_string(channel);
    ASSERT_EQ(0,
              voTarsin_GetAttributeDouble(session, name.c_str(), VOTARSIN_ATTR_AI_RANGE, &range));
    EXPECT_TRUE(range == 1.0 || range == 2.0 || range == 3.0 || range == 4.0)
        << name << " " << range;
  }
  voTarsin_CloseSession(session, 0);
}

// The first I/O-readiness waits of the process, at once: the lazy clock
// set-up may run on several threads and must give each a working clock.
TEST(Concurrency, FirstIoReadinessWaitsFromSeveralThreads) {
  VoDev_Reset();
  VoDev_SetCommitDelays(2, 1);
  const int failures = onThreads(4, [](int t) {
    const Session session = open("RIO" + std::to_string(t));
    int failed = voTarsin_Commit(session) != 0;
    uint32_t ready = 0;
    int32_t error = -1;
    failed += voTarsin_WaitForIoReady(session, 2000, &ready, &error) != 0;
    failed += ready != 1 || error != 0;
    failed += voTarsin_CloseSession(session, 0) != 0;
    return failed;
  });
  VoDev_SetCommitDelays(20, 10);
  EXPECT_EQ(failures, 0);
}

// Restart and dispose of the simulation must not overlap simulated requests:
// callers that keep that rule (here a lock of their own) may restart and
// dispose while other threads work on simulated sessions, and hardware
// sessions are never affected.
TEST(Concurrency, SimulationRebindsSerialisedByTheCallerWithSimulatedAndHardwareWork) {
  VoDev_Reset();
  const Session simulated = open("SIM3");
  const Session hardware = open("RIO3");
  std::mutex simulation;  // the caller's rule
  const int failures = onThreads(4, [&](int t) {
    int failed = 0;
    for (int i = 0; i < 20; ++i) {
      if (t == 0) {
        std::lock_guard lock(simulation);
        failed += voTarsin_RestartSimulation(simulated, static_cast<uint32_t>(i), 0, 0, 0, 0, 0, 0,
                                             0, 0, 0, 0) != 0;
        if (i % 5 == 4) failed += voTarsin_DisposeSimulation() != 0;
      } else if (t == 1) {
        std::lock_guard lock(simulation);
        double range = 0;
        const int32_t status =
            voTarsin_GetAttributeDouble(simulated, "AI0", VOTARSIN_ATTR_AI_RANGE, &range);
        // Between a dispose and the next restart the library is unbound.
        failed += status != 0 && status != VOTARSIN_ERR_RESOURCE_NOT_FOUND;
      } else {
        failed +=
            voTarsin_SetAttributeInt32(hardware, "AI0", VOTARSIN_ATTR_AI_COUPLING, i % 2) != 0;
      }
    }
    return failed;
  });
  EXPECT_EQ(failures, 0);
  voTarsin_CloseSession(simulated, 0);
  voTarsin_CloseSession(hardware, 0);
}

}  // namespace
