// libFuzzer target for the registry file. The input is written as the
// registry file; the keys it names in its sections (and the installer key)
// are opened, and each value named in the file is read with the size
// protocol of the system registry. When the file is UTF-8, every answer is
// checked against a plain reading of the format the store documents.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_registry_support.h"
#include "fuzz_support.h"
#include "platform/textconv.h"
#include "status/status.h"
#include "sysq/registry_store.h"
#include "sysq/standard_paths.h"

namespace {

using vofuzz::check;

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return out;
}

std::string trim(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = s.find_last_not_of(" \t");
  return std::string(s.substr(first, last - first + 1));
}

// The format read independently: sections, "name=value" lines, "\0" escapes.
struct Reading {
  std::vector<std::string> sections;  // as written, trimmed
  std::vector<std::string> names;     // every value name, trimmed

  bool keyExists(const std::string& key) const {
    const std::string k = lower(key);
    for (const std::string& s : sections) {
      const std::string l = lower(s);
      if (l == k || (l.size() > k.size() && l.compare(0, k.size(), k) == 0 && l[k.size()] == '\\'))
        return true;
    }
    return false;
  }
};

std::vector<std::string> lines(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<std::string> out;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

bool isSection(const std::string& t) {
  return t.size() >= 2 && t.front() == '[' && t.back() == ']';
}
bool isComment(const std::string& t) { return t.empty() || t[0] == ';' || t[0] == '#'; }

Reading read(std::string_view text) {
  Reading r;
  for (const std::string& line : lines(text)) {
    const std::string t = trim(line);
    if (isComment(t)) continue;
    if (isSection(t)) {
      r.sections.push_back(trim(t.substr(1, t.size() - 2)));
    } else if (const size_t eq = line.find('='); eq != std::string::npos) {
      r.names.push_back(trim(line.substr(0, eq)));
    }
  }
  return r;
}

// The last value `name` gets under `key`, "\0" expanded.
std::optional<std::string> expectedValue(std::string_view text, const std::string& key,
                                         const std::string& name) {
  std::optional<std::string> value;
  bool inKey = false;
  for (const std::string& line : lines(text)) {
    const std::string t = trim(line);
    if (isComment(t)) continue;
    if (isSection(t)) {
      inKey = lower(trim(t.substr(1, t.size() - 2))) == lower(key);
      continue;
    }
    const size_t eq = line.find('=');
    if (!inKey || eq == std::string::npos || lower(trim(line.substr(0, eq))) != lower(name))
      continue;
    std::string v;
    for (size_t i = eq + 1; i < line.size(); ++i) {
      const bool escape = line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '0';
      v.push_back(escape ? '\0' : line[i]);
      i += escape;
    }
    value = v;
  }
  return value;
}

std::u16string utf16(const std::string& s) {
  std::u16string out;
  voplat::utf8ToUtf16(s, out);
  return out;
}

// `compare`: the file is UTF-8, so `expected` is what the value must be.
void checkValue(const vosysq::RegistryKey& key, const std::string& name, bool compare,
                const std::optional<std::string>& expected) {
  const std::u16string wide = utf16(name);
  uint32_t size = 0;
  const uint32_t sized = key.queryValue(wide, nullptr, &size);
  if (sized != 0) {
    check(sized == 2, "a value query failed other than with not-found");
    check(!expected, "a value written in the file is missing", name);
    return;
  }
  if (compare) check(expected.has_value(), "a value the file does not set was found", name);
  check(size % 2 == 0, "odd UTF-16 size");
  std::u16string data(size / 2 + 1, u'#');
  uint32_t room = size;
  check(key.queryValue(wide, data.data(), &room) == 0 && room == size,
        "a value does not read back with its own size");
  check(data[size / 2] == u'#', "a value read wrote past its size");
  if (size >= 2) {
    std::u16string small(size / 2, u'#');
    uint32_t less = size - 2;
    check(key.queryValue(wide, small.data(), &less) == 234 && less == size,
          "too small a buffer was not reported");
    check(small == std::u16string(size / 2, u'#'), "too small a buffer was written");
  }
  if (expected) {
    data.resize(size / 2);
    check(data == utf16(*expected), "value differs from the file", name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  vofuzz::writeFile(vofuzz::registryFile(), text);
  std::u16string ignored;
  const bool utf8 = voplat::utf8ToUtf16(text, ignored) == voplat::ConvResult::ok;
  const Reading reading = read(text);

  std::vector<std::string> keys(reading.sections.begin(), reading.sections.end());
  if (keys.size() > 8) keys.resize(8);
  keys.push_back("SOFTWARE\\Corvane\\Common\\Installer");
  for (const std::string& keyPath : keys) {
    vosysq::RegistryKey key;
    const uint32_t opened = key.open(utf16(keyPath), vosysq::kKeyRead);
    check(opened == 0 || !key.isOpen(), "a failed open left the key open");
    if (utf8) check((opened == 0) == reading.keyExists(keyPath), "key existence differs", keyPath);
    if (opened != 0) continue;
    for (size_t i = 0; i < reading.names.size() && i < 16; ++i) {
      const std::string& name = reading.names[i];
      checkValue(key, name, utf8, utf8 ? expectedValue(text, keyPath, name) : std::nullopt);
    }
  }

  // The standard paths read through the same file.
  for (const char* variable : {"_voShared32Dir", "_voSharedDir"}) {
    voerr::Status status;
    std::string path;
    vosysq::getStandardPath(variable, path, status);
    check(status.code() == 0 || status.code() == -52006, "unexpected standard-path status");
    if (status.isError()) check(path.empty(), "a failed lookup left a path");
    if (!path.empty()) {
      const char last = path.back();
      check(last != '\\' && last != '/' && last != ' ' && last != '\0', "path not normalised",
            path);
    }
  }
  return 0;
}
