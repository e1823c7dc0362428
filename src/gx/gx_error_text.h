// Error text for the graphical environment: the description of a status in a
// GX string handle.
#pragma once
#include <cstdint>

#include "gx/gx_runtime.h"

namespace vogx {

// Code 0 leaves the handle untouched and returns 0. Otherwise stores a line
// feed and the description in the language's code page, creating the handle
// when *handle is null; 0, -52000 when the handle cannot be resized, -52005
// for a null handle pointer, or the exception barrier's code.
int32_t GXGetError(uint32_t session, int32_t errorCode, GxStringHandle* handle);

}  // namespace vogx
