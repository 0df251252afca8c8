// SPDX-License-Identifier: GPL-3.0-or-later
// The pure analysis routines, called directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis.h"
#include "pattern_record.h"

TEST(BuildRule, PolarBlockIsRadiusLevelPlus30ClockwiseFromTheTop)
{
    double L[LEVELS], x[LEVELS], y[LEVELS];
    for (int j = 0; j < LEVELS; ++j)
        L[j] = -30.0 + (j % 31);  // radius j % 31
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

namespace {

struct Levels {
    double v[LEVELS];
    explicit Levels(double fill) { std::fill(v, v + LEVELS, fill); }
    Levels &set(int from, int to, double level)
    {
        for (int i = from; i <= to; ++i)
            v[i] = level;
        return *this;
    }
};

}  // namespace

TEST(HalfPower, EdgesAtHalfDegreesOrExactly3dB)
{
    struct Case {
        const char *what;
        Levels levels;
        int peak;
        bool left, right;
        double leftEdge, rightEdge, width;
    } cases[] = {
        {"crossings between samples",
         Levels(-20)
             .set(90, 90, -2)
             .set(81, 89, -2.5)
             .set(91, 99, -2.5)
             .set(80, 80, -6)
             .set(100, 100, -4)
             .set(101, 101, -6),
         90, true, true, 80.5, 100.5, 20},
        {"exactly 3 dB down",
         Levels(-20)
             .set(90, 90, -2)
             .set(81, 89, -2.5)
             .set(91, 99, -2.5)
             .set(80, 80, -6)
             .set(100, 100, -5),
         90, true, true, 80.5, 100, 19.5},
        {"left edge wraps past 0",
         Levels(-20)
             .set(0, 20, -1)
             .set(10, 10, 0)
             .set(21, 21, -5)
             .set(356, 359, -1)
             .set(355, 355, -5),
         10, true, true, 355.5, 20.5, 25},
        {"right edge at 359 is never found",
         Levels(-20).set(340, 358, -1).set(350, 350, 0).set(359, 359, -3).set(339, 339, -5), 350,
         true, false, 339.5, -1, 0},
    };
    for (const auto &c : cases) {
        const HalfPowerResult r = HalfPowerSearch(c.levels.v, c.peak);
        EXPECT_EQ(r.leftFound, c.left) << c.what;
        EXPECT_EQ(r.rightFound, c.right) << c.what;
        if (c.left) {
            EXPECT_DOUBLE_EQ(r.left, c.leftEdge) << c.what;
        }
        if (c.right) {
            EXPECT_DOUBLE_EQ(r.right, c.rightEdge) << c.what;
        }
        if (c.left && c.right) {
            EXPECT_DOUBLE_EQ(r.width, c.width) << c.what;
        }
    }
}

TEST(HalfPower, NoSearchForPeaksAtZeroOneOrNone)
{
    // Edges all around, so that only the peak rule can stop the search.
    Levels l(-20);
    l.set(0, 5, 0).set(355, 359, 0).set(1, 1, 1);
    for (int peak : {-1, 0, 1}) {
        const HalfPowerResult r = HalfPowerSearch(l.v, peak);
        EXPECT_FALSE(r.leftFound || r.rightFound) << peak;
    }
    // Every peak index stays in bounds, flat or not.
    Levels flat(-10);
    for (int peak = -1; peak < LEVELS; ++peak)
        HalfPowerSearch(flat.v, peak);
}

TEST(Angles, FoldsTruncatesAndEndsOnTheOuterRing)
{
    struct Case {
        double angle;
        int folded;
        double x, y;
    } cases[] = {
        {0, 90, 0.0, 35.0},      {90, 360, 35.0, 0.0},    {200, 250, -11.97, -32.89},
        {-1, 91, -0.61, 34.99},  {12.5, 77, 7.87, 34.10}, {100.5, 349, 34.36, -6.68},
        {359, 91, -0.61, 34.99},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FoldAngle(c.angle), c.folded) << c.angle;
        double x = 0, y = 0;
        RadialPoint(c.angle, 35.0, &x, &y);
        EXPECT_NEAR(x, c.x, 0.01) << c.angle;
        EXPECT_NEAR(y, c.y, 0.01) << c.angle;
    }
    EXPECT_EQ(WrapAngle(-1), 359);
    EXPECT_EQ(WrapAngle(400), 40);
    EXPECT_EQ(WrapAngle(32767), 32767 % 360);
}

TEST(Angles, CursorStepsWrapAroundTheCircle)
{
    struct {
        int from, step, to;
    } cases[] = {{359, 1, 0},  {0, -1, 359}, {5, -10, 355},  {3, -10, 353}, {9, -10, 359},
                 {10, -10, 0}, {355, 10, 5}, {349, 10, 359}, {350, 10, 0},  {17, 1, 18}};
    for (const auto &c : cases)
        EXPECT_EQ(CursorStep(c.from, c.step), c.to) << c.from << " " << c.step;
}

TEST(Rotation, CounterStaysWithinAFullTurn)
{
    struct {
        int from, step, to;
    } cases[] = {{355, 10, 5}, {-355, -10, -5}, {-359, -1, 0}, {359, 1, 0},
                 {350, 10, 0}, {-350, -10, 0},  {0, -1, -1},   {12, 10, 22}};
    for (const auto &c : cases)
        EXPECT_EQ(RotationCounter(c.from, c.step), c.to) << c.from << " " << c.step;
    int counter = 0;
    for (int i = 0; i < 36; ++i)
        counter = RotationCounter(counter, 10);
    EXPECT_EQ(counter, 0);
}

TEST(Rotation, ShiftAndCopyErrorsWriteNothing)
{
    double in[LEVELS], out[LEVELS];
    for (int i = 0; i < LEVELS; ++i)
        in[i] = i, out[i] = -7;
    EXPECT_EQ(Shift(in, LEVELS, 360, out), ERR_SHIFT_TOO_BIG);
    EXPECT_EQ(Shift(in, LEVELS, -360, out), -20102);
    EXPECT_EQ(Shift(in, 0, 1, out), -20003);
    EXPECT_EQ(Copy1D(in, -1, out), -20003);
    for (double v : out)
        ASSERT_EQ(v, -7);
    ASSERT_EQ(Shift(in, 5, 2, out), 0);
    EXPECT_EQ(std::vector<double>(out, out + 5), (std::vector<double>{0, 0, 0, 1, 2}));
    ASSERT_EQ(Shift(in, 5, -2, out), 0);
    EXPECT_EQ(std::vector<double>(out, out + 5), (std::vector<double>{2, 3, 4, 0, 0}));
    ASSERT_EQ(Shift(in, 5, 0, out), 0);
    EXPECT_EQ(std::vector<double>(out, out + 5), (std::vector<double>{0, 1, 2, 3, 4}));
}

TEST(Rotation, CircularTurnsMoveThePeakAndComeBackExactly)
{
    double v[LEVELS];
    for (int i = 0; i < LEVELS; ++i)
        v[i] = -30 + std::fmod(i * 7.31, 29.0);
    double orig[LEVELS];
    std::copy(v, v + LEVELS, orig);
    ASSERT_EQ(RotateLevels(v, 1), 0);
    for (int k = 0; k < LEVELS; ++k)
        ASSERT_EQ(v[k], orig[(k + 359) % 360]) << k;
    ASSERT_EQ(RotateLevels(v, -10), 0);
    for (int k = 0; k < LEVELS; ++k)
        ASSERT_EQ(v[k], orig[(k + 9) % 360]) << k;
    RotateLevels(v, 9);
    for (int i = 0; i < 36; ++i)
        RotateLevels(v, 10);
    for (int k = 0; k < LEVELS; ++k)
        ASSERT_EQ(v[k], orig[k]) << k;

    Levels p(-20);
    p.set(359, 359, 0);
    RotateLevels(p.v, 1);
    EXPECT_EQ(PeakIndex(p.v), 0);
    RotateLevels(p.v, -1);
    RotateLevels(p.v, -1);
    EXPECT_EQ(PeakIndex(p.v), 358);
    EXPECT_EQ(RotateLevels(p.v, 360), ERR_SHIFT_TOO_BIG);
}
