#include "saver/program.h"

#include <cstdio>

namespace lightmatrix {

void reportRuntimeError(const RuntimeError& error) {
    std::fprintf(stderr, "%s\n", runtimeErrorLine(error).c_str());
}

int runProgram(Saver& saver, std::string_view commandLine, InstanceCheck& instances,
               const std::function<void()>& runEventLoop) {
    try {
        if (saver.load(commandLine, instances)) runEventLoop();
        return 0;
    } catch (const RuntimeError& error) {
        reportRuntimeError(error);
        return 1;
    }
}

}  // namespace lightmatrix
