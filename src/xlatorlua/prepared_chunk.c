/* The loader of prepared chunks (prepared_chunk.h). It builds the function
   prototypes as the interpreter's undumper (lundump.c) does, with the
   interpreter's own internals, but reads from memory directly and takes the
   strings from the chunk's pool. No collection step can run in between:
   nothing here calls luaC_checkGC, so objects made early are still alive
   when they are linked; prototypes sit on the stack while they are filled,
   as the undumper keeps them. */
#include "xlatorlua/prepared_chunk.h"

#include <limits.h>
#include <string.h>

#include "ldo.h"
#include "lfunc.h"
#include "lgc.h"
#include "lmem.h"
#include "lobject.h"
#include "lstate.h"
#include "lstring.h"
#include "lundump.h"

typedef struct {
  lua_State* L;
  const unsigned char* at;
  const unsigned char* end;
  const char* name;
  TString** strings; /* the pool: [0] is null, as reference 0 names no string */
  int poolSize;      /* elements of `strings` */
} Reader;

static void fail(Reader* r, const char* why) {
  luaO_pushfstring(r->L, "%s: %s in precompiled chunk", r->name, why);
  luaD_throw(r->L, LUA_ERRSYNTAX);
}

static void need(Reader* r, size_t bytes) {
  if ((size_t)(r->end - r->at) < bytes) fail(r, "unexpected end");
}

/* The take functions read bytes that the caller has made sure of with need. */
static uint32_t takeU32(Reader* r) {
  uint32_t value;
  memcpy(&value, r->at, sizeof value);
  r->at += sizeof value;
  return value;
}

static int takeInt(Reader* r) {
  uint32_t value = takeU32(r);
  if (value > INT_MAX) fail(r, "bad integer");
  return (int)value;
}

static TString* takeString(Reader* r) {
  uint32_t reference = takeU32(r);
  if (reference >= (uint32_t)r->poolSize) fail(r, "bad string reference");
  return r->strings[reference];
}

/* A count of `size`-byte elements, which the rest of the chunk must hold. */
static int readCount(Reader* r, size_t size) {
  int n;
  need(r, sizeof(uint32_t));
  n = takeInt(r);
  need(r, (size_t)n * size);
  return n;
}

/* The interpreter's string `text` with the hash `h` known in advance: the
   existing one, or a new one made as luaS_newlstr makes it (lstring.c). */
static TString* internString(lua_State* L, const char* text, size_t length, unsigned int h) {
  global_State* g = G(L);
  stringtable* table = &g->strt;
  GCObject* o;
  TString* s;
  for (o = table->hash[lmod(h, table->size)]; o != NULL; o = o->gch.next) {
    s = rawgco2ts(o);
    if (s->tsv.len == length && memcmp(text, getstr(s), length) == 0) {
      if (isdead(g, o)) changewhite(o); /* dead but not yet swept: revive */
      return s;
    }
  }
  if (length + 1 > (MAX_SIZET - sizeof(TString)) / sizeof(char)) luaM_toobig(L);
  s = (TString*)luaM_malloc(L, (length + 1) * sizeof(char) + sizeof(TString));
  s->tsv.len = length;
  s->tsv.hash = h;
  s->tsv.marked = luaC_white(g);
  s->tsv.tt = LUA_TSTRING;
  s->tsv.reserved = 0;
  memcpy(s + 1, text, length * sizeof(char));
  ((char*)(s + 1))[length] = '\0';
  h = lmod(h, table->size);
  s->tsv.next = table->hash[h];
  table->hash[h] = obj2gco(s);
  table->nuse++;
  if (table->nuse > (lu_int32)table->size && table->size <= MAX_INT / 2)
    luaS_resize(L, table->size * 2);
  return s;
}

/* The pool. Its first string is hashed by the interpreter itself, which
   proves that the chunk's hashes are this interpreter's. References are read
   only after it. */
static void readStrings(Reader* r) {
  uint32_t i;
  int n = readCount(r, 2 * sizeof(uint32_t));
  r->strings = luaM_newvector(r->L, n + 1, TString*);
  r->poolSize = n + 1;
  r->strings[0] = NULL;
  for (i = 1; i <= (uint32_t)n; i++) {
    uint32_t hash, length;
    const char* text;
    need(r, 2 * sizeof(uint32_t));
    hash = takeU32(r);
    length = takeU32(r);
    need(r, length);
    text = (const char*)r->at;
    r->at += length;
    if (i == 1) {
      r->strings[1] = luaS_newlstr(r->L, text, length);
      if (r->strings[1]->tsv.hash != hash) fail(r, "string hash of another interpreter");
    } else {
      r->strings[i] = internString(r->L, text, length, hash);
    }
  }
}

static void readCode(Reader* r, Proto* f) {
  int n = readCount(r, sizeof(Instruction));
  f->code = luaM_newvector(r->L, n, Instruction);
  f->sizecode = n;
  if (n > 0) memcpy(f->code, r->at, (size_t)n * sizeof(Instruction));
  r->at += (size_t)n * sizeof(Instruction);
}

static Proto* readFunction(Reader* r, TString* parentSource);

static void readConstants(Reader* r, Proto* f) {
  lua_State* L = r->L;
  int i;
  int n = readCount(r, 1);
  f->k = luaM_newvector(L, n, TValue);
  f->sizek = n;
  for (i = 0; i < n; i++) setnilvalue(&f->k[i]);
  for (i = 0; i < n; i++) {
    TValue* o = &f->k[i];
    need(r, 1);
    switch (*r->at++) {
      case LUA_TNIL:
        break;
      case LUA_TBOOLEAN:
        need(r, 1);
        setbvalue(o, *r->at++ != 0);
        break;
      case LUA_TNUMBER: {
        lua_Number number;
        need(r, sizeof number);
        memcpy(&number, r->at, sizeof number);
        r->at += sizeof number;
        setnvalue(o, number);
        break;
      }
      case LUA_TSTRING: {
        TString* s;
        need(r, sizeof(uint32_t));
        s = takeString(r);
        if (s == NULL) fail(r, "bad constant");
        setsvalue2n(L, o, s);
        break;
      }
      default:
        fail(r, "bad constant");
    }
  }
  n = readCount(r, sizeof(uint32_t));
  f->p = luaM_newvector(L, n, Proto*);
  f->sizep = n;
  for (i = 0; i < n; i++) f->p[i] = NULL;
  for (i = 0; i < n; i++) f->p[i] = readFunction(r, f->source);
}

static void readDebug(Reader* r, Proto* f) {
  lua_State* L = r->L;
  int i;
  int n = readCount(r, sizeof(int));
  f->lineinfo = luaM_newvector(L, n, int);
  f->sizelineinfo = n;
  if (n > 0) memcpy(f->lineinfo, r->at, (size_t)n * sizeof(int)); /* none when stripped */
  r->at += (size_t)n * sizeof(int);
  n = readCount(r, 3 * sizeof(uint32_t));
  f->locvars = luaM_newvector(L, n, LocVar);
  f->sizelocvars = n;
  for (i = 0; i < n; i++) f->locvars[i].varname = NULL;
  for (i = 0; i < n; i++) {
    f->locvars[i].varname = takeString(r);
    f->locvars[i].startpc = takeInt(r);
    f->locvars[i].endpc = takeInt(r);
  }
  n = readCount(r, sizeof(uint32_t));
  f->upvalues = luaM_newvector(L, n, TString*);
  f->sizeupvalues = n;
  for (i = 0; i < n; i++) f->upvalues[i] = NULL;
  for (i = 0; i < n; i++) f->upvalues[i] = takeString(r);
}

static Proto* readFunction(Reader* r, TString* parentSource) {
  lua_State* L = r->L;
  Proto* f;
  if (++L->nCcalls > LUAI_MAXCCALLS) fail(r, "code too deep");
  f = luaF_newproto(L);
  setptvalue2s(L, L->top, f);
  incr_top(L);
  need(r, 3 * sizeof(uint32_t) + 4);
  f->source = takeString(r);
  if (f->source == NULL) f->source = parentSource;
  f->linedefined = takeInt(r);
  f->lastlinedefined = takeInt(r);
  f->nups = r->at[0];
  f->numparams = r->at[1];
  f->is_vararg = r->at[2];
  f->maxstacksize = r->at[3];
  r->at += 4;
  readCode(r, f);
  readConstants(r, f);
  readDebug(r, f);
  L->top--;
  L->nCcalls--;
  return f;
}

static void readHeader(Reader* r) {
  char header[LUAC_HEADERSIZE];
  need(r, VOXLATORLUA_PREPARED_SIGNATURE_SIZE + LUAC_HEADERSIZE);
  if (memcmp(r->at, VOXLATORLUA_PREPARED_SIGNATURE, VOXLATORLUA_PREPARED_SIGNATURE_SIZE) != 0)
    fail(r, "bad signature");
  r->at += VOXLATORLUA_PREPARED_SIGNATURE_SIZE;
  luaU_header(header);
  if (memcmp(r->at, header, LUAC_HEADERSIZE) != 0) fail(r, "bad header");
  r->at += LUAC_HEADERSIZE;
}

static void loadProtected(lua_State* L, void* context) {
  Reader* r = (Reader*)context;
  Proto* main;
  Closure* closure;
  int i;
  luaC_checkGC(L);
  readHeader(r);
  readStrings(r);
  main = readFunction(r, luaS_newliteral(L, "=?")); /* the undumper's name of a nameless chunk */
  if (r->at != r->end) fail(r, "trailing bytes");
  closure = luaF_newLclosure(L, main->nups, hvalue(gt(L)));
  closure->l.p = main;
  for (i = 0; i < main->nups; i++) closure->l.upvals[i] = luaF_newupval(L);
  setclvalue(L, L->top, closure);
  incr_top(L);
}

int voxlatorlua_loadPreparedChunk(lua_State* L, const char* data, size_t size, const char* name) {
  Reader r;
  int status;
  r.L = L;
  r.at = (const unsigned char*)data;
  r.end = r.at + size;
  r.name = (*name == '@' || *name == '=') ? name + 1 : name;
  r.strings = NULL;
  r.poolSize = 0;
  status = luaD_pcall(L, loadProtected, &r, savestack(L, L->top), L->errfunc);
  luaM_freearray(L, r.strings, r.poolSize, TString*);
  return status;
}

typedef struct {
  const char* text;
  size_t length;
  uint32_t hash;
} HashCall;

static void hashProtected(lua_State* L, void* context) {
  HashCall* call = (HashCall*)context;
  call->hash = luaS_newlstr(L, call->text, call->length)->tsv.hash;
}

int voxlatorlua_stringHash(lua_State* L, const char* text, size_t length, uint32_t* hash) {
  HashCall call;
  int status;
  call.text = text;
  call.length = length;
  call.hash = 0;
  status = luaD_pcall(L, hashProtected, &call, savestack(L, L->top), L->errfunc);
  *hash = call.hash;
  return status;
}
