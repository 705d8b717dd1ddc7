// Runs the lightmatrix-render binary as a user would and checks what it
// writes: the PNG's pixels, the dump on standard output, the exit status.

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/colour.h"
#include "e2e/support/e2e.h"
#include "platform/common/raster.h"
#include "support/running_program.h"
#include "support/scratch_dir.h"

namespace lightmatrix {
namespace {

namespace fs = std::filesystem;

using testing_support::ScratchDir;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome render(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{LIGHTMATRIX_RENDER_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    e2e::Process process = e2e::Process::start(argv);
    return {process.wait(std::chrono::seconds(60)).value_or(-1), process.output(),
            process.errorOutput()};
}

// The PNG's pixels as colour values; an empty raster when it cannot be read.
Raster readPng(const std::string& path) {
    Raster raster;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    if (pixbuf == nullptr) return raster;
    raster.resize(gdk_pixbuf_get_width(pixbuf), gdk_pixbuf_get_height(pixbuf), 0);
    const guint8* pixels = gdk_pixbuf_read_pixels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    for (Int32 y = 0; y < raster.height; ++y) {
        for (Int32 x = 0; x < raster.width; ++x) {
            const guint8* p = pixels + y * stride + x * channels;
            raster.at(x, y) = rgb(p[0], p[1], p[2]);
        }
    }
    g_object_unref(pixbuf);
    return raster;
}

// The centre pixel of matrix light k's cell at a DPI.
Colour centreOf(const Raster& frame, int k, double dpi = 96) {
    const auto [x, y] = testing_support::cellCentrePixels(PixelMapping(dpi), static_cast<Int16>(k));
    return frame.at(x, y);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::string dumpLine(int index, Colour colour) {
    return std::to_string(index) + "\t" + std::to_string(colour);
}

TEST(RenderTool, OperationsRunInOrderAndShowInTheFrameAndTheDump) {
    ScratchDir dir;
    const std::string png = dir.file("frame.png");
    const Outcome run = render({"--highlight", "0,1,255", "--hline", "2,1,3,#00FF00", "--vline",
                                "0,120,90,#0000ff", "--highlight", "0,0,#123456", "--highlight",
                                "0,2,255", "--highlight", "0,2,0", "--dump", png});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    const Raster frame = readPng(png);
    ASSERT_EQ(frame.width, 800);
    ASSERT_EQ(frame.height, 600);
    EXPECT_EQ(centreOf(frame, 1), rgb(255, 0, 0));
    EXPECT_EQ(centreOf(frame, 2), kBlack);
    for (int k = 241; k <= 244; ++k) EXPECT_EQ(centreOf(frame, k), rgb(0, 255, 0)) << k;
    EXPECT_EQ(centreOf(frame, 245), kBlack);
    for (int k = 120; k <= 10800; k += 120) ASSERT_EQ(centreOf(frame, k), rgb(0, 0, 255)) << k;
    EXPECT_EQ(frame.at(0, 0), kBlack);  // a corner of a cell, off the disc

    // Light 0 counts too, though light 1 covers it; light 2 went back to black.
    std::vector<std::string> expected = {dumpLine(0, rgb(0x12, 0x34, 0x56)), dumpLine(1, 255),
                                         dumpLine(120, rgb(0, 0, 255))};
    for (int k = 240; k <= 10800; k += 120) {
        expected.push_back(dumpLine(k, rgb(0, 0, 255)));
        if (k == 240)
            for (int h = 241; h <= 244; ++h) expected.push_back(dumpLine(h, rgb(0, 255, 0)));
    }
    EXPECT_EQ(lines(run.out), expected);

    // Without --dump nothing goes to standard output.
    const Outcome quiet = render({"--highlight", "0,1,255", png});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
}

TEST(RenderTool, SizeAndDpiShapeTheFrame) {
    ScratchDir dir;
    const std::string png = dir.file("small.png");
    const Outcome run = render({"--size", "320x200", "--dpi", "192", "--highlight", "0,1,255",
                                "--highlight", "1,3,65280", png});
    ASSERT_EQ(run.status, 0) << run.err;
    const Raster frame = readPng(png);
    ASSERT_EQ(frame.width, 320);
    ASSERT_EQ(frame.height, 200);
    // A cell is 13.3 pixels at 192 DPI.
    EXPECT_EQ(centreOf(frame, 1, 192), rgb(255, 0, 0));
    EXPECT_EQ(centreOf(frame, 123, 192), rgb(0, 255, 0));
    EXPECT_EQ(frame.at(6, 6), rgb(255, 0, 0));
    EXPECT_EQ(frame.at(20, 6), kBlack);
}

TEST(RenderTool, TheSameStartAndSecondsGiveTheSameFrameAndTheClearingTimerRuns) {
    ScratchDir dir;
    const std::string a = dir.file("a.png");
    const std::string b = dir.file("b.png");
    const Outcome first = render({"--start", "43200", "--seconds", "2", "--dump", a});
    const Outcome second = render({"--start", "43200", "--seconds", "2", "--dump", b});
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(readFile(a), readFile(b));
    EXPECT_EQ(first.out, second.out);
    // 200 lighting ticks: a few land outside the matrix or on a lit light.
    const std::size_t lit = lines(first.out).size();
    EXPECT_GT(lit, 170u);
    EXPECT_LE(lit, 200u);
    const Raster frame = readPng(a);
    int litPixels = 0;
    for (const Colour pixel : frame.pixels) litPixels += pixel != kBlack;
    EXPECT_GT(litPixels, static_cast<int>(lit) * 20);

    const Outcome other = render({"--start", "100", "--seconds", "2", "--dump", b});
    EXPECT_NE(other.out, first.out);

    // Just before the sixth clearing tick the lights have piled up; at it they
    // all go dark (the template light 0, which clear() leaves, may stay lit).
    const Outcome before = render({"--start", "43200", "--seconds", "359.99", "--dump", a});
    EXPECT_GT(lines(before.out).size(), 9000u);
    const Outcome cleared = render({"--start", "43200", "--seconds", "360", "--dump", b});
    ASSERT_EQ(cleared.status, 0) << cleared.err;
    for (const std::string& line : lines(cleared.out)) EXPECT_EQ(line.rfind("0\t", 0), 0u) << line;
    for (const Colour pixel : readPng(b).pixels) ASSERT_EQ(pixel, kBlack);
}

TEST(RenderTool, APictureShowsInThePanelAndOnTheLightsUntilTheClick) {
    ScratchDir dir;
    const std::string picture = dir.file("picture.ppm");
    {
        std::ofstream out(picture, std::ios::binary);
        out << "P6\n9 6\n255\n";
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 9; ++x)
                out << static_cast<char>(20 * x + 1) << static_cast<char>(40 * y + 1) << 'B';
    }
    const std::string shown = dir.file("shown.png");
    const Outcome run = render({"--picture", picture, "--dump", shown});
    ASSERT_EQ(run.status, 0) << run.err;
    const Raster frame = readPng(shown);
    // The panel stands at (360, 72) at 96 DPI, 209 x 65 pixels, on a light grey.
    EXPECT_EQ(frame.at(360, 72), rgb(1, 1, 'B'));
    EXPECT_EQ(frame.at(368, 77), rgb(161, 201, 'B'));
    EXPECT_EQ(frame.at(369, 72), rgb(240, 240, 240));
    EXPECT_EQ(frame.at(568, 136), rgb(240, 240, 240));
    EXPECT_EQ(centreOf(frame, 1), rgb(1, 1, 'B'));
    EXPECT_EQ(centreOf(frame, 122), rgb(61, 121, 'B'));
    // 22 rows of 70 samples, none of them black.
    const std::vector<std::string> dump = lines(run.out);
    EXPECT_EQ(dump.size(), 22u * 70u);
    EXPECT_EQ(dump.front(), dumpLine(1, rgb(1, 1, 'B')));
    EXPECT_EQ(dump.back(), dumpLine(21 * 120 + 70, rgb(240, 240, 240)));

    const std::string clicked = dir.file("clicked.png");
    const Outcome click = render({"--picture", picture, "--click-panel", "--dump", clicked});
    ASSERT_EQ(click.status, 0) << click.err;
    EXPECT_EQ(click.out, run.out);
    const Raster after = readPng(clicked);
    EXPECT_NE(after.at(360, 72), rgb(1, 1, 'B'));
    EXPECT_NE(after.at(568, 136), rgb(240, 240, 240));
    EXPECT_EQ(centreOf(after, 1), rgb(1, 1, 'B'));

    // With no panel shown the click lands on the window, which ends the program.
    const Outcome ended = render({"--click-panel", "--highlight", "0,1,255", "--dump", clicked});
    EXPECT_EQ(ended.status, 0);
    EXPECT_NE(ended.err.find("ended"), std::string::npos) << ended.err;
    EXPECT_EQ(ended.out, "");
}

TEST(RenderTool, ARunTimeErrorStopsTheOperationsButTheFrameAndDumpAreWritten) {
    ScratchDir dir;
    const std::string png = dir.file("frame.png");
    const Outcome missing = render({"--highlight", "0,1,255", "--picture", dir.file("nope.png"),
                                    "--highlight", "0,2,255", "--dump", png});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("nope.png"), std::string::npos) << missing.err;
    EXPECT_EQ(lines(missing.out), std::vector<std::string>{dumpLine(1, 255)});
    const Raster frame = readPng(png);
    ASSERT_EQ(frame.width, 800);
    EXPECT_EQ(centreOf(frame, 1), rgb(255, 0, 0));
    EXPECT_EQ(centreOf(frame, 2), kBlack);
    EXPECT_EQ(frame.at(360, 72), kBlack);  // the panel never showed

    // A run past the last light colours up to it, then fails.
    const Outcome past = render({"--hline", "89,118,5,65280", "--clear", "--dump", png});
    EXPECT_EQ(past.status, 1);
    EXPECT_NE(past.err.find("--hline 89,118,5,65280"), std::string::npos) << past.err;
    EXPECT_EQ(lines(past.out),
              (std::vector<std::string>{dumpLine(10798, 65280), dumpLine(10799, 65280),
                                        dumpLine(10800, 65280)}));
    EXPECT_EQ(centreOf(readPng(png), 10800), rgb(0, 255, 0));

    const Outcome overflow = render({"--highlight", "274,0,1", png});
    EXPECT_EQ(overflow.status, 1);
    EXPECT_NE(overflow.err.find("Overflow"), std::string::npos) << overflow.err;
}

TEST(RenderTool, AMalformedArgumentExitsWithUsageAndWritesNothing) {
    ScratchDir dir;
    const std::string png = dir.file("never.png");
    const std::vector<std::vector<std::string>> malformed = {
        {},
        {"--dump"},
        {"--size", "800", png},
        {"--size", "0x600", png},
        {"--size", "800x", png},
        {"--dpi", "ninety-six", png},
        {"--start", "-1", png},
        {"--start", "86400", png},
        {"--seconds", png},
        {"--highlight", "1,2", png},
        {"--highlight", "1,2,3,4", png},
        {"--highlight", "40000,1,1", png},
        {"--highlight", "1,1,#12345G", png},
        {"--highlight", "1,1,#1234", png},
        {"--highlight", "1,1,16777216", png},
        {"--highlight", "1,1,-1", png},
        {"--hline", "1,2,x,3", png},
        {"--vline", "1,2,3", png},
        {"--picture"},
        {"--bogus", png},
        {png, dir.file("second.png")},
    };
    for (const auto& arguments : malformed) {
        std::string shown;
        for (const auto& argument : arguments) shown += argument + " ";
        SCOPED_TRACE(shown);
        const Outcome run = render(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("usage: lightmatrix-render"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(fs::exists(png));
    }
    // The boundaries themselves are well formed.
    const Outcome edges = render({"--start", "0", "--highlight", "-32768,32767,16777215",
                                  "--highlight", "0,1,#FFFFFF", png});
    EXPECT_EQ(edges.status, 1);  // -32768 * 120 overflows: a run-time error, not a usage one
    EXPECT_TRUE(fs::exists(png));
}

}  // namespace
}  // namespace lightmatrix
