// lightmatrix.scr under Wine as the screen-saver settings use it: in their
// preview pane, as a program file carrying its resources, and as a 64-bit
// program that needs no DLL beyond the system's.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "wine_session.h"

namespace lightmatrix::wine_test {
namespace {

using e2e::Process;

class WinePreview : public WineSuite {
  protected:
    static void SetUpTestSuite() { session = std::make_unique<WineSession>("preview"); }
};

// Wine 8 does not show another process's child window on the screen, so the
// pane's pixels cannot be looked at here; the settings' stand-in checks the
// window's place in the window tree instead (see settings_host.cpp).
TEST_F(WinePreview, TheSaverRunsInThePreviewPaneAndEndsWithIt) {
    const std::string release = session->scratchDirectory() + "/release-pane";
    std::filesystem::remove(release);
    Process host = session->start({WindowsBuild::settingsHost(), "preview",
                                   windowsPath(WindowsBuild::screenSaver()), windowsPath(release)});
    ASSERT_TRUE(e2e::waitUntil(
        [&] { return contains(outputOf(host), "\nembedded\n") || !host.running(); }, 90s))
        << outputOf(host);
    ASSERT_TRUE(host.running()) << "the settings' stand-in ended early:\n" << outputOf(host);

    // A running preview is an instance: another one, full screen, ends at once
    // without showing anything, and the preview runs on.
    {
        TopLevelWatch watch(session->display());
        Process second = session->start({WindowsBuild::screenSaver(), "/s"});
        EXPECT_EQ(second.wait(60s), 0) << second.errorOutput();
        for (const Geometry& window : watch.mappedWindows())
            EXPECT_LE(window.width * window.height, 1) << "the second instance showed a window";
    }

    std::ofstream(release) << "done\n";
    const auto status = host.wait(90s);
    const std::string report = outputOf(host);
    EXPECT_EQ(status, 0) << report << host.errorOutput();
    EXPECT_FALSE(contains(report, "FAIL")) << report;
    // The stand-in saw it running on after the second instance came and went.
    EXPECT_TRUE(contains(report, "ok the saver still runs")) << report;
    EXPECT_TRUE(contains(report, "ok destroying the pane ends the saver")) << report;
}

TEST_F(WinePreview, TheProgramFileCarriesVersionDescriptionIconAndManifest) {
    Process host = session->start({WindowsBuild::settingsHost(), "resources",
                                   windowsPath(WindowsBuild::screenSaver()),
                                   windowsPath(WindowsBuild::committedIcon())});
    const auto status = host.wait(90s);
    const std::string report = outputOf(host);
    EXPECT_EQ(status, 0) << report << host.errorOutput();
    EXPECT_FALSE(contains(report, "FAIL")) << report;
    EXPECT_TRUE(contains(report, "description=Light Matrix\n")) << report;
}

// The DLLs a PE file imports, and its machine and subsystem.
struct PeFile {
    unsigned machine = 0;
    unsigned magic = 0;
    unsigned subsystem = 0;
    std::set<std::string> imports;
};

PeFile readPe(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in),
                                           std::istreambuf_iterator<char>()};
    auto u16 = [&](std::size_t at) {
        return at + 2 <= bytes.size() ? bytes[at] | bytes[at + 1] << 8 : 0u;
    };
    auto u32 = [&](std::size_t at) {
        return at + 4 <= bytes.size() ? static_cast<std::uint32_t>(u16(at) | u16(at + 2) << 16)
                                      : 0u;
    };
    PeFile pe;
    const std::size_t header = u32(0x3C);
    if (bytes.size() < 0x40 || u32(header) != 0x00004550) return pe;  // "PE\0\0"
    pe.machine = u16(header + 4);
    const unsigned sections = u16(header + 6);
    const std::size_t optional = header + 24;
    pe.magic = u16(optional);
    pe.subsystem = u16(optional + 68);
    const std::uint32_t importRva = u32(optional + 112 + 8);  // data directory 1, PE32+
    const std::size_t sectionTable = optional + u16(header + 20);
    auto offsetOf = [&](std::uint32_t rva) -> std::size_t {
        for (unsigned i = 0; i < sections; ++i) {
            const std::size_t s = sectionTable + i * 40;
            const std::uint32_t address = u32(s + 12);
            const std::uint32_t size = std::max(u32(s + 8), u32(s + 16));
            if (rva >= address && rva < address + size) return u32(s + 20) + (rva - address);
        }
        return bytes.size();
    };
    for (std::size_t d = offsetOf(importRva); d + 20 <= bytes.size(); d += 20) {
        const std::uint32_t nameRva = u32(d + 12);
        if (nameRva == 0) break;
        std::string name;
        for (std::size_t c = offsetOf(nameRva); c < bytes.size() && bytes[c] != 0; ++c)
            name += static_cast<char>(std::tolower(bytes[c]));
        pe.imports.insert(name);
    }
    return pe;
}

TEST_F(WinePreview, TheProgramFileIs64BitAndNeedsNoDllBeyondTheSystems) {
    const PeFile pe = readPe(WindowsBuild::screenSaver());
    EXPECT_EQ(pe.machine, 0x8664u) << "not an x86-64 program";
    EXPECT_EQ(pe.magic, 0x20Bu) << "not a PE32+ file";
    EXPECT_EQ(pe.subsystem, 2u) << "not a GUI program";
    EXPECT_TRUE(pe.imports.contains("user32.dll"));
    // DLLs that come with every Windows; the C++ runtime, libgcc and
    // winpthreads are linked in.
    const std::set<std::string> system{"kernel32.dll", "user32.dll",       "gdi32.dll",
                                       "ole32.dll",    "oleaut32.dll",     "msvcrt.dll",
                                       "winmm.dll",    "advapi32.dll",     "shell32.dll",
                                       "version.dll",  "windowscodecs.dll"};
    for (const std::string& dll : pe.imports)
        EXPECT_TRUE(system.contains(dll) || dll.rfind("api-ms-win-", 0) == 0)
            << "lightmatrix.scr needs " << dll;
}

}  // namespace
}  // namespace lightmatrix::wine_test
