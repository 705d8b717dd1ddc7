#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/common/pcg_generator.h"
#include "platform/common/scene_lights.h"
#include "platform/events.h"
#include "platform/platform.h"
#include "platform/program.h"
#include "platform/win32/handler_failure.h"
#include "platform/win32/mutex_instance_check.h"
#include "platform/win32/win32_calls.h"
#include "platform/win32/win32_picture_panel.h"
#include "platform/win32/win32_timers.h"
#include "platform/win32/win32_window.h"

namespace lightmatrix::win32 {

// The Win32 backend: every facility the program's logic needs, on one thread
// with one message loop.
class Win32Platform : private Program, private Events, private Clock {
  public:
    Win32Platform(HINSTANCE instance, std::string commandLine);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    Platform& platform() { return *platform_; }

    // Handles the window's messages and the timers' ticks, one at a time, until
    // the program ends. An error from a handler is thrown on from here.
    void runEventLoop();

    bool ended() const override { return ended_; }
    Win32Window& window() { return window_; }
    Win32PicturePanel& panel() { return panel_; }
    SceneLights& lights() { return lights_; }
    Win32Timers& timers() { return timers_; }

  private:
    std::string commandLine() const override { return commandLine_; }
    void end() override { ended_ = true; }
    void doEvents() override;
    float secondsSinceMidnight() override;
    // Dispatches every message waiting in the queue.
    void processMessages();

    std::string commandLine_;
    bool ended_ = false;
    HandlerFailure failure_;
    MutexInstanceCheck instanceCheck_;
    Win32Timers timers_;
    Win32Window window_;
    SceneLights lights_;
    Win32PicturePanel panel_;
    Win32User32 user32_;
    Win32Gdi32 gdi32_;
    PcgGenerator generator_;
    std::unique_ptr<Platform> platform_;
};

// The argument text of a Windows command line: what follows the program's own
// name, quoted or not, and the blanks after it. Later blanks are kept.
std::string argumentText(const char* commandLine);

}  // namespace lightmatrix::win32
