// Helpers shared by the native functions that scripts call and by the host.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "status/status.h"
#include "xlatorlua/lua_api.h"

namespace voxlatorlua {

// Working storage of a native function that is owned by the interpreter: it
// lives in a userdata whose finaliser runs its destructor. A native function
// creates it before any C++ work, lets noexcept helpers fill it, then pushes
// what it holds and raises or returns; should the interpreter raise meanwhile
// (an allocation failure while pushing the result), the longjmp skips no
// destructor and the garbage collector releases the storage later.
struct InterpreterScratch {
  voerr::Status status;  // fresh: success, no context
  std::string text;      // the result
  bool failed = false;   // a helper could not produce a result

  // Gives the memory back at once instead of at the next collection.
  void release() noexcept {
    status.clear();
    std::string().swap(text);
  }
};

// Pushes a new, empty scratch and returns it. May raise (allocation); nothing
// has been constructed then.
InterpreterScratch* pushScratch(lua_State* L);

// When the scratch's status holds an error: pushes its context text, releases
// the scratch and raises it as the script error (does not return). Otherwise
// pushes the result text (nil instead of an empty text when nilWhenEmpty),
// releases the scratch and returns 1.
int finishNativeCall(lua_State* L, InterpreterScratch* scratch, bool nilWhenEmpty);

// Reads an integer argument as a language index: values outside 0..2^32-1
// become 0xffffffff, which no language has. Raises on a wrong argument.
uint32_t checkLanguageArgument(lua_State* L, int index);

// Reads an integer argument as a status code: the low 32 bits of the
// integer, as a signed code. Raises on a wrong argument.
int32_t checkCodeArgument(lua_State* L, int index);

// The low 32 bits of a number's integer part, as a signed 32-bit code. Exact
// for every finite value (also beyond the 64-bit range); NaN and the
// infinities give 0.
int32_t lowWordOfNumber(double value) noexcept;

// The text of an error object on the stack for an error context: a string
// as it is, a number in the interpreter's "%.14g" form; false when it is
// neither. Reads without calling the interpreter in a way that can raise.
bool errorObjectText(lua_State* L, int index, std::string& out) noexcept;

// Appends "internal_error": {"api": "lua", "code": code, "string": message}
// at the appender's level; the message is left out when `message` is null.
void appendLuaInternalError(voerr::Appender& at, int code, const std::string* message) noexcept;

}  // namespace voxlatorlua
