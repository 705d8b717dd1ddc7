#pragma once

#include <chrono>

namespace lightmatrix {

// lightmatrix --idle SECONDS: stays in the user's session and starts the
// screen saver, as a process of its own, each time nobody has used the
// session for SECONDS; once input has ended the saver it waits again. The
// session's own idle events wake it (see IdleSource), never a timer. It
// starts no saver while the one it started runs, and a saver started
// otherwise keeps its own from starting (the one-instance rule). SIGTERM and
// SIGINT end it with status 0, and the saver it started with it.
//
// Returns the exit status: 0 when a signal ended it; 1, with one line on
// standard error, when the session tells no idle time, or on a run-time
// error (the desktop went away).
//
// The Wayland compositor is asked only when `compositor` says that one's
// socket is there, as the program's entry finds it.
int runIdleWatcher(std::chrono::seconds after, bool compositor);

}  // namespace lightmatrix
