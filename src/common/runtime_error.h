#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace lightmatrix {

// The kinds of run-time error the program can raise. Each leaves the operation
// that raised it at once and passes to its caller. The saver catches them
// only inside clear(); the rest reach the top of the program, which reports
// one line and ends (runProgram, each backend's entry point), except on the
// page, which tells of a picture it could not load and goes on.
enum class ErrorKind {
    InvalidArgument,    // invalid procedure call or argument
    Overflow,           // an integer result or conversion outside its type
    TypeMismatch,       // text that is not a number where one is expected
    NoSuchLight,        // a light index that names no light
    FloatingPoint,      // a floating multiplication that overflows or is invalid
    CannotLoadPicture,  // a picture file that is missing or cannot be decoded
    Platform,           // the window system refused a service the program needs
};

std::string_view describe(ErrorKind kind) noexcept;

class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(ErrorKind kind, const std::string& detail);
    ErrorKind kind() const noexcept { return kind_; }

  private:
    ErrorKind kind_;
};

[[noreturn]] void raise(ErrorKind kind, const std::string& detail = {});

// How the program tells of a run-time error: "lightmatrix: run-time error: ...".
std::string runtimeErrorLine(const RuntimeError& error);

}  // namespace lightmatrix
