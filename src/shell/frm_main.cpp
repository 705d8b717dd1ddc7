#include "shell/frm_main.h"

#include "common/constants.h"

namespace lightmatrix {

frmMain::frmMain(Platform& platform)
    : Picture1(platform.picturePanel),
      Timer1(platform.timers.create(kLightingIntervalMs, [this] { timer1Tick(); })),
      tmrClear(platform.timers.create(kClearingIntervalMs, [this] { tmrClearTick(); })),
      platform_(platform) {
    platform.window.onKeyDown([this](Int16 key, Int16 shift) { formKeyDown(key, shift); });
    platform.window.onMouseDown([this](Int16 button, Int16 shift, float x, float y) {
        formMouseDown(button, shift, x, y);
    });
    Picture1.onClick([this] { picture1Click(); });
}

frmMain::~frmMain() {
    // The platform outlives the window: leave it no handler that points here.
    platform_.window.onKeyDown({});
    platform_.window.onMouseDown({});
    Picture1.onClick({});
}

LightRef frmMain::light(Int16 index) {
    if (!platform_.lights.exists(index)) raise(ErrorKind::NoSuchLight, std::to_string(index));
    return LightRef(platform_.lights, index);
}

}  // namespace lightmatrix
