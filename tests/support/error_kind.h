#pragma once

#include <gtest/gtest.h>

#include "common/runtime_error.h"

namespace lightmatrix::testing_support {

// The kind of run-time error that `f` raises; a test failure if it raises none.
ErrorKind errorFrom(auto&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no run-time error";
    return ErrorKind::Platform;
}

}  // namespace lightmatrix::testing_support
