#pragma once

// Win32 values the program passes to User32 and reads from Gdi32. Kept apart
// from the call interfaces so that no file sees both these and <windows.h>.

#include "common/checked.h"

namespace lightmatrix {

constexpr Int32 GWL_STYLE = -16;
constexpr Int32 GWL_HWNDPARENT = -8;
constexpr Int32 WS_CHILD = 0x40000000;
constexpr Int32 HWND_TOP = 0;
constexpr Int32 SWP_NOZORDER = 0x0004;
constexpr Int32 SWP_NOACTIVATE = 0x0010;
constexpr Int32 SWP_SHOWWINDOW = 0x0040;
constexpr Int32 CLR_INVALID = static_cast<Int32>(0xFFFFFFFFu);

}  // namespace lightmatrix
