#include <string>

#include "platform/x11/x11_backend.h"
#include "shell/program_start.h"

// The native screen saver on X11. Its command-line text is the arguments
// joined by single blanks, so "lightmatrix /p 1234" and
// "lightmatrix '/p 1234'" read the same.
int main(int argc, char** argv) {
    using namespace lightmatrix;
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    try {
        X11Backend x11(commandLine.starts_with("/p"));
        Saver saver(x11.window(), x11.panel(), x11, x11.clock(), x11.generator());
        return runProgram(saver, commandLine, x11.instanceLock(), [&x11] { x11.run(); });
    } catch (const RuntimeError& error) {
        // The window system could not be had at all.
        reportRuntimeError(error);
        return 1;
    }
}
