// The attributes the tool knows: IDs from votarsinapi.h, with the scope,
// access, unit and value names the device documents for each.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarsin {

enum class AttrType { Int32, Double, String, Boolean, UInt64 };
enum class Scope { Device, AI, Stream, Unknown };

struct EnumValue {
  int32_t value;
  const char* name;
};

struct Attribute {
  uint32_t id;
  const char* name;
  AttrType type;
  Scope scope;
  bool writable;
  const char* unit;  // "" when the value has none
  std::span<const EnumValue> values;
};

std::span<const Attribute> Attributes();
const char* TypeName(AttrType type);
const char* ScopeName(Scope scope);

// The type an ID's class gives it (top four bits), when the ID is valid.
std::optional<AttrType> TypeOfId(uint32_t id);

// The name lower-cased with every character but letters and digits removed,
// so "AI Range", "ai-range" and "ai_range" compare equal.
std::string NormalizedName(std::string_view name);
// Dashed lower-case form for shells: "ai-range".
std::string ShellName(const Attribute& attribute);

// Looks an attribute up by name (exact after normalising, else a unique
// prefix) or by hex ID ("0x20000010"). An ID of a valid class that the table
// lacks yields an entry of unknown scope. Throws UsageError when nothing or
// more than one attribute matches.
Attribute FindAttribute(std::string_view key);

// Parses text as a value of the attribute's type; enumerated attributes also
// take their value names. Throws UsageError for text of the wrong type.
struct Value {
  int64_t integer = 0;  // Int32, Boolean (0/1)
  uint64_t unsignedValue = 0;
  double real = 0;
  std::string text;
};
Value ParseValue(const Attribute& attribute, std::string_view text);

}  // namespace tarsin
