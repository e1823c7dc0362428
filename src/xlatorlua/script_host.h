// The script host: the scripted translator, whose static and dynamic
// descriptions are computed by a translator script on an embedded Lua 5.1
// interpreter.
//
// A ScriptTranslator begins with the TranslatorInterface head of the
// translator manager and owns one interpreter state. Creation, in order:
//  1. a new state, its memory from an arena of its own (state_arena.h)
//     unless the configuration names an allocator;
//  2. the libraries of libraries.h, each opened in its own protected call
//     with its name as the only argument;
//  3. the embedded modules (embedded_modules.h) installed in package.preload
//     under their file name without the last suffix; only ".lua" and ".luac"
//     files are taken. The modules of a set checked at build time are
//     undumped on their first require; the modules of any other set are
//     compiled here, and one that does not compile is reported on the
//     standard error stream as
//       ERROR: Failed to load "<file>": <compiler message>
//     and fails the creation once every module has been tried;
//  4. in one protected call, require("voxlatorlua") (the bootstrap module,
//     which defines voxlatorlua_errHandler and voxlatorlua_setupEnv) and
//     voxlatorlua_setupEnv(name, registrationInfo), which decodes the
//     registration, builds package.path, empties package.cpath and loads the
//     translator module into the global voxlatorlua_xlator.
// Every failure closes the state it made, leaves the state field null and
// reports -52003 ("voapalerr_softwareFaultAPALInternalUseOnly"), or -52000
// when the state cannot be created, with "internal_error" {"api": "lua",
// "code", "string"} and "voxlatorlua_debug" {"debug": ...}.
//
// Descriptions call voxlatorlua_xlator.getStaticDesc(code, language, ade) or
// getDynamicDesc(contextJson, language, ade, format) inside a protected call
// whose message handler is voxlatorlua_errHandler (it appends a traceback).
// The language and "ade" hint come from the options word. A string result
// (or a number, in the "%.14g" form) is copied into a block from the caller's
// allocator; other results give the empty text. A dynamic description that
// returns a number, or a numeric string, returns a status code instead: its
// low 32 bits are merged into the status (a success takes any non-zero code,
// a warning an error) and null is returned.
//
// An instance is used by one thread at a time; instances share nothing.
#pragma once
#include <cstddef>
#include <cstdint>

#include "status/status.h"
#include "xlator/translator_interface.h"
#include "xlatorlua/embedded_modules.h"
#include "xlatorlua/libraries.h"

namespace voxlatorlua {

// An interpreter allocator (a lua_Alloc): realloc semantics, frees with size 0.
using InterpreterAllocator = void* (*)(void* context, void* block, size_t oldSize, size_t newSize);

struct ScriptTranslator {
  voxlator::TranslatorInterface head;  // structSize 32, destroy, the two descriptions
  lua_State* state;                    // null unless creation succeeded
};

static_assert(offsetof(ScriptTranslator, head) == 0);
static_assert(offsetof(ScriptTranslator, state) == voxlator::TranslatorInterface::kHeadSize);

// Time spent in each creation step, for measurements.
struct CreationTimes {
  uint64_t stateAndLibrariesNs = 0;
  uint64_t modulesNs = 0;
  uint64_t setupNs = 0;
};

// What a host is built from. The defaults are the library's own; tests and
// measurements substitute their modules, libraries or allocator.
struct HostConfig {
  ModuleSet modules = embeddedModules();
  LibrarySet libraries = standardLibraries();
  InterpreterAllocator allocator = nullptr;  // null: an arena of the state's own
  void* allocatorContext = nullptr;
  CreationTimes* times = nullptr;  // filled when given
};

// Fills a caller-allocated object. On success the state is set and the
// status unchanged; on failure the state is null and the status carries the
// error. Does nothing but fill the head when the status already holds an
// error.
void createScriptTranslator(ScriptTranslator& object, const char* name,
                            const char* registrationInfo, voerr::Status& status,
                            const HostConfig& config = HostConfig()) noexcept;

// Closes a state made by createScriptTranslator (finalisers run) and
// releases its memory.
void closeScriptState(lua_State* L) noexcept;

// The translator operations (the head's slots).
void destroyScriptTranslator(voxlator::TranslatorInterface* translator) noexcept;
char* scriptGetStaticDesc(voxlator::TranslatorInterface* translator, int32_t code, uint32_t options,
                          voxlator::AllocateFn allocate, void* allocContext,
                          voerr::Status& status) noexcept;
char* scriptGetDynamicDesc(voxlator::TranslatorInterface* translator, const char* contextJson,
                           uint32_t options, const char* format, voxlator::AllocateFn allocate,
                           void* allocContext, voerr::Status& status) noexcept;

// The factory of a scripted translator registration: allocates the object,
// creates the host, and defines the global script function
// vomxl_unmapErrorCode (an integer's low 32 bits as a signed code). Null with
// the error in the status on failure (null at once when the status already
// holds an error).
voxlator::TranslatorInterface* newScriptTranslator(
    const char* name, const char* registrationInfo, voerr::Status& status,
    const HostConfig& config = HostConfig()) noexcept;

// The interpreter state of a translator made by newScriptTranslator.
inline lua_State* scriptState(voxlator::TranslatorInterface* translator) noexcept {
  return reinterpret_cast<ScriptTranslator*>(translator)->state;
}

}  // namespace voxlatorlua
