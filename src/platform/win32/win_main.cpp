// lightmatrix.scr: the screen saver's entry point on Windows.

#include <windows.h>

#include <string>

#include "common/constants.h"
#include "platform/win32/run_stats.h"
#include "platform/win32/win32_backend.h"
#include "shell/program_start.h"
#include "shell/saver.h"

namespace {

// The argument text of a Windows command line: what follows the program's own
// name, quoted or not, and the blanks after it. Later blanks are kept.
std::string argumentText(const char* commandLine) {
    const char* at = commandLine;
    bool quoted = false;
    while (*at != '\0' && (quoted || (*at != ' ' && *at != '\t'))) {
        if (*at == '"') quoted = !quoted;
        ++at;
    }
    while (*at == ' ' || *at == '\t') ++at;
    return at;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    using namespace lightmatrix;
    int status = 1;
    std::int64_t lightingTicks = 0;
    std::int64_t firstFrameTime = 0;
    std::int64_t endTime = 0;
    try {
        win32::Win32Backend backend(instance);
        Saver saver(backend.window(), backend.panel(), backend, backend.clock(),
                    backend.generator());
        status = runProgram(saver, argumentText(GetCommandLineA()), backend.instanceCheck(),
                            [&backend] { backend.run(); });
        // The run ends when the program asked its window to close: taking the
        // window down can take Wine a second or two.
        endTime = backend.window().closeTime();
        lightingTicks = backend.ticksRun(kLightingPeriodMs);
        firstFrameTime = backend.window().firstFrameTime();
    } catch (const RuntimeError& error) {
        // The window system refused to set the program up.
        reportRuntimeError(error);
        status = 1;
    }
    win32::writeRunStats(lightingTicks, firstFrameTime, endTime);
    return status;
}
