// The machine registry. On Windows RegistryKey reads the system registry
// (registry_system.cpp); everything else below is how POSIX systems keep it
// (registry_store.cpp): a UTF-8 text file that an installer, a test or a
// user writes.
//
// Where the file is: $VO_REGISTRY_FILE when set and not empty; otherwise
// ../etc/corvane/registry.ini relative to the directory of the module that
// holds this code (libvotarsinapi.so, or the program it is linked into) when
// that file exists; otherwise /etc/corvane/registry.ini. The location is
// determined afresh on every open.
//
// Format, one item a line:
//   [SOFTWARE\Corvane\Common\Installer]   opens that key under the machine root
//   VOSHAREDDIR=/usr/share/corvane        a string value of the open key
//   ; comment    # comment                ignored, as are blank lines
// The value is the rest of the line after the first '=', taken as it stands
// (leading and trailing blanks included); only the two characters "\0" are
// special and stand for one NUL character, so values with embedded or
// trailing NULs can be written. The name is trimmed of blanks. Key paths and
// value names compare without regard to ASCII letter case. A key exists when
// a section names it or a key below it; sections with the same path add up,
// and a value set twice keeps the last setting. A line end of "\r\n" counts
// as "\n" and a UTF-8 byte-order mark at the start is skipped. A line that
// is not well-formed UTF-8 makes the whole file unreadable. Lines before
// the first section and lines that are neither sections, values nor comments
// are ignored.
//
// The calls below mirror the system registry's: results are system error
// numbers (0 success, 2 not found, 234 more data), value data is UTF-16 and
// sizes are in bytes. The 32/64-bit view flag has no effect here.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vosysq {

// Access rights: read, and the flag that selects the 32-bit view.
inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kKeyWow64_32Key = 0x200;

// The path of the registry file that the next open would read.
std::string registryFilePath();

// The absolute directory of the module that holds this code (where
// libvotarsinapi.so lies, or the program this code is linked into); empty
// when it cannot be determined. Looked up once: modules do not move.
const std::string& moduleDirectory();

class RegistryKey {
 public:
  RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey() { close(); }

  // Opens a key under the machine root: reads the registry file and keeps
  // the key's values. A missing file or key gives 2; a file that cannot be
  // read gives the system's number for the reason; a file with a line that
  // is not UTF-8 gives 1009, and badLine() tells which.
  uint32_t open(std::u16string_view keyPath, uint32_t access);

  // Copies a value's data (UTF-16, as stored, without an added terminator)
  // into `data`, whose size in bytes is *size. On entry *size is the room in
  // bytes; on return it is the value's size. Gives 2 for a missing value,
  // 234 when the room is too small (nothing is copied), 6 when the key is not
  // open, 0 otherwise. A null `data` just reports the size.
  uint32_t queryValue(std::u16string_view valueName, void* data, uint32_t* size) const;

  void close() noexcept;
  bool isOpen() const noexcept { return open_; }

  // The registry file the last open read, and the number (from 1) of the
  // line that made it fail with 1009; 0 otherwise.
  const std::string& filePath() const noexcept { return filePath_; }
  uint32_t badLine() const noexcept { return badLine_; }

 private:
  bool open_ = false;
  void* systemKey_ = nullptr;  // the system registry's key, where there is one
  uint32_t badLine_ = 0;
  std::string filePath_;
  std::string text_;  // the registry file as read
  // The key's settings in the order written: name and data as they stand in
  // text_ (the data before its "\0" escapes are replaced).
  std::vector<std::pair<std::string_view, std::string_view>> values_;
};

}  // namespace vosysq
