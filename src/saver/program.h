#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/runtime_error.h"
#include "platform/instance_check.h"
#include "saver/saver.h"

namespace lightmatrix {

// The whole life of the program: the saver's load step, then the backend's
// event loop until the program ends. Returns the exit status: 0 on a normal
// end, 1 when a run-time error reached the top (reported on standard error).
int runProgram(Saver& saver, std::string_view commandLine, InstanceCheck& instances,
               const std::function<void()>& runEventLoop);

// The run-time error's line (runtimeErrorLine) on standard error.
void reportRuntimeError(const RuntimeError& error);

}  // namespace lightmatrix
