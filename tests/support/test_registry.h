// Registry contents for one test, given in the registry file's format:
//   [KEY\PATH]    a key under the machine root
//   Name=Value    a string value of that key ("\0" stands for a NUL)
// On POSIX systems the text becomes the registry file ($VO_REGISTRY_FILE).
// On Windows it is written into a private key of the current user's hive,
// which stands in for HKEY_LOCAL_MACHINE in this process until the object
// dies (RegOverridePredefKey); each test runs in a process of its own.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <string_view>
#endif

namespace votest {

// The environment variable that names the temporary directory.
#ifdef _WIN32
inline constexpr const char* kTempDirVariable = "TMP";
#else
inline constexpr const char* kTempDirVariable = "TMPDIR";
#endif

// Sets (or, with a null value, removes) an environment variable for the
// life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      hadOld_ = true;
      old_ = old;
    }
    set(value);
  }
  ~ScopedEnv() { set(hadOld_ ? old_.c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void set(const char* value) {
#ifdef _WIN32
    _putenv_s(name_.c_str(), value != nullptr ? value : "");
#else
    if (value != nullptr) {
      setenv(name_.c_str(), value, 1);
    } else {
      unsetenv(name_.c_str());
    }
#endif
  }
  std::string name_;
  std::string old_;
  bool hadOld_ = false;
};

#ifndef _WIN32

class ScopedRegistry {
 public:
  ScopedRegistry(const TempDir& dir, const std::string& content)
      : env_("VO_REGISTRY_FILE", dir.writeFile("registry.ini", content).c_str()) {}

 private:
  ScopedEnv env_;
};

#else

class ScopedRegistry {
 public:
  ScopedRegistry(const TempDir& /*dir*/, const std::string& content) {
    static std::atomic<int> serial{0};
    privatePath_ = L"Software\\votest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(serial++);
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, privatePath_.c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &root_, &disposition),
              ERROR_SUCCESS);
    write(content);
    EXPECT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, root_), ERROR_SUCCESS);
  }
  ~ScopedRegistry() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(root_);
    RegDeleteTreeW(HKEY_CURRENT_USER, privatePath_.c_str());
  }
  ScopedRegistry(const ScopedRegistry&) = delete;
  ScopedRegistry& operator=(const ScopedRegistry&) = delete;

 private:
  static std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
  }
  static std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
  }
  static std::string expand(std::string_view raw) {
    std::string value;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == '0') {
        value.push_back('\0');
        ++i;
      } else {
        value.push_back(raw[i]);
      }
    }
    return value;
  }

  void write(std::string_view rest) {
    HKEY key = nullptr;
    while (!rest.empty()) {
      const size_t end = rest.find('\n');
      std::string_view line = rest.substr(0, end);
      rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      const std::string_view content = trim(line);
      if (content.empty() || content.front() == ';' || content.front() == '#') continue;
      if (content.front() == '[' && content.back() == ']') {
        if (key != nullptr) RegCloseKey(key);
        key = nullptr;
        const std::wstring path = widen(trim(content.substr(1, content.size() - 2)));
        EXPECT_EQ(RegCreateKeyExW(root_, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        continue;
      }
      const size_t eq = line.find('=');
      if (key == nullptr || eq == std::string_view::npos) continue;
      const std::wstring name = widen(trim(line.substr(0, eq)));
      const std::wstring data = widen(expand(line.substr(eq + 1)));
      // Stored byte for byte: as a string when the data ends with its NUL,
      // as bytes otherwise, since some registries append a terminator to
      // string data that lacks one. The library does not check the type.
      const DWORD type = !data.empty() && data.back() == L'\0' ? REG_SZ : REG_BINARY;
      EXPECT_EQ(
          RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                         static_cast<DWORD>(data.size() * sizeof(wchar_t))),
          ERROR_SUCCESS);
    }
    if (key != nullptr) RegCloseKey(key);
  }

  std::wstring privatePath_;
  HKEY root_ = nullptr;
};

#endif

}  // namespace votest
