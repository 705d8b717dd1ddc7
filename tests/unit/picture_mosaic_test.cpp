#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/gdkpixbuf/picture_file.h"
#include "platform/win32_constants.h"
#include "support/error_kind.h"
#include "support/running_program.h"
#include "support/scratch_dir.h"

namespace lightmatrix {
namespace {

namespace fs = std::filesystem;

using ColourAt = std::function<Colour(Int32 x, Int32 y)>;

// Every pixel says where it came from: red and green carry x and y, blue their
// high bits. No pixel of a picture up to 2048 x 2048 is black or the panel's
// background, and no two are alike.
Colour sourceColour(Int32 x, Int32 y) {
    return rgb(x & 0xFF, y & 0xFF, 0x40 | (x >> 8) << 3 | (y >> 8));
}

using testing_support::errorFrom;
using testing_support::ScratchDir;

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ppmBytes(Int32 width, Int32 height, const ColourAt& colourAt) {
    std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (Int32 y = 0; y < height; ++y) {
        for (Int32 x = 0; x < width; ++x) {
            const Colour c = colourAt(x, y);
            bytes += static_cast<char>(redOf(c));
            bytes += static_cast<char>(greenOf(c));
            bytes += static_cast<char>(blueOf(c));
        }
    }
    return bytes;
}

std::string writePpm(const ScratchDir& dir, const std::string& name, Int32 width, Int32 height,
                     const ColourAt& colourAt = sourceColour) {
    const std::string path = dir.file(name);
    writeBytes(path, ppmBytes(width, height, colourAt));
    return path;
}

// Encodes a picture with gdk-pixbuf ("png", "bmp", ...); `alphaAt` gives each
// pixel's opacity, or leaves the picture without an alpha channel.
std::string encode(const char* type, Int32 width, Int32 height, const ColourAt& colourAt,
                   const std::function<int(Int32, Int32)>& alphaAt = {}) {
    const bool alpha = static_cast<bool>(alphaAt);
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, alpha, 8, width, height);
    guint8* pixels = gdk_pixbuf_get_pixels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    for (Int32 y = 0; y < height; ++y) {
        for (Int32 x = 0; x < width; ++x) {
            guint8* p = pixels + y * stride + x * channels;
            const Colour c = colourAt(x, y);
            p[0] = static_cast<guint8>(redOf(c));
            p[1] = static_cast<guint8>(greenOf(c));
            p[2] = static_cast<guint8>(blueOf(c));
            if (alpha) p[3] = static_cast<guint8>(alphaAt(x, y));
        }
    }
    gchar* buffer = nullptr;
    gsize size = 0;
    GError* error = nullptr;
    const bool saved = gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, type, &error, nullptr);
    g_object_unref(pixbuf);
    if (!saved) {
        const std::string why = error->message;
        g_error_free(error);
        throw std::runtime_error(why);
    }
    std::string bytes(buffer, size);
    g_free(buffer);
    return bytes;
}

// An 8-bit BMP of any size that holds almost nothing: its run-length data ends
// at once, so a file of about a kilobyte decodes to width x height pixels.
std::string emptyRunLengthBmp(std::int32_t width, std::int32_t height) {
    std::string bytes;
    auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const std::uint32_t dataOffset = 14 + 40 + 256 * 4;
    bytes += "BM";
    put(dataOffset + 2, 4);  // file size
    put(0, 4);
    put(dataOffset, 4);
    put(40, 4);  // BITMAPINFOHEADER
    put(static_cast<std::uint32_t>(width), 4);
    put(static_cast<std::uint32_t>(height), 4);
    put(1, 2);  // planes
    put(8, 2);  // bits per pixel
    put(1, 4);  // BI_RLE8
    put(2, 4);  // size of the data
    put(2835, 4);
    put(2835, 4);
    put(256, 4);
    put(0, 4);
    for (std::uint32_t i = 0; i < 256; ++i) put(i * 0x010101u, 4);
    bytes += std::string("\0\1", 2);  // end of bitmap
    return bytes;
}

// GetPixel of the panel as another window partly covering it would leave it:
// `cover` may answer for a pixel instead of the panel. Every read is recorded.
struct CoveredPanelGdi : Gdi32 {
    explicit CoveredPanelGdi(Gdi32& shownPanel) : panel(shownPanel) {}

    Int32 GetPixel(Int32 hdc, Int32 x, Int32 y) override {
        reads.emplace_back(x, y);
        if (cover)
            if (const std::optional<Int32> covered = cover(x, y)) return *covered;
        return panel.GetPixel(hdc, x, y);
    }

    Gdi32& panel;
    std::function<std::optional<Int32>(Int32 x, Int32 y)> cover;
    std::vector<std::pair<Int32, Int32>> reads;
};

// The panel with its inner size reported in another scale unit.
struct ScaledPanel : PicturePanel {
    ScaledPanel(PicturePanel& inner, float innerWidth, float innerHeight)
        : panel(inner), width(innerWidth), height(innerHeight) {}

    std::shared_ptr<const Picture> loadPicture(const std::string& path) override {
        return panel.loadPicture(path);
    }
    void setPicture(std::shared_ptr<const Picture> picture) override {
        panel.setPicture(std::move(picture));
    }
    void setVisible(bool visible) override { panel.setVisible(visible); }
    bool visible() const override { return panel.visible(); }
    float scaleWidth() const override { return width; }
    float scaleHeight() const override { return height; }
    Int32 hDC() const override { return panel.hDC(); }
    void onClick(std::function<void()> handler) override { panel.onClick(std::move(handler)); }

    PicturePanel& panel;
    float width;
    float height;
};

// The program on a memory platform whose panel reads go through CoveredPanelGdi.
struct MosaicProgram {
    explicit MosaicProgram(MemoryOptions options = {})
        : memory(std::move(options)),
          gdi(memory.platform().gdi32),
          platform(withGdi(memory.platform(), gdi)),
          form(startProgram(platform)) {}

    static Platform withGdi(Platform& p, Gdi32& gdi32) {
        return Platform{p.program, p.instanceCheck, p.window,    p.lights, p.timers, p.picturePanel,
                        p.events,  p.clock,         p.generator, p.user32, gdi32};
    }

    void drawPicture(const std::string& path) { drawPicture(form->Picture1, path); }
    void drawPicture(PicturePanel& panel, const std::string& path) {
        frmMainInternals::drawPicture(*form, panel, path);
    }

    Colour fill(Int16 k) { return memory.lights().fillColor(k); }
    std::vector<Colour> fills() {
        std::vector<Colour> all;
        for (Int16 k = 0; k <= 10800; ++k) all.push_back(fill(k));
        return all;
    }
    // The pixel (x, y) of the panel's area as the window shows it.
    Colour panelPixel(Int32 x, Int32 y) {
        const PixelRect& area = memory.panel().area();
        return memory.frame().at(area.left + x, area.top + y);
    }

    MemoryPlatform memory;
    CoveredPanelGdi gdi;
    Platform platform;
    std::unique_ptr<frmMain> form;
};

constexpr Colour kPanelBackground = MemoryPicturePanel::kBackground;

// Light index of the matrix light in row `row`, column `column`, both from 0.
Int16 lightAt(int row, int column) {
    return static_cast<Int16>(row * 120 + column + 1);
}

// Expects exactly these lights coloured, every other one black.
void expectOnlyLit(MosaicProgram& program, const std::map<Int16, Colour>& lit) {
    for (Int16 k = 0; k <= 10800; ++k) {
        const auto it = lit.find(k);
        ASSERT_EQ(program.fill(k), it == lit.end() ? kBlack : it->second) << "light " << k;
    }
}

TEST(PictureMosaic, ANineBySixPictureLandsOnTheTopLeftLightsAndThePanelShowsIt) {
    ScratchDir dir;
    MosaicProgram program;
    MemoryPicturePanel& panel = program.memory.panel();
    // The design rectangle at 96 DPI: 209 x 65 pixels, so 70 samples in each of 22 rows.
    ASSERT_EQ(panel.scaleWidth(), 209);
    ASSERT_EQ(panel.scaleHeight(), 65);
    ASSERT_FALSE(panel.visible());

    program.drawPicture(writePpm(dir, "nine-by-six.ppm", 9, 6));

    EXPECT_TRUE(panel.visible());
    std::map<Int16, Colour> lit;
    for (int row = 0; row < 22; ++row)
        for (int column = 0; column < 70; ++column) lit[lightAt(row, column)] = kPanelBackground;
    lit[1] = sourceColour(0, 0);
    lit[2] = sourceColour(3, 0);
    lit[3] = sourceColour(6, 0);
    lit[121] = sourceColour(0, 3);
    lit[122] = sourceColour(3, 3);
    lit[123] = sourceColour(6, 3);
    expectOnlyLit(program, lit);
    EXPECT_EQ(program.gdi.reads.size(), 22u * 70u);

    // The panel shows the picture from its top-left corner on its background.
    for (Int32 y = 0; y < 6; ++y)
        for (Int32 x = 0; x < 9; ++x) ASSERT_EQ(program.panelPixel(x, y), sourceColour(x, y));
    EXPECT_EQ(program.panelPixel(9, 0), kPanelBackground);
    EXPECT_EQ(program.panelPixel(0, 6), kPanelBackground);
    EXPECT_EQ(program.panelPixel(208, 64), kPanelBackground);
    // And the lights show their colours where the panel does not cover them.
    const auto [x, y] = testing_support::cellCentrePixels(program.memory.window().mapping(), 2);
    EXPECT_EQ(program.memory.frame().at(x, y), sourceColour(3, 0));
}

TEST(PictureMosaic, PicturesDecodedFromOtherFormatsLandTheSameWay) {
    ScratchDir dir;
    const std::string ppm = writePpm(dir, "reference.ppm", 9, 6);
    const std::string png = dir.file("picture.png");
    writeBytes(png, encode("png", 9, 6, sourceColour));
    const std::string bmp = dir.file("picture.bmp");
    writeBytes(bmp, encode("bmp", 9, 6, sourceColour));

    MosaicProgram reference;
    reference.drawPicture(ppm);
    for (const std::string& path : {png, bmp}) {
        SCOPED_TRACE(path);
        MosaicProgram program;
        program.drawPicture(path);
        EXPECT_EQ(program.fills(), reference.fills());
    }

    // Transparent pixels show the panel's background, half-transparent ones a blend.
    const std::string clear = dir.file("transparent.png");
    writeBytes(clear, encode(
                          "png", 9, 3, [](Int32, Int32) { return rgb(200, 0, 100); },
                          [](Int32 x, Int32) { return x < 3   ? 255
                                                      : x < 6 ? 0
                                                              : 128; }));
    MosaicProgram program;
    program.drawPicture(clear);
    EXPECT_EQ(program.fill(1), rgb(200, 0, 100));
    EXPECT_EQ(program.fill(2), kPanelBackground);
    const Colour half = program.fill(3);
    EXPECT_NEAR(redOf(half), (200 + 240) / 2, 1);
    EXPECT_NEAR(greenOf(half), 240 / 2, 1);
    EXPECT_NEAR(blueOf(half), (100 + 240) / 2, 1);
}

TEST(PictureMosaic, The121stSampleOfARowGoesToColumn121AndLaterOnesTo122) {
    ScratchDir dir;
    const std::string wide = writePpm(dir, "wide.ppm", 400, 6);

    // One sampled row across a panel 400 pixels wide: 134 samples, x = 0 .. 399.
    MosaicProgram oneRow(MemoryOptions{.panelWidth = 400, .panelHeight = 3});
    oneRow.drawPicture(wide);
    std::map<Int16, Colour> lit;
    for (int j = 0; j < 120; ++j) lit[static_cast<Int16>(j + 1)] = sourceColour(3 * j, 0);
    lit[121] = sourceColour(360, 0);  // column argument 121: the first light of row 1
    lit[122] = sourceColour(399, 0);  // 122, for samples 122 to 134; the last one stays
    expectOnlyLit(oneRow, lit);
    EXPECT_EQ(oneRow.gdi.reads.size(), 134u);

    // With a second row, that row's own first two samples overwrite those two lights.
    MosaicProgram twoRows(MemoryOptions{.panelWidth = 400, .panelHeight = 4});
    twoRows.drawPicture(wide);
    for (int j = 0; j < 120; ++j) lit[lightAt(1, j)] = sourceColour(3 * j, 3);
    lit[241] = sourceColour(360, 3);
    lit[242] = sourceColour(399, 3);
    expectOnlyLit(twoRows, lit);
}

TEST(PictureMosaic, UnreadableSamplesColourNothingButStillAdvanceTheColumn) {
    ScratchDir dir;
    const std::string picture = writePpm(dir, "nine-by-six.ppm", 9, 6);

    // Pixels that another window covers read CLR_INVALID; a value with the top
    // bit set is no colour either.
    MosaicProgram covered(MemoryOptions{.panelHeight = 6});
    covered.gdi.cover = [](Int32 x, Int32 y) -> std::optional<Int32> {
        if ((x == 0 && y == 0) || (x == 3 && y == 3)) return CLR_INVALID;
        if (x == 6 && y == 0) return static_cast<Int32>(0x80000000u | 0xFF);
        return std::nullopt;
    };
    covered.drawPicture(picture);
    std::map<Int16, Colour> lit;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 70; ++column) lit[lightAt(row, column)] = kPanelBackground;
    lit.erase(1);  // x = 0: nothing; x = 3 still goes to the second light
    lit[2] = sourceColour(3, 0);
    lit.erase(3);
    lit[121] = sourceColour(0, 3);
    lit.erase(122);
    lit[123] = sourceColour(6, 3);
    expectOnlyLit(covered, lit);

    // A window narrower than the panel clips it: at 400 pixels only x < 40 is
    // on the window, so 14 of a row's 70 samples are readable.
    MosaicProgram clipped(MemoryOptions{.screenWidth = 400, .panelHeight = 3});
    clipped.drawPicture(picture);
    lit.clear();
    for (int column = 0; column < 14; ++column) lit[lightAt(0, column)] = kPanelBackground;
    for (int j = 0; j < 3; ++j) lit[lightAt(0, j)] = sourceColour(3 * j, 0);
    expectOnlyLit(clipped, lit);
    EXPECT_EQ(clipped.gdi.reads.size(), 70u);
}

TEST(PictureMosaic, TheInnerSizeMinusOneRoundedToEvenBoundsTheSamples) {
    ScratchDir dir;
    const std::string picture = writePpm(dir, "picture.ppm", 9, 6);

    auto sampledRows = [](const CoveredPanelGdi& gdi) {
        std::set<Int32> rows;
        for (const auto& read : gdi.reads) rows.insert(read.second);
        return rows;
    };
    auto sampledColumns = [](const CoveredPanelGdi& gdi) {
        std::set<Int32> columns;
        for (const auto& read : gdi.reads) columns.insert(read.first);
        return columns;
    };

    {
        MosaicProgram program(MemoryOptions{.panelHeight = 3});
        program.drawPicture(picture);
        EXPECT_EQ(sampledRows(program.gdi), (std::set<Int32>{0}));
    }
    {
        MosaicProgram program(MemoryOptions{.panelHeight = 4});
        program.drawPicture(picture);
        EXPECT_EQ(sampledRows(program.gdi), (std::set<Int32>{0, 3}));
    }
    {
        // Height 0: the panel shows, nothing is sampled, nothing fails.
        MosaicProgram program;
        ScaledPanel flat(program.form->Picture1, 209, 0);
        program.drawPicture(flat, picture);
        EXPECT_TRUE(program.memory.panel().visible());
        EXPECT_TRUE(program.gdi.reads.empty());
        expectOnlyLit(program, {});
        EXPECT_EQ(program.panelPixel(0, 0), sourceColour(0, 0));
    }
    // Fractional sizes: 4.5 - 1 = 3.5 rounds to 4 (two rows or columns), 3.5 - 1 = 2.5 to
    // 2 (one), 3.6 - 1 = 2.6 to 3 (two).
    for (const auto& [size, expected] :
         {std::pair{4.5f, std::set<Int32>{0, 3}}, std::pair{3.5f, std::set<Int32>{0}},
          std::pair{3.6f, std::set<Int32>{0, 3}}}) {
        SCOPED_TRACE(size);
        MosaicProgram tall;
        ScaledPanel rows(tall.form->Picture1, 1, size);
        tall.drawPicture(rows, picture);
        EXPECT_EQ(sampledRows(tall.gdi), expected);
        EXPECT_EQ(sampledColumns(tall.gdi), (std::set<Int32>{0}));

        MosaicProgram wide;
        ScaledPanel columns(wide.form->Picture1, size, 1);
        wide.drawPicture(columns, picture);
        EXPECT_EQ(sampledColumns(wide.gdi), expected);
        EXPECT_EQ(sampledRows(wide.gdi), (std::set<Int32>{0}));
    }

    // A scale unit smaller than a pixel (the twip): the loops run far past the
    // panel's 209 x 65 pixels, 325 rows of 1045 samples. The samples beyond it
    // read CLR_INVALID and colour nothing, even in rows whose counter would
    // overflow a light index; the lights are those of the pixel-scaled panel.
    MosaicProgram twips;
    ScaledPanel inTwips(twips.form->Picture1, 3135, 975);
    twips.drawPicture(inTwips, picture);
    EXPECT_EQ(twips.gdi.reads.size(), 325u * 1045u);
    MosaicProgram pixels;
    pixels.drawPicture(picture);
    EXPECT_EQ(twips.fills(), pixels.fills());
}

TEST(PictureMosaic, AfterRow91TheColumnCounterIsNoLongerReset) {
    ScratchDir dir;
    // Ten columns keep every row's landing place among the existing lights, so
    // the rows past rowCount show where their samples go: four per row.
    MosaicProgram program(MemoryOptions{.screenHeight = 400, .panelWidth = 12, .panelHeight = 300});
    program.form->colCount = 10;
    program.drawPicture(writePpm(dir, "tall.ppm", 12, 300));

    std::map<Int16, Colour> lit;
    auto land = [&lit](int index, Int32 x, Int32 y) {
        lit[static_cast<Int16>(index)] = sourceColour(x, y);
    };
    for (int row = 0; row <= 91; ++row)  // reset after every row up to row 90: row 91 starts at 0
        for (int j = 0; j < 4; ++j) land(row * 10 + j + 1, 3 * j, 3 * row);
    for (int j = 0; j < 4; ++j) land(92 * 10 + 5 + j, 3 * j, 3 * 92);      // goes on from 4
    for (int j = 0; j < 4; ++j) land(93 * 10 + 9 + j, 3 * j, 3 * 93);      // 9, 10, 11, 12
    for (int row = 94; row < 100; ++row) land(row * 10 + 12, 9, 3 * row);  // stuck at 12
    expectOnlyLit(program, lit);
}

TEST(PictureMosaic, ReadableSamplesFromRowCounter273OnEndItWithOverflow) {
    ScratchDir dir;
    const std::string column = writePpm(dir, "column.ppm", 3, 900);
    auto firstColumn = [] {
        std::map<Int16, Colour> lit;
        for (int row = 0; row < 90; ++row) lit[lightAt(row, 0)] = sourceColour(0, 3 * row);
        return lit;
    };

    // One sample a row. By row counter 273 the column counter, no longer reset,
    // stands at 121: 273 x 120 + 122 leaves 16 bits at the sample y = 819.
    MosaicProgram program(MemoryOptions{.screenHeight = 1000, .panelWidth = 3, .panelHeight = 900});
    EXPECT_EQ(errorFrom([&] { program.drawPicture(column); }), ErrorKind::Overflow);
    EXPECT_EQ(program.gdi.reads.size(), 274u);
    EXPECT_EQ(program.gdi.reads.back(), std::pair(0, 819));
    expectOnlyLit(program, firstColumn());
    EXPECT_TRUE(program.memory.panel().visible());

    // With that sample covered, the next readable one, at row counter 274, fails.
    MosaicProgram covered(MemoryOptions{.screenHeight = 1000, .panelWidth = 3, .panelHeight = 900});
    covered.gdi.cover = [](Int32, Int32 y) -> std::optional<Int32> {
        if (y == 819) return CLR_INVALID;
        return std::nullopt;
    };
    EXPECT_EQ(errorFrom([&] { covered.drawPicture(column); }), ErrorKind::Overflow);
    EXPECT_EQ(covered.gdi.reads.size(), 275u);
    expectOnlyLit(covered, firstColumn());
}

TEST(PictureMosaic, TheRowCounterOverflowsAtTheEndOfThe32768thRow) {
    ScratchDir dir;
    const std::string picture = writePpm(dir, "dot.ppm", 3, 3);
    // A panel that runs far below a 600-pixel window: from y = 528 on every
    // sample is off the window, so no light is asked for in the rows that would
    // overflow a light index. Only the row counter itself can overflow.
    MosaicProgram fits(MemoryOptions{.panelWidth = 3, .panelHeight = 3 * 32767});
    EXPECT_NO_THROW(fits.drawPicture(picture));  // rows 0 .. 32766
    EXPECT_EQ(fits.gdi.reads.size(), 32767u);

    MosaicProgram over(MemoryOptions{.panelWidth = 3, .panelHeight = 3 * 32767 + 1});
    EXPECT_EQ(errorFrom([&] { over.drawPicture(picture); }), ErrorKind::Overflow);
    EXPECT_EQ(over.gdi.reads.size(), 32768u);
    EXPECT_EQ(over.fill(1), sourceColour(0, 0));
    EXPECT_EQ(over.fills(), fits.fills());
}

TEST(PictureMosaic, PendingEventsRunOnceAfterThePanelShowsAndBeforeTheFirstSample) {
    ScratchDir dir;
    MosaicProgram program;
    MemoryPlatform& memory = program.memory;
    const int callsBefore = memory.doEventsCalls();

    int runs = 0;
    bool panelShown = false;
    Colour panelCorner = kBlack;
    std::size_t readsBefore = 1;
    bool laterEventRan = false;
    memory.post([&] {
        ++runs;
        panelShown = memory.panel().visible();
        panelCorner = program.panelPixel(0, 0);
        readsBefore = program.gdi.reads.size();
        program.form->highlight(0, 1, rgb(1, 2, 3));     // the first sample overwrites this
        program.form->highlight(89, 119, rgb(1, 2, 3));  // no sample reaches this
        memory.post([&] { laterEventRan = true; });      // waits for the next round
    });
    program.drawPicture(writePpm(dir, "picture.ppm", 9, 6));

    EXPECT_EQ(runs, 1);
    EXPECT_EQ(memory.doEventsCalls(), callsBefore + 1);
    EXPECT_TRUE(panelShown);
    EXPECT_EQ(panelCorner, sourceColour(0, 0));
    EXPECT_EQ(readsBefore, 0u);
    EXPECT_EQ(program.fill(1), sourceColour(0, 0));
    EXPECT_EQ(program.fill(10799), rgb(1, 2, 3));
    EXPECT_FALSE(laterEventRan);
}

TEST(PictureMosaic, AFileThatCannotBeLoadedChangesNeitherThePanelNorAnyLight) {
    ScratchDir dir;
    const std::string good = writePpm(dir, "good.ppm", 9, 6);

    const std::string text = dir.file("notes.png");
    writeBytes(text, "These are not the pixels you are looking for.\n");
    const std::string png = encode("png", 40, 40, sourceColour);
    const std::string truncatedPng = dir.file("truncated.png");
    writeBytes(truncatedPng, png.substr(0, png.size() / 2));
    const std::string ppm = ppmBytes(40, 40, sourceColour);
    const std::string truncatedPpm = dir.file("truncated.ppm");
    writeBytes(truncatedPpm, ppm.substr(0, ppm.size() / 2));
    const std::string hugeHeader = dir.file("huge.ppm");
    writeBytes(hugeHeader, "P6\n100000 100000\n255\n" + std::string(64, '\x7f'));
    // A kilobyte that would decode to one row more than the limit allows.
    const std::string hugeBmp = dir.file("huge.bmp");
    writeBytes(hugeBmp, emptyRunLengthBmp(8192, 8193));
    ASSERT_GT(8192LL * 8193, kMaxPicturePixels);
    // The same file under the limit decodes: the limit is what refuses the other.
    const std::string modestBmp = dir.file("modest.bmp");
    writeBytes(modestBmp, emptyRunLengthBmp(1024, 1024));
    EXPECT_EQ(loadPictureFile(modestBmp, kPanelBackground).width, 1024);

    const std::vector<std::string> unloadable = {dir.file("missing.png"),
                                                 dir.file(""),
                                                 text,
                                                 truncatedPng,
                                                 truncatedPpm,
                                                 hugeHeader,
                                                 hugeBmp};

    MosaicProgram program;
    MemoryPlatform& memory = program.memory;
    bool eventRan = false;
    memory.post([&] { eventRan = true; });
    // Every unloadable file fails at once: the panel keeps its picture and its
    // visibility, no light changes, no event is handled and no pixel is read.
    auto expectEachToChangeNothing = [&] {
        const bool shown = memory.panel().visible();
        const std::vector<Colour> fills = program.fills();
        const std::vector<Colour> frame = memory.frame().pixels;
        const int calls = memory.doEventsCalls();
        for (const std::string& path : unloadable) {
            SCOPED_TRACE(path);
            EXPECT_EQ(errorFrom([&] { program.drawPicture(path); }), ErrorKind::CannotLoadPicture);
            EXPECT_EQ(memory.panel().visible(), shown);
            EXPECT_EQ(program.fills(), fills);
            EXPECT_EQ(memory.frame().pixels, frame);
        }
        EXPECT_EQ(memory.doEventsCalls(), calls);
        EXPECT_FALSE(eventRan);
        EXPECT_TRUE(program.gdi.reads.empty());
    };

    // While the panel is hidden and holds no picture ...
    expectEachToChangeNothing();

    // ... and while it shows a picture that has coloured the lights.
    program.drawPicture(good);
    ASSERT_TRUE(eventRan);
    ASSERT_EQ(program.fill(1), sourceColour(0, 0));
    eventRan = false;
    program.gdi.reads.clear();
    memory.post([&] { eventRan = true; });
    expectEachToChangeNothing();
    EXPECT_EQ(program.panelPixel(8, 5), sourceColour(8, 5));
}

TEST(PictureMosaic, AClickOnTheShownPanelHidesItAndTheProgramRunsOn) {
    ScratchDir dir;
    MosaicProgram program;
    MemoryPlatform& memory = program.memory;
    const PixelRect area = memory.panel().area();
    program.drawPicture(writePpm(dir, "picture.ppm", 9, 6));
    ASSERT_TRUE(memory.panel().visible());
    const std::vector<Colour> fills = program.fills();

    memory.pressMouse(1, area.left + 4, area.top + 4);
    EXPECT_FALSE(memory.panel().visible());
    EXPECT_FALSE(memory.ended());
    EXPECT_EQ(program.fills(), fills);

    // The window shows the lights where the panel was, exactly as if it had
    // never been there.
    Raster expected;
    expected.resize(memory.frame().width, memory.frame().height, kBlack);
    renderArea(memory.lights().scene(), memory.window().backColor(), memory.window().mapping(),
               expected.bounds(), expected);
    EXPECT_EQ(memory.frame().pixels, expected.pixels);
    EXPECT_NE(program.panelPixel(0, 0), sourceColour(0, 0));

    // The timers go on.
    memory.advance(1000);
    EXPECT_NE(program.fills(), fills);
    EXPECT_FALSE(memory.ended());

    // With the panel hidden, a press at the same place is the window's, and ends it.
    memory.pressMouse(1, area.left + 4, area.top + 4);
    EXPECT_TRUE(memory.ended());
}

}  // namespace
}  // namespace lightmatrix
