#pragma once

#include <windows.h>

#include <cstdint>

#include "common/checked.h"

namespace lightmatrix {

// A window handle that arrives as a 32-bit value, such as the preview pane's
// on the command line, as a handle of 64-bit Windows. Window handles carry 32
// significant bits and are widened with their sign, as LongToHandle does.
template <typename Handle>
Handle handleFromInt32(Int32 value) {
    return reinterpret_cast<Handle>(static_cast<std::intptr_t>(value));
}

}  // namespace lightmatrix
