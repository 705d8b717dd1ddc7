#pragma once

#include <string>

namespace lightmatrix {

// The running program as the window system sees it.
class Program {
  public:
    virtual ~Program() = default;
    // The argument text after the program's own name, possibly empty.
    virtual std::string commandLine() const = 0;
    // Ends the program at once: no further handler runs.
    virtual void end() = 0;
    virtual bool ended() const = 0;
};

}  // namespace lightmatrix
