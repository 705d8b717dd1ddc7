#pragma once

#include <chrono>
#include <string>

namespace lightmatrix {

// What the command line asks of the Linux program, read before any display
// is opened. An argument that begins with "--" is an option, but for --root,
// which XScreenSaver hands its hacks and which runs full screen as any other
// argument does:
//   --help             the usage, on standard output; status 0
//   --version          "lightmatrix VERSION"; status 0
//   --idle SECONDS     the idle watcher (also --idle=SECONDS), SECONDS a
//                      whole number from 1 to 86400, with no other argument
// An unknown or malformed option is a usage error: what is wrong, and where
// to read more, on standard error; status 2. Without an option the saver
// runs, reading the command-line text by the Windows rules.
struct Request {
    enum class Kind { Saver, IdleWatcher, Answered };
    Kind kind = Kind::Saver;
    // Answered: the exit status, and what to print on standard output (for
    // status 0) or standard error.
    int status = 0;
    std::string message;
    // Saver: the arguments joined by single blanks, so that
    // "lightmatrix /p 1234" and "lightmatrix '/p 1234'" read the same.
    std::string commandLine;
    // IdleWatcher: how long the session is idle before the saver starts.
    std::chrono::seconds idleAfter{0};
};

Request readCommandLine(int argc, const char* const* argv);

}  // namespace lightmatrix
