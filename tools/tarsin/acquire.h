// The acquire command: finite records or a continuous stream of one stream's
// analog inputs, saved and plotted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarsin {

struct AcquireOptions {
  std::string resource;
  std::string channels;
  uint64_t samples = 0;  // per channel; the block size of a continuous stream
  uint32_t stream = 0;
  std::string trigger = "none";
  uint64_t records = 1;
  bool raw = false;
  std::string format;  // "" chooses by the output's extension, else CSV
  std::string output;  // "" is standard output unless only a plot is asked
  std::string plot;
  std::string size = "1200x700";
  std::optional<uint32_t> seed;
  bool continuous = false;
  double duration = 0;       // seconds of reading a continuous stream
  uint32_t timeout = 10000;  // ms per wait or read
};

// Throws UsageError for bad options (before the device is touched) and
// Failure for a failed library call.
void Acquire(const AcquireOptions& options);

}  // namespace tarsin
