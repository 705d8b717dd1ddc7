#pragma once

// What the tests under Wine share: the Windows build under test, a private X
// display and a Wine prefix, and a look at the top-level windows that Wine
// puts on the display.

// gtest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e/support/e2e.h"

namespace lightmatrix::wine_test {

using namespace std::chrono_literals;

// The files of the mingw build directory that the tests run.
struct WindowsBuild {
    static std::string directory();
    static std::string screenSaver();    // lightmatrix.scr
    static std::string settingsHost();   // lightmatrix_settings_host.exe
    static std::string pictureProbe();   // lightmatrix_picture_probe.exe
    static std::string committedIcon();  // res/lightmatrix.ico
};

// A Unix path as Windows programs under Wine see it, on drive Z:.
std::string windowsPath(const std::string& unixPath);

// A private Xvfb and a Wine prefix for one test program. The prefix lives in
// the build directory and is made the first time (wineboot takes a while) and
// kept for later runs. No window manager runs on the display, so Wine is told
// to place its windows itself rather than leave that to one.
class WineSession {
  public:
    explicit WineSession(const std::string& name);
    ~WineSession();
    WineSession(const WineSession&) = delete;
    WineSession& operator=(const WineSession&) = delete;

    const e2e::Xvfb& xvfb() const { return xvfb_; }
    const std::string& display() const { return xvfb_.display(); }
    // DISPLAY, WINEPREFIX and the quieting of Wine's own messages.
    std::vector<std::string> env() const;
    // Starts a Windows program under Wine: `command` is its path and arguments.
    e2e::Process start(const std::vector<std::string>& command,
                       const std::vector<std::string>& extraEnv = {}) const;
    // Ends every Windows process of the prefix, wineserver included.
    void endWindowsProcesses() const;
    // Runs xdotool on the display; false if it failed.
    bool xdotool(const std::vector<std::string>& arguments) const;
    // Sets the logical DPI of the prefix's screen; it holds for programs
    // started after the next endWindowsProcesses().
    void setDpi(int dpi) const;
    // A directory of the build for the test's own files.
    std::string scratchDirectory() const;

  private:
    void makePrefix() const;

    std::string name_;
    e2e::Xvfb xvfb_;
    std::string prefix_;
};

// A test suite that shares one session among its tests, made in the suite's
// SetUpTestSuite. Each test starts with no Windows process left from the one
// before.
class WineSuite : public ::testing::Test {
  protected:
    static void TearDownTestSuite() { session.reset(); }
    void TearDown() override { session->endWindowsProcesses(); }

    static inline std::unique_ptr<WineSession> session;
};

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct Geometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Watches the display's top-level windows from the moment it is made: which
// were mapped (shown), and how large each became.
class TopLevelWatch {
  public:
    explicit TopLevelWatch(const std::string& display);
    ~TopLevelWatch();
    TopLevelWatch(const TopLevelWatch&) = delete;
    TopLevelWatch& operator=(const TopLevelWatch&) = delete;

    // The largest size of each window mapped since the watch began.
    std::vector<Geometry> mappedWindows();

  private:
    struct Seen {
        int width = 0;
        int height = 0;
        bool mapped = false;
    };
    ::Display* display_;
    std::map<::Window, Seen> windows_;
};

// The mapped top-level window whose name is `name`, if there is one.
std::optional<Geometry> findMappedWindow(const std::string& display, const std::string& name);

// What a Windows program wrote to standard output, its CR LF line ends made LF.
std::string outputOf(const e2e::Process& process);

using e2e::waitForLights;

}  // namespace lightmatrix::wine_test
