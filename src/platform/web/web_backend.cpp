#include "platform/web/web_backend.h"

#include <emscripten.h>

#include "common/runtime_error.h"

namespace lightmatrix {

namespace {

EM_JS(double, devicePixelsPerInch, (), { return 96 * window.devicePixelRatio; });
EM_JS(double, localTimeOfDay, (), {
    const now = new Date();
    return now.getHours() * 3600 + now.getMinutes() * 60 + now.getSeconds() +
           now.getMilliseconds() / 1000;
});
EM_JS(void, programEnded, (const char* why), { lightmatrixPage.ended(UTF8ToString(why)); });
EM_JS(void, showMessage, (const char* text), { lightmatrixPage.showMessage(UTF8ToString(text)); });

}  // namespace

// steady_clock is performance.now() here. The frames themselves pace the
// wakes, so a wake may come as soon as a deadline has passed. Frames can come
// late (a busy page, a slow device, a browser on virtual time fires them
// rarely): a frame then runs every tick that fell due since the last one,
// each at its own due time, up to a second's worth; a longer pause of a page
// that was shown (the machine slept) drops what it missed, as the desktop
// programs drop the ticks of a stopped process.
WebBackend::WebBackend()
    : Loop(0, &localTimeOfDay, &std::chrono::steady_clock::now, std::chrono::seconds(1)),
      window_(devicePixelsPerInch(), [this] { stop(); }),
      panel_(window_, designPanelArea(window_.mapping()), std::make_unique<BrowserDecoder>()) {}

void WebBackend::stop(const std::string& why) {
    if (ended()) return;
    end();
    programEnded(why.c_str());
}

void WebBackend::runRound() {
    if (ended()) return;
    try {
        processPendingEvents();
    } catch (const RuntimeError& error) {
        stop(runtimeErrorLine(error));
    }
}

bool WebBackend::frame() {
    runRound();
    return !ended();
}

void WebBackend::keyDown() {
    keyPressed();
    runRound();
}

void WebBackend::pointerDown(Int32 x, Int32 y, bool left) {
    buttonPressed({x, y}, left);
    runRound();
}

void WebBackend::pointerUp(Int32 x, Int32 y, bool left) {
    buttonReleased({x, y}, left);
    runRound();
}

void WebBackend::canvasResized(Int32 width, Int32 height, double dpi) {
    window_.canvasResized(width, height, dpi);
    runRound();
}

void WebBackend::pageShown(bool shown) {
    if (shown)
        seenAgainAt(now());
    else
        unseenFrom(now());
    runRound();
}

void WebBackend::pictureChosen(const std::string& name) {
    if (ended()) return;
    Loop::pictureChosen(name);
    try {
        processPendingEvents();
    } catch (const RuntimeError& error) {
        if (error.kind() != ErrorKind::CannotLoadPicture) {
            stop(runtimeErrorLine(error));
            return;
        }
        showMessage(runtimeErrorLine(error).c_str());
    }
}

}  // namespace lightmatrix
