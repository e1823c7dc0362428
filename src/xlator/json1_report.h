// json1 report formatting: renders a status, with the errors nested in its
// context, as plain text.
//
// A status's text is made of a static description (the translator's sentence
// for the code) and, when the context names a translator, the items of its
// "json1" dynamic description: a JSON object whose "dynamic" and "debug"
// members are arrays of report items {"type", "key", "value"}. Items are laid
// out with an item-format table; a formatter indents the block of each
// nesting level; "nested_error" (an object or an array of objects) is
// rendered recursively.
#pragma once
#include <cstdint>
#include <string>

#include "status/status.h"

namespace voxlator {
class Session;
}

namespace voxlator::json1 {

// Report flags.
inline constexpr uint32_t kIncludeStatic = 0x1;
inline constexpr uint32_t kIncludeDynamic = 0x2;
inline constexpr uint32_t kIncludeDebug = 0x4;
inline constexpr uint32_t kIncludeNested = 0x8;

// Strings placed around the three sections of a block; any may be null.
struct SectionLayout {
  const char* staticPrefix;
  const char* staticSuffix;
  const char* dynamicPrefix;
  const char* dynamicSuffix;
  const char* debugPrefix;
  const char* debugSuffix;
};

// Strings placed around one report item and its parts; any may be null.
struct ItemFormat {
  const char* itemPrefix;
  const char* itemSuffix;
  const char* keyPrefix;
  const char* keySuffix;
  const char* valueListPrefix;
  const char* valueListSuffix;
  const char* valuePrefix;
  const char* valueSuffix;
  const char* valueSeparator;  // between the values of an array
};

// One row of an item-format table. A table is an array of rows ending with a
// row whose typeName is null; that row's format is the default.
struct ItemFormatEntry {
  const char* typeName;
  ItemFormat format;
};

// Lays out the block of one nesting level.
class NestedFormatter {
 public:
  virtual ~NestedFormatter() = default;
  virtual void format(uint32_t level, std::string& block, voerr::Status& status) = 0;
};

// The plain-text formatter: strips CR and LF at both ends of the block,
// indents every line of a level-n block by n times three spaces, and ends it
// with two line feeds.
class RawTextFormatter final : public NestedFormatter {
 public:
  void format(uint32_t level, std::string& block, voerr::Status& status) override;
};

// The layout used for plain text: the static description ends with a line
// feed, the dynamic items too; "elaboration" items run straight on, all other
// items start on a new line as "key: value, value".
extern const SectionLayout kRawTextSections;
extern const ItemFormatEntry kRawTextItemFormats[];

// Renders a status as plain text into `out` (appending). Does nothing for
// code 0 or when `result` already holds an error. Uses the raw-text layout
// and formatter at level 0, then strips CR and LF at both ends of the output.
void translateErrStatusToRawText(Session* session, const voerr::Status& status, uint32_t language,
                                 uint32_t flags, std::string& out, voerr::Status& result);

// The recursive worker: appends the block of one status (code and context
// text, which may be null) at `level`, then its nested errors when flag 0x8
// is set.
void translateErrStatusToFormattedText(Session* session, const SectionLayout& sections,
                                       const ItemFormatEntry* itemFormats,
                                       NestedFormatter& formatter, uint32_t level, int32_t code,
                                       const char* contextText, uint32_t language, uint32_t flags,
                                       std::string& out, voerr::Status& result);

// Lays out the report items of a JSON array text and appends them to `out`.
// Text that is not an array, or an empty array, adds nothing. A malformed
// item raises -52005 and nothing of the list is appended.
void formatDynamicReportItems(const ItemFormatEntry* itemFormats, const char* arrayText,
                              std::string& out, voerr::Status& result);

}  // namespace voxlator::json1
