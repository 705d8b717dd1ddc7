#include <gtest/gtest.h>

#include "platform/common/dirty_areas.h"

namespace lightmatrix {
namespace {

bool operator==(const PixelRect& a, const PixelRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(DirtyAreas, FewAreasStayApartAndManyBecomeOneAroundThemAll) {
    DirtyAreas dirty;
    dirty.add({5, 5, 5, 9});  // empty: nothing to draw
    EXPECT_TRUE(dirty.empty());

    // One cell per row down a diagonal, as far as they stay apart.
    for (Int32 i = 0; i < static_cast<Int32>(DirtyAreas::kMaxSeparateAreas); ++i)
        dirty.add({i * 7, i * 7, i * 7 + 6, i * 7 + 6});
    ASSERT_EQ(dirty.areas().size(), DirtyAreas::kMaxSeparateAreas);
    EXPECT_TRUE(dirty.areas().back() == (PixelRect{217, 217, 223, 223}));

    // One more: a single rectangle covering every one of them.
    dirty.add({300, 2, 301, 3});
    ASSERT_EQ(dirty.areas().size(), 1u);
    EXPECT_TRUE(dirty.areas().front() == (PixelRect{0, 0, 301, 223}));
    // Whatever comes later joins it.
    dirty.add({-4, 400, 1, 401});
    ASSERT_EQ(dirty.areas().size(), 1u);
    EXPECT_TRUE(dirty.areas().front() == (PixelRect{-4, 0, 301, 401}));

    // Drawn: the next change starts afresh, on its own.
    dirty.clear();
    EXPECT_TRUE(dirty.empty());
    dirty.add({1, 1, 2, 2});
    dirty.add({9, 9, 10, 10});
    EXPECT_EQ(dirty.areas().size(), 2u);

    // Covering everything swallows what was there and what follows.
    dirty.coverAll({0, 0, 640, 480});
    dirty.add({700, 10, 710, 20});
    ASSERT_EQ(dirty.areas().size(), 1u);
    EXPECT_TRUE(dirty.areas().front() == (PixelRect{0, 0, 710, 480}));
}

}  // namespace
}  // namespace lightmatrix
