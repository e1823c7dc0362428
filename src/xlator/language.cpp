#include "xlator/language.h"

#include <new>

#include "platform/textconv.h"
#include "status/codes.h"

namespace voxlator {

std::optional<uint32_t> languageFromCode(std::string_view code) noexcept {
  for (const LanguageInfo& info : kLanguages) {
    if (code == info.code) return info.index;
  }
  return std::nullopt;
}

std::optional<uint32_t> languageFromDirectoryName(std::string_view name) noexcept {
  for (const LanguageInfo& info : kLanguages) {
    if (name == info.directoryName) return info.index;
  }
  return std::nullopt;
}

uint32_t languageFromGxName(const char* name) noexcept {
  if (name == nullptr) return kEnglish;
  const std::string_view text(name);
  for (const LanguageInfo& info : kLanguages) {
    if (info.gxName != nullptr && text == info.gxName) return info.index;
  }
  return kEnglish;
}

namespace {

void raiseInvalidLanguage(voerr::Status& status, uint32_t language) {
  VOERR_RAISE(status, voerr::kInvalidParameter, voerr::kInvalidParameterName)
      .object("voxlator_debug", {{"gxerrorsparser", "invalid language"}, {"lang", language}});
}

bool isAscii(std::string_view text) noexcept {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string convertLangToDir(uint32_t language, voerr::Status& status) {
  if (status.isError()) return {};
  if (!isValidLanguage(language)) {
    raiseInvalidLanguage(status, language);
    return {};
  }
  return kLanguages[language].directoryName;
}

void mbsToUtf8(uint32_t language, std::string_view text, std::string& out, voerr::Status& status) {
  out.clear();
  if (status.isError()) return;
  if (!isValidLanguage(language)) {
    raiseInvalidLanguage(status, language);
    return;
  }
  try {
    if (isAscii(text)) {
      out.assign(text);
      return;
    }
    std::u16string wide;
    voplat::ConvResult result = voplat::codePageToUtf16(kLanguages[language].codePage, text, wide);
    if (result == voplat::ConvResult::ok) {
      result = voplat::utf16ToUtf8(wide, out);
    }
    switch (result) {
      case voplat::ConvResult::ok:
        return;
      case voplat::ConvResult::outOfMemory:
        out.clear();
        VOERR_RAISE(status, voerr::kMemoryFull, voerr::kConversionErrorName);
        return;
      default:
        out.clear();
        VOERR_RAISE(status, voerr::kTextConversion, voerr::kConversionErrorName);
        return;
    }
  } catch (const std::bad_alloc&) {
    out.clear();
    VOERR_RAISE(status, voerr::kMemoryFull, voerr::kConversionErrorName);
  }
}

}  // namespace voxlator
