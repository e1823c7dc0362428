// Error text: turns a status code and the driver's error context for it into
// a description, with the fallbacks that keep the caller from ever seeing a
// translation failure, and the exception barrier of the error-text entry
// points.
#pragma once
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <typeinfo>

#include "status/exception.h"
#include "status/fixed_status.h"
#include "status/status.h"

namespace voxlator {

// Flags of the error-text pipeline (bits 0 to 3 are the report flags of
// json1_report.h).
inline constexpr uint32_t kTextStatic = 0x1;           // static description; enables fallbacks
inline constexpr uint32_t kTextDynamic = 0x2;          // dynamic items (added by the builder)
inline constexpr uint32_t kTextNested = 0x8;           // nested errors; enables the first fallback
inline constexpr uint32_t kTextCodePage = 0x40000000;  // convert to the language's code page

// The flags of voTarsin_GetError and of its Graphyx flavour.
inline constexpr uint32_t kGetErrorFlags = kTextStatic;
inline constexpr uint32_t kGxGetErrorFlags = kTextCodePage | kTextStatic;

// The text given when no translation could be made.
inline constexpr const char* kTranslationFailedText = "Failed to translate error elaboration.";

// Where the exception barrier reports its own codes.
inline constexpr const char* kBarrierFile = ".\\source\\TarsinErrors";

// Fills `status` with errorCode and the driver's error context for it
// (function 800). Session 0 sends no request and leaves the context empty; a
// failed request leaves the status empty (code 0), which renders as the empty
// text.
void fetchErrorContext(uint32_t session, int32_t errorCode, voerr::Status& status);

// Converts UTF-8 text into the code page of a language into `out`. Text of
// bytes below 0x80 is copied. Malformed UTF-8, or a conversion that yields
// nothing, records -52027, an allocation failure -52000, an invalid language
// -52005; each with "error_constant" "err" and taken by the precedence rule.
// Characters the code page lacks become '?'.
void utf8ToLanguageCodePage(uint32_t language, std::string_view text, std::string& out,
                            voerr::Status& status);

// Renders a status into `out` with a fresh translator session and the
// fallbacks: without flag 0x8, then static only, then a synthetic status
// {"error_constant": "statusin.code", ...} for the default translator. Throws
// voerr::Exception when the session cannot be made or every attempt failed.
// Code 0 renders as the empty text.
void renderStatusText(const voerr::Status& status, uint32_t language, uint32_t flags,
                      std::string& out);

// The description builder: renderStatusText in language 0 with flag 0x2
// added; any exception gives kTranslationFailedText.
std::string describeStatus(const voerr::Status& status, uint32_t flags);

// Fetches the context of errorCode on session and describes it with `flags`
// (kGetErrorFlags or kGxGetErrorFlags). May throw only while preparing the
// status; run it inside runErrorTextBarrier.
std::string errorText(uint32_t session, int32_t errorCode, uint32_t flags);

// The exception barrier of the error-text entry points: runs body() and maps
// an escaping exception to a code in `block` (component "votarsinapi", file
// kBarrierFile):
//   voerr::ExceptionBase   its own status (code, component, file, line);
//                          -52003 when it carries no error
//   std::bad_alloc         -52000
//   std::invalid_argument  -52005
//   std::bad_cast          -52004
//   std::system_error      -52008
//   other std::exception   -52003
//   anything else          -52003
template <typename Body>
void runErrorTextBarrier(voerr::FixedStatus& block, Body&& body) noexcept {
  auto store = [&block](int32_t code, int line) noexcept {
    block.set(code, voerr::kComponent, kBarrierFile, static_cast<uint32_t>(line));
  };
  try {
    body();
  } catch (const voerr::ExceptionBase& e) {
    if (e.status().isError()) {
      voerr::fromStatus(e.status(), block);
    } else {
      store(voerr::kSoftwareFault, __LINE__);
    }
  } catch (const std::bad_alloc&) {
    store(voerr::kMemoryFull, __LINE__);
  } catch (const std::invalid_argument&) {
    store(voerr::kInvalidParameter, __LINE__);
  } catch (const std::bad_cast&) {
    store(voerr::kBadCast, __LINE__);
  } catch (const std::system_error&) {
    store(voerr::kSystemError, __LINE__);
  } catch (const std::exception&) {
    store(voerr::kSoftwareFault, __LINE__);
  } catch (...) {
    store(voerr::kSoftwareFault, __LINE__);
  }
}

}  // namespace voxlator
