#pragma once

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/picture_panel.h"

namespace lightmatrix::testing_support {

// A picture panel as drawPicture sees it, every sample recorded; a test may
// cover some of its pixels or report its inner size in another unit.
struct ProbedPanel : PicturePanel {
    explicit ProbedPanel(PicturePanel& inner) : panel(inner) {}

    Picture load(const std::string& path) override { return panel.load(path); }
    void setPicture(Picture picture) override { panel.setPicture(std::move(picture)); }
    void setVisible(bool visible) override { panel.setVisible(visible); }
    bool visible() const override { return panel.visible(); }
    float innerWidth() const override { return width.value_or(panel.innerWidth()); }
    float innerHeight() const override { return height.value_or(panel.innerHeight()); }
    Int32 sample(Int32 x, Int32 y) override {
        samples.emplace_back(x, y);
        if (cover)
            if (const std::optional<Int32> covered = cover(x, y)) return *covered;
        return panel.sample(x, y);
    }
    void onClick(std::function<void()> handler) override { panel.onClick(std::move(handler)); }
    void onPictureChosen(std::function<void(const std::string&)> handler) override {
        panel.onPictureChosen(std::move(handler));
    }

    PicturePanel& panel;
    std::optional<float> width;
    std::optional<float> height;
    std::function<std::optional<Int32>(Int32 x, Int32 y)> cover;
    std::vector<std::pair<Int32, Int32>> samples;
};

}  // namespace lightmatrix::testing_support
