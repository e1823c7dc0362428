#include "xlator/registry.h"

#include "xlator/error_file_translator.h"
#include "xlator/script_xlator.h"

namespace voxlator {

void TranslatorRegistry::link(TranslatorRegistryEntry& entry) noexcept {
  TranslatorRegistryEntry** tail = &head_;
  while (*tail != nullptr) {
    if (*tail == &entry) return;  // already linked
    tail = &(*tail)->next;
  }
  entry.next = nullptr;
  *tail = &entry;
}

void TranslatorRegistry::unlink(TranslatorRegistryEntry& entry) noexcept {
  for (TranslatorRegistryEntry** link = &head_; *link != nullptr; link = &(*link)->next) {
    if (*link == &entry) {
      *link = entry.next;
      entry.next = nullptr;
      return;
    }
  }
}

const TranslatorRegistryEntry* TranslatorRegistry::find(std::string_view name) const noexcept {
  for (const TranslatorRegistryEntry* entry = head_; entry != nullptr; entry = entry->next) {
    if (name == entry->name) return entry;
  }
  return nullptr;
}

namespace {

constinit TranslatorRegistry gLocalRegistry;
constinit TranslatorRegistry gExportedRegistry;

// Links an entry for the life of the library: in at static initialisation,
// out when the library unloads.
class Registration {
 public:
  Registration(TranslatorRegistry& registry, TranslatorRegistryEntry& entry) noexcept
      : registry_(registry), entry_(entry) {
    registry_.link(entry_);
  }
  ~Registration() { registry_.unlink(entry_); }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;

 private:
  TranslatorRegistry& registry_;
  TranslatorRegistryEntry& entry_;
};

// All registrations live in this one file so that their order, which is the
// lookup order, is the order of definition.
TranslatorRegistryEntry gLocalScript{kScriptXlatorName, kScriptXlatorRegistration,
                                     &createScriptXlator};
TranslatorRegistryEntry gLocalDefault{kDefaultXlatorName, kDefaultXlatorRegistration,
                                      &createDefaultXlator};
TranslatorRegistryEntry gExportedScript{kScriptXlatorName, nullptr, &createScriptXlator};

const Registration gLocalScriptRegistration(gLocalRegistry, gLocalScript);
const Registration gLocalDefaultRegistration(gLocalRegistry, gLocalDefault);
const Registration gExportedScriptRegistration(gExportedRegistry, gExportedScript);

}  // namespace

const TranslatorRegistry& localRegistry() noexcept { return gLocalRegistry; }
const TranslatorRegistry& exportedRegistry() noexcept { return gExportedRegistry; }

}  // namespace voxlator
