#include "idle/idle_choice.h"

namespace lightmatrix {

std::optional<IdleKind> chooseIdleSource(const IdleOffers& offers) {
    if (offers.extIdleNotify) return IdleKind::ExtIdleNotify;
    if (offers.kdeIdle) return IdleKind::KdeIdle;
    if (offers.gnomeIdleMonitor) return IdleKind::GnomeIdleMonitor;
    if (offers.xsync) return IdleKind::XSync;
    return std::nullopt;
}

}  // namespace lightmatrix
