// A stand-in for the system's screen-saver settings, run under Wine by the
// end-to-end tests. It starts lightmatrix.scr the way the settings do and
// looks at what it does with the calls the settings dialog itself could make.
//
//   lightmatrix_settings_host preview SCR [RELEASE-FILE]
//       Creates a dialog with a 152 x 112 preview pane, starts "SCR /p <pane>",
//       and checks that the saver's window becomes a visible child of the pane
//       at (0, 0) with the pane's client size and stays there while the saver
//       runs on. With RELEASE-FILE it then waits until that file exists. Then
//       it destroys the pane and checks that the saver ends, with status 0.
//   lightmatrix_settings_host run SCR ARGUMENTS
//       Starts SCR with exactly this argument text on its command line, as
//       CreateProcess passes it, and exits with the saver's exit status.
//   lightmatrix_settings_host resources SCR ICO
//       Checks the program file's version record, its description string,
//       its icon (the image of ICO) and its manifest.
//
// Each finding is one line on standard output; a failed check starts with
// "FAIL". The exit status is 0 when every check passed.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "checks.h"

namespace {

using lightmatrix::wine_test::check;
using lightmatrix::wine_test::say;

std::wstring widen(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length > 0 ? length - 1 : 0));
    return wide;
}

std::string narrow(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

// Runs `command` as CreateProcess would for the settings: no window of our own,
// standard error shared, so that the saver's error line reaches the test.
PROCESS_INFORMATION startProcess(const std::wstring& command) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    HANDLE errors = nullptr;
    HANDLE output = nullptr;
    const HANDLE self = GetCurrentProcess();
    DuplicateHandle(self, GetStdHandle(STD_ERROR_HANDLE), self, &errors, 0, TRUE,
                    DUPLICATE_SAME_ACCESS);
    DuplicateHandle(self, GetStdHandle(STD_OUTPUT_HANDLE), self, &output, 0, TRUE,
                    DUPLICATE_SAME_ACCESS);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = errors;
    startup.hStdOutput = output;
    startup.hStdInput = nullptr;
    std::wstring line = command;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        say("FAIL cannot start %s (error %lu)", narrow(command).c_str(), GetLastError());
        std::exit(3);
    }
    CloseHandle(errors);
    CloseHandle(output);
    return process;
}

// Handles this thread's messages for `ms` milliseconds, or until `process` ends.
// Returns whether the process ended.
bool pumpFor(DWORD ms, HANDLE process) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (process != nullptr && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        const DWORD left = static_cast<DWORD>(std::min<ULONGLONG>(end - now, 50));
        MsgWaitForMultipleObjects(process != nullptr ? 1 : 0, &process, FALSE, left, QS_ALLINPUT);
    }
}

struct Embedding {
    HWND window = nullptr;
};

BOOL CALLBACK findChildOf(HWND child, LPARAM found) {
    auto& embedding = *reinterpret_cast<Embedding*>(found);
    embedding.window = child;
    return FALSE;
}

// The state of the saver's window in the pane, checked as a whole.
void checkEmbedded(HWND pane, HWND window, DWORD saverPid, const char* when) {
    const std::string at = std::string(" (") + when + ")";
    check(IsWindow(window) != FALSE, "the saver's window exists" + at);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    check(owner == saverPid, "the pane's child window belongs to the saver" + at);
    check(GetAncestor(window, GA_PARENT) == pane, "its parent is the pane" + at);
    check(IsChild(pane, window) != FALSE, "it is a child window of the pane" + at);
    check((GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0, "it has the WS_CHILD style" + at);
    check(IsWindowVisible(window) != FALSE, "it is visible" + at);
    RECT paneClient{};
    GetClientRect(pane, &paneClient);
    RECT placed{};
    GetWindowRect(window, &placed);
    MapWindowPoints(HWND_DESKTOP, pane, reinterpret_cast<POINT*>(&placed), 2);
    char where[160];
    std::snprintf(
        where, sizeof where,
        "it covers the pane's client area exactly: (%ld, %ld)-(%ld, %ld) in (0, 0)-(%ld, %ld)",
        placed.left, placed.top, placed.right, placed.bottom, paneClient.right, paneClient.bottom);
    check(placed.left == 0 && placed.top == 0 && placed.right == paneClient.right &&
              placed.bottom == paneClient.bottom,
          where + at);
    wchar_t title[64] = L"";
    GetWindowTextW(window, title, 64);
    check(std::wcscmp(title, L"Form1") == 0, "its title is \"" + narrow(title) + "\"" + at);
}

int preview(const char* scr, const char* releaseFile) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW dialogClass{};
    dialogClass.lpfnWndProc = DefWindowProcW;
    dialogClass.hInstance = instance;
    dialogClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    dialogClass.lpszClassName = L"SettingsHostDialog";
    RegisterClassW(&dialogClass);
    WNDCLASSW paneClass = dialogClass;
    paneClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    paneClass.lpszClassName = L"SettingsHostPane";
    RegisterClassW(&paneClass);

    const HWND dialog = CreateWindowExW(0, L"SettingsHostDialog", L"Screen Saver Settings",
                                        WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300,
                                        nullptr, nullptr, instance, nullptr);
    const HWND pane = CreateWindowExW(0, L"SettingsHostPane", L"", WS_CHILD | WS_VISIBLE, 40, 30,
                                      152, 112, dialog, nullptr, instance, nullptr);
    if (dialog == nullptr || pane == nullptr) {
        say("FAIL cannot create the settings dialog");
        return 3;
    }
    pumpFor(200, nullptr);

    // The settings pass the pane's handle as an unsigned decimal number.
    const auto paneNumber =
        static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(pane) & 0xFFFFFFFFu);
    const std::wstring command = L"\"" + widen(scr) + L"\" /p " + std::to_wstring(paneNumber);
    say("pane %lu", paneNumber);
    PROCESS_INFORMATION saver = startProcess(command);

    Embedding embedding;
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (GetTickCount64() < deadline) {
        EnumChildWindows(pane, findChildOf, reinterpret_cast<LPARAM>(&embedding));
        if (embedding.window != nullptr) break;
        if (pumpFor(50, saver.hProcess)) break;
    }
    if (embedding.window == nullptr) {
        DWORD status = 0;
        GetExitCodeProcess(saver.hProcess, &status);
        check(false, "the saver's window became a child of the pane (saver status " +
                         std::to_string(status) + ")");
        TerminateProcess(saver.hProcess, 99);
        return 1;
    }
    // Let SetWindowPos, which comes last, take effect.
    pumpFor(500, saver.hProcess);
    checkEmbedded(pane, embedding.window, saver.dwProcessId, "just embedded");
    say("embedded");

    // It runs on there.
    const bool endedEarly = pumpFor(2000, saver.hProcess);
    check(!endedEarly, "the saver runs on in the pane");
    if (releaseFile != nullptr) {
        const std::wstring release = widen(releaseFile);
        const ULONGLONG until = GetTickCount64() + 120000;
        while (GetFileAttributesW(release.c_str()) == INVALID_FILE_ATTRIBUTES &&
               GetTickCount64() < until && !pumpFor(50, saver.hProcess)) {
        }
        check(GetFileAttributesW(release.c_str()) != INVALID_FILE_ATTRIBUTES,
              "the test released the pane");
    }
    check(WaitForSingleObject(saver.hProcess, 0) == WAIT_TIMEOUT, "the saver still runs");
    checkEmbedded(pane, embedding.window, saver.dwProcessId, "still running");

    // The settings close: the pane goes, and the saver with it.
    DestroyWindow(pane);
    const bool ended = pumpFor(20000, saver.hProcess);
    check(ended, "destroying the pane ends the saver");
    DWORD status = 259;
    GetExitCodeProcess(saver.hProcess, &status);
    check(ended && status == 0, "the saver's exit status is " + std::to_string(status));
    check(IsWindow(embedding.window) == FALSE, "the saver's window is gone");
    if (!ended) TerminateProcess(saver.hProcess, 99);
    DestroyWindow(dialog);
    CloseHandle(saver.hThread);
    CloseHandle(saver.hProcess);
    return lightmatrix::wine_test::exitStatus();
}

int run(const char* scr, const char* arguments) {
    std::wstring command = L"\"" + widen(scr) + L"\"";
    if (*arguments != '\0') command += L" " + widen(arguments);
    PROCESS_INFORMATION saver = startProcess(command);
    WaitForSingleObject(saver.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(saver.hProcess, &status);
    return static_cast<int>(status);
}

std::wstring versionString(const std::vector<unsigned char>& record, const wchar_t* path) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(record.data(), path, &value, &length) || length == 0) return L"";
    return static_cast<const wchar_t*>(value);
}

int resources(const char* scr, const char* ico) {
    const std::wstring path = widen(scr);

    // The version record: 1.00, US English.
    DWORD ignored = 0;
    std::vector<unsigned char> record(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    check(!record.empty() && GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(record.size()),
                                                 record.data()),
          "the program file has a version record");
    if (record.empty()) return 1;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length);
    check(fixed != nullptr && fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0 &&
              fixed->dwProductVersionMS == 0x00010000 && fixed->dwProductVersionLS == 0,
          "file and product version numbers are 1.0.0.0");
    WORD* translation = nullptr;
    VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation",
                   reinterpret_cast<void**>(&translation), &length);
    check(
        translation != nullptr && length >= 4 && translation[0] == 0x0409 && translation[1] == 1200,
        "the record's language is US English (0x0409, Unicode)");
    const std::wstring fileVersion =
        versionString(record, L"\\StringFileInfo\\040904B0\\FileVersion");
    const std::wstring productVersion =
        versionString(record, L"\\StringFileInfo\\040904B0\\ProductVersion");
    check(fileVersion == L"1.00", "FileVersion is \"" + narrow(fileVersion) + "\"");
    check(productVersion == L"1.00", "ProductVersion is \"" + narrow(productVersion) + "\"");

    const HMODULE module = LoadLibraryExW(
        path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        check(false, "the program file loads as a resource module");
        return 1;
    }
    check(FindResourceExW(module, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1),
                          MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)) != nullptr,
          "the version resource is US English");

    // The name that the settings list shows.
    wchar_t description[128] = L"";
    LoadStringW(module, 1, description, 128);
    say("description=%s", narrow(description).c_str());
    check(description[0] != L'\0', "string resource 1 holds the description");

    // One icon group with one image: 32 x 32, 24-bit, the committed .ico's image.
    std::vector<std::wstring> groups;
    EnumResourceNamesW(
        module, MAKEINTRESOURCEW(14),  // RT_GROUP_ICON
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
            auto& list = *reinterpret_cast<std::vector<std::wstring>*>(found);
            list.push_back(IS_INTRESOURCE(name)
                               ? L"#" + std::to_wstring(reinterpret_cast<std::uintptr_t>(name))
                               : name);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&groups));
    check(groups.size() == 1,
          "the program file has one icon (" + std::to_string(groups.size()) + ")");
    if (groups.size() == 1) {
        const std::wstring& name = groups[0];
        const HRSRC group = FindResourceW(
            module, name[0] == L'#' ? MAKEINTRESOURCEW(std::stoi(name.substr(1))) : name.c_str(),
            MAKEINTRESOURCEW(14));
        const auto* directory =
            static_cast<const unsigned char*>(LockResource(LoadResource(module, group)));
        // GRPICONDIR: reserved, type, count; then 14-byte entries.
        const unsigned count = directory[4] | directory[5] << 8;
        check(count == 1, "the icon has one image");
        const unsigned char* entry = directory + 6;
        const unsigned bits = entry[6] | entry[7] << 8;
        check(entry[0] == 32 && entry[1] == 32 && bits == 24,
              "the image is 32 x 32 in 24-bit colour");
        const unsigned id = entry[12] | entry[13] << 8;
        const HRSRC image =
            FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));  // RT_ICON
        const auto* data =
            static_cast<const unsigned char*>(LockResource(LoadResource(module, image)));
        const DWORD size = SizeofResource(module, image);
        std::ifstream in(widen(ico).c_str(), std::ios::binary);
        const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        check(file.size() > 22 && data != nullptr && file.size() - 22 == size &&
                  std::memcmp(file.data() + 22, data, size) == 0,
              "the icon's image is the generated lightmatrix.ico");
    }

    // The manifest declares per-monitor DPI awareness.
    const HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    std::string text;
    if (manifest != nullptr)
        text.assign(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                    SizeofResource(module, manifest));
    check(text.find("<dpiAwareness") != std::string::npos &&
              text.find("PerMonitorV2") != std::string::npos &&
              text.find(">true/pm<") != std::string::npos,
          "the manifest declares per-monitor DPI awareness");
    FreeLibrary(module);
    return lightmatrix::wine_test::exitStatus();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "preview" && (argc == 3 || argc == 4))
        return preview(argv[2], argc == 4 ? argv[3] : nullptr);
    if (command == "run" && argc == 4) return run(argv[2], argv[3]);
    if (command == "resources" && argc == 4) return resources(argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: %s preview SCR [RELEASE-FILE] | run SCR ARGUMENTS | resources SCR ICO\n",
                 argv[0]);
    return 2;
}
