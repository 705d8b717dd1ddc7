// libFuzzer target for the path from a picture file's bytes to the lights: the
// bytes go to a file, drawPicture loads it into Picture1 on the memory platform
// and samples it, and whatever the bytes were, the outcome must be one of two:
//
// - the file cannot be loaded: CannotLoadPicture, with the panel still hidden,
//   no light changed and no pixel read;
// - the picture shows: the panel is shown with the decoded picture at its
//   top-left corner, each of the 22 x 70 sampled lights holds the panel pixel
//   at its sample, and no other light changed.
//
// Any other error, a crash or a sanitizer report is a finding.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/constants.h"
#include "platform/gdkpixbuf/picture_file.h"
#include "platform/memory/memory_platform.h"
#include "shell/frm_main.h"
#include "shell/frm_main_internals.h"
#include "shell/program_start.h"

namespace lightmatrix {

namespace {

// What every light holds before an input: no picture can give this value, so
// a sample that is skipped or misplaced shows.
constexpr Colour kUnsampled = 0x01000000;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "picture_fuzzer: %s\n", what.c_str());
    std::abort();
}

class Harness {
  public:
    Harness() : form_(startProgram(memory_.platform())) {
        char name[] = "/tmp/lightmatrix-fuzz-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) fail("cannot create a scratch file");
        close(fd);
        path_ = name;
        const MemoryPicturePanel& panel = memory_.panel();
        // The design rectangle at 96 DPI: 209 x 65 pixels, 70 samples in each of 22 rows.
        if (panel.scaleWidth() != 209 || panel.scaleHeight() != 65) fail("unexpected panel size");
        form_->drawHorLine(0, 1, 10799, kUnsampled);
    }
    ~Harness() { std::remove(path_.c_str()); }

    void run(const std::uint8_t* data, std::size_t size) {
        writeFile(data, size);
        // Start from a hidden panel and the sampled lights marked again.
        if (memory_.panel().visible()) form_->picture1Click();
        for (Int16 row = 0; row < 22; ++row)
            for (Int16 column = 1; column <= 70; ++column)
                form_->highlight(row, column, kUnsampled);
        const std::int64_t readsBefore = memory_.panel().pixelReads();

        try {
            frmMainInternals::drawPicture(*form_, form_->Picture1, path_);
        } catch (const RuntimeError& error) {
            if (error.kind() != ErrorKind::CannotLoadPicture)
                fail(std::string("unexpected run-time error: ") + error.what());
            if (memory_.panel().visible()) fail("the panel shows after a failed load");
            if (memory_.panel().pixelReads() != readsBefore)
                fail("pixels read after a failed load");
            for (Int16 k = 1; k <= 10800; ++k)
                if (memory_.lights().fillColor(k) != kUnsampled)
                    fail("light " + std::to_string(k) + " changed after a failed load");
            return;
        }
        checkMosaic(readsBefore);
    }

  private:
    void writeFile(const std::uint8_t* data, std::size_t size) {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr) fail("cannot write the scratch file");
        if (size > 0 && std::fwrite(data, 1, size, file) != size) fail("short write");
        std::fclose(file);
    }

    void checkMosaic(std::int64_t readsBefore) {
        const MemoryPicturePanel& panel = memory_.panel();
        if (!panel.visible()) fail("the panel is hidden after drawPicture");
        if (panel.pixelReads() - readsBefore != 22 * 70) fail("not 22 x 70 samples");

        // The same bytes decoded again, independently of the panel.
        const Picture picture = loadPictureFile(path_, MemoryPicturePanel::kBackground);
        const PixelRect& area = panel.area();
        const Raster& frame = memory_.frame();
        for (Int32 y = 0; y < 65; ++y) {
            for (Int32 x = 0; x < 209; ++x) {
                const Colour expected = x < picture.width && y < picture.height
                                            ? picture.at(x, y)
                                            : MemoryPicturePanel::kBackground;
                if (frame.at(area.left + x, area.top + y) != expected)
                    fail("the panel does not show the picture at " + std::to_string(x) + ", " +
                         std::to_string(y));
            }
        }
        for (Int16 k = 1; k <= 10800; ++k) {
            const int row = (k - 1) / kColumns;
            const int column = (k - 1) % kColumns;
            const Colour expected = row < 22 && column < 70
                                        ? frame.at(area.left + 3 * column, area.top + 3 * row)
                                        : kUnsampled;
            if (memory_.lights().fillColor(k) != expected)
                fail("light " + std::to_string(k) + " does not hold its sample");
        }
    }

    MemoryPlatform memory_;
    std::unique_ptr<frmMain> form_;
    std::string path_;
};

}  // namespace
}  // namespace lightmatrix

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static lightmatrix::Harness harness;
    harness.run(data, size);
    return 0;
}
