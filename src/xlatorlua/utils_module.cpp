// The functions the interpreter calls (l*) only check arguments, create the
// scratch, call one noexcept helper and finish: nothing with a destructor
// lives in their frames. The helpers do the C++ work and never raise.
#include "xlatorlua/utils_module.h"

#include <new>
#include <string>
#include <string_view>

#include "status/codes.h"
#include "xlator/error_file_translator.h"
#include "xlator/language.h"
#include "xlator/plugin_paths.h"
#include "xlatorlua/lua_support.h"

namespace voxlatorlua {

namespace {

// Runs `body` on the scratch, mapping an escaping exception to a status.
template <typename Body>
void runHelper(InterpreterScratch& scratch, Body&& body) noexcept {
  try {
    body(scratch.status, scratch.text);
  } catch (const std::bad_alloc&) {
    scratch.text.clear();
    VOERR_RAISE(scratch.status, voerr::kMemoryFull, voerr::kMemoryFullName)
        .object("voxlatorlua_debug", {{"debug", "out of memory in a native function"}});
  } catch (...) {
    scratch.text.clear();
    VOERR_RAISE(scratch.status, voerr::kSoftwareFault, voerr::kSoftwareFaultName)
        .object("voxlatorlua_debug", {{"debug", "exception in a native function"}});
  }
  if (scratch.status.isError()) scratch.text.clear();
}

void mbsToUtf8Helper(InterpreterScratch& scratch, uint32_t language,
                     std::string_view text) noexcept {
  runHelper(scratch, [&](voerr::Status& status, std::string& out) {
    voxlator::mbsToUtf8(language, text, out, status);
  });
}

void lookupVariableHelper(InterpreterScratch& scratch, const char* name,
                          const char* variable) noexcept {
  runHelper(scratch, [&](voerr::Status& status, std::string& out) {
    voxlator::lookupVariable(name, variable, out, status);
  });
}

void expandPathHelper(InterpreterScratch& scratch, const char* name, const char* path) noexcept {
  runHelper(scratch, [&](voerr::Status& status, std::string& out) {
    out = voxlator::expandPath(name, path, status);
  });
}

void convertLangToDirHelper(InterpreterScratch& scratch, uint32_t language) noexcept {
  runHelper(scratch, [&](voerr::Status& status, std::string& out) {
    out = voxlator::convertLangToDir(language, status);
  });
}

void findInErrorsDirHelper(InterpreterScratch& scratch, std::string_view directory, int32_t code,
                           uint32_t language) noexcept {
  runHelper(scratch, [&](voerr::Status& status, std::string& out) {
    voxlator::findDescriptionInErrorsDir(std::string(directory), code, language, out, status);
  });
}

void findInDirHelper(InterpreterScratch& scratch, std::string_view directory,
                     int32_t code) noexcept {
  runHelper(scratch, [&](voerr::Status& status, std::string& out) {
    voxlator::findDescriptionInDir(std::string(directory), code, out, status);
  });
}

std::string_view checkText(lua_State* L, int index) {
  size_t length = 0;
  const char* text = luaL_checklstring(L, index, &length);
  return {text, length};
}

int lMbsToUtf8(lua_State* L) {
  const uint32_t language = checkLanguageArgument(L, 1);
  const std::string_view text = checkText(L, 2);
  InterpreterScratch* scratch = pushScratch(L);
  mbsToUtf8Helper(*scratch, language, text);
  return finishNativeCall(L, scratch, false);
}

int lLookupVariable(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  const char* variable = luaL_checkstring(L, 2);
  InterpreterScratch* scratch = pushScratch(L);
  lookupVariableHelper(*scratch, name, variable);
  return finishNativeCall(L, scratch, false);
}

int lExpandPath(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  const char* path = luaL_checkstring(L, 2);
  InterpreterScratch* scratch = pushScratch(L);
  expandPathHelper(*scratch, name, path);
  return finishNativeCall(L, scratch, false);
}

int lConvertLangToDir(lua_State* L) {
  const uint32_t language = checkLanguageArgument(L, 1);
  InterpreterScratch* scratch = pushScratch(L);
  convertLangToDirHelper(*scratch, language);
  return finishNativeCall(L, scratch, false);
}

int lFindErrorDescriptionFromErrorsDir(lua_State* L) {
  const std::string_view directory = checkText(L, 1);
  const int32_t code = checkCodeArgument(L, 2);
  const uint32_t language = checkLanguageArgument(L, 3);
  InterpreterScratch* scratch = pushScratch(L);
  findInErrorsDirHelper(*scratch, directory, code, language);
  return finishNativeCall(L, scratch, true);
}

int lFindErrorDescriptionFromDir(lua_State* L) {
  const std::string_view directory = checkText(L, 1);
  const int32_t code = checkCodeArgument(L, 2);
  InterpreterScratch* scratch = pushScratch(L);
  findInDirHelper(*scratch, directory, code);
  return finishNativeCall(L, scratch, true);
}

}  // namespace

int openUtils(lua_State* L) {
  const luaL_Reg functions[] = {
      {"mbsToUtf8", lMbsToUtf8},
      {"lookupVariable", lLookupVariable},
      {"expandPath", lExpandPath},
      {"convertLangToDir", lConvertLangToDir},
      {"findErrorDescriptionFromErrorsDir", lFindErrorDescriptionFromErrorsDir},
      {"findErrorDescriptionFromDir", lFindErrorDescriptionFromDir},
      {"findErrorDescriptionFromFile", lFindErrorDescriptionFromDir},
      {nullptr, nullptr},
  };
  luaL_register(L, "voxlatorluautils", functions);
  // The very same function under both names.
  lua_getfield(L, -1, "findErrorDescriptionFromDir");
  lua_setfield(L, -2, "findErrorDescriptionFromFile");
  return 1;
}

}  // namespace voxlatorlua
