// Calibration storage against exact request bytes, with the driver's answers
// scripted.
#include "api/calibration.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "api/maintenance_support.h"
#include "votarsinapi.h"

namespace {

using namespace mnttest;

constexpr uint32_t kSession = 0x0111;
constexpr uint32_t kSimulatedSession = 0x2111;

class Calibration : public ::testing::Test {
 protected:
  ScriptedDevice device;
};

TEST_F(Calibration, WriteSendsLocationLengthAndDataAsOneRecord) {
  Bytes data(16);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0xA0 + i);
  device.push(7);
  EXPECT_EQ(7, voTarsin_WriteCalibrationData(kSession, 2, data.data(), data.size()));

  Bytes expected{0x02, 0, 0, 0, 0x10, 0, 0, 0};
  expected.insert(expected.end(), data.begin(), data.end());
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].function, 6u);
  EXPECT_EQ(requests[0].group, 2u);
  EXPECT_EQ(requests[0].input, expected);
  EXPECT_FALSE(requests[0].hadOutput);
  EXPECT_EQ(requests[0].outputSize, 0u);
}

TEST_F(Calibration, EmptyWriteSendsTheHeaderAlone) {
  const uint8_t nothing = 0;
  device.push(0);
  EXPECT_EQ(0, voTarsin_WriteCalibrationData(kSession, 0xFFFFFFFF, &nothing, 0));
  ASSERT_EQ(device.count(), 1u);
  EXPECT_EQ(device.requests()[0].input, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
}

TEST_F(Calibration, DirectRequestsOfSimulatedSessionsReachTheFpgaInterface) {
  const uint8_t byte = 1;
  device.push(0);
  device.push(0);
  device.push(0);
  uint8_t buffer[4];
  EXPECT_EQ(0, voTarsin_WriteCalibrationData(kSimulatedSession, 0, &byte, 1));
  EXPECT_EQ(0, voTarsin_ReadCalibrationData(kSimulatedSession, 0, buffer, sizeof buffer));
  EXPECT_EQ(0, voTarsin_UpdateVerificationInformation(kSimulatedSession));
  for (const RecordedRequest& r : device.requests()) EXPECT_EQ(r.route, VODEV_ROUTE_FPGA);
}

TEST_F(Calibration, WriteRefusesMissingDataAndOverflowingSizes) {
  EXPECT_EQ(-52005, voTarsin_WriteCalibrationData(kSession, 0, nullptr, 4));
  EXPECT_EQ(-52005, voTarsin_WriteCalibrationData(kSession, 0, nullptr, 0));
  const uint8_t byte = 0;
  // size + 8 wraps around.
  EXPECT_EQ(-52005, voTarsin_WriteCalibrationData(kSession, 0, &byte, UINT64_MAX - 7));
  EXPECT_EQ(-52005, voTarsin_WriteCalibrationData(kSession, 0, &byte, UINT64_MAX));
  // size + 8 fits 64 bits but no buffer may be that long.
  EXPECT_EQ(-304017, voTarsin_WriteCalibrationData(kSession, 0, &byte, UINT64_MAX - 8));
  EXPECT_EQ(-304017, voTarsin_WriteCalibrationData(kSession, 0, &byte, uint64_t{1} << 63));
  EXPECT_EQ(device.count(), 0u);
}

size_t gAskedSize = 0;
void* failingAllocator(size_t size) {
  gAskedSize = size;
  return nullptr;
}

TEST_F(Calibration, AnAllocationFailureSendsNothing) {
  const uint8_t data[3] = {1, 2, 3};
  gAskedSize = 0;
  EXPECT_EQ(-304017,
            voapi::WriteCalibrationData(kSession, 1, data, sizeof data, &failingAllocator));
  EXPECT_EQ(gAskedSize, 11u);
  EXPECT_EQ(device.count(), 0u);
}

TEST_F(Calibration, ReadSendsTheLocationAndFillsTheCallersBuffer) {
  device.push(0, {9, 8, 7, 6, 5});
  uint8_t buffer[5] = {};
  EXPECT_EQ(0, voTarsin_ReadCalibrationData(kSession, 0x01020304, buffer, sizeof buffer));
  EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{9, 8, 7, 6, 5}));
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].function, 7u);
  EXPECT_EQ(requests[0].input, (Bytes{0x04, 0x03, 0x02, 0x01}));
  EXPECT_EQ(requests[0].outputSize, 5u);

  device.push(-61009);
  EXPECT_EQ(-61009, voTarsin_ReadCalibrationData(kSession, 0, buffer, sizeof buffer));
  EXPECT_EQ(-52005, voTarsin_ReadCalibrationData(kSession, 0, nullptr, 8));
  EXPECT_EQ(device.count(), 2u);
}

TEST_F(Calibration, VerificationUpdateIsABareRequest) {
  device.push(-3);
  EXPECT_EQ(-3, voTarsin_UpdateVerificationInformation(kSession));
  const auto requests = device.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].function, 20u);
  EXPECT_TRUE(requests[0].input.empty());
  EXPECT_FALSE(requests[0].hadOutput);
}

}  // namespace
