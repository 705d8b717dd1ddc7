#pragma once

#include <chrono>

namespace lightmatrix {

// When the process was created, on the steady clock.
std::chrono::steady_clock::time_point processStart();

}  // namespace lightmatrix
