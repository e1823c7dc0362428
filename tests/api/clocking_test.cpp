// Clocks, routes, the sync pulse and the error elaboration against exact
// request bytes, with the driver's answers scripted.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "api/acquisition_wire.h"
#include "api/elaborate_status.h"
#include "status/status.h"
#include "support/request_recorder.h"
#include "votarsinapi.h"

namespace {

using namespace acqtest;
using votest::RecordedRequest;
using votest::RequestRecorder;

constexpr uint32_t kSession = 0x0303;
constexpr uint32_t kReferenceClockSource = 0x1000000B;
constexpr uint32_t kSampleClockSource = 0x10000013;
constexpr uint32_t kTimebaseRate = 0x20000017;

Bytes routeRecord(const std::string& t1, const std::string& t2) {
  Bytes bytes = familyRecord(1044, kRouteFamily, 0);
  std::memcpy(bytes.data() + 20, t1.data(), std::min<size_t>(t1.size(), 511));
  std::memcpy(bytes.data() + 532, t2.data(), std::min<size_t>(t2.size(), 511));
  return bytes;
}

Bytes unrouteRecord(uint32_t route) {
  Bytes bytes = familyRecord(24, kRouteFamily, 1);
  put(bytes, 20, route);
  return bytes;
}

Bytes elaborationRecord(int32_t status) {
  Bytes bytes(4);
  put(bytes, 0, status);
  return bytes;
}

Bytes text(const std::string& s) { return Bytes(s.c_str(), s.c_str() + s.size() + 1); }

using Clocking = RecordedRequests;

// ---- Clocks -----------------------------------------------------------------

TEST_F(Clocking, ReferenceClockDefaultResetsTheSourceInsteadOfWritingZero) {
  answerAll(2);
  EXPECT_EQ(0, voTarsin_ConfigureForReferenceClock(kSession, 0));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{resetRecord(kReferenceClockSource, ""),
                                          setI32(kSampleClockSource, "", 0)}));
  EXPECT_FALSE(recorder.requests()[0].hadOutput);

  recorder.clear();
  answerAll(2);
  EXPECT_EQ(0, voTarsin_ConfigureForReferenceClock(kSession, 3));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{setI32(kReferenceClockSource, "", 3),
                                          setI32(kSampleClockSource, "", 0)}));
}

TEST_F(Clocking, ReferenceClockCombinesItsTwoSteps) {
  answer(5);
  answer(0);
  EXPECT_EQ(5, voTarsin_ConfigureForReferenceClock(kSession, 0));
  recorder.clear();
  answer(-5);
  EXPECT_EQ(-5, voTarsin_ConfigureForReferenceClock(kSession, 2));
  EXPECT_EQ(recorder.count(), 1u);
  recorder.clear();
  answer(5);
  answer(-6);
  EXPECT_EQ(-6, voTarsin_ConfigureForReferenceClock(kSession, 1));
}

TEST_F(Clocking, ExternalClockTakesOnlySelectorZero) {
  EXPECT_EQ(-304410, voTarsin_ConfigureForExternalClock(kSession, 1, 10e6));
  EXPECT_EQ(-304410, voTarsin_ConfigureForExternalClock(kSession, -1, 10e6));
  EXPECT_EQ(recorder.count(), 0u);

  answerAll(2);
  EXPECT_EQ(0, voTarsin_ConfigureForExternalClock(kSession, 0, 125e6));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{setI32(kSampleClockSource, "", 1),
                                          setF64(kTimebaseRate, "", 125e6)}));
  recorder.clear();
  answer(0);
  answer(9);
  EXPECT_EQ(9, voTarsin_ConfigureForExternalClock(kSession, 0, 1));
  recorder.clear();
  answer(-9);
  EXPECT_EQ(-9, voTarsin_ConfigureForExternalClock(kSession, 0, 1));
  EXPECT_EQ(recorder.count(), 1u);
}

// ---- Routes -----------------------------------------------------------------

TEST_F(Clocking, RoutePacksBothNamesAndReturnsTheIdentifier) {
  answer(0, Bytes{0x78, 0x56, 0x34, 0x12});
  uint32_t route = 0;
  EXPECT_EQ(0, voTarsin_RouteSignal(kSession, "PFI0", "PXI_Trig3", &route));
  EXPECT_EQ(route, 0x12345678u);
  ASSERT_EQ(recorder.count(), 1u);
  EXPECT_EQ(recorder.requests()[0].input, routeRecord("PFI0", "PXI_Trig3"));
  EXPECT_EQ(recorder.requests()[0].outputSize, 4u);

  answer(0, Bytes{1, 0, 0, 0});
  EXPECT_EQ(0, voTarsin_RouteSignal(kSession, "", "", nullptr));
  EXPECT_EQ(recorder.requests()[1].input, routeRecord("", ""));
}

TEST_F(Clocking, RouteNamesAreCutAt511Characters) {
  const std::string n511(511, 'a'), n512 = std::string(511, 'b') + 'X', n600(600, 'c');
  answerAll(2);
  EXPECT_EQ(0, voTarsin_RouteSignal(kSession, n600.c_str(), n511.c_str(), nullptr));
  EXPECT_EQ(0, voTarsin_RouteSignal(kSession, n512.c_str(), n600.c_str(), nullptr));
  const auto requests = recorder.requests();
  EXPECT_EQ(requests[0].input, routeRecord(n600, n511));
  EXPECT_EQ(requests[1].input, routeRecord(n512, n600));
  EXPECT_EQ(requests[0].input[531], 0);
  EXPECT_EQ(requests[0].input[1043], 0);
  EXPECT_EQ(requests[1].input[530], 'b');
}

TEST_F(Clocking, RouteStoresTheIdentifierAlsoAfterAFailure) {
  RawHook hook([](const RecordedRequest& r, void* out) {
    RawHook::write(r, out, Bytes{7, 0, 0, 0});
    return -31;
  });
  uint32_t route = 0;
  EXPECT_EQ(-31, voTarsin_RouteSignal(kSession, "A", "B", &route));
  EXPECT_EQ(route, 7u);
}

TEST_F(Clocking, NullTerminalNamesAreRefusedWithoutSending) {
  uint32_t route = 55;
  EXPECT_EQ(-52005, voTarsin_RouteSignal(kSession, nullptr, "B", &route));
  EXPECT_EQ(-52005, voTarsin_RouteSignal(kSession, "A", nullptr, &route));
  EXPECT_EQ(-52005, voTarsin_RouteSignal(kSession, nullptr, nullptr, nullptr));
  EXPECT_EQ(route, 55u);
  EXPECT_EQ(recorder.count(), 0u);
}

TEST_F(Clocking, UnrouteSendsTheIdentifier) {
  answer(0);
  answer(-2);
  EXPECT_EQ(0, voTarsin_UnrouteSignal(kSession, 0xCAFEF00D));
  EXPECT_EQ(-2, voTarsin_UnrouteSignal(kSession, 0));
  EXPECT_EQ(inputs(), (std::vector<Bytes>{unrouteRecord(0xCAFEF00D), unrouteRecord(0)}));
  EXPECT_FALSE(recorder.requests()[0].hadOutput);
}

// ---- Sync pulse -------------------------------------------------------------

TEST_F(Clocking, ASuccessfulPulseIsOneRequest) {
  answer(0);
  EXPECT_EQ(0, voTarsin_SendSyncPulse(kSession));
  ASSERT_EQ(recorder.count(), 1u);
  Bytes expected = familyRecord(24, kSyncFamily, 1);
  EXPECT_EQ(recorder.requests()[0].input, expected);
  EXPECT_FALSE(recorder.requests()[0].hadOutput);
}

TEST_F(Clocking, AFailedPulseIsElaboratedAndReported) {
  for (int32_t pulse : {-77, 12}) {
    recorder.clear();
    answer(pulse);
    answer(0, text("{\"a\":1}"));
    EXPECT_EQ(pulse, voTarsin_SendSyncPulse(kSession));
    const auto requests = recorder.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].function, 800u);
    EXPECT_EQ(requests[1].input, elaborationRecord(pulse));
    EXPECT_EQ(requests[1].outputSize, 8192u);
  }
}

TEST_F(Clocking, APulseFailureSurvivesAFailedElaboration) {
  answer(-77);
  answer(-1);
  EXPECT_EQ(-77, voTarsin_SendSyncPulse(kSession));
  EXPECT_EQ(recorder.count(), 2u);
}

// ---- ElaborateStatus --------------------------------------------------------

class Elaboration : public Clocking {
 protected:
  voerr::Status record;
};

TEST_F(Elaboration, AnEmptyRecordTakesTheStatusAndTheDriversText) {
  answer(0, text("{\"error_constant\":\"x\"}"));
  EXPECT_EQ(0, voapi::ElaborateStatus(kSession, -61014, record));
  EXPECT_EQ(record.code(), -61014);
  EXPECT_STREQ(record.contextText(), "{\"error_constant\":\"x\"}");
  ASSERT_EQ(recorder.count(), 1u);
  const RecordedRequest r = recorder.requests()[0];
  EXPECT_EQ(r.session, kSession);
  EXPECT_EQ(r.group, 2u);
  EXPECT_EQ(r.function, 800u);
  EXPECT_EQ(r.input, elaborationRecord(-61014));
  EXPECT_EQ(r.outputSize, 8192u);
}

TEST_F(Elaboration, AnErrorHeldStaysButTheTextIsReplaced) {
  VOERR_RAISE(record, -304405, "first");
  answer(0, text("{\"second\":true}"));
  EXPECT_EQ(0, voapi::ElaborateStatus(kSession, -50400, record));
  EXPECT_EQ(record.code(), -304405);
  EXPECT_STREQ(record.contextText(), "{\"second\":true}");
}

TEST_F(Elaboration, AWarningGivesWayToAnErrorButNotToAWarning) {
  record.setCode(5);
  answer(0, text("{\"w\":2}"));
  voapi::ElaborateStatus(kSession, 6, record);
  EXPECT_EQ(record.code(), 5);
  EXPECT_STREQ(record.contextText(), "{\"w\":2}");
  answer(0, text("{\"e\":3}"));
  voapi::ElaborateStatus(kSession, -3, record);
  EXPECT_EQ(record.code(), -3);
  EXPECT_STREQ(record.contextText(), "{\"e\":3}");
}

TEST_F(Elaboration, SessionZeroSendsNothingAndLeavesAnEmptyText) {
  VOERR_RAISE(record, 4, "a warning");  // a record with a context of its own
  EXPECT_EQ(0, voapi::ElaborateStatus(0, -52005, record));
  EXPECT_EQ(record.code(), -52005);
  EXPECT_TRUE(record.hasContext());
  EXPECT_STREQ(record.contextText(), "");
  EXPECT_EQ(recorder.count(), 0u);
}

TEST_F(Elaboration, AFailedElaborationLeavesTheRecordUnchanged) {
  VOERR_RAISE(record, 3, "kept");
  const std::string before = record.contextText();
  answer(-61002, text("{\"ignored\":1}"));
  EXPECT_EQ(-61002, voapi::ElaborateStatus(kSession, -9, record));
  EXPECT_EQ(record.code(), 3);
  EXPECT_EQ(before, record.contextText());

  // A warning from the elaboration request is a failure of that request too.
  answer(2, text("{}"));
  EXPECT_EQ(2, voapi::ElaborateStatus(kSession, -9, record));
  EXPECT_EQ(record.code(), 3);
}

// A buffer policy that never grows beyond 512 bytes.
bool capped(voerr::Status* status, uint32_t capacity) {
  return capacity <= 512 && voerr::defaultReallocate(status, capacity);
}

TEST_F(Elaboration, ATextTooLongToKeepLeavesAnEmptyObjectWhenTheCodeChanged) {
  const Bytes longText = text("{\"long\":\"" + std::string(600, 'x') + "\"}");
  // The old context described another code; it must not stay behind.
  voerr::Status taking(&capped);
  VOERR_RAISE(taking, 7, "old warning");
  answer(0, longText);
  EXPECT_EQ(0, voapi::ElaborateStatus(kSession, -8, taking));
  EXPECT_EQ(taking.code(), -8);
  EXPECT_STREQ(taking.contextText(), "{}");

  // Without a change of code the old context still belongs to the code.
  voerr::Status keeping(&capped);
  VOERR_RAISE(keeping, -7, "old error");
  const std::string before = keeping.contextText();
  answer(0, longText);
  EXPECT_EQ(0, voapi::ElaborateStatus(kSession, -8, keeping));
  EXPECT_EQ(keeping.code(), -7);
  EXPECT_EQ(before, keeping.contextText());
}

TEST_F(Elaboration, AnUnterminatedAnswerIsReadToTheEndOfTheBufferOnly) {
  Bytes full(8192, 'z');
  full[0] = '"';
  answer(0, full);
  EXPECT_EQ(0, voapi::ElaborateStatus(kSession, -1, record));
  EXPECT_EQ(std::string(record.contextText()).size(), 8192u);
  EXPECT_EQ(record.code(), -1);
}

}  // namespace
