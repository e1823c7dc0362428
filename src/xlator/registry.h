// The built-in translator registries: ordered lists of registrations, linked
// in by static initialisation and unlinked when the library unloads. They are
// only read after static initialisation, so any thread may walk them.
//
// The local registry is what translator-manager sessions consult before the
// external manager library; the exported registry is what
// voxlator_exported_create offers to other programs.
#pragma once
#include <cstdint>
#include <string_view>

#include "xlator/translator_interface.h"

namespace voxlator {

// The registration name and text of the library's scripted translator.
inline constexpr const char* kScriptXlatorName = "mxlator_votarsinapi";
inline constexpr const char* kScriptXlatorRegistration =
    R"({"voxlatorlua_xlator":"mxlator","voxlatorlua_settings":{"driverName":"votarsinapi",)"
    R"("voSharedErrorsDir":"$_voShared32Dir/Errors","KeErrorsDir":"$_voShared32Dir/Keerrors"}})";
// The registration name and text of the error-file translator.
inline constexpr const char* kDefaultXlatorName = "voxlator_default";
inline constexpr const char* kDefaultXlatorRegistration = "{}";

struct TranslatorRegistryEntry {
  const char* name;
  const char* registrationInfo;
  CreateXlatorFn create;
  TranslatorRegistryEntry* next = nullptr;  // link, owned by the registry
};

// An ordered, intrusive list of registrations.
class TranslatorRegistry {
 public:
  constexpr TranslatorRegistry() noexcept = default;
  TranslatorRegistry(const TranslatorRegistry&) = delete;
  TranslatorRegistry& operator=(const TranslatorRegistry&) = delete;

  // Appends an entry at the tail (registration order is lookup order).
  void link(TranslatorRegistryEntry& entry) noexcept;
  // Removes an entry; unknown entries are ignored.
  void unlink(TranslatorRegistryEntry& entry) noexcept;

  const TranslatorRegistryEntry* head() const noexcept { return head_; }
  // The first entry whose name equals `name` byte for byte; null when none.
  const TranslatorRegistryEntry* find(std::string_view name) const noexcept;

 private:
  TranslatorRegistryEntry* head_ = nullptr;
};

// Order: "mxlator_votarsinapi" (script translator factory, the registration
// text above), then "voxlator_default" (the static error-file translator).
const TranslatorRegistry& localRegistry() noexcept;
// One entry, "mxlator_votarsinapi"; its caller supplies the registration.
const TranslatorRegistry& exportedRegistry() noexcept;

}  // namespace voxlator
