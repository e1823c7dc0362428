// libFuzzer target for plug-in path expansion. The input is a registry text
// and, after its first NUL byte, a path; the text becomes the registry file
// (below a section for the plug-in "fuzz", so that variables are found), then
// the path is expanded. Checked: expansion ends, bounded; success leaves no
// variable behind; failures are the documented codes; a path without
// variables only has its separators turned.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_registry_support.h"
#include "fuzz_support.h"
#include "status/status.h"
#include "xlator/plugin_paths.h"

namespace {

using vofuzz::check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  const size_t split = input.find('\0');
  const std::string_view registry = input.substr(0, split);
  std::string path;
  if (split != std::string_view::npos) {
    const std::string_view rest = input.substr(split + 1);
    path = rest.substr(0, rest.find('\0'));
  }
  vofuzz::writeFile(
      vofuzz::registryFile(),
      std::string("[SOFTWARE\\Corvane\\VO-Xlator\\plugins\\fuzz]\n") + std::string(registry));

  voerr::Status status;
  const std::string expanded = voxlator::expandPath("fuzz", path.c_str(), status);
  check(expanded.size() <= voxlator::kMaxExpandedPathBytes, "expansion grew past its limit");
  if (status.code() == 0) {
    check(expanded.find('$') == std::string::npos, "a variable was left", expanded);
  } else {
    check(status.code() == -52005 || status.code() == -52006, "unexpected expansion status");
  }
  if (path.find('$') == std::string::npos) {
    std::string turned = path;
    std::replace(turned.begin(), turned.end(), '/', '\\');
    check(status.code() == 0 && expanded == turned, "a plain path changed", expanded);
  }

  // An expansion that already failed does nothing.
  voerr::Status failed;
  failed.setCode(-1);
  check(voxlator::expandPath("fuzz", path.c_str(), failed).empty(), "expanded despite an error");
  return 0;
}
