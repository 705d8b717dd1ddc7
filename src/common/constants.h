#pragma once

// The program's fixed settings: it has no configuration of its own.

#include "common/checked.h"
#include "common/colour.h"

namespace lightmatrix {

constexpr Int16 kRows = 90;
constexpr Int16 kColumns = 120;
// highlight() turns away light indices at or above this fixed bound (90 x 120).
constexpr Int16 kHighlightBound = 10800;

constexpr double kLightSizeTwips = 100;  // every light's cell is 100 x 100 twips
// Where the window's design puts the template light, light 0.
constexpr double kTemplateLeftTwips = 240;
constexpr double kTemplateTopTwips = 240;

constexpr Int32 kLightingPeriodMs = 10;
constexpr Int32 kClearingPeriodMs = 60000;
// clear() runs when the clearing count goes past this: every sixth tick.
constexpr Int16 kClearingTicksBeforeClear = 5;

constexpr Colour kBackground = kBlack;
// The system's button face: the window's background until the load step sets
// it, and the picture panel's.
constexpr Colour kButtonFace = 0x00F0F0F0;

constexpr double kTwipsPerInch = 1440;
// The logical DPI of an ordinary display, where a pixel is 15 twips.
constexpr double kStandardDpi = 96;

// The largest picture the panel takes: 64 megapixels (256 MiB of pixels).
constexpr long long kMaxPicturePixels = 64LL * 1024 * 1024;

// The window's design: title and client size when not maximised.
constexpr const char* kWindowTitle = "Form1";
constexpr double kDesignClientWidthTwips = 8670;
constexpr double kDesignClientHeightTwips = 5010;

// The picture panel's design rectangle in twips.
constexpr double kPanelLeftTwips = 5400;
constexpr double kPanelTopTwips = 1080;
constexpr double kPanelWidthTwips = 3135;
constexpr double kPanelHeightTwips = 975;

}  // namespace lightmatrix
