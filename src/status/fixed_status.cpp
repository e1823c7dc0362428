#include "status/fixed_status.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "status/context_writer.h"

namespace voerr {

namespace {

constexpr size_t kHeadChars = 49;
constexpr size_t kTailChars = 49;

// A field of a block that may come from outside and may lack its NUL.
std::string_view field(const char* chars, size_t size) noexcept {
  return std::string_view(chars, strnlen(chars, size));
}

bool isContinuation(char c) noexcept { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Cutting a name at a byte count must not split a UTF-8 sequence, or the
// stored name would no longer convert. A sequence has at most three
// continuation bytes, which bounds the adjustment for text in other encodings.
size_t headLength(std::string_view text, size_t limit) noexcept {
  if (text.size() <= limit) return text.size();
  size_t n = limit;
  for (int i = 0; i < 3 && n > 0 && isContinuation(text[n]); ++i) --n;
  return isContinuation(text[n]) ? limit : n;
}

std::string_view tail(std::string_view text, size_t limit) noexcept {
  if (text.size() <= limit) return text;
  size_t start = text.size() - limit;
  const size_t first = start;
  for (int i = 0; i < 3 && start < text.size() && isContinuation(text[start]); ++i) ++start;
  if (start < text.size() && isContinuation(text[start])) start = first;
  return text.substr(start);
}

// memcpy must not see the null data pointer of an empty view.
void copyBytes(char* to, std::string_view from, size_t count) noexcept {
  if (count > 0) std::memcpy(to, from.data(), count);
}

bool setFields(FixedStatus& block, int32_t code, std::string_view component, std::string_view file,
               uint32_t line) noexcept {
  if (!supersedes(block.code, code)) return false;
  block.code = code;
  if (code == 0 || !block.isFull()) return true;

  std::memset(block.component, 0, sizeof block.component);
  copyBytes(block.component, component, headLength(component, FixedStatus::kComponentChars));

  std::memset(block.file, 0, sizeof block.file);
  if (file.size() <= FixedStatus::kFileChars) {
    copyBytes(block.file, file, file.size());
  } else {
    const size_t head = headLength(file, kHeadChars);
    const std::string_view end = tail(file, kTailChars);
    copyBytes(block.file, file, head);
    std::memcpy(block.file + head, "..", 2);
    copyBytes(block.file + head + 2, end, end.size());
  }

  block.line = line;
  std::fill(std::begin(block.extension), std::end(block.extension), uint64_t{0});
  return true;
}

std::string_view orEmpty(const char* text) noexcept {
  return text != nullptr ? std::string_view(text) : std::string_view();
}

// The unescaped string value of a top-level member; empty when absent or not
// a string.
std::string stringMember(const char* text, std::string_view key) {
  JsonValue value;
  std::string out;
  if (ContextWriter::parseValue(ContextWriter::findKey(text, key), value) &&
      value.kind == JsonKind::kString && !ContextWriter::unescapeString(value.raw, out)) {
    out.clear();
  }
  return out;
}

}  // namespace

bool FixedStatus::set(int32_t newCode, const char* newComponent, const char* newFile,
                      uint32_t newLine) noexcept {
  return setFields(*this, newCode, orEmpty(newComponent), orEmpty(newFile), newLine);
}

bool mergeFixed(FixedStatus& into, const FixedStatus& from) noexcept {
  if (&into == &from) return false;
  const bool fromFull = from.isFull();
  const std::string_view component =
      fromFull ? field(from.component, sizeof from.component) : std::string_view();
  const std::string_view file = fromFull ? field(from.file, sizeof from.file) : std::string_view();
  if (!setFields(into, from.code, component, file, fromFull ? from.line : 0)) return false;
  if (into.isFull() && fromFull) {
    for (size_t i = 0; i < FixedStatus::kExtensionWords; ++i) {
      into.extension[i] = from.extension[i];
      if (from.extension[i] == 0) break;
    }
  }
  return true;
}

bool fromStatus(const Status& status, FixedStatus& block) noexcept {
  if (status.code() == 0 || block.code < 0) return false;
  std::string component;
  std::string file;
  uint32_t line = 0;
  if (block.isFull()) {
    const char* text = status.contextText();
    try {
      component = stringMember(text, "component");
      file = stringMember(text, "file");
    } catch (...) {
      // Out of memory: the code still goes through, without its location.
      component.clear();
      file.clear();
    }
    const auto number = ContextWriter::readInteger(ContextWriter::findKey(text, "line"));
    line = number.has_value() && *number > 0 ? static_cast<uint32_t>(*number) : 0;
  }
  return setFields(block, status.code(), tail(component, FixedStatus::kComponentChars),
                   tail(file, FixedStatus::kFileChars), line);
}

bool toStatus(const FixedStatus& block, Status& status) noexcept {
  if (block.code == 0 || !supersedes(status.code(), block.code)) return false;
  status.setCode(block.code);
  if (!status.resetContext() || !status.ensureContext()) return true;
  if (block.isFull()) {
    Appender out = appendTo(status);
    const std::string_view file = field(block.file, sizeof block.file);
    if (!file.empty()) out.string("file", file).unsignedInteger("line", block.line);
    const std::string_view component = field(block.component, sizeof block.component);
    if (!component.empty()) out.string("component", component);
  }
  return true;
}

}  // namespace voerr
