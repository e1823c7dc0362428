// libFuzzer target for the error-context reader and writer: arbitrary bytes
// are read as a context, then members are written into it. Besides memory
// errors it checks the properties the rest of the library relies on.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "status/context_writer.h"
#include "status/fixed_status.h"
#include "status/status.h"

namespace {

using voerr::ContextWriter;
using voerr::JsonKind;
using voerr::JsonValue;
using voerr::ParseError;
using voerr::Pos;
using voerr::Status;

void check(bool condition) {
  if (!condition) std::abort();
}

// Text, NUL, zeros only, 'J' as the last byte.
void checkLayout(const Status& status) {
  const char* buf = status.buffer();
  if (buf == nullptr) return;
  const uint32_t cap = status.capacity();
  check(cap >= 2 && buf[cap - 1] == 'J');
  const size_t len = strnlen(buf, cap - 1);
  check(len < cap - 1);
  for (size_t i = len; i < cap - 1; ++i) check(buf[i] == 0);
}

void readEverything(const char* text) {
  const size_t length = std::strlen(text);
  const char* end = text + length;

  if (const char* close = ContextWriter::findInsertionPoint(text)) {
    check(close >= text && close < end && (*close == '}' || *close == ']'));
  }

  JsonValue value;
  ParseError error;
  if (ContextWriter::parseValue(text, value, &error)) {
    check(value.begin >= text && value.end <= end && value.begin < value.end);
    if (value.kind == JsonKind::kString) {
      std::string decoded;
      const bool ok = ContextWriter::unescapeString(value.raw, decoded);
      std::string buffer(value.raw.size(), '\0');
      const auto n = ContextWriter::unescapeString(value.raw, buffer.data());
      check(ok == n.has_value());
      if (ok) check(*n <= value.raw.size() && decoded == buffer.substr(0, *n));
    }
  } else {
    check(error.position != nullptr && error.position >= text && error.position <= end);
  }

  for (const char* key : {"line", "file", "translator", "nested_error", "code", ""}) {
    const char* at = ContextWriter::findKey(text, key);
    if (at == nullptr) continue;
    check(at >= text && at <= end);
    ContextWriter::readInteger(at);
    if (ContextWriter::parseValue(at, value)) check(value.end <= end);
  }
  ContextWriter::readInteger(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  readEverything(bytes.c_str());

  // Any bytes decode or fail without overrunning the output.
  {
    std::string decoded;
    const bool ok = ContextWriter::unescapeString(bytes, decoded);
    std::string buffer(bytes.size(), '\0');
    const auto n = ContextWriter::unescapeString(bytes, buffer.data());
    check(ok == n.has_value());
    if (ok) check(decoded == buffer.substr(0, *n));
  }

  // Writing into the text taken over as a context.
  Status status;
  status.setContextText(bytes);
  checkLayout(status);
  const char* close = ContextWriter::findInsertionPoint(status.contextText());
  const bool parsed = close != nullptr;
  // Members of an object carry keys; elements of an array do not.
  const bool isObject = parsed && *close == '}';
  ContextWriter writer(status);
  Pos at = writer.insertionPoint();
  check(at.valid() == parsed);
  at = writer.addString(at, isObject ? bytes.c_str() : nullptr, bytes);  // arbitrary key and value
  at = writer.addInt(at, isObject ? "line" : nullptr, static_cast<int32_t>(size));
  Pos inner = writer.addObject(at, isObject ? "internal_error" : nullptr).stepIn();
  inner = writer.addString(inner, "string", bytes);
  at = inner.stepOut();
  checkLayout(status);
  if (parsed) {
    // Inserting into well-formed JSON keeps it well formed.
    check(at.valid());
    check(ContextWriter::findInsertionPoint(status.contextText()) != nullptr);
  }
  {
    // Every value written can be read back exactly.
    Status fresh;
    ContextWriter freshWriter(fresh);
    fresh.ensureContext();
    Pos inside = freshWriter.addObject(freshWriter.insertionPoint(), "internal_error").stepIn();
    check(freshWriter.addString(inside, "string", bytes).valid());
    const char* object = ContextWriter::findKey(fresh.contextText(), "internal_error");
    check(object != nullptr);
    JsonValue value;
    check(ContextWriter::parseValue(ContextWriter::findKey(object, "string"), value));
    check(value.kind == JsonKind::kString);
    std::string decoded;
    check(ContextWriter::unescapeString(value.raw, decoded) && decoded == bytes);
  }

  // Insertion at an arbitrary offset may garble the text but never the buffer.
  if (size >= 2) {
    const uint32_t offset = static_cast<uint32_t>(data[0] | (data[1] << 8));
    writer.addString(Pos::at(offset), "k", std::string_view(bytes).substr(2));
    checkLayout(status);
    readEverything(status.contextText());
  }

  // Exporting whatever the context became.
  status.setCode(-1);
  voerr::FixedStatus block;
  voerr::fromStatus(status, block);
  check(block.code == -1 && block.file[100] == '\0' && block.component[9] == '\0');
  Status back;
  voerr::toStatus(block, back);
  checkLayout(back);
  check(ContextWriter::findInsertionPoint(back.contextText()) != nullptr);
  return 0;
}
