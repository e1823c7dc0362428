// Pictures of a recording: PNG or SVG through cairo.
#pragma once

#include <string>

#include "recording.h"

namespace tarsin {

struct PlotSize {
  int width = 1200;
  int height = 700;
};

// Parses "WxH"; throws UsageError.
PlotSize ParsePlotSize(const std::string& text);
// Checks that path names a .png or .svg file that can be written; throws
// UsageError.
void CheckPlotPath(const std::string& path);

// Draws every channel of every record against time, marks the trigger and
// writes path (.png or .svg) through a temporary file. Throws Failure.
void Plot(const Recording& recording, const std::string& path, PlotSize size,
          const std::string& title);

}  // namespace tarsin
