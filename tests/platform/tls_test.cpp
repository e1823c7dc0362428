// Thread-local values by index.
#include "platform/tls.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "support/system_tls.h"

namespace voplat {
namespace {

TEST(Tls, ValuesArePerThreadAndPerIndex) {
  const uint32_t a = tlsAllocate();
  const uint32_t b = tlsAllocate();
  ASSERT_NE(a, kNoTlsIndex);
  ASSERT_NE(b, kNoTlsIndex);
  EXPECT_NE(a, b);
  EXPECT_EQ(tlsGet(a), nullptr);

  int mainA = 1;
  int mainB = 2;
  ASSERT_TRUE(tlsSet(a, &mainA));
  ASSERT_TRUE(tlsSet(b, &mainB));

  void* seenByOther = &mainA;
  void* otherAfterSet = nullptr;
  int otherValue = 3;
  std::thread other([&] {
    seenByOther = tlsGet(a);
    tlsSet(a, &otherValue);
    otherAfterSet = tlsGet(a);
  });
  other.join();
  EXPECT_EQ(seenByOther, nullptr);
  EXPECT_EQ(otherAfterSet, &otherValue);
  EXPECT_EQ(tlsGet(a), &mainA);
  EXPECT_EQ(tlsGet(b), &mainB);

  ASSERT_TRUE(tlsSet(a, nullptr));
  EXPECT_EQ(tlsGet(a), nullptr);
  EXPECT_EQ(tlsGet(b), &mainB);
  tlsFree(a);
  tlsFree(b);
}

TEST(Tls, InvalidIndicesReadAsNullAndCannotBeSet) {
  int value = 0;
  EXPECT_EQ(tlsGet(kNoTlsIndex), nullptr);
  EXPECT_FALSE(tlsSet(kNoTlsIndex, &value));
  EXPECT_EQ(tlsGet(0x7FFFFFFFu), nullptr);
  EXPECT_FALSE(tlsSet(0x7FFFFFFFu, &value));

  const uint32_t index = tlsAllocate();
  ASSERT_NE(index, kNoTlsIndex);
  ASSERT_TRUE(tlsSet(index, &value));
  tlsFree(index);
  EXPECT_EQ(tlsGet(index), nullptr);
#ifndef _WIN32
  // Windows slots are the system's: any slot number the process could have
  // allocated itself can be set.
  EXPECT_FALSE(tlsSet(index, &value));
#endif
  tlsFree(index);  // a second free is harmless

  // An index handed out again starts empty, though its number may be reused.
  const uint32_t again = tlsAllocate();
  ASSERT_NE(again, kNoTlsIndex);
  EXPECT_EQ(tlsGet(again), nullptr);
  tlsFree(again);
}

// The graphical runtime makes its key itself and hands over only its number.
TEST(Tls, KeysMadeOutsideThisLayerAreReadAndSetPerThread) {
  votest::SystemTlsKey key;
  ASSERT_TRUE(votest::CreateSystemTlsKey(&key));
  const auto index = static_cast<uint32_t>(key);
  int mine = 1;
  ASSERT_TRUE(votest::SetSystemTlsValue(key, &mine));
  EXPECT_EQ(tlsGet(index), &mine);
  void* seenByOther = &mine;
  std::thread other([&] { seenByOther = tlsGet(index); });
  other.join();
  EXPECT_EQ(seenByOther, nullptr);
  int changed = 2;
  EXPECT_TRUE(tlsSet(index, &changed));
  EXPECT_EQ(votest::SystemTlsValue(key), &changed);
  tlsFree(index);  // not made here: left alone
  EXPECT_EQ(tlsGet(index), &changed);
  votest::DeleteSystemTlsKey(key);
  EXPECT_EQ(tlsGet(index), nullptr);
}

TEST(Tls, IndicesRunOutAndComeBack) {
  std::vector<uint32_t> taken;
  for (;;) {
    const uint32_t index = tlsAllocate();
    if (index == kNoTlsIndex) break;
    taken.push_back(index);
    ASSERT_LT(taken.size(), 100000u);
  }
  EXPECT_FALSE(taken.empty());
  for (uint32_t index : taken) tlsFree(index);
  const uint32_t index = tlsAllocate();
  EXPECT_NE(index, kNoTlsIndex);
  tlsFree(index);
}

}  // namespace
}  // namespace voplat
