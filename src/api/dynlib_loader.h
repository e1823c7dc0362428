// Loading outside modules with the failure reported into a status: the
// context names the module or symbol and carries the system's error.
#pragma once
#include "platform/dynlib.h"
#include "status/status.h"

// Loads a module by its UTF-8 name with the standard search order. Does
// nothing and returns null when the status already holds an error; on failure
// raises -52005 with a "vodynlib_debug" object naming the path and the
// system's error as "internal_error". Running out of memory while loading
// raises -52000 instead.
voplat::ModuleHandle vodynlib_load(const char* utf8Name, voerr::Status& status) noexcept;

// Looks a symbol up. Does nothing and returns null when the status already
// holds an error (so a lookup after a failed load changes nothing); on failure
// raises -52005 naming the symbol, or -52000 when memory ran out.
void* vodynlib_findSymbol(voplat::ModuleHandle module, const char* symbol,
                          voerr::Status& status) noexcept;
