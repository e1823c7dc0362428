// Files and directories on Windows. The file system itself ignores letter
// case and takes '/' and '\' alike, so paths are used as written; listings
// come in the file system's own order.
#include "platform/files.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "platform/win32/wide.h"

namespace voplat {

namespace {

DWORD attributesOf(const std::string& utf8Path) {
  return GetFileAttributesW(win32::widen(utf8Path).c_str());
}

struct FindCloser {
  HANDLE handle;
  ~FindCloser() { FindClose(handle); }
};

struct HandleCloser {
  HANDLE handle;
  ~HandleCloser() { CloseHandle(handle); }
};

}  // namespace

std::string resolvePath(const std::string& utf8Path) { return utf8Path; }

bool pathExists(const std::string& utf8Path) {
  return !utf8Path.empty() && attributesOf(utf8Path) != INVALID_FILE_ATTRIBUTES;
}

bool isDirectory(const std::string& utf8Path) {
  if (utf8Path.empty()) return false;
  const DWORD attributes = attributesOf(utf8Path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool listDirectory(const std::string& utf8Dir, std::vector<DirEntry>& out, SysError* err,
                   std::string* resolvedDir) {
  out.clear();
  if (utf8Dir.empty()) {
    reportSysError(err, kErrPathNotFound);
    return false;
  }
  std::wstring pattern = win32::widen(utf8Dir);
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // A folder that is not there is a path not found.
    reportSysError(err, error == ERROR_FILE_NOT_FOUND ? kErrPathNotFound : error);
    return false;
  }
  FindCloser closer{find};
  std::vector<DirEntry> entries;
  do {
    if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) {
      continue;
    }
    DirEntry entry;
    entry.name = win32::narrow(data.cFileName);
    entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.isRegularFile =
        !entry.isDirectory && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
    entries.push_back(std::move(entry));
  } while (FindNextFileW(find, &data));
  if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) {
    reportSysError(err, error);
    return false;
  }
  if (resolvedDir != nullptr) *resolvedDir = utf8Dir;
  out = std::move(entries);
  return true;
}

std::FILE* openFile(const std::string& utf8Path, const char* mode, SysError* err) {
  if (mode == nullptr || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) {
    reportSysError(err, kErrInvalidParameter);
    return nullptr;
  }
  if (utf8Path.empty()) {
    reportSysError(err, kErrFileNotFound);
    return nullptr;
  }
  // Binary unless the caller asks for text: the library reads raw bytes.
  std::string nativeMode = mode;
  if (nativeMode.find('t') == std::string::npos && nativeMode.find('b') == std::string::npos) {
    nativeMode += 'b';
  }
  // Files are never inherited by programs this process starts.
  nativeMode += 'N';
  SetLastError(0);
  std::FILE* f = _wfopen(win32::widen(utf8Path).c_str(), win32::widen(nativeMode).c_str());
  if (f == nullptr) {
    const DWORD error = GetLastError();
    reportSysError(err, error != 0 ? error : static_cast<DWORD>(kErrGenFailure));
  }
  return f;
}

bool readFile(const std::string& utf8Path, std::string& out, SysError* err) {
  out.clear();
  if (utf8Path.empty()) {
    reportSysError(err, kErrFileNotFound);
    return false;
  }
  HANDLE file = CreateFileW(win32::widen(utf8Path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    reportSysError(err, GetLastError());
    return false;
  }
  HandleCloser closer{file};
  LARGE_INTEGER size{};
  const size_t expected =
      GetFileSizeEx(file, &size) && size.QuadPart > 0 ? static_cast<size_t>(size.QuadPart) : 0;
  // One byte more than the size, so that one read sees the end of a file that
  // has not grown.
  size_t room = (expected > 0 ? expected : 4095) + 1;
  size_t used = 0;
  out.resize(room);
  for (;;) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(room - used, 0x40000000u));
    if (!ReadFile(file, out.data() + used, want, &n, nullptr)) {
      const DWORD error = GetLastError();
      out.clear();
      reportSysError(err, error);
      return false;
    }
    if (n == 0) break;
    used += n;
    if (used == room) {
      room *= 2;
      out.resize(room);
    } else if (expected > 0 && used >= expected) {
      break;
    }
  }
  out.resize(used);
  return true;
}

std::string tempDirectory() {
  std::wstring path(MAX_PATH + 1, L'\0');
  DWORD n = GetTempPathW(static_cast<DWORD>(path.size()), path.data());
  if (n > path.size()) {
    path.resize(n);
    n = GetTempPathW(static_cast<DWORD>(path.size()), path.data());
  }
  path.resize(n);
  if (path.empty()) return "C:\\Windows\\Temp\\";
  return win32::narrow(path);
}

}  // namespace voplat
