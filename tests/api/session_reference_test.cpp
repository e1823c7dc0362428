// Session references against the device model and the session-registry
// stand-in. Each case uses a registry of its own, except those of the
// exported entry point, which use the process's.
#include "api/session_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "api/maintenance_support.h"
#include "api/synq_operations.h"
#include "status/codes.h"
#include "voajel_standin.h"
#include "votarsinapi.h"

namespace {

using namespace mnttest;
using voapi::SessionReferences;
using Entries = std::vector<std::pair<uint32_t, uint32_t>>;

constexpr uint32_t kReferenceAttribute = 0x10000007;

Bytes probeRecord() { return familyRecord(20, kSyncFamily, 0); }
Bytes referenceGet() { return attributeRecord(721, kReferenceAttribute, kWireI32, ""); }
Bytes referenceSet(uint32_t key) {
  return setRecord<int64_t>(kReferenceAttribute, kWireI32, "", 8, static_cast<int32_t>(key));
}

int32_t deviceReference(Session session) {
  int32_t value = -1;
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, nullptr, kReferenceAttribute, &value));
  return value;
}

class SessionReference : public ::testing::Test {
 protected:
  void SetUp() override {
    VoDev_Reset();
    VoAjel_Reset();
  }
  Session open(const char* resource) {
    Session session = 0;
    EXPECT_EQ(0, voTarsin_OpenSession(resource, nullptr, 0, &session));
    return session;
  }
  SessionReferences references;
};

TEST_F(SessionReference, ADeviceThatHoldsAReferenceKeepsIt) {
  const Session session = open("RIO0");
  ASSERT_EQ(0, voTarsin_SetAttributeInt32(session, nullptr, kReferenceAttribute, 42));
  ScriptedDevice device;
  uint32_t reference = 0;
  EXPECT_EQ(0, references.getReference(session, &reference));
  EXPECT_EQ(reference, 42u);
  EXPECT_EQ(device.inputs(), (std::vector<Bytes>{probeRecord(), referenceGet()}));
  EXPECT_EQ(VoAjel_RegistrationCount(), 0u);
  EXPECT_TRUE(references.entries().empty());
}

TEST_F(SessionReference, FirstRequestRegistersTheOperationTable) {
  const Session session = open("RIO1");
  ScriptedDevice device;
  uint32_t reference = 0;
  ASSERT_EQ(0, references.getReference(session, &reference));
  const uint32_t key = VoAjel_LastKey();
  ASSERT_NE(key, 0u);
  EXPECT_EQ(reference, key);
  EXPECT_EQ(device.inputs(),
            (std::vector<Bytes>{probeRecord(), referenceGet(), referenceSet(key)}));
  EXPECT_EQ(deviceReference(session), static_cast<int32_t>(key));
  EXPECT_EQ(references.entries(), (Entries{{session, key}}));

  const void* expectedTables[] = {&voapi::synqAttributeOps(), &voapi::synqControlOps(),
                                  &voapi::synqArgumentOps(), &voapi::synqFlagOps(),
                                  &voapi::synqValueOps()};
  for (uint32_t i = 0; i < 5; ++i) {
    const void* table = nullptr;
    uint64_t context = 0;
    ASSERT_EQ(0, VoAjel_GetInterface(key, i, &table, &context));
    EXPECT_EQ(table, expectedTables[i]) << "interface " << i + 1;
    EXPECT_EQ(context, session) << "interface " << i + 1;
  }
  VoAjelRegistration arguments{};
  ASSERT_EQ(0, VoAjel_GetRegistration(key, &arguments));
  EXPECT_EQ(arguments.version, 0x01000000u);
  EXPECT_EQ(arguments.flags, 0x01000000u);
  EXPECT_EQ(arguments.reserved1, 0u);
  EXPECT_EQ(arguments.reserved2, 0u);

  // The device now answers with the key: no second registration.
  device.clear();
  uint32_t again = 0;
  EXPECT_EQ(0, references.getReference(session, &again));
  EXPECT_EQ(again, key);
  EXPECT_EQ(device.inputs(), (std::vector<Bytes>{probeRecord(), referenceGet()}));
  EXPECT_EQ(VoAjel_RegistrationCount(), 1u);
}

TEST_F(SessionReference, NullReferenceIsRefusedAfterTheProbe) {
  const Session session = open("RIO2");
  ScriptedDevice device;
  EXPECT_EQ(-1, references.getReference(session, nullptr));
  EXPECT_EQ(device.inputs(), (std::vector<Bytes>{probeRecord()}));
}

TEST_F(SessionReference, AFailedProbeOrReadEndsTheCallWithItsStatus) {
  constexpr uint32_t kSession = 0x0151;
  ScriptedDevice device;
  uint32_t reference = 99;
  device.push(-5);
  EXPECT_EQ(-5, references.getReference(kSession, &reference));
  EXPECT_EQ(device.count(), 1u);
  device.push(4);
  EXPECT_EQ(4, references.getReference(kSession, &reference));
  EXPECT_EQ(device.count(), 2u);
  // A warning of the read ends the call too, before the reference is stored.
  device.push(0);
  device.push(6, valueBlock<int64_t>(8, 0));
  EXPECT_EQ(6, references.getReference(kSession, &reference));
  device.push(0);
  device.push(-7);
  EXPECT_EQ(-7, references.getReference(kSession, &reference));
  EXPECT_EQ(reference, 99u);
  EXPECT_EQ(VoAjel_RegistrationCount(), 0u);
}

TEST_F(SessionReference, EntriesOfSessionsGoneAwayArePrunedAtTheNextRegistration) {
  const Session a = open("RIO0");
  const Session b = open("RIO1");
  uint32_t keyA = 0, keyB = 0;
  ASSERT_EQ(0, references.getReference(a, &keyA));
  ASSERT_EQ(0, references.getReference(b, &keyB));
  ASSERT_EQ(references.entries(), (Entries{{a, keyA}, {b, keyB}}));

  // A closed session no longer answers: its entry goes, its key is given back.
  ASSERT_EQ(0, voTarsin_CloseSession(a, 0));
  const Session c = open("RIO2");
  ScriptedDevice device;
  uint32_t keyC = 0;
  ASSERT_EQ(0, references.getReference(c, &keyC));
  EXPECT_FALSE(VoAjel_IsRegistered(keyA));
  EXPECT_TRUE(VoAjel_IsRegistered(keyB));
  EXPECT_TRUE(VoAjel_IsRegistered(keyC));
  EXPECT_EQ(VoAjel_UnregistrationCount(), 1u);
  EXPECT_EQ(references.entries(), (Entries{{b, keyB}, {c, keyC}}));
  // The prune read every entry in handle order between the read and the registration.
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 5u);
  EXPECT_EQ(requests[2].session, a);
  EXPECT_EQ(requests[2].input, referenceGet());
  EXPECT_EQ(requests[3].session, b);
  EXPECT_EQ(requests[3].input, referenceGet());
  EXPECT_EQ(requests[4].input, referenceSet(keyC));

  // A session whose device forgot its reference is registered anew; its old
  // entry is pruned first.
  ASSERT_EQ(0, voTarsin_SetAttributeInt32(b, nullptr, kReferenceAttribute, 0));
  uint32_t keyB2 = 0;
  ASSERT_EQ(0, references.getReference(b, &keyB2));
  EXPECT_NE(keyB2, keyB);
  EXPECT_FALSE(VoAjel_IsRegistered(keyB));
  EXPECT_EQ(references.entries(), (Entries{{b, keyB2}, {c, keyC}}));
  EXPECT_EQ(VoAjel_RegistrationsFor(b), 2u);
}

TEST_F(SessionReference, ARegistrationWithoutAKeyStoresNothing) {
  const Session session = open("RIO3");
  ScriptedDevice device;
  uint32_t reference = 99;
  VoAjel_FailNextRegistration(VOAJEL_E_REFUSED);
  EXPECT_EQ(VOAJEL_E_REFUSED, references.getReference(session, &reference));
  // Key 0 without a reason.
  VoAjel_FailNextRegistration(0);
  EXPECT_EQ(voerr::kSoftwareFault, references.getReference(session, &reference));
  EXPECT_EQ(reference, 0u);  // the device's "none", read before registering
  EXPECT_TRUE(references.entries().empty());
  for (const Bytes& input : device.inputs()) EXPECT_NE(input.size(), 565u) << "a write was sent";
  EXPECT_EQ(deviceReference(session), 0);

  ASSERT_EQ(0, references.getReference(session, &reference));
  EXPECT_EQ(reference, VoAjel_LastKey());
}

TEST_F(SessionReference, AKeyTheDeviceRefusesIsTakenBack) {
  const Session session = open("RIO4");
  ScriptedDevice device;
  int32_t writeStatus = -7;
  device.respond([&](const RecordedRequest& r, ScriptedDevice::Answer& answer) {
    if (r.function != 256 || r.field<uint32_t>(16) != 722) return false;
    answer.status = writeStatus;
    return true;
  });
  uint32_t reference = 99;
  EXPECT_EQ(-7, references.getReference(session, &reference));
  const uint32_t refused = VoAjel_LastKey();
  EXPECT_NE(refused, 0u);
  EXPECT_FALSE(VoAjel_IsRegistered(refused));
  EXPECT_EQ(VoAjel_UnregistrationCount(), 1u);
  EXPECT_EQ(reference, 0u);
  EXPECT_TRUE(references.entries().empty());

  // A warning of the write does not undo the registration.
  writeStatus = 5;
  EXPECT_EQ(0, references.getReference(session, &reference));
  EXPECT_EQ(reference, VoAjel_LastKey());
  EXPECT_TRUE(VoAjel_IsRegistered(reference));
  EXPECT_EQ(references.entries(), (Entries{{session, reference}}));
}

bool missingLibrary(voapi::VoajelBinding&, voerr::Status& status) {
  VOERR_RAISE(status, voerr::kInvalidParameter, voerr::kInvalidParameterName);
  return false;
}
bool silentFailure(voapi::VoajelBinding&, voerr::Status&) { return false; }

TEST_F(SessionReference, AMissingRegistryLibraryIsReported) {
  const Session session = open("RIO5");
  uint32_t reference = 99;
  {
    SessionReferences unbound(&missingLibrary);
    ScriptedDevice device;
    EXPECT_EQ(-52005, unbound.getReference(session, &reference));
    EXPECT_EQ(device.inputs(), (std::vector<Bytes>{probeRecord(), referenceGet()}));
  }
  SessionReferences silent(&silentFailure);
  EXPECT_EQ(-52006, silent.getReference(session, &reference));
  EXPECT_EQ(reference, 0u);  // the device's 0 was read before registering
  EXPECT_EQ(deviceReference(session), 0);
}

TEST_F(SessionReference, AMissingLockIsReportedInsteadOfGoingOnUnguarded) {
  voerr::FixedStatus block;
  ASSERT_TRUE(block.set(-52000, "votarsinapi", "session_reference.cpp", 12));
  SessionReferences lockless(&voapi::bindVoajel, nullptr, block);
  ScriptedDevice device;
  uint32_t reference = 99;
  EXPECT_EQ(-52000, lockless.getReference(0x0161, &reference));
  EXPECT_EQ(reference, 99u);
  EXPECT_EQ(device.count(), 0u);
  EXPECT_TRUE(lockless.entries().empty());

  EXPECT_EQ(SessionReferences::process().lockStatus().code, 0);
}

TEST(ReferenceLock, CreationFailuresMapToTheLibrarysCodes) {
  EXPECT_EQ(voapi::lockFailureCode(6), -52005);
  EXPECT_EQ(voapi::lockFailureCode(87), -52005);
  EXPECT_EQ(voapi::lockFailureCode(8), -52000);
  EXPECT_EQ(voapi::lockFailureCode(14), -52000);
  EXPECT_EQ(voapi::lockFailureCode(5), -52008);
  EXPECT_EQ(voapi::lockFailureCode(0), -52008);
}

TEST_F(SessionReference, ExportedEntryPointRegistersOncePerSession) {
  const Session session = open("RIO6");
  uint32_t reference = 0;
  ASSERT_EQ(0, voTarsin_GetSessionReference(session, &reference));
  EXPECT_NE(reference, 0u);
  EXPECT_TRUE(VoAjel_IsRegistered(reference));
  uint32_t again = 0;
  ASSERT_EQ(0, voTarsin_GetSessionReference(session, &again));
  EXPECT_EQ(again, reference);
  EXPECT_EQ(VoAjel_RegistrationsFor(session), 1u);
  const Entries entries = SessionReferences::process().entries();
  EXPECT_NE(std::find(entries.begin(), entries.end(), std::make_pair(session, reference)),
            entries.end());
  EXPECT_EQ(-1, voTarsin_GetSessionReference(session, nullptr));
}

}  // namespace
