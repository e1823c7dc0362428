// Acquisition end to end against the stand-in device model: configuration
// that really lands on the device, triggered records whose data can be
// checked against an untriggered record of the same signal, incomplete
// reads, routes, sync pulses and clocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "api/channel.h"
#include "api/elaborate_status.h"
#include "status/status.h"
#include "vodevice_hook.h"
#include "votarsinapi.h"

namespace {

constexpr uint32_t kTimeoutMs = 1000;

VoDevReadInfo infoOf(const VoTarsinReadInfo& raw) {
  VoDevReadInfo info;
  static_assert(sizeof info == sizeof raw);
  std::memcpy(&info, &raw, sizeof info);
  return info;
}

class Acquisition : public ::testing::Test {
 protected:
  void SetUp() override {
    VoDev_Reset();
    ASSERT_EQ(0, voTarsin_OpenSession("RIO0", nullptr, 0, &session));
  }
  void TearDown() override { voTarsin_CloseSession(session, 0); }

  // A finite record of `samples` per channel of `channels`, started at once.
  void startRecord(uint32_t stream, const char* channels, uint64_t samples) {
    ASSERT_EQ(0, voTarsin_ConfigureStreamEnabledChannels(session, stream, channels, nullptr));
    ASSERT_EQ(0, voTarsin_ConfigureStreamFinite(session, stream, samples));
    ASSERT_EQ(0, voTarsin_StartStream(session, stream));
  }

  // AI`channel` from the start of an immediately triggered finite record.
  std::vector<double> untriggered(uint32_t channel, uint64_t samples) {
    const std::string name = "AI" + std::to_string(channel);
    EXPECT_EQ(0, voTarsin_ConfigureImmediateTrigger(session, 63));
    startRecord(63, name.c_str(), samples);
    std::vector<double> data(samples);
    VoTarsinReadInfo info;
    EXPECT_EQ(0, voTarsin_ReadStreamF64(session, 63, kTimeoutMs, samples, data.data(), &info));
    return data;
  }

  Session session = 0;
};

// ---- Configuration lands on the device --------------------------------------

TEST_F(Acquisition, StreamConfigurationIsReadBackFromTheDevice) {
  uint32_t count = 0;
  EXPECT_EQ(0, voTarsin_ConfigureStreamEnabledChannels(session, 9, "AI7,AI2,AI7", &count));
  EXPECT_EQ(0, voTarsin_ConfigureStreamFinite(session, 9, 12345));
  int32_t channels = 0;
  uint64_t mask = 0, samples = 0;
  uint32_t finite = 0;
  EXPECT_EQ(0,
            voTarsin_GetAttributeInt32(session, "9", VOTARSIN_ATTR_CHANNELS_IN_STREAM, &channels));
  EXPECT_EQ(
      0, voTarsin_GetAttributeUInt64(session, "9", VOTARSIN_ATTR_STREAM_CHANNELS_ENABLED, &mask));
  EXPECT_EQ(0, voTarsin_GetAttributeUInt64(session, "9", VOTARSIN_ATTR_STREAM_NUMBER_OF_SAMPLES,
                                           &samples));
  EXPECT_EQ(0, voTarsin_GetAttributeBoolean(session, "9", VOTARSIN_ATTR_STREAM_FINITE, &finite));
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(channels, 2);
  EXPECT_EQ(mask, 0x84u);
  EXPECT_EQ(samples, 12345u);
  EXPECT_NE(finite, 0u);
}

TEST_F(Acquisition, AnalogEdgeTriggerTypeGoesToTheGivenStreamOnly) {
  EXPECT_EQ(0, voTarsin_ConfigureAnalogEdgeTrigger(session, 5, "AI3", VOTARSIN_SLOPE_FALLING, -0.1,
                                                   0.02));
  int32_t type5 = -1, type0 = -1, channel = -1;
  double level = 0, hysteresis = 0;
  uint32_t rising = 1;
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, "5", VOTARSIN_ATTR_START_TRIGGER_TYPE, &type5));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, "0", VOTARSIN_ATTR_START_TRIGGER_TYPE, &type0));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, "5", VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_CHANNEL,
                                          &channel));
  EXPECT_EQ(0, voTarsin_GetAttributeDouble(session, "5", VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_LEVEL,
                                           &level));
  EXPECT_EQ(0, voTarsin_GetAttributeDouble(
                   session, "5", VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_HYSTERESIS, &hysteresis));
  EXPECT_EQ(0, voTarsin_GetAttributeBoolean(session, "5", VOTARSIN_ATTR_ANALOG_EDGE_TRIGGER_RISING,
                                            &rising));
  EXPECT_EQ(type5, 4);
  EXPECT_EQ(type0, 0);  // stream 0 keeps its immediate trigger
  EXPECT_EQ(channel, 3);
  EXPECT_EQ(level, -0.1);
  EXPECT_EQ(hysteresis, 0.02);
  EXPECT_EQ(rising, 0u);

  // The device has 16 inputs.
  EXPECT_EQ(-304421, voTarsin_ConfigureAnalogEdgeTrigger(session, 5, "AI16", 1, 0, 0));
}

TEST_F(Acquisition, DigitalTriggerSourcesAreReadBack) {
  char source[32] = "x";
  int32_t type = -1, sensitivity = 0;
  EXPECT_EQ(
      0, voTarsin_ConfigureDigitalStartTrigger(session, 2, "DIO", VOTARSIN_SENSITIVITY_HIGH_LEVEL));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, "2", VOTARSIN_ATTR_START_TRIGGER_TYPE, &type));
  EXPECT_EQ(0, voTarsin_GetAttributeString(session, "2", VOTARSIN_ATTR_DIGITAL_START_TRIGGER_SOURCE,
                                           sizeof source, source));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, "2", VOTARSIN_ATTR_START_TRIGGER_SENSITIVITY,
                                          &sensitivity));
  EXPECT_EQ(type, 3);
  EXPECT_STREQ(source, "");
  EXPECT_EQ(sensitivity, VOTARSIN_SENSITIVITY_HIGH_LEVEL);

  EXPECT_EQ(0, voTarsin_ConfigureDigitalStartTrigger(session, 2, "PXI_Trig1",
                                                     VOTARSIN_SENSITIVITY_RISING_EDGE));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, "2", VOTARSIN_ATTR_START_TRIGGER_TYPE, &type));
  EXPECT_EQ(0, voTarsin_GetAttributeString(session, "2", VOTARSIN_ATTR_DIGITAL_START_TRIGGER_SOURCE,
                                           sizeof source, source));
  EXPECT_EQ(type, 1);
  EXPECT_STREQ(source, "PXI_Trig1");
  // A sensitivity outside the attribute's values is the device's to refuse.
  EXPECT_EQ(VODEV_E_INVALID_VALUE, voTarsin_ConfigureDigitalStartTrigger(session, 2, "PFI0", 5));
}

TEST_F(Acquisition, ClockSelectionIsReadBackAndTheDefaultIsAReset) {
  int32_t reference = -1, sampleClock = -1;
  double rate = 0;
  EXPECT_EQ(0, voTarsin_ConfigureForReferenceClock(session, VOTARSIN_REF_CLOCK_EXTERNAL));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, nullptr, VOTARSIN_ATTR_REFERENCE_CLOCK_SOURCE,
                                          &reference));
  EXPECT_EQ(reference, 3);
  EXPECT_EQ(0, voTarsin_ConfigureForExternalClock(session, 0, 100e6));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, nullptr, VOTARSIN_ATTR_SAMPLE_CLOCK_SOURCE,
                                          &sampleClock));
  EXPECT_EQ(0, voTarsin_GetAttributeDouble(session, nullptr,
                                           VOTARSIN_ATTR_SAMPLE_CLOCK_TIMEBASE_RATE, &rate));
  EXPECT_EQ(sampleClock, 1);
  EXPECT_EQ(rate, 100e6);

  EXPECT_EQ(0, voTarsin_ConfigureForReferenceClock(session, VOTARSIN_REF_CLOCK_DEFAULT));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, nullptr, VOTARSIN_ATTR_REFERENCE_CLOCK_SOURCE,
                                          &reference));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(session, nullptr, VOTARSIN_ATTR_SAMPLE_CLOCK_SOURCE,
                                          &sampleClock));
  EXPECT_EQ(reference, 0);
  EXPECT_EQ(sampleClock, 0);
  // The device refuses a source it does not know.
  EXPECT_EQ(VODEV_E_INVALID_VALUE, voTarsin_ConfigureForReferenceClock(session, 9));
}

// ---- Triggered data ---------------------------------------------------------

TEST_F(Acquisition, AnAnalogEdgeTriggeredRecordBeginsAtTheCrossing) {
  struct Case {
    uint32_t channel;
    int32_t slope;
    double level;
  };
  for (const Case& c : {Case{1, VOTARSIN_SLOPE_RISING, 0.2}, Case{0, VOTARSIN_SLOPE_FALLING, -0.1},
                        Case{5, VOTARSIN_SLOPE_RISING, 0.0}}) {
    SCOPED_TRACE("AI" + std::to_string(c.channel));
    constexpr uint64_t kSamples = 600;
    constexpr double kHysteresis = 0.01;
    const std::vector<double> reference = untriggered(c.channel, 2000);

    const std::string name = "AI" + std::to_string(c.channel);
    ASSERT_EQ(0, voTarsin_ConfigureAnalogEdgeTrigger(session, 0, name.c_str(), c.slope, c.level,
                                                     kHysteresis));
    startRecord(0, "AI0-AI5", kSamples);
    uint64_t ready = 0;
    uint8_t state = 0;
    ASSERT_EQ(0, voTarsin_WaitForTransfer(session, 0, kSamples, kTimeoutMs, &ready, &state));
    EXPECT_EQ(ready, kSamples);
    std::vector<double> data(6 * kSamples);
    VoTarsinReadInfo info[6];
    ASSERT_EQ(0, voTarsin_ReadStream2DF64(session, 0, kTimeoutMs, 6, kSamples, data.data(), info));
    const double* row = data.data() + c.channel * kSamples;

    // Where the same signal, acquired from its start, first arms and then
    // crosses the level.
    const bool rising = c.slope != 0;
    size_t crossing = 0;
    bool armed = false;
    for (size_t k = 0; k < reference.size(); ++k) {
      const double v = reference[k];
      if (!armed) {
        armed = rising ? v < c.level - kHysteresis : v > c.level + kHysteresis;
      } else if (rising ? v >= c.level : v <= c.level) {
        crossing = k;
        break;
      }
    }
    ASSERT_GT(crossing, 0u);
    // The record's first sample is that crossing sample, and the one before
    // it in the signal is still on the other side of the level.
    EXPECT_EQ(row[0], reference[crossing]);
    EXPECT_TRUE(rising ? reference[crossing - 1] < c.level : reference[crossing - 1] > c.level);
    EXPECT_TRUE(rising ? row[0] >= c.level : row[0] <= c.level);
    for (size_t k = 0; k < 100; ++k) ASSERT_EQ(row[k], reference[crossing + k]) << k;
    EXPECT_EQ(infoOf(info[c.channel]).triggerIndex, crossing);
    EXPECT_EQ(infoOf(info[c.channel]).channel, c.channel);
    EXPECT_EQ(infoOf(info[c.channel]).delivered, kSamples);
    ASSERT_EQ(0, voTarsin_ClearStream(session, 0));
    ASSERT_EQ(0, voTarsin_ClearStream(session, 63));
  }
}

TEST_F(Acquisition, RawAndScaledReadsAgreeThroughTheDevicesScaling) {
  ASSERT_EQ(0, voTarsin_SetAttributeDouble(session, "AI2", VOTARSIN_ATTR_AI_RANGE, 2.0));
  double gain = 0, offset = 1;
  ASSERT_EQ(0, voTarsin_GetAttributeDouble(session, "AI2", VOTARSIN_ATTR_AI_SCALING_GAIN, &gain));
  ASSERT_EQ(0,
            voTarsin_GetAttributeDouble(session, "AI2", VOTARSIN_ATTR_AI_SCALING_OFFSET, &offset));
  startRecord(4, "AI2", 500);
  std::vector<int16_t> codes(250);
  std::vector<double> volts(250);
  VoTarsinReadInfo info[2];
  // Two halves of one record: the raw first half, then the scaled second.
  ASSERT_EQ(0, voTarsin_ReadStreamI16(session, 4, kTimeoutMs, 250, codes.data(), &info[0]));
  ASSERT_EQ(0, voTarsin_ReadStreamF64(session, 4, kTimeoutMs, 250, volts.data(), &info[1]));
  EXPECT_EQ(infoOf(info[1]).position, 250u);
  const std::vector<double> whole = untriggered(2, 500);
  for (size_t k = 0; k < 250; ++k) {
    ASSERT_EQ(codes[k] * gain + offset, whole[k]) << k;
    ASSERT_EQ(volts[k], whole[250 + k]) << k;
  }
  // A 14-bit converter: every code lies in its range, and the signal uses it.
  int16_t low = 0, high = 0;
  for (int16_t code : codes) {
    low = std::min(low, code);
    high = std::max(high, code);
  }
  EXPECT_GE(low, -8192);
  EXPECT_LE(high, 8191);
  EXPECT_GT(high - low, 1000);
}

TEST_F(Acquisition, ASyncPulseRoutedToADigitalTriggerStartsTheRecord) {
  ASSERT_EQ(0, voTarsin_ConfigureDigitalStartTrigger(session, 1, "PXI_Trig0",
                                                     VOTARSIN_SENSITIVITY_RISING_EDGE));
  startRecord(1, "AI0", 100);
  uint64_t ready = 7;
  uint8_t state = 0;
  EXPECT_EQ(VODEV_E_WAIT_TIMED_OUT, voTarsin_WaitForTransfer(session, 1, 100, 1, &ready, &state));
  EXPECT_EQ(ready, 0u);
  EXPECT_EQ(state, VODEV_STREAM_WAITING);

  uint32_t route = 0;
  ASSERT_EQ(0, voTarsin_RouteSignal(session, VODEV_SYNC_TERMINAL, "PXI_Trig0", &route));
  char source[64] = "", destination[64] = "";
  EXPECT_EQ(0,
            VoDev_GetRoute(session, route, source, sizeof source, destination, sizeof destination));
  EXPECT_STREQ(source, VODEV_SYNC_TERMINAL);
  EXPECT_STREQ(destination, "PXI_Trig0");

  uint32_t argument = 99;
  EXPECT_EQ(0, VoDev_SyncPulseCount(session, &argument));
  EXPECT_EQ(0, voTarsin_SendSyncPulse(session));
  EXPECT_EQ(1, VoDev_SyncPulseCount(session, &argument));
  EXPECT_EQ(argument, 0u);
  EXPECT_EQ(0, voTarsin_WaitForTransfer(session, 1, 100, kTimeoutMs, &ready, &state));
  EXPECT_EQ(ready, 100u);

  std::vector<int16_t> data(100);
  VoTarsinReadInfo info;
  EXPECT_EQ(0, voTarsin_ReadStreamI16(session, 1, kTimeoutMs, 100, data.data(), &info));
  EXPECT_EQ(infoOf(info).delivered, 100u);
  EXPECT_NE(infoOf(info).flags & VODEV_INFO_TRIGGERED, 0u);

  EXPECT_EQ(0, voTarsin_UnrouteSignal(session, route));
  EXPECT_EQ(0, VoDev_RouteCount(session));
  EXPECT_EQ(VODEV_E_NO_SUCH_ROUTE, voTarsin_UnrouteSignal(session, route));
}

TEST_F(Acquisition, RoutesAreIdentifiedAndRefusalsComeFromTheDevice) {
  uint32_t first = 0, second = 0;
  ASSERT_EQ(0, voTarsin_RouteSignal(session, "PFI0", "PXI_Trig2", &first));
  ASSERT_EQ(0, voTarsin_RouteSignal(session, "PFI1", "PXI_Trig3", &second));
  EXPECT_NE(first, second);
  EXPECT_EQ(2, VoDev_RouteCount(session));
  // A terminal can only be driven once, and only names reach the device.
  EXPECT_EQ(VODEV_E_INVALID_ROUTE, voTarsin_RouteSignal(session, "PFI2", "PXI_Trig2", nullptr));
  EXPECT_EQ(-52005, voTarsin_RouteSignal(session, nullptr, "PXI_Trig4", nullptr));
  EXPECT_EQ(2, VoDev_RouteCount(session));

  // A long name arrives cut to 511 characters.
  const std::string longName(600, 'T');
  uint32_t third = 0;
  ASSERT_EQ(0, voTarsin_RouteSignal(session, "PFI3", longName.c_str(), &third));
  std::vector<char> destination(1024);
  EXPECT_EQ(0, VoDev_GetRoute(session, third, nullptr, 0, destination.data(), destination.size()));
  EXPECT_EQ(std::string(destination.data()), longName.substr(0, 511));
}

// ---- Incomplete reads -------------------------------------------------------

TEST_F(Acquisition, ReadingPastAFiniteRecordGivesTheStoppedStatus) {
  startRecord(3, "AI0-AI1", 1000);
  std::vector<double> data(2 * 1500);
  VoTarsinReadInfo info[2];
  EXPECT_EQ(-304416, voTarsin_ReadStream2DF64(session, 3, kTimeoutMs, 2, 1500, data.data(), info));
  EXPECT_EQ(infoOf(info[0]).delivered, 1000u);  // what there was came through
  EXPECT_NE(infoOf(info[1]).flags & VODEV_INFO_INCOMPLETE, 0u);

  // So does a stream that was never started.
  ASSERT_EQ(0, voTarsin_ConfigureStreamEnabledChannels(session, 8, "AI4", nullptr));
  EXPECT_EQ(-304416, voTarsin_ReadStreamF64(session, 8, kTimeoutMs, 10, data.data(), info));
}

TEST_F(Acquisition, ReadingAStreamStillWaitingForItsTriggerTimesOut) {
  ASSERT_EQ(0, voTarsin_ConfigureDigitalStartTrigger(session, 6, "PFI5",
                                                     VOTARSIN_SENSITIVITY_RISING_EDGE));
  startRecord(6, "AI0", 100);
  std::vector<int16_t> data(100, 0x1234);
  VoTarsinReadInfo info;
  EXPECT_EQ(-50400, voTarsin_ReadStreamI16(session, 6, 10, 100, data.data(), &info));
  EXPECT_EQ(infoOf(info).delivered, 0u);
  EXPECT_EQ(data[0], 0x1234);

  // An outside signal on the terminal starts it; the record is then whole.
  EXPECT_EQ(1, VoDev_PulseTerminal(session, "PFI5"));
  EXPECT_EQ(0, voTarsin_ReadStreamI16(session, 6, 10, 100, data.data(), &info));
}

TEST_F(Acquisition, ReadingAnOverflowedContinuousStreamGivesTheOverflowStatus) {
  ASSERT_EQ(0, voTarsin_ConfigureStreamEnabledChannels(session, 2, "AI1", nullptr));
  ASSERT_EQ(0, voTarsin_SetAttributeUInt64(session, "2", VOTARSIN_ATTR_STREAM_FIFO_SIZE, 1000));
  ASSERT_EQ(0, voTarsin_StartStream(session, 2));
  uint64_t ready = 0;
  uint8_t state = 0;
  // Waiting for more than the FIFO holds, without reading, overflows it.
  EXPECT_EQ(VODEV_E_STREAM_OVERFLOW,
            voTarsin_WaitForTransfer(session, 2, 5000, kTimeoutMs, &ready, &state));
  EXPECT_EQ(state, VOTARSIN_STREAM_STATE_OVERFLOW);
  std::vector<int16_t> data(5000);
  VoTarsinReadInfo info;
  EXPECT_EQ(-304415, voTarsin_ReadStreamI16(session, 2, kTimeoutMs, 5000, data.data(), &info));
  EXPECT_EQ(infoOf(info).delivered, 1000u);

  // Cleared and started afresh, a continuous stream read often enough keeps
  // up.
  ASSERT_EQ(0, voTarsin_ClearStream(session, 2));
  ASSERT_EQ(0, voTarsin_StartStream(session, 2));
  for (int i = 0; i < 10; ++i)
    ASSERT_EQ(0, voTarsin_ReadStreamI16(session, 2, kTimeoutMs, 800, data.data(), &info)) << i;
}

TEST_F(Acquisition, BuffersTheDeviceCannotUseAreRefusedByTheDevice) {
  startRecord(0, "AI0-AI1", 100);
  std::vector<double> data(200);
  VoTarsinReadInfo info[2];
  EXPECT_EQ(VODEV_E_NULL_BUFFER,
            voTarsin_ReadStream2DF64(session, 0, kTimeoutMs, 2, 100, nullptr, info));
  EXPECT_EQ(VODEV_E_NULL_BUFFER,
            voTarsin_ReadStream2DF64(session, 0, kTimeoutMs, 2, 100, data.data(), nullptr));
  EXPECT_EQ(VODEV_E_BUFFER_TOO_SMALL,
            voTarsin_ReadStreamF64(session, 0, kTimeoutMs, 100, data.data(), info));
  // An overflowing byte count never reaches the device.
  const uint64_t before = VoDev_RequestCount(VODEV_ROUTE_FPGA);
  EXPECT_EQ(-52005, voTarsin_ReadStream2DF64(session, 0, kTimeoutMs, 2, uint64_t{1} << 63,
                                             data.data(), info));
  EXPECT_EQ(VoDev_RequestCount(VODEV_ROUTE_FPGA), before);
  // The record is still there for a proper read.
  EXPECT_EQ(0, voTarsin_ReadStream2DF64(session, 0, kTimeoutMs, 2, 100, data.data(), info));
}

// ---- Statuses ---------------------------------------------------------------

// Forwards every request to the device and turns the success of the first
// Channels In Stream write into a warning: the write happened, the device
// only had something to say about it.
class WarningOnChannelsInStream {
 public:
  static constexpr int32_t kWarning = 304999;
  WarningOnChannelsInStream() { VoDev_SetRequestHook(&hook, this); }
  ~WarningOnChannelsInStream() { VoDev_SetRequestHook(nullptr, nullptr); }

 private:
  static int hook(void* context, const VoDevRequest* request, int32_t* status) {
    auto* self = static_cast<WarningOnChannelsInStream*>(context);
    uint32_t id = 0;
    if (self->used_ || self->forwarding_ || request->function != 256 || request->inputSize != 565)
      return 0;
    std::memcpy(&id, static_cast<const uint8_t*>(request->input) + 20, 4);
    if (id != VOTARSIN_ATTR_CHANNELS_IN_STREAM) return 0;
    self->forwarding_ = true;
    *status = voapi::CallClientFunction(request->session, request->group, request->function,
                                        request->input, request->inputSize, request->output,
                                        request->outputSize);
    self->forwarding_ = false;
    self->used_ = true;
    if (*status == 0) *status = kWarning;
    return 1;
  }
  bool forwarding_ = false;
  bool used_ = false;
};

TEST_F(Acquisition, AWarningFollowedBySuccessIsKept) {
  WarningOnChannelsInStream warning;
  uint32_t count = 0;
  EXPECT_EQ(WarningOnChannelsInStream::kWarning,
            voTarsin_ConfigureStreamEnabledChannels(session, 4, "AI0-AI2", &count));
  // Both writes reached the device.
  int32_t channels = 0;
  uint64_t mask = 0;
  EXPECT_EQ(0,
            voTarsin_GetAttributeInt32(session, "4", VOTARSIN_ATTR_CHANNELS_IN_STREAM, &channels));
  EXPECT_EQ(
      0, voTarsin_GetAttributeUInt64(session, "4", VOTARSIN_ATTR_STREAM_CHANNELS_ENABLED, &mask));
  EXPECT_EQ(channels, 3);
  EXPECT_EQ(mask, 0x7u);
  // The warning is not sticky: the next configuration succeeds plainly.
  EXPECT_EQ(0, voTarsin_ConfigureStreamEnabledChannels(session, 4, "AI0", &count));
}

TEST_F(Acquisition, AnErrorStopsTheStepsAfterIt) {
  // Stream Number Of Samples is written only after Stream Finite succeeded;
  // on a closed session the first write fails and nothing else is tried.
  ASSERT_EQ(0, voTarsin_CloseSession(session, 0));
  const uint64_t before = VoDev_RequestCount(VODEV_ROUTE_FPGA);
  EXPECT_EQ(VODEV_E_SESSION_CLOSED, voTarsin_ConfigureStreamFinite(session, 0, 10));
  EXPECT_EQ(VoDev_RequestCount(VODEV_ROUTE_FPGA), before + 1);
}

TEST_F(Acquisition, AFailureIsElaboratedWithTheDevicesContext) {
  EXPECT_EQ(VODEV_E_READ_ONLY_ATTRIBUTE,
            voTarsin_SetAttributeDouble(session, nullptr, VOTARSIN_ATTR_FPGA_TEMPERATURE, 50.5));
  voerr::Status record;
  EXPECT_EQ(0, voapi::ElaborateStatus(session, VODEV_E_READ_ONLY_ATTRIBUTE, record));
  EXPECT_EQ(record.code(), VODEV_E_READ_ONLY_ATTRIBUTE);
  EXPECT_NE(std::string(record.contextText()).find("vodeverr_readOnlyAttribute"),
            std::string::npos);
}

TEST_F(Acquisition, AFailedSyncPulseReportsItsOwnStatus) {
  ASSERT_EQ(0, voTarsin_CloseSession(session, 0));
  EXPECT_EQ(VODEV_E_SESSION_CLOSED, voTarsin_SendSyncPulse(session));
  // A handle the device never issued cannot even be elaborated; the pulse's
  // status still comes through.
  EXPECT_EQ(VODEV_E_UNKNOWN_SESSION, voTarsin_SendSyncPulse(0x1FFF));
}

// ---- Simulated sessions -----------------------------------------------------

TEST(SimulatedAcquisition, ASimulatedDeviceAcquiresThroughTheSimulationLibrary) {
  VoDev_Reset();
  Session session = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("SIM0", nullptr, 0, &session));
  ASSERT_NE(session & VOTARSIN_SESSION_SIMULATED, 0u);
  ASSERT_EQ(0, voTarsin_RestartSimulation(session, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  const uint64_t before = VoDev_RequestCount(VODEV_ROUTE_SIMULATION);
  EXPECT_EQ(0, voTarsin_ConfigureStreamEnabledChannels(session, 0, "AI0-AI3", nullptr));
  EXPECT_EQ(0, voTarsin_ConfigureStreamFinite(session, 0, 1000));
  EXPECT_EQ(0, voTarsin_ConfigureAnalogEdgeTrigger(session, 0, "AI0", 1, 0.2, 0.01));
  EXPECT_EQ(0, voTarsin_StartStream(session, 0));
  std::vector<double> data(4000);
  VoTarsinReadInfo info[4];
  EXPECT_EQ(0, voTarsin_ReadStream2DF64(session, 0, kTimeoutMs, 4, 1000, data.data(), info));
  EXPECT_GE(data[0], 0.2);
  EXPECT_GT(VoDev_RequestCount(VODEV_ROUTE_SIMULATION), before);
  EXPECT_EQ(0, voTarsin_ClearStream(session, 0));
  EXPECT_EQ(0, voTarsin_CloseSession(session, 0));
  EXPECT_EQ(0, voTarsin_DisposeSimulation());
}

}  // namespace
