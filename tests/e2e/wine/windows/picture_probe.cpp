// lightmatrix_picture_probe DIRECTORY PICTURE: the screen saver's logic on
// the Win32 backend, run under Wine by the picture test. It writes files that
// are no picture, or too large a one, into DIRECTORY and has drawPicture
// (which the running screen saver never calls) refuse them, then load PICTURE,
// and checks the picture panel, one line per check. Then it prints "ready" and
// runs the event loop, the panel shown, until the window closes; the test
// looks at the screen meanwhile. It exits 0 if every check passed.

#include <cstdint>
#include <fstream>
#include <string>

#include "checks.h"
#include "common/constants.h"
#include "platform/win32/win32_backend.h"
#include "saver/program.h"
#include "saver/saver.h"

namespace lightmatrix {
namespace {

using wine_test::check;

// The headers of a 32-bit BMP file of `width` x `height`, without its pixels.
void writeBmpHeaders(const std::string& path, std::uint32_t width, std::uint32_t height) {
    std::string out = "BM";
    const auto put = [&out](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
    };
    const std::uint32_t pixelBytes = 4 * width * height;
    for (const std::uint32_t field : {54 + pixelBytes, 0u, 54u, 40u, width, height}) put(field, 4);
    put(1, 2);   // planes
    put(32, 2);  // bits per pixel
    for (const std::uint32_t field : {0u, pixelBytes, 2835u, 2835u, 0u, 0u}) put(field, 4);
    std::ofstream(path, std::ios::binary) << out;
}

}  // namespace
}  // namespace lightmatrix

int main(int argc, char** argv) {
    using namespace lightmatrix;
    if (argc != 3) return 2;
    const std::string directory = std::string(argv[1]) + "\\";
    std::ofstream(directory + "not-a-picture.bmp") << "These words are no picture at all.\n";
    // 81 million pixels: its header alone must be enough to refuse it.
    writeBmpHeaders(directory + "too-large.bmp", 9000, 9000);
    try {
        // The timers' clock stands still, as the renderer's does: only the
        // picture colours lights here.
        const auto start = std::chrono::steady_clock::now();
        Win32Backend backend(GetModuleHandleW(nullptr), [start] { return start; });
        Saver saver(backend.window(), backend.panel(), backend, backend.clock(),
                    backend.generator());
        if (!saver.load("", backend.instanceCheck())) return 1;
        backend.processPendingEvents();
        Win32PicturePanel& panel = backend.panel();
        const Lights& lights = backend.window().lights();
        check(panel.sample(0, 0) == kNoPixel, "the hidden panel gives no pixel");

        for (const std::string file : {"no-such-file.bmp", "not-a-picture.bmp", "too-large.bmp"}) {
            std::string error = "nothing";
            try {
                panel.choose(directory + file);
            } catch (const RuntimeError& raised) {
                if (raised.kind() == ErrorKind::CannotLoadPicture) error = raised.what();
            }
            int lit = 0;
            for (Int16 k = 1; k <= kRows * kColumns; ++k) lit += lights.colour(k) != kBlack;
            // The picture of 81 million pixels is refused for its size.
            check(error.find(file == "too-large.bmp" ? "pixels" : file) != std::string::npos &&
                      !panel.visible() && lit == 0,
                  file + " is refused (" + error + "), the panel hidden, no light changed");
        }
        panel.choose(argv[2]);
        const PixelRect design = designPanelArea(backend.window().mapping());
        const auto width = static_cast<Int32>(panel.innerWidth());
        const auto height = static_cast<Int32>(panel.innerHeight());
        check(panel.visible() && width == design.width() && height == design.height(),
              "drawPicture shows the panel at its design size: " + std::to_string(width) + " x " +
                  std::to_string(height) + " pixels");
        check(panel.sample(width, 0) == kNoPixel && panel.sample(0, height) == kNoPixel &&
                  panel.sample(-1, 0) == kNoPixel,
              "beyond the panel's edges there is no pixel");
        wine_test::say("ready");
        backend.run();
    } catch (const RuntimeError& error) {
        reportRuntimeError(error);
        return 1;
    }
    return wine_test::exitStatus();
}
