// The device model's maintenance requests, built byte by byte at their
// documented offsets: calibration area, limits, commit and I/O readiness,
// register file, instruction FIFOs, image texts, flash and autoload, the I/O
// module record and the synchronisation commands 2 to 14.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "standin_support.h"
#include "vodevice_hook.h"
#include "vofpga.h"
#include "votarsinsimulation.h"

namespace standin_test {
namespace {

constexpr uint32_t kFifoFamily = 0x106;
constexpr uint32_t kMaintenanceFamily = 0xDE7EC7ED;
constexpr uint32_t kSyncFamily = 0x104;
constexpr const char* kDram = "tarsin.module.dram ready 0";
constexpr const char* kData = "tarsin.module.data valid 0";

int32_t Direct(uint32_t session, uint32_t function, const Bytes& input, void* out = nullptr,
               uint64_t outSize = 0) {
  return VoFpgaDll_ClientFunctionCall(session, kGroup, function,
                                      input.empty() ? nullptr : input.data(), input.size(), out,
                                      outSize);
}

template <typename T>
Bytes Of(T value) {
  Bytes bytes(sizeof value);
  Put(bytes, 0, value);
  return bytes;
}

Bytes Record(size_t size, uint32_t family, uint32_t command) {
  Bytes bytes(size, 0);
  Put(bytes, 0, family);
  Put(bytes, 16, command);
  return bytes;
}

uint8_t ReadRegister(uint32_t session, const char* name, int32_t* status = nullptr) {
  uint32_t handle = 0;
  EXPECT_EQ(VoFpgaDll_FindRegisterPrivate(session, name, 0xFFFFFFFF, &handle), 0);
  uint8_t value = 0xEE;
  const int32_t result = VoFpgaDll_ReadBool(session, handle, &value);
  if (status) *status = result;
  return value;
}

bool IoReady(uint32_t session) {
  Block block;
  EXPECT_EQ(Get(session, 0x40000003, kWireBool, "", block), 0);
  return block[280] != 0;
}

class MaintenanceModel : public StandinTest {
 protected:
  void SetUp() override {
    StandinTest::SetUp();
    VoDev_EraseNonVolatile(nullptr);
  }
  void TearDown() override {
    VoDev_SetCommitDelays(20, 10);
    StandinTest::TearDown();
  }
  int32_t Commit(uint32_t session) { return Send(session, Record(24, kMaintenanceFamily, 342)); }
};

// ---- Calibration area ---------------------------------------------------------------

Bytes CalibrationWrite(uint32_t location, const std::string& data) {
  Bytes bytes(8 + data.size());
  Put(bytes, 0, location);
  Put(bytes, 4, static_cast<uint32_t>(data.size()));
  std::memcpy(bytes.data() + 8, data.data(), data.size());
  return bytes;
}

TEST_F(MaintenanceModel, CalibrationBlocksAreKeptPerResourceForTheProcess) {
  ASSERT_EQ(Direct(hardware_, 6, CalibrationWrite(16, "gain=1.25")), 0);
  char block[12] = {};
  ASSERT_EQ(Direct(hardware_, 7, Of<uint32_t>(14), block, sizeof block), 0);
  EXPECT_EQ(std::string(block, sizeof block), std::string("\xFF\xFFgain=1.25\xFF", 12));

  // A reset of the device and of the whole model keeps it; other devices
  // have areas of their own.
  ASSERT_EQ(VoFpgaDll_Close(hardware_, VODEV_CLOSE_RESET_DEVICE), 0);
  VoDev_Reset();
  uint32_t again = 0;
  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO0", 0, &again), 0);
  std::memset(block, 0, sizeof block);
  ASSERT_EQ(Direct(again, 7, Of<uint32_t>(16), block, 9), 0);
  EXPECT_EQ(std::string(block, 9), "gain=1.25");
  uint32_t other = 0;
  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO1", 0, &other), 0);
  ASSERT_EQ(Direct(other, 7, Of<uint32_t>(16), block, 1), 0);
  EXPECT_EQ(static_cast<uint8_t>(block[0]), 0xFF);
}

TEST_F(MaintenanceModel, CalibrationAccessStaysInsideTheArea) {
  const int32_t size = GetI32(hardware_, 0x1000000C, "");
  ASSERT_EQ(size, 4096);
  EXPECT_EQ(Direct(hardware_, 6, CalibrationWrite(size - 2, "ab")), 0);
  EXPECT_EQ(Direct(hardware_, 6, CalibrationWrite(size - 2, "abc")), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(Direct(hardware_, 6, CalibrationWrite(0xFFFFFFFF, "a")), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(Direct(hardware_, 6, CalibrationWrite(size, "")), 0);
  Bytes lying = CalibrationWrite(0, "abcd");
  Put<uint32_t>(lying, 4, 5);
  EXPECT_EQ(Direct(hardware_, 6, lying), VODEV_E_MALFORMED_REQUEST);
  EXPECT_EQ(Direct(hardware_, 6, Bytes(7, 0)), VODEV_E_BAD_REQUEST_SIZE);

  char buffer[8];
  EXPECT_EQ(Direct(hardware_, 7, Of<uint32_t>(size - 4), buffer, 8), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(Direct(hardware_, 7, Of<uint32_t>(size), nullptr, 0), 0);
  EXPECT_EQ(Direct(hardware_, 7, Bytes(8, 0), buffer, 8), VODEV_E_BAD_REQUEST_SIZE);
  const Elaboration e = Elaborate(hardware_, VODEV_E_INVALID_VALUE);
  EXPECT_NE(e.text.find("calibration area of 4096 bytes"), std::string::npos) << e.text;
}

// ---- Limits -------------------------------------------------------------------------

TEST_F(MaintenanceModel, LimitsAreTheLimitAttributes) {
  ASSERT_EQ(Direct(hardware_, 14, Of(70.5)), 0);
  ASSERT_EQ(Direct(hardware_, 15, Of(31.25)), 0);
  EXPECT_EQ(GetF64(hardware_, 0x2000000A, ""), 70.5);
  EXPECT_EQ(GetF64(hardware_, 0x2000000B, ""), 31.25);
  ASSERT_EQ(Send(hardware_, SetF64(0x2000000B, "", 33.0)), 0);
  double limit = 0;
  ASSERT_EQ(Direct(hardware_, 16, {}, &limit, sizeof limit), 0);
  EXPECT_EQ(limit, 70.5);
  ASSERT_EQ(Direct(hardware_, 17, {}, &limit, sizeof limit), 0);
  EXPECT_EQ(limit, 33.0);

  EXPECT_EQ(Direct(hardware_, 14, Of(0.0)), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(Direct(hardware_, 15, Of(std::nan(""))), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(Direct(hardware_, 14, Of(1.0f)), VODEV_E_BAD_REQUEST_SIZE);
  EXPECT_EQ(Direct(hardware_, 16, {}, &limit, 4), VODEV_E_RESPONSE_TOO_SMALL);
  EXPECT_EQ(Direct(hardware_, 16, Of<uint32_t>(0), &limit, 8), VODEV_E_BAD_REQUEST_SIZE);
}

// ---- Commit and I/O readiness ----------------------------------------------------------

TEST_F(MaintenanceModel, CommitStartsTheIoAndThenTheModule) {
  EXPECT_FALSE(IoReady(hardware_));
  EXPECT_EQ(ReadRegister(hardware_, kDram), 1);  // as the image was loaded
  EXPECT_EQ(VoDev_CommitCount(hardware_), 0);

  VoDev_SetCommitDelays(60000, 60000);
  ASSERT_EQ(Commit(hardware_), 0);
  EXPECT_EQ(VoDev_CommitCount(hardware_), 1);
  EXPECT_FALSE(IoReady(hardware_));
  EXPECT_EQ(ReadRegister(hardware_, kDram), 0);
  EXPECT_EQ(ReadRegister(hardware_, kData), 0);

  VoDev_SetCommitDelays(0, 60000);
  EXPECT_TRUE(IoReady(hardware_));
  EXPECT_EQ(ReadRegister(hardware_, kDram), 0);

  VoDev_SetCommitDelays(0, 0);
  EXPECT_EQ(ReadRegister(hardware_, kDram), 1);
  EXPECT_EQ(ReadRegister(hardware_, kData), 1);
  // The device is shared; the commit of one session shows in the other's.
  uint32_t second = 0;
  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO0", 0, &second), 0);
  EXPECT_TRUE(IoReady(second));

  // A device reset forgets the commit.
  ASSERT_EQ(VoFpgaDll_Close(second, VODEV_CLOSE_RESET_DEVICE), 0);
  EXPECT_FALSE(IoReady(hardware_));
  EXPECT_EQ(VoDev_CommitCount(hardware_), 0);
}

TEST_F(MaintenanceModel, ARegisterSetByHandNoLongerFollowsTheCommit) {
  VoDev_SetCommitDelays(60000, 60000);
  ASSERT_EQ(Commit(hardware_), 0);
  ASSERT_GT(VoDev_SetRegister(hardware_, kDram, 1), 0);
  EXPECT_EQ(ReadRegister(hardware_, kDram), 1);
  EXPECT_EQ(ReadRegister(hardware_, kData), 0);
}

TEST_F(MaintenanceModel, CommitRecordsAreChecked) {
  Bytes record = Record(24, kMaintenanceFamily, 342);
  Put<uint32_t>(record, 20, 1);
  EXPECT_EQ(Send(hardware_, record), VODEV_E_MALFORMED_REQUEST);
  EXPECT_EQ(Send(hardware_, Record(20, kMaintenanceFamily, 342)), VODEV_E_BAD_REQUEST_SIZE);
  EXPECT_EQ(Send(hardware_, Record(24, kMaintenanceFamily, 341)), VODEV_E_UNSUPPORTED_COMMAND);
  EXPECT_EQ(VoDev_CommitCount(hardware_), 0);
  // Simulated sessions commit through the simulation library.
  EXPECT_EQ(
      Simulation_ClientFunctionCall(simulated_, kGroup, kFamilyRequest,
                                    Record(24, kMaintenanceFamily, 342).data(), 24, nullptr, 0),
      0);
  EXPECT_EQ(VoDev_CommitCount(simulated_), 1);
}

TEST_F(MaintenanceModel, IoErrorIsSetThroughTheHook) {
  EXPECT_EQ(GetI32(hardware_, 0x1000000D, ""), 0);
  ASSERT_EQ(VoDev_SetIoError(hardware_, -3), 0);
  EXPECT_EQ(GetI32(hardware_, 0x1000000D, ""), -3);
  EXPECT_EQ(Send(hardware_, SetI32(0x1000000D, "", 0)), VODEV_E_READ_ONLY_ATTRIBUTE);
  EXPECT_EQ(VoDev_SetIoError(0x7777, 1), VODEV_E_UNKNOWN_SESSION);
}

TEST_F(MaintenanceModel, ScriptedRegisterReadsComeFirst) {
  const int32_t statuses[] = {5, -2, 0};
  const uint8_t values[] = {0, 1, 0};
  ASSERT_EQ(VoDev_ScriptRegisterReads(hardware_, kDram, statuses, values, 3), 0);
  int32_t status = 0;
  EXPECT_EQ(ReadRegister(hardware_, kDram, &status), 0);
  EXPECT_EQ(status, 5);
  ReadRegister(hardware_, kDram, &status);
  EXPECT_EQ(status, -2);
  EXPECT_EQ(ReadRegister(hardware_, kDram, &status), 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadRegister(hardware_, kDram, &status), 1);  // the script is used up
  EXPECT_EQ(VoDev_RegisterReadCount(hardware_, kDram), 2);

  EXPECT_EQ(VoDev_ScriptRegisterReads(hardware_, "absent", statuses, values, 1),
            VODEV_E_NO_SUCH_REGISTER);
  EXPECT_EQ(VoDev_ScriptRegisterReads(hardware_, kDram, nullptr, values, 1),
            VODEV_E_INVALID_ARGUMENT);
  EXPECT_EQ(VoDev_ScriptRegisterReads(hardware_, nullptr, statuses, values, 1),
            VODEV_E_INVALID_ARGUMENT);
}

// ---- Register file ---------------------------------------------------------------------

TEST_F(MaintenanceModel, RegisterFileHoldsAlignedWordsOfTheDevice) {
  Bytes write(8);
  Put<uint32_t>(write, 0, 0xFFFC);
  Put<uint32_t>(write, 4, 0xDEADBEEF);
  ASSERT_EQ(Direct(hardware_, 1, write), 0);
  uint32_t value = 0;
  ASSERT_EQ(Direct(hardware_, 0, Of<uint32_t>(0xFFFC), &value, 4), 0);
  EXPECT_EQ(value, 0xDEADBEEFu);
  ASSERT_EQ(Direct(hardware_, 0, Of<uint32_t>(0x10), &value, 4), 0);
  EXPECT_EQ(value, 0u);
  EXPECT_EQ(Direct(hardware_, 0, Of<uint32_t>(0x10002), &value, 4), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(Direct(hardware_, 0, Of<uint32_t>(0x10000), &value, 4), VODEV_E_INVALID_VALUE);
  Put<uint32_t>(write, 0, 6);
  EXPECT_EQ(Direct(hardware_, 1, write), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(Direct(hardware_, 0, Of<uint32_t>(0), &value, 2), VODEV_E_RESPONSE_TOO_SMALL);
  EXPECT_EQ(Direct(hardware_, 1, Of<uint32_t>(0)), VODEV_E_BAD_REQUEST_SIZE);
}

// ---- Instruction FIFOs ---------------------------------------------------------------

Bytes RawFifo(uint32_t target, uint64_t instruction) {
  Bytes bytes(16, 0);
  Put(bytes, 0, target);
  Put(bytes, 8, instruction);
  return bytes;
}

Bytes Batch(uint32_t command, uint32_t target, const std::vector<uint64_t>& words) {
  Bytes bytes = Record(156, kFifoFamily, command);
  Put(bytes, 20, target);
  Put(bytes, 24, static_cast<uint32_t>(words.size()));
  for (size_t i = 0; i < words.size(); ++i) Put(bytes, 28 + 8 * i, words[i]);
  return bytes;
}

TEST_F(MaintenanceModel, FifoReadsExecuteTheQueuedWords) {
  ASSERT_EQ(Direct(hardware_, 3, RawFifo(3, 1)), 0);
  ASSERT_EQ(Direct(hardware_, 3, RawFifo(3, 2)), 0);
  ASSERT_EQ(Direct(hardware_, 3, RawFifo(4, 100)), 0);
  EXPECT_EQ(VoDev_FifoDepth(hardware_, 3), 2);
  uint32_t answer[2] = {};
  ASSERT_EQ(Direct(hardware_, 2, RawFifo(3, 0x100000003ull), answer, sizeof answer), 0);
  EXPECT_EQ(answer[0], 6u);  // low half of 1 + 2 + 0x100000003
  EXPECT_EQ(answer[1], 3u);
  EXPECT_EQ(VoDev_FifoDepth(hardware_, 3), 0);
  EXPECT_EQ(VoDev_FifoDepth(hardware_, 4), 1);

  ASSERT_EQ(Send(hardware_, Batch(1, 9, {0x100000000ull, 5})), 0);
  uint64_t sum = 0;
  ASSERT_EQ(Send(hardware_, Batch(0, 9, {7}), &sum, sizeof sum), 0);
  EXPECT_EQ(sum, 0x10000000Cull);
  ASSERT_EQ(Send(hardware_, Batch(0, 9, {}), &sum, sizeof sum), 0);
  EXPECT_EQ(sum, 0u);
}

TEST_F(MaintenanceModel, FifoRecordsAreChecked) {
  uint64_t sum = 0;
  Bytes sixteen = Batch(1, 0, std::vector<uint64_t>(15, 1));
  Put<uint32_t>(sixteen, 24, 16);
  EXPECT_EQ(Send(hardware_, sixteen), VODEV_E_MALFORMED_REQUEST);
  Bytes stray = Batch(1, 0, {1});
  Put<uint64_t>(stray, 28 + 8 * 15, 1);
  EXPECT_EQ(Send(hardware_, stray), VODEV_E_MALFORMED_REQUEST);
  EXPECT_EQ(Send(hardware_, Batch(2, 0, {})), VODEV_E_UNSUPPORTED_COMMAND);
  EXPECT_EQ(Send(hardware_, Batch(0, 0, {1}), &sum, 4), VODEV_E_RESPONSE_TOO_SMALL);
  EXPECT_EQ(VoDev_FifoDepth(hardware_, 0), 0);
  Bytes unused = RawFifo(0, 1);
  Put<uint32_t>(unused, 4, 1);
  EXPECT_EQ(Direct(hardware_, 3, unused), VODEV_E_MALFORMED_REQUEST);

  for (int i = 0; i < 4096 / 15; ++i)
    ASSERT_EQ(Send(hardware_, Batch(1, 1, std::vector<uint64_t>(15, 1))), 0);
  EXPECT_EQ(Send(hardware_, Batch(1, 1, std::vector<uint64_t>(15, 1))), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(VoDev_FifoDepth(hardware_, 1), 4095);
  EXPECT_EQ(Direct(hardware_, 3, RawFifo(1, 1)), 0);
  EXPECT_EQ(Direct(hardware_, 3, RawFifo(1, 1)), VODEV_E_INVALID_VALUE);
}

// ---- Image texts -------------------------------------------------------------------------

TEST_F(MaintenanceModel, MetadataDescribesTheImageAndItsRegisters) {
  ASSERT_GT(VoDev_SetRegister(hardware_, "user.led", 0), 0);
  uint32_t size = 0;
  ASSERT_EQ(Direct(hardware_, 18, {}, &size, sizeof size), 0);
  std::vector<char> text(size, 'x');
  ASSERT_EQ(Direct(hardware_, 19, {}, text.data(), text.size()), 0);
  EXPECT_EQ(text.back(), '\0');
  const std::string metadata(text.data());
  EXPECT_EQ(metadata.size() + 1, size);
  EXPECT_NE(metadata.find("name=/com::vo::tarsin::image::default\n"), std::string::npos);
  EXPECT_NE(metadata.find("device=RIO0\n"), std::string::npos);
  EXPECT_NE(metadata.find("register=tarsin.module.dram ready 0,bool,handle 1\n"),
            std::string::npos);
  EXPECT_NE(metadata.find("register=user.led,bool,handle 3\n"), std::string::npos);
  EXPECT_EQ(Direct(hardware_, 19, {}, text.data(), size - 1), VODEV_E_RESPONSE_TOO_SMALL);
  EXPECT_EQ(Direct(hardware_, 18, {}, &size, 2), VODEV_E_RESPONSE_TOO_SMALL);
}

TEST_F(MaintenanceModel, TreesOfTheImageAndTheDevice) {
  char text[256] = {};
  Bytes record = Record(24, kMaintenanceFamily, 343);
  ASSERT_EQ(Send(hardware_, record, text, sizeof text), 0);
  EXPECT_STREQ(text,
               "{\"image\":\"/com::vo::tarsin::image::default\",\"registers\":"
               "[\"tarsin.module.data valid 0\",\"tarsin.module.dram ready 0\"]}");
  Put<uint32_t>(record, 20, 1);
  ASSERT_EQ(Simulation_ClientFunctionCall(simulated_, kGroup, kFamilyRequest, record.data(),
                                          record.size(), text, sizeof text),
            0);
  EXPECT_STREQ(text, "{\"device\":\"SIM0\",\"simulated\":true}");
  EXPECT_EQ(Send(hardware_, record, text, 10), VODEV_E_RESPONSE_TOO_SMALL);
  Put<uint32_t>(record, 20, 2);
  EXPECT_EQ(Send(hardware_, record, text, sizeof text), VODEV_E_INVALID_VALUE);
}

// ---- Flash, autoload, verification, I/O module ---------------------------------------------

TEST_F(MaintenanceModel, FlashAndAutoloadAreKeptForTheResource) {
  Bytes autoload(8);
  Put<uint32_t>(autoload, 0, 2);
  Put<uint32_t>(autoload, 4, 1);
  ASSERT_EQ(Direct(hardware_, 21, autoload), 0);
  ASSERT_EQ(Direct(hardware_, 777, Of<uint32_t>(9)), 0);
  VoDev_Reset();
  VoDevNonVolatile state{};
  ASSERT_EQ(VoDev_GetNonVolatile("RIO0", &state), 0);
  EXPECT_EQ(state.autoload, 1u);
  EXPECT_EQ(state.promotions, 1u);
  EXPECT_EQ(state.promoteOption, 9u);
  EXPECT_STREQ(state.flashImage, "/com::vo::tarsin::image::default");

  uint32_t session = 0;
  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO0", 0, &session), 0);
  Put<uint32_t>(autoload, 4, 2);
  EXPECT_EQ(Direct(session, 21, autoload), VODEV_E_INVALID_VALUE);
  Put<uint32_t>(autoload, 0, 3);
  Put<uint32_t>(autoload, 4, 0);
  EXPECT_EQ(Direct(session, 21, autoload), VODEV_E_INVALID_VALUE);
  EXPECT_EQ(Direct(session, 777, Bytes(8, 0)), VODEV_E_BAD_REQUEST_SIZE);
  EXPECT_EQ(VoDev_GetNonVolatile(nullptr, &state), VODEV_E_INVALID_ARGUMENT);

  VoDev_EraseNonVolatile("RIO0");
  ASSERT_EQ(VoDev_GetNonVolatile("RIO0", &state), 0);
  EXPECT_EQ(state.promotions, 0u);
}

TEST_F(MaintenanceModel, VerificationUpdateStampsTimeAndTemperature) {
  const auto before = static_cast<uint64_t>(std::time(nullptr));
  ASSERT_EQ(Direct(hardware_, 20, {}), 0);
  Block block;
  ASSERT_EQ(Get(hardware_, 0x50000004, kWireU64, "", block), 0);
  EXPECT_GE(Take<uint64_t>(block.data(), 16), before);
  EXPECT_EQ(GetF64(hardware_, 0x2000000E, ""), GetF64(hardware_, 0x20000005, ""));
  VoDevNonVolatile state{};
  ASSERT_EQ(VoDev_GetNonVolatile("RIO0", &state), 0);
  EXPECT_EQ(state.verificationUpdates, 1u);
  EXPECT_EQ(Direct(hardware_, 20, Of<uint32_t>(0)), VODEV_E_BAD_REQUEST_SIZE);
}

TEST_F(MaintenanceModel, IoModuleRecordIsStoredAsWritten) {
  uint8_t record[16] = {};
  ASSERT_EQ(Direct(hardware_, 23, {}, record, sizeof record), 0);
  EXPECT_EQ(Take<uint16_t>(record, 8), 0x7A51);
  EXPECT_EQ(Take<uint32_t>(record, 0), 0x00C0FFEEu);
  EXPECT_EQ(record[14], 1);

  Bytes written(16);
  for (size_t i = 0; i < 15; ++i) written[i] = static_cast<uint8_t>(i + 1);
  ASSERT_EQ(Direct(hardware_, 22, written), 0);
  ASSERT_EQ(Direct(hardware_, 23, {}, record, sizeof record), 0);
  EXPECT_EQ(Bytes(record, record + 16), written);
  written[15] = 1;
  EXPECT_EQ(Direct(hardware_, 22, written), VODEV_E_MALFORMED_REQUEST);
  EXPECT_EQ(Direct(hardware_, 23, {}, record, 15), VODEV_E_RESPONSE_TOO_SMALL);
}

// ---- Synchronisation commands ------------------------------------------------------------

TEST_F(MaintenanceModel, SynqCommandsAreCountedWithTheirArguments) {
  const size_t sizes[] = {0, 0, 24, 24, 24, 24, 28, 36, 36, 28, 20, 20, 20, 20, 20};
  for (uint32_t command = 2; command <= 14; ++command) {
    SCOPED_TRACE(command);
    Bytes record = Record(sizes[command], kSyncFamily, command);
    if (sizes[command] >= 24) Put<uint32_t>(record, 20, 40 + command);
    uint8_t out[16] = {};
    EXPECT_EQ(Send(hardware_, record, out, sizeof out), 0);
    EXPECT_EQ(Send(hardware_, Record(sizes[command] + 4, kSyncFamily, command), out, sizeof out),
              VODEV_E_BAD_REQUEST_SIZE);
    EXPECT_EQ(VoDev_SynqCommandCount(hardware_, command, nullptr), 1);
  }
  EXPECT_EQ(Send(hardware_, Record(20, kSyncFamily, 15)), VODEV_E_UNSUPPORTED_COMMAND);
  uint64_t args[2] = {};
  Bytes six = Record(28, kSyncFamily, 6);
  Put<uint32_t>(six, 20, 0xA);
  Put<uint32_t>(six, 24, 0xB);
  ASSERT_EQ(Send(hardware_, six), 0);
  EXPECT_EQ(VoDev_SynqCommandCount(hardware_, 6, args), 2);
  EXPECT_EQ(args[0], 0xAu);
  EXPECT_EQ(args[1], 0xBu);
  Bytes seven = Record(36, kSyncFamily, 7);
  Put(seven, 20, 1.5);
  Put(seven, 28, -2.0);
  ASSERT_EQ(Send(hardware_, seven), 0);
  EXPECT_EQ(VoDev_SynqCommandCount(hardware_, 7, args), 2);
  EXPECT_EQ(std::bit_cast<double>(args[0]), 1.5);
  EXPECT_EQ(std::bit_cast<double>(args[1]), -2.0);
  EXPECT_EQ(VoDev_SynqCommandCount(hardware_, 1, args), VODEV_E_INVALID_ARGUMENT);
}

TEST_F(MaintenanceModel, CommandTwelveReportsRunningAndFiveMeasures) {
  uint8_t running = 0xEE;
  ASSERT_EQ(Send(hardware_, Record(20, kSyncFamily, 12), &running, 1), 0);
  EXPECT_EQ(running, 0);
  ASSERT_EQ(Send(hardware_, Record(20, kSyncFamily, 10)), 0);
  ASSERT_EQ(Send(hardware_, Record(20, kSyncFamily, 12), &running, 1), 0);
  EXPECT_EQ(running, 1);
  ASSERT_EQ(Send(hardware_, Record(20, kSyncFamily, 11)), 0);
  ASSERT_EQ(Send(hardware_, Record(20, kSyncFamily, 12), &running, 1), 0);
  EXPECT_EQ(running, 0);
  EXPECT_EQ(Send(hardware_, Record(20, kSyncFamily, 12)), VODEV_E_RESPONSE_TOO_SMALL);

  Bytes nine = Record(28, kSyncFamily, 9);
  Put(nine, 20, 0.5);
  ASSERT_EQ(Send(hardware_, nine), 0);
  Bytes pulse = Record(24, kSyncFamily, 1);
  ASSERT_EQ(Send(hardware_, pulse), 0);
  ASSERT_EQ(Send(hardware_, pulse), 0);
  Bytes five = Record(24, kSyncFamily, 5);
  Put<uint32_t>(five, 20, 250);
  uint8_t out[16] = {};
  ASSERT_EQ(Send(hardware_, five, out, sizeof out), 0);
  EXPECT_DOUBLE_EQ(Take<double>(out, 0), 0.5 + 250e-9);
  EXPECT_EQ(Take<uint32_t>(out, 8), 250u);
  EXPECT_EQ(Take<uint32_t>(out, 12), 2u);
  EXPECT_EQ(Send(hardware_, five, out, 15), VODEV_E_RESPONSE_TOO_SMALL);
  // The probe is still served.
  EXPECT_EQ(Send(hardware_, Record(20, kSyncFamily, 0)), 0);
}

// ---- Bad input ------------------------------------------------------------------------------

TEST_F(MaintenanceModel, GarbageGetsTheModelsCodesAndNeverACrash) {
  const uint32_t functions[] = {0, 1, 2, 3, 6, 7, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 777};
  const uint32_t families[] = {kFifoFamily, kMaintenanceFamily, kSyncFamily};
  uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  std::vector<uint8_t> out(64);
  for (int round = 0; round < 2000; ++round) {
    Bytes input(next() % 200);
    for (uint8_t& byte : input) byte = static_cast<uint8_t>(next());
    const bool family = next() % 2 == 0;
    uint32_t function = functions[next() % std::size(functions)];
    if (family && input.size() >= 20) {
      function = kFamilyRequest;
      Put<uint32_t>(input, 0, families[next() % std::size(families)]);
      const uint32_t commands[] = {0, 1, 2, 5, 6, 7, 9, 12, 13, 15, 342, 343, next()};
      Put<uint32_t>(input, 16, commands[next() % std::size(commands)]);
      if (next() % 2) std::memset(input.data() + 4, 0, 12);
    }
    const uint64_t outSize = next() % 3 == 0 ? 0 : next() % out.size();
    const int32_t status = VoFpgaDll_ClientFunctionCall(
        hardware_, kGroup, function, input.empty() ? nullptr : input.data(), input.size(),
        outSize == 0 ? nullptr : out.data(), outSize);
    EXPECT_TRUE(status == 0 || (status <= -61000 && status >= -61099))
        << "function " << function << " status " << status;
  }
  EXPECT_EQ(VoFpgaDll_ClientFunctionCall(hardware_, kGroup, 6, nullptr, 12, nullptr, 0),
            VODEV_E_BAD_REQUEST_SIZE);
}

}  // namespace
}  // namespace standin_test
