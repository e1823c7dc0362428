#include "api/clocking.h"

#include "api/attributes.h"
#include "api/channel.h"
#include "api/elaborate_status.h"
#include "api/step_status.h"
#include "api/stream_records.h"
#include "status/codes.h"
#include "status/status.h"

namespace voapi {
namespace {

constexpr uint32_t kAttrReferenceClockSource = 0x1000000B;
constexpr uint32_t kAttrSampleClockSource = 0x10000013;
constexpr uint32_t kAttrSampleClockTimebaseRate = 0x20000017;

// Device-wide attributes are addressed with the empty channel name.
constexpr const char* kDevice = nullptr;

int32_t resetAttribute(uint32_t session, uint32_t id, const char* channelName) {
  const AttributeRequest request = makeAttributeRequest(kCmdAttributeReset, id, 0, channelName);
  return sendRecord(session, kFnFamilyRequest, request);
}

int32_t writeSampleClockSource(uint32_t session, SampleClockSource source) {
  return WriteAttributeInt32(session, kAttrSampleClockSource, kDevice,
                             static_cast<int32_t>(source));
}

void copyTerminalName(char (&field)[kTerminalNameField], const char* name) {
  copyTextField(field, kTerminalNameField, name);
  field[kTerminalNameField - 1] = '\0';
}

}  // namespace

int32_t ConfigureForReferenceClock(uint32_t session, uint32_t source) noexcept {
  StepStatus steps;
  steps.add(source == static_cast<uint32_t>(ReferenceClockSource::kDefault)
                ? resetAttribute(session, kAttrReferenceClockSource, kDevice)
                : WriteAttributeInt32(session, kAttrReferenceClockSource, kDevice,
                                      static_cast<int32_t>(source))) &&
      steps.add(writeSampleClockSource(session, SampleClockSource::kInternal));
  return steps.result();
}

int32_t ConfigureForExternalClock(uint32_t session, int32_t selector, double rate) noexcept {
  if (selector != 0) return kInvalidClockSelector;
  StepStatus steps;
  steps.add(writeSampleClockSource(session, SampleClockSource::kFrontPanel)) &&
      steps.add(WriteAttributeDouble(session, kAttrSampleClockTimebaseRate, kDevice, rate));
  return steps.result();
}

int32_t RouteSignal(uint32_t session, const char* terminal1, const char* terminal2,
                    uint32_t* route) noexcept {
  if (!terminal1 || !terminal2) return voerr::kInvalidParameter;
  RouteRequest request;
  request.head = familyHead(kFamilyRoute, kCmdRoute);
  copyTerminalName(request.terminal1, terminal1);
  copyTerminalName(request.terminal2, terminal2);
  uint32_t identifier = 0;
  const int32_t status =
      sendRecord(session, kFnFamilyRequest, request, &identifier, sizeof identifier);
  if (route) *route = identifier;
  return status;
}

int32_t UnrouteSignal(uint32_t session, uint32_t route) noexcept {
  const UnrouteRequest request{familyHead(kFamilyRoute, kCmdUnroute), route};
  return sendRecord(session, kFnFamilyRequest, request);
}

int32_t SendSyncPulse(uint32_t session) noexcept {
  const SyncPulseRequest request{familyHead(kFamilySync, kCmdSyncPulse), 0};
  const int32_t status = sendRecord(session, kFnFamilyRequest, request);
  voerr::Status record;
  if (status != 0) ElaborateStatus(session, status, record);
  // The record stays empty when the elaboration request failed as well; the
  // pulse's failure must not turn into success because of that.
  return record.code() != 0 ? record.code() : status;
}

}  // namespace voapi
