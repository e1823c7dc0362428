#include "xlator/xlator_session.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "api/dynlib_loader.h"
#include "status/codes.h"
#include "status/context_writer.h"
#include "status/exception.h"
#include "sysq/standard_paths.h"
#include "xlator/registry.h"

namespace voxlator {

namespace {

constexpr const char* kManagerLibraryName = "voxlator.dll";

const char* gManagerDirectoryOverride = nullptr;
std::string gManagerDirectoryOverrideText;

void raiseMemoryFull(voerr::Status& status, const char* debug) noexcept {
  VOERR_RAISE(status, voerr::kMemoryFull, voerr::kMemoryFullName)
      .object("voxlator_debug", {{"debug", debug}});
}

// "<system folder>\voxlator.dll" (or the test directory's), empty with the
// error in the status on failure.
std::string managerLibraryPath(voerr::Status& status) {
  std::string folder;
  if (gManagerDirectoryOverride != nullptr) {
    folder = gManagerDirectoryOverride;
  } else {
    std::u16string wide;
    vosysq::getFolderPath(vosysq::kFolderSystem, wide, status);
    if (status.isError()) return {};
    folder = vosysq::normalizePath(wide);
  }
  vosysq::normalizePath(folder);
  folder += '\\';
  folder += kManagerLibraryName;
  return folder;
}

// Runs a translator's create function. Create functions report through the
// status; should one throw all the same, the exception becomes a status here
// rather than leaving the manager.
template <typename Create>
TranslatorInterface* guardedCreate(voerr::Status& status, Create&& create) noexcept {
  try {
    return create();
  } catch (const voerr::ExceptionBase& e) {
    voerr::merge(status, e.status());
    if (!status.isError()) {
      VOERR_RAISE(status, voerr::kSoftwareFault, voerr::kSoftwareFaultName);
    }
  } catch (const std::bad_alloc&) {
    raiseMemoryFull(status, "xlator creation failed");
  } catch (...) {
    VOERR_RAISE(status, voerr::kSoftwareFault, voerr::kSoftwareFaultName)
        .object("voxlator_debug", {{"debug", "xlator creation threw"}});
  }
  return nullptr;
}

}  // namespace

void setManagerDirectoryForTesting(const char* utf8Directory) {
  if (utf8Directory == nullptr) {
    gManagerDirectoryOverride = nullptr;
    gManagerDirectoryOverrideText.clear();
  } else {
    gManagerDirectoryOverrideText = utf8Directory;
    gManagerDirectoryOverride = gManagerDirectoryOverrideText.c_str();
  }
}

// ---- Deleters ----------------------------------------------------------------

void DestroyLocalXlator::operator()(TranslatorInterface* translator) const noexcept {
  if (translator != nullptr && translator->destroy != nullptr) translator->destroy(translator);
}

void DestroyExportedXlator::operator()(TranslatorInterface* translator) const noexcept {
  if (translator != nullptr && session_->mgrDestroyXlator_ != nullptr) {
    session_->mgrDestroyXlator_(session_->managerSession_, translator);
  }
}

// ---- Cache -------------------------------------------------------------------

XlatorCacheEntry::XlatorCacheEntry(XlatorCacheEntry&& other) noexcept
    : name_(std::move(other.name_)),
      nameLength_(other.nameLength_),
      translator_(other.translator_),
      deleter_(other.deleter_) {
  other.nameLength_ = 0;
  other.translator_ = nullptr;
  other.deleter_ = nullptr;
}

XlatorCacheEntry::~XlatorCacheEntry() {
  if (translator_ != nullptr && deleter_ != nullptr) (*deleter_)(translator_);
}

TranslatorInterface* XlatorCache::find(std::string_view name) const noexcept {
  for (uint32_t i = 0; i < size_; ++i) {
    if (entries_[i].name() == name) return entries_[i].translator();
  }
  return nullptr;
}

bool XlatorCache::append(std::string_view name, TranslatorInterface* translator,
                         const DestroyXlator& deleter, voerr::Status& status) noexcept {
  if (status.isError()) return false;
  std::unique_ptr<char[]> ownedName(new (std::nothrow) char[name.size() + 1]);
  if (ownedName == nullptr) {
    raiseMemoryFull(status, "failed to allocate xlator name");
    return false;
  }
  if (!name.empty()) std::memcpy(ownedName.get(), name.data(), name.size());
  ownedName[name.size()] = '\0';

  if (size_ == capacity_) {
    const uint32_t newCapacity = capacity_ == 0 ? kInitialCapacity : capacity_ * 2;
    if (newCapacity <= capacity_) {
      raiseMemoryFull(status, "failed to grow xlator cache");
      return false;
    }
    void* raw = ::operator new(sizeof(XlatorCacheEntry) * newCapacity, std::nothrow);
    if (raw == nullptr) {
      raiseMemoryFull(status, "failed to grow xlator cache");
      return false;
    }
    auto* grown = static_cast<XlatorCacheEntry*>(raw);
    for (uint32_t i = 0; i < size_; ++i) {
      new (&grown[i]) XlatorCacheEntry(std::move(entries_[i]));
      entries_[i].~XlatorCacheEntry();  // moved from: owns nothing any more
    }
    ::operator delete(entries_);
    entries_ = grown;
    capacity_ = newCapacity;
  }
  new (&entries_[size_]) XlatorCacheEntry(std::move(ownedName), name.size(), translator, &deleter);
  ++size_;
  return true;
}

void XlatorCache::clear() noexcept {
  for (uint32_t i = 0; i < size_; ++i) entries_[i].~XlatorCacheEntry();
  ::operator delete(entries_);
  entries_ = nullptr;
  size_ = 0;
  capacity_ = 0;
}

// ---- Session -----------------------------------------------------------------

Session::~Session() {
  cache_.clear();
  unloadManager();
  managerLoadStatus_.clear();
}

void Session::unloadManager() noexcept {
  if (mgrDestroySession_ != nullptr && managerSession_ != nullptr) {
    mgrDestroySession_(managerSession_);
  }
  managerSession_ = nullptr;
  mgrCreateSession_ = nullptr;
  mgrDestroySession_ = nullptr;
  mgrCreateXlator_ = nullptr;
  mgrDestroyXlator_ = nullptr;
  if (managerLibrary_ != nullptr) voplat::unloadModule(managerLibrary_);
  managerLibrary_ = nullptr;
}

void Session::loadManager(voerr::Status& status) noexcept {
  if (managerLoadStatus_.isError()) {
    voerr::merge(status, managerLoadStatus_);
    return;
  }
  if (status.isError()) return;
  try {
    const std::string path = managerLibraryPath(status);
    if (!status.isError()) {
      managerLibrary_ = vodynlib_load(path.c_str(), status);
      mgrCreateSession_ = reinterpret_cast<MgrCreateSessionFn>(
          vodynlib_findSymbol(managerLibrary_, "voxlatormgr_createSession", status));
      mgrDestroySession_ = reinterpret_cast<MgrDestroySessionFn>(
          vodynlib_findSymbol(managerLibrary_, "voxlatormgr_destroySession", status));
      mgrCreateXlator_ = reinterpret_cast<MgrCreateXlatorFn>(
          vodynlib_findSymbol(managerLibrary_, "voxlatormgr_createXlator", status));
      mgrDestroyXlator_ = reinterpret_cast<MgrDestroyXlatorFn>(
          vodynlib_findSymbol(managerLibrary_, "voxlatormgr_destroyXlator", status));
      if (!status.isError()) managerSession_ = mgrCreateSession_(&status);
    }
  } catch (const std::bad_alloc&) {
    raiseMemoryFull(status, "failed to load xlator manager");
  }
  if (status.isError()) {
    unloadManager();
    voerr::merge(managerLoadStatus_, status);
  }
}

Session* createSession(voerr::Status& status) noexcept {
  if (status.isError()) return nullptr;
  auto* session = new (std::nothrow) Session();
  if (session == nullptr) raiseMemoryFull(status, "failed to allocate Session memory");
  return session;
}

void destroySession(Session* session) noexcept { delete session; }

TranslatorInterface* getXlator(Session* session, std::string_view name,
                               voerr::Status& status) noexcept {
  if (status.isError()) return nullptr;
  if (session == nullptr) {
    VOERR_RAISE(status, voerr::kInvalidParameter, voerr::kInvalidParameterName)
        .object("voxlator_debug", {{"debug", "no xlator session"}});
    return nullptr;
  }

  // 1. The cache.
  if (TranslatorInterface* cached = session->cache_.find(name)) return cached;

  // 2. The local registry.
  if (const TranslatorRegistryEntry* entry = localRegistry().find(name)) {
    TranslatorInterface* translator = guardedCreate(
        status, [&] { return entry->create(entry->name, entry->registrationInfo, status); });
    if (translator != nullptr && status.isError()) {
      session->destroyLocal_(translator);
      return nullptr;
    }
    if (translator == nullptr) {
      if (!status.isError()) {
        VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
            .object("voxlator_debug",
                    {{"debug", "xlator creation returned nothing"}, {"xlatorName", name}});
      }
      return nullptr;
    }
    if (!session->cache_.append(name, translator, session->destroyLocal_, status)) {
      session->destroyLocal_(translator);
      return nullptr;
    }
    return translator;
  }

  // 3. The external manager library.
  if (session->managerLibrary_ == nullptr) session->loadManager(status);
  if (status.isError()) return nullptr;
  std::string nameText;
  try {
    nameText.assign(name);
  } catch (const std::bad_alloc&) {
    raiseMemoryFull(status, "failed to allocate xlator name");
    return nullptr;
  }
  TranslatorInterface* translator =
      session->mgrCreateXlator_(session->managerSession_, nameText.c_str(), &status, 0);
  if (translator == nullptr || status.isError()) {
    if (translator != nullptr) session->destroyExported_(translator);
    if (!status.isError()) {
      VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
          .object("voxlator_debug",
                  {{"debug", "xlator creation returned nothing"}, {"xlatorName", name}});
    }
    return nullptr;
  }
  if (!session->cache_.append(name, translator, session->destroyExported_, status)) {
    session->destroyExported_(translator);
    return nullptr;
  }
  return translator;
}

// ---- Descriptions ------------------------------------------------------------

void* allocateXlatorText(void* block, size_t size, void* allocContext,
                         voerr::Status* status) noexcept {
  if (size == 0) {
    std::free(block);
    return nullptr;
  }
  if (status != nullptr && status->isError()) return nullptr;
  void* result = std::realloc(block, size);
  if (result == nullptr && status != nullptr) raiseMemoryFull(*status, "realloc failed");
  return result;
}

XlatorText getStaticDesc(Session* session, int32_t code, std::string_view translatorName,
                         uint32_t options, voerr::Status& status) noexcept {
  TranslatorInterface* translator = getXlator(session, translatorName, status);
  if (translator == nullptr) return nullptr;
  if (translator->getStaticDesc == nullptr) {
    VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
        .object("voxlator_debug", {{"debug", "xlator doesn't support getStaticDesc"},
                                   {"xlatorName", translatorName}});
    return nullptr;
  }
  XlatorText text(
      translator->getStaticDesc(translator, code, options, &allocateXlatorText, nullptr, status));
  if (status.isError()) text.reset();
  return text;
}

XlatorText getDynamicDesc(Session* session, const char* contextJson, uint32_t options,
                          voerr::Status& status) noexcept {
  if (status.isError()) return nullptr;
  if (contextJson == nullptr) contextJson = "";
  std::string name;
  try {
    voerr::JsonValue value;
    const char* member = voerr::ContextWriter::findKey(contextJson, "translator");
    if (member != nullptr && voerr::ContextWriter::parseValue(member, value) &&
        value.kind == voerr::JsonKind::kString) {
      voerr::ContextWriter::unescapeString(value.raw, name);
    }
  } catch (const std::bad_alloc&) {
    raiseMemoryFull(status, "failed to allocate xlator name");
    return nullptr;
  }
  if (name.empty()) {
    VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
        .object("voxlator_debug",
                {{"debug", "could not find translator key in json"}, {"json", contextJson}});
    return nullptr;
  }
  TranslatorInterface* translator = getXlator(session, name, status);
  if (translator == nullptr) return nullptr;
  if (translator->getDynamicDesc == nullptr) {
    VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
        .object("voxlator_debug",
                {{"debug", "xlator doesn't support getDynamicDesc"}, {"xlatorName", name}});
    return nullptr;
  }
  XlatorText text(translator->getDynamicDesc(translator, contextJson, options, "json1",
                                             &allocateXlatorText, nullptr, status));
  if (status.isError()) text.reset();
  return text;
}

// ---- Exported factory --------------------------------------------------------

TranslatorInterface* exportedCreate(const char* name, const char* registrationInfo,
                                    voerr::Status* status) noexcept {
  if (status == nullptr || status->isError()) return nullptr;
  if (name != nullptr) {
    if (const TranslatorRegistryEntry* entry = exportedRegistry().find(name)) {
      return guardedCreate(*status,
                           [&] { return entry->create(entry->name, registrationInfo, *status); });
    }
  }
  VOERR_RAISE(*status, voerr::kInvalidParameter, voerr::kInvalidParameterName)
      .object("voxlator_debug", {{"voxlator_exported", "could not find xlator"},
                                 {"name", name},
                                 {"registrationInfo", registrationInfo}});
  return nullptr;
}

}  // namespace voxlator
