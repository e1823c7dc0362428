// Closing of a state whose memory is released as a whole.
//
// lua_close runs the finalisers (__gc of userdata) and then frees every
// object, string and stack one by one: an eighth of an error-text call, and
// wasted when the state's arena is released right after. A state is finished
// here instead: the finalisers run exactly as lua_close runs them, and
// nothing is freed.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

struct lua_State;

// Closes the upvalues of `L`'s main thread and calls the __gc metamethod of
// every userdata that has one, an error in one not stopping the others. The
// state cannot be used afterwards; the caller then releases all the memory
// its allocator handed out.
void voxlatorlua_finishState(struct lua_State* L);

#ifdef __cplusplus
}
#endif
