#pragma once

#include <memory>
#include <string>

#include "common/checked.h"
#include "common/colour.h"
#include "platform/platform.h"

namespace lightmatrix {

class LightRef;

// The program's one window. It owns the light matrix, the picture panel, both
// timers and the clearing counter, and carries every handler and operation.
// Creating it creates the controls, both timers on; formLoad() is the load step.
class frmMain {
  public:
    explicit frmMain(Platform& platform);
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;
    ~frmMain();

    // Matrix size: rows, and columns per row.
    Int16 rowCount = 0;
    Int16 colCount = 0;

    // Colours the light at index r * colCount + c, unless that index is 10800 or more.
    void highlight(Int16 r, Int16 c, Colour icolor);
    // Returns lights 1 .. rowCount * colCount to the background; never fails.
    void clear();
    // Colours lights s .. s + length, s = row * colCount + col.
    void drawHorLine(Int16 row, Int16 col, Int16 length, Colour icolor);
    // Colours `length` lights from s = row * colCount + col, one row apart.
    void drawVerLine(Int16 row, Int16 col, Int16 length, Colour icolor);

    // Event handlers.
    void formLoad();
    void formKeyDown(Int16 keyCode, Int16 shift);
    void formMouseDown(Int16 button, Int16 shift, float x, float y);
    void timer1Tick();
    void tmrClearTick();
    void picture1Click();

    // The light with this index; raises NoSuchLight when there is none.
    LightRef light(Int16 index);

    Platform& platform() { return platform_; }

    PicturePanel& Picture1;
    const std::unique_ptr<Timer> Timer1;
    const std::unique_ptr<Timer> tmrClear;
    Int16 clearTicks = 0;

  private:
    friend struct frmMainInternals;

    void createLights();
    void drawPicture(PicturePanel& panel, const std::string& path);

    Platform& platform_;
};

// One element of the light collection, looked up by index.
class LightRef {
  public:
    LightRef(Lights& lights, Int16 index) : lights_(lights), index_(index) {}
    Int16 index() const { return index_; }
    void setFillColor(Colour colour) { lights_.setFillColor(index_, colour); }
    Colour fillColor() const { return lights_.fillColor(index_); }
    void setVisible(bool visible) { lights_.setVisible(index_, visible); }
    void move(float left, float top, float width, float height) {
        lights_.move(index_, left, top, width, height);
    }
    float width() const { return lights_.width(index_); }
    float height() const { return lights_.height(index_); }

  private:
    Lights& lights_;
    Int16 index_;
};

}  // namespace lightmatrix
