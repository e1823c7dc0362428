// tarsin run as a user runs it, against the simulated and stand-in devices:
// its output, its files and its exit codes.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "palette.h"
#include "support/temp_dir.h"

namespace {

struct Result {
  int code;
  std::string out, err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

class TarsinTest : public ::testing::Test {
 protected:
  // Fontconfig, which cairo loads to draw text, keeps its caches until the
  // process ends; a leak checker in the tool would count them.
  static void SetUpTestSuite() { setenv("LSAN_OPTIONS", "suppressions=" LSAN_SUPPRESSIONS, 1); }

  Result RunProgram(const std::string& program, const std::string& args) {
    const std::string out = dir_.path() + "/stdout", err = dir_.path() + "/stderr";
    const std::string command = program + " " + args + " >" + out + " 2>" + err + " </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
  }
  Result Run(const std::string& args) { return RunProgram(TARSIN_EXE, args); }
  std::string Path(const std::string& name) const { return dir_.path() + "/" + name; }

  votest::TempDir dir_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(TarsinTest, InfoShowsTheSixteenChannelsAndTheResolution) {
  const Result r = Run("info RIO0");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("AI channels (16):"), std::string::npos) << r.out;
  int channelRows = 0, resolutionLines = 0;
  for (const std::string& line : Lines(r.out)) {
    if (line.find("ADC Resolution") != std::string::npos) {
      EXPECT_NE(line.find(" 14 bits"), std::string::npos) << line;
      ++resolutionLines;
    }
    if (line.starts_with("    AI") && line.find("(DC)") != std::string::npos) ++channelRows;
  }
  EXPECT_EQ(resolutionLines, 1);
  EXPECT_EQ(channelRows, 16);
  EXPECT_NE(r.out.find("0-63       stopped"), std::string::npos) << r.out;
}

TEST_F(TarsinTest, CsvHoldsTheSamplesTheCExamplePrints) {
  const Result example = RunProgram(ACQUIRE_EXAMPLE_EXE, "");
  ASSERT_EQ(example.code, 0) << example.err;
  const Result r =
      Run("acquire SIM0 --channels AI0-AI3 --samples 1000 --seed 1 "
          "--trigger analog:AI0:0.2:rising:0.01 --output " +
          Path("a.csv"));
  ASSERT_EQ(r.code, 0) << r.err;

  std::vector<std::string> ours;
  for (const std::string& line : Lines(Slurp(Path("a.csv"))))
    if (!line.starts_with("#")) ours.push_back(line);
  const std::vector<std::string> theirs = Lines(example.out);
  ASSERT_EQ(ours.size(), 1001u);
  ASSERT_EQ(ours.size(), theirs.size());
  EXPECT_EQ(ours[0], theirs[0]);
  for (size_t i = 1; i < ours.size(); ++i) {
    // The example prints six decimals; the tool every digit.
    std::string rounded;
    std::istringstream fields(ours[i]);
    for (std::string field; std::getline(fields, field, ',');) {
      char text[32];
      std::snprintf(text, sizeof text, "%.6f", std::stod(field));
      rounded += (rounded.empty() ? "" : ",") + std::string(text);
    }
    ASSERT_EQ(rounded, theirs[i]) << "sample " << i - 1;
  }
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
}

TEST_F(TarsinTest, NpyLoadsInNumpyAsChannelsBySamples) {
  ASSERT_EQ(Run("acquire SIM0 --channels AI0-AI3 --samples 1000 --seed 3 -o " + Path("v.npy")).code,
            0);
  ASSERT_EQ(
      Run("acquire SIM0 --channels AI2,AI7 --samples 500 --raw --format npy -o " + Path("c.x"))
          .code,
      0);
  ASSERT_EQ(Run("acquire SIM0 --channels AI0-AI3 --samples 1000 --seed 3 -o " + Path("v.csv")).code,
            0);
  const Result r = RunProgram(
      PYTHON3_EXE, "-c \"import numpy as n; v = n.load('" + Path("v.npy") + "'); c = n.load('" +
                       Path("c.x") +
                       "'); print(v.shape, v.dtype, c.shape, c.dtype, repr(v[3, 999]))\"");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string last = Lines(Slurp(Path("v.csv"))).back();
  EXPECT_EQ(r.out, "(4, 1000) float64 (2, 500) int16 " + last.substr(last.rfind(',') + 1) + "\n");
}

TEST_F(TarsinTest, PlotDecodesAtItsSizeWithEachChannelsColourAlongTheWave) {
  const Result r =
      Run("acquire SIM0 --channels AI0-AI3 --samples 1000 --size 900x600 "
          "--trigger analog:AI0:0.2:rising --plot " +
          Path("p.png") + " -o " + Path("d.csv"));
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("plot written to " + Path("p.png")), std::string::npos) << r.err;
  ASSERT_EQ(Run("plot " + Path("d.csv") + " -o " + Path("q.png")).code, 0);

  for (const auto& [name, width, height] :
       {std::tuple{"p.png", 900, 600}, std::tuple{"q.png", 1200, 700}}) {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> png(
        cairo_image_surface_create_from_png(Path(name).c_str()), cairo_surface_destroy);
    ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS) << name;
    ASSERT_EQ(cairo_image_surface_get_width(png.get()), width);
    ASSERT_EQ(cairo_image_surface_get_height(png.get()), height);
    cairo_surface_flush(png.get());
    const unsigned char* pixels = cairo_image_surface_get_data(png.get());
    const int stride = cairo_image_surface_get_stride(png.get());
    for (size_t channel = 0; channel < 4; ++channel) {
      const tarsin::Rgb colour = tarsin::ChannelColour(channel);
      std::set<int> columns;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          uint32_t pixel;
          std::memcpy(&pixel, pixels + y * stride + x * 4, 4);
          if (std::abs(int(pixel >> 16 & 0xFF) - colour.r) < 8 &&
              std::abs(int(pixel >> 8 & 0xFF) - colour.g) < 8 &&
              std::abs(int(pixel & 0xFF) - colour.b) < 8)
            columns.insert(x);
        }
      // The wave spans the plot area, about three quarters of the width.
      EXPECT_GT(columns.size(), size_t(width) * 6 / 10) << name << " channel " << channel;
    }
  }
}

TEST_F(TarsinTest, BadArgumentsExitTwoWithTheReasonAndUsage) {
  const struct {
    std::string args, reason;
  } cases[] = {
      {"attr get RIO0 nosuch", "unknown attribute 'nosuch'"},
      {"attr get RIO0 ai", "attribute 'ai' is ambiguous"},
      {"attr set RIO0 ai-range fast --channels AI0", "AI Range: 'fast' is not a number"},
      {"attr set RIO0 ai_coupling XY --channels AI0",
       "AI Coupling: 'XY' is not an integer or one of 'AC', 'DC'"},
      {"acquire SIM0 --channels AI0 --samples 9 --trigger analog:AI0:0.2:up",
       "malformed trigger 'analog:AI0:0.2:up'"},
      {"acquire SIM0 --channels AI0 --samples 9 --trigger edge", "malformed trigger 'edge'"},
      {"acquire SIM0 --channels AI0 --samples 9 -o " + Path("no/such/dir.csv"),
       "cannot write " + Path("no/such/dir.csv")},
      {"acquire SIM0 --channels AI0 --samples 9 --plot " + Path("no/dir.png"),
       "cannot write " + Path("no/dir.png")},
      {"acquire SIM0 --channels AI0 --samples 9 --format xls", "unknown format 'xls'"},
      {"acquire SIM0 --channels AI0 --samples x", "--samples"},
      {"error minus-one", "'minus-one' is not a 32-bit status code"},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.code, 2) << c.args;
    const std::vector<std::string> lines = Lines(r.err);
    ASSERT_GE(lines.size(), 2u) << c.args;
    EXPECT_TRUE(lines[0].starts_with("tarsin: ")) << lines[0];
    EXPECT_NE(lines[0].find(c.reason), std::string::npos) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("Usage: tarsin ")) << lines[1];
    EXPECT_EQ(r.out, "") << c.args;
  }
}

TEST_F(TarsinTest, FailingDeviceCallsExitOneWithTheLibrarysText) {
  Result r = Run("attr set RIO0 'FPGA Temperature' 50.5");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.starts_with("tarsin: writing FPGA Temperature: The attribute is read-only"))
      << r.err;
  EXPECT_NE(r.err.find("Requested Value: 50.5"), std::string::npos) << r.err;
  EXPECT_TRUE(r.err.ends_with("(status -61014)\n")) << r.err;

  // A level the signal never reaches: the wait times out and no file is left.
  r =
      Run("acquire SIM0 --channels AI0 --samples 100 --timeout 5 --trigger analog:AI0:0.9:rising "
          "-o " +
          Path("never.csv"));
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.starts_with("tarsin: waiting for 100 samples: ")) << r.err;
  EXPECT_NE(r.err.find("(status "), std::string::npos) << r.err;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    EXPECT_EQ(entry.path().string().find("never"), std::string::npos) << entry.path();

  r = Run("info RIO9");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.starts_with("tarsin: opening RIO9: ")) << r.err;
  EXPECT_TRUE(r.err.ends_with("(status -61001)\n")) << r.err;
}

TEST_F(TarsinTest, AttributesByNamePrefixAndIdWithValueNames) {
  EXPECT_EQ(Run("attr get RIO0 ai-ran --channel AI3").out, "1 V\n");
  EXPECT_EQ(Run("attr get RIO0 0x20000005").out, "45.5 °C\n");
  EXPECT_EQ(Run("attr get RIO0 START_TRIGGER_SENS --channel 5").out, "2147483647 (Rising Edge)\n");
  EXPECT_EQ(Run("attr set RIO0 'ai coupling' ac --channels AI0-AI3").code, 0);
  const Result list = Run("attr list");
  EXPECT_NE(
      list.out.find(
          "0x10000011  AI Coupling                              Int32   AI     RW     0 AC, 1 DC"),
      std::string::npos)
      << list.out;
}

TEST_F(TarsinTest, ContinuousStreamReportsItsRateWithoutProgressOffATerminal) {
  const Result r =
      Run("acquire SIM0 --channels AI0-AI1 --continuous --duration 0.2 --samples 4096 "
          "-o " +
          Path("c.npy"));
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("MS/s per channel reached (device 250 MS/s); no overflow"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find('\r'), std::string::npos);
  const Result shape = RunProgram(
      PYTHON3_EXE, "-c \"import numpy as n; a = n.load('" + Path("c.npy") +
                       "'); print(a.shape[0], a.shape[1] % 4096, a.shape[1] > 0, a.dtype)\"");
  EXPECT_EQ(shape.out, "2 0 True float64\n") << shape.err;
}

TEST_F(TarsinTest, EveryCommandHasHelpAndTheToolAVersion) {
  for (const char* command :
       {"", "info", "attr", "attr list", "attr get", "attr set", "acquire", "plot", "error"}) {
    const Result r = Run(std::string(command) + " --help");
    EXPECT_EQ(r.code, 0) << command;
    EXPECT_NE(r.out.find("Usage: "), std::string::npos) << command << r.out;
  }
  EXPECT_EQ(Run("--version").out, "tarsin " TARSIN_VERSION "\n");
}

TEST_F(TarsinTest, RecordsRawCodesAndBinaryAgreeWithTheScaledValues) {
  const std::string common = "acquire SIM0 --channels AI1,AI4-AI5 --samples 300 --seed 7 ";
  ASSERT_EQ(Run(common + "-o " + Path("v.npy")).code, 0);
  ASSERT_EQ(Run(common + "--raw --records 2 -o " + Path("c.npy")).code, 0);
  const Result bin = Run(common + "--raw -o " + Path("c.bin"));
  ASSERT_EQ(bin.code, 0);
  EXPECT_EQ(bin.err, "tarsin: " + Path("c.bin") +
                         ": int16 little-endian, 3 channels interleaved per sample, 300 samples "
                         "per channel\n");
  ASSERT_EQ(Run(common + "--records 2 -o " + Path("v.csv")).code, 0);
  // Default range 1 V: a code is 1/8192 V and the volts are exactly code * gain.
  const Result r = RunProgram(
      PYTHON3_EXE,
      "-c \"import numpy as n; v = n.load('" + Path("v.npy") + "'); c = n.load('" + Path("c.npy") +
          "'); b = n.fromfile('" + Path("c.bin") +
          "', '<i2').reshape(300, 3).T; print(c.shape, (c[:, :, 0] == c[:, :, 1]).all(), "
          "(v == c[:, :, 0] / 8192.0).all(), (b == c[:, :, 0]).all())\"");
  EXPECT_EQ(r.out, "(3, 300, 2) True True True\n") << r.err;
  const std::vector<std::string> csv = Lines(Slurp(Path("v.csv")));
  ASSERT_EQ(csv.size(), 1 + 1 + 300 + 1 + 300u);
  EXPECT_EQ(csv[1], "AI1,AI4,AI5");
  EXPECT_EQ(csv[302], "# record 1");
  EXPECT_EQ(csv[2], csv[303]);
}

TEST_F(TarsinTest, AnInterruptedAcquisitionLeavesNoFileUnderItsName) {
  const std::string acquire =
      " " TARSIN_EXE " acquire SIM0 --channels AI0 --continuous --duration 60 -o " + Path("s.csv");
  const Result interrupted = RunProgram("timeout --preserve-status -s INT 0.5", acquire);
  EXPECT_EQ(interrupted.code, 1);
  EXPECT_NE(interrupted.err.find("tarsin: interrupted"), std::string::npos) << interrupted.err;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    EXPECT_EQ(entry.path().filename().string().find("s.csv"), std::string::npos) << entry.path();
  // Killed outright, it leaves at most its temporary file.
  EXPECT_EQ(RunProgram("timeout --preserve-status -s KILL 0.5", acquire).code, 137);
  EXPECT_FALSE(std::filesystem::exists(Path("s.csv")));
}

TEST_F(TarsinTest, PlotsOfSavedFilesAndTheirBadArguments) {
  ASSERT_EQ(Run("acquire SIM0 --channels AI0-AI1 --samples 200 -o " + Path("v.npy")).code, 0);
  ASSERT_EQ(Run("plot " + Path("v.npy") + " --dt 4e-9 -o " + Path("p.svg")).code, 0);
  const std::string svg = Slurp(Path("p.svg"));
  EXPECT_TRUE(svg.starts_with("<?xml")) << svg.substr(0, 40);
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("width=\"1200pt\" height=\"700pt\""), std::string::npos);

  const Result jpeg = Run("plot " + Path("v.npy") + " -o " + Path("p.jpg"));
  EXPECT_EQ(jpeg.code, 2);
  EXPECT_NE(jpeg.err.find("must end in .png or .svg"), std::string::npos) << jpeg.err;
  const Result size = Run("plot " + Path("v.npy") + " -o " + Path("p.png") + " --size 12x");
  EXPECT_EQ(size.code, 2);
  EXPECT_NE(size.err.find("plot size '12x' is not WxH"), std::string::npos) << size.err;
  // Files from elsewhere: values that are not finite leave gaps; a shape
  // larger than the file is refused.
  const std::string odd =
      dir_.writeFile("odd.csv", "# tarsin: dt=inf t0=nan\nA,B\nnan,1\n1e308,-1e308\ninf,2\n");
  EXPECT_EQ(Run("plot " + odd + " -o " + Path("odd.png")).code, 0);
  const std::string huge =
      dir_.writeFile("huge.npy", std::string("\x93NUMPY\x01\x00\x38\x00", 10) +
                                     "{'descr': '<f8', 'shape': (99999999999, 99999999999), }\n");
  const Result shape = Run("plot " + huge + " -o " + Path("huge.png"));
  EXPECT_EQ(shape.code, 2);
  EXPECT_NE(shape.err.find("file shorter than its shape"), std::string::npos) << shape.err;
  const Result missing = Run("plot " + Path("none.csv") + " -o " + Path("p.png"));
  EXPECT_EQ(missing.code, 2);
  EXPECT_NE(missing.err.find("File does not exist"), std::string::npos) << missing.err;
}

TEST_F(TarsinTest, BashCompletionOffersCommandsOptionsAndAttributeNames) {
  const auto complete = [&](const std::string& words, int index) {
    const std::string script = "source " TARSIN_COMPLETION "; COMP_WORDS=(" TARSIN_EXE " " + words +
                               "); COMP_CWORD=" + std::to_string(index) +
                               "; _tarsin; echo ${COMPREPLY[@]}";
    return RunProgram("bash -c", "'" + script + "'").out;
  };
  EXPECT_EQ(complete("ac", 1), "acquire\n");
  EXPECT_EQ(complete("attr get RIO0 ai-r", 4), "ai-range\n");
  EXPECT_EQ(complete("attr get RIO0 stream-fi", 4),
            "stream-fifo-name stream-finite stream-fifo-size\n");
  EXPECT_EQ(complete("acquire SIM0 --format n", 4), "npy\n");
  EXPECT_EQ(complete("acquire SIM0 --cont", 3), "--continuous\n");
}

TEST_F(TarsinTest, AttributeKeysAndValuesAtTheirEdges) {
  // An exact name wins over the longer names it begins.
  EXPECT_EQ(Run("attr get RIO0 12v-power").out, "18 W\n");
  EXPECT_EQ(Run("attr get RIO0 calibration-date").out, "1700000000 (2023-11-14 22:13:20 UTC)\n");
  EXPECT_EQ(Run("attr get RIO0 'Stream Channels Enabled' --channel 3").out, "0x1\n");
  EXPECT_EQ(Run("attr get RIO0 stream-fifo-name --channel 12").out, "\"stream12\"\n");

  const struct {
    std::string args, reason;
  } refused[] = {
      {"attr get RIO0 12v", "attribute '12v' is ambiguous: '12V Power', '12V IO Power'"},
      {"attr get RIO0 0x60000000", "0x60000000 is outside every attribute ID range"},
      {"attr get RIO0 0xZZ", "'0xZZ' is not a 32-bit hexadecimal attribute ID"},
      {"attr set RIO0 phase-dac-value 2147483648", "Phase DAC Value: '2147483648' is not a 32-bit"},
      {"attr set RIO0 stream-finite maybe --channels 0", "Stream Finite: 'maybe' is not a boolean"},
      {"attr set RIO0 stream-fifo-size -1 --channels 0", "'-1' is not an unsigned 64-bit integer"},
      {"attr set RIO0 routing-alias " + std::string(257, 'x'), "a text of at most 256 bytes"},
  };
  for (const auto& c : refused) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.code, 2) << c.args;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
  }

  // IDs the table lacks still reach the device, which answers for them; so
  // does an attribute asked on a channel outside its scope.
  Result r = Run("attr get RIO0 0x1000FFF0");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.starts_with("tarsin: reading attribute 0x1000fff0: ")) << r.err;
  EXPECT_TRUE(r.err.ends_with("(status -61011)\n")) << r.err;
  r = Run("attr get RIO0 stream-fifo-name");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.ends_with("(status -61013)\n")) << r.err;
}

TEST_F(TarsinTest, FallingAndDigitalTriggersOnOtherStreams) {
  const Result falling =
      Run("acquire SIM0 --channels AI0,AI2 --samples 20 --stream 5 "
          "--trigger analog:AI0:-0.1:falling:0.02");
  ASSERT_EQ(falling.code, 0) << falling.err;
  const std::vector<std::string> lines = Lines(falling.out);
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_NE(lines[0].find(" triggered=1 level=-0.1 trigger_channel=AI0"), std::string::npos);
  EXPECT_EQ(lines[1], "AI0,AI2");
  // The record begins at the first sample at or below the level.
  EXPECT_LE(std::stod(lines[2]), -0.1);
  EXPECT_GT(std::stod(lines[0].substr(lines[0].find(" t0=") + 4)), 0);

  // Nothing pulses the DIO terminal, so the record never comes.
  const Result digital =
      Run("acquire SIM0 --channels AI0 --samples 20 --timeout 5 --trigger digital:DIO");
  EXPECT_EQ(digital.code, 1);
  EXPECT_TRUE(digital.err.starts_with("tarsin: waiting for 20 samples: ")) << digital.err;
  EXPECT_EQ(digital.out, "");
}

TEST_F(TarsinTest, ErrorCommandPrintsTheLibrarysDescription) {
  const Result plain = Run("error -52005");
  EXPECT_EQ(plain.code, 0);
  EXPECT_TRUE(plain.out.starts_with("An invalid argument was passed")) << plain.out;
  const Result withSession = Run("error -52005 --resource SIM0");
  EXPECT_EQ(withSession.code, 0);
  EXPECT_EQ(withSession.out, plain.out);
  const Result noDevice = Run("error -52005 --resource RIO8");
  EXPECT_EQ(noDevice.code, 1);
  EXPECT_TRUE(noDevice.err.starts_with("tarsin: opening RIO8: ")) << noDevice.err;
}

}  // namespace
