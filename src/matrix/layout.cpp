#include "matrix/layout.h"

#include <cmath>

namespace lightmatrix {

PixelRect PixelMapping::toPixels(const TwipsRect& r) const {
    return {firstCentreAtOrAfter(r.left * pixelsPerTwip_),
            firstCentreAtOrAfter(r.top * pixelsPerTwip_),
            firstCentreAtOrAfter(r.right * pixelsPerTwip_),
            firstCentreAtOrAfter(r.bottom * pixelsPerTwip_)};
}

PixelRect designClientArea(const PixelMapping& mapping) {
    const double s = mapping.pixelsPerTwip();
    return {0, 0, static_cast<Int32>(std::lround(kDesignClientWidthTwips * s)),
            static_cast<Int32>(std::lround(kDesignClientHeightTwips * s))};
}

PixelRect designPanelArea(const PixelMapping& mapping) {
    return mapping.toPixels({kPanelLeftTwips, kPanelTopTwips, kPanelLeftTwips + kPanelWidthTwips,
                             kPanelTopTwips + kPanelHeightTwips});
}

}  // namespace lightmatrix
