#pragma once

// What the end-to-end tests of the Wayland screen saver share: a headless
// compositor in a private runtime directory, programs run in it, screenshots
// and real input. sway has the layer shell, several outputs and a seat;
// weston has xdg-shell, one output and no seat.

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
    // Ends the compositor now, as a crash would look to its clients.
    void endCompositor() { server_.reset(); }

  protected:
    Session(const std::string& tag, bool asNobody);
    ~Session();
    std::vector<std::string> asUser(std::vector<std::string> argv) const;

    testing_support::ScratchDir runtime_;
    std::vector<std::string> env_;
    std::optional<e2e::Process> server_;

  private:
    bool asNobody_;
};

// Headless sway, no Xwayland: HEADLESS-1 of 1280 x 800 at (0, 0), focused,
// and after `swaymsg create_output` HEADLESS-2 of 1920 x 1080 at (1280, 0). As root, sway
// (which refuses root) and what the session starts run as nobody (65534).
// The seat has a keyboard (a waiting wtype) and a pointer (the session's
// virtual pointer, which cursor commands need); the cursor starts at
// (100, 100), drawn over any surface that does not hide it.
class SwaySession : public Session {
  public:
    SwaySession();
    ~SwaySession();

    // What swaymsg printed; raises std::runtime_error if sway refused.
    std::string swaymsg(const std::vector<std::string>& arguments) const;
    // An output at its buffer scale, cursor included (grim).
    Raster screenshot(const std::string& output = "HEADLESS-1") const;
    // Presses and releases the key of a keysym ("space", "Escape") with wtype.
    void key(const std::string& name) const { runChecked({"wtype", "-k", name}); }
    // "set X Y" (layout coordinates), "move DX DY", "press button1", "release button1".
    void cursor(const std::string& command) const { swaymsg({"seat", "-", "cursor", command}); }

  private:
    std::string runChecked(const std::vector<std::string>& argv) const;

    struct Pointer;
    std::unique_ptr<Pointer> pointer_;
    std::optional<e2e::Process> keyboard_;
};

// Headless weston as the current user (root is fine): desktop shell, one
// output of width x height.
class WestonSession : public Session {
  public:
    explicit WestonSession(int width = 1024, int height = 768);

    // The whole screen (weston-screenshooter, over the debug protocol).
    Raster screenshot() const;
};

}  // namespace lightmatrix::wayland_test
