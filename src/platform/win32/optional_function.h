#pragma once

#include <windows.h>

namespace lightmatrix {

// Looks up an optional function of a system DLL by name; nullptr when this
// version of Windows lacks it.
template <typename Function>
Function optionalFunction(const wchar_t* module, const char* name) {
    const HMODULE handle = GetModuleHandleW(module);
    if (handle == nullptr) return nullptr;
    // Through void (*)(), which any function pointer may be cast to and from.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}

}  // namespace lightmatrix
