// The translator manager: a per-use session that creates translators by name
// on first use, caches them, and routes description requests to them.
//
// Lookup order for a name: the session's cache, the local registry
// (registry.h), then the external manager library "voxlator.dll" from the
// system folder, which is loaded at most once per session (a failed load is
// remembered and replayed to every later caller of the same session).
//
// A session belongs to one thread at a time; nothing in it is locked.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/dynlib.h"
#include "status/status.h"
#include "xlator/translator_interface.h"

namespace voxlator {

class Session;

// Entry points of the external manager library.
using MgrCreateSessionFn = void* (*)(voerr::Status* status);
using MgrDestroySessionFn = void (*)(void* managerSession);
using MgrCreateXlatorFn = TranslatorInterface* (*)(void* managerSession, const char* name,
                                                   voerr::Status* status, uint32_t flags);
using MgrDestroyXlatorFn = void (*)(void* managerSession, TranslatorInterface* translator);

// Deleters of cached translators.
class DestroyXlator {
 public:
  virtual ~DestroyXlator() = default;
  virtual void operator()(TranslatorInterface* translator) const noexcept = 0;
};

// Calls the translator's own destroy.
class DestroyLocalXlator final : public DestroyXlator {
 public:
  void operator()(TranslatorInterface* translator) const noexcept override;
};

// Hands the translator back to the manager library of its session.
class DestroyExportedXlator final : public DestroyXlator {
 public:
  explicit DestroyExportedXlator(const Session& session) noexcept : session_(&session) {}
  void operator()(TranslatorInterface* translator) const noexcept override;

 private:
  const Session* session_;
};

// One cached translator; owns its name and its translator, which it destroys
// with its deleter. Moving hands the ownership on.
class XlatorCacheEntry {
 public:
  XlatorCacheEntry(std::unique_ptr<char[]> name, size_t nameLength, TranslatorInterface* translator,
                   const DestroyXlator* deleter) noexcept
      : name_(std::move(name)),
        nameLength_(nameLength),
        translator_(translator),
        deleter_(deleter) {}
  XlatorCacheEntry(XlatorCacheEntry&& other) noexcept;
  XlatorCacheEntry& operator=(XlatorCacheEntry&&) = delete;
  XlatorCacheEntry(const XlatorCacheEntry&) = delete;
  ~XlatorCacheEntry();

  std::string_view name() const noexcept { return {name_.get(), nameLength_}; }
  TranslatorInterface* translator() const noexcept { return translator_; }

 private:
  std::unique_ptr<char[]> name_;
  size_t nameLength_;
  TranslatorInterface* translator_;
  const DestroyXlator* deleter_;
};

// The growable array of cached translators. Capacity 4 at the first entry,
// doubling when full; growth moves the entries (and their ownership) to the
// new storage.
class XlatorCache {
 public:
  static constexpr uint32_t kInitialCapacity = 4;

  XlatorCache() noexcept = default;
  XlatorCache(const XlatorCache&) = delete;
  XlatorCache& operator=(const XlatorCache&) = delete;
  ~XlatorCache() { clear(); }

  // The translator cached under exactly this name, or null.
  TranslatorInterface* find(std::string_view name) const noexcept;
  // Takes ownership of the translator. On failure (-52000 raised when the
  // name or a larger array cannot be allocated) the cache is as it was and
  // the caller still owns the translator.
  bool append(std::string_view name, TranslatorInterface* translator, const DestroyXlator& deleter,
              voerr::Status& status) noexcept;
  // Destroys the translators in cache order and frees the array.
  void clear() noexcept;

  uint32_t size() const noexcept { return size_; }
  uint32_t capacity() const noexcept { return capacity_; }

 private:
  XlatorCacheEntry* entries_ = nullptr;
  uint32_t size_ = 0;
  uint32_t capacity_ = 0;
};

class Session {
 public:
  Session() noexcept : destroyExported_(*this) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  // Destroys the cached translators, then unloads the manager library.
  ~Session();

  bool managerLoaded() const noexcept { return managerLibrary_ != nullptr; }
  const voerr::Status& managerLoadStatus() const noexcept { return managerLoadStatus_; }
  const XlatorCache& cache() const noexcept { return cache_; }

 private:
  friend TranslatorInterface* getXlator(Session*, std::string_view, voerr::Status&) noexcept;
  friend class DestroyExportedXlator;

  void loadManager(voerr::Status& status) noexcept;
  void unloadManager() noexcept;

  voplat::ModuleHandle managerLibrary_ = nullptr;
  voerr::Status managerLoadStatus_;
  MgrCreateSessionFn mgrCreateSession_ = nullptr;
  MgrDestroySessionFn mgrDestroySession_ = nullptr;
  MgrCreateXlatorFn mgrCreateXlator_ = nullptr;
  MgrDestroyXlatorFn mgrDestroyXlator_ = nullptr;
  void* managerSession_ = nullptr;
  DestroyLocalXlator destroyLocal_;
  DestroyExportedXlator destroyExported_;
  XlatorCache cache_;
};

// A new session, or null with -52000 and
// "voxlator_debug": {"debug": "failed to allocate Session memory"}.
// No library is loaded yet. Returns null at once when the status holds an error.
Session* createSession(voerr::Status& status) noexcept;
void destroySession(Session* session) noexcept;

struct SessionDeleter {
  void operator()(Session* session) const noexcept { destroySession(session); }
};
using SessionPtr = std::unique_ptr<Session, SessionDeleter>;

// The translator for a name (cache, local registry, external manager), or
// null when the status is or becomes an error.
TranslatorInterface* getXlator(Session* session, std::string_view name,
                               voerr::Status& status) noexcept;

// The allocation callback the manager hands to translators (realloc
// semantics; see AllocateFn). Failure raises -52000 with
// "voxlator_debug": {"debug": "realloc failed"}.
void* allocateXlatorText(void* block, size_t size, void* allocContext,
                         voerr::Status* status) noexcept;
// Releases a text returned by getStaticDesc or getDynamicDesc.
inline void freeXlatorText(char* text) noexcept { allocateXlatorText(text, 0, nullptr, nullptr); }
struct XlatorTextDeleter {
  void operator()(char* text) const noexcept { freeXlatorText(text); }
};
using XlatorText = std::unique_ptr<char, XlatorTextDeleter>;

// The static description of a code from the named translator, in the
// language of `options`; null with the error in the status. A translator
// without static descriptions raises -52006 with
// "voxlator_debug": {"debug": "xlator doesn't support getStaticDesc", "xlatorName": name}.
XlatorText getStaticDesc(Session* session, int32_t code, std::string_view translatorName,
                         uint32_t options, voerr::Status& status) noexcept;

// The "json1" dynamic description of an error context from the translator
// its "translator" member names. A context without a non-empty string there
// raises -52006 with "voxlator_debug": {"debug": "could not find translator
// key in json", "json": context}; a translator without dynamic descriptions
// raises -52006 with "xlator doesn't support getDynamicDesc".
XlatorText getDynamicDesc(Session* session, const char* contextJson, uint32_t options,
                          voerr::Status& status) noexcept;

// The exported factory: creates a translator of the exported registry by
// name (byte-wise, case-sensitive) with the caller's registration text. An
// unknown name raises -52005 with "voxlator_debug": {"voxlator_exported":
// "could not find xlator", "name": name, "registrationInfo": registrationInfo}.
TranslatorInterface* exportedCreate(const char* name, const char* registrationInfo,
                                    voerr::Status* status) noexcept;

// For tests only: the directory searched for the manager library instead of
// the system folder; null (the default) restores the system folder. Not
// thread-safe; set it before sessions are used.
void setManagerDirectoryForTesting(const char* utf8Directory);

}  // namespace voxlator
