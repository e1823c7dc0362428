#include "xlator/plugin_paths.h"

#include <new>

#include "status/codes.h"
#include "sysq/standard_paths.h"

namespace voxlator {

namespace {

void raiseInvalidPluginPath(voerr::Status& status, const char* path) noexcept {
  VOERR_RAISE(status, voerr::kInvalidParameter, voerr::kInvalidParameterName)
      .object("voxlator_debug", {{"voxlatordll", "plugin dll path invalid"}, {"dllPath", path}});
}

}  // namespace

void lookupVariable(const char* pluginName, const char* variableName, std::string& out,
                    voerr::Status& status) {
  out.clear();
  if (status.isError()) return;
  const std::string_view name = variableName != nullptr ? variableName : "";
  if (vosysq::isStandardPathVariable(name)) {
    vosysq::getStandardPath(name, out, status);
    return;
  }
  std::string key = kPluginRegistryKey;
  key += pluginName != nullptr ? pluginName : "";
  vosysq::readRegistryStringUtf8(key, name, out, status);
  while (!out.empty() && out.back() == '\0') out.pop_back();
  if (status.isError()) out.clear();
}

std::string expandPath(const char* pluginName, const char* path, voerr::Status& status) {
  if (status.isError()) return {};
  std::string text = path != nullptr ? path : "";
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  int expansions = 0;
  for (size_t dollar = text.find('$'); dollar != std::string::npos; dollar = text.find('$')) {
    const size_t separator = text.find('\\', dollar + 1);
    if (separator == std::string::npos) {
      raiseInvalidPluginPath(status, path != nullptr ? path : "");
      text.erase(dollar);
      break;
    }
    if (++expansions > kMaxPathExpansions) {
      raiseInvalidPluginPath(status, path != nullptr ? path : "");
      return {};
    }
    const std::string name = text.substr(dollar + 1, separator - dollar - 1);
    std::string value;
    lookupVariable(pluginName, name.c_str(), value, status);
    text.replace(dollar, separator - dollar, value);
    if (text.size() > kMaxExpandedPathBytes) {
      raiseInvalidPluginPath(status, path != nullptr ? path : "");
      return {};
    }
  }
  return text;
}

}  // namespace voxlator
