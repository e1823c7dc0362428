// Loading of precompiled chunks that the build has loaded once already.
//
// The interpreter checks every function of a precompiled chunk as it loads
// it (the instruction verifier of lundump.c), which costs as much as reading
// the chunk. The chunks embedded in the library were loaded, and so checked,
// by that same interpreter when the library was built; loading them again
// with the interpreter's own undumper built without those checks gives the
// same functions, debug information included.
#pragma once
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

struct lua_State;

// Pushes the function of the precompiled chunk `data` (which must begin
// with the interpreter's signature) as luaL_loadbuffer would. Returns 0, or
// the interpreter's status with the message pushed.
int voxlatorlua_loadCheckedChunk(struct lua_State* L, const char* data, size_t size,
                                 const char* name);

#ifdef __cplusplus
}
#endif
