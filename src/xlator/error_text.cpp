#include "xlator/error_text.h"

#include <cstring>

#include "api/elaborate_status.h"
#include "platform/textconv.h"
#include "status/codes.h"
#include "xlator/json1_report.h"
#include "xlator/language.h"
#include "xlator/xlator_session.h"

namespace voxlator {

namespace {

bool isAscii(std::string_view text) noexcept {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Clears a result status for another attempt: code 0, context "{}".
void resetResult(voerr::Status& result) noexcept {
  result.setCode(0);
  result.resetContext();
}

}  // namespace

void fetchErrorContext(uint32_t session, int32_t errorCode, voerr::Status& status) {
  // A failed request leaves the status empty: callers get the empty text.
  voapi::ElaborateStatus(session, errorCode, status);
}

void utf8ToLanguageCodePage(uint32_t language, std::string_view text, std::string& out,
                            voerr::Status& status) {
  out.clear();
  if (isAscii(text)) {
    out.assign(text);
    return;
  }
  const uint32_t codePage = languageCodePage(language);
  if (codePage == 0) {
    VOERR_RAISE(status, voerr::kInvalidParameter, voerr::kConversionErrorName)
        .object("voxlator_debug", {{"debug", "invalid language"}, {"lang", language}});
    return;
  }
  std::u16string wide;
  voplat::ConvResult result = voplat::utf8ToUtf16(text, wide);
  if (result == voplat::ConvResult::ok) result = voplat::utf16ToCodePage(codePage, wide, out);
  if (result == voplat::ConvResult::ok && out.empty()) result = voplat::ConvResult::invalidInput;
  if (result == voplat::ConvResult::ok) return;
  out.clear();
  VOERR_RAISE(
      status,
      result == voplat::ConvResult::outOfMemory ? voerr::kMemoryFull : voerr::kTextConversion,
      voerr::kConversionErrorName);
}

void renderStatusText(const voerr::Status& status, uint32_t language, uint32_t flags,
                      std::string& out) {
  out.clear();
  voerr::Status sessionStatus;
  SessionPtr session(createSession(sessionStatus));
  if (session == nullptr) sessionStatus.throwIfError();

  voerr::Status result;
  if (status.code() != 0) {
    std::string text;
    json1::translateErrStatusToRawText(session.get(), status, language, flags, text, result);
    if (result.isError() && (flags & kTextNested) != 0) {
      resetResult(result);
      text.clear();
      json1::translateErrStatusToRawText(session.get(), status, language, flags & ~kTextNested,
                                         text, result);
    }
    if (result.isError() && (flags & kTextStatic) != 0) {
      resetResult(result);
      text.clear();
      json1::translateErrStatusToRawText(session.get(), status, language, kTextStatic, text,
                                         result);
    }
    if (result.isError() && (flags & kTextStatic) != 0) {
      resetResult(result);
      text.clear();
      // Only the code is trusted now: a context without "translator" sends
      // the request to the error-file translator.
      voerr::Status synthetic;
      VOERR_RAISE(synthetic, status.code(), "statusin.code");
      json1::translateErrStatusToRawText(session.get(), synthetic, language, kTextStatic, text,
                                         result);
    }
    if ((flags & kTextCodePage) != 0) {
      utf8ToLanguageCodePage(language, text, out, result);
    } else {
      out.swap(text);
    }
  }
  session.reset();
  result.throwIfError();
}

std::string describeStatus(const voerr::Status& status, uint32_t flags) {
  std::string text;
  try {
    renderStatusText(status, kEnglish, flags | kTextDynamic, text);
  } catch (...) {
    text = kTranslationFailedText;
  }
  return text;
}

std::string errorText(uint32_t session, int32_t errorCode, uint32_t flags) {
  voerr::Status context;
  fetchErrorContext(session, errorCode, context);
  return describeStatus(context, flags);
}

}  // namespace voxlator
