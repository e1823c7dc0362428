#include "acquire.h"

#include <fmt/core.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

#include "device.h"
#include "failure.h"
#include "plot.h"
#include "read_info.h"
#include "recording.h"
#include "terminal.h"

namespace tarsin {
namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) { interrupted = true; }

struct Trigger {
  enum Kind { None, Analog, Digital } kind = None;
  std::string channel;  // analog: the input; digital: the source terminal
  double level = 0, hysteresis = 0;
  bool rising = true;
};

[[noreturn]] void BadTrigger(const std::string& text, const std::string& why) {
  throw UsageError(
      fmt::format("malformed trigger '{}': {}; expected none, "
                  "analog:CH:LEVEL:rising|falling[:HYST] or digital:SOURCE",
                  text, why));
}

double TriggerNumber(const std::string& text, const std::string& field, const char* what) {
  char* end = nullptr;
  const double value = std::strtod(field.c_str(), &end);
  if (field.empty() || *end != '\0')
    BadTrigger(text, fmt::format("{} '{}' is not a number", what, field));
  return value;
}

Trigger ParseTrigger(const std::string& text) {
  Trigger trigger;
  if (text == "none") return trigger;
  std::vector<std::string> parts;
  for (size_t start = 0;;) {
    const size_t colon = text.find(':', start);
    parts.push_back(text.substr(start, colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (parts[0] == "digital") {
    if (parts.size() < 2 || text.size() <= 8) BadTrigger(text, "no source");
    trigger.kind = Trigger::Digital;
    trigger.channel = text.substr(8);
    return trigger;
  }
  if (parts[0] != "analog") BadTrigger(text, fmt::format("unknown kind '{}'", parts[0]));
  if (parts.size() < 4 || parts.size() > 5) BadTrigger(text, "analog takes CH:LEVEL:SLOPE[:HYST]");
  trigger.kind = Trigger::Analog;
  trigger.channel = parts[1];
  if (trigger.channel.empty()) BadTrigger(text, "no channel");
  trigger.level = TriggerNumber(text, parts[2], "level");
  if (parts[3] != "rising" && parts[3] != "falling")
    BadTrigger(text, fmt::format("slope '{}' is neither rising nor falling", parts[3]));
  trigger.rising = parts[3] == "rising";
  if (parts.size() == 5) trigger.hysteresis = TriggerNumber(text, parts[4], "hysteresis");
  return trigger;
}

void ConfigureTrigger(const Device& device, uint32_t stream, const Trigger& trigger) {
  const Session session = device.session();
  switch (trigger.kind) {
    case Trigger::None:
      device.Check(voTarsin_ConfigureImmediateTrigger(session, stream),
                   "configuring the immediate trigger");
      break;
    case Trigger::Analog:
      device.Check(voTarsin_ConfigureAnalogEdgeTrigger(
                       session, stream, trigger.channel.c_str(),
                       trigger.rising ? VOTARSIN_SLOPE_RISING : VOTARSIN_SLOPE_FALLING,
                       trigger.level, trigger.hysteresis),
                   "configuring the analog edge trigger");
      break;
    case Trigger::Digital:
      device.Check(voTarsin_ConfigureDigitalStartTrigger(session, stream, trigger.channel.c_str(),
                                                         VOTARSIN_SENSITIVITY_RISING_EDGE),
                   "configuring the digital start trigger");
      break;
  }
}

// Clears the stream however the acquisition ends.
class StreamGuard {
 public:
  StreamGuard(const Device& device, uint32_t stream) : device_(device), stream_(stream) {}
  ~StreamGuard() {
    const int32_t status = voTarsin_ClearStream(device_.session(), stream_);
    if (status != 0)
      PrintError(fmt::format("{}clearing stream {}: {} (status {})", status > 0 ? "warning: " : "",
                             stream_, ErrorText(device_.session(), status), status));
  }

 private:
  const Device& device_;
  uint32_t stream_;
};

// Reads rows x n samples into block (as doubles) and the rows' records.
int32_t ReadBlock(const Device& device, const AcquireOptions& options, uint32_t rows, uint64_t n,
                  std::vector<double>& block, std::vector<VoTarsinReadInfo>& info) {
  block.assign(size_t(rows) * n, 0);
  info.resize(rows);
  if (!options.raw)
    return voTarsin_ReadStream2DF64(device.session(), options.stream, options.timeout, rows, n,
                                    block.data(), info.data());
  std::vector<int16_t> codes(block.size());
  const int32_t status = voTarsin_ReadStream2DI16(device.session(), options.stream, options.timeout,
                                                  rows, n, codes.data(), info.data());
  std::copy(codes.begin(), codes.end(), block.begin());
  return status;
}

void Describe(Recording& recording, const std::vector<VoTarsinReadInfo>& records) {
  recording.channels.clear();
  for (const VoTarsinReadInfo& record : records)
    recording.channels.push_back(fmt::format("AI{}", ReadInfo::Decode(record).channel));
  const ReadInfo first = ReadInfo::Decode(records.front());
  recording.dt = first.dt;
  recording.t0 = first.t0;
  // An immediate start is no trigger worth marking.
  recording.triggered = (first.flags & ReadInfo::kTriggered) != 0 && first.position == 0 &&
                        recording.trigger != "none";
}

class Progress {
 public:
  explicit Progress(double duration) : duration_(duration), shown_(IsTerminal(stderr)) {}
  ~Progress() { Clear(); }
  void Clear() {
    if (shown_ && drawn_) fmt::print(stderr, "\r{:79}\r", "");
    drawn_ = false;
  }
  void Update(double elapsed, uint64_t samples) {
    if (!shown_ || elapsed - last_ < 0.1) return;
    last_ = elapsed;
    drawn_ = true;
    const double done = std::min(1.0, elapsed / duration_);
    const int width = 30, filled = int(done * width);
    fmt::print(stderr, "\r[{}{}] {:3.0f}%  {:.1f} s  {} samples/channel", std::string(filled, '#'),
               std::string(width - filled, ' '), done * 100, elapsed, samples);
    std::fflush(stderr);
  }

 private:
  double duration_, last_ = -1;
  bool shown_, drawn_ = false;
};

std::string Title(const AcquireOptions& options) {
  return fmt::format("{}  ·  {}  ·  trigger {}{}", options.resource, options.channels,
                     options.trigger, options.continuous ? "  ·  continuous" : "");
}

void Finite(const Device& device, const AcquireOptions& options, uint32_t rows,
            Recording& recording, DataWriter* writer) {
  StreamGuard guard(device, options.stream);
  const Session session = device.session();
  device.Check(voTarsin_ConfigureStreamFinite(session, options.stream, options.samples),
               "configuring a finite record");
  ConfigureTrigger(device, options.stream, ParseTrigger(options.trigger));
  std::vector<double> block;
  std::vector<VoTarsinReadInfo> info;
  for (uint64_t r = 0; r < options.records; ++r) {
    if (interrupted) throw Failure("interrupted");
    const std::string record = options.records > 1 ? fmt::format(" (record {})", r) : "";
    device.Check(voTarsin_StartStream(session, options.stream),
                 fmt::format("starting stream {}{}", options.stream, record));
    uint64_t ready = 0;
    uint8_t state = 0;
    device.Check(voTarsin_WaitForTransfer(session, options.stream, options.samples, options.timeout,
                                          &ready, &state),
                 fmt::format("waiting for {} samples{}", options.samples, record));
    device.Check(ReadBlock(device, options, rows, options.samples, block, info),
                 fmt::format("reading stream {}{}", options.stream, record));
    if (r == 0) {
      Describe(recording, info);
      if (writer) writer->Begin(recording, options.records);
    }
    if (writer) {
      if (r > 0) writer->NextRecord(r);
      writer->Write(block.data(), options.samples);
    }
    recording.values.insert(recording.values.end(), block.begin(), block.end());
    ++recording.records;
  }
}

void Continuous(const Device& device, const AcquireOptions& options, uint32_t rows,
                Recording& recording, DataWriter* writer) {
  StreamGuard guard(device, options.stream);
  const Session session = device.session();
  device.Check(voTarsin_SetAttributeBoolean(session, std::to_string(options.stream).c_str(),
                                            VOTARSIN_ATTR_STREAM_FINITE, 0),
               "configuring a continuous stream");
  ConfigureTrigger(device, options.stream, ParseTrigger(options.trigger));
  device.Check(voTarsin_StartStream(session, options.stream),
               fmt::format("starting stream {}", options.stream));
  std::vector<double> block;
  std::vector<VoTarsinReadInfo> info;
  uint64_t total = 0;
  Progress progress(options.duration);
  const auto start = std::chrono::steady_clock::now();
  double elapsed = 0;
  do {
    if (interrupted) throw Failure("interrupted");
    device.Check(
        ReadBlock(device, options, rows, recording.samples, block, info),
        fmt::format("reading stream {} after {} samples per channel", options.stream, total));
    if (total == 0) {
      Describe(recording, info);
      recording.values = block;
      recording.records = 1;
      if (writer) writer->Begin(recording, 1);
    }
    if (writer) writer->Write(block.data(), recording.samples);
    total += recording.samples;
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    progress.Update(elapsed, total);
  } while (elapsed < options.duration);
  progress.Clear();
  const ReadInfo last = ReadInfo::Decode(info.front());
  const bool overflow = last.state == VOTARSIN_STREAM_STATE_OVERFLOW;
  PrintError(
      fmt::format("read {} samples per channel of {} channels in {:.2f} s: {:.4g} MS/s per "
                  "channel reached (device {:.4g} MS/s); {}",
                  total, rows, elapsed, double(total) / elapsed / 1e6,
                  last.dt > 0 ? 1e-6 / last.dt : 0.0, overflow ? "OVERFLOW" : "no overflow"));
}

}  // namespace

void Acquire(const AcquireOptions& given) {
  AcquireOptions options = given;
  if (!options.continuous && options.samples == 0)
    throw UsageError("--samples must be at least 1 for a finite record");
  if (options.continuous) {
    if (!(options.duration > 0)) throw UsageError("--continuous needs --duration SECONDS above 0");
    if (options.samples == 0) options.samples = 65536;
    if (options.records != 1) throw UsageError("--records applies to finite records only");
  }
  if (options.records == 0) throw UsageError("--records must be at least 1");
  ParseTrigger(options.trigger);
  const PlotSize size = ParsePlotSize(options.size);
  if (!options.plot.empty()) CheckPlotPath(options.plot);

  std::optional<Format> format;
  if (!options.format.empty()) {
    format = FormatNamed(options.format);
    if (!format)
      throw UsageError(fmt::format("unknown format '{}': csv, npy or bin", options.format));
  } else if (!options.output.empty() && options.output != "-") {
    format = FormatOfPath(options.output);
  }
  const bool save = !options.output.empty() || options.plot.empty();
  if (save && options.output.empty()) options.output.assign(1, '-');
  if (save && options.output == "-" && format && *format != Format::Csv && IsTerminal(stdout))
    throw UsageError("binary samples are not written to a terminal; give --output FILE");
  std::unique_ptr<DataWriter> writer;
  if (save) writer = std::make_unique<DataWriter>(options.output, format.value_or(Format::Csv));

  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  Device device(options.resource);
  if (options.seed) device.Restart(*options.seed);
  uint32_t rows = 0;
  device.Check(voTarsin_ConfigureStreamEnabledChannels(device.session(), options.stream,
                                                       options.channels.c_str(), &rows),
               fmt::format("enabling {} on stream {}", options.channels, options.stream));

  Recording recording;
  recording.resource = options.resource;
  recording.trigger = options.trigger;
  recording.raw = options.raw;
  recording.samples = options.samples;
  const Trigger trigger = ParseTrigger(options.trigger);
  if (trigger.kind == Trigger::Analog) {
    recording.triggerLevel = trigger.level;
    recording.triggerChannel = trigger.channel;
  }
  if (options.continuous)
    Continuous(device, options, rows, recording, writer.get());
  else
    Finite(device, options, rows, recording, writer.get());

  if (writer) {
    const std::string layout = writer->Commit();
    if (!layout.empty()) PrintError(layout);
  }
  if (!options.plot.empty()) {
    Plot(recording, options.plot, size, Title(options));
    PrintError("plot written to " + options.plot);
  }
}

}  // namespace tarsin
