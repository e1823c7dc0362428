// The counting semaphore: limits, waking across threads, mutual exclusion.
#include "platform/semaphore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace voplat {
namespace {

TEST(Semaphore, RefusesImpossibleCounts) {
  SysError err;
  EXPECT_EQ(Semaphore::create(0, 0, &err), nullptr);
  EXPECT_EQ(err.code, kErrInvalidParameter);
  EXPECT_EQ(err.message, errorMessage(kErrInvalidParameter));
  SysError err2;
  EXPECT_EQ(Semaphore::create(3, 2, &err2), nullptr);
  EXPECT_EQ(err2.code, kErrInvalidParameter);
  EXPECT_EQ(Semaphore::create(3, 2, nullptr), nullptr);
}

TEST(Semaphore, CountStaysBetweenZeroAndTheMaximum) {
  SysError err;
  auto sem = Semaphore::create(1, 3, &err);
  ASSERT_NE(sem, nullptr) << err.message;
  EXPECT_TRUE(sem->release());   // 2
  EXPECT_TRUE(sem->release());   // 3
  EXPECT_FALSE(sem->release());  // would be 4
  EXPECT_FALSE(sem->release());
  EXPECT_TRUE(sem->tryAcquire());
  EXPECT_TRUE(sem->tryAcquire());
  sem->acquire();  // the third, without waiting
  EXPECT_FALSE(sem->tryAcquire());
  EXPECT_TRUE(sem->release());
  EXPECT_TRUE(sem->tryAcquire());
  EXPECT_FALSE(sem->tryAcquire());
}

TEST(Semaphore, InitialCountIsHonoured) {
  auto empty = Semaphore::create(0, 1, nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_FALSE(empty->tryAcquire());
  EXPECT_TRUE(empty->release());
  EXPECT_FALSE(empty->release());
  EXPECT_TRUE(empty->tryAcquire());

  auto big = Semaphore::create(0x7FFFFFFF, 0x7FFFFFFF, nullptr);
  ASSERT_NE(big, nullptr);
  EXPECT_FALSE(big->release());
  EXPECT_TRUE(big->tryAcquire());
  EXPECT_TRUE(big->release());
}

TEST(Semaphore, ReleaseWakesAWaitingThread) {
  auto sem = Semaphore::create(0, 1, nullptr);
  ASSERT_NE(sem, nullptr);
  std::atomic<bool> acquired{false};
  std::thread waiter([&] {
    sem->acquire();
    acquired = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(acquired.load());
  EXPECT_TRUE(sem->release());
  waiter.join();
  EXPECT_TRUE(acquired.load());
  EXPECT_FALSE(sem->tryAcquire());  // the waiter took the one unit
}

TEST(Semaphore, EachReleaseLetsOneWaiterThrough) {
  auto sem = Semaphore::create(0, 10, nullptr);
  ASSERT_NE(sem, nullptr);
  std::atomic<int> through{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 4; ++i) {
    waiters.emplace_back([&] {
      sem->acquire();
      ++through;
    });
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(through.load(), 0);
  EXPECT_TRUE(sem->release());
  EXPECT_TRUE(sem->release());
  for (int i = 0; i < 200 && through.load() < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(through.load(), 2);
  EXPECT_TRUE(sem->release());
  EXPECT_TRUE(sem->release());
  for (std::thread& t : waiters) t.join();
  EXPECT_EQ(through.load(), 4);
}

TEST(Semaphore, ServesAsALockAcrossThreads) {
  auto sem = Semaphore::create(1, 0x7FFFFFFF, nullptr);
  ASSERT_NE(sem, nullptr);
  constexpr int kThreads = 8;
  constexpr int kRounds = 5000;
  long counter = 0;  // guarded by the semaphore only
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        sem->acquire();
        if (inside.fetch_add(1) != 0) ++overlaps;
        counter = counter + 1;
        inside.fetch_sub(1);
        sem->release();
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(overlaps.load(), 0);
  EXPECT_EQ(counter, static_cast<long>(kThreads) * kRounds);
}

}  // namespace
}  // namespace voplat
