// The languages of the translation stack.
//
// A language is an index 0 to 5, carried in the low 8 bits of the translator
// options word (translator_interface.h). Each has a directory name (the
// subdirectory of an errors directory holding its description files), a
// three-letter code (the suffix of the script side's table names), the name
// under which the Graphyx runtime reports it, and the code page in which its
// description files and tables are stored:
//
//   index  directory   code  Graphyx name  code page
//   0      English     eng   (any other)   1252
//   1      French      fra   French        1252
//   2      German      deu   German        1252
//   3      Japanese    jpn   Japanese      932
//   4      Korean      kor   Korean        949
//   5      ChineseS    chs   ChineseS      936
//
// Any other index is invalid. The table is fixed; everything here is
// constant data and safe to use from any thread.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "status/status.h"

namespace voxlator {

enum Language : uint32_t {
  kEnglish = 0,
  kFrench = 1,
  kGerman = 2,
  kJapanese = 3,
  kKorean = 4,
  kChineseS = 5,
};

inline constexpr uint32_t kLanguageCount = 6;

struct LanguageInfo {
  uint32_t index;
  const char* directoryName;  // "English"
  const char* code;           // "eng"
  const char* gxName;         // "French"; null for English, the default
  uint32_t codePage;          // 1252
};

inline constexpr LanguageInfo kLanguages[kLanguageCount] = {
    {kEnglish, "English", "eng", nullptr, 1252}, {kFrench, "French", "fra", "French", 1252},
    {kGerman, "German", "deu", "German", 1252},  {kJapanese, "Japanese", "jpn", "Japanese", 932},
    {kKorean, "Korean", "kor", "Korean", 949},   {kChineseS, "ChineseS", "chs", "ChineseS", 936},
};

constexpr bool isValidLanguage(uint32_t index) noexcept { return index < kLanguageCount; }

// The entry of an index; null when the index is invalid.
constexpr const LanguageInfo* languageInfo(uint32_t index) noexcept {
  return isValidLanguage(index) ? &kLanguages[index] : nullptr;
}

// Null (0 for the code page) when the index is invalid.
constexpr const char* languageDirectoryName(uint32_t index) noexcept {
  return isValidLanguage(index) ? kLanguages[index].directoryName : nullptr;
}
constexpr const char* languageCode(uint32_t index) noexcept {
  return isValidLanguage(index) ? kLanguages[index].code : nullptr;
}
constexpr uint32_t languageCodePage(uint32_t index) noexcept {
  return isValidLanguage(index) ? kLanguages[index].codePage : 0;
}

// The reverse lookups compare exactly, letter case included. Nothing when
// the text names no language.
std::optional<uint32_t> languageFromCode(std::string_view code) noexcept;           // "fra" -> 1
std::optional<uint32_t> languageFromDirectoryName(std::string_view name) noexcept;  // "French" -> 1

// The language of a Graphyx language name: "French" 1, "German" 2,
// "Japanese" 3, "Korean" 4, "ChineseS" 5, anything else (null included) 0.
uint32_t languageFromGxName(const char* name) noexcept;

// The directory name of a language. An invalid index raises -52005 with
// "voxlator_debug": {"gxerrorsparser": "invalid language", "lang": index} and
// gives the empty string. Does nothing (empty result) when the status already
// holds an error.
std::string convertLangToDir(uint32_t language, voerr::Status& status);

// Converts text stored in a language's code page to UTF-8, into `out`
// (cleared first; left empty on failure). Does nothing when the status
// already holds an error.
//  - An invalid index raises -52005 with the "invalid language" context
//    above, even for plain ASCII text.
//  - Text made only of bytes below 0x80 (the empty text included) is copied
//    unchanged.
//  - Otherwise the text is decoded from the code page; an invalid byte
//    sequence records -52027 and an allocation failure -52000, each with
//    "error_constant" "err" and taken by the precedence rule (into success or
//    over a warning).
void mbsToUtf8(uint32_t language, std::string_view text, std::string& out, voerr::Status& status);

}  // namespace voxlator
