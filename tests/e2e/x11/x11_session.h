#pragma once

// What the tests of the native X11 screen saver share: the program under
// test, run in a private Xvfb with a private runtime directory (so that the
// instance lock of one test never meets another's), and looks at the
// display's windows.

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e/support/e2e.h"
#include "support/scratch_dir.h"

namespace lightmatrix::x11_test {

using namespace std::chrono_literals;
using e2e::waitForLights;
using testing_support::ScratchDir;

// The lightmatrix program of this build.
std::string saverPath();

class SaverSession {
  public:
    // An Xvfb of 1024 x 768, or `server`.
    explicit SaverSession(std::unique_ptr<e2e::XServer> server = nullptr)
        : runtime_("x11-run"),
          xvfb_(server ? std::move(server) : std::make_unique<e2e::XServer>()) {}

    const std::string& display() const { return xvfb_->display(); }
    const e2e::XServer& xvfb() const { return *xvfb_; }
    // DISPLAY and XDG_RUNTIME_DIR.
    std::vector<std::string> env() const {
        return {xvfb_->env(), "XDG_RUNTIME_DIR=" + runtime_.path()};
    }
    e2e::Process start(const std::vector<std::string>& arguments = {},
                       const std::vector<std::string>& extraEnv = {}) const;
    bool xdotool(const std::vector<std::string>& arguments) const {
        return xvfb_->xdotool(arguments);
    }
    const std::string& scratch() const { return runtime_.path(); }
    // Ends the X server now, as a lost connection would look to its clients.
    void killServer() { xvfb_.reset(); }

  private:
    ScratchDir runtime_;
    std::unique_ptr<e2e::XServer> xvfb_;
};

// A connection of the test's own to the display, which ignores the errors of
// its requests: the windows it looks at belong to others and may vanish.
class Connection {
  public:
    explicit Connection(const std::string& display);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ::Display* get() const { return display_; }
    operator ::Display*() const { return display_; }

  private:
    ::Display* display_;
    int (*previousHandler_)(::Display*, XErrorEvent*);
};

struct WindowInfo {
    ::Window id = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool viewable = false;
    std::string name;
};

// The 32-bit values of a window's property of type `type` (XA_CARDINAL,
// XA_ATOM, XA_WINDOW), empty when it has none.
std::vector<unsigned long> propertyOf(::Display* x, ::Window window, const char* property,
                                      Atom type);
std::optional<WindowInfo> describe(const std::string& display, ::Window window);
std::vector<::Window> childrenOf(const std::string& display, ::Window window);
// The top-level window that the process `pid` made (by _NET_WM_PID), mapped or not.
std::optional<WindowInfo> windowOfProcess(const std::string& display, pid_t pid);

// waitForLights, once the process `saver` has a viewable top-level window of
// its own: a window that an earlier saver left on the screen a moment after it
// ended cannot pass for this one's.
e2e::LightsSeen waitForLightsOf(const std::string& display, pid_t saver, int minimum,
                                std::chrono::milliseconds timeout, double dpi = 96);

// Starts openbox on the session's display and waits until it takes on new
// windows. `probes` is a connection of the test's that stays open as long as
// the test: a new one would reuse window ids the manager may still remember.
e2e::Process startWindowManager(const SaverSession& session, Connection& probes);

using e2e::WindowWatch;

}  // namespace lightmatrix::x11_test
