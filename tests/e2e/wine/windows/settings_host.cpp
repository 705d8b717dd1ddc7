// A stand-in for the system's screen-saver settings, run under Wine by the
// preview test: it looks at the saver with the calls a settings dialog could
// make, one line per check, and exits 0 if every check passed. Paths are ASCII.
//   preview SCR RELEASE-FILE: makes a dialog with a 152 x 112 preview pane and
//     starts "SCR /p <pane>". It prints "embedded" once the saver's window is
//     a child of the pane, waits for RELEASE-FILE to exist, checks the window
//     in the pane, then destroys the pane and checks that the saver ends.
//   resources SCR ICO: checks the program file's version record, description,
//     icon (the image of ICO) and manifest.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

int resources(const std::wstring& scr, const std::string& ico) {
    std::vector<unsigned char> record(GetFileVersionInfoSizeW(scr.c_str(), nullptr));
    GetFileVersionInfoW(scr.c_str(), 0, static_cast<DWORD>(record.size()), record.data());
    for (const std::wstring name : {L"FileVersion", L"ProductVersion"}) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring key = L"\\StringFileInfo\\040904B0\\" + name;
        check(!record.empty() && VerQueryValueW(record.data(), key.c_str(), &value, &length) &&
                  std::wcscmp(static_cast<const wchar_t*>(value), L"1.00") == 0,
              "the US English version record's " + std::string(name.begin(), name.end()) +
                  " is 1.00");
    }
    const HMODULE module = LoadLibraryExW(
        scr.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) return 1;
    check(FindResourceExW(module, RT_VERSION, MAKEINTRESOURCEW(1),
                          MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)) != nullptr,
          "the version resource is US English");
    // The name that older settings dialogs list.
    wchar_t description[64] = L"";
    LoadStringW(module, 1, description, 64);
    check(std::wcscmp(description, L"Light Matrix") == 0, "string resource 1 is Light Matrix");

    // The bytes of a resource; none if there is no such resource.
    const auto bytes = [module](LPCWSTR name, LPCWSTR type) {
        const HRSRC found = FindResourceW(module, name, type);
        const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return data == nullptr ? std::string() : std::string(data, SizeofResource(module, found));
    };
    std::vector<LPWSTR> icons;
    EnumResourceNamesW(
        module, RT_GROUP_ICON,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
            reinterpret_cast<std::vector<LPWSTR>*>(found)->push_back(name);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&icons));
    // A GRPICONDIR of one image: reserved, type and count, then a 14-byte entry.
    const std::string group =
        icons.size() == 1 && IS_INTRESOURCE(icons[0]) ? bytes(icons[0], RT_GROUP_ICON) : "";
    check(
        group.size() == 20 && group[4] == 1 && group[6] == 32 && group[7] == 32 && group[12] == 24,
        "the program file has one icon, of one 32 x 32 image in 24-bit colour");
    // The .ico's own header and its one directory entry come first: 22 bytes.
    std::ifstream in(ico, std::ios::binary);
    const std::string file{std::istreambuf_iterator<char>(in), {}};
    const auto image =
        static_cast<WORD>(group.size() == 20 ? (group[18] & 0xFF) | group[19] << 8 : 0);
    check(file.size() > 22 && file.substr(22) == bytes(MAKEINTRESOURCEW(image), RT_ICON),
          "the icon's image is that of res/lightmatrix.ico");

    const std::string manifest = bytes(MAKEINTRESOURCEW(1), RT_MANIFEST);
    check(manifest.find("PerMonitorV2") != std::string::npos &&
              manifest.find(">true/pm<") != std::string::npos,
          "the manifest declares per-monitor DPI awareness");
    FreeLibrary(module);
    return exitStatus();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 4 ? argv[1] : "";
    const std::string scr = argc == 4 ? argv[2] : "";
    if (mode == "preview")
        return preview({scr.begin(), scr.end()}, {argv[3], argv[3] + std::strlen(argv[3])});
    if (mode == "resources") return resources({scr.begin(), scr.end()}, argv[3]);
    std::fprintf(stderr, "usage: %s preview SCR RELEASE-FILE | resources SCR ICO\n", argv[0]);
    return 2;
}
