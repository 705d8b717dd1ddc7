#include "platform/common/scene_lights.h"

#include <string>

#include "common/runtime_error.h"

namespace lightmatrix {

SceneLights::SceneLights(RepaintSink& sink) : sink_(sink) {
    // The window's design holds one light, element 0: a plain shape that draws
    // nothing until it is given a fill.
    LightRecord designed;
    designed.visible = true;
    designed.left = 240;
    designed.top = 240;
    designed.width = 100;
    designed.height = 100;
    scene_.add(0, designed);
}

LightRecord& SceneLights::at(Int16 index) {
    LightRecord* record = scene_.find(index);
    if (record == nullptr) raise(ErrorKind::NoSuchLight, std::to_string(index));
    return *record;
}

const LightRecord& SceneLights::at(Int16 index) const {
    const LightRecord* record = scene_.find(index);
    if (record == nullptr) raise(ErrorKind::NoSuchLight, std::to_string(index));
    return *record;
}

// Called after a change: the window redraws from the scene as it now stands.
void SceneLights::repaint(const LightRecord& record) {
    if (record.visible) sink_.invalidate(cellOf(record));
}

void SceneLights::load(Int16 index) {
    LightRecord copy = at(0);
    copy.visible = false;
    if (!scene_.add(index, copy))
        raise(ErrorKind::InvalidArgument, "light " + std::to_string(index) + " already exists");
}

bool SceneLights::exists(Int16 index) const {
    return scene_.find(index) != nullptr;
}

void SceneLights::setVisible(Int16 index, bool visible) {
    LightRecord& record = at(index);
    if (record.visible == visible) return;
    record.visible = visible;
    sink_.invalidate(cellOf(record));
}

void SceneLights::move(Int16 index, float left, float top, float width, float height) {
    const LightRecord before = at(index);
    scene_.move(index, left, top, width, height);
    repaint(before);
    repaint(at(index));
}

float SceneLights::left(Int16 index) const {
    return at(index).left;
}
float SceneLights::top(Int16 index) const {
    return at(index).top;
}
float SceneLights::width(Int16 index) const {
    return at(index).width;
}
float SceneLights::height(Int16 index) const {
    return at(index).height;
}

void SceneLights::setShape(Int16 index, LightShape shape) {
    LightRecord& record = at(index);
    record.shape = shape;
    repaint(record);
}

void SceneLights::setFillStyle(Int16 index, FillStyle style) {
    LightRecord& record = at(index);
    record.fillStyle = style;
    repaint(record);
}

void SceneLights::setBackStyle(Int16 index, BackStyle style) {
    LightRecord& record = at(index);
    record.backStyle = style;
    repaint(record);
}

void SceneLights::setBackColor(Int16 index, Colour colour) {
    LightRecord& record = at(index);
    record.backColour = colour;
    repaint(record);
}

void SceneLights::setFillColor(Int16 index, Colour colour) {
    LightRecord& record = at(index);
    if (record.fillColour == colour) return;  // the same colour needs no repaint
    record.fillColour = colour;
    repaint(record);
}

Colour SceneLights::fillColor(Int16 index) const {
    return at(index).fillColour;
}

void SceneLights::unload(Int16 index) {
    if (index == 0 || !exists(index)) return;
    const LightRecord gone = at(index);
    scene_.remove(index);
    repaint(gone);
}

}  // namespace lightmatrix
