// libFuzzer target for the path from a picture file's bytes to the lights: the
// bytes go to a file handed to the picture panel on the memory backend, whose
// drawPicture loads it and samples it, and whatever the bytes were, the outcome must be one of two:
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
#include "platform/framebuffer/picture_loading.h"
#include "platform/linux/pixbuf_decoder.h"
#include "support/running_program.h"

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
    Harness() {
        char name[] = "/tmp/lightmatrix-fuzz-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) fail("cannot create a scratch file");
        close(fd);
        path_ = name;
        // The design rectangle at 96 DPI: 209 x 65 pixels, 70 samples in each of 22 rows.
        if (panel_.innerWidth() != 209 || panel_.innerHeight() != 65) fail("unexpected panel size");
        program_.saver.drawHorLine(0, 1, 10799, kUnsampled);
    }
    ~Harness() { std::remove(path_.c_str()); }

    void run(const std::uint8_t* data, std::size_t size) {
        writeFile(data, size);
        // Start from a hidden panel and the sampled lights marked again.
        if (panel_.visible()) {
            const PixelRect& area = program_.memory.panel().area();
            program_.memory.click(area.left, area.top);
        }
        for (Int16 row = 0; row < 22; ++row)
            for (Int16 column = 1; column <= 70; ++column)
                program_.saver.highlight(row, column, kUnsampled);
        panel_.samples.clear();

        try {
            program_.drawPicture(path_);
        } catch (const RuntimeError& error) {
            if (error.kind() != ErrorKind::CannotLoadPicture)
                fail(std::string("unexpected run-time error: ") + error.what());
            if (panel_.visible()) fail("the panel shows after a failed load");
            if (!panel_.samples.empty()) fail("pixels read after a failed load");
            for (Int16 k = 1; k <= 10800; ++k)
                if (colourOf(k) != kUnsampled)
                    fail("light " + std::to_string(k) + " changed after a failed load");
            return;
        }
        checkMosaic();
    }

  private:
    Colour colourOf(Int16 k) { return program_.fill(k); }

    void writeFile(const std::uint8_t* data, std::size_t size) {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr) fail("cannot write the scratch file");
        if (size > 0 && std::fwrite(data, 1, size, file) != size) fail("short write");
        std::fclose(file);
    }

    void checkMosaic() {
        if (!panel_.visible()) fail("the panel is hidden after drawPicture");
        if (panel_.samples.size() != 22 * 70) fail("not 22 x 70 samples");

        // The same bytes decoded again, independently of the panel.
        PixbufDecoder decoder;
        const Raster picture = loadPicture(decoder, path_, kButtonFace);
        const PixelRect& area = program_.memory.panel().area();
        const Raster& screen = program_.screen();
        for (Int32 y = 0; y < 65; ++y) {
            for (Int32 x = 0; x < 209; ++x) {
                const Colour expected =
                    x < picture.width && y < picture.height ? picture.at(x, y) : kButtonFace;
                if (screen.at(area.left + x, area.top + y) != expected)
                    fail("the panel does not show the picture at " + std::to_string(x) + ", " +
                         std::to_string(y));
            }
        }
        for (Int16 k = 1; k <= 10800; ++k) {
            const int row = (k - 1) / kColumns;
            const int column = (k - 1) % kColumns;
            const Colour expected = row < 22 && column < 70
                                        ? screen.at(area.left + 3 * column, area.top + 3 * row)
                                        : kUnsampled;
            if (colourOf(k) != expected)
                fail("light " + std::to_string(k) + " does not hold its sample");
        }
    }

    testing_support::RunningProgram program_;
    testing_support::ProbedPanel& panel_ = program_.panel;
    std::string path_;
};

}  // namespace
}  // namespace lightmatrix

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static lightmatrix::Harness harness;
    harness.run(data, size);
    return 0;
}
