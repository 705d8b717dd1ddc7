#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/checked.h"
#include "common/colour.h"

namespace lightmatrix::render {

// One operation on the window, in the order the command line gives them.
struct Operation {
    enum class Kind { Highlight, HorLine, VerLine, Clear, Picture, ClickPanel };
    Operation(Kind what, std::string written) : kind(what), text(std::move(written)) {}

    Kind kind;
    std::string text;  // as written, for messages: "--hline 2,1,3,#00FF00"
    Int16 row = 0;
    Int16 col = 0;
    Int16 length = 0;
    Colour colour = 0;
    std::string path;
};

// What to render: the window, how long the animation runs, what happens after.
struct Request {
    Int32 width = 800;
    Int32 height = 600;
    double dpi = 96;
    double startSeconds = 0;
    double seconds = 0;
    std::vector<Operation> operations;
    bool dump = false;
    std::string output;
    bool help = false;
};

// A malformed command line; what() says which argument and why.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program's name; raises UsageError.
Request parseArguments(const std::vector<std::string>& arguments);

extern const char* const kUsage;

}  // namespace lightmatrix::render
