#include <string>

#include "platform/x11/x11_platform.h"
#include "shell/program_start.h"

// The native screen saver on X11. Its command-line text is the arguments
// joined by single blanks, so "lightmatrix /p 1234" and
// "lightmatrix '/p 1234'" read the same.
int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    try {
        lightmatrix::X11Platform x11(commandLine);
        return lightmatrix::runProgram(x11.platform(), [&x11] { x11.run(); });
    } catch (const lightmatrix::RuntimeError& error) {
        // The window system could not be had at all.
        lightmatrix::reportRuntimeError(error);
        return 1;
    }
}
