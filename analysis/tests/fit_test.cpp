// SPDX-License-Identifier: GPL-3.0-or-later
// The fit through the noise and the naming of the lobes, on planes made
// from textbook shapes with known noise added the way the rig reports it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "lobe.h"
#include "lobe_fit.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Plane {
    double v[LEVELS];
};

// What the receiver makes of a level: 0.05 dB steps, never below -30 dB.
double Reading(double level)
{
    return std::max(-30.0, std::round(level * 20.0) / 20.0);
}

// A half-wave dipole along the 0-180 degree axis: a figure of eight with
// its lobes at 90 and 270 degrees, 78 degrees wide.
Plane Dipole(double peak = -5.0, double noise = 0.0, unsigned seed = 1)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> n(0.0, noise);
    Plane p;
    for (int k = 0; k < LEVELS; ++k) {
        const double t = k * kPi / 180.0;
        const double s = std::fabs(std::sin(t));
        const double f = s < 1e-9 ? 0.0 : std::fabs(std::cos(kPi / 2 * std::cos(t)) / s);
        const double db = f > 0 ? 20 * std::log10(f) : -200.0;
        p.v[k] = Reading(peak + db + (noise > 0 ? n(rng) : 0.0));
    }
    return p;
}

double Bump(double at, double centre, double level, double width)
{
    double d = std::fabs(at - centre);
    d = std::min(d, 360 - d);
    return level - 12.0 * (d / width) * (d / width);
}

// A beam antenna: main lobe at 0 degrees, side lobes at +-40 degrees and a
// back lobe at 180 degrees, each its own bump, floored at -30 dB.
Plane Beam(double backLevel, double noise = 0.0, unsigned seed = 1)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> n(0.0, noise);
    Plane p;
    for (int k = 0; k < LEVELS; ++k) {
        const double l = std::max({Bump(k, 0, 0.0, 20), Bump(k, 40, -14.0, 14),
                                   Bump(k, 320, -16.0, 14), Bump(k, 180, backLevel, 40)});
        p.v[k] = Reading(l + (noise > 0 ? n(rng) : 0.0));
    }
    return p;
}

double AngleDiff(double a, double b)
{
    const double d = std::fabs(std::fmod(a - b + 540.0, 360.0) - 180.0);
    return d;
}

}  // namespace

TEST(Noise, EstimateFindsTheNoiseAddedWithinAFifth)
{
    for (double sigma : {0.3, 0.5, 1.0}) {
        for (unsigned seed = 1; seed <= 8; ++seed) {
            const Plane p = Dipole(-5.0, sigma, seed);
            bool known = false;
            const double est = EstimateNoise(p.v, &known);
            ASSERT_TRUE(known);
            EXPECT_NEAR(est, sigma, 0.2 * sigma) << "sigma " << sigma << " seed " << seed;
        }
    }
    // Without noise only the receiver's 0.05 dB steps are left.
    EXPECT_LT(EstimateNoise(Dipole().v), 0.05);
    // A plane on the floor tells nothing.
    Plane floor;
    std::fill(floor.v, floor.v + LEVELS, -30.0);
    bool known = true;
    EXPECT_EQ(EstimateNoise(floor.v, &known), 0.0);
    EXPECT_FALSE(known);
}

TEST(Fit, NoisyDipoleKeepsItsWidthPeakAndNulls)
{
    const FittedLobeMetrics clean = PlaneFittedMetrics(Dipole().v);
    ASSERT_TRUE(clean.hpbw);
    EXPECT_NEAR(*clean.hpbw, 78.0, 1.0);
    EXPECT_NEAR(clean.fit.peakLevel, -5.0, 0.05);
    EXPECT_FALSE(clean.fit.noisy);
    for (unsigned seed = 1; seed <= 10; ++seed) {
        const Plane noisy = Dipole(-5.0, 0.5, seed);
        // The raw metrics are led astray by one high reading ...
        const LobeMetrics raw = PlaneLobeMetrics(noisy.v);
        ASSERT_TRUE(raw.peakLevel);
        // ... the fitted ones are not.
        const FittedLobeMetrics m = PlaneFittedMetrics(noisy.v);
        ASSERT_TRUE(m.hpbw) << seed;
        EXPECT_NEAR(*m.hpbw, *clean.hpbw, 3.0) << seed;
        EXPECT_NEAR(m.fit.peakLevel, -5.0, 0.3) << seed;
        EXPECT_GT(*raw.peakLevel, m.fit.peakLevel) << seed;
        EXPECT_NEAR(m.fit.peakBias, *raw.peakLevel - m.fit.peakLevel, 1e-12);
        EXPECT_GT(m.fit.peakLevelU, 0.0);
        EXPECT_LT(m.fit.peakLevelU, 0.3);
        // No dip of the noise is a null: the first nulls are the wire's axis.
        ASSERT_TRUE(m.nullLeft && m.nullRight) << seed;
        const double nearPeak = m.fit.peakAngle < 180 ? 0.0 : 180.0;
        const double far = nearPeak == 0.0 ? 180.0 : 0.0;
        EXPECT_LT(std::min(AngleDiff(*m.nullLeft, nearPeak), AngleDiff(*m.nullLeft, far)), 6.0)
            << seed << " left null " << *m.nullLeft;
        EXPECT_LT(std::min(AngleDiff(*m.nullRight, nearPeak), AngleDiff(*m.nullRight, far)), 6.0)
            << seed << " right null " << *m.nullRight;
    }
}

TEST(Fit, NoiseThatLiftsThePeakIsFlagged)
{
    int flagged = 0;
    for (unsigned seed = 1; seed <= 10; ++seed)
        flagged += PlaneFittedMetrics(Dipole(-5.0, 0.8, seed).v).fit.noisy;
    EXPECT_GE(flagged, 8);
    EXPECT_FALSE(PlaneFittedMetrics(Dipole(-5.0, 0.05).v).fit.noisy);
    // A clean plane with a pointed top: its highest sample stands above the
    // parabola through the top, but no noise put it there.
    Plane pointed;
    for (int k = 0; k < LEVELS; ++k)
        pointed.v[k] = std::max(-30.0, -2.0 - 0.25 * std::min(k, LEVELS - k));
    const PlaneFit f = FitPlane(pointed.v);
    EXPECT_GT(f.peakBias, NOISE_BIAS_LIMIT_DB);
    EXPECT_LT(f.noiseDb, 0.1);
    EXPECT_FALSE(f.noisy);
}

TEST(Fit, APeakBetweenSamplesIsFoundBetweenThem)
{
    Plane p;
    for (int k = 0; k < LEVELS; ++k)
        p.v[k] = std::max(-30.0, Bump(k, 100.4, -2.0, 20));
    const PlaneFit f = FitPlane(p.v);
    EXPECT_NEAR(f.peakAngle, 100.4, 0.05);
    EXPECT_NEAR(f.peakLevel, -2.0, 0.01);
    EXPECT_EQ(f.peakIndex, 100);
}

TEST(Lobes, ADipolesFigureOfEightIsTwoMainLobesNotASideLobe)
{
    for (double noise : {0.0, 0.5}) {
        const FittedLobeMetrics m = PlaneFittedMetrics(Dipole(-5.0, noise, 3).v);
        EXPECT_EQ(m.mainLobes, 2) << noise;
        ASSERT_TRUE(m.backLobe);
        // The second lobe's top is broad: its highest smoothed point wanders.
        EXPECT_LT(AngleDiff(m.backLobe->angle, m.fit.peakAngle + 180), 20.0);
        EXPECT_FALSE(m.sideLobe) << noise << " side lobe at " << m.sideLobe->angle;
        ASSERT_TRUE(m.frontToBack);
        EXPECT_LT(std::fabs(*m.frontToBack), EQUAL_LOBES_DB);
        // Both tops fitted alike: two equal lobes read as equal.
        if (noise == 0.0) {
            EXPECT_NEAR(*m.frontToBack, 0.0, 0.02);
        }
        EXPECT_TRUE(m.nullLeftLimited && m.nullRightLimited);
    }
}

TEST(Lobes, BackLobeGivesFrontToBackAndTheRestAreSideLobes)
{
    const FittedLobeMetrics m = PlaneFittedMetrics(Beam(-20.0).v);
    EXPECT_EQ(m.mainLobes, 1);
    ASSERT_TRUE(m.backLobe && m.frontToBack && m.sideLobe);
    EXPECT_NEAR(m.backLobe->angle, 180.0, 1.0);
    EXPECT_NEAR(*m.frontToBack, 20.0, 0.1);
    EXPECT_FALSE(m.frontToBackLimited);
    EXPECT_EQ(m.sideLobes, 2);
    EXPECT_NEAR(m.sideLobe->level, -14.0, 0.1);
    EXPECT_NEAR(m.sideLobe->angle, 40.0, 1.0);
    EXPECT_FALSE(m.sideLobe->limited);
    // The raw metrics call the highest lobe outside the nulls a side lobe.
    const LobeMetrics raw = PlaneLobeMetrics(Beam(-20.0).v);
    ASSERT_TRUE(raw.sideLobeAngle);
    EXPECT_EQ(*raw.sideLobeAngle, 40);
}

TEST(Lobes, ABackOnTheFloorIsOnlyABound)
{
    const FittedLobeMetrics m = PlaneFittedMetrics(Beam(-40.0).v);
    EXPECT_FALSE(m.backLobe);
    ASSERT_TRUE(m.frontToBack);
    EXPECT_TRUE(m.frontToBackLimited);
    EXPECT_NEAR(*m.frontToBack, 30.0, 0.1);
    EXPECT_EQ(m.sideLobes, 2);
    // A back lobe rising less than a decibel above the floor is a bound too.
    const FittedLobeMetrics low = PlaneFittedMetrics(Beam(-29.5).v);
    ASSERT_TRUE(low.frontToBack);
    EXPECT_TRUE(low.frontToBackLimited);
}

TEST(Lobes, ABeamWithItsWholeBackOnTheFloorHasNullsWhereItMeetsItAndNoOtherLobe)
{
    // One beam, 20 degrees wide, on the floor from 31.6 degrees out on
    // either side all the way round the back.
    Plane p;
    for (int k = 0; k < LEVELS; ++k)
        p.v[k] = std::max(-30.0, Bump(k, 100, 0.0, 20));
    const FittedLobeMetrics m = PlaneFittedMetrics(p.v);
    ASSERT_TRUE(m.nullLeft && m.nullRight && m.fnbw);
    EXPECT_NEAR(*m.nullLeft, 68.0, 1.0);
    EXPECT_NEAR(*m.nullRight, 132.0, 1.0);
    EXPECT_NEAR(*m.fnbw, 64.0, 2.0);
    EXPECT_TRUE(m.nullLeftLimited && m.nullRightLimited);
    ASSERT_TRUE(m.frontToBack);
    EXPECT_TRUE(m.frontToBackLimited);
    // Nor is the floor behind it a lobe of any kind.
    EXPECT_FALSE(m.backLobe);
    EXPECT_FALSE(m.sideLobe) << "side lobe at " << m.sideLobe->angle;
    EXPECT_EQ(m.sideLobes, 0);
}

// The same for beams either side of 0 degrees, whose floor runs cross it:
// the walks either side end in one run of floor samples, and each null is
// where the beam meets it, whichever side it is seen from.
TEST(Lobes, ALongRunOnTheFloorAcrossZeroHasTheNullsAtItsEnds)
{
    for (double centre : {90.0, 200.0}) {
        Plane p;
        for (int k = 0; k < LEVELS; ++k)
            p.v[k] = Reading(Bump(k, centre, -5.0, 30));
        const FittedLobeMetrics m = PlaneFittedMetrics(p.v);
        ASSERT_TRUE(m.nullLeft && m.nullRight) << centre;
        // A 30 degree beam 5 dB below 0, 12 (d / 30)^2 dB down: on the floor
        // from 43.3 degrees out, the first sample there 44 degrees out.
        EXPECT_NEAR(AngleDiff(*m.nullLeft, centre - 44.0), 0.0, 1.0) << centre << " " << *m.nullLeft;
        EXPECT_NEAR(AngleDiff(*m.nullRight, centre + 44.0), 0.0, 1.0)
            << centre << " " << *m.nullRight;
        EXPECT_TRUE(m.nullLeftLimited && m.nullRightLimited);
        // The floor between the nulls is no lobe.
        EXPECT_EQ(m.sideLobes, 0);
        EXPECT_FALSE(m.sideLobe);
        EXPECT_FALSE(m.backLobe);
    }
}

TEST(Lobes, APlaneWithoutAPeakHasNoLobes)
{
    Plane p;
    std::fill(p.v, p.v + LEVELS, -30.0);
    const FittedLobeMetrics m = PlaneFittedMetrics(p.v);
    EXPECT_EQ(m.mainLobes, 0);
    EXPECT_FALSE(m.fit.peakFound || m.hpbw || m.frontToBack || m.backLobe || m.sideLobe);
}

// The -10 dB crossings lie far down the flanks, near the nulls: what the
// fit makes of them must still be the noiseless pattern's width.
TEST(Fit, TheTenDecibelWidthSurvivesTheNoiseBesideTheNulls)
{
    for (const auto &[name, make] :
         {std::pair{"dipole", +[](double s, unsigned seed) { return Dipole(-5.0, s, seed); }},
          std::pair{"beam", +[](double s, unsigned seed) { return Beam(-25.0, s, seed); }}}) {
        SCOPED_TRACE(name);
        const Plane clean = make(0.0, 1);
        const auto raw = PlaneLobeMetrics(clean.v).bw10;
        const auto fitted = PlaneFittedMetrics(clean.v).bw10;
        ASSERT_TRUE(raw && fitted);
        EXPECT_NEAR(*fitted, *raw, 1.0);
        for (unsigned seed = 1; seed <= 10; ++seed) {
            const FittedLobeMetrics m = PlaneFittedMetrics(make(0.5, seed).v);
            ASSERT_TRUE(m.bw10) << seed;
            EXPECT_NEAR(*m.bw10, *raw, 3.0) << seed;
            ASSERT_TRUE(m.hpbw) << seed;
            EXPECT_GT(*m.bw10, *m.hpbw) << seed;
        }
    }
}
