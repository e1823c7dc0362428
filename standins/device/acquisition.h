// Acquisition of the device model: the simulated signal of each analog input,
// the per-channel sample tables it is copied from, the state of streams 0 to
// 63, routes between terminals and the record of sync pulses.
//
// Signal. AI channel n carries
//   v(k) = A_n sin(2 pi k / P_n + phi_n) + noise_n(k mod L_n)      [volts]
// at sample index k counted from the stream's start, with P_n = 100 + 20 n
// samples, A_n = 0.5 - 0.01 n V, phi_n = n pi / 8 and Gaussian noise of
// 0.5 mV standard deviation drawn once per (seed, channel) for a table of
// L_n = P_n * ceil(8192 / P_n) samples (whole periods). The converter turns
// v into the code round((v - offset) / gain), clamped to -8192..8191, with
// gain = AI Range / 8192; float64 samples are code * gain + offset.
//
// Because a table holds whole periods, every read is a copy from a table
// precomputed per (channel, seed, range, offset): the int16 codes and the
// float64 volts are both kept, so neither path converts per sample.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "attributes.h"

namespace vodev {

struct Device;

// ---- Signal ------------------------------------------------------------------

struct Waveform {
  std::uint32_t period;       // samples per period
  double amplitude;           // volts
  double phase;               // radians at sample 0
  double noise;               // standard deviation in volts
  std::uint32_t tableLength;  // whole periods, at least 8192 samples
};

// The signal parameters of AI channel 0 to 15.
Waveform ChannelWaveform(int channel);

// One channel's samples for one seed, range and offset.
struct ChannelTable {
  int channel = 0;
  std::uint32_t seed = 0;
  double range = 0.0;
  double gain = 0.0;
  double offset = 0.0;
  std::vector<std::int16_t> codes;
  std::vector<double> volts;  // codes[k] * gain + offset
};

std::shared_ptr<const ChannelTable> BuildChannelTable(int channel, std::uint32_t seed, double range,
                                                      double offset);

// Copy count samples that begin at sample index start into out, which need
// not be aligned: int16 codes (2 bytes each) or float64 volts (8 bytes each).
void CopyCodes(const ChannelTable& table, std::uint64_t start, std::uint64_t count,
               std::uint8_t* out);
void CopyVolts(const ChannelTable& table, std::uint64_t start, std::uint64_t count,
               std::uint8_t* out);

// Analog edge trigger. Rising: the trigger arms at the first sample below
// level - hysteresis and fires at the first later sample at or above level.
// Falling: arms above level + hysteresis, fires at or below level. The
// comparison is made on the converter's codes.
struct EdgeTrigger {
  double level = 0.0;
  double hysteresis = 0.0;
  bool rising = true;
};

// The sample index at which the trigger fires, or nothing when the periodic
// signal never satisfies it.
std::optional<std::uint64_t> FindEdge(const ChannelTable& table, const EdgeTrigger& trigger);

// ---- Streams -------------------------------------------------------------------

// Stream states as the wait and read responses report them.
enum StreamState : std::uint8_t {
  kStateAcquiring = 1,  // continuous stream triggered and acquiring
  kStateWaiting = 2,    // started, waiting for its start trigger
  kStateOverflow = 4,   // continuous stream whose unread samples exceeded the FIFO
  kStateStopped = 6,    // not started, cleared, or a finite record fully acquired
};

inline constexpr std::string_view kSyncTerminal = "SyncPulse";
inline constexpr std::string_view kDioTerminal = "DIO";

// The run-time state of one stream; the configuration is taken from the
// attributes when the stream starts and is kept unchanged until the next
// start or clear.
struct Stream {
  bool started = false;
  std::vector<int> channels;  // AI numbers, ascending: one row each
  std::vector<std::shared_ptr<const ChannelTable>> tables;
  bool finite = false;
  std::uint64_t samples = 0;    // record length of a finite stream
  std::uint64_t fifoSize = 0;   // samples per channel a continuous stream buffers
  double rate = 0.0;            // samples per second
  std::string triggerTerminal;  // digital trigger: the terminal waited for
  std::string outputTerminal;   // pulsed when the stream triggers
  bool triggered = false;
  std::uint64_t triggerIndex = 0;  // samples from the start to the first sample
  // Modelled clock: samples since the start. It moves only while a wait or a
  // read of this stream waits.
  std::uint64_t elapsed = 0;
  std::uint64_t acquired = 0;  // continuous stream: samples per channel acquired
  std::uint64_t consumed = 0;  // samples per channel read
  bool overflow = false;

  std::uint8_t State() const;
  // Samples per channel acquired and not yet read.
  std::uint64_t Ready() const;
};

// Lets time pass on a stream, in samples. A continuous stream acquires; when
// draining is false and its unread samples exceed the FIFO, it overflows.
void AdvanceStream(Stream& stream, std::uint64_t samples, bool draining);

// Milliseconds of modelled waiting as samples at the stream's rate.
std::uint64_t TimeoutSamples(const Stream& stream, std::uint32_t timeoutMs);

// A signal route from a source terminal to a destination terminal.
struct Route {
  std::string source;
  std::string destination;
};

inline constexpr std::size_t kMaxRoutes = 1024;

// Pulses a terminal: every stream waiting for it triggers, the pulse travels
// on along routes that start at it, and triggered streams pulse their output
// terminals. Returns how many streams triggered.
int PulseTerminal(Device& device, std::string_view terminal);

// Whether the model itself drives a terminal (the sync terminal or a stream's
// start trigger output terminal). Routes from other terminals carry a live
// outside signal.
bool IsModelDriven(const Device& device, std::string_view terminal);

// Marks a started stream triggered with its record beginning at sample
// triggerIndex and pulses its output terminal. Returns how many streams
// triggered, this one included.
int FireStream(Device& device, Stream& stream, std::uint64_t triggerIndex);

}  // namespace vodev
