#include "xlator/json1_report.h"

#include <cstring>
#include <string_view>

#include "status/codes.h"
#include "status/context_writer.h"
#include "xlator/registry.h"
#include "xlator/translator_interface.h"
#include "xlator/xlator_session.h"

namespace voxlator::json1 {

using voerr::ContextWriter;
using voerr::JsonKind;
using voerr::JsonValue;

const SectionLayout kRawTextSections = {
    nullptr, "\n",     // static
    nullptr, "\n",     // dynamic
    nullptr, nullptr,  // debug
};

const ItemFormatEntry kRawTextItemFormats[] = {
    {"elaboration",
     {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr}},
    {nullptr, {"\n", nullptr, nullptr, ": ", nullptr, nullptr, nullptr, nullptr, ", "}},
};

namespace {

void append(std::string& out, const char* text) {
  if (text != nullptr) out += text;
}

bool isLineEnd(char c) noexcept { return c == '\r' || c == '\n'; }

void trimLineEnds(std::string& text) {
  size_t end = text.size();
  while (end > 0 && isLineEnd(text[end - 1])) --end;
  size_t begin = 0;
  while (begin < end && isLineEnd(text[begin])) ++begin;
  text.erase(end);
  text.erase(0, begin);
}

const char* skipSpace(const char* p) noexcept {
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') ++p;
  return p;
}

const ItemFormat& formatOfType(const ItemFormatEntry* table, std::string_view type) noexcept {
  const ItemFormatEntry* entry = table;
  for (; entry->typeName != nullptr; ++entry) {
    if (type == entry->typeName) return entry->format;
  }
  return entry->format;
}

void raiseFormatError(voerr::Status& result, std::initializer_list<voerr::Member> members) {
  VOERR_RAISE(result, voerr::kInvalidParameter, voerr::kInvalidParameterName)
      .object("voxlator_debug", members);
}

// Appends one value of an item; false (with -52005 raised) when it is not a
// string.
bool formatValue(const ItemFormat& format, const JsonValue& value, std::string& out,
                 voerr::Status& result) {
  append(out, format.valuePrefix);
  if (value.kind != JsonKind::kString) {
    raiseFormatError(result, {{"formatDynamicReportItems",
                               "json1 dynamic object invalid. value can only be string"},
                              {"value type", static_cast<int32_t>(value.kind)}});
    return false;
  }
  if (!ContextWriter::unescapeString(value.raw, out)) {
    raiseFormatError(result, {{"formatDynamicReportItems",
                               "json1 dynamic object invalid. value can only be string"},
                              {"value type", static_cast<int32_t>(value.kind)}});
    return false;
  }
  append(out, format.valueSuffix);
  return true;
}

// The text of a string member of an object, unescaped; empty when the member
// is missing or not a string.
std::string stringMember(const char* object, std::string_view key) {
  std::string text;
  JsonValue value;
  const char* member = ContextWriter::findKey(object, key);
  if (member != nullptr && ContextWriter::parseValue(member, value) &&
      value.kind == JsonKind::kString) {
    if (!ContextWriter::unescapeString(value.raw, text)) text.clear();
  }
  return text;
}

// Renders one nested error object (its text, code read from "code").
void renderNestedObject(Session* session, const SectionLayout& sections,
                        const ItemFormatEntry* itemFormats, NestedFormatter& formatter,
                        uint32_t level, const JsonValue& object, uint32_t language, uint32_t flags,
                        std::string& out, voerr::Status& result) {
  const std::string text(object.text());
  int32_t code = 0;
  if (const char* member = ContextWriter::findKey(text.c_str(), "code")) {
    code = ContextWriter::readInteger(member).value_or(0);
  }
  translateErrStatusToFormattedText(session, sections, itemFormats, formatter, level, code,
                                    text.c_str(), language, flags, out, result);
}

}  // namespace

void RawTextFormatter::format(uint32_t level, std::string& block, voerr::Status& status) {
  trimLineEnds(block);
  if (level > 0) {
    const std::string indent(static_cast<size_t>(level) * 3, ' ');
    std::string indented;
    indented.reserve(block.size() + indent.size() * 4);
    indented += indent;
    for (char c : block) {
      indented += c;
      if (c == '\n') indented += indent;
    }
    block.swap(indented);
  }
  block += "\n\n";
}

void formatDynamicReportItems(const ItemFormatEntry* itemFormats, const char* arrayText,
                              std::string& out, voerr::Status& result) {
  if (result.isError() || arrayText == nullptr) return;
  const char* p = skipSpace(arrayText);
  if (*p != '[') return;
  p = skipSpace(p + 1);
  if (*p == ']') return;

  std::string items;
  for (;;) {
    JsonValue element;
    if (!ContextWriter::parseValue(p, element) || element.kind != JsonKind::kObject) {
      raiseFormatError(result, {{"formatDynamicReportItems",
                                 "json1 dynamic object invalid. each array item must be an object"},
                                {"json1DynamicObjectBegin", p}});
      return;
    }
    // findKey reads only the members of this element, not what follows it.
    const char* object = element.begin;
    const ItemFormat& format = formatOfType(itemFormats, stringMember(object, "type"));
    append(items, format.itemPrefix);

    const std::string key = stringMember(object, "key");
    if (!key.empty()) {
      append(items, format.keyPrefix);
      items += key;
      append(items, format.keySuffix);
    }

    if (const char* valueText = ContextWriter::findKey(object, "value")) {
      JsonValue value;
      if (!ContextWriter::parseValue(valueText, value)) {
        raiseFormatError(
            result,
            {{"formatDynamicReportItems",
              "json1 dynamic object invalid. something's wrong with value item"},
             {"json1DynamicObjectBegin", element.text()},
             {"value", std::string_view(valueText, static_cast<size_t>(element.end - valueText))}});
        return;
      }
      append(items, format.valueListPrefix);
      if (value.kind == JsonKind::kArray) {
        const char* q = skipSpace(value.begin + 1);
        bool first = true;
        while (*q != ']') {
          JsonValue single;
          if (!ContextWriter::parseValue(q, single)) break;  // cannot happen: the array parsed
          if (!first) append(items, format.valueSeparator);
          first = false;
          if (!formatValue(format, single, items, result)) return;
          q = skipSpace(single.end);
          if (*q == ',') q = skipSpace(q + 1);
        }
      } else if (!formatValue(format, value, items, result)) {
        return;
      }
      append(items, format.valueListSuffix);
    }
    append(items, format.itemSuffix);

    p = skipSpace(element.end);
    if (*p != ',') break;
    p = skipSpace(p + 1);
  }
  if (!result.isError()) out += items;
}

void translateErrStatusToFormattedText(Session* session, const SectionLayout& sections,
                                       const ItemFormatEntry* itemFormats,
                                       NestedFormatter& formatter, uint32_t level, int32_t code,
                                       const char* contextText, uint32_t language, uint32_t flags,
                                       std::string& out, voerr::Status& result) {
  if (result.isError()) return;

  std::string translator;
  if (contextText != nullptr) translator = stringMember(contextText, "translator");
  if (translator.empty()) translator = kDefaultXlatorName;
  const bool isDefault = translator == kDefaultXlatorName;

  XlatorText staticText;
  if ((flags & kIncludeStatic) != 0) {
    staticText = getStaticDesc(session, code, translator, language, result);
  }
  XlatorText dynamicText;
  if ((flags & (kIncludeDynamic | kIncludeDebug)) != 0 && !isDefault) {
    dynamicText = getDynamicDesc(session, contextText, language, result);
  }

  std::string block;
  if ((flags & kIncludeStatic) != 0 && staticText != nullptr) {
    append(block, sections.staticPrefix);
    block += staticText.get();
    append(block, sections.staticSuffix);
  }
  if ((flags & kIncludeDynamic) != 0 && dynamicText != nullptr) {
    append(block, sections.dynamicPrefix);
    if (const char* items = ContextWriter::findKey(dynamicText.get(), "dynamic")) {
      formatDynamicReportItems(itemFormats, items, block, result);
    }
    append(block, sections.dynamicSuffix);
  }
  if ((flags & kIncludeDebug) != 0 && dynamicText != nullptr) {
    append(block, sections.debugPrefix);
    if (const char* items = ContextWriter::findKey(dynamicText.get(), "debug")) {
      formatDynamicReportItems(itemFormats, items, block, result);
    }
    append(block, sections.debugSuffix);
  }
  formatter.format(level, block, result);
  out += block;
  staticText.reset();
  dynamicText.reset();
  if (result.isError() || (flags & kIncludeNested) == 0) return;

  const uint32_t nextFlags = (flags & kIncludeDebug) != 0 ? 0xF : 0xB;
  const char* nested =
      contextText != nullptr ? ContextWriter::findKey(contextText, "nested_error") : nullptr;
  JsonValue value;
  if (nested == nullptr || !ContextWriter::parseValue(nested, value)) return;

  if (value.kind == JsonKind::kObject) {
    renderNestedObject(session, sections, itemFormats, formatter, level + 1, value, language,
                       nextFlags, out, result);
  } else if (value.kind == JsonKind::kArray) {
    const char* p = skipSpace(value.begin + 1);
    while (*p != ']' && !result.isError()) {
      JsonValue element;
      if (!ContextWriter::parseValue(p, element)) return;  // cannot happen: the array parsed
      if (element.kind != JsonKind::kObject) {
        raiseFormatError(result, {{"translateErrStatusToFormattedText",
                                   "nested_error contains invalid json type on one of the element"},
                                  {"json", contextText},
                                  {"invalid json_type", static_cast<int32_t>(element.kind)}});
        return;
      }
      renderNestedObject(session, sections, itemFormats, formatter, level + 1, element, language,
                         nextFlags, out, result);
      p = skipSpace(element.end);
      if (*p != ',') break;
      p = skipSpace(p + 1);
    }
  } else {
    raiseFormatError(
        result, {{"translateErrStatusToFormattedText", "nested_error contains invalid json type"},
                 {"json", contextText},
                 {"jsonz_type", static_cast<int32_t>(value.kind)}});
  }
}

void translateErrStatusToRawText(Session* session, const voerr::Status& status, uint32_t language,
                                 uint32_t flags, std::string& out, voerr::Status& result) {
  if (status.code() == 0 || result.isError()) return;
  RawTextFormatter formatter;
  translateErrStatusToFormattedText(
      session, kRawTextSections, kRawTextItemFormats, formatter, 0, status.code(),
      status.hasContext() ? status.contextText() : nullptr, language, flags, out, result);
  trimLineEnds(out);
}

}  // namespace voxlator::json1
