// Prepared chunks: the embedded modules in the form that loads fastest.
//
// A module precompiled by luac is stored by the build as a prepared chunk:
// the same functions, constants and debug information, but with every
// string of the chunk stored once, in a pool at its head, together with the
// hash that the interpreter gives it. Loading then creates each distinct
// string once and never hashes it, and reads the rest straight from memory.
// The build converts each chunk, loads the result with this loader and
// checks that it dumps to the same bytes as the chunk itself, so a prepared
// chunk stands for its luac chunk exactly.
//
// Layout (integers little-endian, as the interpreter's own chunks on the
// platforms built for):
//   signature  "\033VoP"
//   header     the 12 bytes of the interpreter's chunk header (version,
//              format, endianness, sizes of int, size_t, Instruction and
//              lua_Number, integral numbers)
//   u32        number of strings, then per string: u32 hash, u32 length,
//              the bytes (no terminating NUL)
//   function   the main function, as luac writes a function, except that a
//              string is a u32 reference (0: none; n: the pool's n-th
//              string) and every count or integer is a u32
#pragma once
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct lua_State;

#define VOXLATORLUA_PREPARED_SIGNATURE "\033VoP"
#define VOXLATORLUA_PREPARED_SIGNATURE_SIZE 4

// Pushes the main function of the prepared chunk `data`, as luaL_loadbuffer
// pushes a chunk's. The functions are not verified again: prepared chunks
// come from the build, which verified them. Returns 0, or the interpreter's
// status (LUA_ERRSYNTAX for a malformed chunk or one made for another
// interpreter, LUA_ERRMEM) with the message pushed.
int voxlatorlua_loadPreparedChunk(struct lua_State* L, const char* data, size_t size,
                                  const char* name);

// Sets *hash to the hash that the interpreter of `L` gives the string
// `text`, as prepared chunks store it. Returns 0, or LUA_ERRMEM with the
// message pushed.
int voxlatorlua_stringHash(struct lua_State* L, const char* text, size_t length, uint32_t* hash);

#ifdef __cplusplus
}
#endif
