// SPDX-License-Identifier: GPL-3.0-or-later
// Several planes side by side: alignment to the first, the mean and spread at
// each angle, and the repeatability figures, against hand-computed planes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "overlay.h"

namespace {

// A lobe parabolic in dB: top at `peak` degrees, `k` dB down per square
// degree, floored at -30. Its half-power width is 2 * sqrt(3 / k).
PlaneLevels Parabola(int peak, double top, double k)
{
    PlaneLevels p;
    for (int a = 0; a < LEVELS; ++a) {
        int d = std::abs(a - peak) % 360;
        d = std::min(d, 360 - d);
        p[a] = std::max(-30.0, top - k * d * d);
    }
    return p;
}

}  // namespace

TEST(OverlayAlignment, ATurnedCopyComesBackAndTurnsReadSigned)
{
    PlaneLevels a = Parabola(40, -2, 0.02);
    a[200] = -11;  // a second feature, so that only one turn matches
    PlaneLevels b = a;
    RotateLevels(b.data(), -25);  // b is a turned 25 degrees to the left
    PlaneLevels turned{};
    const PlaneComparison c = AlignPlane(a.data(), b.data(), turned);
    EXPECT_EQ(c.rotation, 25);
    EXPECT_EQ(c.rms, 0.0);
    EXPECT_TRUE(turned == a);
    // The same rotation the comparison of two files reports.
    EXPECT_EQ(c.rotation, ComparePlanes(a.data(), b.data()).rotation);
    RotateLevels(b.data(), 50);  // now 25 to the right of a
    EXPECT_EQ(AlignPlane(a.data(), b.data(), turned).rotation, 335);
    EXPECT_TRUE(turned == a);
    EXPECT_EQ(SignedTurn(335), -25);
    EXPECT_EQ(SignedTurn(25), 25);
    EXPECT_EQ(SignedTurn(180), 180);
    EXPECT_EQ(SignedTurn(181), -179);
    EXPECT_EQ(SignedTurn(0), 0);
}

TEST(OverlayStatistics, MeanAndSampleDeviationNeedThreePlanes)
{
    PlaneLevels p[3], mean, sd;
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < LEVELS; ++k)
            p[i][k] = -20.0 + 0.01 * k + 2.0 * i;  // -20, -18, -16 at 0 degrees
    mean.fill(7.0);
    sd.fill(7.0);
    EXPECT_FALSE(PlaneMeanAndDeviation({p[0].data(), p[1].data()}, mean, sd));
    EXPECT_EQ(mean[0], 7.0) << "nothing written for two planes";
    ASSERT_TRUE(PlaneMeanAndDeviation({p[0].data(), p[1].data(), p[2].data()}, mean, sd));
    for (int k : {0, 123, 359}) {
        EXPECT_NEAR(mean[k], -18.0 + 0.01 * k, 1e-12) << k;
        EXPECT_NEAR(sd[k], 2.0, 1e-12) << k;  // n - 1: the population's would be 1.63
    }
    // Identical planes spread nothing, at any size of level.
    for (auto &q : p)
        q.fill(1e6 + 0.1);
    ASSERT_TRUE(PlaneMeanAndDeviation({p[0].data(), p[1].data(), p[2].data()}, mean, sd));
    EXPECT_EQ(sd[17], 0.0);
    EXPECT_EQ(mean[17], 1e6 + 0.1);
}

TEST(OverlayStatistics, RepeatabilityFromTheFittedPeaksAndWidths)
{
    // Peaks of -2, -3 and -5 dB; the third lobe wider; a fourth plane on
    // the floor has no peak and no width.
    const PlaneLevels a = Parabola(90, -2, 0.03), b = Parabola(90, -3, 0.03),
                      c = Parabola(92, -5, 0.012);
    PlaneLevels floor;
    floor.fill(-30.0);
    const Repeatability r = RepeatabilityOf({a.data(), b.data(), c.data(), floor.data()});
    EXPECT_EQ(r.planes, 4);
    EXPECT_EQ(r.peakLevel.count, 3);
    EXPECT_NEAR(r.peakLevel.max, -2.0, 0.02);
    EXPECT_NEAR(r.peakLevel.min, -5.0, 0.02);
    EXPECT_NEAR(r.peakLevel.range, 3.0, 0.03);
    EXPECT_NEAR(r.peakLevel.sd, std::sqrt(7.0 / 3.0), 0.03);  // of -2, -3, -5
    ASSERT_EQ(r.hpbw.count, 3);
    const double narrow = 2 * std::sqrt(3 / 0.03), wide = 2 * std::sqrt(3 / 0.012);
    EXPECT_NEAR(r.hpbw.min, narrow, 0.3);
    EXPECT_NEAR(r.hpbw.max, wide, 0.3);
    EXPECT_NEAR(r.hpbw.range, wide - narrow, 0.5);
    // Across four planes, one of them on the floor, the spread is largest
    // near the peaks, where the floor plane lies farthest below the others.
    EXPECT_GT(r.largestSd, 10.0);
    EXPECT_NEAR(r.largestSdAngle, 90, 3);
    // Fewer than three planes: the per-angle figure is not made.
    EXPECT_EQ(RepeatabilityOf({a.data(), b.data()}).largestSd, 0.0);
    EXPECT_EQ(RepeatabilityOf({a.data(), b.data()}).peakLevel.count, 2);
}

TEST(OverlayStatistics, FiguresTurnOnlyThePlanesToBeAligned)
{
    const PlaneLevels ref = Parabola(30, -1, 0.02);
    PlaneLevels left = ref, right = ref;
    RotateLevels(left.data(), -12);
    RotateLevels(right.data(), 7);
    const OverlayFigures f =
        OverlayFiguresOf({ref.data(), left.data(), right.data()}, {false, true, false});
    ASSERT_EQ(f.alignment.size(), 3u);
    EXPECT_EQ(f.alignment[0].rotation, 0);
    EXPECT_EQ(f.alignment[1].rotation, 12);
    EXPECT_EQ(f.alignment[2].rotation, 353);  // found, not applied
    EXPECT_TRUE(f.levels[1] == ref);
    EXPECT_TRUE(f.levels[2] == right);
    ASSERT_TRUE(f.statistics);
    // Where the unaligned plane and the two others differ, the mean is a
    // third of the way from the matching pair to it.
    EXPECT_NEAR(f.mean[37], (2 * ref[37] + right[37]) / 3, 1e-12);
    EXPECT_EQ(f.repeatability.planes, 3);
    EXPECT_EQ(f.repeatability.peakLevel.count, 3);
    EXPECT_NEAR(f.repeatability.peakLevel.range, 0.0, 1e-9);
    EXPECT_FALSE(OverlayFiguresOf({ref.data(), left.data()}, {false, true}).statistics);
    EXPECT_TRUE(OverlayFiguresOf({}, {}).levels.empty());
}

namespace {

// Every turn compared in full, as the comparison was first written.
PlaneComparison FullSearch(const double *a, const double *b)
{
    PlaneComparison best;
    best.rms = best.maxDiff = std::nan("");
    double bestSum = INFINITY;
    for (int r = 0; r < LEVELS; ++r) {
        double sum = 0, mx = 0;
        for (int k = 0; k < LEVELS; ++k) {
            const double d = a[k] - b[WrapAngle(k - r)];
            sum += d * d;
            mx = std::fmax(mx, std::fabs(d));
        }
        if (sum < bestSum) {
            bestSum = sum;
            best.rotation = r;
            best.rms = std::sqrt(sum / LEVELS);
            best.maxDiff = mx;
        }
    }
    return best;
}

}  // namespace

TEST(OverlayAlignment, TheQuickComparisonAgreesWithAFullSearchToTheLastBit)
{
    // Noisy turned copies, exact ties (a plane symmetric in two ways) and a
    // reading that is not a number: the same turn, RMS and largest difference.
    PlaneLevels a = Parabola(40, -3, 0.01), b{};
    unsigned seed = 7;
    auto noise = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return double((seed >> 8) % 1000) / 1000.0 - 0.5;
    };
    for (int trial = 0; trial < 40; ++trial) {
        for (int k = 0; k < LEVELS; ++k)
            b[k] = a[WrapAngle(k - 3 * trial)] + 0.4 * noise();
        const PlaneComparison quick = ComparePlanes(a.data(), b.data()),
                              full = FullSearch(a.data(), b.data());
        EXPECT_EQ(quick.rotation, full.rotation) << trial;
        EXPECT_EQ(quick.rms, full.rms) << trial;
        EXPECT_EQ(quick.maxDiff, full.maxDiff) << trial;
    }
    PlaneLevels two{};
    for (int k = 0; k < LEVELS; ++k)
        two[k] = k % 180 < 90 ? -5.0 : -25.0;  // matches itself at 0 and 180
    EXPECT_EQ(ComparePlanes(two.data(), two.data()).rotation, 0);
    PlaneLevels odd = two;
    odd[100] = std::nan("");
    const PlaneComparison q = ComparePlanes(two.data(), odd.data()),
                          f = FullSearch(two.data(), odd.data());
    EXPECT_EQ(q.rotation, f.rotation);
    EXPECT_TRUE(std::isnan(q.rms) == std::isnan(f.rms));
}
