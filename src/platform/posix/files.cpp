// Files and directories on POSIX systems.
//
// Names that come from the original platform may use '\' as separator and may
// differ in letter case from the entries on disk. resolvePath bridges both:
// separators become '/', and a path that does not exist as written is looked
// up one component at a time. Letter case is folded for ASCII letters only;
// other characters must match byte for byte.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace voplat {

namespace {

// NTFS compares names after folding them to upper case, so '_' (0x5F) sorts
// after every letter.
char foldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool equalsIgnoringAsciiCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size(); ++i) {
    if (b[i] == '\0' || foldAscii(a[i]) != foldAscii(b[i])) return false;
  }
  return b[i] == '\0';
}

// Orders names as the original platform lists them: ASCII letters folded to
// upper case, ties broken byte by byte so that the order is total.
bool nameLess(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(foldAscii(a[i]));
    const auto cb = static_cast<unsigned char>(foldAscii(b[i]));
    if (ca != cb) return ca < cb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

bool entryExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

// The entry of `dir` whose name matches `component` without regard to ASCII
// case; the lowest name in listing order when several do. Empty when none.
std::string findEntryIgnoringCase(const std::string& dir, const std::string& component) {
  DirPtr d(opendir(dir.empty() ? "." : dir.c_str()));
  if (!d) return {};
  std::string best;
  while (const dirent* e = readdir(d.get())) {
    if (!equalsIgnoringAsciiCase(component, e->d_name)) continue;
    std::string name = e->d_name;
    if (best.empty() || nameLess(name, best)) best = std::move(name);
  }
  return best;
}

bool directoryExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The original platform tells a missing file (2) from a missing directory on
// the way to it (3); errno says ENOENT for both.
uint32_t openErrorCode(int errnoValue, const std::string& path) {
  if (errnoValue == ENOENT) {
    const size_t slash = path.rfind('/');
    const std::string parent =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    if (!directoryExists(parent)) return kErrPathNotFound;
  }
  return fromErrno(errnoValue);
}

// '\' becomes '/', and runs of separators collapse into one.
std::string normalSeparators(const std::string& utf8Path) {
  // Most paths are already normal: taken in one piece.
  if (utf8Path.find('\\') == std::string::npos && utf8Path.find("//") == std::string::npos) {
    return utf8Path;
  }
  std::string normal;
  normal.reserve(utf8Path.size());
  for (char c : utf8Path) {
    if (c == '\\') c = '/';
    if (c == '/' && !normal.empty() && normal.back() == '/') continue;
    normal.push_back(c);
  }
  return normal;
}

// Whether a failure of a path as written may go away when the path is
// resolved without regard to letter case.
bool worthResolving(int errnoValue) { return errnoValue == ENOENT || errnoValue == ENOTDIR; }

}  // namespace

std::string resolvePath(const std::string& utf8Path) {
  std::string normal = normalSeparators(utf8Path);
  if (normal.empty() || entryExists(normal)) return normal;

  const bool absolute = normal.front() == '/';
  const bool trailingSeparator = normal.size() > 1 && normal.back() == '/';

  std::string result = absolute ? "/" : "";
  bool matching = true;  // false once a component had no match on disk
  size_t pos = absolute ? 1 : 0;
  while (pos < normal.size()) {
    size_t end = normal.find('/', pos);
    if (end == std::string::npos) end = normal.size();
    std::string component = normal.substr(pos, end - pos);
    pos = end + 1;
    if (component.empty()) continue;

    std::string actual = component;
    if (matching && component != "." && component != "..") {
      if (!entryExists(result + component)) {
        std::string found = findEntryIgnoringCase(result, component);
        if (found.empty()) {
          matching = false;
        } else {
          actual = std::move(found);
        }
      }
    }
    result += actual;
    if (pos < normal.size()) result += '/';
  }
  if (trailingSeparator && (result.empty() || result.back() != '/')) result += '/';
  return result;
}

bool pathExists(const std::string& utf8Path) {
  struct stat st;
  return stat(resolvePath(utf8Path).c_str(), &st) == 0;
}

bool isDirectory(const std::string& utf8Path) {
  struct stat st;
  return stat(resolvePath(utf8Path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool listDirectory(const std::string& utf8Dir, std::vector<DirEntry>& out, SysError* err,
                   std::string* resolvedDir) {
  out.clear();
  // The path as written first: resolving it costs a lookup per component.
  std::string dir = normalSeparators(utf8Dir);
  if (dir.empty()) {
    reportSysError(err, kErrPathNotFound);
    return false;
  }
  DirPtr d(opendir(dir.c_str()));
  if (!d && worthResolving(errno)) {
    dir = resolvePath(utf8Dir);
    d.reset(opendir(dir.c_str()));
  }
  if (!d) {
    // A directory that is not there is a path not found.
    reportSysError(err, errno == ENOENT ? kErrPathNotFound : fromErrno(errno));
    return false;
  }
  if (resolvedDir != nullptr) *resolvedDir = dir;
  if (dir.back() != '/') dir += '/';

  std::vector<DirEntry> entries;
  for (;;) {
    errno = 0;
    const dirent* e = readdir(d.get());
    if (e == nullptr) {
      if (errno != 0) {
        reportSysError(err, fromErrno(errno));
        return false;
      }
      break;
    }
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    DirEntry entry;
    entry.name = e->d_name;
    if (e->d_type == DT_DIR) {
      entry.isDirectory = true;
    } else if (e->d_type == DT_REG) {
      entry.isRegularFile = true;
    } else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      // Links count as what they point to.
      struct stat st;
      if (stat((dir + entry.name).c_str(), &st) == 0) {
        entry.isDirectory = S_ISDIR(st.st_mode);
        entry.isRegularFile = S_ISREG(st.st_mode);
      }
    }
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return nameLess(a.name, b.name); });
  out = std::move(entries);
  return true;
}

std::FILE* openFile(const std::string& utf8Path, const char* mode, SysError* err) {
  if (mode == nullptr || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) {
    reportSysError(err, kErrInvalidParameter);
    return nullptr;
  }
  const std::string path = resolvePath(utf8Path);
  if (path.empty()) {
    reportSysError(err, kErrFileNotFound);
    return nullptr;
  }
  // Files are never inherited by programs this process starts.
  std::string nativeMode = mode;
  if (nativeMode.find('e') == std::string::npos && nativeMode.find(',') == std::string::npos) {
    nativeMode += 'e';
  }
  std::FILE* f = std::fopen(path.c_str(), nativeMode.c_str());
  if (f == nullptr) reportSysError(err, openErrorCode(errno, path));
  return f;
}

bool readFile(const std::string& utf8Path, std::string& out, SysError* err) {
  out.clear();
  std::string path = normalSeparators(utf8Path);
  if (path.empty()) {
    reportSysError(err, kErrFileNotFound);
    return false;
  }
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && worthResolving(errno)) {
    path = resolvePath(utf8Path);
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  }
  if (fd < 0) {
    reportSysError(err, openErrorCode(errno, path));
    return false;
  }
  struct stat st;
  // The size of a plain file; 0 when unknown (also for files such as those
  // of /proc, which report 0 and have content).
  const size_t expected = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0
                              ? static_cast<size_t>(st.st_size)
                              : 0;
  // One byte more than the size, so that one read takes a file that has not
  // grown whole and sees its end.
  size_t room = (expected > 0 ? expected : 4095) + 1;
  size_t used = 0;
  int failure = 0;
  try {
    out.resize(room);
    for (;;) {
      const ssize_t n = read(fd, out.data() + used, room - used);
      if (n < 0) {
        if (errno == EINTR) continue;
        failure = errno;
        break;
      }
      if (n == 0) break;
      used += static_cast<size_t>(n);
      if (used == room) {
        room *= 2;
        out.resize(room);
      } else if (expected > 0 && used >= expected) {
        break;  // a plain file read to its size and short of the room: its end
      }
    }
  } catch (...) {
    close(fd);
    out.clear();
    throw;
  }
  close(fd);
  out.resize(failure == 0 ? used : 0);
  if (failure != 0) {
    reportSysError(err, fromErrno(failure));
    return false;
  }
  return true;
}

std::string tempDirectory() {
  const char* env = std::getenv("TMPDIR");
  std::string dir = (env != nullptr && env[0] != '\0') ? env : "/tmp";
  if (dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace voplat
