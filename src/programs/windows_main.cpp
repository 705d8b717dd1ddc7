// lightmatrix.scr: the screen saver's entry point on Windows.

#include <windows.h>

#include "platform/win32/process_start.h"
#include "platform/win32/win32_backend.h"
#include "programs/windows_command_line.h"
#include "saver/program.h"
#include "saver/run_figures.h"
#include "saver/saver.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    using namespace lightmatrix;
    RunFigures figures;
    figures.start = processStart();
    int status = 1;
    try {
        Win32Backend backend(instance);
        Saver saver(backend.window(), backend.panel(), backend, backend.clock(),
                    backend.generator());
        status = runProgram(saver, argumentText(GetCommandLineA()), backend.instanceCheck(),
                            [&backend] { backend.run(); });
        figures.lightingTicks = saver.lightingTicks();
        figures.firstFrame = backend.window().firstFrame();
        figures.end = backend.window().closeTime().value_or(std::chrono::steady_clock::now());
    } catch (const RuntimeError& error) {
        // The window system refused to set the program up.
        reportRuntimeError(error);
        status = 1;
    }
    if (figures.end == RunFigures::Instant{}) figures.end = std::chrono::steady_clock::now();
    figures.write();
    return status;
}
