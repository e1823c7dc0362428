// The registry file of a fuzz process (POSIX, where the registry is a file):
// a file in the process's scratch directory, named to the library through
// VO_REGISTRY_FILE on first use.
#pragma once
#include <cstdlib>
#include <string>

#include "fuzz_support.h"

namespace vofuzz {

inline const std::string& registryFile() {
  static const std::string path = [] {
    std::string p = scratchDir() + "/registry.ini";
    setenv("VO_REGISTRY_FILE", p.c_str(), 1);
    return p;
  }();
  return path;
}

}  // namespace vofuzz
