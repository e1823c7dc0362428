#include "xlatorlua/script_host.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "status/codes.h"
#include "xlatorlua/lua_support.h"
#include "xlatorlua/prepared_chunk.h"
#include "xlatorlua/state_arena.h"
#include "xlatorlua/state_close.h"

namespace voxlatorlua {

namespace {

// ---- protected bodies (called by the interpreter; plain data only) ----

int openLibraryProtected(lua_State* L) {
  const auto* library = static_cast<const LibrarySpec*>(lua_touserdata(L, 1));
  lua_pushcfunction(L, library->open);
  lua_pushstring(L, library->name);
  lua_call(L, 1, 0);
  return 0;
}

struct PreloadCall {
  ModuleSet modules;
  int failures = 0;
};

bool hasModuleSuffix(const char* dot) noexcept {
  return dot != nullptr && (std::strcmp(dot, ".lua") == 0 || std::strcmp(dot, ".luac") == 0);
}

// Pushes the function of a module's chunk: a prepared one, or source text
// or a precompiled chunk as the interpreter loads them.
int loadModuleChunk(lua_State* L, const EmbeddedModule& module) {
  const bool prepared = module.size >= VOXLATORLUA_PREPARED_SIGNATURE_SIZE &&
                        std::memcmp(module.data, VOXLATORLUA_PREPARED_SIGNATURE,
                                    VOXLATORLUA_PREPARED_SIGNATURE_SIZE) == 0;
  return prepared ? voxlatorlua_loadPreparedChunk(L, module.data, module.size, module.fileName)
                  : luaL_loadbuffer(L, module.data, module.size, module.fileName);
}

// The preload entry of a module checked at build time: loads its chunk and
// runs it with require's arguments. Most reports need a few of the modules,
// so the others are never loaded. upvalue 1: the EmbeddedModule.
int loadOnRequire(lua_State* L) {
  const auto* module = static_cast<const EmbeddedModule*>(lua_touserdata(L, lua_upvalueindex(1)));
  if (loadModuleChunk(L, *module) != 0) lua_error(L);
  lua_insert(L, 1);
  lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
  return lua_gettop(L);
}

int addPreloadsProtected(lua_State* L) {
  auto* call = static_cast<PreloadCall*>(lua_touserdata(L, 1));
  lua_getglobal(L, LUA_LOADLIBNAME);
  lua_getfield(L, -1, "preload");
  const int preload = lua_gettop(L);
  for (const EmbeddedModule& module : call->modules) {
    const char* dot = std::strrchr(module.fileName, '.');
    if (!hasModuleSuffix(dot)) continue;
    if (call->modules.checkedAtBuild) {
      lua_pushlightuserdata(L, const_cast<EmbeddedModule*>(&module));
      lua_pushcclosure(L, loadOnRequire, 1);
    } else if (loadModuleChunk(L, module) != 0) {
      std::fprintf(stderr, "ERROR: Failed to load \"%s\": %s\n", module.fileName,
                   lua_tostring(L, -1));
      lua_pop(L, 1);
      ++call->failures;
      continue;
    }
    lua_pushlstring(L, module.fileName, static_cast<size_t>(dot - module.fileName));
    lua_insert(L, -2);
    lua_settable(L, preload);
  }
  return 0;
}

struct SetupCall {
  const char* name;
  const char* registrationInfo;
};

int setupProtected(lua_State* L) {
  const auto* call = static_cast<const SetupCall*>(lua_touserdata(L, 1));
  lua_getglobal(L, "require");
  lua_pushliteral(L, "voxlatorlua");
  lua_call(L, 1, 0);
  lua_getglobal(L, "voxlatorlua_setupEnv");
  lua_pushstring(L, call->name);
  lua_pushstring(L, call->registrationInfo);
  lua_call(L, 2, 0);
  return 0;
}

struct DescriptionCall {
  bool dynamic = false;
  int32_t code = 0;
  const char* contextJson = nullptr;
  const char* format = nullptr;
  uint32_t language = 0;
  uint32_t adeHint = 0;
  voxlator::AllocateFn allocate = nullptr;
  void* allocContext = nullptr;
  voerr::Status* status = nullptr;
  // Results.
  char* text = nullptr;
  bool returnedCode = false;
  int32_t code32 = 0;
  int scriptResult = 0;  // status of the script's own protected call, when it failed
};

// The block for a result: `length` bytes and a NUL from the caller's
// allocator. Never throws into the interpreter.
char* allocateResult(DescriptionCall& call, const char* bytes, size_t length) noexcept {
  if (call.allocate == nullptr) return nullptr;
  void* block = nullptr;
  try {
    block = call.allocate(nullptr, length + 1, call.allocContext, call.status);
  } catch (...) {
    return nullptr;
  }
  if (block == nullptr) return nullptr;
  auto* text = static_cast<char*>(block);
  if (length != 0) std::memcpy(text, bytes, length);
  text[length] = '\0';
  return text;
}

// Calls the function below `argumentCount` arguments with the bootstrap's
// message handler and one result; a failure is raised again (with the
// handler's traceback) after recording its status.
void protectedScriptCall(lua_State* L, int argumentCount, int* failedStatus) {
  const int function = lua_gettop(L) - argumentCount;
  lua_getglobal(L, "voxlatorlua_errHandler");
  int handler = 0;
  if (lua_isfunction(L, -1)) {
    lua_insert(L, function);
    handler = function;
  } else {
    lua_pop(L, 1);
  }
  const int result = lua_pcall(L, argumentCount, 1, handler);
  if (handler != 0) lua_remove(L, handler);
  if (result != 0) {
    *failedStatus = result;
    lua_error(L);
  }
}

int describeProtected(lua_State* L) {
  auto* call = static_cast<DescriptionCall*>(lua_touserdata(L, 1));
  lua_settop(L, 0);
  lua_getglobal(L, "voxlatorlua_xlator");
  lua_getfield(L, -1, call->dynamic ? "getDynamicDesc" : "getStaticDesc");
  lua_remove(L, 1);
  int argumentCount = 3;
  if (call->dynamic) {
    lua_pushstring(L, call->contextJson);
    lua_pushnumber(L, call->language);
    lua_pushnumber(L, call->adeHint);
    lua_pushstring(L, call->format);
    argumentCount = 4;
  } else {
    lua_pushnumber(L, call->code);
    lua_pushnumber(L, call->language);
    lua_pushnumber(L, call->adeHint);
  }
  protectedScriptCall(L, argumentCount, &call->scriptResult);

  if (call->dynamic && lua_isnumber(L, -1)) {  // a number, or a string that reads as one
    call->returnedCode = true;
    call->code32 = lowWordOfNumber(lua_tonumber(L, -1));
    return 0;
  }
  size_t length = 0;
  const char* bytes = "";
  const int type = lua_type(L, -1);
  if (type == LUA_TSTRING || type == LUA_TNUMBER) {
    bytes = lua_tolstring(L, -1, &length);  // a number becomes its "%.14g" text
  }
  call->text = allocateResult(*call, bytes, length);
  return 0;
}

int unmapErrorCodeFunction(lua_State* L) {
  lua_pushnumber(L, lowWordOfNumber(luaL_checknumber(L, 1)));
  return 1;
}

int registerUnmapProtected(lua_State* L) {
  lua_register(L, "vomxl_unmapErrorCode", unmapErrorCodeFunction);
  return 0;
}

// ---- reporting (ordinary C++; the interpreter is not running) ----

// The error object on top of the stack, then popped.
struct ErrorObject {
  std::string text;
  bool present = false;
};

ErrorObject takeErrorObject(lua_State* L) noexcept {
  ErrorObject error;
  error.present = errorObjectText(L, -1, error.text);
  lua_pop(L, 1);
  return error;
}

void appendInternalError(voerr::Appender& at, int code, const ErrorObject& error) noexcept {
  appendLuaInternalError(at, code, error.present ? &error.text : nullptr);
}

uint64_t elapsedNs(std::chrono::steady_clock::time_point since) noexcept {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - since)
          .count());
}

// A state made for one report holds some 200 KB when it is closed, nearly
// all of it live: a collection would walk it and free next to nothing. The
// collector therefore stays stopped until a description call finds the heap
// past this size, as the heap of a state kept for many reports would grow.
constexpr int kCollectorStartKb = 1024;

// A state ends a report with some 1,500 strings, 50 globals and 20 loaded
// modules. Its string table, globals table and table of loaded modules are
// made that large at once, so they are not rebuilt again and again while
// the libraries and modules are installed.
constexpr int kStringTableSize = 2048;
constexpr int kGlobalsSize = 64;
constexpr int kLoadedSize = 32;

int presizeTablesProtected(lua_State* L) {
  luaS_resize(L, kStringTableSize);
  lua_createtable(L, 0, kGlobalsSize);  // the state's globals table is still empty
  lua_replace(L, LUA_GLOBALSINDEX);
  lua_createtable(L, 0, kLoadedSize);  // found by every library's registration
  lua_setfield(L, LUA_REGISTRYINDEX, "_LOADED");
  return 0;
}

// Before a description call: a state whose heap has grown past the bound
// collects from now on.
void startCollectorWhenLarge(lua_State* L) noexcept {
  if (lua_gc(L, LUA_GCCOUNT, 0) >= kCollectorStartKb) lua_gc(L, LUA_GCRESTART, 0);
}

int panicHandler(lua_State* L) {
  std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n",
               lua_isstring(L, -1) ? lua_tostring(L, -1) : "?");
  return 0;
}

void fillHead(ScriptTranslator& object) noexcept {
  object.head.structSize = voxlator::TranslatorInterface::kHeadSize;
  object.head.destroy = &destroyScriptTranslator;
  object.head.getStaticDesc = &scriptGetStaticDesc;
  object.head.getDynamicDesc = &scriptGetDynamicDesc;
  object.state = nullptr;
}

// A state of its own arena, unless the configuration names an allocator.
lua_State* newState(const HostConfig& config) noexcept {
  if (config.allocator != nullptr) {
    lua_State* L = lua_newstate(config.allocator, config.allocatorContext);
    if (L != nullptr) lua_atpanic(L, panicHandler);
    return L;
  }
  StateArena* arena = StateArena::create();
  if (arena == nullptr) return nullptr;
  lua_State* L = lua_newstate(StateArena::allocate, arena);
  if (L == nullptr) {
    StateArena::destroy(arena);
    return nullptr;
  }
  lua_atpanic(L, panicHandler);
  return L;
}

ScriptTranslator* asScriptTranslator(voxlator::TranslatorInterface* translator) noexcept {
  return reinterpret_cast<ScriptTranslator*>(translator);
}

}  // namespace

void createScriptTranslator(ScriptTranslator& object, const char* name,
                            const char* registrationInfo, voerr::Status& status,
                            const HostConfig& config) noexcept {
  fillHead(object);
  auto started = std::chrono::steady_clock::now();

  lua_State* L = newState(config);
  if (L == nullptr) {
    VOERR_RAISE(status, voerr::kMemoryFull, voerr::kMemoryFullName)
        .object("voxlatorlua_debug", {{"debug", "failed to create lua state"}});
    return;
  }
  if (status.isError()) {
    closeScriptState(L);
    return;
  }
  lua_gc(L, LUA_GCSTOP, 0);
  // Tables that cannot be had at their size now grow on demand as usual.
  lua_cpcall(L, presizeTablesProtected, nullptr);
  lua_settop(L, 0);

  for (const LibrarySpec& library : config.libraries) {
    const int result = lua_cpcall(L, openLibraryProtected, const_cast<LibrarySpec*>(&library));
    if (result != 0) {
      const ErrorObject error = takeErrorObject(L);
      closeScriptState(L);
      auto at = VOERR_RAISE(status, voerr::kSoftwareFault, voerr::kSoftwareFaultName);
      appendInternalError(at, result, error);
      at.object("voxlatorlua_debug", {{"debug", "failed to load lua lib"}, {"lib", library.name}});
      return;
    }
  }
  if (config.times != nullptr) config.times->stateAndLibrariesNs = elapsedNs(started);
  started = std::chrono::steady_clock::now();

  PreloadCall preload;
  preload.modules = config.modules;
  const int preloadResult = lua_cpcall(L, addPreloadsProtected, &preload);
  if (preloadResult != 0 || preload.failures != 0) {
    ErrorObject error;
    if (preloadResult != 0) error = takeErrorObject(L);
    closeScriptState(L);
    auto at = VOERR_RAISE(status, voerr::kSoftwareFault, voerr::kSoftwareFaultName);
    // Compiler messages went to the standard error stream.
    appendInternalError(at, preloadResult != 0 ? preloadResult : 1, error);
    at.object("voxlatorlua_debug", {{"debug", "failed to add embedded modules to preload table"}});
    return;
  }
  if (config.times != nullptr) config.times->modulesNs = elapsedNs(started);
  started = std::chrono::steady_clock::now();

  SetupCall setup{name, registrationInfo};
  const int setupResult = lua_cpcall(L, setupProtected, &setup);
  if (setupResult != 0) {
    const ErrorObject error = takeErrorObject(L);
    closeScriptState(L);
    auto at = VOERR_RAISE(status, voerr::kSoftwareFault, voerr::kSoftwareFaultName);
    appendInternalError(at, setupResult, error);
    at.object(
        "voxlatorlua_debug",
        {{"debug", "lua setupEnv failed"}, {"name", name}, {"registrationInfo", registrationInfo}});
    return;
  }
  lua_settop(L, 0);
  if (config.times != nullptr) config.times->setupNs = elapsedNs(started);
  object.state = L;
}

// A state of its own arena is finished and its arena released whole; the
// objects need not be freed one by one.
void closeScriptState(lua_State* L) noexcept {
  void* context = nullptr;
  const lua_Alloc allocator = lua_getallocf(L, &context);
  if (allocator != StateArena::allocate) {
    lua_close(L);
    return;
  }
  voxlatorlua_finishState(L);
  StateArena::destroy(static_cast<StateArena*>(context));
}

void destroyScriptTranslator(voxlator::TranslatorInterface* translator) noexcept {
  if (translator == nullptr) return;
  ScriptTranslator* object = asScriptTranslator(translator);
  if (object->state != nullptr) closeScriptState(object->state);
  delete object;
}

char* scriptGetStaticDesc(voxlator::TranslatorInterface* translator, int32_t code, uint32_t options,
                          voxlator::AllocateFn allocate, void* allocContext,
                          voerr::Status& status) noexcept {
  lua_State* L = asScriptTranslator(translator)->state;
  if (L == nullptr) return nullptr;
  startCollectorWhenLarge(L);
  DescriptionCall call;
  call.code = code;
  call.language = voxlator::optionsLanguage(options);
  call.adeHint = voxlator::optionsAdeHint(options);
  call.allocate = allocate;
  call.allocContext = allocContext;
  call.status = &status;
  const int result = lua_cpcall(L, describeProtected, &call);
  if (result != 0) {
    const ErrorObject error = takeErrorObject(L);
    auto at = VOERR_RAISE(status, voerr::kSoftwareFault, voerr::kSoftwareFaultName);
    appendInternalError(at, call.scriptResult != 0 ? call.scriptResult : result, error);
    at.object("voxlatorlua_debug", {{"debug", "failed to get static desc"}});
    return nullptr;
  }
  return call.text;
}

char* scriptGetDynamicDesc(voxlator::TranslatorInterface* translator, const char* contextJson,
                           uint32_t options, const char* format, voxlator::AllocateFn allocate,
                           void* allocContext, voerr::Status& status) noexcept {
  if (status.isError()) return nullptr;
  lua_State* L = asScriptTranslator(translator)->state;
  if (L == nullptr) return nullptr;
  startCollectorWhenLarge(L);
  DescriptionCall call;
  call.dynamic = true;
  call.contextJson = contextJson;
  call.format = format;
  call.language = voxlator::optionsLanguage(options);
  call.adeHint = voxlator::optionsAdeHint(options);
  call.allocate = allocate;
  call.allocContext = allocContext;
  call.status = &status;
  const int result = lua_cpcall(L, describeProtected, &call);
  if (result != 0) {
    const ErrorObject error = takeErrorObject(L);
    auto at = VOERR_RAISE(status, voerr::kSoftwareFault, voerr::kSoftwareFaultName);
    appendInternalError(at, call.scriptResult != 0 ? call.scriptResult : result, error);
    at.object("voxlatorlua_debug", {{"debug", "failed to get dynamic desc"}});
    return nullptr;
  }
  if (call.returnedCode) {
    if (voerr::supersedes(status.code(), call.code32)) {
      VOERR_RAISE(status, call.code32, "(int32_t)lua_tointeger(L, -1)")
          .object("voxlatorlua_debug", {{"debug", "failed to get dynamic desc"}});
    }
    return nullptr;
  }
  return call.text;
}

voxlator::TranslatorInterface* newScriptTranslator(const char* name, const char* registrationInfo,
                                                   voerr::Status& status,
                                                   const HostConfig& config) noexcept {
  if (status.isError()) return nullptr;
  auto* object = new (std::nothrow) ScriptTranslator;
  if (object == nullptr) {
    VOERR_RAISE(status, voerr::kMemoryFull, voerr::kMemoryFullName)
        .object("voxlatorlua_debug", {{"debug", "failed to allocate translator"}});
    return nullptr;
  }
  createScriptTranslator(*object, name, registrationInfo, status, config);
  if (object->state == nullptr) {
    delete object;
    return nullptr;
  }
  const int result = lua_cpcall(object->state, registerUnmapProtected, nullptr);
  if (result != 0) {
    const ErrorObject error = takeErrorObject(object->state);
    destroyScriptTranslator(&object->head);
    auto at = VOERR_RAISE(status, voerr::kSoftwareFault, voerr::kSoftwareFaultName);
    appendInternalError(at, result, error);
    at.object("voxlatorlua_debug", {{"debug", "failed to register vomxl_unmapErrorCode"}});
    return nullptr;
  }
  return &object->head;
}

}  // namespace voxlatorlua
