#include "idle/x11_idle.h"

namespace lightmatrix {

struct X11Idle::Server {};

std::unique_ptr<X11Idle> X11Idle::connect(Listener&) {
    return nullptr;
}

X11Idle::X11Idle(std::unique_ptr<Server> server, Listener& listener)
    : server_(std::move(server)), listener_(listener) {}

X11Idle::~X11Idle() = default;

void X11Idle::watch(std::chrono::milliseconds) {}

std::optional<pollfd> X11Idle::prepareWait() {
    return pollfd{-1, 0, 0};
}

void X11Idle::dispatch(short) {}

}  // namespace lightmatrix
