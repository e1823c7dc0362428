// tarsin: inspect, configure and acquire from Tarsin devices on the command
// line, through the public C API of votarsinapi.
#include <fmt/core.h>

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>

#include "acquire.h"
#include "commands.h"
#include "failure.h"

namespace {

using tarsin::kExitFailure;
using tarsin::kExitUsage;

std::string FullName(const CLI::App* app) {
  std::string name = app->get_name();
  for (const CLI::App* parent = app->get_parent(); parent; parent = parent->get_parent())
    name = parent->get_name() + " " + name;
  return name;
}

// The innermost command the arguments reached.
const CLI::App* Innermost(const CLI::App& app) {
  const CLI::App* current = &app;
  while (!current->get_subcommands().empty()) current = current->get_subcommands().front();
  return current;
}

int Usage(const CLI::App& app, const std::string& reason) {
  const CLI::App* command = Innermost(app);
  const CLI::Formatter formatter;
  tarsin::PrintError(reason);
  fmt::print(stderr, "{}Run '{} --help' for more.\n",
             formatter.make_usage(command, FullName(command)), FullName(command));
  return kExitUsage;
}

struct Arguments {
  std::string resource, attribute, value, channel, code, input, output, size = "1200x700";
  bool names = false;
  double dt = 0;
  tarsin::AcquireOptions acquire;
};

void AddAcquire(CLI::App& app, Arguments& a, std::function<void()>& run) {
  auto* cmd = app.add_subcommand("acquire", "Acquire finite records or a continuous stream");
  auto& o = a.acquire;
  cmd->add_option("resource", o.resource, "Resource name: RIO0..RIO7, SIM...")->required();
  cmd->add_option("--channels", o.channels, "Analog inputs, as a channel list: AI0-AI3")
      ->required();
  cmd->add_option("--samples", o.samples,
                  "Samples per channel (a finite record; the block size of a continuous read)");
  cmd->add_option("--stream", o.stream, "Stream number")
      ->check(CLI::Range(0, 63))
      ->capture_default_str();
  cmd->add_option("--trigger", o.trigger,
                  "none | analog:CH:LEVEL:rising|falling[:HYST] | digital:SOURCE")
      ->capture_default_str();
  cmd->add_option("--records", o.records, "Finite records to acquire, one after the other")
      ->capture_default_str();
  cmd->add_flag("--raw", o.raw, "ADC codes as int16 instead of volts");
  cmd->add_option("--format", o.format, "csv | npy | bin (default: by --output's extension, csv)");
  cmd->add_option("--output,-o", o.output, "Data file; - is standard output");
  cmd->add_option("--plot", o.plot, "Picture of the record: FILE.png or FILE.svg");
  cmd->add_option("--size", o.size, "Picture size WxH")->capture_default_str();
  cmd->add_option("--seed", o.seed, "Restart the simulated device first, with this noise seed");
  cmd->add_flag("--continuous", o.continuous, "Read a continuous stream block by block");
  cmd->add_option("--duration", o.duration, "Seconds to read a continuous stream");
  cmd->add_option("--timeout", o.timeout, "Milliseconds per wait or read")->capture_default_str();
  cmd->callback([&] { run = [&] { tarsin::Acquire(a.acquire); }; });
}

void AddAttr(CLI::App& app, Arguments& a, std::function<void()>& run) {
  auto* attr = app.add_subcommand("attr", "List, read and write attributes");
  attr->require_subcommand(1);
  auto* list = attr->add_subcommand("list", "The attributes the library knows");
  list->add_flag("--names", a.names, "Only the names, as completion takes them");
  list->callback([&] { run = [&] { tarsin::AttrList(a.names); }; });

  auto* get = attr->add_subcommand("get", "Read an attribute");
  get->add_option("resource", a.resource, "Resource name")->required();
  get->add_option("attribute", a.attribute,
                  "Name (case, spaces, dashes free; a unique prefix) or hex ID")
      ->required();
  get->add_option("--channel", a.channel, "One channel: AI3, a stream number; none: the device");
  get->callback([&] { run = [&] { tarsin::AttrGet(a.resource, a.attribute, a.channel); }; });

  auto* set = attr->add_subcommand("set", "Write an attribute");
  set->add_option("resource", a.resource, "Resource name")->required();
  set->add_option("attribute", a.attribute, "Name or hex ID")->required();
  set->add_option("value", a.value, "Value of the attribute's type; enumerations by name too")
      ->required();
  set->add_option("--channels", a.channel, "Channel list: AI0-AI3,5; none: the device");
  set->callback(
      [&] { run = [&] { tarsin::AttrSet(a.resource, a.attribute, a.value, a.channel); }; });
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Inspect, configure and acquire from Tarsin digitizers.", "tarsin"};
  app.set_version_flag("--version", "tarsin " TARSIN_VERSION);
  app.require_subcommand(1);
  Arguments a;
  std::function<void()> run;

  auto* info = app.add_subcommand("info", "Show a device's attributes, channels and streams");
  info->add_option("resource", a.resource, "Resource name: RIO0..RIO7, SIM...")->required();
  info->callback([&] { run = [&] { tarsin::Info(a.resource); }; });

  AddAttr(app, a, run);
  AddAcquire(app, a, run);

  auto* plot = app.add_subcommand("plot", "Plot a saved CSV or .npy file");
  plot->add_option("input", a.input, "FILE.csv or FILE.npy")->required()->check(CLI::ExistingFile);
  plot->add_option("--output,-o", a.output, "FILE.png or FILE.svg")->required();
  plot->add_option("--size", a.size, "Picture size WxH")->capture_default_str();
  plot->add_option("--dt", a.dt, "Seconds per sample (a .npy file does not carry it)");
  plot->callback([&] { run = [&] { tarsin::PlotFile(a.input, a.output, a.size, a.dt); }; });

  auto* error = app.add_subcommand("error", "Describe a status code");
  error->add_option("code", a.code, "Status code, such as -61014")->required();
  error->add_option("--resource", a.resource, "Describe it with a session of this resource");
  error->callback([&] { run = [&] { tarsin::ErrorCommand(a.code, a.resource); }; });

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
    return Usage(app, e.what());
  }
  try {
    run();
    return 0;
  } catch (const tarsin::UsageError& e) {
    return Usage(app, e.what());
  } catch (const tarsin::Failure& e) {
    tarsin::PrintError(e.what());
  } catch (const std::exception& e) {
    tarsin::PrintError(e.what());
  }
  return kExitFailure;
}
