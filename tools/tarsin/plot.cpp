#include "plot.h"

#include <cairo-svg.h>
#include <cairo.h>
#include <fmt/core.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "failure.h"
#include "palette.h"

namespace tarsin {
namespace {

struct Axis {
  double low, high, step;  // tick positions: multiples of step within [low, high]
};

// Limits widened to multiples of a 1-2-5 step giving about `ticks` ticks.
Axis NiceAxis(double low, double high, int ticks) {
  if (!(high > low)) {
    const double pad = low == 0 ? 1 : std::abs(low) * 0.1;
    low -= pad;
    high += pad;
  }
  const double rough = (high - low) / ticks;
  if (!std::isfinite(rough)) return {low, high, 0};  // no ticks
  const double magnitude = std::pow(10, std::floor(std::log10(rough)));
  double step = magnitude * 10;
  for (double factor : {1.0, 2.0, 2.5, 5.0})
    if (rough <= factor * magnitude) {
      step = factor * magnitude;
      break;
    }
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

struct TimeUnit {
  double scale;
  const char* name;
};

TimeUnit TimeUnitFor(double span) {
  if (span < 1e-6) return {1e9, "ns"};
  if (span < 1e-3) return {1e6, "µs"};
  if (span < 1) return {1e3, "ms"};
  return {1, "s"};
}

std::string TickLabel(double value, double step) {
  const int decimals = std::max(0, -int(std::floor(std::log10(step) + 1e-9)));
  if (std::abs(value) < step * 1e-6) value = 0;
  return fmt::format("{:.{}f}", value, decimals);
}

void SetColour(cairo_t* cr, Rgb colour, double alpha = 1) {
  cairo_set_source_rgba(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0, alpha);
}

void Text(cairo_t* cr, double x, double y, const std::string& text, double alignX, double alignY) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  cairo_move_to(cr, x - extents.width * alignX - extents.x_bearing,
                y - extents.height * alignY - extents.y_bearing);
  cairo_show_text(cr, text.c_str());
}

class Painter {
 public:
  Painter(cairo_t* cr, const Recording& recording, PlotSize size)
      : cr_(cr), rec_(recording), size_(size) {
    left_ = 100;
    right_ = size.width - 150.0;
    top_ = 64;
    bottom_ = size.height - 70.0;
    const double span = rec_.dt > 0 ? rec_.dt * double(std::max<size_t>(rec_.samples, 2) - 1)
                                    : double(rec_.samples);
    unit_ = rec_.dt > 0 ? TimeUnitFor(rec_.t0 + span) : TimeUnit{1, ""};
    const double x0 = rec_.dt > 0 ? rec_.t0 : 0;
    // From the tick at or before the first sample (the stream start, for a
    // record that begins near it) to the last sample.
    x_ = {x0 * unit_.scale, (x0 + span) * unit_.scale, 0};
    x_.step = NiceAxis(x_.low, x_.high, 10).step;
    x_.low = std::floor(x_.low / x_.step) * x_.step;
    double lowest = INFINITY, highest = -INFINITY;
    for (double value : rec_.values)
      if (std::isfinite(value)) {
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
      }
    if (lowest > highest) lowest = highest = 0;
    const double pad = (highest - lowest) * 0.05;
    y_ = NiceAxis(lowest - pad, highest + pad, 8);
  }

  void Draw(const std::string& title) {
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
    cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    Grid();
    cairo_save(cr_);
    cairo_rectangle(cr_, left_, top_, right_ - left_, bottom_ - top_);
    cairo_clip(cr_);
    Traces();
    Trigger();
    cairo_restore(cr_);
    Frame();
    Legend();
    cairo_set_source_rgb(cr_, 0.1, 0.1, 0.1);
    cairo_set_font_size(cr_, 18);
    Text(cr_, (left_ + right_) / 2, 30, title, 0.5, 0.5);
  }

 private:
  double X(double t) const { return left_ + (t - x_.low) / (x_.high - x_.low) * (right_ - left_); }
  double Y(double v) const {
    return bottom_ - (v - y_.low) / (y_.high - y_.low) * (bottom_ - top_);
  }
  double TimeOf(size_t k) const {
    return rec_.dt > 0 ? (rec_.t0 + double(k) * rec_.dt) * unit_.scale : double(k);
  }

  static std::vector<double> Ticks(const Axis& axis) {
    std::vector<double> ticks;
    if (!(axis.step > 0) || !std::isfinite(axis.step)) return ticks;
    for (double t = std::ceil(axis.low / axis.step) * axis.step;
         t <= axis.high + axis.step * 1e-9 && ticks.size() < 50; t += axis.step)
      ticks.push_back(t);
    return ticks;
  }

  void Grid() {
    cairo_set_line_width(cr_, 1);
    cairo_set_font_size(cr_, 13);
    for (double t : Ticks(x_)) {
      cairo_set_source_rgb(cr_, 0.88, 0.88, 0.88);
      cairo_move_to(cr_, std::round(X(t)) + 0.5, top_);
      cairo_line_to(cr_, std::round(X(t)) + 0.5, bottom_);
      cairo_stroke(cr_);
      cairo_set_source_rgb(cr_, 0.2, 0.2, 0.2);
      Text(cr_, X(t), bottom_ + 8, TickLabel(t, x_.step), 0.5, 0);
    }
    for (double v : Ticks(y_)) {
      cairo_set_source_rgb(cr_, 0.88, 0.88, 0.88);
      cairo_move_to(cr_, left_, std::round(Y(v)) + 0.5);
      cairo_line_to(cr_, right_, std::round(Y(v)) + 0.5);
      cairo_stroke(cr_);
      cairo_set_source_rgb(cr_, 0.2, 0.2, 0.2);
      Text(cr_, left_ - 8, Y(v), TickLabel(v, y_.step), 1, 0.5);
    }
    cairo_set_font_size(cr_, 15);
    const std::string xLabel =
        rec_.dt > 0 ? fmt::format("Time from stream start ({})", unit_.name) : "Sample";
    Text(cr_, (left_ + right_) / 2, size_.height - 18.0, xLabel, 0.5, 1);
    cairo_save(cr_);
    cairo_translate(cr_, 24, (top_ + bottom_) / 2);
    cairo_rotate(cr_, -std::numbers::pi / 2);
    Text(cr_, 0, 0, rec_.raw ? "ADC code" : "Voltage (V)", 0.5, 0.5);
    cairo_restore(cr_);
  }

  void Traces() {
    cairo_set_line_width(cr_, 2);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    const double alpha = rec_.records > 1 ? 0.6 : 1;
    for (size_t r = 0; r < rec_.records; ++r)
      for (size_t c = 0; c < rec_.channels.size(); ++c) {
        Trace(rec_.Row(r, c));
        SetColour(cr_, ChannelColour(c), alpha);
        cairo_stroke(cr_);
      }
  }

  // One channel's line; with more than two samples per pixel column, each
  // column's lowest and highest sample, so that long records stay fast and
  // keep their peaks.
  void Trace(const double* row) {
    const size_t columns = size_t(right_ - left_);
    // Samples that are not finite numbers leave a gap.
    bool drawing = false;
    if (rec_.samples <= 2 * columns) {
      for (size_t k = 0; k < rec_.samples; ++k) {
        if (!std::isfinite(row[k])) {
          drawing = false;
          continue;
        }
        (drawing ? cairo_line_to : cairo_move_to)(cr_, X(TimeOf(k)), Y(row[k]));
        drawing = true;
      }
      return;
    }
    for (size_t column = 0, k = 0; column < columns; ++column) {
      const size_t end = (column + 1) * rec_.samples / columns;
      if (k >= end) continue;
      const double x = X(TimeOf(k));
      size_t low = end, high = end;  // positions of the column's extremes
      for (; k < end; ++k)
        if (std::isfinite(row[k])) {
          if (low == end || row[k] < row[low]) low = k;
          if (high == end || row[k] > row[high]) high = k;
        }
      if (low == end) {
        drawing = false;
        continue;
      }
      (drawing ? cairo_line_to : cairo_move_to)(cr_, x, Y(row[std::min(low, high)]));
      cairo_line_to(cr_, x, Y(row[std::max(low, high)]));
      drawing = true;
    }
  }

  void Trigger() {
    if (!rec_.triggered) return;
    const double dashes[] = {6, 4};
    cairo_set_dash(cr_, dashes, 2, 0);
    cairo_set_line_width(cr_, 1.5);
    cairo_set_source_rgb(cr_, 0.15, 0.15, 0.15);
    const double x = X(TimeOf(0));
    cairo_move_to(cr_, x + 1, top_);
    cairo_line_to(cr_, x + 1, bottom_);
    cairo_stroke(cr_);
    if (rec_.triggerLevel && !rec_.raw) {
      const double y = Y(*rec_.triggerLevel);
      cairo_move_to(cr_, left_, y);
      cairo_line_to(cr_, right_, y);
      cairo_stroke(cr_);
      cairo_set_dash(cr_, nullptr, 0, 0);
      cairo_arc(cr_, x + 1, y, 6, 0, 2 * std::numbers::pi);
      cairo_fill(cr_);
      Label(
          x + 12, y - 8,
          fmt::format("trigger: {} {} {} V at t = {:.4g} {}", rec_.triggerChannel,
                      rec_.trigger.find(":falling") != std::string::npos ? "falls to" : "rises to",
                      *rec_.triggerLevel, TimeOf(0), unit_.name));
    }
    cairo_set_dash(cr_, nullptr, 0, 0);
  }

  // Text on a white box, readable over the traces.
  void Label(double x, double y, const std::string& text) {
    cairo_set_font_size(cr_, 13);
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, text.c_str(), &extents);
    cairo_set_source_rgba(cr_, 1, 1, 1, 0.85);
    cairo_rectangle(cr_, x - 4, y - extents.height - 4, extents.width + 8, extents.height + 8);
    cairo_fill(cr_);
    cairo_set_source_rgb(cr_, 0.1, 0.1, 0.1);
    Text(cr_, x, y, text, 0, 1);
  }

  void Frame() {
    cairo_set_source_rgb(cr_, 0.3, 0.3, 0.3);
    cairo_set_line_width(cr_, 1);
    cairo_rectangle(cr_, left_ + 0.5, top_ + 0.5, right_ - left_, bottom_ - top_);
    cairo_stroke(cr_);
  }

  void Legend() {
    cairo_set_font_size(cr_, 14);
    double y = top_ + 12;
    const double x = right_ + 20;
    for (size_t c = 0; c < rec_.channels.size(); ++c, y += 24) {
      SetColour(cr_, ChannelColour(c));
      cairo_set_line_width(cr_, 4);
      cairo_move_to(cr_, x, y);
      cairo_line_to(cr_, x + 28, y);
      cairo_stroke(cr_);
      cairo_set_source_rgb(cr_, 0.1, 0.1, 0.1);
      Text(cr_, x + 36, y, rec_.channels[c], 0, 0.5);
    }
    if (!rec_.triggered) return;
    const double dashes[] = {6, 4};
    cairo_set_dash(cr_, dashes, 2, 0);
    cairo_set_line_width(cr_, 1.5);
    cairo_set_source_rgb(cr_, 0.15, 0.15, 0.15);
    cairo_move_to(cr_, x, y);
    cairo_line_to(cr_, x + 28, y);
    cairo_stroke(cr_);
    cairo_set_dash(cr_, nullptr, 0, 0);
    Text(cr_, x + 36, y, "trigger", 0, 0.5);
  }

  cairo_t* cr_;
  const Recording& rec_;
  PlotSize size_;
  double left_, right_, top_, bottom_;
  TimeUnit unit_;
  Axis x_, y_;
};

bool IsSvg(const std::string& path) { return std::filesystem::path(path).extension() == ".svg"; }

}  // namespace

PlotSize ParsePlotSize(const std::string& text) {
  PlotSize size;
  char x = 0, rest = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c", &size.width, &x, &size.height, &rest) != 3 ||
      (x != 'x' && x != 'X') || size.width < 320 || size.height < 200 || size.width > 16384 ||
      size.height > 16384)
    throw UsageError(
        fmt::format("plot size '{}' is not WxH between 320x200 and 16384x16384", text));
  return size;
}

void CheckPlotPath(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension != ".png" && extension != ".svg")
    throw UsageError(fmt::format("plot file '{}' must end in .png or .svg", path));
  // Refused now rather than after a long acquisition.
  const std::string probe = path + ".probe.part";
  std::FILE* file = std::fopen(probe.c_str(), "wb");
  if (file == nullptr)
    throw UsageError(fmt::format("cannot write {}: {}", path, std::strerror(errno)));
  std::fclose(file);
  std::remove(probe.c_str());
}

void Plot(const Recording& recording, const std::string& path, PlotSize size,
          const std::string& title) {
  if (recording.samples == 0 || recording.channels.empty())
    throw Failure("nothing to plot: no samples");
  std::random_device random;
  const std::string temporary = fmt::format("{}.{:08x}.part{}", path, random(),
                                            std::filesystem::path(path).extension().string());
  const bool svg = IsSvg(path);
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      svg ? cairo_svg_surface_create(temporary.c_str(), size.width, size.height)
          : cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width, size.height),
      cairo_surface_destroy);
  {
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(surface.get()),
                                                          cairo_destroy);
    Painter(cr.get(), recording, size).Draw(title);
  }
  cairo_status_t status = cairo_surface_status(surface.get());
  if (svg)
    cairo_surface_finish(surface.get());
  else if (status == CAIRO_STATUS_SUCCESS)
    status = cairo_surface_write_to_png(surface.get(), temporary.c_str());
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
  std::error_code error;
  if (status != CAIRO_STATUS_SUCCESS) {
    std::filesystem::remove(temporary, error);
    throw Failure(fmt::format("writing {}: {}", path, cairo_status_to_string(status)));
  }
  std::filesystem::rename(temporary, path, error);
  if (error) {
    const std::string reason = error.message();
    std::filesystem::remove(temporary, error);
    throw Failure(fmt::format("renaming {} to {}: {}", temporary, path, reason));
  }
}

}  // namespace tarsin
