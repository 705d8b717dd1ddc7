#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace lightmatrix {

// Whether a window on an X display can be seen, from what the server tells:
// the window viewable (it and every ancestor mapped) and not wholly covered,
// the server's own screen saver not on, and the display's power on. The
// first three come as events; the power only when asked (DPMS), which is
// done at most once a second.
class X11Visibility {
  public:
    using Instant = std::chrono::steady_clock::time_point;
    enum class Power { On, Standby, Suspend, Off };
    static constexpr std::chrono::seconds kPowerAskedEvery{1};

    // `askPower` asks the server for the display's power; nothing where the
    // server has no DPMS or it is disabled.
    explicit X11Visibility(std::function<std::optional<Power>()> askPower)
        : askPower_(std::move(askPower)) {}

    void viewable(bool viewable) { viewable_ = viewable; }
    void covered(bool covered) { covered_ = covered; }
    void serverSaverOn(bool on) { serverSaverOn_ = on; }

    // Whether the window can be seen at `now`: the power is asked anew when
    // a second has passed since it last was.
    bool seen(Instant now);
    // When to look again with no event to wait for: a second after the
    // power was last asked, while the power alone keeps the window unseen.
    std::optional<Instant> nextLook() const;

  private:
    bool eventsSayShown() const { return viewable_ && !covered_ && !serverSaverOn_; }

    std::function<std::optional<Power>()> askPower_;
    bool viewable_ = true;
    bool covered_ = false;
    bool serverSaverOn_ = false;
    bool powerOn_ = true;
    std::optional<Instant> powerAsked_;
};

}  // namespace lightmatrix
