// The attribute family through raw request bytes: every attribute's scope,
// access and power-on value, the value block layout of each wire type, and
// the rejections.
#include <cmath>
#include <variant>

#include "standin_support.h"

namespace standin_test {
namespace {

enum class Scope { kDevice, kAi, kStream };
using Expected = std::variant<bool, double, int32_t, uint64_t, std::string>;

struct Row {
  uint32_t id;
  Scope scope;
  bool readOnly;
  Expected initial;
  Expected changed;  // a valid new value for writable attributes
};

// What the digitizer is expected to report: 16 channels, 14 bits, 250 MS/s.
const Row kRows[] = {
    {0x10000000, Scope::kStream, false, int32_t{1}, int32_t{3}},
    {0x10000001, Scope::kDevice, true, int32_t{4}, {}},
    {0x10000005, Scope::kDevice, true, int32_t{14}, {}},
    {0x10000006, Scope::kDevice, true, int32_t{16}, {}},
    {0x10000007, Scope::kDevice, false, int32_t{0}, int32_t{42}},
    {0x10000008, Scope::kStream, false, int32_t{0}, int32_t{15}},
    {0x10000009, Scope::kStream, false, int32_t{0}, int32_t{4}},
    {0x1000000B, Scope::kDevice, false, int32_t{0}, int32_t{3}},
    {0x1000000C, Scope::kDevice, true, int32_t{4096}, {}},
    {0x1000000D, Scope::kDevice, true, int32_t{0}, {}},
    {0x1000000E, Scope::kAi, false, int32_t{1}, int32_t{2}},
    {0x1000000F, Scope::kDevice, true, int32_t{16}, {}},
    {0x10000010, Scope::kDevice, false, int32_t{1}, int32_t{2}},
    {0x10000011, Scope::kAi, false, int32_t{1}, int32_t{0}},
    {0x10000012, Scope::kDevice, false, int32_t{0}, int32_t{-1200}},
    {0x10000013, Scope::kDevice, false, int32_t{0}, int32_t{1}},
    {0x10000014, Scope::kAi, false, int32_t{0}, int32_t{3}},
    {0x10000015, Scope::kDevice, false, int32_t{4}, int32_t{8}},
    {0x10000016, Scope::kStream, false, int32_t{0x7FFFFFFF}, int32_t{0x7FFFFFFC}},
    {0x10000017, Scope::kDevice, false, int32_t{0}, int32_t{2}},
    {0x20000002, Scope::kStream, false, 0.0, 0.25},
    {0x20000003, Scope::kStream, false, 0.0, 0.01},
    {0x20000005, Scope::kDevice, true, 45.5, {}},
    {0x20000006, Scope::kDevice, true, 24.5, {}},
    {0x20000007, Scope::kDevice, true, 18.0, {}},
    {0x20000008, Scope::kDevice, true, 4.25, {}},
    {0x20000009, Scope::kDevice, true, 2.25, {}},
    {0x2000000A, Scope::kDevice, false, 85.0, 70.0},
    {0x2000000B, Scope::kDevice, false, 40.0, 30.0},
    {0x2000000D, Scope::kDevice, true, 40.0, {}},
    {0x2000000E, Scope::kDevice, true, 41.0, {}},
    {0x2000000F, Scope::kAi, false, 50.0, 1e6},
    {0x20000010, Scope::kAi, false, 1.0, 0.5},
    {0x20000011, Scope::kAi, true, 1.0 / 8192, {}},
    {0x20000012, Scope::kAi, true, 0.0, {}},
    {0x20000013, Scope::kDevice, true, 4e-9, {}},
    {0x20000014, Scope::kDevice, false, 3.3, 1.8},
    {0x20000015, Scope::kDevice, true, 62.5e6, {}},
    {0x20000016, Scope::kDevice, true, 250e6, {}},
    {0x20000017, Scope::kDevice, false, 250e6, 200e6},
    {0x20000018, Scope::kDevice, false, 10e6, 100e6},
    {0x20000019, Scope::kDevice, false, 0.0, 1e-9},
    {0x30000000, Scope::kStream, false, std::string(""), std::string("PFI0")},
    {0x30000002, Scope::kStream, true, std::string("stream5"), {}},
    {0x30000003, Scope::kStream, false, std::string(""), std::string("PXI_Trig1")},
    {0x30000004, Scope::kDevice, false, std::string("0.0,1.0"), std::string("0.1,0.9")},
    {0x30000005, Scope::kDevice, false, std::string("0.0,1.0"), std::string("1,2,3")},
    {0x30000006, Scope::kDevice, false, std::string(""), std::string("alias")},
    {0x30000007, Scope::kDevice, false, std::string(""), std::string("PXI_Trig0")},
    {0x40000001, Scope::kStream, false, false, true},
    {0x40000002, Scope::kStream, false, true, false},
    {0x40000003, Scope::kDevice, true, false, {}},
    {0x40000004, Scope::kDevice, false, false, true},
    {0x40000005, Scope::kDevice, false, false, true},
    {0x50000000, Scope::kStream, false, uint64_t{1000}, uint64_t{1} << 40},
    {0x50000001, Scope::kStream, false, uint64_t{65536}, uint64_t{4096}},
    {0x50000002, Scope::kStream, false, uint64_t{1}, uint64_t{0xA}},
    {0x50000003, Scope::kDevice, true, uint64_t{1700000000}, {}},
    {0x50000004, Scope::kDevice, true, uint64_t{1700086400}, {}},
    {0x50000005, Scope::kDevice, true, uint64_t{0}, {}},
};

uint32_t WireOf(const Expected& value) {
  constexpr uint32_t kWires[] = {kWireBool, kWireF64, kWireI32, kWireU64, kWireString};
  return kWires[value.index()];
}

const char* InScopeName(Scope scope) {
  return scope == Scope::kDevice ? "" : scope == Scope::kAi ? "AI3" : "5";
}
const char* OutOfScopeName(Scope scope) { return scope == Scope::kDevice ? "AI3" : ""; }

Bytes SetRecord(uint32_t id, const char* channel, const Expected& value) {
  switch (value.index()) {
    case 0:
      return SetBool(id, channel, std::get<bool>(value));
    case 1:
      return SetF64(id, channel, std::get<double>(value));
    case 2:
      return SetI32(id, channel, std::get<int32_t>(value));
    case 3:
      return SetU64(id, channel, std::get<uint64_t>(value));
    default:
      return SetString(id, channel, std::get<std::string>(value));
  }
}

Expected Decode(const Block& block, size_t index) {
  switch (index) {
    case 0:
      return block[280] != 0;
    case 1:
      return Take<double>(block.data(), 0);
    case 2:
      return static_cast<int32_t>(Take<int64_t>(block.data(), 8));
    case 3:
      return Take<uint64_t>(block.data(), 16);
    default: {
      const char* text = reinterpret_cast<const char*>(block.data() + 24);
      return std::string(text, strnlen(text, 256));
    }
  }
}

class AttributeTest : public StandinTest {};

TEST_F(AttributeTest, EveryAttributeHasItsScopeAccessAndPowerOnValue) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(testing::Message() << std::hex << "attribute 0x" << row.id);
    const uint32_t wire = WireOf(row.initial);
    const char* channel = InScopeName(row.scope);
    Block block;
    ASSERT_EQ(Get(hardware_, row.id, wire, channel, block), 0);
    EXPECT_EQ(Decode(block, row.initial.index()), row.initial);
    EXPECT_EQ(Get(hardware_, row.id, wire, OutOfScopeName(row.scope), block),
              VODEV_E_CHANNEL_OUT_OF_SCOPE);

    uint8_t exists = 0xEE;
    ASSERT_EQ(Send(hardware_, AttributeRecord(kQuery, row.id, 0, channel), &exists, 1), 0);
    EXPECT_EQ(exists, 1);
    ASSERT_EQ(
        Send(hardware_, AttributeRecord(kQuery, row.id, 0, OutOfScopeName(row.scope)), &exists, 1),
        0);
    EXPECT_EQ(exists, 0);

    if (row.readOnly) {
      EXPECT_EQ(Send(hardware_, SetRecord(row.id, channel, row.initial)),
                VODEV_E_READ_ONLY_ATTRIBUTE);
      EXPECT_EQ(Send(hardware_, AttributeRecord(kReset, row.id, 0, channel)),
                VODEV_E_READ_ONLY_ATTRIBUTE);
      continue;
    }
    ASSERT_EQ(Send(hardware_, SetRecord(row.id, channel, row.changed)), 0);
    ASSERT_EQ(Get(hardware_, row.id, wire, channel, block), 0);
    EXPECT_EQ(Decode(block, row.changed.index()), row.changed);
    // The same session's other channels keep their value.
    if (row.scope != Scope::kDevice) {
      ASSERT_EQ(Get(hardware_, row.id, wire, row.scope == Scope::kAi ? "AI4" : "6", block), 0);
      EXPECT_EQ(Decode(block, row.initial.index()), row.initial);
    }
    ASSERT_EQ(Send(hardware_, AttributeRecord(kReset, row.id, 0, channel)), 0);
    ASSERT_EQ(Get(hardware_, row.id, wire, channel, block), 0);
    EXPECT_EQ(Decode(block, row.initial.index()), row.initial);
  }
}

TEST_F(AttributeTest, GetWritesAWholeValueBlockWithOnlyItsTypesField) {
  Block block;
  ASSERT_EQ(Send(hardware_, SetI32(0x10000012, "", -1)), 0);
  ASSERT_EQ(Get(hardware_, 0x10000012, kWireI32, "", block), 0);
  Block expected{};
  std::memset(expected.data() + 8, 0xFF, 8);  // -1 sign-extended to 64 bits
  EXPECT_EQ(block, expected);

  // As a u32 the same value travels zero-extended in the u64 field.
  ASSERT_EQ(Get(hardware_, 0x10000012, kWireU32, "", block), 0);
  expected = {};
  std::memset(expected.data() + 16, 0xFF, 4);
  EXPECT_EQ(block, expected);

  ASSERT_EQ(Send(hardware_, SetBool(0x40000004, "", 2)), 0);
  ASSERT_EQ(Get(hardware_, 0x40000004, kWireBool, "", block), 0);
  expected = {};
  expected[280] = 1;
  EXPECT_EQ(block, expected);
}

TEST_F(AttributeTest, U32WireTypeServesIntegerAttributes) {
  ASSERT_EQ(Send(hardware_, SetU32(0x10000007, "", 0xFFFFFFFEu)), 0);
  EXPECT_EQ(GetI32(hardware_, 0x10000007, ""), -2);
  ASSERT_EQ(Send(hardware_, SetU32(0x50000000, "0", 0x80000000u)), 0);
  Block block;
  ASSERT_EQ(Get(hardware_, 0x50000000, kWireU64, "0", block), 0);
  EXPECT_EQ(Take<uint64_t>(block.data(), 16), 0x80000000u);
  // Only the low half of the u64 field is a u32 value.
  Bytes record = SetU32(0x10000007, "", 5);
  Put<uint32_t>(record, kRecordSize + 20, 0xFFFFFFFFu);
  ASSERT_EQ(Send(hardware_, record), 0);
  EXPECT_EQ(GetI32(hardware_, 0x10000007, ""), 5);
}

TEST_F(AttributeTest, StringsUseAll256BytesWithoutTerminator) {
  const std::string full(256, 'q');
  ASSERT_EQ(Send(hardware_, SetString(0x30000006, "", full)), 0);
  EXPECT_EQ(GetString(hardware_, 0x30000006, ""), full);
  // A shorter text is zero-padded.
  ASSERT_EQ(Send(hardware_, SetString(0x30000006, "", "ab")), 0);
  Block block;
  ASSERT_EQ(Get(hardware_, 0x30000006, kWireString, "", block), 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data() + 24), 3),
            std::string("ab\0", 3));
  EXPECT_EQ(block[279], 0);
}

TEST_F(AttributeTest, AiScalingGainFollowsTheChannelRange) {
  ASSERT_EQ(Send(hardware_, SetF64(0x20000010, "AI7", 2.0)), 0);
  EXPECT_EQ(GetF64(hardware_, 0x20000011, "AI7"), 2.0 / 8192);
  EXPECT_EQ(GetF64(hardware_, 0x20000011, "AI6"), 1.0 / 8192);
  EXPECT_EQ(Send(hardware_, SetF64(0x20000010, "AI7", 0.0)), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(Send(hardware_, SetF64(0x20000010, "AI7", std::nan(""))), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(GetF64(hardware_, 0x20000010, "AI7"), 2.0);
}

TEST_F(AttributeTest, EnumeratedAttributesRefuseOtherValues) {
  EXPECT_EQ(Send(hardware_, SetI32(0x10000009, "0", 5)), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(Send(hardware_, SetI32(0x10000016, "0", 0x7FFFFFFB)), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(Send(hardware_, SetI32(0x10000008, "0", 16)), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(Send(hardware_, SetI32(0x10000011, "AI0", -1)), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(GetI32(hardware_, 0x10000009, "0"), 0);
  EXPECT_EQ(Send(hardware_, SetI32(0x10000009, "0", 1)), 0);
  EXPECT_EQ(GetI32(hardware_, 0x10000009, "0"), 1);
}

TEST_F(AttributeTest, ChannelNamesMustBeCanonicalAndInsideTheDevice) {
  Block block;
  for (const char* name : {"AI16", "AI01", "ai0", "AI", "AI-1", "AO0", " AI0", "AI0 "}) {
    EXPECT_EQ(Get(hardware_, 0x20000010, kWireF64, name, block), VODEV_E_CHANNEL_OUT_OF_SCOPE)
        << name;
  }
  for (const char* name : {"64", "05", "-1", "+1", "1.0", "AI0"}) {
    EXPECT_EQ(Get(hardware_, 0x50000000, kWireU64, name, block), VODEV_E_CHANNEL_OUT_OF_SCOPE)
        << name;
  }
  EXPECT_EQ(Get(hardware_, 0x50000000, kWireU64, "63", block), 0);
  EXPECT_EQ(Get(hardware_, 0x20000010, kWireF64, "AI15", block), 0);
}

TEST_F(AttributeTest, WrongTypesAndUnknownIdsAreRefused) {
  Block block;
  EXPECT_EQ(Get(hardware_, 0x20000010, kWireI32, "AI0", block), VODEV_E_WRONG_VALUE_TYPE);
  EXPECT_EQ(Get(hardware_, 0x10000005, kWireF64, "", block), VODEV_E_WRONG_VALUE_TYPE);
  EXPECT_EQ(Get(hardware_, 0x40000001, kWireU32, "0", block), VODEV_E_WRONG_VALUE_TYPE);
  EXPECT_EQ(Get(hardware_, 0x10000005, 3, "", block), VODEV_E_WRONG_VALUE_TYPE);
  EXPECT_EQ(Get(hardware_, 0x10000005, 99, "", block), VODEV_E_WRONG_VALUE_TYPE);
  EXPECT_EQ(Send(hardware_, SetF64(0x10000007, "", 1.0)), VODEV_E_WRONG_VALUE_TYPE);
  EXPECT_EQ(Send(hardware_, SetString(0x50000000, "0", "1000")), VODEV_E_WRONG_VALUE_TYPE);

  for (uint32_t id : {0x10000002u, 0x1000FFFEu, 0x20000000u, 0x60000000u, 0u}) {
    EXPECT_EQ(Get(hardware_, id, kWireI32, "", block), VODEV_E_UNKNOWN_ATTRIBUTE) << id;
    uint8_t exists = 0xEE;
    ASSERT_EQ(Send(hardware_, AttributeRecord(kQuery, id, 0, ""), &exists, 1), 0);
    EXPECT_EQ(exists, 0);
  }
  EXPECT_EQ(Send(hardware_, SetI32(0x1000FFFE, "", 1)), VODEV_E_UNKNOWN_ATTRIBUTE);
  EXPECT_EQ(Send(hardware_, AttributeRecord(kReset, 0x1000FFFE, 0, "")), VODEV_E_UNKNOWN_ATTRIBUTE);
}

TEST_F(AttributeTest, MalformedRecordsAreRefusedWithoutTouchingTheResponse) {
  Block block;
  block.fill(0xEE);
  Bytes record = AttributeRecord(kGet, 0x10000005, kWireI32, "");
  const Block untouched = block;

  Bytes shorter(record.begin(), record.end() - 1);
  EXPECT_EQ(Send(hardware_, shorter, block.data(), block.size()), VODEV_E_BAD_REQUEST_SIZE);
  Bytes longer = record;
  longer.push_back(0);
  EXPECT_EQ(Send(hardware_, longer, block.data(), block.size()), VODEV_E_BAD_REQUEST_SIZE);
  EXPECT_EQ(Send(hardware_, Bytes(12, 0), block.data(), block.size()), VODEV_E_BAD_REQUEST_SIZE);
  EXPECT_EQ(VoFpgaDll_ClientFunctionCall(hardware_, kGroup, kFamilyRequest, nullptr, 284,
                                         block.data(), block.size()),
            VODEV_E_BAD_REQUEST_SIZE);
  EXPECT_EQ(VoFpgaDll_ClientFunctionCall(hardware_, kGroup, kFamilyRequest, nullptr, 0,
                                         block.data(), block.size()),
            VODEV_E_BAD_REQUEST_SIZE);
  // A set record is 565 bytes; a get record sent as a set is too short.
  Bytes asSet = record;
  Put<uint32_t>(asSet, 16, kSet);
  EXPECT_EQ(Send(hardware_, asSet), VODEV_E_BAD_REQUEST_SIZE);

  Bytes unterminated = record;
  std::memset(unterminated.data() + 28, 'A', 256);
  EXPECT_EQ(Send(hardware_, unterminated, block.data(), block.size()), VODEV_E_MALFORMED_REQUEST);
  Bytes dirtyHeader = record;
  Put<uint32_t>(dirtyHeader, 8, 1);
  EXPECT_EQ(Send(hardware_, dirtyHeader, block.data(), block.size()), VODEV_E_MALFORMED_REQUEST);
  EXPECT_EQ(block, untouched);

  // Responses must fit.
  EXPECT_EQ(Send(hardware_, record, block.data(), kBlockSize - 1), VODEV_E_RESPONSE_TOO_SMALL);
  EXPECT_EQ(Send(hardware_, record, nullptr, kBlockSize), VODEV_E_RESPONSE_TOO_SMALL);
  EXPECT_EQ(Send(hardware_, AttributeRecord(kQuery, 0x10000005, 0, "")),
            VODEV_E_RESPONSE_TOO_SMALL);
  EXPECT_EQ(block, untouched);
}

TEST_F(AttributeTest, UnservedRequestsGetTheirNotSupportedCodes) {
  Bytes record = AttributeRecord(725, 0x10000005, kWireI32, "");
  EXPECT_EQ(Send(hardware_, record), VODEV_E_UNSUPPORTED_COMMAND);
  Put<uint32_t>(record, 16, 720);
  EXPECT_EQ(Send(hardware_, record), VODEV_E_UNSUPPORTED_COMMAND);
  Put<uint32_t>(record, 0, 0x103);
  EXPECT_EQ(Send(hardware_, record), VODEV_E_UNSUPPORTED_FAMILY);
  uint32_t offset = 0;
  EXPECT_EQ(VoFpgaDll_ClientFunctionCall(hardware_, kGroup, 9999, &offset, 4, nullptr, 0),
            VODEV_E_UNSUPPORTED_FUNCTION);
  Block block;
  EXPECT_EQ(VoFpgaDll_ClientFunctionCall(hardware_, 1, kFamilyRequest,
                                         AttributeRecord(kGet, 0x10000005, kWireI32, "").data(),
                                         kRecordSize, block.data(), block.size()),
            VODEV_E_WRONG_GROUP);
}

}  // namespace
}  // namespace standin_test
