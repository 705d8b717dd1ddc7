#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/checked.h"
#include "support/error_kind.h"

namespace lightmatrix {
namespace {

using testing_support::errorFrom;

TEST(CheckedArithmetic, SumsAndProductsStopAtTheirTypesEdgesWithTheOverflowError) {
    EXPECT_EQ(checkedAdd<Int16>(32760, 7), 32767);
    EXPECT_EQ(checkedMul<Int16>(273, 120), 32760);
    EXPECT_EQ(checkedAdd<Int32>(2147483644, 3), 2147483647);
    EXPECT_EQ(errorFrom([] { checkedAdd<Int16>(32760, 8); }), ErrorKind::Overflow);
    EXPECT_EQ(errorFrom([] { checkedAdd<Int16>(-32768, -1); }), ErrorKind::Overflow);
    EXPECT_EQ(errorFrom([] { checkedSub<Int16>(-32768, 1); }), ErrorKind::Overflow);
    EXPECT_EQ(errorFrom([] { checkedAdd<Int32>(2147483646, 3); }), ErrorKind::Overflow);
    EXPECT_EQ(errorFrom([] { checkedMul<Int32>(65536, 32768); }), ErrorKind::Overflow);
    try {
        checkedMul<Int16>(274, 120);
        ADD_FAILURE() << "no overflow";
    } catch (const RuntimeError& e) {
        EXPECT_STREQ(e.what(), "Overflow: 274 * 120");
    }
}

TEST(CheckedArithmetic, ConversionsRoundToNearestWithTiesToEven) {
    EXPECT_EQ(roundTo<Int16>(0.5), 0);
    EXPECT_EQ(roundTo<Int16>(22.5), 22);
    EXPECT_EQ(roundTo<Int16>(67.5), 68);
    EXPECT_EQ(roundTo<Int16>(-2.5), -2);
    EXPECT_EQ(roundTo<Int16>(2.5000001), 3);
    EXPECT_EQ(roundTo<Int32>(8388607.5), 8388608);
    EXPECT_EQ(roundTo<Int16>(-32768.5), -32768);  // ties to even stays in range
    EXPECT_EQ(errorFrom([] { roundTo<Int16>(32767.5); }), ErrorKind::Overflow);
    EXPECT_EQ(errorFrom([] { roundTo<Int32>(std::nan("")); }), ErrorKind::Overflow);
    // An infinite or invalid product is the floating-point error.
    EXPECT_EQ(errorFrom([] { checkedProduct(std::numeric_limits<double>::max(), 2); }),
              ErrorKind::FloatingPoint);
    EXPECT_EQ(errorFrom([] { checkedProduct(std::numeric_limits<double>::infinity(), 0); }),
              ErrorKind::FloatingPoint);
}

}  // namespace
}  // namespace lightmatrix
