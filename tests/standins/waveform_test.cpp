// The simulated signals: each AI channel's documented sine plus small seeded
// noise, quantised by the 14-bit converter with the channel's range.
#include <algorithm>
#include <cmath>

#include "acquisition_support.h"
#include "votarsinsimulation.h"

namespace standin_test {
namespace {

class WaveformTest : public StandinTest {
 protected:
  // `samples` float64 values of one channel from an immediate finite stream.
  std::vector<double> Volts(uint32_t session, int channel, uint64_t samples) {
    ConfigureStream(session, 20, uint64_t{1} << channel, true, samples);
    EXPECT_EQ(StartStream(session, 20), 0);
    ReadResult<double> read = ReadStream<double>(session, 20, 1, samples);
    EXPECT_EQ(read.delivered, samples);
    return read.data.empty() ? std::vector<double>{} : read.data[0];
  }
};

struct Residual {
  double maximum = 0, mean = 0, deviation = 0;
};

Residual ResidualOf(const std::vector<double>& volts, int channel) {
  Residual r;
  double sum = 0, squares = 0;
  for (size_t k = 0; k < volts.size(); ++k) {
    const double e = volts[k] - Signal(channel, k);
    r.maximum = std::max(r.maximum, std::abs(e));
    sum += e;
    squares += e * e;
  }
  r.mean = sum / volts.size();
  r.deviation = std::sqrt(squares / volts.size() - r.mean * r.mean);
  return r;
}

TEST_F(WaveformTest, EveryChannelCarriesItsDocumentedSineWithSmallNoise) {
  for (int channel : {0, 1, 7, 15}) {
    SCOPED_TRACE(channel);
    const std::vector<double> volts = Volts(hardware_, channel, 20000);
    ASSERT_EQ(volts.size(), 20000u);
    const Residual r = ResidualOf(volts, channel);
    // Six standard deviations of the noise plus half a code bound every sample.
    EXPECT_LT(r.maximum, 6 * kNoiseSigma + 0.5 / 8192);
    EXPECT_LT(std::abs(r.mean), 0.1e-3);
    EXPECT_GT(r.deviation, 0.35e-3);
    EXPECT_LT(r.deviation, 0.65e-3);
  }
}

TEST_F(WaveformTest, TheConverterQuantisesAndClipsWithTheRange) {
  // A range below the amplitude clips at the converter's end codes.
  ASSERT_EQ(Send(hardware_, SetF64(kAiRange, "AI0", 0.25)), 0);
  ConfigureStream(hardware_, 0, 0x1, true, 4000);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  const std::vector<int16_t> clipped = ReadStream<int16_t>(hardware_, 0, 1, 4000).data[0];
  const auto [low, high] = std::minmax_element(clipped.begin(), clipped.end());
  EXPECT_EQ(*low, -8192);
  EXPECT_EQ(*high, 8191);
  const double gain = 0.25 / 8192;
  for (size_t k = 0; k < clipped.size(); ++k) {
    const double expected = Signal(0, k);
    if (std::abs(expected) < 0.24) {
      ASSERT_NEAR(clipped[k] * gain, expected, 6 * kNoiseSigma + gain) << k;
    } else if (std::abs(expected) > 0.26) {
      ASSERT_EQ(clipped[k], expected > 0 ? 8191 : -8192) << k;
    }
  }
  // A wide range spends few codes on the same signal.
  ASSERT_EQ(Send(hardware_, SetF64(kAiRange, "AI0", 10.0)), 0);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  const std::vector<int16_t> wide = ReadStream<int16_t>(hardware_, 0, 1, 4000).data[0];
  const auto widest = std::max_element(
      wide.begin(), wide.end(), [](int16_t a, int16_t b) { return std::abs(a) < std::abs(b); });
  EXPECT_NEAR(std::abs(*widest), 0.5 / 10 * 8192, 2);
  // A stream started before a range change keeps the gain of its start.
  ConfigureStream(hardware_, 1, 0x1, true, 10);
  ASSERT_EQ(StartStream(hardware_, 1), 0);
  ASSERT_EQ(Send(hardware_, SetF64(kAiRange, "AI0", 1.0)), 0);
  EXPECT_EQ(ReadStream<double>(hardware_, 1, 1, 10).info[0].gain, 10.0 / 8192);
}

TEST_F(WaveformTest, NoiseFollowsTheSimulationSeed) {
  auto restart = [&](uint32_t seed) {
    ASSERT_EQ(voTarsin_RestartSimulation(simulated_, seed, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  };
  restart(11);
  const std::vector<double> first = Volts(simulated_, 2, 9000);
  restart(11);
  const std::vector<double> again = Volts(simulated_, 2, 9000);
  restart(12);
  const std::vector<double> other = Volts(simulated_, 2, 9000);
  EXPECT_EQ(first, again);
  size_t differing = 0;
  for (size_t k = 0; k < first.size(); ++k) differing += first[k] != other[k];
  EXPECT_GT(differing, first.size() / 2);
  // Both are the same signal under different noise.
  EXPECT_LT(ResidualOf(other, 2).maximum, 6 * kNoiseSigma + 0.5 / 8192);
  // Hardware devices use seed 0 and give the same samples in every session.
  const std::vector<double> hardware = Volts(hardware_, 2, 9000);
  ASSERT_EQ(VoFpgaDll_Close(hardware_, 0), 0);
  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO0", 0, &hardware_), 0);
  EXPECT_EQ(Volts(hardware_, 2, 9000), hardware);
  EXPECT_NE(hardware, first);
}

TEST_F(WaveformTest, NoiseRepeatsEveryTableLengthAndNotEveryPeriod) {
  // AI1: period 120 samples, table 120 * ceil(8192 / 120) = 8280 samples.
  constexpr size_t kPeriod = 120, kTable = 8280;
  ConfigureStream(hardware_, 0, 0x2, true, 2 * kTable + 100);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  const std::vector<int16_t> codes = ReadStream<int16_t>(hardware_, 0, 1, 2 * kTable + 100).data[0];
  size_t samePeriodLater = 0;
  for (size_t k = 0; k < kTable + 100; ++k) {
    ASSERT_EQ(codes[k], codes[k + kTable]) << k;
    samePeriodLater += codes[k] == codes[k + kPeriod];
  }
  EXPECT_LT(samePeriodLater, kTable / 2);
}

}  // namespace
}  // namespace standin_test
