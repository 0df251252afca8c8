// SPDX-License-Identifier: GPL-3.0-or-later
// Readouts and lobe metrics against hand-computed planes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "lobe.h"

namespace {

struct Plane {
    double v[LEVELS];
    explicit Plane(double fill) { std::fill(v, v + LEVELS, fill); }
    // A triangle lobe: peak at p, 1 dB down per degree, floored at -30.
    static Plane Triangle(int p, double peak = 0.0)
    {
        Plane t(-30.0);
        for (int k = -30; k <= 30; ++k)
            t.v[WrapAngle(p + k)] = std::max(-30.0, peak - std::abs(k));
        return t;
    }
};

}  // namespace

TEST(LobeMetrics, TriangleLobeHasItsHandComputedWidthsNullsAndRatio)
{
    const Plane t = Plane::Triangle(100);
    const LobeMetrics m = PlaneLobeMetrics(t.v);
    EXPECT_EQ(m.peak, 100);
    ASSERT_TRUE(m.hpbw && m.bw10 && m.fnbw && m.frontToBack);
    EXPECT_DOUBLE_EQ(*m.hpbw, 6.0);
    EXPECT_DOUBLE_EQ(*m.hpbwLeft, 97.0);
    EXPECT_DOUBLE_EQ(*m.hpbwRight, 103.0);
    EXPECT_DOUBLE_EQ(*m.bw10, 20.0);
    // The fall stops where the floor starts, 30 degrees out on each side.
    EXPECT_EQ(*m.nullLeft, 70);
    EXPECT_EQ(*m.nullRight, 130);
    EXPECT_EQ(*m.fnbw, 60);
    EXPECT_DOUBLE_EQ(*m.frontToBack, 30.0);
    EXPECT_FALSE(m.sideLobeLevel);  // the rest is floor, no lobe rises from it
}

TEST(LobeMetrics, SideLobeIsTheHighestLevelOutsideTheFirstNulls)
{
    Plane t = Plane::Triangle(100, -2.0);
    t.v[249] = -20, t.v[250] = -12, t.v[251] = -20;
    t.v[300] = -25;
    const LobeMetrics m = PlaneLobeMetrics(t.v);
    ASSERT_TRUE(m.sideLobeLevel);
    EXPECT_DOUBLE_EQ(*m.sideLobeLevel, -10.0);
    EXPECT_EQ(*m.sideLobeAngle, 250);
    EXPECT_DOUBLE_EQ(*m.frontToBack, -2.0 - -30.0);
}

TEST(LobeMetrics, CrossingsAreInterpolatedBetweenSamples)
{
    Plane t(-30.0);
    t.v[90] = -2;                // targets: -5 (3 dB), -12 (10 dB)
    t.v[91] = -4, t.v[92] = -6;  // right: 1 + (1 / 2) = 1.5
    t.v[89] = -3, t.v[88] = -6;  // left: 1 + (2 / 3)
    const LobeMetrics m = PlaneLobeMetrics(t.v);
    ASSERT_TRUE(m.hpbw && m.bw10);
    EXPECT_NEAR(*m.hpbw, 1.5 + 1.0 + 2.0 / 3.0, 1e-12);
    EXPECT_NEAR(*m.hpbwLeft, 90 - (1.0 + 2.0 / 3.0), 1e-12);
    EXPECT_NEAR(*m.hpbwRight, 91.5, 1e-12);
    // -6 then -30 on both sides: 2 + 6 / 24 each side.
    EXPECT_NEAR(*m.bw10, 4.5, 1e-12);
    EXPECT_EQ(*m.fnbw, 6);
}

TEST(LobeMetrics, MainLobeAcrossZeroIsMeasuredRoundTheCircle)
{
    const Plane t = Plane::Triangle(1);
    const LobeMetrics m = PlaneLobeMetrics(t.v);
    ASSERT_TRUE(m.hpbw);
    EXPECT_DOUBLE_EQ(*m.hpbw, 6.0);
    EXPECT_DOUBLE_EQ(*m.hpbwLeft, 358.0);
    EXPECT_DOUBLE_EQ(*m.hpbwRight, 4.0);
    EXPECT_EQ(*m.nullLeft, 331);
    EXPECT_EQ(*m.nullRight, 31);
    // The viewer's own search skips a peak at 0 or 1 degree: its readouts
    // show no beamwidth while the lobe metrics have one.
    const ViewerReadouts d = PlaneReadouts(t.v);
    EXPECT_FALSE(d.hasBeamwidth);
    EXPECT_EQ(d.hpbWidth, 0.0);
}

TEST(LobeMetrics, RippleIsNoNullButARiseOfMoreThanADecibelIs)
{
    Plane t = Plane::Triangle(200);
    t.v[201] = t.v[202] = 0.0;         // peak at 200 (lowest angle), flat to 202
    t.v[203] = -1.5, t.v[204] = -1.0;  // a dip within 3 dB of the peak
    t.v[205] = -2.5;
    t.v[190] = -9.5, t.v[189] = -8.0;  // a rise of 1.5 dB 10 dB down: the left null
    t.v[180] = -19.5;                  // a rise of 0.5 dB is ripple
    const LobeMetrics m = PlaneLobeMetrics(t.v);
    EXPECT_EQ(m.peak, 200);
    EXPECT_EQ(*m.nullLeft, 190);
    EXPECT_EQ(*m.nullRight, 230);
    EXPECT_EQ(*m.fnbw, 40);
}

TEST(LobeMetrics, AllRoundPlaneWithRippleHasNoNulls)
{
    Plane t(-6.0);
    for (int k = 0; k < LEVELS; ++k)
        t.v[k] += (k % 7) * 0.3;  // never 3 dB below the peak
    const LobeMetrics m = PlaneLobeMetrics(t.v);
    EXPECT_FALSE(m.fnbw);
    EXPECT_FALSE(m.hpbw);
}

// All-round, floor and hidden planes: what each metric gives.
struct SpecialPlane {
    const char *name;
    double level;
    int peak;
};
void PrintTo(const SpecialPlane &p, std::ostream *os)
{
    *os << p.name;
}
class SpecialPlanes : public testing::TestWithParam<SpecialPlane> {};

TEST_P(SpecialPlanes, HaveNoLobeButAFrontToBackWhenThereIsAPeak)
{
    const SpecialPlane p = GetParam();
    const Plane t(p.level);
    const LobeMetrics m = PlaneLobeMetrics(t.v);
    EXPECT_EQ(m.peak, p.peak);
    EXPECT_FALSE(m.hpbw);
    EXPECT_FALSE(m.bw10);
    EXPECT_FALSE(m.fnbw);
    EXPECT_FALSE(m.nullLeft);
    EXPECT_FALSE(m.sideLobeLevel);
    const ViewerReadouts d = PlaneReadouts(t.v);
    EXPECT_EQ(d.peak, p.peak);
    EXPECT_FALSE(d.hasBeamwidth);
    EXPECT_EQ(d.hpbWidth, 0.0);
    EXPECT_EQ(d.hpbLevel, 0.0);
    if (p.peak < 0) {
        EXPECT_FALSE(m.peakLevel);
        EXPECT_FALSE(m.frontToBack);
        EXPECT_FALSE(d.peakLevel);
    } else {
        EXPECT_EQ(*m.peakLevel, p.level);
        EXPECT_EQ(*m.frontToBack, 0.0);
    }
    EXPECT_FALSE(DirectivityEstimate(m.hpbw, m.hpbw));
}

INSTANTIATE_TEST_SUITE_P(Planes, SpecialPlanes,
                         testing::Values(SpecialPlane{"AllRound", -5.0, 0},
                                         SpecialPlane{"AllFloor", -30.0, -1},
                                         SpecialPlane{"Hidden", 0.0, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Readouts, FollowTheViewersSearchAndShowZeroWithoutABeamwidth)
{
    const Plane t = Plane::Triangle(100, -2.0);
    ViewerReadouts d = PlaneReadouts(t.v);
    EXPECT_EQ(d.peak, 100);
    EXPECT_EQ(*d.peakLevel, -2.0);
    ASSERT_TRUE(d.hasBeamwidth);
    EXPECT_EQ(d.hpbWidth, 6.0);
    EXPECT_EQ(d.hpbLevel, -5.0);

    // Both edges exactly 3 dB down on one sample: no width, 0 shown.
    Plane s(-1.0);
    s.v[10] = 0.0;
    s.v[100] = -3.0;
    d = PlaneReadouts(s.v);
    EXPECT_TRUE(d.search.leftFound && d.search.rightFound);
    EXPECT_EQ(d.search.left, d.search.right);
    EXPECT_FALSE(d.hasBeamwidth);
    EXPECT_EQ(d.hpbWidth, 0.0);
    EXPECT_EQ(d.hpbLevel, 0.0);
}

TEST(Directivity, KrausEstimateFromBothHalfPowerWidths)
{
    const auto d = DirectivityEstimate(60.0, 60.0);
    ASSERT_TRUE(d);
    EXPECT_NEAR(d->ratio, 41253.0 / 3600.0, 1e-12);
    EXPECT_NEAR(d->dBi, 10.0 * std::log10(41253.0 / 3600.0), 1e-12);
    EXPECT_FALSE(DirectivityEstimate(60.0, std::nullopt));
    EXPECT_FALSE(DirectivityEstimate(0.0, 60.0));
}

TEST(Compare, FindsTheTurnThatMatchesAndTheRemainingDifference)
{
    Plane a = Plane::Triangle(100);
    a.v[250] = -12;
    Plane b = a;
    RotateLevels(b.v, -37);  // b is a turned 37 degrees to the left
    PlaneComparison c = ComparePlanes(a.v, b.v);
    EXPECT_EQ(c.rotation, 37);
    EXPECT_EQ(c.rms, 0.0);
    for (double &v : b.v)
        v -= 1.0;
    b.v[WrapAngle(250 - 37)] -= 2.0;  // one sample 3 dB off in all
    c = ComparePlanes(a.v, b.v);
    EXPECT_EQ(c.rotation, 37);
    EXPECT_NEAR(c.maxDiff, 3.0, 1e-12);
    EXPECT_NEAR(c.rms, std::sqrt((359 * 1.0 + 9.0) / 360.0), 1e-12);
    EXPECT_EQ(ComparePlanes(a.v, a.v).rotation, 0);
}

TEST(LobeMetrics, ANotchOfExactlyThreeDecibelsIsNoNull)
{
    Plane t = Plane::Triangle(100, -2.0);
    t.v[99] = -2.5, t.v[98] = -5.0, t.v[97] = -2.5;     // exactly 3 dB down, then up again
    t.v[101] = -2.5, t.v[102] = -5.1, t.v[103] = -3.0;  // just more than 3 dB down
    const LobeMetrics m = PlaneLobeMetrics(t.v);
    EXPECT_EQ(*m.nullRight, 102);
    EXPECT_NE(*m.nullLeft, 98);
}

TEST(LobeMetrics, ASingleNotchIsBothFirstNullsWithTheWholeCircleBetween)
{
    // A cardioid: 0 dB ahead, one deep notch behind, no other dip.
    Plane c(0.0);
    for (int k = 0; k < LEVELS; ++k)
        c.v[k] = 20.0 * std::log10((1.02 + std::cos(k * M_PI / 180.0)) / 2.02);
    const LobeMetrics m = PlaneLobeMetrics(c.v);
    EXPECT_EQ(m.peak, 0);
    ASSERT_TRUE(m.fnbw);
    EXPECT_EQ(*m.nullLeft, 180);
    EXPECT_EQ(*m.nullRight, 180);
    EXPECT_EQ(*m.fnbw, 360);
    EXPECT_FALSE(m.sideLobeLevel);
}

TEST(Directivity, NoneForALobeWiderThanAHalfCircle)
{
    // 200 by 230 degrees would give 41253 / 46000, below 0 dBi.
    EXPECT_FALSE(DirectivityEstimate(200.0, 230.0));
    EXPECT_FALSE(DirectivityEstimate(60.0, 180.5));
    const auto widest = DirectivityEstimate(180.0, 180.0);
    ASSERT_TRUE(widest);
    EXPECT_GT(widest->dBi, 0.0);
    // Through the metrics: a broad plane whose -3 dB points lie 250 degrees apart.
    Plane broad(-1.0);
    broad.v[0] = 0.0;
    for (int k = 125; k <= 235; ++k)
        broad.v[k] = -10.0;
    const LobeMetrics m = PlaneLobeMetrics(broad.v);
    ASSERT_TRUE(m.hpbw);
    EXPECT_GT(*m.hpbw, 180.0);
    EXPECT_FALSE(DirectivityEstimate(m.hpbw, m.hpbw));
}
