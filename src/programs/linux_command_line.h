#pragma once

#include <optional>
#include <string>

namespace lightmatrix {

// The options every Linux program answers without running, decided before the
// display is opened: the first argument that begins with "--", but for
// --root (XScreenSaver's full screen), is one of them.
// --help prints the usage on standard output and gives exit status 0,
// --version prints "lightmatrix VERSION" and gives 0, and any other prints the
// usage on standard error and gives 2. Without such an argument there is no
// status: the program runs.
std::optional<int> answerOption(int argc, const char* const* argv);

// The command-line text the saver reads by the Windows rules: the arguments
// joined by single blanks, so "lightmatrix /p 1234" and
// "lightmatrix '/p 1234'" read the same.
std::string commandLineText(int argc, const char* const* argv);

}  // namespace lightmatrix
