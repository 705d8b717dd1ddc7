#include <string>

#include "platform/common/run_figures.h"
#include "platform/posix/process_start.h"
#include "platform/x11/command_line.h"
#include "platform/x11/x11_backend.h"
#include "saver/preview.h"
#include "saver/program.h"

// The native screen saver on X11: --help, --version and the other "--"
// options first, without a display; then the saver by the Windows rules.
int main(int argc, char** argv) {
    using namespace lightmatrix;
    if (const auto status = answerOption(argc, argv)) return *status;
    const std::string commandLine = commandLineText(argc, argv);
    try {
        X11Backend x11(isPreviewCommandLine(commandLine));
        Saver saver(x11.window(), x11.panel(), x11, x11.clock(), x11.generator());
        const int status =
            runProgram(saver, commandLine, x11.instanceLock(), [&x11] { x11.run(); });
        RunFigures{saver.lightingTicks(), processStart(), x11.window().firstFrame(),
                   std::chrono::steady_clock::now()}
            .write();
        return status;
    } catch (const RuntimeError& error) {
        // The window system could not be had at all.
        reportRuntimeError(error);
        return 1;
    }
}
