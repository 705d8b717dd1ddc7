#pragma once

#include <exception>
#include <utility>

namespace lightmatrix {

// An exception thrown by a handler inside a window procedure. It must not
// unwind through the system's code that called the procedure, so the procedure
// keeps it here and the message loop throws it again once DispatchMessage has
// returned.
class HandlerFailure {
  public:
    void capture() noexcept {
        if (!pending_) pending_ = std::current_exception();
    }
    void rethrowIfAny() {
        if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
    }

  private:
    std::exception_ptr pending_;
};

}  // namespace lightmatrix
