#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/checked.h"
#include "common/colour.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/generator.h"
#include "platform/instance_check.h"
#include "platform/picture_panel.h"
#include "platform/window.h"

namespace lightmatrix {

// The screen saver: its one window with the matrix of lights on it, the
// picture panel, the lighting and clearing timers and the clearing count.
// Making it makes both timers, on, and gives the window, the panel and the
// timers its handlers; load() is the load step, and from then on the window's
// event loop drives it through those handlers alone.
class Saver {
  public:
    Saver(Window& window, PicturePanel& panel, EventLoop& events, Clock& clock,
          Generator& generator);
    Saver(const Saver&) = delete;
    Saver& operator=(const Saver&) = delete;
    ~Saver();

    // Matrix size: rows, and columns per row. Callers may read and write
    // them; nothing changes them after the load step.
    Int16 rowCount = 0;
    Int16 colCount = 0;

    // Colours the light at index r * colCount + c, unless that index is 10800 or more.
    void highlight(Int16 r, Int16 c, Colour colour);
    // Returns lights 1 .. rowCount * colCount to the background; never fails.
    void clear();
    // Colours lights s .. s + length, s = row * colCount + col.
    void drawHorLine(Int16 row, Int16 col, Int16 length, Colour colour);
    // Colours `length` lights from s = row * colCount + col, one row apart.
    void drawVerLine(Int16 row, Int16 col, Int16 length, Colour colour);

    // The load step. False when another instance runs: the program ends at
    // once, having shown nothing.
    bool load(std::string_view commandLine, InstanceCheck& instances);

    // How many lighting ticks the saver has handled.
    std::int64_t lightingTicks() const { return lightingTimer_->ticksRun(); }

  private:
    void createLights();
    // The picture mosaic. The running screen saver never calls it: only a
    // picture handed to the panel (see PicturePanel::onPictureChosen) does.
    void drawPicture(PicturePanel& panel, const std::string& path);

    // The handlers.
    void onKeyOrButton();
    void onCatchUp(MissedTicks& missed);
    void onLightingTick();
    void onClearingTick();
    void onPanelClick();

    Window& window_;
    PicturePanel& panel_;
    EventLoop& events_;
    Clock& clock_;
    Generator& generator_;
    const std::unique_ptr<Timer> lightingTimer_;
    const std::unique_ptr<Timer> clearingTimer_;
    Int16 clearingCount_ = 0;
};

}  // namespace lightmatrix
