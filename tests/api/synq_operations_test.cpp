// The operation table as the synchronisation software sees it: the tables are
// fetched from the session-registry stand-in under the key of a registered
// model session, and every operation is called through them with the
// driver's answers scripted.
#include "api/synq_operations.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "api/maintenance_support.h"
#include "api/session_reference.h"
#include "status/status.h"
#include "voajel_standin.h"
#include "votarsinapi.h"

namespace {

using namespace mnttest;
using voapi::SynqArgumentOps;
using voapi::SynqAttributeOps;
using voapi::SynqControlOps;
using voapi::SynqFlagOps;
using voapi::SynqValueOps;

constexpr size_t kElaborationSize = 8192;

Bytes synq(size_t size, uint32_t command) { return familyRecord(size, kSyncFamily, command); }

template <typename T>
Bytes synqWith(size_t size, uint32_t command, size_t at, T value) {
  Bytes bytes = synq(size, command);
  put(bytes, at, value);
  return bytes;
}

class SynqOperations : public ::testing::Test {
 public:  // the case table below reads the tables
  void SetUp() override {
    VoDev_Reset();
    VoAjel_Reset();
    ASSERT_EQ(0, voTarsin_OpenSession("RIO0", nullptr, 0, &session));
    uint32_t key = 0;
    ASSERT_EQ(0, references.getReference(session, &key));
    const void* tables[5] = {};
    for (uint32_t i = 0; i < 5; ++i) {
      ASSERT_EQ(0, VoAjel_GetInterface(key, i, &tables[i], &context));
      ASSERT_EQ(context, session);
    }
    attribute = static_cast<const SynqAttributeOps*>(tables[0]);
    control = static_cast<const SynqControlOps*>(tables[1]);
    argument = static_cast<const SynqArgumentOps*>(tables[2]);
    flagOps = static_cast<const SynqFlagOps*>(tables[3]);
    value = static_cast<const SynqValueOps*>(tables[4]);
    device = std::make_unique<ScriptedDevice>();
  }
  void TearDown() override {
    device.reset();
    voTarsin_CloseSession(session, 0);
  }

  // Answers the next request with `status` and the elaboration that
  // follows a non-zero status with `context`.
  void fail(int32_t status, const std::string& context) {
    device->push(status);
    device->push(0, text(context));
  }

  Session session = 0;
  uint64_t context = 0;
  voapi::SessionReferences references;
  std::unique_ptr<ScriptedDevice> device;
  const SynqAttributeOps* attribute = nullptr;
  const SynqControlOps* control = nullptr;
  const SynqArgumentOps* argument = nullptr;
  const SynqFlagOps* flagOps = nullptr;
  const SynqValueOps* value = nullptr;
};

// One operation: its request, the answer of a successful call and what the
// operation then returns (0 for those without a result).
struct Case {
  std::string name;
  Bytes request;
  uint64_t outputSize;
  Bytes response;
  double result;
  std::function<double(voerr::Status*)> call;
};

int32_t textLength(uint64_t cookie, const char* text, uint64_t length, voerr::Status*) {
  return static_cast<int32_t>(cookie + length + (text[0] == 'h' ? 1000 : 0));
}
int32_t textArrayLength(uint64_t cookie, const char* const* texts, uint64_t count,
                        const uint64_t* lengths, voerr::Status*) {
  return static_cast<int32_t>(cookie + lengths[0] + 10 * count + (texts[0][0] == 'h' ? 1000 : 0));
}

std::vector<Case> allOperations(const SynqOperations& t, uint64_t context) {
  const SynqAttributeOps& a = *t.attribute;
  const SynqControlOps& c = *t.control;
  const SynqArgumentOps& g = *t.argument;
  const SynqFlagOps& f = *t.flagOps;
  const SynqValueOps& v = *t.value;
  // IDs outside every type range prove that nothing checks them.
  constexpr uint32_t kId = 0x7000FFFF;
  Bytes i32Block = valueBlock<int64_t>(8, 0x00000001FFFFFFFELL);
  Bytes u32Block = valueBlock<uint64_t>(16, 0xABCD00000005ULL);
  Bytes measure(16, 0);
  put(measure, 0, 6.5);
  put<uint32_t>(measure, 8, 11);
  put<uint32_t>(measure, 12, 12);
  Bytes hello = valueBlock<char>(24, 'h');
  std::memcpy(hello.data() + 24, "hello", 5);
  auto flagOwner = std::make_shared<uint8_t>(0);  // kept alive by the case that uses it
  return {
      {"1.1 query",
       attributeRecord(724, kId, 0, "AI3"),
       1,
       {1},
       1,
       [=](voerr::Status* s) { return a.query(context, "AI3", kId, s); }},
      {"1.2 set boolean",
       setRecord<uint8_t>(kId, kWireBool, "", 280, 0x80),
       0,
       {},
       0,
       [=](voerr::Status* s) { return a.setBoolean(context, nullptr, kId, 0x80, s), 0.0; }},
      {"1.3 set double",
       setRecord(kId, kWireF64, "5", 0, 2.5),
       0,
       {},
       0,
       [=](voerr::Status* s) { return a.setDouble(context, "5", kId, 2.5, s), 0.0; }},
      {"1.4 set int32",
       setRecord<int64_t>(kId, kWireI32, "AI1", 8, -1),
       0,
       {},
       0,
       [=](voerr::Status* s) { return a.setInt32(context, "AI1", kId, -1, s), 0.0; }},
      {"1.5 set uint32",
       setRecord<uint64_t>(kId, kWireU32, "", 16, 0xFFFFFFFF),
       0,
       {},
       0,
       [=](voerr::Status* s) { return a.setUInt32(context, "", kId, 0xFFFFFFFF, s), 0.0; }},
      {"1.6 set uint64",
       setRecord<uint64_t>(kId, kWireU64, "", 16, 0x8000000000000001ULL),
       0,
       {},
       0,
       [=](voerr::Status* s) {
         return a.setUInt64(context, "", kId, 0x8000000000000001ULL, s), 0.0;
       }},
      {"1.7 set string",
       setRecord<char>(kId, kWireString, "", 24, 'x'),
       0,
       {},
       0,
       [=](voerr::Status* s) { return a.setString(context, "", kId, "x", s), 0.0; }},
      {"1.8 set strings",
       setRecord<char>(kId, kWireString, "", 24, 'y'),
       0,
       {},
       0,
       [=](voerr::Status* s) {
         const char* texts[] = {"y", "z"};
         return a.setStrings(context, "", kId, texts, 2, s), 0.0;
       }},
      {"1.9 get boolean", attributeRecord(721, kId, kWireBool, ""), 281,
       valueBlock<uint8_t>(280, 0x81), 0x81,
       [=](voerr::Status* s) { return a.getBoolean(context, nullptr, kId, s); }},
      {"1.10 get double", attributeRecord(721, kId, kWireF64, ""), 281, valueBlock(0, -3.75), -3.75,
       [=](voerr::Status* s) { return a.getDouble(context, nullptr, kId, s); }},
      {"1.11 get int32", attributeRecord(721, kId, kWireI32, ""), 281, i32Block, -2,
       [=](voerr::Status* s) { return a.getInt32(context, nullptr, kId, s); }},
      {"1.12 get uint32", attributeRecord(721, kId, kWireU32, ""), 281, u32Block, 5,
       [=](voerr::Status* s) { return a.getUInt32(context, nullptr, kId, s); }},
      {"1.13 get uint64", attributeRecord(721, kId, kWireU64, ""), 281,
       valueBlock<uint64_t>(16, 0x123456789AULL), 0x123456789AULL,
       [=](voerr::Status* s) {
         return static_cast<double>(a.getUInt64(context, nullptr, kId, s));
       }},
      {"1.14 get string", attributeRecord(721, kId, kWireString, "0"), 281, hello, 1000 + 5 + 7,
       [=](voerr::Status* s) { return a.getString(context, "0", kId, 7, &textLength, s); }},
      {"1.15 get strings", attributeRecord(721, kId, kWireString, "0"), 281, hello,
       1000 + 5 + 10 + 7,
       [=](voerr::Status* s) { return a.getStrings(context, "0", kId, 7, &textArrayLength, s); }},
      {"2.1 command 10",
       synq(20, 10),
       0,
       {},
       0,
       [=](voerr::Status* s) { return c.command10(context, s), 0.0; }},
      {"2.2 command 11",
       synq(20, 11),
       0,
       {},
       0,
       [=](voerr::Status* s) { return c.command11(context, s), 0.0; }},
      {"2.3 command 12",
       synq(20, 12),
       1,
       {0xFE},
       0xFE,
       [=](voerr::Status* s) { return c.query12(context, s); }},
      {"3.1 command 2",
       synqWith<uint32_t>(24, 2, 20, 0xA1),
       0,
       {},
       0,
       [=](voerr::Status* s) { return g.command2(context, 0xA1, s), 0.0; }},
      {"3.2 command 3",
       synqWith<uint32_t>(24, 3, 20, 0xA2),
       0,
       {},
       0,
       [=](voerr::Status* s) { return g.command3(context, 0xA2, s), 0.0; }},
      {"3.3 sync pulse",
       synqWith<uint32_t>(24, 1, 20, 0xA3),
       0,
       {},
       0,
       [=](voerr::Status* s) { return g.pulse(context, 0xA3, s), 0.0; }},
      {"3.4 command 4",
       synqWith<uint32_t>(24, 4, 20, 0xA4),
       0,
       {},
       0,
       [=](voerr::Status* s) { return g.command4(context, 0xA4, s), 0.0; }},
      {"3.5 command 5", synqWith<uint32_t>(24, 5, 20, 0xA5), 16, measure, 6.5,
       [=](voerr::Status* s) { return g.measure5(context, 0xA5, nullptr, nullptr, s); }},
      {"4.1 command 13",
       synq(20, 13),
       0,
       {},
       0,
       [=](voerr::Status* s) { return f.command13(context, flagOwner.get(), s), 0.0; }},
      {"4.2 command 14",
       synq(20, 14),
       0,
       {},
       0,
       [=](voerr::Status* s) { return f.command14(context, s), 0.0; }},
      {"5.1 command 6",
       [] {
         Bytes b = synqWith<uint32_t>(28, 6, 20, 0xB1);
         put<uint32_t>(b, 24, 0xB2);
         return b;
       }(),
       0,
       {},
       0,
       [=](voerr::Status* s) { return v.command6(context, 0xB1, 0xB2, s), 0.0; }},
      {"5.2 command 7",
       [] {
         Bytes b = synqWith(36, 7, 20, 1.5);
         put(b, 28, -2.5);
         return b;
       }(),
       0,
       {},
       0,
       [=](voerr::Status* s) { return v.command7(context, 1.5, -2.5, s), 0.0; }},
      {"5.3 command 8",
       [] {
         Bytes b = synqWith(36, 8, 20, 1e9);
         put(b, 28, 1e-9);
         return b;
       }(),
       0,
       {},
       0,
       [=](voerr::Status* s) { return v.command8(context, 1e9, 1e-9, s), 0.0; }},
      {"5.4 command 9",
       synqWith(28, 9, 20, 0.125),
       0,
       {},
       0,
       [=](voerr::Status* s) { return v.command9(context, 0.125, s), 0.0; }},
  };
}

TEST_F(SynqOperations, EveryOperationSendsItsRecordAndReturnsItsResult) {
  const std::vector<Case> cases = allOperations(*this, context);
  ASSERT_EQ(cases.size(), 29u);
  for (const Case& op : cases) {
    SCOPED_TRACE(op.name);
    device->clear();
    device->push(0, op.response);
    voerr::Status status;
    EXPECT_EQ(op.call(&status), op.result);
    EXPECT_EQ(status.code(), 0);
    const auto requests = device->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].session, session);
    EXPECT_EQ(requests[0].function, 256u);
    EXPECT_EQ(requests[0].input, op.request);
    EXPECT_EQ(requests[0].outputSize, op.outputSize);
  }
}

TEST_F(SynqOperations, EveryOperationFoldsAFailureWithTheDriversDescription) {
  for (const Case& op : allOperations(*this, context)) {
    SCOPED_TRACE(op.name);
    device->clear();
    // A response that would give a non-zero result must be ignored.
    device->push(-40, op.response);
    device->push(0, text(R"({"detail":"refused"})"));
    voerr::Status status;
    const double result = op.call(&status);
    if (op.name.rfind("1.14", 0) == 0 || op.name.rfind("1.15", 0) == 0) {
      EXPECT_EQ(result, op.name[3] == '4' ? 7 : 17);  // empty text, callback still called
    } else {
      EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(status.code(), -40);
    EXPECT_STREQ(status.contextText(), R"({"detail":"refused"})");
    const auto requests = device->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].function, 800u);
    EXPECT_EQ(requests[1].input, bytesOf<int32_t>(-40));
    EXPECT_EQ(requests[1].outputSize, kElaborationSize);
  }
}

TEST_F(SynqOperations, WithoutARecordOnlyTheRequestsOwnStatusCounts) {
  for (const Case& op : allOperations(*this, context)) {
    SCOPED_TRACE(op.name);
    device->clear();
    device->push(-41, op.response);
    const double failed = op.call(nullptr);
    device->push(9, op.response);  // a warning is no failure
    const double warned = op.call(nullptr);
    if (op.name.rfind("1.14", 0) != 0 && op.name.rfind("1.15", 0) != 0) {
      EXPECT_EQ(failed, 0);
    }
    EXPECT_EQ(warned, op.result);
    EXPECT_EQ(device->count(), 2u);  // nothing to elaborate into
  }
}

TEST_F(SynqOperations, AFailureTheDriverCannotDescribeIsStillRecorded) {
  device->push(-42);
  device->push(-61002);  // the elaboration request fails too
  voerr::Status status;
  EXPECT_EQ(0, attribute->getInt32(context, nullptr, 0x10000005, &status));
  EXPECT_EQ(status.code(), -42);
  device->push(-43);
  device->push(-61002);
  control->command10(context, &status);
  EXPECT_EQ(status.code(), -42);  // the first error stays
}

TEST_F(SynqOperations, AnErrorAlreadyInTheRecordMakesGettersReturnZero) {
  voerr::Status status;
  status.setCode(-1);
  device->push(0, valueBlock(0, 4.5));
  EXPECT_EQ(0.0, attribute->getDouble(context, nullptr, 0x20000005, &status));
  EXPECT_EQ(status.code(), -1);
  EXPECT_EQ(device->count(), 1u);  // the request was made and succeeded

  // A warning in the record is no failure, and an error replaces it.
  voerr::Status warned;
  warned.setCode(3);
  device->push(0, valueBlock(0, 4.5));
  EXPECT_EQ(4.5, attribute->getDouble(context, nullptr, 0x20000005, &warned));
  fail(-44, "{}");
  attribute->setDouble(context, nullptr, 0x20000005, 1.0, &warned);
  EXPECT_EQ(warned.code(), -44);
}

TEST_F(SynqOperations, StringSetsSendTheFirstTextOrTheEmptyOne) {
  device->push(0);
  device->push(0);
  device->push(0);
  attribute->setStrings(context, "AI0", 0x30000006, nullptr, 0, nullptr);
  const char* texts[] = {"first", "second"};
  attribute->setStrings(context, "AI0", 0x30000006, texts, 0, nullptr);
  attribute->setString(context, "AI0", 0x30000006, nullptr, nullptr);
  const Bytes empty = attributeRecord(722, 0x30000006, kWireString, "AI0");
  EXPECT_EQ(device->inputs(), (std::vector<Bytes>{empty, empty, empty}));
}

struct Seen {
  std::string text;
  uint64_t length = 0;
  uint64_t count = 0;
  voerr::Status* status = nullptr;
};
Seen gSeen;

int32_t remember(uint64_t cookie, const char* text, uint64_t length, voerr::Status* status) {
  gSeen = {text, length, 1, status};
  return static_cast<int32_t>(cookie);
}
int32_t rememberArray(uint64_t cookie, const char* const* texts, uint64_t count,
                      const uint64_t* lengths, voerr::Status* status) {
  gSeen = {texts[0], lengths[0], count, status};
  return static_cast<int32_t>(cookie);
}

TEST_F(SynqOperations, StringGettersHandAtMostTheWholeFieldToTheirCallback) {
  Bytes full(281, 0);
  std::memset(full.data() + 24, 'q', 256);  // no terminator inside the field
  full[280] = 'X';                          // the byte after it must not be handed on
  voerr::Status status;
  device->push(0, full);
  EXPECT_EQ(55, attribute->getString(context, "", 0x30000006, 55, &remember, &status));
  EXPECT_EQ(gSeen.text, std::string(256, 'q'));
  EXPECT_EQ(gSeen.length, 256u);
  EXPECT_EQ(gSeen.status, &status);

  device->push(0, full);
  EXPECT_EQ(66, attribute->getStrings(context, "", 0x30000006, 66, &rememberArray, nullptr));
  EXPECT_EQ(gSeen.text, std::string(256, 'q'));
  EXPECT_EQ(gSeen.length, 256u);
  EXPECT_EQ(gSeen.count, 1u);
  EXPECT_EQ(gSeen.status, nullptr);
}

TEST_F(SynqOperations, CommandFiveFillsBothWordsOrZeroesThem) {
  Bytes measure(16, 0);
  put(measure, 0, 6.5);
  put<uint32_t>(measure, 8, 11);
  put<uint32_t>(measure, 12, 12);
  uint32_t out1 = 0, out2 = 0;
  device->push(0, measure);
  EXPECT_EQ(6.5, argument->measure5(context, 1, &out1, &out2, nullptr));
  EXPECT_EQ(out1, 11u);
  EXPECT_EQ(out2, 12u);
  fail(-45, "{}");
  voerr::Status status;
  EXPECT_EQ(0.0, argument->measure5(context, 1, &out1, &out2, &status));
  EXPECT_EQ(out1, 0u);
  EXPECT_EQ(out2, 0u);
}

TEST_F(SynqOperations, CommandThirteenRaisesTheFlagWhateverTheOutcome) {
  uint8_t flag = 0;
  fail(-46, "{}");
  voerr::Status status;
  flagOps->command13(context, &flag, &status);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(status.code(), -46);
  device->push(0);
  flagOps->command13(context, nullptr, nullptr);
  EXPECT_EQ(device->count(), 3u);
}

TEST_F(SynqOperations, OperationsReachTheModelDevice) {
  device.reset();  // no script: the model answers
  voerr::Status status;
  attribute->setDouble(context, nullptr, 0x20000019, 1.25, &status);
  EXPECT_EQ(1.25, attribute->getDouble(context, nullptr, 0x20000019, &status));
  EXPECT_EQ(1, attribute->query(context, "AI2", 0x20000010, &status));
  EXPECT_EQ(0, attribute->query(context, "AI2", 0x20000005, &status));
  EXPECT_EQ(status.code(), 0);
  // A refused write is folded with the model's description.
  attribute->setDouble(context, nullptr, 0x20000005, 50.5, &status);
  EXPECT_EQ(status.code(), VODEV_E_READ_ONLY_ATTRIBUTE);
  EXPECT_NE(std::string(status.contextText()).find("vodeverr_readOnlyAttribute"),
            std::string::npos);
}

}  // namespace
