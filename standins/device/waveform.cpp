// The simulated analog signals, their precomputed tables, copies out of the
// tables and the analog edge search (acquisition.h describes the signal).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "acquisition.h"

namespace vodev {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kMinTableLength = 8192;
constexpr double kNoiseSigma = 0.5e-3;
constexpr int kMinCode = -8192;
constexpr int kMaxCode = 8191;

// SplitMix64: a small generator whose sequence is fixed by its seed on every
// platform, so that the noise of a seed never changes.
std::uint64_t NextRandom(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Uniform in (0, 1): never 0, so that its logarithm is finite.
double NextUniform(std::uint64_t& state) {
  return (static_cast<double>(NextRandom(state) >> 11) + 0.5) * 0x1.0p-53;
}

// Standard normal values, two at a time (Box-Muller).
void FillGaussian(std::vector<double>& out, std::uint32_t seed, int channel) {
  std::uint64_t state =
      (std::uint64_t{seed} << 32) ^ (0xC0FFEEull + static_cast<unsigned>(channel));
  for (std::size_t i = 0; i < out.size(); i += 2) {
    const double radius = std::sqrt(-2.0 * std::log(NextUniform(state)));
    const double angle = 2.0 * kPi * NextUniform(state);
    out[i] = radius * std::cos(angle);
    if (i + 1 < out.size()) out[i + 1] = radius * std::sin(angle);
  }
}

std::int16_t Quantise(double volts, double gain, double offset) {
  const double code = std::nearbyint((volts - offset) / gain);
  if (!(code >= kMinCode)) return kMinCode;  // also NaN
  if (code > kMaxCode) return kMaxCode;
  return static_cast<std::int16_t>(code);
}

// Thresholds of the edge search as whole codes, kept far from int overflow.
double ClampCode(double code) { return std::clamp(code, -1e6, 1e6); }

template <typename Predicate>
std::optional<std::uint64_t> FindFrom(const std::vector<std::int16_t>& codes, std::uint64_t from,
                                      std::uint64_t limit, Predicate predicate) {
  const std::size_t length = codes.size();
  std::size_t at = static_cast<std::size_t>(from % length);
  for (std::uint64_t k = from; k < limit;) {
    const std::size_t end = std::min<std::uint64_t>(length, at + (limit - k));
    for (std::size_t i = at; i < end; ++i) {
      if (predicate(codes[i])) return k + (i - at);
    }
    k += end - at;
    at = 0;
  }
  return std::nullopt;
}

}  // namespace

Waveform ChannelWaveform(int channel) {
  Waveform wave;
  wave.period = 100 + 20 * static_cast<std::uint32_t>(channel);
  wave.amplitude = 0.5 - 0.01 * channel;
  wave.phase = channel * kPi / 8.0;
  wave.noise = kNoiseSigma;
  wave.tableLength = wave.period * ((kMinTableLength + wave.period - 1) / wave.period);
  return wave;
}

std::shared_ptr<const ChannelTable> BuildChannelTable(int channel, std::uint32_t seed, double range,
                                                      double offset) {
  const Waveform wave = ChannelWaveform(channel);
  auto table = std::make_shared<ChannelTable>();
  table->channel = channel;
  table->seed = seed;
  table->range = range;
  table->gain = range / kAdcFullScaleCode;
  table->offset = offset;
  std::vector<double> noise(wave.tableLength);
  FillGaussian(noise, seed, channel);
  table->codes.resize(wave.tableLength);
  table->volts.resize(wave.tableLength);
  for (std::uint32_t k = 0; k < wave.tableLength; ++k) {
    const double angle = 2.0 * kPi * (k % wave.period) / wave.period + wave.phase;
    const double volts = wave.amplitude * std::sin(angle) + wave.noise * noise[k];
    table->codes[k] = Quantise(volts, table->gain, offset);
    table->volts[k] = table->codes[k] * table->gain + offset;
  }
  return table;
}

void CopyCodes(const ChannelTable& table, std::uint64_t start, std::uint64_t count,
               std::uint8_t* out) {
  const std::uint64_t length = table.codes.size();
  std::uint64_t at = start % length;
  while (count > 0) {
    const std::uint64_t chunk = std::min(count, length - at);
    std::memcpy(out, table.codes.data() + at, chunk * sizeof(std::int16_t));
    out += chunk * sizeof(std::int16_t);
    count -= chunk;
    at = 0;
  }
}

void CopyVolts(const ChannelTable& table, std::uint64_t start, std::uint64_t count,
               std::uint8_t* out) {
  const std::uint64_t length = table.volts.size();
  std::uint64_t at = start % length;
  while (count > 0) {
    const std::uint64_t chunk = std::min(count, length - at);
    std::memcpy(out, table.volts.data() + at, chunk * sizeof(double));
    out += chunk * sizeof(double);
    count -= chunk;
    at = 0;
  }
}

std::optional<std::uint64_t> FindEdge(const ChannelTable& table, const EdgeTrigger& trigger) {
  // Arming happens within one table length if it ever does, and firing
  // within one table length after arming.
  const std::uint64_t length = table.codes.size();
  const double level = (trigger.level - table.offset) / table.gain;
  std::optional<std::uint64_t> armed;
  if (trigger.rising) {
    // code < x holds for an integer code exactly when code < ceil(x).
    const int arm = static_cast<int>(
        std::ceil(ClampCode((trigger.level - trigger.hysteresis - table.offset) / table.gain)));
    const int fire = static_cast<int>(std::ceil(ClampCode(level)));
    armed = FindFrom(table.codes, 0, length, [arm](int code) { return code < arm; });
    if (!armed) return std::nullopt;
    return FindFrom(table.codes, *armed + 1, *armed + 1 + length,
                    [fire](int code) { return code >= fire; });
  }
  const int arm = static_cast<int>(
      std::floor(ClampCode((trigger.level + trigger.hysteresis - table.offset) / table.gain)));
  const int fire = static_cast<int>(std::floor(ClampCode(level)));
  armed = FindFrom(table.codes, 0, length, [arm](int code) { return code > arm; });
  if (!armed) return std::nullopt;
  return FindFrom(table.codes, *armed + 1, *armed + 1 + length,
                  [fire](int code) { return code <= fire; });
}

// ---- Streams ---------------------------------------------------------------------

std::uint8_t Stream::State() const {
  if (!started) return kStateStopped;
  if (overflow) return kStateOverflow;
  if (!triggered) return kStateWaiting;
  return finite ? kStateStopped : kStateAcquiring;
}

std::uint64_t Stream::Ready() const {
  if (!started || !triggered) return 0;
  if (finite) return samples - consumed;
  return acquired - consumed;
}

void AdvanceStream(Stream& stream, std::uint64_t samples, bool draining) {
  const std::uint64_t before = stream.elapsed;
  const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() - before;
  stream.elapsed += std::min(samples, limit);
  if (!stream.started || !stream.triggered || stream.finite || stream.overflow) return;
  const std::uint64_t from = std::max(before, stream.triggerIndex);
  if (stream.elapsed <= from) return;
  stream.acquired += stream.elapsed - from;
  if (!draining && stream.acquired - stream.consumed > stream.fifoSize) {
    stream.overflow = true;
    stream.acquired = stream.consumed + stream.fifoSize;
  }
}

std::uint64_t TimeoutSamples(const Stream& stream, std::uint32_t timeoutMs) {
  const double samples = std::floor(timeoutMs * stream.rate / 1000.0);
  // Far beyond any record, and exactly representable.
  constexpr double kLimit = 0x1.0p62;
  return samples >= kLimit ? static_cast<std::uint64_t>(kLimit)
                           : static_cast<std::uint64_t>(std::max(samples, 0.0));
}

}  // namespace vodev
