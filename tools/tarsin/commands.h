// The commands other than acquire.
#pragma once

#include <cstdint>
#include <string>

#include "plot.h"

namespace tarsin {

void Info(const std::string& resource);
void AttrList(bool shellNames);
void AttrGet(const std::string& resource, const std::string& key, const std::string& channel);
void AttrSet(const std::string& resource, const std::string& key, const std::string& value,
             const std::string& channels);
void ErrorCommand(const std::string& code, const std::string& resource);
void PlotFile(const std::string& input, const std::string& output, const std::string& size,
              double dt);

}  // namespace tarsin
