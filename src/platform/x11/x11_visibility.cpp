#include "platform/x11/x11_visibility.h"

namespace lightmatrix {

bool X11Visibility::seen(Instant now) {
    if (!eventsSayShown()) return false;
    if (!powerAsked_ || now - *powerAsked_ >= kPowerAskedEvery) {
        powerAsked_ = now;
        // Standby and suspend darken the screen as off does.
        powerOn_ = askPower_().value_or(Power::On) == Power::On;
    }
    return powerOn_;
}

std::optional<X11Visibility::Instant> X11Visibility::nextLook() const {
    if (!eventsSayShown() || powerOn_ || !powerAsked_) return std::nullopt;
    return *powerAsked_ + kPowerAskedEvery;
}

}  // namespace lightmatrix
