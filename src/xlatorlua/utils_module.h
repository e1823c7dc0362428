// voxlatorluautils: the system's services offered to translator scripts.
//
// Seven native functions, in registration order:
//   mbsToUtf8(lang, text)                            code-page text to UTF-8
//   lookupVariable(translatorName, variable)         a plug-in path variable
//   expandPath(translatorName, path)                 a plug-in path, expanded
//   convertLangToDir(lang)                           "English", "French", ...
//   findErrorDescriptionFromErrorsDir(dir, code, lang)
//   findErrorDescriptionFromDir(dir, code)
//   findErrorDescriptionFromFile(dir, code)          the same function as
//                                                    findErrorDescriptionFromDir
// Arguments are checked with the interpreter's own checks. Each call works
// on a fresh status record; when it ends as an error, the function raises a
// script error whose message is that status's error-context JSON text, and
// otherwise returns one value: a string, or nil for a search that found no
// description. Language indexes are those of xlator/language.h; codes are
// taken as the low 32 bits of the number given.
#pragma once
#include "xlatorlua/lua_api.h"

namespace voxlatorlua {

// Opens the module: the table "voxlatorluautils", a global and a loaded
// module.
int openUtils(lua_State* L);

}  // namespace voxlatorlua
