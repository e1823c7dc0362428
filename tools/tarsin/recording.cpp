#include "recording.h"

#include <fmt/core.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "failure.h"

namespace tarsin {

static_assert(std::endian::native == std::endian::little, "files are written little-endian");

namespace {

constexpr size_t kNpyHeaderSize = 128;  // room for any shape; patched at the end

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string NpyHeader(bool raw, size_t channels, size_t samples, size_t records) {
  std::string shape = records > 1 ? fmt::format("({}, {}, {})", channels, samples, records)
                                  : fmt::format("({}, {})", channels, samples);
  std::string dict = fmt::format("{{'descr': '{}', 'fortran_order': True, 'shape': {}, }}",
                                 raw ? "<i2" : "<f8", shape);
  dict.resize(kNpyHeaderSize - 10 - 1, ' ');
  dict += '\n';
  std::string header("\x93NUMPY\x01\x00", 8);
  header += char(dict.size() & 0xFF);
  header += char(dict.size() >> 8);
  return header + dict;
}

[[noreturn]] void Unreadable(const std::string& path, const std::string& why) {
  throw UsageError(fmt::format("{}: {}", path, why));
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Unreadable(path, std::strerror(errno));
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

double Number(const std::string& path, std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    Unreadable(path, fmt::format("'{}' is not a number", text));
  return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i)
    if (i == text.size() || text[i] == separator) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  return parts;
}

void ApplyCsvComment(Recording& recording, std::string_view line) {
  std::istringstream words{std::string(line.substr(std::string_view("# tarsin:").size()))};
  std::string word;
  while (words >> word) {
    const size_t equals = word.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = word.substr(0, equals), value = word.substr(equals + 1);
    if (key == "resource") recording.resource = value;
    if (key == "trigger") recording.trigger = value;
    if (key == "unit") recording.raw = value == "code";
    if (key == "dt") recording.dt = std::strtod(value.c_str(), nullptr);
    if (key == "t0") recording.t0 = std::strtod(value.c_str(), nullptr);
    if (key == "triggered") recording.triggered = value == "1";
    if (key == "level") recording.triggerLevel = std::strtod(value.c_str(), nullptr);
    if (key == "trigger_channel") recording.triggerChannel = value;
  }
}

Recording ReadCsv(const std::string& path) {
  Recording recording;
  const std::string content = Slurp(path);
  std::vector<std::vector<double>> rows;  // [record * channels + channel][sample]
  for (std::string_view line : Split(content, '\n')) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (line.starts_with("# tarsin:")) {
      ApplyCsvComment(recording, line);
    } else if (line.starts_with("# record")) {
      rows.resize(rows.size() + recording.channels.size());
    } else if (line.front() == '#') {
      continue;
    } else if (recording.channels.empty()) {
      for (std::string_view name : Split(line, ',')) recording.channels.emplace_back(name);
      rows.resize(recording.channels.size());
    } else {
      const auto fields = Split(line, ',');
      if (fields.size() != recording.channels.size())
        Unreadable(path, fmt::format("a line of {} values under {} columns", fields.size(),
                                     recording.channels.size()));
      const size_t first = rows.size() - fields.size();
      for (size_t c = 0; c < fields.size(); ++c) rows[first + c].push_back(Number(path, fields[c]));
    }
  }
  if (rows.empty() || rows.front().empty()) Unreadable(path, "no samples");
  if (!(std::isfinite(recording.dt) && recording.dt > 0)) recording.dt = 0;
  if (!std::isfinite(recording.t0)) recording.t0 = 0;
  recording.records = rows.size() / recording.channels.size();
  recording.samples = rows.front().size();
  for (const auto& row : rows) {
    if (row.size() != recording.samples) Unreadable(path, "records of different lengths");
    recording.values.insert(recording.values.end(), row.begin(), row.end());
  }
  return recording;
}

std::string DictValue(const std::string& dict, const std::string& key) {
  const size_t at = dict.find("'" + key + "'");
  if (at == std::string::npos) return {};
  size_t start = dict.find(':', at) + 1;
  while (start < dict.size() && dict[start] == ' ') ++start;
  if (start == 0 || start >= dict.size()) return {};
  const size_t end = dict[start] == '(' ? dict.find(')', start) + 1 : dict.find(',', start);
  return dict.substr(start, end - start);
}

// *product = a * b unless that overflows.
bool MultiplyOverflows(size_t a, size_t b, size_t* product) {
  if (a != 0 && b > SIZE_MAX / a) return true;
  *product = a * b;
  return false;
}

Recording ReadNpy(const std::string& path) {
  const std::string content = Slurp(path);
  if (content.size() < 10 || content.compare(0, 6, "\x93NUMPY") != 0)
    Unreadable(path, "not a NumPy .npy file");
  const size_t length = uint8_t(content[8]) | size_t(uint8_t(content[9])) << 8;
  if (content[6] != 1 || 10 + length > content.size()) Unreadable(path, "unsupported .npy version");
  const std::string dict = content.substr(10, length);
  const std::string descr = DictValue(dict, "descr");
  const bool fortran = DictValue(dict, "fortran_order") == "True";
  std::vector<size_t> shape;
  const std::string shapeText = DictValue(dict, "shape");
  for (std::string_view part : Split(shapeText, ',')) {
    std::string digits;
    for (char c : part)
      if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    if (digits.size() > 12) Unreadable(path, "dimension too large");
    if (!digits.empty()) shape.push_back(std::stoull(digits));
  }
  if (descr != "'<f8'" && descr != "'<i2'")
    Unreadable(path, "holds " + descr + " values; float64 or int16 expected");
  if (shape.empty() || shape.size() > 3) Unreadable(path, "1 to 3 dimensions expected");
  if (shape.size() == 1) shape.insert(shape.begin(), 1);
  Recording recording;
  recording.raw = descr == "'<i2'";
  recording.samples = shape[1];
  recording.records = shape.size() == 3 ? shape[2] : 1;
  const size_t width = recording.raw ? 2 : 8;
  size_t count = 0, bytes = 0;
  if (MultiplyOverflows(shape[0], recording.samples, &count) ||
      MultiplyOverflows(count, recording.records, &count) ||
      MultiplyOverflows(count, width, &bytes) || content.size() - 10 - length < bytes)
    Unreadable(path, "file shorter than its shape");
  if (count == 0) Unreadable(path, "no samples");
  for (size_t c = 0; c < shape[0]; ++c) recording.channels.push_back(fmt::format("row {}", c));
  const char* data = content.data() + 10 + length;
  recording.values.resize(count);
  for (size_t r = 0; r < recording.records; ++r)
    for (size_t c = 0; c < shape[0]; ++c)
      for (size_t k = 0; k < recording.samples; ++k) {
        const size_t at = fortran ? c + shape[0] * (k + recording.samples * r)
                                  : (c * recording.samples + k) * recording.records + r;
        double value;
        if (recording.raw) {
          int16_t code;
          std::memcpy(&code, data + at * 2, 2);
          value = code;
        } else {
          std::memcpy(&value, data + at * 8, 8);
        }
        recording.values[(r * shape[0] + c) * recording.samples + k] = value;
      }
  return recording;
}

}  // namespace

std::optional<Format> FormatNamed(const std::string& name) {
  const std::string lower = Lower(name);
  if (lower == "csv") return Format::Csv;
  if (lower == "npy") return Format::Npy;
  if (lower == "bin") return Format::Bin;
  return {};
}

std::optional<Format> FormatOfPath(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  return extension.empty() ? std::nullopt : FormatNamed(extension.substr(1));
}

DataWriter::DataWriter(const std::string& path, Format format) : path_(path), format_(format) {
  if (path == "-") {
    file_ = stdout;
    return;
  }
  std::random_device random;
  temporary_ = fmt::format("{}.{:08x}.part", path, random());
  file_ = std::fopen(temporary_.c_str(), "wb");
  if (file_ == nullptr)
    throw UsageError(fmt::format("cannot write {}: {}", path, std::strerror(errno)));
}

DataWriter::~DataWriter() {
  if (file_ == nullptr || file_ == stdout) return;
  std::fclose(file_);
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

void DataWriter::Put(const void* data, size_t size) {
  if (std::fwrite(data, 1, size, file_) != size)
    throw Failure(fmt::format("writing {}: {}", path_, std::strerror(errno)));
}

void DataWriter::Begin(const Recording& recording, size_t records) {
  channels_ = recording.channels.size();
  records_ = records;
  raw_ = recording.raw;
  if (format_ == Format::Npy) {
    if (file_ == stdout && recording.samples == 0)
      throw UsageError("a continuous stream is saved as .npy only to a file (--output)");
    const std::string header = NpyHeader(raw_, channels_, recording.samples, records);
    Put(header.data(), header.size());
  } else if (format_ == Format::Csv) {
    std::string head =
        fmt::format("# tarsin: resource={} trigger={} dt={} t0={} unit={}", recording.resource,
                    recording.trigger.empty() ? "none" : recording.trigger, recording.dt,
                    recording.t0, raw_ ? "code" : "V");
    if (recording.triggered) head += " triggered=1";
    if (recording.triggerLevel)
      head += fmt::format(" level={} trigger_channel={}", *recording.triggerLevel,
                          recording.triggerChannel);
    std::string names;
    for (const std::string& name : recording.channels) names += (names.empty() ? "" : ",") + name;
    head += "\n" + names + "\n";
    Put(head.data(), head.size());
  }
}

void DataWriter::NextRecord(size_t record) {
  if (format_ != Format::Csv) return;
  const std::string line = fmt::format("# record {}\n", record);
  Put(line.data(), line.size());
}

void DataWriter::Write(const double* block, size_t n) {
  if (format_ == Format::Csv) {
    csvLine_.clear();
    for (size_t k = 0; k < n; ++k) {
      for (size_t c = 0; c < channels_; ++c) {
        if (c) csvLine_ += ',';
        const double value = block[c * n + k];
        if (raw_)
          fmt::format_to(std::back_inserter(csvLine_), "{}", int(value));
        else
          fmt::format_to(std::back_inserter(csvLine_), "{}", value);
      }
      csvLine_ += '\n';
    }
    Put(csvLine_.data(), csvLine_.size());
  } else {
    const size_t width = raw_ ? 2 : 8;
    buffer_.resize(n * channels_ * width);
    char* out = buffer_.data();
    for (size_t k = 0; k < n; ++k)
      for (size_t c = 0; c < channels_; ++c, out += width) {
        const double value = block[c * n + k];
        if (raw_) {
          const int16_t code = int16_t(value);
          std::memcpy(out, &code, 2);
        } else {
          std::memcpy(out, &value, 8);
        }
      }
    Put(buffer_.data(), buffer_.size());
  }
  written_ += n;
}

std::string DataWriter::Commit() {
  const size_t perRecord = written_ / records_;
  if (format_ == Format::Npy && file_ != stdout) {
    const std::string header = NpyHeader(raw_, channels_, perRecord, records_);
    if (std::fseek(file_, 0, SEEK_SET) != 0) throw Failure("seeking in " + temporary_);
    Put(header.data(), header.size());
  }
  std::FILE* file = file_;
  file_ = nullptr;
  const int flushed = std::fflush(file);
  const int closed = file == stdout ? 0 : std::fclose(file);
  std::error_code error;
  if (flushed != 0 || closed != 0) {
    const std::string reason = std::strerror(errno);
    if (file != stdout) std::filesystem::remove(temporary_, error);
    throw Failure(fmt::format("writing {}: {}", path_, reason));
  }
  if (file != stdout) {
    std::filesystem::rename(temporary_, path_, error);
    if (error) {
      const std::string reason = error.message();
      std::filesystem::remove(temporary_, error);
      throw Failure(fmt::format("renaming {} to {}: {}", temporary_, path_, reason));
    }
  }
  if (format_ != Format::Bin) return {};
  return fmt::format(
      "{}: {} little-endian, {} channel{} interleaved per sample, {} samples per "
      "channel{}",
      path_ == "-" ? "standard output" : path_, raw_ ? "int16" : "float64", channels_,
      channels_ == 1 ? "" : "s", perRecord,
      records_ > 1 ? fmt::format(", {} records one after the other", records_) : "");
}

Recording ReadRecording(const std::string& path) {
  const auto format = FormatOfPath(path);
  if (format == Format::Csv) return ReadCsv(path);
  if (format == Format::Npy) return ReadNpy(path);
  throw UsageError(fmt::format("{}: plots read .csv or .npy files", path));
}

}  // namespace tarsin
