#include "shell/program_start.h"

#include <cstdio>

namespace lightmatrix {

std::unique_ptr<frmMain> startProgram(Platform& platform) {
    auto form = std::make_unique<frmMain>(platform);
    form->formLoad();
    return form;
}

void reportRuntimeError(const RuntimeError& error) {
    std::fprintf(stderr, "lightmatrix: run-time error: %s\n", error.what());
}

int runProgram(Platform& platform, const std::function<void()>& eventLoop) {
    try {
        auto form = startProgram(platform);
        if (!platform.program.ended()) eventLoop();
        return 0;
    } catch (const RuntimeError& error) {
        reportRuntimeError(error);
        return 1;
    }
}

}  // namespace lightmatrix
