// Helpers of the stand-in tests: request records built byte by byte at their
// documented offsets, independent of the library's record code, and a fixture
// that starts every test from a freshly reset device model.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "vodevice_hook.h"
#include "vofpga.h"

namespace standin_test {

inline constexpr uint32_t kGroup = 2;
inline constexpr uint32_t kFamilyRequest = 256;
inline constexpr uint32_t kElaborate = 800;
inline constexpr uint32_t kAttributeFamily = 0x102;
inline constexpr uint32_t kGet = 721, kSet = 722, kReset = 723, kQuery = 724;
inline constexpr uint32_t kWireBool = 0, kWireF64 = 1, kWireI32 = 2, kWireU32 = 4, kWireU64 = 5,
                          kWireString = 6;
inline constexpr size_t kRecordSize = 284;
inline constexpr size_t kBlockSize = 281;
inline constexpr size_t kSimulatedBit = 0x2000;

using Bytes = std::vector<uint8_t>;
using Block = std::array<uint8_t, kBlockSize>;

template <typename T>
void Put(Bytes& bytes, size_t offset, T value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

template <typename T>
T Take(const uint8_t* bytes, size_t offset) {
  T value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}

// The attribute request record: header of family 0x102, command, ID, wire
// type, channel name; a set record carries a zeroed value block behind it.
inline Bytes AttributeRecord(uint32_t command, uint32_t id, uint32_t wire,
                             std::string_view channel) {
  Bytes record(command == kSet ? kRecordSize + kBlockSize : kRecordSize, 0);
  Put<uint32_t>(record, 0, kAttributeFamily);
  Put<uint32_t>(record, 16, command);
  Put<uint32_t>(record, 20, id);
  Put<uint32_t>(record, 24, wire);
  std::memcpy(record.data() + 28, channel.data(), std::min<size_t>(channel.size(), 255));
  return record;
}

// Set records with the value in its type's field of the value block.
inline Bytes SetBool(uint32_t id, std::string_view channel, uint8_t value) {
  Bytes r = AttributeRecord(kSet, id, kWireBool, channel);
  r[kRecordSize + 280] = value;
  return r;
}
inline Bytes SetF64(uint32_t id, std::string_view channel, double value) {
  Bytes r = AttributeRecord(kSet, id, kWireF64, channel);
  Put(r, kRecordSize + 0, value);
  return r;
}
inline Bytes SetI32(uint32_t id, std::string_view channel, int32_t value) {
  Bytes r = AttributeRecord(kSet, id, kWireI32, channel);
  Put<int64_t>(r, kRecordSize + 8, value);
  return r;
}
inline Bytes SetU32(uint32_t id, std::string_view channel, uint32_t value) {
  Bytes r = AttributeRecord(kSet, id, kWireU32, channel);
  Put<uint64_t>(r, kRecordSize + 16, value);
  return r;
}
inline Bytes SetU64(uint32_t id, std::string_view channel, uint64_t value) {
  Bytes r = AttributeRecord(kSet, id, kWireU64, channel);
  Put<uint64_t>(r, kRecordSize + 16, value);
  return r;
}
inline Bytes SetString(uint32_t id, std::string_view channel, std::string_view value) {
  Bytes r = AttributeRecord(kSet, id, kWireString, channel);
  std::memcpy(r.data() + kRecordSize + 24, value.data(), std::min<size_t>(value.size(), 256));
  return r;
}

// Sends a function-256 record through the FPGA interface stand-in.
inline int32_t Send(uint32_t session, const Bytes& record, void* out = nullptr,
                    uint64_t outSize = 0) {
  return VoFpgaDll_ClientFunctionCall(session, kGroup, kFamilyRequest, record.data(), record.size(),
                                      out, outSize);
}

// Gets an attribute's value block; the block is pre-filled with 0xEE so that
// unwritten bytes show.
inline int32_t Get(uint32_t session, uint32_t id, uint32_t wire, std::string_view channel,
                   Block& block) {
  block.fill(0xEE);
  return Send(session, AttributeRecord(kGet, id, wire, channel), block.data(), block.size());
}

inline double GetF64(uint32_t session, uint32_t id, std::string_view channel) {
  Block block;
  EXPECT_EQ(Get(session, id, kWireF64, channel, block), 0);
  return Take<double>(block.data(), 0);
}
inline int32_t GetI32(uint32_t session, uint32_t id, std::string_view channel) {
  Block block;
  EXPECT_EQ(Get(session, id, kWireI32, channel, block), 0);
  return static_cast<int32_t>(Take<int64_t>(block.data(), 8));
}
inline std::string GetString(uint32_t session, uint32_t id, std::string_view channel) {
  Block block;
  EXPECT_EQ(Get(session, id, kWireString, channel, block), 0);
  const char* text = reinterpret_cast<const char*>(block.data() + 24);
  return std::string(text, strnlen(text, 256));
}

// Function 800: the context text for a status, or the failing status.
struct Elaboration {
  int32_t status;
  std::string text;
};
inline Elaboration Elaborate(uint32_t session, int32_t code) {
  std::vector<char> out(8192, 'x');
  int32_t status = VoFpgaDll_ClientFunctionCall(session, kGroup, kElaborate, &code, sizeof code,
                                                out.data(), out.size());
  if (status != 0) return {status, {}};
  return {status, std::string(out.data(), strnlen(out.data(), out.size()))};
}

// Every test starts from the power-on model, with one hardware session on
// RIO0 and one simulated session on SIM0.
class StandinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VoDev_Reset();
    ASSERT_EQ(VoFpgaDll_Open("/com::vo::tarsin::image::default", nullptr, "RIO0", 0xC0000000u,
                             &hardware_),
              0);
    ASSERT_EQ(VoFpgaDll_Open("/com::vo::tarsin::image::default", nullptr, "SIM0", 0xC0000000u,
                             &simulated_),
              0);
  }
  void TearDown() override {
    VoDev_SetRequestHook(nullptr, nullptr);
    VoDev_Reset();
  }

  uint32_t hardware_ = 0;
  uint32_t simulated_ = 0;
};

}  // namespace standin_test
