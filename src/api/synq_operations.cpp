#include "api/synq_operations.h"

#include <cstring>

#include "api/channel.h"
#include "api/elaborate_status.h"
#include "api/records.h"
#include "api/sync_records.h"

namespace voapi {

bool foldSynqStatus(uint32_t session, int32_t status, voerr::Status* record) noexcept {
  if (!record) return status < 0;
  if (status != 0 && ElaborateStatus(session, status, *record) != 0 &&
      voerr::supersedes(record->code(), status)) {
    record->setCode(status);
    record->resetContext();
  }
  return record->isError();
}

namespace {

uint32_t sessionOf(SynqContext context) { return static_cast<uint32_t>(context); }

// ---- Interface 1: attributes ---------------------------------------------------

// Sends a set of `type` whose value block the caller has filled.
void sendSet(SynqContext context, const char* channel, uint32_t id, uint32_t type,
             const AttributeValue& value, voerr::Status* record) {
  const AttributeSetRequest request{makeAttributeRequest(kCmdAttributeSet, id, type, channel),
                                    value};
  const uint32_t session = sessionOf(context);
  foldSynqStatus(session, sendRecord(session, kFnFamilyRequest, request), record);
}

// Sends a get of `type`; false when the operation failed.
bool sendGet(SynqContext context, const char* channel, uint32_t id, uint32_t type,
             AttributeValue& value, voerr::Status* record) {
  value = AttributeValue{};
  const AttributeRequest request = makeAttributeRequest(kCmdAttributeGet, id, type, channel);
  const uint32_t session = sessionOf(context);
  return !foldSynqStatus(
      session, sendRecord(session, kFnFamilyRequest, request, &value, sizeof value), record);
}

uint8_t query(SynqContext context, const char* channel, uint32_t id, voerr::Status* record) {
  const AttributeRequest request = makeAttributeRequest(kCmdAttributeQuery, id, 0, channel);
  const uint32_t session = sessionOf(context);
  uint8_t answer = 0;
  const int32_t status = sendRecord(session, kFnFamilyRequest, request, &answer, sizeof answer);
  return foldSynqStatus(session, status, record) ? 0 : answer;
}

void setBoolean(SynqContext context, const char* channel, uint32_t id, uint8_t value,
                voerr::Status* record) {
  AttributeValue block{};
  block.boolean = value;
  sendSet(context, channel, id, kTypeBoolean, block, record);
}

void setDouble(SynqContext context, const char* channel, uint32_t id, double value,
               voerr::Status* record) {
  AttributeValue block{};
  block.f64 = value;
  sendSet(context, channel, id, kTypeDouble, block, record);
}

void setInt32(SynqContext context, const char* channel, uint32_t id, int32_t value,
              voerr::Status* record) {
  AttributeValue block{};
  block.i64 = value;
  sendSet(context, channel, id, kTypeInt32, block, record);
}

void setUInt32(SynqContext context, const char* channel, uint32_t id, uint32_t value,
               voerr::Status* record) {
  AttributeValue block{};
  block.u64 = value;
  sendSet(context, channel, id, kTypeUInt32, block, record);
}

void setUInt64(SynqContext context, const char* channel, uint32_t id, uint64_t value,
               voerr::Status* record) {
  AttributeValue block{};
  block.u64 = value;
  sendSet(context, channel, id, kTypeUInt64, block, record);
}

void setString(SynqContext context, const char* channel, uint32_t id, const char* text,
               voerr::Status* record) {
  AttributeValue block{};
  copyTextField(block.text, sizeof block.text, text ? text : "");
  sendSet(context, channel, id, kTypeString, block, record);
}

void setStrings(SynqContext context, const char* channel, uint32_t id, const char* const* texts,
                uint64_t count, voerr::Status* record) {
  setString(context, channel, id, count != 0 && texts ? texts[0] : "", record);
}

uint8_t getBoolean(SynqContext context, const char* channel, uint32_t id, voerr::Status* record) {
  AttributeValue value;
  return sendGet(context, channel, id, kTypeBoolean, value, record) ? value.boolean : 0;
}

double getDouble(SynqContext context, const char* channel, uint32_t id, voerr::Status* record) {
  AttributeValue value;
  return sendGet(context, channel, id, kTypeDouble, value, record) ? value.f64 : 0.0;
}

int32_t getInt32(SynqContext context, const char* channel, uint32_t id, voerr::Status* record) {
  AttributeValue value;
  return sendGet(context, channel, id, kTypeInt32, value, record)
             ? static_cast<int32_t>(static_cast<uint32_t>(value.i64))
             : 0;
}

uint32_t getUInt32(SynqContext context, const char* channel, uint32_t id, voerr::Status* record) {
  AttributeValue value;
  return sendGet(context, channel, id, kTypeUInt32, value, record)
             ? static_cast<uint32_t>(value.u64)
             : 0;
}

uint64_t getUInt64(SynqContext context, const char* channel, uint32_t id, voerr::Status* record) {
  AttributeValue value;
  return sendGet(context, channel, id, kTypeUInt64, value, record) ? value.u64 : 0;
}

// The text of a string get, terminated within the response's field; empty
// when the get failed.
struct FetchedText {
  char text[kStringValueField + 1] = {};
  uint64_t length = 0;
};

FetchedText fetchText(SynqContext context, const char* channel, uint32_t id,
                      voerr::Status* record) {
  FetchedText fetched;
  AttributeValue value;
  if (sendGet(context, channel, id, kTypeString, value, record)) {
    fetched.length = strnlen(value.text, sizeof value.text);
    std::memcpy(fetched.text, value.text, fetched.length);
  }
  return fetched;
}

int32_t getString(SynqContext context, const char* channel, uint32_t id, uint64_t cookie,
                  SynqTextCallback callback, voerr::Status* record) {
  const FetchedText fetched = fetchText(context, channel, id, record);
  return callback ? callback(cookie, fetched.text, fetched.length, record) : 0;
}

int32_t getStrings(SynqContext context, const char* channel, uint32_t id, uint64_t cookie,
                   SynqTextArrayCallback callback, voerr::Status* record) {
  const FetchedText fetched = fetchText(context, channel, id, record);
  const char* texts[1] = {fetched.text};
  const uint64_t lengths[1] = {fetched.length};
  return callback ? callback(cookie, texts, 1, lengths, record) : 0;
}

// ---- Interfaces 2 to 5: synchronisation commands -------------------------------

// Sends one command; true when the operation failed.
template <typename Request>
bool sendSynq(SynqContext context, const Request& request, voerr::Status* record,
              void* output = nullptr, uint64_t outputSize = 0) {
  const uint32_t session = sessionOf(context);
  const int32_t status = sendRecord(session, kFnFamilyRequest, request, output, outputSize);
  return foldSynqStatus(session, status, record);
}

template <SynqCommand command>
void plainCommand(SynqContext context, voerr::Status* record) {
  sendSynq(context, SynqRequest{synqHead(command)}, record);
}

template <SynqCommand command>
void argumentCommand(SynqContext context, uint32_t a, voerr::Status* record) {
  sendSynq(context, SynqU32Request{synqHead(command), a}, record);
}

template <SynqCommand command>
void doubleCommand(SynqContext context, double a, double b, voerr::Status* record) {
  sendSynq(context, SynqF64PairRequest{synqHead(command), a, b}, record);
}

uint8_t query12(SynqContext context, voerr::Status* record) {
  uint8_t answer = 0;
  const bool failed =
      sendSynq(context, SynqRequest{synqHead(kSynqQuery)}, record, &answer, sizeof answer);
  return failed ? 0 : answer;
}

double measure5(SynqContext context, uint32_t a, uint32_t* out1, uint32_t* out2,
                voerr::Status* record) {
  SynqMeasureResponse response{};
  const bool failed = sendSynq(context, SynqU32Request{synqHead(kSynqMeasure), a}, record,
                               &response, sizeof response);
  if (failed) response = SynqMeasureResponse{};
  if (out1) *out1 = response.out1;
  if (out2) *out2 = response.out2;
  return response.value;
}

void command13(SynqContext context, uint8_t* flag, voerr::Status* record) {
  // The flag tells the caller that the command went out, whatever it answers.
  if (flag) *flag = 1;
  sendSynq(context, SynqRequest{synqHead(kSynqCommand13)}, record);
}

void command6(SynqContext context, uint32_t a, uint32_t b, voerr::Status* record) {
  sendSynq(context, SynqU32PairRequest{synqHead(kSynqCommand6), a, b}, record);
}

void command9(SynqContext context, double a, voerr::Status* record) {
  sendSynq(context, SynqF64Request{synqHead(kSynqCommand9), a}, record);
}

constexpr SynqAttributeOps kAttributeOps{
    &query,     &setBoolean, &setDouble,  &setInt32,   &setUInt32,
    &setUInt64, &setString,  &setStrings, &getBoolean, &getDouble,
    &getInt32,  &getUInt32,  &getUInt64,  &getString,  &getStrings,
};

constexpr SynqControlOps kControlOps{
    &plainCommand<kSynqCommand10>,
    &plainCommand<kSynqCommand11>,
    &query12,
};

constexpr SynqArgumentOps kArgumentOps{
    &argumentCommand<kSynqCommand2>,
    &argumentCommand<kSynqCommand3>,
    &argumentCommand<kSynqPulse>,
    &argumentCommand<kSynqCommand4>,
    &measure5,
};

constexpr SynqFlagOps kFlagOps{&command13, &plainCommand<kSynqCommand14>};

constexpr SynqValueOps kValueOps{
    &command6,
    &doubleCommand<kSynqCommand7>,
    &doubleCommand<kSynqCommand8>,
    &command9,
};

}  // namespace

const SynqAttributeOps& synqAttributeOps() noexcept { return kAttributeOps; }
const SynqControlOps& synqControlOps() noexcept { return kControlOps; }
const SynqArgumentOps& synqArgumentOps() noexcept { return kArgumentOps; }
const SynqFlagOps& synqFlagOps() noexcept { return kFlagOps; }
const SynqValueOps& synqValueOps() noexcept { return kValueOps; }

void fillSynqInterfaces(uint32_t session,
                        SynqInterfaceEntry (&entries)[kSynqInterfaceCount]) noexcept {
  const uint64_t context = session;
  entries[0] = {&kAttributeOps, context};
  entries[1] = {&kControlOps, context};
  entries[2] = {&kArgumentOps, context};
  entries[3] = {&kFlagOps, context};
  entries[4] = {&kValueOps, context};
}

}  // namespace voapi
