// The session-registry stand-in on its own: keys, kept registrations, and the
// answers to bad input.
#include "voajel_standin.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

int dummy[5];

struct Record {
  int32_t code = 0;
  uint32_t other = 0xA5A5A5A5;  // must stay as it was
};

VoAjelInterface pair(int i, uint64_t context) { return {&dummy[i], context}; }

class VoajelStandin : public ::testing::Test {
 protected:
  void SetUp() override { VoAjel_Reset(); }
};

TEST_F(VoajelStandin, KeysRiseAndRegistrationsAreKeptUntilUnregistered) {
  const VoAjelInterface pairs[5] = {pair(0, 7), pair(1, 7), pair(2, 7), pair(3, 7), pair(4, 7)};
  Record record;
  const uint32_t first = voajel_registerSessionGetKey(1, 2, pairs, 3, 4, &record);
  const uint32_t second = voajel_registerSessionGetKey(1, 2, pairs, 3, 4, nullptr);
  EXPECT_NE(first, 0u);
  EXPECT_EQ(second, first + 1);
  EXPECT_EQ(VoAjel_LastKey(), second);
  EXPECT_EQ(record.code, 0);
  EXPECT_EQ(VoAjel_RegistrationCount(), 2u);
  EXPECT_EQ(VoAjel_RegistrationsFor(7), 2u);

  const void* table = nullptr;
  uint64_t context = 0;
  EXPECT_EQ(0, VoAjel_GetInterface(first, 3, &table, &context));
  EXPECT_EQ(table, &dummy[3]);
  EXPECT_EQ(context, 7u);
  VoAjelRegistration arguments{};
  EXPECT_EQ(0, VoAjel_GetRegistration(first, &arguments));
  EXPECT_EQ(arguments.version, 1u);
  EXPECT_EQ(arguments.flags, 2u);
  EXPECT_EQ(arguments.reserved1, 3u);
  EXPECT_EQ(arguments.reserved2, 4u);

  EXPECT_EQ(0, voajel_unregisterSession(first, &record));
  EXPECT_FALSE(VoAjel_IsRegistered(first));
  EXPECT_TRUE(VoAjel_IsRegistered(second));
  EXPECT_EQ(VoAjel_UnregistrationCount(), 1u);

  // Keys are never reused, not even after a reset.
  VoAjel_Reset();
  EXPECT_FALSE(VoAjel_IsRegistered(second));
  EXPECT_GT(voajel_registerSessionGetKey(1, 2, pairs, 0, 0, nullptr), second);
}

TEST_F(VoajelStandin, BadInputIsReportedIntoTheCallersRecord) {
  Record record;
  EXPECT_EQ(0u, voajel_registerSessionGetKey(0, 0, nullptr, 0, 0, &record));
  EXPECT_EQ(record.code, VOAJEL_E_INVALID_ARGUMENT);
  EXPECT_EQ(record.other, 0xA5A5A5A5u);

  const VoAjelInterface holed[5] = {pair(0, 1), pair(1, 1), {nullptr, 1}, pair(3, 1), pair(4, 1)};
  Record second;
  EXPECT_EQ(0u, voajel_registerSessionGetKey(0, 0, holed, 0, 0, &second));
  EXPECT_EQ(second.code, VOAJEL_E_INVALID_ARGUMENT);
  EXPECT_EQ(VoAjel_RegistrationCount(), 0u);

  // An error already in the record stays; a warning gives way.
  Record failed{-5};
  EXPECT_EQ(VOAJEL_E_UNKNOWN_KEY, voajel_unregisterSession(0xFFFFFFFF, &failed));
  EXPECT_EQ(failed.code, -5);
  Record warned{3};
  EXPECT_EQ(VOAJEL_E_UNKNOWN_KEY, voajel_unregisterSession(0xFFFFFFFF, &warned));
  EXPECT_EQ(warned.code, VOAJEL_E_UNKNOWN_KEY);
  EXPECT_EQ(VOAJEL_E_UNKNOWN_KEY, voajel_unregisterSession(0, nullptr));
  EXPECT_EQ(VoAjel_UnregistrationCount(), 0u);

  EXPECT_EQ(VOAJEL_E_UNKNOWN_KEY, VoAjel_GetInterface(12345, 0, nullptr, nullptr));
  EXPECT_EQ(VOAJEL_E_INVALID_ARGUMENT, VoAjel_GetRegistration(1, nullptr));
}

TEST_F(VoajelStandin, AScriptedFailureIsUsedUpByOneRegistration) {
  const VoAjelInterface pairs[5] = {pair(0, 2), pair(1, 2), pair(2, 2), pair(3, 2), pair(4, 2)};
  VoAjel_FailNextRegistration(VOAJEL_E_REFUSED);
  Record record;
  EXPECT_EQ(0u, voajel_registerSessionGetKey(0, 0, pairs, 0, 0, &record));
  EXPECT_EQ(record.code, VOAJEL_E_REFUSED);
  const uint32_t key = voajel_registerSessionGetKey(0, 0, pairs, 0, 0, nullptr);
  EXPECT_NE(key, 0u);
  const void* table = nullptr;
  EXPECT_EQ(VOAJEL_E_INVALID_ARGUMENT, VoAjel_GetInterface(key, 5, &table, nullptr));
  EXPECT_EQ(table, nullptr);
}

}  // namespace
