#include "commands.h"

#include <fmt/core.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <vector>

#include "attribute_table.h"
#include "device.h"
#include "failure.h"
#include "recording.h"

namespace tarsin {
namespace {

std::string StateName(uint8_t state) {
  switch (state) {
    case 1:
      return "acquiring";
    case 2:
      return "waiting for the start trigger";
    case VOTARSIN_STREAM_STATE_OVERFLOW:
      return "overflowed";
    case VOTARSIN_STREAM_STATE_STOPPED:
      return "stopped";
    default:
      return fmt::format("state {}", state);
  }
}

// "0-3,7" for {0, 1, 2, 3, 7}.
std::string Ranges(const std::vector<uint32_t>& numbers) {
  std::string text;
  for (size_t i = 0; i < numbers.size();) {
    size_t j = i;
    while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
    text += fmt::format("{}{}", text.empty() ? "" : ",", numbers[i]);
    if (j > i) text += fmt::format("-{}", numbers[j]);
    i = j + 1;
  }
  return text;
}

void PrintStreams(const Device& device) {
  std::map<uint8_t, std::vector<uint32_t>> byState;
  for (uint32_t stream = 0; stream < VOTARSIN_STREAM_COUNT; ++stream) {
    uint64_t ready = 0;
    uint8_t state = 0;
    const int32_t status = voTarsin_WaitForTransfer(device.session(), stream, 0, 0, &ready, &state);
    // An overflowed stream answers its state with an error.
    if (!(status < 0 && state == VOTARSIN_STREAM_STATE_OVERFLOW))
      device.Check(status, fmt::format("asking the state of stream {}", stream));
    byState[state].push_back(stream);
  }
  fmt::print("  streams ({}):\n", VOTARSIN_STREAM_COUNT);
  for (const auto& [state, streams] : byState)
    fmt::print("    {:<10} {}\n", Ranges(streams), StateName(state));
}

// Characters on screen: UTF-8 continuation bytes take no column.
size_t Columns(const std::string& text) {
  size_t columns = 0;
  for (unsigned char c : text) columns += (c & 0xC0) != 0x80;
  return columns;
}

void PrintChannels(const Device& device) {
  int32_t count = 0;
  device.Check(
      voTarsin_GetAttributeInt32(device.session(), "", VOTARSIN_ATTR_AI_CHANNEL_COUNT, &count),
      "reading AI Channel Count");
  std::vector<Attribute> columns;
  std::vector<std::string> headers{"channel"};
  for (const Attribute& attribute : Attributes())
    if (attribute.scope == Scope::AI) {
      columns.push_back(attribute);
      std::string header = std::string(attribute.name).substr(3);
      if (*attribute.unit) header += fmt::format(" ({})", attribute.unit);
      headers.push_back(header);
    }
  std::vector<std::vector<std::string>> rows{headers};
  for (int32_t n = 0; n < count; ++n) {
    const std::string channel = fmt::format("AI{}", n);
    std::vector<std::string> row{channel};
    for (const Attribute& attribute : columns)
      row.push_back(ReadValue(device, attribute, channel, false));
    rows.push_back(row);
  }
  std::vector<size_t> widths(headers.size(), 0);
  for (const auto& row : rows)
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], Columns(row[i]));
  fmt::print("  AI channels ({}):\n", count);
  for (const auto& row : rows) {
    std::string line = "   ";
    for (size_t i = 0; i < row.size(); ++i)
      line += " " + row[i] + std::string(widths[i] - Columns(row[i]), ' ');
    while (line.back() == ' ') line.pop_back();
    fmt::print("{}\n", line);
  }
}

}  // namespace

void Info(const std::string& resource) {
  Device device(resource);
  fmt::print("{}: session {:#06x}{}\n", resource, device.session(),
             device.simulated() ? ", simulated" : "");
  fmt::print("  device attributes:\n");
  for (const Attribute& attribute : Attributes())
    if (attribute.scope == Scope::Device)
      fmt::print("    {:<40} {}\n", attribute.name, ReadValue(device, attribute, ""));
  PrintChannels(device);
  PrintStreams(device);
}

void AttrList(bool shellNames) {
  if (shellNames) {
    for (const Attribute& attribute : Attributes()) fmt::print("{}\n", ShellName(attribute));
    return;
  }
  fmt::print("{:<10}  {:<40} {:<7} {:<6} {:<6} {}\n", "ID", "name", "type", "scope", "access",
             "values");
  for (const Attribute& attribute : Attributes()) {
    std::string values;
    for (const EnumValue& value : attribute.values)
      values += fmt::format("{}{} {}", values.empty() ? "" : ", ", value.value, value.name);
    fmt::print("{:#010x}  {:<40} {:<7} {:<6} {:<6} {}\n", attribute.id, attribute.name,
               TypeName(attribute.type), ScopeName(attribute.scope),
               attribute.writable ? "RW" : "RO", values);
  }
}

void AttrGet(const std::string& resource, const std::string& key, const std::string& channel) {
  const Attribute attribute = FindAttribute(key);
  Device device(resource);
  fmt::print("{}\n", ReadValue(device, attribute, channel));
}

void AttrSet(const std::string& resource, const std::string& key, const std::string& text,
             const std::string& channels) {
  const Attribute attribute = FindAttribute(key);
  const Value value = ParseValue(attribute, text);
  Device device(resource);
  WriteValue(device, attribute, channels, value);
}

void ErrorCommand(const std::string& text, const std::string& resource) {
  int32_t code = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    throw UsageError(fmt::format("'{}' is not a 32-bit status code", text));
  if (resource.empty()) {
    fmt::print("{}\n", ErrorText(0, code));
    return;
  }
  Device device(resource);
  fmt::print("{}\n", ErrorText(device.session(), code));
}

void PlotFile(const std::string& input, const std::string& output, const std::string& size,
              double dt) {
  if (!(std::isfinite(dt) && dt >= 0)) throw UsageError("--dt must be a number of seconds above 0");
  CheckPlotPath(output);
  const PlotSize plotSize = ParsePlotSize(size);
  Recording recording = ReadRecording(input);
  if (dt > 0) recording.dt = dt;
  std::string title = std::filesystem::path(input).filename().string();
  if (!recording.resource.empty()) title += "  ·  " + recording.resource;
  if (!recording.trigger.empty()) title += "  ·  trigger " + recording.trigger;
  Plot(recording, output, plotSize, title);
  fmt::print(stderr, "tarsin: plot written to {}\n", output);
}

}  // namespace tarsin
