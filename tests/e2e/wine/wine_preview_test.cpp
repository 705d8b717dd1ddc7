// lightmatrix.scr under Wine as the screen-saver settings see it: in their
// preview pane, and as a program file with its resources, 64-bit, that needs
// no DLL beyond the system's.

#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "wine_session.h"

namespace lightmatrix::wine_test {
namespace {

class WinePreview : public WineSuite {
  protected:
    static void SetUpTestSuite() { session = std::make_unique<WineSession>("preview"); }
};

// The settings' stand-in checks the saver's window in the pane by the window
// tree: Wine 8 does not show another process's child window on the screen.
TEST_F(WinePreview, TheSaverRunsInThePaneAndEndsWithIt) {
    const std::string release = session->scratchDirectory() + "/release-pane";
    std::filesystem::remove(release);
    Process host =
        session->start({kSettingsHost, "preview", windowsPath(kScreenSaver), windowsPath(release)});
    ASSERT_TRUE(e2e::waitUntil(
        [&] { return contains(outputOf(host), "\nembedded\n") || !host.running(); }, 90s))
        << outputOf(host);
    ASSERT_TRUE(host.running()) << "the settings' stand-in ended early:\n" << outputOf(host);

    // A preview is an instance: a full-screen one started meanwhile ends at
    // once, showing nothing, and the preview runs on.
    WindowWatch watch(session->display());
    Process second = session->start({kScreenSaver, "/s"});
    EXPECT_EQ(second.wait(60s), 0) << second.errorOutput();
    const auto [width, height] = watch.largestShown();
    EXPECT_LE(width * height, 1) << "the second instance showed a window";

    std::ofstream(release) << "done\n";
    EXPECT_EQ(host.wait(90s), 0) << outputOf(host) << host.errorOutput();
}

TEST_F(WinePreview, TheProgramFileIsA64BitGuiProgramWithItsResources) {
    Process host = session->start({kSettingsHost, "resources", windowsPath(kScreenSaver),
                                   windowsPath(LIGHTMATRIX_SOURCE_DIR "/res/lightmatrix.ico")});
    EXPECT_EQ(host.wait(90s), 0) << outputOf(host) << host.errorOutput();

    const std::string dump = e2e::runOutput({LIGHTMATRIX_MINGW_OBJDUMP, "-p", kScreenSaver});
    for (const std::string shown :
         {"file format pei-x86-64", "(PE32+)", "(Windows GUI)", "DLL Name: USER32.dll"})
        EXPECT_TRUE(contains(dump, shown)) << "no " << shown << " in\n" << dump;
    // Only DLLs that come with every Windows: the C++ runtime, libgcc and
    // winpthreads are linked in.
    const std::set<std::string> system{"kernel32", "user32", "gdi32",    "ole32",        "oleaut32",
                                       "msvcrt",   "winmm",  "advapi32", "windowscodecs"};
    const std::regex import("DLL Name: (\\S+)\\.dll", std::regex::icase);
    for (std::sregex_iterator dll(dump.begin(), dump.end(), import), end; dll != end; ++dll) {
        std::string name = (*dll)[1];
        for (char& c : name) c = static_cast<char>(std::tolower(c));
        EXPECT_TRUE(system.contains(name)) << "lightmatrix.scr needs " << name << ".dll";
    }
}

}  // namespace
}  // namespace lightmatrix::wine_test
