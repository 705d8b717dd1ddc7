#include <emscripten.h>

#include <cstdint>
#include <string>

#include "platform/web/web_backend.h"
#include "shell/saver.h"
#include "shell/saver_internals.h"

// The screen saver on a web page. The page's script (page.js) calls the
// functions below for its events and its animation frames; main() makes the
// program and runs its load step.

namespace lightmatrix {
namespace {

EM_JS(void, showMessage, (const char* text), { lightmatrixPage.showMessage(UTF8ToString(text)); });
EM_JS(void, startFrames, (), { lightmatrixPage.start(); });

struct Program {
    WebBackend web;
    Saver saver{web.window(), web.panel(), web, web.clock(), web.generator()};
};
// Made by main() and kept for the life of the page.
Program* program = nullptr;

std::string describeError(const RuntimeError& error) {
    return std::string("lightmatrix: run-time error: ") + error.what();
}

// Runs a handler of the page's events, while the program runs. A run-time
// error ends the program, as on the desktop, and the page shows it.
template <class Handler>
void handle(Handler handler) {
    if (program == nullptr || program->web.ended()) return;
    try {
        handler(program->web);
    } catch (const RuntimeError& error) {
        program->web.end(describeError(error));
    }
}

}  // namespace
}  // namespace lightmatrix

extern "C" {

using namespace lightmatrix;

// An animation frame: 1 while the program wants the next one.
EMSCRIPTEN_KEEPALIVE int lightmatrix_frame() {
    bool more = false;
    handle([&more](WebBackend& web) { more = web.frame(); });
    return more ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void lightmatrix_key_down() {
    handle([](WebBackend& web) { web.keyDown(); });
}

// A mouse button, a touch or a pen went down at device pixel (x, y).
EMSCRIPTEN_KEEPALIVE void lightmatrix_pointer_down(int x, int y) {
    handle([x, y](WebBackend& web) { web.mouseDown(x, y); });
}

// The canvas was sized anew in device pixels, at a device pixel ratio of dpi / 96.
EMSCRIPTEN_KEEPALIVE void lightmatrix_resize(int width, int height, double dpi) {
    handle([=](WebBackend& web) { web.window().canvasResized(width, height, dpi); });
}

// See WebPicturePanel::pictureBuffer.
EMSCRIPTEN_KEEPALIVE std::uint8_t* lightmatrix_picture_buffer(int width, int height) {
    return program == nullptr ? nullptr : program->web.panel().pictureBuffer(width, height);
}

// A picture dropped on the page or chosen, whose pixels the page has just
// handed over: the picture mosaic. The desktop program never draws a
// picture; SaverInternals is the way in for callers outside the window, and
// this is the only one on the page. A file that cannot be loaded is shown
// as the run-time error it is, and the program goes on with every light as
// it was.
EMSCRIPTEN_KEEPALIVE void lightmatrix_draw_picture(const char* name) {
    handle([name](WebBackend& web) {
        try {
            SaverInternals::drawPicture(program->saver, name);
        } catch (const RuntimeError& error) {
            if (error.kind() != ErrorKind::CannotLoadPicture) throw;
            showMessage(describeError(error).c_str());
        }
        web.window().repaint();
    });
}

}  // extern "C"

int main() {
    try {
        program = new Program;
        // The page has no command line: the saver runs full screen on the canvas.
        if (program->saver.load("", program->web)) startFrames();
    } catch (const RuntimeError& error) {
        if (program != nullptr)
            program->web.end(describeError(error));
        else
            showMessage(describeError(error).c_str());
    }
    return 0;
}
