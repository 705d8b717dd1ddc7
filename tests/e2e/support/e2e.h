#pragma once

// What the end-to-end tests need to drive real programs: child processes, a
// private X server, screenshots and a check of the lights on one, and a watch
// on the windows a display shows.

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/raster.h"

namespace lightmatrix::e2e {

using namespace std::chrono_literals;

// A child process in its own process group, its output kept in files.
// Destroying a Process that still runs kills its whole group and reaps it.
class Process {
  public:
    // `env` holds NAME=VALUE entries added to (or replacing those of) ours.
    static Process start(const std::vector<std::string>& argv,
                         const std::vector<std::string>& env = {});
    Process(Process&& other) noexcept { *this = std::move(other); }
    Process& operator=(Process&& other) noexcept;
    ~Process() { release(); }

    pid_t pid() const { return pid_; }
    // The exit status (128 + signal number for a signal), or nothing if the
    // process still runs after `timeout`.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    bool running() { return !wait(0ms).has_value(); }
    void signal(int sig);
    std::string errorOutput() const;
    std::string output() const;

  private:
    Process() = default;
    void release();

    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string errPath_;
    std::string outPath_;
};

// Runs a command to its end: its exit status, or what it wrote to standard output.
int run(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
        std::chrono::milliseconds timeout = 30s);
std::string runOutput(const std::vector<std::string>& argv,
                      const std::vector<std::string>& env = {},
                      std::chrono::milliseconds timeout = 30s);

// Polls `condition` every 20 ms until it holds or `timeout` passes.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// A private X server on a free display, ended with the object.
class XServer {
  public:
    // Xvfb with `screens` screens of width x height.
    explicit XServer(int width = 1024, int height = 768, int screens = 1);
    // Xorg with two monitors side by side, joined by Xinerama: the primary one
    // of 1024 x 768 at (0, 0) and one of 1280 x 1024 at (1024, 0). Xorg
    // runs as root.
    static std::unique_ptr<XServer> twoMonitors();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& display() const { return display_; }  // ":N"
    std::string env() const { return "DISPLAY=" + display_; }
    int width() const { return monitors_.front().width(); }
    int height() const { return monitors_.front().height(); }
    // Where each monitor stands on the screen, the primary one first.
    const std::vector<PixelRect>& monitors() const { return monitors_; }
    // Paints the desktop (the root window) in a colour that no light has, #123456.
    void paintDesktop() const;
    // Runs xdotool on the display; false if it failed.
    bool xdotool(const std::vector<std::string>& arguments) const;

  private:
    XServer(std::vector<std::string> command, std::vector<PixelRect> monitors,
            std::string scratch = {});

    std::optional<Process> server_;
    std::string display_;
    std::vector<PixelRect> monitors_;
    std::string scratch_;
};

// A screenshot of a window (the root window when `window` is 0) on `display`.
// Raises std::runtime_error when the display or window cannot be read.
Raster capture(const std::string& display, unsigned long window = 0);

// What a screenshot shows, within `area` (all of it when empty), of the light
// matrix laid out at `dpi` from its top-left corner.
struct LightsSeen {
    int litDiscs = 0;             // discs painted in one colour other than black
    int strayPixels = 0;          // non-black pixels outside every matrix disc
    int mixedDiscs = 0;           // discs holding more than one colour (black included)
    std::map<Int16, Colour> lit;  // the lit discs' lights and colours
};
LightsSeen inspectLights(const Raster& shot, double dpi = 96, const PixelRect& area = {});

// Waits until a screenshot (of `window`, or the whole screen) shows at least
// `minimum` lit discs of a matrix laid out at `dpi` from its top-left corner,
// and returns the last look at it.
LightsSeen waitForLights(const std::string& display, int minimum, std::chrono::milliseconds timeout,
                         unsigned long window = 0, double dpi = 96);

// Waits until the screen of `display` shows `expected` pixel for pixel, doing
// `meanwhile` before each look; the number of pixels that differ at the last.
int waitForScreen(const std::string& display, const Raster& expected,
                  std::chrono::milliseconds timeout, const std::function<void()>& meanwhile = {});

// Waits until every monitor of `server` shows black but for the lights, at
// least `minimum` of them, in the top-left corner of the primary one; true if
// it came to that.
bool everyMonitorCovered(const XServer& server, int minimum, std::chrono::milliseconds timeout);

// Watches the top-level windows of a display from the moment it is made.
class WindowWatch {
  public:
    explicit WindowWatch(const std::string& display);

    // The largest size, {width, height}, of a window shown since the watch
    // began; {0, 0} if none was shown.
    std::pair<int, int> largestShown();

  private:
    std::unique_ptr<::Display, int (*)(::Display*)> display_;
    std::map<::Window, std::pair<int, int>> sizes_;
    std::set<::Window> shown_;
};

// Writes `directory`/translucent.png and returns its path: 300 x 100 pixels
// of random colours with an alpha channel that runs from 0 at the left edge
// to 254 at the right. The lights it gives match another backend's only if
// both decoders and the blend over the panel's face agree.
std::string writeTranslucentPng(const std::string& directory);

// The run figures a program wrote at its end (LIGHTMATRIX_STATS) are complete
// and account for at least `litDiscs` lights; the tick rate goes into the
// test's record.
void checkRunFigures(const std::string& path, int litDiscs);

}  // namespace lightmatrix::e2e
