// lightmatrix_sleep_probe: the screen saver's logic on the Win32 backend, run
// under Wine by the sleep test, on a steady clock that only the probe moves
// and a wall clock that starts at 1000 s after midnight. First in a preview
// pane of its own dialog, then full screen, it hides the window in each way
// the system can (the pane hidden, its dialog minimised, the window
// minimised, the display off) and checks, one line per check, that no tick
// runs while the window is unseen and that every tick due has run once it
// shows again. Then it prints "ready SECONDS", SECONDS being how long its
// clock ran, and runs the event loop, the clock standing still, until the
// window closes; the test compares the screen with the renderer's frame at
// that time. It exits 0 if every check passed.

#include <chrono>
#include <cstdint>
#include <string>

#include "checks.h"
#include "platform/win32/win32_backend.h"
#include "saver/program.h"
#include "saver/saver.h"

namespace lightmatrix {
namespace {

using namespace std::chrono_literals;
using wine_test::check;

// The clock the backends keep to: it moves only when the probe moves it.
const auto kStart = std::chrono::steady_clock::now();
std::chrono::milliseconds elapsed{0};

// The saver on a backend of its own, loaded with `commandLine`.
struct Probed {
    explicit Probed(const std::string& commandLine)
        : backend(
              GetModuleHandleW(nullptr), [] { return kStart + elapsed; },
              [] { return 1000.0 + std::chrono::duration<double>(elapsed).count(); }),
          saver(backend.window(), backend.panel(), backend, backend.clock(), backend.generator()),
          loaded(saver.load(commandLine, backend.instanceCheck())) {}

    // Moves the clock on by `time`, the loop running a round every 50 ms of it.
    void run(std::chrono::milliseconds time) {
        for (const auto end = elapsed + time; elapsed < end;) {
            elapsed += 50ms;
            backend.processPendingEvents();
        }
    }
    // The ticks due by now: one every 10 ms since the start.
    std::int64_t ticksDue() const { return elapsed.count() / 10; }

    // Hides the window with `hide`, runs `unseen` of the clock, shows it
    // again with `show` and runs `seeing` more: checks that no tick ran
    // while it was unseen and that every tick due ran once it showed.
    template <class Hide, class Show>
    void sleepAndWake(const std::string& how, Hide hide, Show show,
                      std::chrono::milliseconds seeing) {
        hide();
        run(seeing);
        const std::int64_t before = saver.lightingTicks();
        const bool slept = !backend.seen();
        run(7min);  // across a clearing
        check(slept && saver.lightingTicks() == before,
              how + ": asleep, " + std::to_string(saver.lightingTicks() - before) + " ticks run");
        show();
        run(seeing);
        check(backend.seen() && saver.lightingTicks() == ticksDue(),
              how + ", then shown: " + std::to_string(saver.lightingTicks()) + " ticks of " +
                  std::to_string(ticksDue()) + " due");
    }

    Win32Backend backend;
    Saver saver;
    bool loaded;
};

// The display's state as the system tells it: 0 off, 1 on.
void tellDisplay(HWND window, DWORD state) {
    struct {
        POWERBROADCAST_SETTING setting;
        DWORD data;
    } told{};
    told.setting.PowerSetting = {
        0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
    told.setting.DataLength = sizeof(DWORD);
    told.setting.Data[0] = static_cast<UCHAR>(state);
    SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                 reinterpret_cast<LPARAM>(&told.setting));
}

}  // namespace
}  // namespace lightmatrix

int main() {
    using namespace lightmatrix;
    try {
        {
            const HWND dialog = CreateWindowExW(0, L"STATIC", L"Screen Saver Settings",
                                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400,
                                                300, nullptr, nullptr, nullptr, nullptr);
            const HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 40, 30, 152,
                                              112, dialog, nullptr, nullptr, nullptr);
            Probed preview("/p " +
                           std::to_string(reinterpret_cast<std::uintptr_t>(pane) & 0xFFFFFFFFu));
            check(preview.loaded && preview.backend.window().embedded(), "the preview runs");
            preview.run(10s);
            // The pane is looked at once a second: 2 s are enough to see it change.
            preview.sleepAndWake(
                "the pane hidden", [&] { ShowWindow(pane, SW_HIDE); },
                [&] { ShowWindow(pane, SW_SHOW); }, 2s);
            preview.sleepAndWake(
                "the settings minimised", [&] { ShowWindow(dialog, SW_MINIMIZE); },
                [&] { ShowWindow(dialog, SW_RESTORE); }, 2s);
            DestroyWindow(dialog);
            preview.backend.processPendingEvents();
            check(preview.backend.ended(), "the preview ends with its pane");
        }
        elapsed = 0ms;
        Probed saver("");
        const HWND window = saver.backend.window().hwnd();
        saver.run(30s);
        check(saver.saver.lightingTicks() == saver.ticksDue(), "full screen, every tick runs");
        saver.sleepAndWake(
            "the window minimised", [&] { ShowWindow(window, SW_MINIMIZE); },
            [&] { ShowWindow(window, SW_SHOWMAXIMIZED); }, 100ms);
        saver.sleepAndWake(
            "the display off", [&] { tellDisplay(window, 0); }, [&] { tellDisplay(window, 1); },
            100ms);
        SetForegroundWindow(window);
        wine_test::say("ready " + std::to_string(std::chrono::duration<double>(elapsed).count()));
        saver.backend.run();
    } catch (const RuntimeError& error) {
        reportRuntimeError(error);
        return 1;
    }
    return wine_test::exitStatus();
}
