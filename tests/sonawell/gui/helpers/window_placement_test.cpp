#include "gui/window_placement.h"

#include <gtest/gtest.h>

namespace {

TEST(PlacementTest, CenterOnScreenLiftsTheFormAboveTheMiddle) {
    const PlacedPoint example = centerOnScreenPosition(12000, 9000, 4000, 3000);
    EXPECT_EQ(example.y, 2325);
    EXPECT_EQ(example.x, 4000);
    // 1080 * 0.85 = 918, halved 459; odd sizes halve toward zero.
    const PlacedPoint odd = centerOnScreenPosition(1921, 1080, 401, 301);
    EXPECT_EQ(odd.y, 459 - 150);
    EXPECT_EQ(odd.x, 960 - 200);
    // A form larger than the screen goes above and left of it.
    const PlacedPoint large = centerOnScreenPosition(100, 100, 301, 301);
    EXPECT_EQ(large.y, 42 - 150);
    EXPECT_EQ(large.x, 50 - 150);
}

TEST(PlacementTest, CenterOnOwnerRoundsHalvesToEven) {
    const PlacedPoint exact = centerOnOwnerPosition(100, 200, 800, 600, 400, 300);
    EXPECT_EQ(exact.x, 300);
    EXPECT_EQ(exact.y, 350);
    // 10 + 1/2 = 10.5 -> 10; 11 + 1/2 = 11.5 -> 12.
    const PlacedPoint halves = centerOnOwnerPosition(10, 11, 101, 101, 100, 100);
    EXPECT_EQ(halves.x, 10);
    EXPECT_EQ(halves.y, 12);
    // Window larger than its owner; -0.5 -> 0 and -1.5 -> -2.
    const PlacedPoint larger = centerOnOwnerPosition(0, -1, 100, 100, 101, 101);
    EXPECT_EQ(larger.x, 0);
    EXPECT_EQ(larger.y, -2);
}

}  // namespace
