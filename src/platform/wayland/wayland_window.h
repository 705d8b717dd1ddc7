#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/framebuffer/composited_window.h"
#include "platform/wayland/shm_buffers.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_surface.h"

namespace lightmatrix {

// The window on Wayland: the matrix on a surface over one output, drawn at
// that output's density with the picture panel over the lights, and a cover
// in the background colour over every other output; the matrix alone takes
// the keyboard, so that covers coming and going never move it. The compositor paces
// it: the changes reach the screen in a new buffer only in answer to a frame
// callback, and a frame is asked for only when something changed.
//
// Outputs come and go while it runs. An output that comes gets a cover; one
// that goes takes its cover with it. When the matrix's own output goes, the
// matrix moves to an output that remains, with every light it had, since the
// lights live in the program; with no output left it waits, unseen, for one
// to come. A surface that the compositor closes before it was ever shown is
// not made again until the outputs change, so a compositor that will show
// nothing costs nothing.
class WaylandWindow : public CompositedWindow, private WaylandSurface::Owner {
  public:
    // What the window reports up, to the backend.
    class Listener {
      public:
        virtual ~Listener() = default;
        // The compositor's time to draw the matrix, in milliseconds on its clock.
        virtual void frameDone(std::uint32_t time) = 0;
        // The matrix shows on an output (true), or has none to show on.
        virtual void matrixSeen(bool seen) = 0;
        // One of the window's surfaces is gone: input no longer names it.
        virtual void surfaceGone(wl_surface* surface) = 0;
    };

    // `onClosed` runs when the window closes: by the program, or by the
    // compositor asking it to (a toplevel's close).
    WaylandWindow(WaylandConnection& connection, Listener& listener,
                  std::function<void()> onClosed);
    ~WaylandWindow() override;

    // Puts the matrix's surface on the output the compositor chooses. Its
    // size comes later, with the compositor's configure.
    void maximise() override;
    // Shows the first frame once the surface has its size.
    void show() override;
    bool embedIn(Int32) override { return false; }

    // An output was added or described anew; one goes.
    void outputChanged(const WaylandOutput& output);
    void outputGoing(const WaylandOutput& output);
    // Where (x, y) of `surface`, in its coordinates, lies on the client
    // area: kOffWindow for a cover, or a surface no longer there.
    PixelPoint pointOn(wl_surface* surface, double x, double y) const;

    // Puts what changed since the last frame on the screen, asking for the
    // next frame callback.
    void presentFrame();
    // Asks for a frame callback if something waits to be shown.
    void settle();
    bool waitingForFrame() const;
    // Asks for a frame callback, for the ticks that fell due.
    void requestFrame();

  private:
    // A surface in the background colour over one output.
    struct Cover {
        Cover(WaylandConnection& connection, Owner& owner, wl_output* on);
        WaylandSurface surface;
        ShmBuffers buffers;
        wl_buffer* pixel = nullptr;  // the one pixel a viewport stretches
        PixelSize shownSize;
        double shownDpi = 0;
    };

    void surfaceChanged(WaylandSurface& surface) override;
    void surfaceClosed(WaylandSurface& surface) override;
    void frameDone(WaylandSurface& surface, std::uint32_t time) override;
    void screenChanged(Raster& screen, const PixelRect& area) override;

    void placeMatrix(wl_output* on);
    void dropMatrix();
    void fitMatrix();
    bool matrixShows() const { return matrix_ && matrix_->mapped() && !closed(); }
    void paint(Cover& cover);
    void coverOutputs();
    void dropCovers(const std::function<bool(const Cover&)>& which);

    WaylandConnection& connection_;
    Listener& listener_;
    // The matrix's surface, and the buffers it shows; none while it has no
    // output to show on.
    std::unique_ptr<WaylandSurface> matrix_;
    std::unique_ptr<ShmBuffers> buffers_;
    std::vector<std::unique_ptr<Cover>> covers_;
    // Outputs whose cover the compositor closed, left bare until they change.
    std::vector<wl_output*> refused_;
    // The matrix's surface was closed before it showed: wait for the outputs to change.
    bool waitingForOutputs_ = false;
    double dpi_ = 0;
};

}  // namespace lightmatrix
