// The conversions of textconv.h build their results in standard strings; a
// failed allocation there is reported as outOfMemory, with the output empty.
#pragma once
#include <new>
#include <stdexcept>

#include "platform/textconv.h"

namespace voplat {

template <typename Out, typename Convert>
ConvResult guardedConversion(Out& out, Convert convert) noexcept {
  try {
    return convert();
  } catch (const std::bad_alloc&) {
    out.clear();
    return ConvResult::outOfMemory;
  } catch (const std::length_error&) {
    out.clear();
    return ConvResult::outOfMemory;
  }
}

}  // namespace voplat
