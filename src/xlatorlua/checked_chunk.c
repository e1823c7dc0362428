/* The interpreter's undumper is compiled a second time for this file, as
   voxlatorlua_undumpChecked and without its checks (lundump.c among the
   sources of vo_xlatorlua in CMakeLists.txt); the frame around it is the
   interpreter's protected parser for one binary chunk. */
#include "xlatorlua/checked_chunk.h"

#include "ldo.h"
#include "lfunc.h"
#include "lgc.h"
#include "lobject.h"
#include "lstate.h"
#include "lzio.h"

Proto* voxlatorlua_undumpChecked(lua_State* L, ZIO* z, Mbuffer* buffer, const char* name);

typedef struct {
  const char* data;
  size_t size;
} Chunk;

typedef struct {
  ZIO z;
  Mbuffer buffer;
  const char* name;
} Load;

static const char* readChunk(lua_State* L, void* context, size_t* size) {
  Chunk* chunk = (Chunk*)context;
  (void)L;
  if (chunk->size == 0) return NULL;
  *size = chunk->size;
  chunk->size = 0;
  return chunk->data;
}

static void undumpProtected(lua_State* L, void* context) {
  Load* load = (Load*)context;
  Proto* function;
  Closure* closure;
  int i;
  luaC_checkGC(L);
  function = voxlatorlua_undumpChecked(L, &load->z, &load->buffer, load->name);
  closure = luaF_newLclosure(L, function->nups, hvalue(gt(L)));
  closure->l.p = function;
  for (i = 0; i < function->nups; i++) closure->l.upvals[i] = luaF_newupval(L);
  setclvalue(L, L->top, closure);
  incr_top(L);
}

int voxlatorlua_loadCheckedChunk(lua_State* L, const char* data, size_t size, const char* name) {
  Chunk chunk;
  Load load;
  int status;
  chunk.data = data;
  chunk.size = size;
  luaZ_init(L, &load.z, readChunk, &chunk);
  luaZ_initbuffer(L, &load.buffer);
  load.name = name;
  status = luaD_pcall(L, undumpProtected, &load, savestack(L, L->top), L->errfunc);
  luaZ_freebuffer(L, &load.buffer);
  return status;
}
