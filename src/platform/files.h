// Files and directories with UTF-8 names. Paths may use '\' as well as '/'
// as separators; a path that does not exist as written is matched component
// by component without regard to letter case, as on the original platform.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "platform/syserror.h"

namespace voplat {

struct DirEntry {
  std::string name;  // UTF-8, no directory part
  bool isDirectory = false;
  // A plain file: not a directory, device, pipe or socket (and not a link
  // that points to one, or to nothing).
  bool isRegularFile = false;
};

// The path as this system spells it: '\' becomes '/', runs of separators
// collapse into one and, when the path does not exist as written, each
// component that does not exist is replaced by the entry of its directory
// that matches it case-insensitively (ASCII letters only; other bytes must be
// equal). When several entries match, the first in listing order is taken.
// From the first component without a match on, the rest is kept as written.
// A trailing separator is kept. Drive letters have no meaning here.
std::string resolvePath(const std::string& utf8Path);

// Both follow symbolic links and resolve the path first.
bool pathExists(const std::string& utf8Path);
bool isDirectory(const std::string& utf8Path);

// Lists a directory's entries (without "." and ".."), sorted by name as the
// original platform lists them: ASCII letters compared without regard to case,
// ties broken byte by byte ("a.txt" < "B.txt" < "c.txt"). isDirectory and
// isRegularFile follow symbolic links. Clears `out` first; on failure returns
// false with *err filled (a directory that does not exist gives
// kErrPathNotFound). When `resolvedDir` is given it receives the directory
// as this system spells it (see resolvePath), for opening the entries.
bool listDirectory(const std::string& utf8Dir, std::vector<DirEntry>& out, SysError* err,
                   std::string* resolvedDir = nullptr);

// Opens a file with a C stdio mode ('r', 'w' or 'a' first; 'b' and 't' are
// accepted and mean nothing here: there is no line-end translation, so text
// read from files written on the original platform keeps its "\r\n").
// The path is resolved first. Null with *err filled on failure: errno
// translated, except that a missing file gives kErrFileNotFound only when its
// directory exists and kErrPathNotFound otherwise; an invalid mode gives
// kErrInvalidParameter.
std::FILE* openFile(const std::string& utf8Path, const char* mode, SysError* err);

// Reads a whole file into `out` (cleared first) with as few system calls as
// the system allows. The path is tried as written (separators normalised)
// and resolved like resolvePath only when that finds nothing. False with
// *err filled on failure, as for openFile; `out` is then empty.
bool readFile(const std::string& utf8Path, std::string& out, SysError* err);

// The temporary directory, with a trailing separator: $TMPDIR when set and
// not empty, otherwise "/tmp/". Its existence is not checked.
std::string tempDirectory();

}  // namespace voplat
