// Runs the lightmatrix-render binary as a user would and checks what it
// writes: the PNG's pixels, the dump on standard output, the exit status.

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/support/e2e.h"
#include "support/running_program.h"
#include "support/scratch_dir.h"

namespace lightmatrix {
namespace {

using testing_support::ScratchDir;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome render(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), LIGHTMATRIX_RENDER_BINARY);
    e2e::Process process = e2e::Process::start(arguments);
    return {process.wait(std::chrono::seconds(60)).value_or(-1), process.output(),
            process.errorOutput()};
}

Raster readPng(const std::string& path) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    if (pixbuf == nullptr) return {};
    Raster raster(gdk_pixbuf_get_width(pixbuf), gdk_pixbuf_get_height(pixbuf), kBlack);
    for (Int32 y = 0; y < raster.height; ++y) {
        for (Int32 x = 0; x < raster.width; ++x) {
            const guint8* p = gdk_pixbuf_read_pixels(pixbuf) +
                              y * gdk_pixbuf_get_rowstride(pixbuf) +
                              x * gdk_pixbuf_get_n_channels(pixbuf);
            raster.at(x, y) = rgb(p[0], p[1], p[2]);
        }
    }
    g_object_unref(pixbuf);
    return raster;
}

TEST(RenderTool, OperationsRunInOrderAndShowInTheFrameAndTheDump) {
    ScratchDir dir;
    const std::string png = dir.file("frame.png");
    const Outcome run = render({"--size", "320x200", "--dpi", "192", "--highlight", "0,1,255",
                                "--hline", "1,1,1,#00FF00", "--highlight", "1,2,0", "--dump", png});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1\t255\n121\t65280\n");
    const Raster frame = readPng(png);
    ASSERT_EQ(std::pair(frame.width, frame.height), std::pair(320, 200));
    const PixelMapping mapping(192);  // a light is 13.3 pixels across
    const auto at = [&](Int16 k) {
        const auto [x, y] = testing_support::cellCentrePixels(mapping, k);
        return frame.at(x, y);
    };
    EXPECT_EQ(at(1), rgb(255, 0, 0));
    EXPECT_EQ(at(121), rgb(0, 255, 0));
    EXPECT_EQ(at(122), kBlack);
    EXPECT_EQ(frame.at(0, 0), kBlack);  // a corner of a cell, off the disc
}

TEST(RenderTool, ARunTimeErrorStopsTheOperationsButTheFrameIsWritten) {
    ScratchDir dir;
    const std::string png = dir.file("frame.png");
    const Outcome run = render({"--highlight", "0,1,255", "--picture", dir.file("nope.png"),
                                "--highlight", "0,2,255", "--dump", png});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("run-time error: --picture " + dir.file("nope.png")), std::string::npos)
        << run.err;
    EXPECT_EQ(run.out, "1\t255\n");
    EXPECT_EQ(readPng(png).width, 800);

    const Outcome ended = render({"--click-panel", "--highlight", "0,1,255", "--dump", png});
    EXPECT_EQ(ended.status, 0);
    EXPECT_NE(ended.err.find("the program ended at --click-panel"), std::string::npos) << ended.err;
    EXPECT_EQ(ended.out, "");
}

TEST(RenderTool, AMalformedArgumentExitsWithUsageAndWritesNothing) {
    ScratchDir dir;
    const std::string png = dir.file("never.png");
    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"--size", "0x600", png},
                                               {"--start", "86400", png},
                                               {"--highlight", "1,2", png},
                                               {"--highlight", "40000,1,1", png},
                                               {"--highlight", "1,1,#12345G", png},
                                               {"--bogus", png},
                                               {png, png}}) {
        const Outcome run = render(arguments);
        EXPECT_EQ(run.status, 2) << arguments.size();
        EXPECT_NE(run.err.find("usage: lightmatrix-render"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(png));
    }
}

}  // namespace
}  // namespace lightmatrix
