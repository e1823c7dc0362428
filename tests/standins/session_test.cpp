// Opening and closing sessions, the open records, the graphical flavour's
// bookkeeping, and the image's registers and FIFOs.
#include <set>

#include "standin_support.h"
#include "vofpgagx.h"

namespace standin_test {
namespace {

constexpr uint32_t kAiRange = 0x20000010;
constexpr uint32_t kDataDelay = 0x20000019;

class SessionTest : public StandinTest {};

TEST_F(SessionTest, HardwareAndSimulatedResourcesOpenWithTheirHandleKinds) {
  EXPECT_NE(hardware_, 0u);
  EXPECT_EQ(hardware_ & kSimulatedBit, 0u);
  EXPECT_EQ(simulated_ & kSimulatedBit, kSimulatedBit);

  std::set<uint32_t> handles{hardware_, simulated_};
  for (const char* resource : {"RIO7", "RIO0", "SIM", "SIMfoo", "SIM0"}) {
    uint32_t session = 0;
    ASSERT_EQ(VoFpgaDll_Open("image.lvbitx", nullptr, resource, 0x80000000u, &session), 0)
        << resource;
    EXPECT_EQ((session & kSimulatedBit) != 0, std::string_view(resource).starts_with("SIM"));
    EXPECT_TRUE(handles.insert(session).second) << "handle reused: " << session;
  }
  EXPECT_EQ(VoDev_OpenSessionCount(), 7u);
}

TEST_F(SessionTest, UnknownResourcesAndMissingArgumentsAreRefused) {
  uint32_t session = 1234;
  for (const char* resource : {"RIO8", "RIO", "rio0", "RIO00", "Sim0", "", "XSIM0"}) {
    EXPECT_EQ(VoFpgaDll_Open("image", nullptr, resource, 0, &session), VODEV_E_UNKNOWN_RESOURCE)
        << resource;
  }
  EXPECT_EQ(session, 1234u);
  EXPECT_EQ(VoFpgaDll_Open(nullptr, nullptr, "RIO0", 0, &session), VODEV_E_INVALID_ARGUMENT);
  EXPECT_EQ(VoFpgaDll_Open("image", nullptr, nullptr, 0, &session), VODEV_E_INVALID_ARGUMENT);
  EXPECT_EQ(VoFpgaDll_Open("image", nullptr, "RIO0", 0, nullptr), VODEV_E_INVALID_ARGUMENT);
  EXPECT_EQ(VoDev_OpenSessionCount(), 2u);
}

TEST_F(SessionTest, OpenRecordKeepsTheArgumentsAsGiven) {
  uint32_t session = 0;
  ASSERT_EQ(VoFpgaDll_Open("/com::vo::tarsin::image::User", "sig", "RIO3", 0x80000007u, &session),
            0);
  VoDevOpenRecord record;
  ASSERT_EQ(VoDev_GetLastOpen(&record), VODEV_OPEN_FPGA);
  EXPECT_STREQ(record.image, "/com::vo::tarsin::image::User");
  EXPECT_STREQ(record.signature, "sig");
  EXPECT_STREQ(record.resource, "RIO3");
  EXPECT_EQ(record.attribute, 0x80000007u);
  EXPECT_EQ(record.session, session);
  EXPECT_EQ(record.status, 0);
  EXPECT_TRUE(record.signatureGiven);

  // A failed open is recorded too; the short form cuts the image name.
  EXPECT_EQ(VoFpgaDll_Open("abcdef", nullptr, "nowhere", 0x40000000u, &session),
            VODEV_E_UNKNOWN_RESOURCE);
  char image[4];
  uint32_t attribute = 0;
  EXPECT_EQ(VoDev_LastOpen(image, sizeof image, &attribute), VODEV_OPEN_FPGA);
  EXPECT_STREQ(image, "abc");
  EXPECT_EQ(attribute, 0x40000000u);
  ASSERT_EQ(VoDev_GetLastOpen(&record), VODEV_OPEN_FPGA);
  EXPECT_FALSE(record.signatureGiven);
  EXPECT_EQ(record.status, VODEV_E_UNKNOWN_RESOURCE);

  VoDev_Reset();
  EXPECT_EQ(VoDev_LastOpen(image, sizeof image, &attribute), VODEV_OPEN_NONE);
}

TEST_F(SessionTest, ClosedAndUnknownHandlesFailWithTheirOwnCodes) {
  Block block;
  ASSERT_EQ(VoFpgaDll_Close(hardware_, 5), 0);
  uint32_t session = 0, attribute = 0;
  EXPECT_EQ(VoDev_LastClose(&session, &attribute), 1u);
  EXPECT_EQ(session, hardware_);
  EXPECT_EQ(attribute, 5u);

  EXPECT_EQ(Get(hardware_, kAiRange, kWireF64, "AI0", block), VODEV_E_SESSION_CLOSED);
  EXPECT_EQ(VoFpgaDll_Close(hardware_, 0), VODEV_E_SESSION_CLOSED);
  EXPECT_EQ(Get(0x7777, kAiRange, kWireF64, "AI0", block), VODEV_E_UNKNOWN_SESSION);
  EXPECT_EQ(VoFpgaDll_Close(0x7777, 0), VODEV_E_UNKNOWN_SESSION);
  EXPECT_EQ(VoDev_OpenSessionCount(), 1u);

  // A reset forgets the handles issued before it.
  const uint32_t old = simulated_;
  VoDev_Reset();
  EXPECT_EQ(Get(old, kAiRange, kWireF64, "AI0", block), VODEV_E_UNKNOWN_SESSION);
}

TEST_F(SessionTest, DeviceStateOutlivesSessionsAndStaysWithItsResource) {
  ASSERT_EQ(Send(hardware_, SetF64(kDataDelay, "", 2.5e-9)), 0);
  ASSERT_EQ(VoFpgaDll_Close(hardware_, 0), 0);

  uint32_t again = 0, other = 0;
  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO0", 0, &again), 0);
  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO1", 0, &other), 0);
  EXPECT_NE(again, hardware_);
  EXPECT_EQ(GetF64(again, kDataDelay, ""), 2.5e-9);
  EXPECT_EQ(GetF64(other, kDataDelay, ""), 0.0);

  // The reset bit of the close attribute returns the device to power-on.
  ASSERT_EQ(VoFpgaDll_Close(again, VODEV_CLOSE_RESET_DEVICE), 0);
  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO0", 0, &again), 0);
  EXPECT_EQ(GetF64(again, kDataDelay, ""), 0.0);
}

TEST_F(SessionTest, GxFlavourOpensThroughTheSameModelAndRecordsItsLoad) {
  // The test program links the library, so its constructor has run.
  EXPECT_GE(VoDev_GxLoadCount(), 1u);

  uint32_t calls = 0;
  VoDev_GxLastTlsIndex(&calls);
  SetGXRTTLSIndex(42);
  uint32_t callsAfter = 0;
  EXPECT_EQ(VoDev_GxLastTlsIndex(&callsAfter), 42u);
  EXPECT_EQ(callsAfter, calls + 1);

  uint32_t session = 0;
  ASSERT_EQ(
      VoFpgaGx_Open("/com::vo::tarsin::image::golden", nullptr, "SIM2", 0xC0000001u, &session), 0);
  EXPECT_EQ(session & kSimulatedBit, kSimulatedBit);
  char image[64];
  uint32_t attribute = 0;
  EXPECT_EQ(VoDev_LastOpen(image, sizeof image, &attribute), VODEV_OPEN_GX);
  EXPECT_STREQ(image, "/com::vo::tarsin::image::golden");
  EXPECT_EQ(attribute, 0xC0000001u);
  EXPECT_EQ(GetI32(session, 0x1000000F, ""), 16);
  EXPECT_EQ(VoFpgaGx_Open("image", nullptr, "COM1", 0, &session), VODEV_E_UNKNOWN_RESOURCE);
}

TEST_F(SessionTest, ImageRegistersAreFoundAndRead) {
  uint32_t dram = 0, valid = 0;
  ASSERT_EQ(
      VoFpgaDll_FindRegisterPrivate(hardware_, "tarsin.module.dram ready 0", 0xFFFFFFFFu, &dram),
      0);
  ASSERT_EQ(
      VoFpgaDll_FindRegisterPrivate(hardware_, "tarsin.module.data valid 0", 0xFFFFFFFFu, &valid),
      0);
  EXPECT_NE(dram, valid);
  char name[64];
  uint32_t reserved = 0;
  EXPECT_EQ(VoDev_LastFindRegister(name, sizeof name, &reserved), 2u);
  EXPECT_STREQ(name, "tarsin.module.data valid 0");
  EXPECT_EQ(reserved, 0xFFFFFFFFu);

  uint8_t value = 7;
  ASSERT_EQ(VoFpgaDll_ReadBool(hardware_, dram, &value), 0);
  EXPECT_EQ(value, 1);
  ASSERT_EQ(VoDev_SetRegister(hardware_, "tarsin.module.dram ready 0", 0),
            static_cast<int32_t>(dram));
  ASSERT_EQ(VoFpgaDll_ReadBool(hardware_, dram, &value), 0);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(VoDev_RegisterReadCount(hardware_, "tarsin.module.dram ready 0"), 2);
  EXPECT_EQ(VoDev_RegisterReadCount(hardware_, "tarsin.module.data valid 0"), 0);

  // Registers belong to the session's image, not to the device.
  ASSERT_EQ(VoFpgaDll_ReadBool(simulated_, dram, &value), 0);
  EXPECT_EQ(value, 1);

  ASSERT_EQ(VoDev_RemoveRegister(hardware_, "tarsin.module.data valid 0"), 0);
  uint32_t handle = 99;
  EXPECT_EQ(VoFpgaDll_FindRegisterPrivate(hardware_, "tarsin.module.data valid 0", 0, &handle),
            VODEV_E_NO_SUCH_REGISTER);
  EXPECT_EQ(handle, 99u);
  EXPECT_EQ(VoFpgaDll_ReadBool(hardware_, valid, &value), VODEV_E_NO_SUCH_REGISTER);
  EXPECT_EQ(VoFpgaDll_ReadBool(hardware_, dram, nullptr), VODEV_E_INVALID_ARGUMENT);
  EXPECT_EQ(VoFpgaDll_FindRegisterPrivate(hardware_, nullptr, 0, &handle),
            VODEV_E_INVALID_ARGUMENT);
  EXPECT_EQ(VoFpgaDll_FindRegisterPrivate(0x5555, "tarsin.module.dram ready 0", 0, &handle),
            VODEV_E_UNKNOWN_SESSION);
}

TEST_F(SessionTest, ImageHasOneFifoPerStream) {
  uint32_t fifo = 0;
  ASSERT_EQ(VoFpgaDll_FindFifoPrivate(hardware_, "stream0", 0xFFFFFFFFu, &fifo), 0);
  EXPECT_EQ(fifo, 0u);
  ASSERT_EQ(VoFpgaDll_FindFifoPrivate(hardware_, "stream63", 0xFFFFFFFFu, &fifo), 0);
  EXPECT_EQ(fifo, 63u);
  // The FIFO names are the ones the Stream FIFO Name attribute reports.
  EXPECT_EQ(GetString(hardware_, 0x30000002, "17"), "stream17");
  for (const char* name : {"stream64", "stream07", "stream", "Stream1", "fifo1"}) {
    EXPECT_EQ(VoFpgaDll_FindFifoPrivate(hardware_, name, 0xFFFFFFFFu, &fifo), VODEV_E_NO_SUCH_FIFO)
        << name;
  }
  EXPECT_EQ(VoFpgaDll_FindFifoPrivate(hardware_, "stream1", 0xFFFFFFFFu, nullptr),
            VODEV_E_INVALID_ARGUMENT);
}

}  // namespace
}  // namespace standin_test
