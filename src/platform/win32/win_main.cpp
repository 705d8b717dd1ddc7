// lightmatrix.scr: the screen saver's entry point on Windows.

#include <windows.h>

#include "common/constants.h"
#include "platform/win32/run_stats.h"
#include "platform/win32/win32_platform.h"
#include "shell/program_start.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    using namespace lightmatrix;
    int status = 1;
    std::int64_t lightingTicks = 0;
    std::int64_t firstFrameTime = 0;
    std::int64_t endTime = 0;
    try {
        win32::Win32Platform backend(instance, win32::argumentText(GetCommandLineA()));
        status = runProgram(backend.platform(), [&backend] { backend.runEventLoop(); });
        // The run ends when the program asked its window to close: taking the
        // window down can take Wine a second or two.
        endTime = backend.window().closeTime();
        lightingTicks = backend.timers().ticksRun(kLightingIntervalMs);
        firstFrameTime = backend.window().firstFrameTime();
    } catch (const RuntimeError& error) {
        // The window system refused to set the program up.
        reportRuntimeError(error);
        status = 1;
    }
    win32::writeRunStats(lightingTicks, firstFrameTime, endTime);
    return status;
}
