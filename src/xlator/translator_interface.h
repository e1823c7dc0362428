// TranslatorInterface: the head through which the translator manager calls a
// translator. Every translator object begins with it and may carry private
// data behind it; the manager knows nothing else about the object.
//
// A translator gives a static description (the fixed sentence for a status
// code in a language) and/or a dynamic description (a report built from an
// error context). Both come back as UTF-8 text allocated through the caller's
// allocation callback, which the caller also uses to release them; a null
// result carries its reason in the status.
//
// Translators from the external manager library use this same layout, so it
// is pinned below and must not change.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "status/status.h"

namespace voxlator {

struct TranslatorInterface;

// Allocation callback with realloc semantics: (old block, size in bytes,
// allocation context, status). Size 0 frees the old block and returns null.
// Otherwise it returns null without allocating when the status already holds
// an error, else the reallocated block; a failed allocation raises -52000 into
// the status and returns null.
using AllocateFn = void* (*)(void* block, size_t size, void* allocContext, voerr::Status* status);

// Releases the whole translator object.
using DestroyFn = void (*)(TranslatorInterface* translator);

// (translator, code, options, allocate, allocContext, status): the static
// description of `code`, or null.
using GetStaticDescFn = char* (*)(TranslatorInterface* translator, int32_t code, uint32_t options,
                                  AllocateFn allocate, void* allocContext, voerr::Status& status);

// (translator, context JSON, options, format, allocate, allocContext, status):
// the dynamic description of an error context in `format` (the manager always
// asks for "json1"), or null.
using GetDynamicDescFn = char* (*)(TranslatorInterface* translator, const char* contextJson,
                                   uint32_t options, const char* format, AllocateFn allocate,
                                   void* allocContext, voerr::Status& status);

struct TranslatorInterface {
  // The size of this head; always kHeadSize.
  uint64_t structSize;
  DestroyFn destroy;
  // Null when the translator has no static descriptions.
  GetStaticDescFn getStaticDesc;
  // Null when the translator has no dynamic descriptions.
  GetDynamicDescFn getDynamicDesc;

  static constexpr uint64_t kHeadSize = 32;
};

static_assert(sizeof(TranslatorInterface) == TranslatorInterface::kHeadSize);
static_assert(offsetof(TranslatorInterface, structSize) == 0);
static_assert(offsetof(TranslatorInterface, destroy) == 8);
static_assert(offsetof(TranslatorInterface, getStaticDesc) == 16);
static_assert(offsetof(TranslatorInterface, getDynamicDesc) == 24);

// The create function of a translator registration: (registration name,
// registration information as JSON text, status). Returns the translator, or
// null with the reason in the status (and null at once when the status
// already holds an error).
using CreateXlatorFn = TranslatorInterface* (*)(const char* name, const char* registrationInfo,
                                                voerr::Status& status);

// The translator options word: bits 0 to 7 the language index, bits 8 to 11
// the "ade" hint that translators receive and may report; other bits are
// ignored.
constexpr uint32_t optionsLanguage(uint32_t options) noexcept { return options & 0xffu; }
constexpr uint32_t optionsAdeHint(uint32_t options) noexcept { return (options >> 8) & 0xfu; }
constexpr uint32_t makeOptions(uint32_t language, uint32_t adeHint = 0) noexcept {
  return (language & 0xffu) | ((adeHint & 0xfu) << 8);
}

// For translator implementations: a NUL-terminated copy of `text` in a block
// obtained from `allocate` (old block null), or null when the status holds an
// error or the allocation failed (the callback then raised the error).
inline char* allocateText(AllocateFn allocate, void* allocContext, std::string_view text,
                          voerr::Status& status) noexcept {
  if (allocate == nullptr || status.isError()) return nullptr;
  auto* block = static_cast<char*>(allocate(nullptr, text.size() + 1, allocContext, &status));
  if (block == nullptr) return nullptr;
  if (!text.empty()) std::memcpy(block, text.data(), text.size());
  block[text.size()] = '\0';
  return block;
}

}  // namespace voxlator
