#include "common/runtime_error.h"

namespace lightmatrix {

std::string_view describe(ErrorKind kind) noexcept {
    switch (kind) {
        case ErrorKind::InvalidArgument:
            return "Invalid procedure call or argument";
        case ErrorKind::Overflow:
            return "Overflow";
        case ErrorKind::TypeMismatch:
            return "Type mismatch";
        case ErrorKind::NoSuchLight:
            return "Control array element doesn't exist";
        case ErrorKind::FloatingPoint:
            return "Floating-point error";
        case ErrorKind::CannotLoadPicture:
            return "File not found or not a picture";
        case ErrorKind::Platform:
            return "Window system error";
    }
    return "Unknown error";
}

namespace {
std::string message(ErrorKind kind, const std::string& detail) {
    std::string text(describe(kind));
    if (!detail.empty()) text += ": " + detail;
    return text;
}
}  // namespace

RuntimeError::RuntimeError(ErrorKind kind, const std::string& detail)
    : std::runtime_error(message(kind, detail)), kind_(kind) {}

void raise(ErrorKind kind, const std::string& detail) {
    throw RuntimeError(kind, detail);
}

std::string runtimeErrorLine(const RuntimeError& error) {
    return std::string("lightmatrix: run-time error: ") + error.what();
}

}  // namespace lightmatrix
