#include "platform/linux/process_start.h"

namespace lightmatrix {

namespace {
const auto kStart = std::chrono::steady_clock::now();
}  // namespace

std::chrono::steady_clock::time_point processStart() {
    return kStart;
}

}  // namespace lightmatrix
