#pragma once

// What the end-to-end tests of the Wayland screen saver share: a headless
// compositor in a private runtime directory, programs run in it, screenshots
// and real input. sway has the layer shell, outputs that come and go and a
// seat; weston has xdg-shell, one output and no seat.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e/support/e2e.h"
#include "support/scratch_dir.h"

namespace lightmatrix::wayland_test {

using namespace std::chrono_literals;

// A compositor and its runtime directory, ended with the object.
class Session {
  public:
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // XDG_RUNTIME_DIR, WAYLAND_DISPLAY; for sway also HOME and SWAYSOCK.
    const std::vector<std::string>& env() const { return env_; }
    // Starts `argv` as the compositor's user, in env() and `extraEnv`.
    e2e::Process start(const std::vector<std::string>& argv,
                       const std::vector<std::string>& extraEnv = {}) const;
    // A copy of the program at `path` that the compositor's user may run.
    std::string runnable(const std::string& path) const;
    // A path in the runtime directory, where the compositor's user may write.
    std::string file(const std::string& name) const { return runtime_.file(name); }
    // Ends the compositor now, as a crash would look to its clients.
    void endCompositor() { server_.reset(); }

  protected:
    Session(const std::string& tag, bool asNobody);
    ~Session();
    std::vector<std::string> asUser(std::vector<std::string> argv) const;
    // Waits until the compositor has made the socket `name` in the runtime directory.
    void awaitSocket(const std::string& name, const e2e::Process& compositor) const;

    testing_support::ScratchDir runtime_;
    std::vector<std::string> env_;
    std::optional<e2e::Process> server_;

  private:
    bool asNobody_;
};

// The sway under test runs nested in a headless sway, each of its outputs a
// window there, so that outputs can be unplugged (the window closed) and
// plugged in (created) as monitors are; no Xwayland. It starts with
// `outputs` outputs: WL-1 of 1280 x 800 at (0, 0), focused, and WL-2 of
// 1024 x 768 at (1280, 0). As root, both and what the session starts run as
// nobody (65534).
//
// Its seat has a keyboard and a pointer of the test's own, made before
// anything runs in the session and taken by the compositor by then; the
// cursor starts at (100, 100), drawn over no surface. swaybg paints every
// output #123456 below everything.
class SwaySession : public Session {
  public:
    explicit SwaySession(int outputs = 2);
    ~SwaySession();

    // What swaymsg printed; raises std::runtime_error if sway refused.
    std::string swaymsg(const std::vector<std::string>& arguments) const;
    // The names of the outputs, as sway lists them.
    std::vector<std::string> outputs() const;
    // Plugs in a new output of 1280 x 720; its name.
    std::string plug();
    // Unplugs `output`: its wl_output global goes.
    void unplug(const std::string& output);
    // An output at its buffer scale (grim).
    Raster screenshot(const std::string& output = "WL-1") const;
    // Presses and releases the space bar.
    void pressSpace() const;
    // Moves the pointer a pixel and back: input, but no button.
    void nudgePointer() const;
    // Moves the pointer to the right edge of the layout, then clicks there.
    void clickAtTheRightEdge() const;
    // A small window of a client of the test's own that keeps the session
    // from idling (zwp_idle_inhibitor_v1), as a video player's does, for as
    // long as what this returns lives.
    std::shared_ptr<void> inhibitIdle() const;
    // "set X Y" (layout coordinates), "move DX DY".
    void cursor(const std::string& command) const { swaymsg({"seat", "-", "cursor", command}); }

  private:
    std::string runChecked(const std::vector<std::string>& argv) const;

    std::optional<e2e::Process> host_;
    struct Input;
    struct Inhibitor;
    std::unique_ptr<Input> input_;
};

// Headless weston as the current user (root is fine): desktop shell, one
// output of width x height, drawn by pixman or, with `gl`, by Mesa's software GL.
class WestonSession : public Session {
  public:
    explicit WestonSession(bool gl, int width = 1024, int height = 768);

    // The whole screen (weston-screenshooter, over the debug protocol).
    Raster screenshot() const;
};

// Headless mutter, GNOME's compositor, as the current user (root is fine):
// one virtual monitor of 1024 x 768, no Xwayland, in a private session bus
// (dbus-run-session) where it offers its idle monitor. env() also holds HOME
// and DBUS_SESSION_BUS_ADDRESS. No session manager runs.
//
// Its seat has no device but a keyboard of the test's own, through mutter's
// remote desktop, given to the seat before anything runs in the session.
class MutterSession : public Session {
  public:
    MutterSession();
    ~MutterSession();

    // Presses and releases the space bar.
    void pressSpace() const;

  private:
    struct Input;
    std::unique_ptr<Input> input_;
};

// Whether `process` slept through `span` without waking once.
bool sleepsThrough(const e2e::Process& process, std::chrono::milliseconds span);

}  // namespace lightmatrix::wayland_test
