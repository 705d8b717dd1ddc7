// Runs the screen saver's logic on the Win32 backend under Wine, as
// lightmatrix.scr does, and copies a picture onto the lights with drawPicture,
// which the running screen saver never calls.
//
//   lightmatrix_picture_probe DIRECTORY
//
// It writes its pictures into DIRECTORY, checks the picture panel and the
// lights, and prints one line per check ("FAIL ..." for a failed one). Then it
// prints "ready" and runs the program's event loop, panel shown, until a key
// or a click on the window ends it; the test looks at the screen meanwhile.
// The exit status is 0 when every check passed and the program ended normally.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "checks.h"
#include "common/constants.h"
#include "e2e/support/picture_pattern.h"
#include "platform/common/icon.h"
#include "platform/win32/win32_platform.h"
#include "shell/frm_main.h"
#include "shell/frm_main_internals.h"
#include "shell/program_start.h"

namespace lightmatrix {

namespace {

using e2e::kPictureHeight;
using e2e::kPictureWidth;
using e2e::patternAt;

constexpr Int32 kInvalid = -1;  // CLR_INVALID as GetPixel returns it

using wine_test::check;
using wine_test::say;

void put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// A 24-bit BMP file of `width` x `height`, with the pattern's pixels when
// `withPixels`, or only its headers.
std::string bmpFile(int width, int height, bool withPixels) {
    const auto rowBytes = static_cast<std::uint32_t>((width * 3 + 3) / 4 * 4);
    const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(height);
    std::string out = "BM";
    put32(out, 54 + pixelBytes);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));  // bottom-up
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, pixelBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    if (!withPixels) return out;
    for (int y = height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const Colour c = patternAt(x, y);
            row += static_cast<char>(blueOf(c));
            row += static_cast<char>(greenOf(c));
            row += static_cast<char>(redOf(c));
        }
        row.resize(rowBytes, '\0');
        out += row;
    }
    return out;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

int litLights(win32::Win32Platform& backend) {
    int lit = 0;
    for (Int16 k = 0; k <= 10800; ++k) lit += backend.lights().fillColor(k) != kBlack;
    return lit;
}

// drawPicture must refuse the file, raising CannotLoadPicture, and leave the
// panel hidden and every light dark.
void expectRefused(frmMain& form, win32::Win32Platform& backend, const std::string& path,
                   const char* what, const char* mustMention = nullptr) {
    std::string error = "nothing";
    bool rightKind = false;
    try {
        frmMainInternals::drawPicture(form, form.Picture1, path);
    } catch (const RuntimeError& e) {
        rightKind = e.kind() == ErrorKind::CannotLoadPicture;
        error = e.what();
    }
    check(rightKind,
          std::string(what) + " is refused as a picture that cannot be loaded: " + error);
    if (mustMention != nullptr)
        check(error.find(mustMention) != std::string::npos,
              std::string(what) + ": the error says \"" + mustMention + "\"");
    check(!form.Picture1.visible(), std::string(what) + ": the panel stays hidden");
    check(litLights(backend) == 0, std::string(what) + ": no light changes");
}

// The window's icon is the program's 32 x 32 icon, pixel for pixel.
void checkWindowIcon(HWND window) {
    const auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
    check(icon != nullptr, "the window has a class icon");
    if (icon == nullptr) return;
    ICONINFO info{};
    GetIconInfo(icon, &info);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = 32;
    format.bmiHeader.biHeight = -32;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> bits(32 * 32);
    const HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, info.hbmColor, 0, 32, bits.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    const IconImage drawn = drawIcon();
    int wrong = 0;
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (!drawn.opaque[i]) continue;
        const std::uint32_t c = bits[i];
        wrong += rgb(static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                     static_cast<int>(c & 0xFF)) != drawn.pixels[i];
    }
    check(rows == 32 && wrong == 0,
          "the window's icon shows the drawn icon (" + std::to_string(wrong) + " pixels differ)");
}

void checkMosaic(frmMain& form, win32::Win32Platform& backend) {
    PicturePanel& panel = form.Picture1;
    const Int32 hdc = panel.hDC();
    Gdi32& gdi32 = backend.platform().gdi32;
    check(panel.visible(), "drawPicture shows the panel");

    // The panel's design rectangle at the window's DPI, in pixels.
    const PixelRect design = backend.window().mapping().toPixels(
        {kPanelLeftTwips, kPanelTopTwips, kPanelLeftTwips + kPanelWidthTwips,
         kPanelTopTwips + kPanelHeightTwips});
    const int width = static_cast<int>(panel.scaleWidth());
    const int height = static_cast<int>(panel.scaleHeight());
    check(width == design.right - design.left && height == design.bottom - design.top,
          "the panel is its design rectangle: " + std::to_string(width) + " x " +
              std::to_string(height) + " pixels at " + std::to_string(backend.window().dpi()) +
              " dpi");

    // The panel shows the picture from its top-left corner, clipped to itself.
    int wrongPixels = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) wrongPixels += gdi32.GetPixel(hdc, x, y) != patternAt(x, y);
    check(wrongPixels == 0, "GetPixel reads the picture's pixels on the panel (" +
                                std::to_string(wrongPixels) + " differ)");
    check(gdi32.GetPixel(hdc, width, 0) == kInvalid && gdi32.GetPixel(hdc, 0, height) == kInvalid &&
              gdi32.GetPixel(hdc, -1, 0) == kInvalid,
          "GetPixel gives CLR_INVALID beyond the panel's edges");

    // Sample (3j, 3i) of the panel lands on the light in row i, column j.
    const int rows = (height - 1) / 3 + 1;
    const int columns = (width - 1) / 3 + 1;
    int wrongLights = 0;
    int landed = 0;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const auto k = static_cast<Int16>(row * kColumns + column + 1);
            const bool sampled = row < rows && column < columns;
            const Colour expected = sampled ? patternAt(3 * column, 3 * row) : kBlack;
            const Colour actual = backend.lights().fillColor(k);
            landed += sampled;
            if (actual != expected && ++wrongLights <= 5)
                say("light %d (row %d, column %d) is %06X, not %06X", k, row, column, actual,
                    expected);
        }
    }
    check(wrongLights == 0, "every light holds its sample: " + std::to_string(rows) + " rows of " +
                                std::to_string(columns) + " lights, " + std::to_string(landed) +
                                " in all, and the rest stay dark (" + std::to_string(wrongLights) +
                                " wrong)");
}

}  // namespace
}  // namespace lightmatrix

int main(int argc, char** argv) {
    using namespace lightmatrix;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    const std::string picture = directory + "\\pattern.bmp";
    const std::string notAPicture = directory + "\\not-a-picture.bmp";
    const std::string tooLarge = directory + "\\too-large.bmp";
    writeFile(picture, bmpFile(kPictureWidth, kPictureHeight, true));
    writeFile(notAPicture, "These words are no picture at all.\n");
    // 9000 x 9000 is 81 million pixels: its header alone must be enough to refuse it.
    writeFile(tooLarge, bmpFile(9000, 9000, false));

    try {
        win32::Win32Platform backend(GetModuleHandleW(nullptr), "");
        const auto form = startProgram(backend.platform());
        if (backend.ended()) {
            say("FAIL the program ended at start");
            return 1;
        }
        // Only drawPicture colours lights here.
        form->Timer1->setEnabled(false);
        form->tmrClear->setEnabled(false);
        backend.platform().events.doEvents();

        checkWindowIcon(backend.window().hwnd());
        check(!form->Picture1.visible(), "the panel is hidden at start");
        check(backend.platform().gdi32.GetPixel(form->Picture1.hDC(), 0, 0) == kInvalid,
              "GetPixel on the hidden panel gives CLR_INVALID");

        expectRefused(*form, backend, directory + "\\no-such-file.bmp", "a missing file");
        expectRefused(*form, backend, notAPicture, "a file that is not a picture");
        expectRefused(*form, backend, tooLarge, "a picture of 81 million pixels", "pixels");

        frmMainInternals::drawPicture(*form, form->Picture1, picture);
        checkMosaic(*form, backend);

        say("ready");
        backend.runEventLoop();
        say("ended");
    } catch (const RuntimeError& error) {
        reportRuntimeError(error);
        return 1;
    }
    return wine_test::exitStatus();
}
