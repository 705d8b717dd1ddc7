#pragma once

#include "platform/clock.h"
#include "platform/platform.h"

namespace lightmatrix {

// A clock that moves on by one lighting period at every reading, from noon, so
// that every tick reseeds differently and lands on a new light and colour, as
// in a real run.
struct SteppingClock : Clock {
    double seconds = 43200;
    float secondsSinceMidnight() override {
        seconds += 0.010;
        if (seconds >= 86400) seconds -= 86400;
        return static_cast<float>(seconds);
    }
};

// The platform `p` with `clock` in place of its own.
inline Platform withClock(const Platform& p, Clock& clock) {
    return Platform{p.program, p.instanceCheck, p.window,    p.lights, p.timers, p.picturePanel,
                    p.events,  clock,           p.generator, p.user32, p.gdi32};
}

}  // namespace lightmatrix
