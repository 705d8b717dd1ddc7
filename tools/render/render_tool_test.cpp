// lightmatrix-render: its arguments read, the frame it renders, and the
// program run as a user would, its PNG, dump and exit status.

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/support/e2e.h"
#include "render.h"
#include "support/running_program.h"
#include "support/scratch_dir.h"

namespace lightmatrix::render {
namespace {

using namespace std::chrono_literals;

TEST(RenderTool, ReadsItsArgumentsAndRefusesMalformedOnes) {
    const Request request =
        parseArguments({"--size", "320x200", "--dpi", "192", "--start", "60", "--seconds", "1.5",
                        "--hline", "1,1,3,#00FF00", "--clear", "--dump", "out.png"});
    EXPECT_EQ(std::tuple(request.width, request.height, request.dpi, request.startSeconds,
                         request.seconds, request.dump, request.output),
              std::tuple(320, 200, 192.0, 60.0, 1.5, true, std::string("out.png")));
    ASSERT_EQ(request.operations.size(), 2u);
    EXPECT_EQ(request.operations[0].colour, rgb(0, 255, 0));
    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"--size", "0x600", "a.png"},
                                               {"--start", "86400", "a.png"},
                                               {"--highlight", "1,2", "a.png"},
                                               {"--highlight", "40000,1,1", "a.png"},
                                               {"--highlight", "1,1,#12345G", "a.png"},
                                               {"--bogus", "a.png"},
                                               {"a.png", "b.png"}})
        EXPECT_THROW(parseArguments(arguments), UsageError) << arguments.size();
}

TEST(RenderTool, TheProgramWritesTheFrameTheDumpAndItsStatus) {
    testing_support::ScratchDir dir;
    const std::string png = dir.file("frame.png");
    const auto run = [](const std::vector<std::string>& arguments) {
        std::vector<std::string> argv{LIGHTMATRIX_RENDER_BINARY};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return e2e::Process::start(argv);
    };
    e2e::Process fine = run({"--dpi", "192", "--highlight", "0,1,255", "--dump", png});
    EXPECT_EQ(fine.wait(60s), 0) << fine.errorOutput();
    EXPECT_EQ(fine.output(), "1\t255\n");
    GdkPixbuf* frame = gdk_pixbuf_new_from_file(png.c_str(), nullptr);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(frame), 800);
    const guint8* centre = gdk_pixbuf_read_pixels(frame) + 6 * gdk_pixbuf_get_rowstride(frame) +
                           6 * gdk_pixbuf_get_n_channels(frame);  // light 1 at 192 DPI
    EXPECT_EQ(rgb(centre[0], centre[1], centre[2]), rgb(255, 0, 0));
    g_object_unref(frame);

    // A run-time error stops the operations, yet the frame and the dump are written.
    e2e::Process failed = run({"--highlight", "0,1,255", "--picture", dir.file("nope.png"),
                               "--highlight", "0,2,255", "--dump", png});
    EXPECT_EQ(failed.wait(60s), 1);
    EXPECT_NE(failed.errorOutput().find("run-time error: --picture"), std::string::npos);
    EXPECT_EQ(failed.output(), "1\t255\n");

    std::filesystem::remove(png);
    e2e::Process malformed = run({"--bogus", png});
    EXPECT_EQ(malformed.wait(60s), 2);
    EXPECT_NE(malformed.errorOutput().find("usage: lightmatrix-render"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(png));
}

}  // namespace
}  // namespace lightmatrix::render
