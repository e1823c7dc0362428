// Eight threads ask for the references of eight sessions at once, round after
// round: the reference lock must let each session be registered exactly once,
// and the sessions of earlier rounds must be pruned as they go away.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "voajel_standin.h"
#include "vodevice_hook.h"
#include "votarsinapi.h"

namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 5;

TEST(SessionReferenceThreads, EachSessionIsRegisteredOnceWhenAllAskAtOnce) {
  VoDev_Reset();
  VoAjel_Reset();
  for (int round = 0; round < kRounds; ++round) {
    std::vector<Session> sessions(kThreads);
    for (int t = 0; t < kThreads; ++t) {
      const std::string resource = "RIO" + std::to_string(t);
      ASSERT_EQ(0, voTarsin_OpenSession(resource.c_str(), nullptr, 0, &sessions[t]));
    }
    std::vector<uint32_t> first(kThreads), second(kThreads);
    std::vector<int32_t> statuses(kThreads * 2, 1);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        ready.fetch_add(1);
        while (ready.load() < kThreads) std::this_thread::yield();
        // Every thread asks for its own session, then for its neighbour's.
        statuses[2 * t] = voTarsin_GetSessionReference(sessions[t], &first[t]);
        statuses[2 * t + 1] =
            voTarsin_GetSessionReference(sessions[(t + 1) % kThreads], &second[(t + 1) % kThreads]);
      });
    }
    for (auto& thread : threads) thread.join();

    std::set<uint32_t> keys;
    for (int t = 0; t < kThreads; ++t) {
      EXPECT_EQ(statuses[2 * t], 0);
      EXPECT_EQ(statuses[2 * t + 1], 0);
      EXPECT_NE(first[t], 0u);
      EXPECT_EQ(second[t], first[t]) << "session " << t << " got two references";
      EXPECT_EQ(VoAjel_RegistrationsFor(sessions[t]), 1u) << "session " << t;
      EXPECT_TRUE(VoAjel_IsRegistered(first[t]));
      keys.insert(first[t]);
    }
    EXPECT_EQ(keys.size(), static_cast<size_t>(kThreads));
    EXPECT_EQ(VoAjel_RegistrationCount(), static_cast<uint32_t>(kThreads * (round + 1)));
    // The previous round's sessions were closed: the first registration of
    // this round gave all their keys back.
    EXPECT_EQ(VoAjel_UnregistrationCount(), static_cast<uint32_t>(kThreads * round));

    // Closing with a reset forgets the device's reference, as a new open
    // of the hardware would.
    for (Session session : sessions) ASSERT_EQ(0, voTarsin_CloseSession(session, 1));
  }
}

}  // namespace
