// Start triggers: analog edges found on the converter's codes, digital
// triggers driven by pulses from outside terminals, routes, the sync pulse
// and other streams.
#include <optional>
#include <ostream>

#include "acquisition_support.h"

namespace standin_test {
namespace {

constexpr uint64_t kReferenceLength = 20000;  // beyond two tables of any channel
constexpr double kGain = 1.0 / 8192;          // AI Range 1 V

// The documented rule, searched sample by sample in volts: arm below
// level - hysteresis (rising) or above level + hysteresis (falling), then fire
// at the first later sample at or beyond the level.
std::optional<uint64_t> ExpectedEdge(const std::vector<int16_t>& codes, double level,
                                     double hysteresis, bool rising) {
  bool armed = false;
  for (uint64_t k = 0; k < codes.size(); ++k) {
    const double v = codes[k] * kGain;
    if (!armed) {
      armed = rising ? v < level - hysteresis : v > level + hysteresis;
    } else if (rising ? v >= level : v <= level) {
      return k;
    }
  }
  return std::nullopt;
}

struct EdgeCase {
  int channel;
  double level, hysteresis;
  bool rising;
};

void PrintTo(const EdgeCase& c, std::ostream* os) {
  *os << "AI" << c.channel << (c.rising ? " rising" : " falling") << " through " << c.level
      << " V, hysteresis " << c.hysteresis << " V";
}

class AnalogTriggerTest : public StandinTest, public testing::WithParamInterface<EdgeCase> {};

TEST_P(AnalogTriggerTest, RecordBeginsAtTheFirstCrossingAfterArming) {
  const EdgeCase c = GetParam();
  const std::vector<int16_t> trigger = ReferenceCodes(hardware_, 30, c.channel, kReferenceLength);
  const std::vector<int16_t> data = ReferenceCodes(hardware_, 31, 1, kReferenceLength);
  const std::optional<uint64_t> expected = ExpectedEdge(trigger, c.level, c.hysteresis, c.rising);
  ASSERT_TRUE(expected.has_value());

  // The stream carries AI1 and its trigger channel.
  ConfigureStream(hardware_, 6, 0x2 | (uint64_t{1} << c.channel), true, 500);
  ConfigureAnalogEdge(hardware_, 6, c.channel, c.level, c.hysteresis, c.rising);
  ASSERT_EQ(StartStream(hardware_, 6), 0);
  const size_t rows = c.channel == 1 ? 1 : 2;
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 6, rows, 500);
  ASSERT_EQ(read.status, 0);
  ASSERT_EQ(read.delivered, 500u);
  EXPECT_EQ(read.info[0].triggerIndex, *expected);
  EXPECT_DOUBLE_EQ(read.info[0].t0, *expected * 4e-9);
  EXPECT_EQ(read.info[0].flags & VODEV_INFO_TRIGGERED, VODEV_INFO_TRIGGERED);
  const size_t dataRow = c.channel < 1 ? 1 : 0;
  const size_t triggerRow = c.channel == 1 ? 0 : 1 - dataRow;
  EXPECT_TRUE(
      std::equal(read.data[dataRow].begin(), read.data[dataRow].end(), data.begin() + *expected));
  // The first sample of the trigger channel sits at the crossing.
  const double first = read.data[triggerRow][0] * kGain;
  const double before = trigger[*expected - 1] * kGain;
  if (c.rising) {
    EXPECT_GE(first, c.level);
    EXPECT_LT(before, c.level);
  } else {
    EXPECT_LE(first, c.level);
    EXPECT_GT(before, c.level);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, AnalogTriggerTest,
    testing::Values(EdgeCase{0, 0.2, 0.0, true}, EdgeCase{3, -0.1, 0.05, false},
                    EdgeCase{5, 0.0, 0.3, true}, EdgeCase{15, 0.3, 0.01, false},
                    EdgeCase{8, 0.41, 0.0, true},  // near the crest
                    EdgeCase{1, -0.2, 0.0, true}, EdgeCase{0, 0.2, 0.6, true}));

class TriggerTest : public StandinTest {};

TEST_F(TriggerTest, HysteresisMovesTheTriggerToALaterEdge) {
  const std::vector<int16_t> codes = ReferenceCodes(hardware_, 30, 0, kReferenceLength);
  ConfigureStream(hardware_, 0, 0x1, true, 10);
  ConfigureAnalogEdge(hardware_, 0, 0, 0.2, 0.0, true);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  const uint64_t plain = ReadStream<int16_t>(hardware_, 0, 1, 10).info[0].triggerIndex;
  ASSERT_EQ(Send(hardware_, SetF64(kEdgeHysteresis, "0", 0.6)), 0);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  const uint64_t delayed = ReadStream<int16_t>(hardware_, 0, 1, 10).info[0].triggerIndex;
  // AI0 starts at 0 V rising: without hysteresis it fires on the first rise;
  // with 0.6 V it must first see -0.4 V, in the first trough.
  EXPECT_LT(plain, 25u);
  EXPECT_GT(delayed, 75u);
  EXPECT_LT(delayed, 125u);
  EXPECT_EQ(delayed, ExpectedEdge(codes, 0.2, 0.6, true).value_or(kNotTriggered));
}

TEST_F(TriggerTest, ALevelExactlyOnACodeFiresOnThatCode) {
  const std::vector<int16_t> codes = ReferenceCodes(hardware_, 30, 0, kReferenceLength);
  ConfigureStream(hardware_, 0, 0x1, true, 10);
  for (bool rising : {true, false}) {
    SCOPED_TRACE(rising ? "rising" : "falling");
    // The code of the first crossing of +-0.2 V becomes the level: reaching
    // the level counts, passing it is not needed.
    const uint64_t edge = ExpectedEdge(codes, rising ? 0.2 : -0.2, 0.0, rising).value();
    const double level = codes[edge] * kGain;
    ASSERT_EQ(ExpectedEdge(codes, level, 0.0, rising), edge);
    ConfigureAnalogEdge(hardware_, 0, 0, level, 0.0, rising);
    ASSERT_EQ(StartStream(hardware_, 0), 0);
    ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 0, 1, 10);
    EXPECT_EQ(read.info[0].triggerIndex, edge);
    EXPECT_EQ(read.data[0][0], codes[edge]);
  }
}

TEST_F(TriggerTest, ALevelTheSignalNeverReachesKeepsTheStreamWaiting) {
  ConfigureStream(hardware_, 0, 0x1, true, 100);
  ConfigureAnalogEdge(hardware_, 0, 0, 0.9, 0.0, true);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 0, 1, 100, 1000);
  ASSERT_EQ(read.status, 0);
  EXPECT_EQ(read.delivered, 0u);
  EXPECT_EQ(read.completion, 2u);
  EXPECT_EQ(read.state, uint32_t{VODEV_STREAM_WAITING});
  EXPECT_EQ(read.info[0].triggerIndex, kNotTriggered);
  EXPECT_TRUE(Unwritten(read.data[0][0]));
  WaitResult wait = WaitFor(hardware_, 0, 1, 100);
  EXPECT_EQ(wait.status, VODEV_E_WAIT_TIMED_OUT);
  EXPECT_EQ(wait.state, VODEV_STREAM_WAITING);
  // Falling below the trough likewise never arms.
  ConfigureAnalogEdge(hardware_, 0, 0, -0.9, 0.0, false);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  EXPECT_EQ(WaitFor(hardware_, 0, 0, 0).state, VODEV_STREAM_WAITING);
}

TEST_F(TriggerTest, AContinuousStreamAcquiresFromItsAnalogTrigger) {
  const std::vector<int16_t> codes = ReferenceCodes(hardware_, 30, 0, kReferenceLength);
  const uint64_t edge = *ExpectedEdge(codes, 0.25, 0.0, true);
  ConfigureStream(hardware_, 0, 0x1, false, 0);
  ConfigureAnalogEdge(hardware_, 0, 0, 0.25, 0.0, true);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  // Modelled time first runs up to the trigger, then through the samples.
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 0, 1, 300, 1);
  ASSERT_EQ(read.delivered, 300u);
  EXPECT_EQ(read.info[0].triggerIndex, edge);
  EXPECT_TRUE(std::equal(read.data[0].begin(), read.data[0].end(), codes.begin() + edge));
}

TEST_F(TriggerTest, DigitalTriggersWaitForAPulseOnTheirSource) {
  const std::vector<int16_t> codes = ReferenceCodes(hardware_, 30, 0, 501000);
  ConfigureStream(hardware_, 0, 0x1, true, 1000);
  ConfigureDigital(hardware_, 0, "PFI0");
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 0, 1, 1000, 2);
  EXPECT_EQ(read.delivered, 0u);
  EXPECT_EQ(read.state, uint32_t{VODEV_STREAM_WAITING});
  EXPECT_EQ(VoDev_PulseTerminal(hardware_, "PFI1"), 0);
  EXPECT_EQ(VoDev_PulseTerminal(hardware_, "pfi0"), 0);  // names are exact
  EXPECT_EQ(WaitFor(hardware_, 0, 0, 0).state, VODEV_STREAM_WAITING);
  EXPECT_EQ(VoDev_PulseTerminal(hardware_, "PFI0"), 1);
  EXPECT_EQ(VoDev_PulseTerminal(hardware_, "PFI0"), 0);  // it triggers once
  read = ReadStream<int16_t>(hardware_, 0, 1, 1000);
  ASSERT_EQ(read.delivered, 1000u);
  // The 2 ms the first read waited passed before the trigger.
  EXPECT_EQ(read.info[0].triggerIndex, 500000u);
  EXPECT_TRUE(std::equal(read.data[0].begin(), read.data[0].end(), codes.begin() + 500000));
  EXPECT_EQ(VoDev_PulseTerminal(hardware_, nullptr), VODEV_E_INVALID_ARGUMENT);
  EXPECT_EQ(VoDev_PulseTerminal(hardware_, ""), VODEV_E_INVALID_ARGUMENT);
  EXPECT_EQ(VoDev_PulseTerminal(0x4444, "PFI0"), VODEV_E_UNKNOWN_SESSION);
}

TEST_F(TriggerTest, DioAndUserTriggers) {
  ConfigureStream(hardware_, 0, 0x1, true, 10);
  ConfigureStream(hardware_, 1, 0x1, true, 10);
  ASSERT_EQ(Send(hardware_, SetI32(kTriggerType, "0", 3)), 0);
  ASSERT_EQ(Send(hardware_, SetI32(kTriggerType, "1", 2)), 0);
  ASSERT_EQ(Send(hardware_, SetString(kTriggerSource, "1", "PXI_Trig2")), 0);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  ASSERT_EQ(StartStream(hardware_, 1), 0);
  EXPECT_EQ(VoDev_PulseTerminal(hardware_, "PXI_Trig2"), 1);
  EXPECT_EQ(WaitFor(hardware_, 0, 0, 0).state, VODEV_STREAM_WAITING);
  EXPECT_EQ(VoDev_PulseTerminal(hardware_, VODEV_DIO_TERMINAL), 1);
  EXPECT_EQ(WaitFor(hardware_, 0, 10, 0).status, 0);
  EXPECT_EQ(WaitFor(hardware_, 1, 10, 0).status, 0);
}

TEST_F(TriggerTest, PulsesAreNotKeptForStreamsStartedLater) {
  ConfigureStream(hardware_, 0, 0x1, true, 10);
  ConfigureDigital(hardware_, 0, "PFI4");
  EXPECT_EQ(VoDev_PulseTerminal(hardware_, "PFI4"), 0);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  EXPECT_EQ(WaitFor(hardware_, 0, 0, 0).state, VODEV_STREAM_WAITING);
  // Restarting re-arms a stream that had triggered.
  EXPECT_EQ(VoDev_PulseTerminal(hardware_, "PFI4"), 1);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  EXPECT_EQ(WaitFor(hardware_, 0, 0, 0).state, VODEV_STREAM_WAITING);
}

TEST_F(TriggerTest, TheSyncPulseDrivesTheSyncTerminalAndRoutesFromIt) {
  ConfigureStream(simulated_, 0, 0x1, true, 10);
  ConfigureStream(simulated_, 1, 0x1, true, 10);
  ConfigureDigital(simulated_, 0, VODEV_SYNC_TERMINAL);
  ConfigureDigital(simulated_, 1, "PXI_Trig3");
  ASSERT_EQ(StartStream(simulated_, 0), 0);
  ASSERT_EQ(StartStream(simulated_, 1), 0);
  // A route from the sync terminal only carries sync pulses.
  uint32_t route = 0;
  ASSERT_EQ(Send(simulated_, RouteRecord(VODEV_SYNC_TERMINAL, "PXI_Trig3"), &route, 4), 0);
  EXPECT_EQ(WaitFor(simulated_, 1, 0, 0).state, VODEV_STREAM_WAITING);

  uint32_t argument = 99;
  EXPECT_EQ(VoDev_SyncPulseCount(simulated_, &argument), 0);
  EXPECT_EQ(argument, 0u);
  ASSERT_EQ(Send(simulated_, SyncPulseRecord(7)), 0);
  EXPECT_EQ(VoDev_SyncPulseCount(simulated_, &argument), 1);
  EXPECT_EQ(argument, 7u);
  EXPECT_EQ(VoDev_SyncPulseCount(hardware_, nullptr), 0);  // another device
  EXPECT_EQ(WaitFor(simulated_, 0, 10, 0).status, 0);
  EXPECT_EQ(WaitFor(simulated_, 1, 10, 0).status, 0);

  // Without the route the pulse no longer reaches PXI_Trig3.
  ASSERT_EQ(Send(simulated_, UnrouteRecord(route)), 0);
  ASSERT_EQ(StartStream(simulated_, 1), 0);
  ASSERT_EQ(Send(simulated_, SyncPulseRecord(0)), 0);
  EXPECT_EQ(WaitFor(simulated_, 1, 0, 0).state, VODEV_STREAM_WAITING);
  EXPECT_EQ(VoDev_SyncPulseCount(simulated_, &argument), 2);
  EXPECT_EQ(argument, 0u);
}

TEST_F(TriggerTest, ARouteFromAnOutsideTerminalDrivesItsDestination) {
  ConfigureStream(hardware_, 0, 0x1, true, 10);
  ConfigureStream(hardware_, 1, 0x1, true, 10);
  ConfigureDigital(hardware_, 0, "PFI0");
  ConfigureDigital(hardware_, 1, "PFI2");
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  uint32_t route = 0;
  ASSERT_EQ(Send(hardware_, RouteRecord("PXI_Trig0", "PFI0"), &route, 4), 0);
  EXPECT_EQ(WaitFor(hardware_, 0, 10, 0).status, 0);

  // Pulses travel along chains of routes.
  ASSERT_EQ(Send(hardware_, RouteRecord("PFI1", "PFI2"), &route, 4), 0);
  ASSERT_EQ(StartStream(hardware_, 1), 0);  // after the route's own pulse
  EXPECT_EQ(WaitFor(hardware_, 1, 0, 0).state, VODEV_STREAM_WAITING);
  ASSERT_EQ(Send(hardware_, RouteRecord("PXI_Trig1", "PFI1"), &route, 4), 0);
  EXPECT_EQ(WaitFor(hardware_, 1, 10, 0).status, 0);
}

TEST_F(TriggerTest, StreamsTriggerEachOtherThroughTheirOutputTerminals) {
  ConfigureStream(hardware_, 0, 0x1, true, 10);
  ConfigureStream(hardware_, 1, 0x1, true, 10);
  ConfigureStream(hardware_, 2, 0x1, true, 10);
  ASSERT_EQ(Send(hardware_, SetString(kOutputTerminal, "0", "PXI_Trig5")), 0);
  ConfigureDigital(hardware_, 1, "PXI_Trig5");
  ConfigureDigital(hardware_, 2, "PFI7");
  // A route from an output terminal carries that stream's trigger only.
  uint32_t route = 0;
  ASSERT_EQ(Send(hardware_, RouteRecord("PXI_Trig5", "PFI7"), &route, 4), 0);
  ASSERT_EQ(StartStream(hardware_, 1), 0);
  ASSERT_EQ(StartStream(hardware_, 2), 0);
  EXPECT_EQ(WaitFor(hardware_, 2, 0, 0).state, VODEV_STREAM_WAITING);
  ASSERT_EQ(StartStream(hardware_, 0), 0);  // immediate: triggers at once
  EXPECT_EQ(WaitFor(hardware_, 1, 10, 0).status, 0);
  EXPECT_EQ(WaitFor(hardware_, 2, 10, 0).status, 0);
}

}  // namespace
}  // namespace standin_test
