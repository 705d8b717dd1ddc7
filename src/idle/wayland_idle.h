#pragma once

#include <wayland-client.h>

#include <chrono>
#include <memory>

#include "idle/idle_choice.h"
#include "idle/idle_source.h"

struct ext_idle_notification_v1;
struct ext_idle_notifier_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

namespace lightmatrix {

// The Wayland compositor's idle time: ext_idle_notifier_v1 where it offers
// it, else org_kde_kwin_idle, each on the first seat. Both count the time
// since the last input on the seat, and hold it back while a surface that
// can be seen inhibits idling (zwp_idle_inhibitor_v1: a video playing).
class WaylandIdle : public IdleSource {
  public:
    // The compositor that WAYLAND_DISPLAY names, and what it offers;
    // nullptr when none answers.
    static std::unique_ptr<WaylandIdle> connect(Listener& listener);
    // Whether it offers `kind`, and a seat to watch.
    bool offers(IdleKind kind) const;
    // Watches for `after` of idle time through `kind`, which it offers.
    void watch(IdleKind kind, std::chrono::milliseconds after);
    WaylandIdle(const WaylandIdle&) = delete;
    WaylandIdle& operator=(const WaylandIdle&) = delete;
    ~WaylandIdle() override;

    const char* name() const override;
    std::optional<pollfd> prepareWait() override;
    void dispatch(short revents) override;

  private:
    WaylandIdle(wl_display* display, Listener& listener);
    void roundtrip();
    [[noreturn]] void fail() const;

    wl_display* display_;
    Listener& listener_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    ext_idle_notifier_v1* notifier_ = nullptr;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    ext_idle_notification_v1* notification_ = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
    bool reading_ = false;  // a read prepared before the wait
};

}  // namespace lightmatrix
