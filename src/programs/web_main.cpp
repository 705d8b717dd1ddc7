#include <emscripten.h>

#include "platform/web/web_backend.h"
#include "saver/program.h"
#include "saver/saver.h"

// The screen saver on a web page. The page's script (page.js) calls the
// functions below for its events and its animation frames; main() makes the
// program and runs its load step.

namespace lightmatrix {
namespace {

EM_JS(void, startFrames, (), { lightmatrixPage.start(); });
EM_JS(void, showError, (const char* text), { lightmatrixPage.showMessage(UTF8ToString(text)); });

struct Program {
    WebBackend web;
    Saver saver{web.window(), web.panel(), web, web.clock(), web.generator()};
};
// Made by main() and kept for the life of the page.
Program* program = nullptr;

}  // namespace
}  // namespace lightmatrix

extern "C" {

using namespace lightmatrix;

// An animation frame: 1 while the program wants the next one.
EMSCRIPTEN_KEEPALIVE int lightmatrix_frame() {
    return program != nullptr && program->web.frame() ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void lightmatrix_key_down() {
    if (program != nullptr) program->web.keyDown();
}

// A mouse button, a touch or a pen went down or up at device pixel (x, y);
// `left` is 1 for the main button, a touch and a pen.
EMSCRIPTEN_KEEPALIVE void lightmatrix_pointer_down(int x, int y, int left) {
    if (program != nullptr) program->web.pointerDown(x, y, left != 0);
}
EMSCRIPTEN_KEEPALIVE void lightmatrix_pointer_up(int x, int y, int left) {
    if (program != nullptr) program->web.pointerUp(x, y, left != 0);
}

// The canvas was sized anew in device pixels, at a device pixel ratio of dpi / 96.
EMSCRIPTEN_KEEPALIVE void lightmatrix_resize(int width, int height, double dpi) {
    if (program != nullptr) program->web.canvasResized(width, height, dpi);
}

// The page was hidden (0) or shown again (1).
EMSCRIPTEN_KEEPALIVE void lightmatrix_page_shown(int shown) {
    if (program != nullptr) program->web.pageShown(shown != 0);
}

// A picture dropped on the page or chosen, which the page holds decoded
// while this runs.
EMSCRIPTEN_KEEPALIVE void lightmatrix_picture_chosen(const char* name) {
    if (program != nullptr) program->web.pictureChosen(name);
}

}  // extern "C"

int main() {
    try {
        program = new Program;
        // The page has no command line: the saver runs full screen on the canvas.
        if (program->saver.load("", program->web)) startFrames();
    } catch (const RuntimeError& error) {
        if (program != nullptr)
            program->web.stop(runtimeErrorLine(error));
        else
            showError(runtimeErrorLine(error).c_str());
    }
    return 0;
}
