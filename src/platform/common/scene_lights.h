#pragma once

#include "platform/common/light_scene.h"
#include "platform/lights.h"

namespace lightmatrix {

// Told when part of the window must be drawn again.
class RepaintSink {
  public:
    virtual ~RepaintSink() = default;
    virtual void invalidate(const TwipsRect& area) = 0;
};

// The light collection as drawn elements of one window, shared by every
// backend: the window keeps the scene and repaints only what changed.
class SceneLights : public Lights {
  public:
    explicit SceneLights(RepaintSink& sink);

    void load(Int16 index) override;
    bool exists(Int16 index) const override;
    void setVisible(Int16 index, bool visible) override;
    void move(Int16 index, float left, float top, float width, float height) override;
    float left(Int16 index) const override;
    float top(Int16 index) const override;
    float width(Int16 index) const override;
    float height(Int16 index) const override;
    void setShape(Int16 index, LightShape shape) override;
    void setFillStyle(Int16 index, FillStyle style) override;
    void setBackStyle(Int16 index, BackStyle style) override;
    void setBackColor(Int16 index, Colour colour) override;
    void setFillColor(Int16 index, Colour colour) override;
    Colour fillColor(Int16 index) const override;

    // Removes an element, as unloading a control would.
    void unload(Int16 index);

    const LightScene& scene() const { return scene_; }

  private:
    LightRecord& at(Int16 index);
    const LightRecord& at(Int16 index) const;
    void repaint(const LightRecord& record);

    LightScene scene_;
    RepaintSink& sink_;
};

}  // namespace lightmatrix
