// The editor's zoom steps, limits and CTRL+wheel arithmetic, which both backends follow.
#include <gtest/gtest.h>

#include "ui/editor/Zoom.h"

TEST(Zoom, KeysStepByTenWithinTheLimitsAndResetToAHundred) {
    EXPECT_EQ(110, ZoomAfterKey(100, kZoomIn));
    EXPECT_EQ(90, ZoomAfterKey(100, kZoomOut));
    EXPECT_EQ(kZoomMax, ZoomAfterKey(kZoomMax, kZoomIn));
    EXPECT_EQ(kZoomMin, ZoomAfterKey(kZoomMin, kZoomOut));
    EXPECT_EQ(kZoomMax, ZoomAfterKey(495, kZoomIn));  // a zoom set off the steps still stops at the limit
    EXPECT_EQ(100, ZoomAfterKey(370, kZoomReset));
    EXPECT_TRUE(IsZoomInRange(kZoomMin) && IsZoomInRange(kZoomMax));
    EXPECT_FALSE(IsZoomInRange(kZoomMin - 1) || IsZoomInRange(kZoomMax + 1) || IsZoomInRange(0));
}

TEST(Zoom, WheelPartsAddUpToNotchesAndATurnBackStartsAfresh) {
    int parts = 0;
    EXPECT_EQ(100, ZoomAfterWheel(100, 40, &parts));
    EXPECT_EQ(100, ZoomAfterWheel(100, 40, &parts));
    EXPECT_EQ(110, ZoomAfterWheel(100, 40, &parts));
    EXPECT_EQ(0, parts);
    // 90 up is kept, then a turn down forgets it: 90 down is no notch yet.
    EXPECT_EQ(110, ZoomAfterWheel(110, 90, &parts));
    EXPECT_EQ(110, ZoomAfterWheel(110, -90, &parts));
    EXPECT_EQ(-90, parts);
    EXPECT_EQ(100, ZoomAfterWheel(110, -30, &parts));
    // A fast turn of several notches at once, stopped at the limits.
    parts = 0;
    EXPECT_EQ(130, ZoomAfterWheel(100, 3 * kWheelNotch, &parts));
    EXPECT_EQ(kZoomMax, ZoomAfterWheel(480, 5 * kWheelNotch, &parts));
    EXPECT_EQ(kZoomMin, ZoomAfterWheel(20, -5 * kWheelNotch, &parts));
}
