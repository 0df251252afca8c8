// The pure analysis routines, called directly.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis.h"
#include "pattern_record.h"

TEST(BuildRule, PolarBlockIsRadiusLevelPlus30ClockwiseFromTheTop)
{
    double L[LEVELS], x[LEVELS], y[LEVELS];
    for (int j = 0; j < LEVELS; ++j)
        L[j] = -30.0 + (j % 31); // radius j % 31
    for (int angle180 : {360, 0}) {
        BuildPolarBlock(L, angle180, x, y);
        for (int j = 0; j < LEVELS; ++j) {
            const double r = L[j] + 30;
            EXPECT_NEAR(x[j], r * std::sin(j * M_PI / 180), 1e-4) << j;
            EXPECT_NEAR(y[j], r * std::cos(j * M_PI / 180), 1e-4) << j;
        }
    }
}

TEST(BuildRule, CartesianBlockStartsAtMinus180)
{
    double L[LEVELS], car[LEVELS];
    int ax[LEVELS];
    for (int j = 0; j < LEVELS; ++j)
        L[j] = j;
    BuildCarBlock(L, car);
    BuildArrayX(ax);
    for (int k = 0; k < LEVELS; ++k) {
        // The level at j degrees sits at x = j below 180 and j - 360 above.
        const int j = ax[k] < 0 ? ax[k] + 360 : ax[k];
        EXPECT_DOUBLE_EQ(car[k], L[j]) << k;
    }
    EXPECT_EQ(ax[0], -180);
    EXPECT_EQ(ax[359], 179);
}

TEST(Peak, LowestAngleOfTheStrictlyGreatestLevelAboveTheFloor)
{
    double L[LEVELS];
    for (double &v : L)
        v = -30.0;
    EXPECT_EQ(PeakIndex(L), -1);
    L[200] = -3;
    L[40] = -3;
    EXPECT_EQ(PeakIndex(L), 40);
    L[359] = -2.999;
    EXPECT_EQ(PeakIndex(L), 359);
}
