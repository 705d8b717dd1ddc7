#pragma once

#include <optional>

namespace lightmatrix {

// The ways a session tells of its idle time, in the order the watcher takes
// them: the Wayland compositor's own protocols first, the newer one before
// the older; then GNOME's idle monitor on the session bus, which also runs
// under GNOME on X11; then the X server's.
enum class IdleKind {
    ExtIdleNotify,     // ext_idle_notifier_v1
    KdeIdle,           // org_kde_kwin_idle (sway 1.7, KDE Plasma 5.27)
    GnomeIdleMonitor,  // org.gnome.Mutter.IdleMonitor on the session bus
    XSync,             // the XSync extension's IDLETIME counter
};

// What the session offers.
struct IdleOffers {
    bool extIdleNotify = false;
    bool kdeIdle = false;
    bool gnomeIdleMonitor = false;
    bool xsync = false;
};

// The first that the session offers; nothing when it offers none.
std::optional<IdleKind> chooseIdleSource(const IdleOffers& offers);

}  // namespace lightmatrix
