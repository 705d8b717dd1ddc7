#pragma once

// What the tests under Wine share: the Windows build under test, a private X
// display with a Wine prefix, and a watch on the windows Wine shows there.

// gtest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "e2e/support/e2e.h"

namespace lightmatrix::wine_test {

using namespace std::chrono_literals;
using e2e::Process;

// The programs of the mingw build directory that the tests run.
inline const std::string kScreenSaver = LIGHTMATRIX_WINDOWS_BUILD "/lightmatrix.scr";
inline const std::string kSettingsHost =
    LIGHTMATRIX_WINDOWS_BUILD "/tests/e2e/wine/lightmatrix_settings_host.exe";
inline const std::string kPictureProbe =
    LIGHTMATRIX_WINDOWS_BUILD "/tests/e2e/wine/lightmatrix_picture_probe.exe";
inline const std::string kSleepProbe =
    LIGHTMATRIX_WINDOWS_BUILD "/tests/e2e/wine/lightmatrix_sleep_probe.exe";

// A Unix path as Windows programs under Wine see it, on drive Z:.
std::string windowsPath(const std::string& unixPath);
// What a Windows program wrote to standard output, its CR LF line ends made LF.
std::string outputOf(const Process& process);
inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A private X server (an Xvfb, or `server`) and a Wine prefix of `dpi` dots
// per logical inch, kept in the build directory and made the first time
// (wineboot takes a while). No window manager runs, so Wine places its windows
// itself; the desktop has a colour that no light has, so any pixel that no
// window covers shows.
class WineSession {
  public:
    explicit WineSession(const std::string& name, int dpi = 96,
                         std::unique_ptr<e2e::XServer> server = nullptr);
    ~WineSession();

    const e2e::XServer& xvfb() const { return *xvfb_; }
    const std::string& display() const { return xvfb_->display(); }
    // Starts a Windows program under Wine: `command` is its path and arguments.
    Process start(const std::vector<std::string>& command,
                  const std::vector<std::string>& extraEnv = {}) const;
    // Ends every Windows process of the prefix, wineserver included.
    void endWindowsProcesses() const;
    bool xdotool(const std::vector<std::string>& arguments) const {
        return xvfb_->xdotool(arguments);
    }
    // A directory of the build for the test's own files.
    std::string scratchDirectory() const;

  private:
    std::vector<std::string> env() const;
    void makePrefix(int dpi) const;

    std::string name_;
    std::unique_ptr<e2e::XServer> xvfb_;
    std::string prefix_;
};

// A suite whose tests share one session. Each test starts with no Windows
// process left from the one before.
class WineSuite : public ::testing::Test {
  protected:
    static void TearDownTestSuite() { session.reset(); }
    void TearDown() override { session->endWindowsProcesses(); }

    static inline std::unique_ptr<WineSession> session;
};

using e2e::WindowWatch;

}  // namespace lightmatrix::wine_test
