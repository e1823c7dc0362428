// Registers, the instruction FIFO, image management and the I/O module
// record against exact request bytes, with the driver's answers scripted.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "api/maintenance_support.h"
#include "votarsinapi.h"

namespace {

using namespace mnttest;

constexpr uint32_t kSession = 0x0131;

class DeviceAccess : public ::testing::Test {
 protected:
  ScriptedDevice device;
  RecordedRequest only() {
    const auto requests = device.requests();
    EXPECT_EQ(requests.size(), 1u);
    return requests.empty() ? RecordedRequest{} : requests[0];
  }
};

// ---- Registers and single FIFO words ----------------------------------------------

TEST_F(DeviceAccess, RegisterReadSendsTheOffsetAndCopiesTheValueAfterEveryRequest) {
  uint32_t value = 0;
  device.push(0, bytesOf<uint32_t>(0xCAFEF00D));
  EXPECT_EQ(0, tarsin_readBar32(kSession, 0x40, &value));
  EXPECT_EQ(value, 0xCAFEF00Du);
  const RecordedRequest r = only();
  EXPECT_EQ(r.function, 0u);
  EXPECT_EQ(r.input, bytesOf<uint32_t>(0x40));
  EXPECT_EQ(r.outputSize, 4u);

  device.push(-2, bytesOf<uint32_t>(0x11));
  EXPECT_EQ(-2, tarsin_readBar32(kSession, 0x44, &value));
  EXPECT_EQ(value, 0x11u);
  EXPECT_EQ(-52005, tarsin_readBar32(kSession, 0x44, nullptr));
  EXPECT_EQ(device.count(), 2u);
}

TEST_F(DeviceAccess, RegisterWriteSendsOffsetAndValue) {
  device.push(5);
  EXPECT_EQ(5, tarsin_writeBar32(kSession, 0x1000, 0x89ABCDEF));
  const RecordedRequest r = only();
  EXPECT_EQ(r.function, 1u);
  Bytes expected(8);
  put<uint32_t>(expected, 0, 0x1000);
  put<uint32_t>(expected, 4, 0x89ABCDEF);
  EXPECT_EQ(r.input, expected);
  EXPECT_FALSE(r.hadOutput);
}

Bytes rawFifoRecord(uint32_t target, uint64_t instruction) {
  Bytes bytes(16, 0);
  put(bytes, 0, target);
  put(bytes, 8, instruction);
  return bytes;
}

TEST_F(DeviceAccess, SingleWordFifoAccess) {
  uint32_t result = 0;
  Bytes response(8, 0);
  put<uint32_t>(response, 0, 0x12345678);
  put<uint32_t>(response, 4, 0xFFFFFFFF);
  device.push(3, response);
  device.push(0);
  EXPECT_EQ(3, tarsin_instructionFifoRead(kSession, 7, 0x0102030405060708ull, &result));
  EXPECT_EQ(result, 0x12345678u);
  EXPECT_EQ(0, tarsin_instructionFifoWrite(kSession, 9, 0xFFFFFFFFFFFFFFFFull));
  EXPECT_EQ(-52005, tarsin_instructionFifoRead(kSession, 7, 1, nullptr));

  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].function, 2u);
  EXPECT_EQ(requests[0].input, rawFifoRecord(7, 0x0102030405060708ull));
  EXPECT_EQ(requests[0].outputSize, 8u);
  EXPECT_EQ(requests[1].function, 3u);
  EXPECT_EQ(requests[1].input, rawFifoRecord(9, 0xFFFFFFFFFFFFFFFFull));
  EXPECT_FALSE(requests[1].hadOutput);
}

// ---- Instruction FIFO batches -------------------------------------------------------

Bytes batchRecord(uint32_t command, uint32_t target, const std::vector<uint64_t>& words) {
  Bytes bytes = familyRecord(156, kFifoFamily, command);
  put(bytes, 20, target);
  put(bytes, 24, static_cast<uint32_t>(words.size()));
  for (size_t i = 0; i < words.size(); ++i) put(bytes, 28 + 8 * i, words[i]);
  return bytes;
}

TEST_F(DeviceAccess, BatchOfFifteenWordsIsSentWhole) {
  std::vector<uint64_t> words;
  for (uint64_t i = 0; i < 15; ++i) words.push_back(0x1111111111111111ull * (i + 1));
  device.push(0);
  EXPECT_EQ(0, voTarsin_WriteInstructionFifo(kSession, 0xAB, 15, words.data()));
  const RecordedRequest r = only();
  EXPECT_EQ(r.function, 256u);
  EXPECT_EQ(r.input, batchRecord(1, 0xAB, words));
  EXPECT_FALSE(r.hadOutput);
}

TEST_F(DeviceAccess, BatchesOfSixteenOrWithoutWordsAreRefused) {
  const std::vector<uint64_t> words(16, 1);
  uint64_t result = 5;
  EXPECT_EQ(-52005, voTarsin_WriteInstructionFifo(kSession, 0, 16, words.data()));
  EXPECT_EQ(-52005, voTarsin_ReadInstructionFifo(kSession, 0, 16, words.data(), &result));
  EXPECT_EQ(-52005, voTarsin_WriteInstructionFifo(kSession, 0, 0xFFFFFFFF, words.data()));
  EXPECT_EQ(-52005, voTarsin_WriteInstructionFifo(kSession, 0, 0, nullptr));
  EXPECT_EQ(-52005, voTarsin_ReadInstructionFifo(kSession, 0, 1, nullptr, &result));
  EXPECT_EQ(device.count(), 0u);
  EXPECT_EQ(result, 5u);
}

TEST_F(DeviceAccess, BatchReadStoresItsAnswerAfterEveryRequest) {
  const std::vector<uint64_t> words{0xA, 0xB};
  uint64_t result = 0;
  device.push(0, bytesOf<uint64_t>(0x8877665544332211ull));
  EXPECT_EQ(0, voTarsin_ReadInstructionFifo(kSession, 3, 2, words.data(), &result));
  EXPECT_EQ(result, 0x8877665544332211ull);
  device.push(-12, bytesOf<uint64_t>(42));
  EXPECT_EQ(-12, voTarsin_ReadInstructionFifo(kSession, 3, 2, words.data(), &result));
  EXPECT_EQ(result, 42u);
  device.push(0, bytesOf<uint64_t>(43));
  EXPECT_EQ(0, voTarsin_ReadInstructionFifo(kSession, 3, 0, words.data(), nullptr));

  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].input, batchRecord(0, 3, words));
  EXPECT_EQ(requests[0].outputSize, 8u);
  EXPECT_EQ(requests[2].input, batchRecord(0, 3, {}));
}

// ---- Flash, autoload, metadata, tree ---------------------------------------------------

TEST_F(DeviceAccess, PromotionSendsTheOption) {
  device.push(0);
  EXPECT_EQ(0, tarsin_PromoteSessionToFlash(kSession, 0x5A));
  const RecordedRequest r = only();
  EXPECT_EQ(r.function, 777u);
  EXPECT_EQ(r.input, bytesOf<uint32_t>(0x5A));
  EXPECT_FALSE(r.hadOutput);
}

TEST_F(DeviceAccess, AutoloadFlagIsSentAsOneOrZeroAfterTheWordTwo) {
  for (int i = 0; i < 3; ++i) device.push(0);
  EXPECT_EQ(0, voTarsin_SetUserAutoloadFlag(kSession, 7));
  EXPECT_EQ(0, voTarsin_SetUserAutoloadFlag(kSession, 0));
  EXPECT_EQ(0, voTarsin_SetUserAutoloadFlag(kSession, -1));
  auto words = [](uint32_t flag) {
    Bytes bytes(8);
    put<uint32_t>(bytes, 0, 2);
    put<uint32_t>(bytes, 4, flag);
    return bytes;
  };
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 3u);
  for (const RecordedRequest& r : requests) EXPECT_EQ(r.function, 21u);
  EXPECT_EQ(requests[0].input, words(1));
  EXPECT_EQ(requests[1].input, words(0));
  EXPECT_EQ(requests[2].input, words(1));
}

TEST_F(DeviceAccess, MetadataSizeQueryAlone) {
  uint64_t size = 0xFFFFFFFFFFFFFFFFull;
  device.push(0, bytesOf<uint32_t>(0x80000001));
  EXPECT_EQ(0, voTarsin_GetBitfileMetadata(kSession, &size, nullptr));
  EXPECT_EQ(size, 0x80000001u);  // zero-extended
  const RecordedRequest r = only();
  EXPECT_EQ(r.function, 18u);
  EXPECT_TRUE(r.input.empty());
  EXPECT_EQ(r.outputSize, 4u);

  // Without a buffer the size is stored whatever the status.
  device.push(9, bytesOf<uint32_t>(300));
  EXPECT_EQ(9, voTarsin_GetBitfileMetadata(kSession, &size, nullptr));
  EXPECT_EQ(size, 300u);
  EXPECT_EQ(device.count(), 2u);
}

TEST_F(DeviceAccess, MetadataIsFetchedIntoTheCallersBufferAfterACleanSizeQuery) {
  char buffer[16] = {};
  uint64_t size = sizeof buffer;
  device.push(0, bytesOf<uint32_t>(11));
  device.push(6, text("name=image"));
  EXPECT_EQ(6, voTarsin_GetBitfileMetadata(kSession, &size, buffer));
  EXPECT_STREQ(buffer, "name=image");
  EXPECT_EQ(size, sizeof buffer);  // the caller's size is not changed
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].function, 19u);
  EXPECT_TRUE(requests[1].input.empty());
  EXPECT_EQ(requests[1].outputSize, sizeof buffer);
}

TEST_F(DeviceAccess, MetadataIsNotFetchedAfterAWarningOrErrorOfTheSizeQuery) {
  char buffer[8] = {};
  uint64_t size = sizeof buffer;
  device.push(2, bytesOf<uint32_t>(4));
  EXPECT_EQ(2, voTarsin_GetBitfileMetadata(kSession, &size, buffer));
  device.push(-20);
  EXPECT_EQ(-20, voTarsin_GetBitfileMetadata(kSession, &size, buffer));
  EXPECT_EQ(device.count(), 2u);
  for (const RecordedRequest& r : device.requests()) EXPECT_EQ(r.function, 18u);
}

TEST_F(DeviceAccess, MetadataWithoutASizeIsRefusedAndNothingIsFetched) {
  char buffer[8] = {};
  device.push(0, bytesOf<uint32_t>(4));
  EXPECT_EQ(-52005, voTarsin_GetBitfileMetadata(kSession, nullptr, buffer));
  device.push(0, bytesOf<uint32_t>(4));
  EXPECT_EQ(-52005, voTarsin_GetBitfileMetadata(kSession, nullptr, nullptr));
  // A failing size query still reports its own status.
  device.push(-21);
  EXPECT_EQ(-21, voTarsin_GetBitfileMetadata(kSession, nullptr, nullptr));
  EXPECT_EQ(device.count(), 3u);
  for (const RecordedRequest& r : device.requests()) EXPECT_EQ(r.function, 18u);
}

TEST_F(DeviceAccess, TreeSerialisationUsesTheMaintenanceFamily) {
  uint8_t buffer[32] = {};
  device.push(0, {1, 2, 3});
  EXPECT_EQ(0, tarsin_GetTreeSerialization(kSession, 0x77, buffer, sizeof buffer));
  EXPECT_EQ(buffer[2], 3);
  const RecordedRequest r = only();
  Bytes expected = familyRecord(24, kMaintenanceFamily, 343);
  put<uint32_t>(expected, 20, 0x77);
  EXPECT_EQ(r.function, 256u);
  EXPECT_EQ(r.input, expected);
  EXPECT_EQ(r.outputSize, sizeof buffer);
}

// ---- I/O module ------------------------------------------------------------------------

Bytes ioModuleRecord(uint16_t f1, uint16_t f2, uint32_t f3, uint32_t f4, uint8_t f5, uint16_t f6) {
  Bytes bytes(16, 0);
  put(bytes, 0, f3);
  put(bytes, 4, f4);
  put(bytes, 8, f1);
  put(bytes, 10, f2);
  put(bytes, 12, f6);
  put(bytes, 14, f5);
  return bytes;
}

TEST_F(DeviceAccess, IoModuleWritePacksTheFieldsByRecordOffset) {
  device.push(0);
  EXPECT_EQ(0, voTarsinMDK_writeIoModuleInfo(kSession, 0x1111, 0x2222, 0x33333333, 0x44444444, 0x55,
                                             0x6666));
  const RecordedRequest r = only();
  EXPECT_EQ(r.function, 22u);
  EXPECT_EQ(r.input, ioModuleRecord(0x1111, 0x2222, 0x33333333, 0x44444444, 0x55, 0x6666));
  EXPECT_FALSE(r.hadOutput);
}

TEST_F(DeviceAccess, IoModuleReadUnpacksTheRecordOnSuccessAndWarning) {
  uint16_t f1 = 0, f2 = 0, f6 = 0;
  uint32_t f3 = 0, f4 = 0;
  uint8_t f5 = 0;
  device.push(0, ioModuleRecord(1, 2, 3, 4, 5, 6));
  EXPECT_EQ(0, voTarsinMDK_readIoModuleInfo(kSession, &f1, &f2, &f3, &f4, &f5, &f6));
  EXPECT_EQ(f1, 1);
  EXPECT_EQ(f2, 2);
  EXPECT_EQ(f3, 3u);
  EXPECT_EQ(f4, 4u);
  EXPECT_EQ(f5, 5);
  EXPECT_EQ(f6, 6);
  const RecordedRequest r = only();
  EXPECT_EQ(r.function, 23u);
  EXPECT_TRUE(r.input.empty());
  EXPECT_EQ(r.outputSize, 16u);

  device.push(8, ioModuleRecord(10, 20, 30, 40, 50, 60));
  EXPECT_EQ(8, voTarsinMDK_readIoModuleInfo(kSession, &f1, nullptr, nullptr, &f4, nullptr, &f6));
  EXPECT_EQ(f1, 10);
  EXPECT_EQ(f2, 2);
  EXPECT_EQ(f4, 40u);
  EXPECT_EQ(f6, 60);
}

TEST_F(DeviceAccess, IoModuleReadFailureGivesAllOnes) {
  uint16_t f1 = 0, f2 = 0, f6 = 0;
  uint32_t f3 = 0, f4 = 0;
  uint8_t f5 = 0;
  device.push(-30, ioModuleRecord(1, 2, 3, 4, 5, 6));
  EXPECT_EQ(-30, voTarsinMDK_readIoModuleInfo(kSession, &f1, &f2, &f3, &f4, &f5, &f6));
  EXPECT_EQ(f1, 0xFFFF);
  EXPECT_EQ(f2, 0xFFFF);
  EXPECT_EQ(f3, 0xFFFFFFFFu);
  EXPECT_EQ(f4, 0xFFFFFFFFu);
  EXPECT_EQ(f5, 0xFF);
  EXPECT_EQ(f6, 0xFFFF);
  device.push(-30);
  EXPECT_EQ(-30, voTarsinMDK_readIoModuleInfo(kSession, nullptr, nullptr, nullptr, nullptr, nullptr,
                                              nullptr));
}

TEST_F(DeviceAccess, RefClockPinSourceIsADeviceWideAttributeWrite) {
  device.push(0);
  device.push(0);
  EXPECT_EQ(0, voTarsinMDK_configureIoModuleRefClkPinSrc(kSession, 3));
  EXPECT_EQ(0, voTarsinMDK_configureIoModuleRefClkPinSrc(kSession, 0xFFFFFFFF));
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].input, setRecord<int64_t>(0x10000017, kWireI32, "", 8, 3));
  EXPECT_EQ(requests[1].input, setRecord<int64_t>(0x10000017, kWireI32, "", 8, -1));
}

// ---- Lookups in the image, against the model -----------------------------------------

TEST(ImageLookups, RegisterAndFifoQueriesPassThroughUnchanged) {
  VoDev_Reset();
  Session session = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("RIO3", nullptr, 0, &session));
  const int32_t handle = VoDev_SetRegister(session, "user.flag", 1);
  ASSERT_GT(handle, 0);
  uint32_t found = 0;
  EXPECT_EQ(0, voTarsin_QueryBitfileRegister(session, "user.flag", 0x1234, &found));
  EXPECT_EQ(found, static_cast<uint32_t>(handle));
  char name[32];
  uint32_t scope = 0;
  VoDev_LastFindRegister(name, sizeof name, &scope);
  EXPECT_STREQ(name, "user.flag");
  EXPECT_EQ(scope, 0x1234u);
  EXPECT_EQ(VODEV_E_NO_SUCH_REGISTER,
            voTarsin_QueryBitfileRegister(session, "absent", 0xFFFFFFFF, &found));

  uint32_t fifo = 0;
  EXPECT_EQ(0, voTarsin_QueryBitfileFifo(session, "stream12", 0, &fifo));
  EXPECT_EQ(fifo, 12u);
  EXPECT_EQ(VODEV_E_NO_SUCH_FIFO, voTarsin_QueryBitfileFifo(session, "nowhere", 0, &fifo));
  EXPECT_EQ(0, voTarsin_CloseSession(session, 0));
}

}  // namespace
