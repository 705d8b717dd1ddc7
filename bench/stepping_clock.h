#pragma once

#include "platform/clock.h"

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

}  // namespace lightmatrix
