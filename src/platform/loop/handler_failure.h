#pragma once

#include <exception>
#include <utility>

namespace lightmatrix {

// An exception thrown by a handler that the window system's own code called (a
// window procedure, a Wayland listener). It must not unwind through that code,
// so the callback keeps it here and the event loop throws it again once the
// system's dispatch has returned.
class HandlerFailure {
  public:
    void capture() noexcept {
        if (!pending_) pending_ = std::current_exception();
    }
    // Runs `handler`, keeping what it throws.
    template <class Handler>
    void guard(Handler&& handler) noexcept {
        try {
            handler();
        } catch (...) {
            capture();
        }
    }
    bool pending() const noexcept { return pending_ != nullptr; }
    void rethrowIfAny() {
        if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
    }

  private:
    std::exception_ptr pending_;
};

}  // namespace lightmatrix
