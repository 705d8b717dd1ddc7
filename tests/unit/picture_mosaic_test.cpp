#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "platform/framebuffer/picture_loading.h"
#include "platform/linux/pixbuf_decoder.h"
#include "support/error_kind.h"
#include "support/probed_panel.h"
#include "support/running_program.h"
#include "support/scratch_dir.h"

namespace lightmatrix {
namespace {

using testing_support::errorFrom;
using testing_support::ProbedPanel;
using testing_support::RunningProgram;
using testing_support::ScratchDir;
using ColourAt = std::function<Colour(Int32 x, Int32 y)>;

// Every pixel says where it came from: red and green carry x and y, blue their
// high bits. No pixel of a picture up to 2048 x 2048 is black or the button
// face, and no two are alike.
Colour sourceColour(Int32 x, Int32 y) {
    return rgb(x & 0xFF, y & 0xFF, 0x40 | (x >> 8) << 3 | (y >> 8));
}

std::string writePpm(const ScratchDir& dir, Int32 width, Int32 height,
                     const ColourAt& colourAt = sourceColour) {
    const std::string path =
        dir.file(std::to_string(width) + "x" + std::to_string(height) + ".ppm");
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << ' ' << height << "\n255\n";
    for (Int32 y = 0; y < height; ++y)
        for (Int32 x = 0; x < width; ++x)
            for (const int channel :
                 {redOf(colourAt(x, y)), greenOf(colourAt(x, y)), blueOf(colourAt(x, y))})
                out.put(static_cast<char>(channel));
    return path;
}

// The fuzzer's seed pictures: one 9 x 6 picture in many formats, and broken files.
std::string corpus(const std::string& name) {
    return std::string(LIGHTMATRIX_SOURCE_DIR) + "/fuzz/corpus/" + name;
}

Raster decoded(const std::string& name) {
    PixbufDecoder decoder;
    return loadPicture(decoder, corpus(name), kButtonFace);
}

// A decoder of pictures of a given size, all grey.
struct SizedDecoder : PictureDecoder {
    explicit SizedDecoder(PixelSize picture) : size(picture) {}
    PixelSize measure(const std::string&) override { return size; }
    RgbaPicture decode(const std::string&) override {
        ++decoded;
        return {size.width, size.height,
                std::vector<std::uint8_t>(static_cast<std::size_t>(size.width) * size.height * 4,
                                          0xFF)};
    }
    PixelSize size;
    int decoded = 0;
};

TEST(PictureFile, APictureOfUpTo64MegapixelsLoadsAndOneOfMoreIsRefusedUndecoded) {
    SizedDecoder limit({8192, 8192});
    EXPECT_EQ(loadPicture(limit, "limit", kButtonFace).at(8191, 8191), kWhite);
    SizedDecoder over({5, 13421773});  // 64 megapixels and one
    EXPECT_EQ(errorFrom([&] { loadPicture(over, "over", kButtonFace); }),
              ErrorKind::CannotLoadPicture);
    EXPECT_EQ(over.decoded, 0);
}

TEST(PictureFile, EveryFormatDecodesToTheSamePixelsAndBrokenFilesAreRefused) {
    const Raster reference = decoded("nine-by-six.ppm");
    ASSERT_EQ(std::pair(reference.width, reference.height), std::pair(9, 6));
    EXPECT_EQ(reference.at(8, 5), rgb(8 * 28, 5 * 40, 64));
    for (const char* name : {"rgb.png", "rgb.bmp", "nine-by-six.tif"})
        EXPECT_EQ(decoded(name).pixels, reference.pixels) << name;
    // Transparent pixels show the panel's face, half-transparent ones a blend
    // rounded to the nearest: 200 and 0 at alpha 128 over 240 give 220 and 120.
    EXPECT_EQ(decoded("rgba.png").at(0, 0), kButtonFace);
    const std::uint8_t half[] = {200, 0, 255, 128};
    EXPECT_EQ(layOver(half, kButtonFace), rgb(220, 120, 248));
    for (const char* name :
         {"truncated.png", "truncated.ppm", "huge-header.ppm", "text.txt", "none"})
        EXPECT_EQ(errorFrom([&] { decoded(name); }), ErrorKind::CannotLoadPicture) << name;
}

// The lights' colours, the template's included.
std::vector<Colour> fills(RunningProgram& program) {
    std::vector<Colour> all;
    for (Int16 k = 0; k <= 10800; ++k) all.push_back(program.fill(k));
    return all;
}

// Pixel (x, y) of the panel's area as the screen shows it.
Colour panelPixel(RunningProgram& program, Int32 x, Int32 y) {
    const PixelRect& area = program.memory.panel().area();
    return program.memory.screen().at(area.left + x, area.top + y);
}

// The light in row `row`, column `column`, both from 0.
Int16 lightAt(int row, int column) {
    return static_cast<Int16>(row * 120 + column + 1);
}

// The lights a 9 x 6 picture colours on a 209 x 65 panel: 22 rows of 70
// samples, the picture's own pixels in the top-left corner, the button face
// elsewhere.
std::map<Int16, Colour> nineBySixLights(int rows = 22, int columns = 70) {
    std::map<Int16, Colour> lit;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            lit[lightAt(row, column)] =
                row < 2 && column < 3 ? sourceColour(3 * column, 3 * row) : kButtonFace;
    return lit;
}

TEST(PictureMosaic, EachLightTakesTheTopLeftPixelOfItsBlockAndThePanelShowsThePicture) {
    ScratchDir dir;
    RunningProgram program;
    program.saver.highlight(0, 2, 255);  // a black sample colours it black again
    const ColourAt withBlack = [](Int32 x, Int32 y) {
        return x == 3 && y == 0 ? kBlack : sourceColour(x, y);
    };

    program.drawPicture(writePpm(dir, 9, 6, withBlack));
    EXPECT_TRUE(program.memory.panel().visible());
    std::map<Int16, Colour> lit = nineBySixLights();
    lit.erase(2);
    EXPECT_EQ(program.lit(), lit);
    EXPECT_EQ(program.panel.samples.size(), 22u * 70u);

    for (Int32 y = 0; y < 6; ++y)
        for (Int32 x = 0; x < 9; ++x) ASSERT_EQ(panelPixel(program, x, y), withBlack(x, y));
    EXPECT_EQ(panelPixel(program, 208, 64), kButtonFace);
    EXPECT_EQ(program.panel.sample(208, 64), kButtonFace);
    EXPECT_EQ(program.panel.sample(209, 0), kNoPixel);
    EXPECT_EQ(program.panel.sample(0, 65), kNoPixel);
    // The lights show where the panel does not cover them.
    const auto [x, y] = testing_support::cellCentrePixels(program.memory.window().mapping(), 3);
    EXPECT_EQ(program.memory.screen().at(x, y), sourceColour(6, 0));
}

TEST(PictureMosaic, The121stSampleOfARowGoesToColumn121AndLaterOnesTo122) {
    ScratchDir dir;
    const std::string wide = writePpm(dir, 400, 6);
    // One sampled row across a panel 400 pixels wide: 134 samples.
    RunningProgram oneRow(MemoryOptions{.panelWidth = 400, .panelHeight = 3});
    oneRow.drawPicture(wide);
    std::map<Int16, Colour> lit;
    for (int j = 0; j < 120; ++j) lit[lightAt(0, j)] = sourceColour(3 * j, 0);
    lit[121] = sourceColour(360, 0);  // column argument 121: the first light of row 1
    lit[122] = sourceColour(399, 0);  // 122, for samples 122 to 134; the last one stays
    EXPECT_EQ(oneRow.lit(), lit);

    // A second row's own first two samples overwrite those two lights.
    RunningProgram twoRows(MemoryOptions{.panelWidth = 400, .panelHeight = 4});
    twoRows.drawPicture(wide);
    for (int j = 0; j < 120; ++j) lit[lightAt(1, j)] = sourceColour(3 * j, 3);
    lit[241] = sourceColour(360, 3);
    lit[242] = sourceColour(399, 3);
    EXPECT_EQ(twoRows.lit(), lit);
}

TEST(PictureMosaic, UnreadableSamplesColourNothingButStillAdvanceTheColumn) {
    ScratchDir dir;
    const std::string picture = writePpm(dir, 9, 6);
    RunningProgram covered(MemoryOptions{.panelHeight = 6});
    covered.panel.cover = [](Int32 x, Int32 y) -> std::optional<Int32> {
        if ((x == 0 && y == 0) || (x == 3 && y == 3)) return kNoPixel;
        if (x == 6 && y == 0) return static_cast<Int32>(0x800000FFu);  // the top bit set
        return std::nullopt;
    };
    covered.drawPicture(picture);
    std::map<Int16, Colour> lit = nineBySixLights(2);
    lit.erase(1);
    lit.erase(3);
    lit.erase(122);
    EXPECT_EQ(covered.lit(), lit);

    // A window narrower than the panel clips it: at 400 pixels only x < 40 of
    // the panel is on it, 14 of a row's 70 samples.
    RunningProgram clipped(MemoryOptions{.screenWidth = 400, .panelHeight = 3});
    clipped.drawPicture(picture);
    EXPECT_EQ(clipped.lit(), nineBySixLights(1, 14));
    EXPECT_EQ(clipped.panel.samples.size(), 70u);
}

TEST(PictureMosaic, TheInnerSizeMinusOneRoundedToEvenBoundsTheSamples) {
    ScratchDir dir;
    const std::string picture = writePpm(dir, 9, 6);
    const auto sampled = [](const ProbedPanel& panel, bool rows) {
        std::set<Int32> at;
        for (const auto& [x, y] : panel.samples) at.insert(rows ? y : x);
        return at;
    };
    // Size 4 gives 0 and 3; 3 gives 0; 4.5 - 1 rounds to 4, 3.5 - 1 to 2, 3.6 - 1 to 3.
    for (const auto& [size, expected] :
         {std::pair{4.0f, std::set<Int32>{0, 3}}, std::pair{3.0f, std::set<Int32>{0}},
          std::pair{4.5f, std::set<Int32>{0, 3}}, std::pair{3.5f, std::set<Int32>{0}},
          std::pair{3.6f, std::set<Int32>{0, 3}}}) {
        SCOPED_TRACE(size);
        RunningProgram tall;
        tall.panel.width = 1;
        tall.panel.height = size;
        tall.drawPicture(picture);
        EXPECT_EQ(sampled(tall.panel, true), expected);
        EXPECT_EQ(sampled(tall.panel, false), std::set<Int32>{0});
    }
    // Height 0: the panel shows and nothing is sampled.
    RunningProgram flat;
    flat.panel.height = 0;
    flat.drawPicture(picture);
    EXPECT_TRUE(flat.panel.visible());
    EXPECT_TRUE(flat.panel.samples.empty());

    // A scale unit smaller than a pixel (the twip): the loops run past the
    // panel's pixels, whose samples read nothing and colour nothing.
    RunningProgram twips;
    twips.panel.width = 3135;
    twips.panel.height = 975;
    twips.drawPicture(picture);
    EXPECT_EQ(twips.panel.samples.size(), 325u * 1045u);
    EXPECT_EQ(twips.lit(), nineBySixLights());
}

TEST(PictureMosaic, AfterRow91TheColumnCounterIsNoLongerReset) {
    ScratchDir dir;
    // Ten columns keep every row's landing place among the existing lights, so
    // the rows past rowCount show where their samples go: four per row.
    RunningProgram program(
        MemoryOptions{.screenHeight = 400, .panelWidth = 12, .panelHeight = 300});
    program.saver.colCount = 10;
    program.drawPicture(writePpm(dir, 12, 300));
    std::map<Int16, Colour> lit;
    auto land = [&lit](int index, Int32 x, Int32 y) {
        lit[static_cast<Int16>(index)] = sourceColour(x, y);
    };
    for (int row = 0; row <= 91; ++row)  // reset after every row up to row 90
        for (int j = 0; j < 4; ++j) land(row * 10 + j + 1, 3 * j, 3 * row);
    for (int j = 0; j < 4; ++j) land(92 * 10 + 5 + j, 3 * j, 3 * 92);      // goes on from 4
    for (int j = 0; j < 4; ++j) land(93 * 10 + 9 + j, 3 * j, 3 * 93);      // 9 .. 12
    for (int row = 94; row < 100; ++row) land(row * 10 + 12, 9, 3 * row);  // stuck at 12
    EXPECT_EQ(program.lit(), lit);
}

TEST(PictureMosaic, CountersBeyond16BitsEndItWithOverflow) {
    ScratchDir dir;
    const std::string column = writePpm(dir, 3, 900);
    std::map<Int16, Colour> firstColumn;
    for (int row = 0; row < 90; ++row) firstColumn[lightAt(row, 0)] = sourceColour(0, 3 * row);

    // One sample a row. By row counter 273 the column counter, no longer reset,
    // stands at 121: 273 x 120 + 122 leaves 16 bits at the sample y = 819.
    RunningProgram program(
        MemoryOptions{.screenHeight = 1000, .panelWidth = 3, .panelHeight = 900});
    EXPECT_EQ(errorFrom([&] { program.drawPicture(column); }), ErrorKind::Overflow);
    EXPECT_EQ(program.panel.samples.back(), std::pair(0, 819));
    EXPECT_EQ(program.lit(), firstColumn);
    EXPECT_TRUE(program.panel.visible());

    // Off the window no light is asked for: only the row counter itself
    // overflows, at the end of the 32768th row.
    const std::string dot = writePpm(dir, 3, 3);
    RunningProgram fits(MemoryOptions{.panelWidth = 3, .panelHeight = 3 * 32767});
    fits.drawPicture(dot);
    EXPECT_EQ(fits.panel.samples.size(), 32767u);
    RunningProgram over(MemoryOptions{.panelWidth = 3, .panelHeight = 3 * 32767 + 1});
    EXPECT_EQ(errorFrom([&] { over.drawPicture(dot); }), ErrorKind::Overflow);
    EXPECT_EQ(over.panel.samples.size(), 32768u);
    EXPECT_EQ(over.fill(1), sourceColour(0, 0));
}

TEST(PictureMosaic, PendingEventsRunOnceAfterThePanelShowsAndBeforeTheFirstSample) {
    ScratchDir dir;
    RunningProgram program;
    MemoryBackend& memory = program.memory;
    const std::string picture = writePpm(dir, 9, 6);
    int runs = 0;
    bool panelShown = false;
    std::size_t samplesBefore = 1;
    bool laterEventRan = false;
    std::optional<bool> panelOnScreen;  // at the first sample
    program.panel.cover = [&](Int32, Int32) -> std::optional<Int32> {
        if (!panelOnScreen) panelOnScreen = panelPixel(program, 0, 0) == sourceColour(0, 0);
        return std::nullopt;
    };
    const auto pending = [&] {
        ++runs;
        panelShown = program.panel.visible();
        samplesBefore = program.panel.samples.size();
        program.saver.highlight(0, 1, rgb(1, 2, 3));     // the first sample overwrites this
        program.saver.highlight(89, 119, rgb(1, 2, 3));  // no sample reaches this
        memory.post([&] { laterEventRan = true; });      // waits for the next round
    };
    // The picture comes, and another event right behind it.
    memory.post([&] {
        memory.pictureChosen(picture);
        memory.post(pending);
    });
    const int rounds = memory.rounds();
    memory.processPendingEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(memory.rounds(), rounds + 2);  // the picture's and the mosaic's
    EXPECT_TRUE(panelShown);
    EXPECT_EQ(panelOnScreen, true);  // that round painted it
    EXPECT_EQ(samplesBefore, 0u);
    EXPECT_EQ(program.fill(1), sourceColour(0, 0));
    EXPECT_EQ(program.fill(10799), rgb(1, 2, 3));
    EXPECT_FALSE(laterEventRan);
}

TEST(PictureMosaic, AFileThatCannotBeLoadedChangesNeitherThePanelNorAnyLight) {
    ScratchDir dir;
    RunningProgram program;
    // While the panel is hidden, and while it shows a picture on the lights.
    for (const bool shown : {false, true}) {
        if (shown) program.drawPicture(writePpm(dir, 9, 6));
        program.panel.samples.clear();
        const int rounds = program.memory.rounds();
        const std::vector<Colour> before = fills(program);
        const std::vector<Colour> screen = program.memory.screen().pixels;
        for (const std::string& path :
             {corpus("truncated.png"), corpus("text.txt"), dir.file("")}) {
            EXPECT_EQ(errorFrom([&] { program.drawPicture(path); }), ErrorKind::CannotLoadPicture);
            EXPECT_EQ(program.panel.visible(), shown);
            EXPECT_EQ(fills(program), before);
            EXPECT_EQ(program.memory.screen().pixels, screen);
        }
        // Each choice's own round, and none for the mosaic's pending events.
        EXPECT_EQ(program.memory.rounds(), rounds + 3);
        EXPECT_TRUE(program.panel.samples.empty());
    }
}

TEST(PictureMosaic, ALeftClickOnTheShownPanelHidesItAndTheProgramRunsOn) {
    ScratchDir dir;
    RunningProgram program;
    MemoryBackend& memory = program.memory;
    const PixelRect area = memory.panel().area();
    program.drawPicture(writePpm(dir, 9, 6));
    const std::vector<Colour> before = fills(program);

    // Another button, or the left one released off the panel, is no click,
    // and the panel keeps the press from the window.
    memory.click(area.left + 4, area.top + 4, /*left=*/false);
    memory.mouseDown(area.left + 4, area.top + 4);
    memory.mouseUp(area.right + 4, area.top + 4);
    EXPECT_TRUE(program.panel.visible() && !memory.ended());
    memory.click(area.left + 4, area.top + 4);
    EXPECT_FALSE(program.panel.visible());
    EXPECT_FALSE(memory.ended());
    EXPECT_EQ(fills(program), before);
    // The screen shows the lights where the panel was.
    EXPECT_EQ(memory.screen().pixels, program.drawnAfresh().pixels);

    memory.advance(1000);
    EXPECT_NE(fills(program), before);
    // With the panel hidden, a press at the same place is the window's.
    memory.mouseDown(area.left + 4, area.top + 4);
    EXPECT_TRUE(memory.ended());
}

}  // namespace
}  // namespace lightmatrix
