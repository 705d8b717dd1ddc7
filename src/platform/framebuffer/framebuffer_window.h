#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "common/raster.h"
#include "matrix/layout.h"
#include "matrix/lights.h"
#include "platform/framebuffer/dirty_areas.h"
#include "platform/window.h"

namespace lightmatrix {

class FramebufferPanel;

// The window as every backend draws it: the lights, a copy of what the window
// shows drawn from them in software, and the areas that changed since the
// last repaint. The copy covers the client area only as far as lights reach;
// beyond them the window shows nothing but its background.
//
// A backend supplies the rest: how a part of the copy, or of the background,
// reaches its screen (present and fill), the native window's life (maximise,
// show, close, embedIn), and what its window system tells of it: an area to
// show again, a new size, a new DPI. The event loop calls repaint() once a
// round, after the handlers that ran in it: whatever they changed, and every
// area shown again, reaches the screen then, and only once.
class FramebufferWindow : public Window {
  public:
    FramebufferWindow(double dpi, Colour background);

    void setBackColour(Colour colour) override;
    Colour backColour() const override { return background_; }
    Lights& lights() override { return lights_; }
    void onPress(std::function<void()> handler) override { press_ = std::move(handler); }

    // The picture panel on the window, which moves with its DPI; the panel
    // attaches itself for its life.
    void attach(FramebufferPanel* panel) { panel_ = panel; }
    FramebufferPanel* panel() const { return panel_; }

    // A point that is on no part of the client area: that of a button
    // pressed on a cover.
    static constexpr PixelPoint kOffWindow{-1, -1};

    // A key went down on the window.
    void press();
    // A mouse button went down or up at `at` of the client area (anywhere
    // else for a button on a cover). One that goes down on the shown picture
    // panel belongs to the panel, its release too, wherever that comes; any
    // other that goes down is a press on the window.
    void buttonDown(PixelPoint at, bool left);
    void buttonUp(PixelPoint at, bool left);
    // Draws what changed since the last repaint and presents it, with every
    // area to be shown again.
    void repaint();
    // `area` of the client area is to be shown again, as after an expose.
    void expose(const PixelRect& area);
    // The client area took a new size in pixels.
    void resize(Int32 width, Int32 height);
    // The window moved to a display of another logical DPI: the lights and
    // the panel keep their places in twips, at the new size in pixels.
    void setDpi(double dpi);

    bool shown() const { return shown_; }
    // Whether something changed that the next repaint draws.
    bool changedSinceRepaint() const { return shown_ && !dirty_.empty(); }
    PixelRect clientArea() const { return {0, 0, clientWidth_, clientHeight_}; }
    const PixelMapping& mapping() const { return mapping_; }
    // The copy of what the window shows where lights reach.
    const Raster& frame() const { return frame_; }
    // When the window first put its lights on the screen.
    std::optional<std::chrono::steady_clock::time_point> firstFrame() const { return firstFrame_; }

  protected:
    // The copy is drawn whole now that the lights stand; with `presentNow`
    // it reaches the screen at once, else at the expose that showing brings.
    void beginShowing(bool presentNow);
    // The window is gone from the screen for good.
    void endShowing();

    // Puts `area` of `frame` (inside its bounds) at the same place on the screen.
    virtual void present(const Raster& frame, const PixelRect& area) = 0;
    // Fills `area` of the client area, where no light reaches, with `colour`.
    virtual void fill(const PixelRect& area, Colour colour) = 0;

  private:
    void cellChanged(const TwipsRect& cell);
    void measureExtent();
    // Sizes the copy to the client area as far as lights reach; true if that
    // changed its size (and drew it anew).
    bool fitFrame();
    void redrawFrame();
    void presentArea(const PixelRect& area);

    PixelMapping mapping_;
    Colour background_;
    Lights lights_;
    Raster frame_;
    PixelRect extent_;  // where the lights reach, from the origin
    DirtyAreas dirty_;
    DirtyAreas exposed_;
    Int32 clientWidth_ = 0;
    Int32 clientHeight_ = 0;
    bool shown_ = false;
    std::function<void()> press_;
    FramebufferPanel* panel_ = nullptr;
    // A button went down on the panel, which gets its release too.
    bool panelHoldsButton_ = false;
    std::optional<std::chrono::steady_clock::time_point> firstFrame_;
};

}  // namespace lightmatrix
