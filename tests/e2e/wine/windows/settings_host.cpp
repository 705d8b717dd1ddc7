// lightmatrix_settings_host SCR RELEASE-FILE: a stand-in for the system's
// screen-saver settings, run under Wine by the preview test. It makes a dialog
// with a 152 x 112 preview pane and starts "SCR /p <pane>", prints "embedded"
// once the saver's window is a child of the pane, waits for RELEASE-FILE to
// exist, checks the window in the pane with the calls a settings dialog could
// make, one line per check, then destroys the pane and checks that the saver
// ends. It exits 0 if every check passed. Paths are ASCII.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "checks.h"

namespace {

using namespace lightmatrix::wine_test;

// Handles this thread's messages for `ms` milliseconds, or until `process`
// ends; returns whether it ended.
bool pumpFor(DWORD ms, HANDLE process) {
    for (const ULONGLONG end = GetTickCount64() + ms; GetTickCount64() < end;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (MsgWaitForMultipleObjects(1, &process, FALSE, 10, QS_ALLINPUT) == WAIT_OBJECT_0)
            return true;
    }
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

int preview(const std::wstring& scr, const std::wstring& releaseFile) {
    const HWND dialog =
        CreateWindowExW(0, L"STATIC", L"Screen Saver Settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        100, 100, 400, 300, nullptr, nullptr, nullptr, nullptr);
    const HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 40, 30, 152, 112,
                                      dialog, nullptr, nullptr, nullptr);
    // The settings pass the pane's handle as an unsigned decimal number.
    const auto paneNumber = reinterpret_cast<std::uintptr_t>(pane) & 0xFFFFFFFFu;
    std::wstring command = L"\"" + scr + L"\" /p " + std::to_wstring(paneNumber);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION saver{};
    if (pane == nullptr || !CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                           nullptr, nullptr, &startup, &saver))
        return 3;

    HWND window = nullptr;
    for (int wait = 0; wait < 1200 && window == nullptr && !pumpFor(50, saver.hProcess); ++wait)
        window = GetWindow(pane, GW_CHILD);
    check(window != nullptr, "the saver's window became a child of the pane");
    if (window == nullptr) return 1;
    say("embedded");
    for (int wait = 0; wait < 2400 && !pumpFor(50, saver.hProcess) &&
                       GetFileAttributesW(releaseFile.c_str()) == INVALID_FILE_ATTRIBUTES;
         ++wait) {
    }

    check(WaitForSingleObject(saver.hProcess, 0) == WAIT_TIMEOUT, "the saver runs on in the pane");
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    check(owner == saver.dwProcessId && GetAncestor(window, GA_PARENT) == pane &&
              (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0,
          "the pane's child window is the saver's, with the WS_CHILD style");
    // Wine reports a child window's parent here, and no GW_OWNER.
    check(GetWindowLongPtrW(window, GWLP_HWNDPARENT) == reinterpret_cast<LONG_PTR>(pane),
          "its GWLP_HWNDPARENT is the pane");
    check(IsWindowVisible(window) != FALSE, "it is visible");
    RECT client{};
    RECT placed{};
    GetClientRect(pane, &client);
    GetWindowRect(window, &placed);
    MapWindowPoints(HWND_DESKTOP, pane, reinterpret_cast<POINT*>(&placed), 2);
    check(EqualRect(&client, &placed) != FALSE, "it covers the pane's client area exactly");
    wchar_t title[64] = L"";
    GetWindowTextW(window, title, 64);
    check(std::wcscmp(title, L"Form1") == 0, "its title is Form1");

    // The settings close: the pane goes, and the saver with it.
    DestroyWindow(pane);
    const bool ended = pumpFor(20000, saver.hProcess);
    DWORD status = STILL_ACTIVE;
    GetExitCodeProcess(saver.hProcess, &status);
    check(ended && status == 0,
          "destroying the pane ends the saver: status " + std::to_string(status));
    check(IsWindow(window) == FALSE, "the saver's window is gone");
    if (!ended) TerminateProcess(saver.hProcess, 99);
    return exitStatus();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SCR RELEASE-FILE\n", argv[0]);
        return 2;
    }
    return preview({argv[1], argv[1] + std::strlen(argv[1])},
                   {argv[2], argv[2] + std::strlen(argv[2])});
}
