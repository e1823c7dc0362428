/* The first half of lua_close (lstate.c), on the interpreter's internals:
   the headers are those of Debian's source package of the linked release
   (the include directory of this file in CMakeLists.txt). */
#include "xlatorlua/state_close.h"

#include "ldo.h"
#include "lfunc.h"
#include "lgc.h"
#include "lstate.h"

static void callFinalizers(lua_State* L, void* context) {
  (void)context;
  luaC_callGCTM(L);
}

void voxlatorlua_finishState(lua_State* L) {
  L = G(L)->mainthread;
  luaF_close(L, L->stack);
  luaC_separateudata(L, 1);
  L->errfunc = 0; /* no error function while finalisers run */
  do {            /* an error ends one finaliser; the next runs */
    L->ci = L->base_ci;
    L->base = L->top = L->ci->base;
    L->nCcalls = L->baseCcalls = 0;
  } while (luaD_rawrunprotected(L, callFinalizers, NULL) != 0);
}
