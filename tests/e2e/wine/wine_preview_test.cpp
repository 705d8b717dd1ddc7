// lightmatrix.scr as the screen-saver settings see it: under Wine in their
// preview pane, and as a program file with its resources, 64-bit, that needs
// no DLL beyond the system's.

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
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
    Process host = session->start({kSettingsHost, windowsPath(kScreenSaver), windowsPath(release)});
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

// Read on this side, with objdump and wrestool.
TEST(WindowsProgramFile, IsA64BitGuiProgramWithItsResourcesInUsEnglish) {
    const auto resource = [](const std::string& type) {
        return e2e::runOutput({"wrestool", "-x", "--raw", "--type=" + type, kScreenSaver});
    };
    // The ASCII text of UTF-16 resource data: every second byte.
    const auto ascii = [](const std::string& utf16) {
        std::string text;
        for (std::size_t i = 0; i < utf16.size(); i += 2) text += utf16[i];
        return text;
    };
    const std::string list = e2e::runOutput({"wrestool", "-l", kScreenSaver});
    for (const std::string type : {"icon", "string", "group_icon", "version"})
        EXPECT_TRUE(contains(list, "--language=1033 [type=" + type)) << list;
    // String 1, the name older settings dialogs list, comes after an empty string 0.
    EXPECT_EQ(ascii(resource("6")).substr(1, 13), "\x0cLight Matrix");
    const std::string version = ascii(resource("16"));
    for (const std::string key : {"FileVersion", "ProductVersion"}) {
        const std::size_t value =
            version.find_first_not_of('\0', version.find(key + '\0') + key.size());
        EXPECT_EQ(version.substr(value, 5), std::string("1.00\0", 5)) << key;
    }
    // One icon, whose image is that of res/lightmatrix.ico (after its 22-byte header).
    std::ifstream in(LIGHTMATRIX_SOURCE_DIR "/res/lightmatrix.ico", std::ios::binary);
    const std::string ico{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(resource("14").substr(4, 2), std::string("\1\0", 2));
    EXPECT_EQ(resource("3"), ico.substr(22));
    const std::string manifest = resource("24");
    EXPECT_TRUE(contains(manifest, "PerMonitorV2") && contains(manifest, ">true/pm<"));

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
