#pragma once

#include <chrono>

namespace lightmatrix {

// When the process started: taken while its static data was set up, before main().
std::chrono::steady_clock::time_point processStart();

}  // namespace lightmatrix
