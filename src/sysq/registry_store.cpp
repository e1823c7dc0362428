#include "sysq/registry_store.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/dynlib.h"
#include "platform/files.h"
#include "platform/syserror.h"
#include "platform/textconv.h"
#include "sysq/wide_text.h"

namespace vosysq {

namespace {

constexpr const char* kDefaultFile = "/etc/corvane/registry.ini";

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  }
  return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// "\0" stands for a NUL character; everything else is kept as written.
std::string expandValue(std::string_view raw) {
  std::string value;
  value.reserve(raw.size());
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

// Reads a whole file; a system error number on failure, a missing file or
// directory counting as a missing file.
uint32_t readFile(const std::string& path, std::string& text) {
  voplat::SysError err;
  if (voplat::readFile(path, text, &err)) return 0;
  if (err.code == voplat::kErrPathNotFound || err.code == 0) return voplat::kErrFileNotFound;
  return err.code;
}

const char* environmentFile() {
  const char* env = std::getenv("VO_REGISTRY_FILE");
  return env != nullptr && env[0] != '\0' ? env : nullptr;
}

std::string fileBesideModule() {
  const std::string& dir = moduleDirectory();
  return dir.empty() ? std::string() : dir + "/../etc/corvane/registry.ini";
}

// Reads the registry file from the first place that has one; `path` names it.
uint32_t readRegistryFile(std::string& text, std::string& path) {
  if (const char* env = environmentFile()) {
    path = env;
    return readFile(path, text);
  }
  if (std::string beside = fileBesideModule(); !beside.empty()) {
    const uint32_t err = readFile(beside, text);
    path = std::move(beside);
    if (err != voplat::kErrFileNotFound) return err;
  }
  path = kDefaultFile;
  return readFile(path, text);
}

bool isAscii(std::string_view text) {
  unsigned char any = 0;
  for (char c : text) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

bool isUtf8(std::string_view line) {
  if (isAscii(line)) return true;
  std::u16string wide;
  const voplat::ConvResult result = voplat::utf8ToUtf16(line, wide);
  if (result == voplat::ConvResult::outOfMemory) throw std::bad_alloc();
  return result == voplat::ConvResult::ok;
}

}  // namespace

const std::string& moduleDirectory() {
  static const std::string dir =
      voplat::moduleDirectoryOf(reinterpret_cast<const void*>(&registryFilePath));
  return dir;
}

std::string registryFilePath() {
  if (const char* env = environmentFile()) return env;
  if (std::string beside = fileBesideModule(); !beside.empty() && voplat::pathExists(beside)) {
    return beside;
  }
  return kDefaultFile;
}

uint32_t RegistryKey::open(std::u16string_view keyPath, uint32_t /*access*/) {
  close();
  if (const uint32_t err = readRegistryFile(text_, filePath_); err != 0) {
    text_.clear();
    return err;
  }

  const std::string wanted = toUtf8(keyPath);
  std::string_view rest(text_);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  // In a file of ASCII only every line is UTF-8.
  const bool ascii = isAscii(rest);

  bool exists = false;
  bool inKey = false;  // the lines read belong to the wanted key
  for (uint32_t lineNumber = 1; !rest.empty(); ++lineNumber) {
    const size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // A file in another encoding would name places that do not exist.
    if (!ascii && !isUtf8(line)) {
      badLine_ = lineNumber;
      values_.clear();
      text_.clear();
      return voplat::kErrBadDatabase;
    }

    const std::string_view content = trimBlanks(line);
    if (content.empty() || content.front() == ';' || content.front() == '#') continue;
    if (content.front() == '[' && content.back() == ']') {
      const std::string_view path = trimBlanks(content.substr(1, content.size() - 2));
      inKey = equalsNoCase(path, wanted);
      // A key also exists when a key below it is named.
      if (inKey || (path.size() > wanted.size() && path[wanted.size()] == '\\' &&
                    equalsNoCase(path.substr(0, wanted.size()), wanted))) {
        exists = true;
      }
      continue;
    }
    if (!inKey) continue;
    // The value is taken from the line as written, not from its trimmed form.
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    values_.emplace_back(trimBlanks(line.substr(0, eq)), line.substr(eq + 1));
  }
  if (!exists) {
    values_.clear();
    text_.clear();
    return voplat::kErrFileNotFound;
  }
  open_ = true;
  return 0;
}

uint32_t RegistryKey::queryValue(std::u16string_view valueName, void* data, uint32_t* size) const {
  if (!open_) return voplat::kErrInvalidHandle;
  if (size == nullptr) return voplat::kErrInvalidParameter;
  const std::string wanted = toUtf8(valueName);
  // A value set twice keeps its last setting.
  for (auto setting = values_.rbegin(); setting != values_.rend(); ++setting) {
    if (!equalsNoCase(setting->first, wanted)) continue;
    const std::u16string value = toUtf16(expandValue(setting->second));
    const auto bytes = static_cast<uint32_t>(value.size() * sizeof(char16_t));
    const uint32_t room = *size;
    *size = bytes;
    if (data == nullptr) return 0;
    if (room < bytes) return voplat::kErrMoreData;
    if (bytes != 0) std::memcpy(data, value.data(), bytes);
    return 0;
  }
  return voplat::kErrFileNotFound;
}

void RegistryKey::close() noexcept {
  open_ = false;
  badLine_ = 0;
  values_.clear();
  text_.clear();
}

}  // namespace vosysq
