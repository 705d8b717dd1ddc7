#pragma once

#include <functional>
#include <memory>

#include "platform/platform.h"
#include "shell/frm_main.h"

namespace lightmatrix {

// Starting the program creates the window, with its timers on, and runs its
// load step. A run-time error in the load step passes to the caller.
std::unique_ptr<frmMain> startProgram(Platform& platform);

// The whole life of the program: start, then the backend's event loop until the
// program ends. Returns the exit status: 0 on a normal end, 1 when a run-time
// error reached the top (reported as one line on standard error).
int runProgram(Platform& platform, const std::function<void()>& eventLoop);

void reportRuntimeError(const RuntimeError& error);

}  // namespace lightmatrix
