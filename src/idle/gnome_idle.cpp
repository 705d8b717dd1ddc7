#include "idle/gnome_idle.h"

namespace lightmatrix {

struct GnomeIdle::Bus {};

std::unique_ptr<GnomeIdle> GnomeIdle::connect(Listener&) {
    return nullptr;
}

GnomeIdle::GnomeIdle(std::unique_ptr<Bus> bus, Listener& listener)
    : bus_(std::move(bus)), listener_(listener) {}

GnomeIdle::~GnomeIdle() = default;

void GnomeIdle::watch(std::chrono::milliseconds) {}

std::optional<pollfd> GnomeIdle::prepareWait() {
    return pollfd{-1, 0, 0};
}

void GnomeIdle::dispatch(short) {}

}  // namespace lightmatrix
