// Plug-in path variables of the translator stack.
//
// A plug-in path names directories through variables written "$name" and
// ended by a separator: "$_voShared32Dir/Errors". The four standard variables
// ("_voShared32Dir", "_voSharedDir", "_commonAppDataDir", "_tempDir") are the
// standard paths; any other name is a string value of the plug-in's registry
// key "SOFTWARE\Corvane\VO-Xlator\plugins\<plugin>".
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "status/status.h"

namespace voxlator {

// Registry key under which each plug-in keeps its variables.
inline constexpr const char* kPluginRegistryKey = "SOFTWARE\\Corvane\\VO-Xlator\\plugins\\";

// Limits of expandPath: a value that refers to itself (directly or through
// other variables) would otherwise expand for ever.
inline constexpr int kMaxPathExpansions = 32;
inline constexpr size_t kMaxExpandedPathBytes = 32 * 1024;

// The value of a variable into `out` (cleared first; trailing NULs of a
// registry value dropped). Does nothing when the status holds an error;
// failures of the standard-path or registry service arrive in the status.
void lookupVariable(const char* pluginName, const char* variableName, std::string& out,
                    voerr::Status& status);

// Expands the variables of a plug-in path: every '/' becomes '\', then the
// first "$name\" is replaced by the value of name (the search restarting at
// the start each time) until no '$' is left.
// - A '$' with no '\' after it raises -52005 with "voxlator_debug":
//   {"voxlatordll": "plugin dll path invalid", "dllPath": path} and the text
//   from that '$' on is dropped.
// - More than kMaxPathExpansions expansions, or a text growing beyond
//   kMaxExpandedPathBytes, raises the same context and gives the empty text.
// Returns the empty text at once when the status holds an error.
std::string expandPath(const char* pluginName, const char* path, voerr::Status& status);

}  // namespace voxlator
