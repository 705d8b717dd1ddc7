#pragma once

#include "common/checked.h"
#include "common/colour.h"

namespace lightmatrix {

enum class LightShape : Int16 { Rectangle = 0, Circle = 3 };
enum class FillStyle : Int16 { Solid = 0, Transparent = 1 };
enum class BackStyle : Int16 { Transparent = 0, Opaque = 1 };

// The window's indexed collection of lights: shapes that the window itself
// draws, later elements above earlier ones. Element 0 exists from the start.
// Every operation on an index that names no element raises NoSuchLight.
class Lights {
  public:
    virtual ~Lights() = default;
    // Creates element `index` as a hidden copy of element 0.
    virtual void load(Int16 index) = 0;
    virtual bool exists(Int16 index) const = 0;
    virtual void setVisible(Int16 index, bool visible) = 0;
    // Position and size in twips, in one step.
    virtual void move(Int16 index, float left, float top, float width, float height) = 0;
    virtual float left(Int16 index) const = 0;
    virtual float top(Int16 index) const = 0;
    virtual float width(Int16 index) const = 0;
    virtual float height(Int16 index) const = 0;
    virtual void setShape(Int16 index, LightShape shape) = 0;
    virtual void setFillStyle(Int16 index, FillStyle style) = 0;
    virtual void setBackStyle(Int16 index, BackStyle style) = 0;
    virtual void setBackColor(Int16 index, Colour colour) = 0;
    // Shows at the next repaint of the light's cell; nothing else changes.
    virtual void setFillColor(Int16 index, Colour colour) = 0;
    virtual Colour fillColor(Int16 index) const = 0;
};

}  // namespace lightmatrix
