// Acquired samples with what is needed to plot or save them, and the files
// they are saved in: CSV, NumPy .npy and raw binary.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace tarsin {

enum class Format { Csv, Npy, Bin };

// Format named by "csv", "npy", "bin", or by the file's extension.
std::optional<Format> FormatNamed(const std::string& name);
std::optional<Format> FormatOfPath(const std::string& path);

struct Recording {
  std::string resource;
  std::string trigger;                // as given: "analog:AI0:0.2:rising"
  std::vector<std::string> channels;  // row names, "AI0"
  bool raw = false;                   // codes rather than volts
  double dt = 0;                      // seconds per sample; 0 when unknown
  double t0 = 0;                      // seconds from the start to the first sample
  bool triggered = false;             // the first sample is the trigger sample
  std::optional<double> triggerLevel;
  std::string triggerChannel;
  size_t samples = 0;  // per channel and record
  size_t records = 0;
  std::vector<double> values;  // [record][channel][sample]

  const double* Row(size_t record, size_t channel) const {
    return values.data() + (record * channels.size() + channel) * samples;
  }
};

// Writes samples block by block to a temporary file beside path, renamed to
// path by Commit; a writer destroyed before Commit removes its file. "-" is
// standard output. Every format stores samples in time order, channels
// interleaved: CSV one line per sample, binary and .npy (Fortran order,
// shape channels x samples [x records]) sample-major.
class DataWriter {
 public:
  // Throws UsageError when the file cannot be created.
  DataWriter(const std::string& path, Format format);
  ~DataWriter();
  DataWriter(const DataWriter&) = delete;
  DataWriter& operator=(const DataWriter&) = delete;

  // Writes the header for recording's channels, units and timing; records is
  // 1 for a continuous stream, whose length is known only at Commit.
  void Begin(const Recording& recording, size_t records);
  // Appends n samples per channel, channel-major (row c at c * n).
  void Write(const double* block, size_t n);
  // Starts the next record (CSV marks it with a comment line).
  void NextRecord(size_t record);
  // Finishes the file and gives it its name; returns a description of the
  // layout for binary files, else "".
  std::string Commit();

 private:
  void Put(const void* data, size_t size);

  std::string path_, temporary_;
  Format format_;
  std::FILE* file_ = nullptr;
  bool raw_ = false;
  size_t channels_ = 0, records_ = 1, written_ = 0;
  std::vector<char> buffer_;
  std::string csvLine_;
};

// Reads a file written by DataWriter (CSV or .npy) for plotting.
Recording ReadRecording(const std::string& path);

}  // namespace tarsin
