#pragma once

// Conversions between the 32-bit handles the program's logic passes around and
// the pointer-sized handles of 64-bit Windows. Window and GDI handles carry 32
// significant bits: narrowing keeps them, widening sign-extends them, as
// HandleToLong and LongToHandle do.

#include <windows.h>

#include <cstdint>
#include <string>

#include "common/checked.h"

namespace lightmatrix::win32 {

template <typename Handle>
Handle fromInt32(Int32 value) {
    return reinterpret_cast<Handle>(static_cast<std::intptr_t>(value));
}

template <typename Handle>
Int32 toInt32(Handle handle) {
    return static_cast<Int32>(reinterpret_cast<std::intptr_t>(handle));
}

// Text from the program's logic as UTF-16 for the wide Win32 calls. Text that
// is not valid UTF-8 is read in the system's ANSI code page instead.
std::wstring widen(const std::string& text);

// Looks up an optional function of a system DLL by name; nullptr when this
// version of Windows lacks it.
template <typename Function>
Function optionalFunction(const wchar_t* module, const char* name) {
    const HMODULE handle = GetModuleHandleW(module);
    if (handle == nullptr) return nullptr;
    // Through void (*)(), which any function pointer may be cast to and from.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}

}  // namespace lightmatrix::win32
