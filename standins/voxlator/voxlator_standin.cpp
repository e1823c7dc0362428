// The stand-in translator manager. Its status arguments are the library's own
// voerr::Status records; this library carries its own copy of the status code
// (the records keep their reallocator, so buffers stay with their owner's
// policy).
#include "voxlator_standin.h"

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>

#include "entry_barrier.h"
#include "status/codes.h"
#include "status/context_writer.h"
#include "status/status.h"
#include "xlator/translator_interface.h"

#define VOXLATOR_STANDIN_EXPORT __attribute__((visibility("default")))

namespace {

using vostandin::entryBarrier;
using voxlator::AllocateFn;
using voxlator::TranslatorInterface;

std::atomic<uint32_t> gSessionsCreated{0};
std::atomic<uint32_t> gSessionsDestroyed{0};
std::atomic<uint32_t> gXlatorsCreated{0};
std::atomic<uint32_t> gXlatorsDestroyed{0};
std::atomic<uint32_t> gStaticCalls{0};
std::atomic<uint32_t> gDynamicCalls{0};
std::atomic<uint32_t> gLastOptions{0};
std::atomic<int32_t> gFailCreateSession{0};

struct StandinSession {
  uint32_t magic = 0x5e55105e;
};

struct StandinXlator {
  TranslatorInterface head;
  StandinSession* session;
};

void destroyXlator(TranslatorInterface* translator) {
  ++gXlatorsDestroyed;
  delete reinterpret_cast<StandinXlator*>(translator);
}

std::string stringMember(const char* json, const char* key) {
  std::string text;
  voerr::JsonValue value;
  const char* member = voerr::ContextWriter::findKey(json, key);
  if (member != nullptr && voerr::ContextWriter::parseValue(member, value) &&
      value.kind == voerr::JsonKind::kString) {
    voerr::ContextWriter::unescapeString(value.raw, text);
  }
  return text;
}

// Runs a translator operation behind the entry barrier: running out of
// memory is reported in the status like the library's own translators do.
template <typename Body>
char* guardedText(voerr::Status& status, Body&& body) noexcept {
  char* text = nullptr;
  const int32_t failure = entryBarrier<int32_t>(voerr::kMemoryFull, voerr::kSoftwareFault, [&] {
    text = body();
    return voerr::kSuccess;
  });
  if (failure != voerr::kSuccess && !status.isError())
    VOERR_RAISE(status, failure, voerr::constantName(failure));
  return text;
}

char* staticDesc(TranslatorInterface*, int32_t code, uint32_t options, AllocateFn allocate,
                 void* allocContext, voerr::Status& status) {
  ++gStaticCalls;
  gLastOptions = options;
  char text[128];
  std::snprintf(text, sizeof text,
                "Stand-in description of code %" PRId32 " (language %" PRIu32 ", ade %" PRIu32 ").",
                code, voxlator::optionsLanguage(options), voxlator::optionsAdeHint(options));
  return voxlator::allocateText(allocate, allocContext, text, status);
}

char* dynamicDesc(TranslatorInterface*, const char* contextJson, uint32_t options,
                  const char* format, AllocateFn allocate, void* allocContext,
                  voerr::Status& status) {
  ++gDynamicCalls;
  gLastOptions = options;
  if (status.isError()) return nullptr;
  if (format == nullptr || std::string(format) != "json1") {
    VOERR_RAISE(status, voerr::kUnsupportedFormat, voerr::kUnsupportedFormatName)
        .object("voxlatorstandin_debug", {{"format", format}});
    return nullptr;
  }
  if (voerr::ContextWriter::findKey(contextJson, "standin_json1") != nullptr) {
    return voxlator::allocateText(allocate, allocContext,
                                  stringMember(contextJson, "standin_json1"), status);
  }
  if (const char* member = voerr::ContextWriter::findKey(contextJson, "standin_status")) {
    const int32_t code = voerr::ContextWriter::readInteger(member).value_or(-52003);
    VOERR_RAISE(status, code, nullptr)
        .object("voxlatorstandin_debug", {{"debug", "requested failure"}});
    return nullptr;
  }
  std::string report =
      R"({"dynamic":[{"type":"elaboration","value":"Reported by the stand-in translator."},)";
  report += R"({"type":"usage","key":"Error constant","value":)";
  report += '"' + voerr::ContextWriter::escape(stringMember(contextJson, "error_constant")) + '"';
  report += R"(}],"debug":[{"type":"usage","key":"Context bytes","value":")";
  report += std::to_string(std::string(contextJson != nullptr ? contextJson : "").size());
  report += R"("}]})";
  return voxlator::allocateText(allocate, allocContext, report, status);
}

char* getStaticDesc(TranslatorInterface* translator, int32_t code, uint32_t options,
                    AllocateFn allocate, void* allocContext, voerr::Status& status) {
  return guardedText(status, [&] {
    return staticDesc(translator, code, options, allocate, allocContext, status);
  });
}

char* getDynamicDesc(TranslatorInterface* translator, const char* contextJson, uint32_t options,
                     const char* format, AllocateFn allocate, void* allocContext,
                     voerr::Status& status) {
  return guardedText(status, [&] {
    return dynamicDesc(translator, contextJson, options, format, allocate, allocContext, status);
  });
}

}  // namespace

extern "C" {

VOXLATOR_STANDIN_EXPORT void voxlatorstandin_counters(VoxlatorStandinCounters* out) {
  if (out == nullptr) return;
  out->sessionsCreated = gSessionsCreated;
  out->sessionsDestroyed = gSessionsDestroyed;
  out->xlatorsCreated = gXlatorsCreated;
  out->xlatorsDestroyed = gXlatorsDestroyed;
  out->staticCalls = gStaticCalls;
  out->dynamicCalls = gDynamicCalls;
  out->lastOptions = gLastOptions;
}

VOXLATOR_STANDIN_EXPORT void voxlatorstandin_reset(void) {
  gSessionsCreated = 0;
  gSessionsDestroyed = 0;
  gXlatorsCreated = 0;
  gXlatorsDestroyed = 0;
  gStaticCalls = 0;
  gDynamicCalls = 0;
  gLastOptions = 0;
  gFailCreateSession = 0;
}

VOXLATOR_STANDIN_EXPORT void voxlatorstandin_failCreateSession(int32_t code) {
  gFailCreateSession = code;
}

VOXLATOR_STANDIN_EXPORT void* voxlatormgr_createSession(voerr::Status* status) {
  if (status == nullptr || status->isError()) return nullptr;
  if (const int32_t code = gFailCreateSession; code != 0) {
    VOERR_RAISE(*status, code, nullptr)
        .object("voxlator_debug", {{"voxlatormgr", "session creation refused"}});
    return nullptr;
  }
  auto* session = new (std::nothrow) StandinSession();
  if (session == nullptr) {
    VOERR_RAISE(*status, voerr::kMemoryFull, voerr::kMemoryFullName);
    return nullptr;
  }
  ++gSessionsCreated;
  return session;
}

VOXLATOR_STANDIN_EXPORT void voxlatormgr_destroySession(void* session) {
  if (session == nullptr) return;
  ++gSessionsDestroyed;
  delete static_cast<StandinSession*>(session);
}

VOXLATOR_STANDIN_EXPORT TranslatorInterface* voxlatormgr_createXlator(void* session,
                                                                      const char* name,
                                                                      voerr::Status* status,
                                                                      uint32_t flags) {
  if (status == nullptr || status->isError()) return nullptr;
  if (session == nullptr || static_cast<StandinSession*>(session)->magic != 0x5e55105e) {
    VOERR_RAISE(*status, voerr::kInvalidParameter, voerr::kInvalidParameterName)
        .object("voxlator_debug", {{"voxlatormgr", "invalid session"}});
    return nullptr;
  }
  const std::string_view requested = name != nullptr ? name : "";
  const bool dynamicOnly = requested == VOXLATOR_STANDIN_DYNAMIC_ONLY_NAME;
  if (requested != VOXLATOR_STANDIN_XLATOR_NAME && !dynamicOnly) {
    VOERR_RAISE(*status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
        .object("voxlator_debug", {{"voxlatormgr", "unknown translator"}, {"name", name}});
    return nullptr;
  }
  auto* xlator =
      new (std::nothrow) StandinXlator{{TranslatorInterface::kHeadSize, &destroyXlator,
                                        dynamicOnly ? nullptr : &getStaticDesc, &getDynamicDesc},
                                       static_cast<StandinSession*>(session)};
  if (xlator == nullptr) {
    VOERR_RAISE(*status, voerr::kMemoryFull, voerr::kMemoryFullName);
    return nullptr;
  }
  ++gXlatorsCreated;
  return &xlator->head;
}

VOXLATOR_STANDIN_EXPORT void voxlatormgr_destroyXlator(void* session, TranslatorInterface* xlator) {
  if (xlator != nullptr && xlator->destroy != nullptr) xlator->destroy(xlator);
}

}  // extern "C"
