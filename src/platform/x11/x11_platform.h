#pragma once

#include <memory>
#include <string>

#include "platform/common/deadline_timers.h"
#include "platform/common/pcg_generator.h"
#include "platform/common/scene_lights.h"
#include "platform/platform.h"
#include "platform/x11/instance_lock.h"
#include "platform/x11/system_clock.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_picture_panel.h"
#include "platform/x11/x11_user32.h"
#include "platform/x11/x11_window.h"

namespace lightmatrix {

// The whole program's window system on X11, and its event loop: one thread
// that waits on the X connection, on SIGTERM and SIGINT, and on the next
// timer deadline, and handles one thing at a time.
//
// In full-screen mode under a screen-saver daemon (XSCREENSAVER_WINDOW set),
// the program draws into the daemon's window instead of making its own.
class X11Platform : private Program, private Events {
  public:
    explicit X11Platform(std::string commandLine);
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;
    ~X11Platform() override;

    Platform& platform() { return *platform_; }

    // Handles events until the program ends: closed, its window destroyed by
    // someone else, or a signal.
    void run();

    bool ended() const override { return ended_; }

    // The window named by $XSCREENSAVER_WINDOW (hex with 0x, or decimal), or
    // None. Raises a Platform run-time error for a value that is no number.
    static ::Window daemonWindow();

  private:
    std::string commandLine() const override { return commandLine_; }
    void end() override { ended_ = true; }
    void doEvents() override;

    void dispatch(const XEvent& event);
    void handleEvents(int count);
    void runDueTimers();
    void checkSignals();

    std::string commandLine_;
    bool ended_ = false;
    int signalFd_ = -1;
    X11Display display_;
    SystemClock clock_;
    DeadlineTimers timers_;
    X11Window window_;
    SceneLights lights_;
    X11PicturePanel panel_;
    X11User32 user32_;
    PcgGenerator generator_;
    InstanceLock instance_;
    std::unique_ptr<Platform> platform_;
};

}  // namespace lightmatrix
