#pragma once

// The program's fixed settings: it has no configuration of its own.

#include "common/checked.h"
#include "common/colour.h"

namespace lightmatrix {

constexpr Int16 kRows = 90;
constexpr Int16 kColumns = 120;
// highlight() turns away light indices at or above this fixed bound (90 x 120).
constexpr Int16 kHighlightBound = 10800;

constexpr float kLightSizeTwips = 100;  // every light's cell is 100 x 100 twips

constexpr Int32 kLightingIntervalMs = 10;
constexpr Int32 kClearingIntervalMs = 60000;
// clear() runs when the clearing counter goes past this: every sixth tick.
constexpr Int16 kClearingTicksBeforeClear = 5;

constexpr Colour kBackground = kBlack;

constexpr double kTwipsPerInch = 1440;

// The window's design: title and client size when not maximised.
constexpr const char* kWindowTitle = "Form1";
constexpr float kDesignClientWidthTwips = 8670;
constexpr float kDesignClientHeightTwips = 5010;

// Picture1's design rectangle in twips.
constexpr float kPanelLeftTwips = 5400;
constexpr float kPanelTopTwips = 1080;
constexpr float kPanelWidthTwips = 3135;
constexpr float kPanelHeightTwips = 975;

}  // namespace lightmatrix
