// Standard paths and registry strings of the translation stack.
//
// The stack finds its data through four named paths:
//   "_voShared32Dir"     registry value VOSHAREDDIR of
//                        HKLM\SOFTWARE\Corvane\Common\Installer, 32-bit view
//   "_voSharedDir"       value VOSHAREDDIR64 of the same key, default view
//   "_commonAppDataDir"  the common application-data folder, then "\Corvane"
//   "_tempDir"           the temporary directory
// and through registry strings (plug-in variables). Every path handed out is
// UTF-8 and normalised: trailing white space, NUL characters and separators
// are removed, then leading white space, so a path never ends with a
// separator and callers append "\" and a name.
//
// On Windows these are the system registry and shell folders. On POSIX
// systems the registry is the text file of registry_store.h, the common
// application-data folder is /var/lib, the system folder is the directory of
// the module that holds this code (where libvotarsinapi.so lies) and the
// temporary directory is $TMPDIR or /tmp.
//
// Every operation does nothing when the status passed in already holds an
// error, and leaves its output empty on failure. Failures are -52006
// ("voapalerr_resourceNotFound") with the system's error in "internal_error"
// and a "vosysq_debug": {"desc": ...} naming the failing call.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "status/status.h"

namespace vosysq {

// Shell folder ids.
inline constexpr int kFolderCommonAppData = 35;
inline constexpr int kFolderSystem = 37;

// Registry views: the process's default, and the 32-bit one.
inline constexpr uint32_t kViewDefault = 0;
inline constexpr uint32_t kView32 = 0x200;

// The registry key that holds the shared directories.
inline constexpr const char16_t* kInstallerKey = u"SOFTWARE\\Corvane\\Common\\Installer";

// True for the four variable names above (exact, case-sensitive match).
bool isStandardPathVariable(std::string_view name) noexcept;

// One of the four variables. Any other name raises -52005 with
// "vosysq_debug": {"desc": "unknown standard path variable", "variable": name}.
void getStandardPath(std::string_view variable, std::string& out, voerr::Status& status);

// A shell folder's current path (not normalised). An unknown id fails with
// "internal_error": {"api": "hresult", "code": -2147024809} (invalid
// argument) and "vosysq_debug": {"desc": "SHGetFolderPathW failed"}.
void getFolderPath(int folderId, std::u16string& out, voerr::Status& status);

// A string value under the machine root. The data is returned as stored, cut
// to the stored size: a NUL stored in the value stays. A key that cannot be
// opened raises -52006 with "internal_error": {"api": "win32", "code",
// "string"} and "vosysq_debug": {"desc": "RegOpenKeyEx failed"}; a value that
// cannot be read, the same with "RegQueryValue failed".
void readRegistryString(std::u16string_view keyPath, std::u16string_view valueName, uint32_t view,
                        std::u16string& out, voerr::Status& status);

// The same with UTF-8 names and result, in the 32-bit view. The result is
// converted as stored (trailing NULs included); the caller trims.
void readRegistryStringUtf8(std::string_view keyPath, std::string_view valueName, std::string& out,
                            voerr::Status& status);

// UTF-16 to UTF-8, then trailing white space, NULs and separators ('\' and
// '/') and leading white space removed.
std::string normalizePath(std::u16string_view path);
void normalizePath(std::string& utf8Path);

}  // namespace vosysq
