// SPDX-License-Identifier: GPL-3.0-or-later
// The checks on a measurement and the gain's uncertainty budget, against
// hand computations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "antennas.h"
#include "checks.h"
#include "figures_json.h"
#include "uncertainty.h"

namespace {

struct Plane {
    double v[LEVELS];
};

// A beam of the given width at 0 degrees, its peak at `peak` dB, with
// noise of the given deviation, read as the rig reads it.
Plane Beam(double peak, double width = 30, double noise = 0, unsigned seed = 7)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> n(0.0, noise);
    Plane p;
    for (int k = 0; k < LEVELS; ++k) {
        const double d = std::min(k, LEVELS - k);
        const double l = peak - 12.0 * (d / width) * (d / width) + (noise > 0 ? n(rng) : 0.0);
        p.v[k] = std::max(-30.0, std::round(l * 20) / 20);
    }
    return p;
}

const CheckLine &Line(const PatternChecks &c, const char *id)
{
    for (const CheckLine &l : c.lines)
        if (l.id == id)
            return l;
    throw std::runtime_error(id);
}

}  // namespace

TEST(FarField, BoundsAndVerdictsByHand)
{
    // 10 GHz: lambda 0.03 m; an aperture 0.1 m across wants 2 * 0.01 / 0.03 m.
    const FarField close = FarFieldCheck(0.3, 0.1, SPEED_OF_LIGHT / 10e9);
    ASSERT_TRUE(close.made);
    EXPECT_NEAR(close.rayleigh, 2 * 0.01 / (SPEED_OF_LIGHT / 10e9), 1e-9);
    EXPECT_DOUBLE_EQ(close.fiveD, 0.5);
    EXPECT_FALSE(close.rayleighOk);
    EXPECT_FALSE(close.fiveDOk);
    EXPECT_TRUE(close.wavelengthsOk);
    EXPECT_FALSE(close.ok());
    // A half-wave dipole at 500 MHz (0.3 m long) at 3 m is far enough.
    const FarField far = FarFieldCheck(3.0, 0.3, SPEED_OF_LIGHT / 500e6);
    EXPECT_TRUE(far.ok());
    EXPECT_NEAR(far.wavelengths, 1.6 * 0.5996, 1e-3);
    // Without a distance, or without the antenna's size, nothing is made.
    EXPECT_FALSE(FarFieldCheck(std::nullopt, 0.3, 0.6).made);
    EXPECT_FALSE(FarFieldCheck(3.0, std::nullopt, 0.6).made);
}

TEST(FarField, TheTablesHornIsTooCloseAtThirtyCentimetresAndItsDipoleFarAtThree)
{
    const FarField horn = FarFieldOfType(12, 0.3);
    ASSERT_TRUE(horn.made);
    EXPECT_NEAR(horn.wavelength, 0.02998, 1e-5);
    EXPECT_FALSE(horn.ok());
    EXPECT_FALSE(horn.rayleighOk);
    const FarField dipole = FarFieldOfType(0, 3.0);
    ASSERT_TRUE(dipole.made);
    EXPECT_TRUE(dipole.ok());
    EXPECT_FALSE(FarFieldOfType(-1, 3.0).made);
    EXPECT_FALSE(FarFieldOfType(12, std::nullopt).made);
    const Plane b = Beam(-2.0);
    const PatternChecks c = CheckPatternOfType(b.v, b.v, 12, 0.3);
    EXPECT_EQ(Line(c, "far_field").verdict, Verdict::Warn);
    EXPECT_EQ(c.overall(), Verdict::Warn);
}

TEST(Checks, DynamicRangeBoresightAndVerdicts)
{
    const Plane strong = Beam(-2.0), weak = Beam(-15.0), tilted = Beam(-4.0);
    PatternChecks good = CheckPattern(strong.v, strong.v, 3.0, 0.3, 0.6);
    EXPECT_EQ(good.overall(), Verdict::Pass);
    EXPECT_NEAR(good.e.dynamicRange(), 28.0, 0.05);
    ASSERT_TRUE(good.boresightDifference);
    EXPECT_NEAR(*good.boresightDifference, 0.0, 1e-9);
    EXPECT_EQ(Line(good, "far_field").verdict, Verdict::Pass);

    const PatternChecks low = CheckPattern(weak.v, strong.v, std::nullopt, 0.3, 0.6);
    EXPECT_EQ(Line(low, "dynamic_range").verdict, Verdict::Warn);
    EXPECT_EQ(Line(low, "boresight").verdict, Verdict::Warn);
    EXPECT_EQ(Line(low, "far_field").verdict, Verdict::NotMade);
    EXPECT_EQ(low.overall(), Verdict::Warn);
    EXPECT_NE(English(Line(low, "dynamic_range").findings[0]).find("less attenuation"),
              std::string::npos);

    const PatternChecks two = CheckPattern(strong.v, tilted.v, std::nullopt, std::nullopt,
                                           std::nullopt);
    EXPECT_NEAR(*two.boresightDifference, 2.0, 0.05);
    // A plane left out: no boresight check, the other plane still checked.
    const PatternChecks one = CheckPattern(strong.v, nullptr, std::nullopt, 0.3, 0.6);
    EXPECT_EQ(Line(one, "boresight").verdict, Verdict::NotMade);
    EXPECT_EQ(Line(one, "dynamic_range").findings.size(), 1u);
}

TEST(Checks, FloorLimitedFiguresAreNamed)
{
    const Plane b = Beam(-2.0, 20);  // nothing but the floor behind it
    const PatternChecks c = CheckPattern(b.v, b.v, std::nullopt, std::nullopt, std::nullopt);
    const CheckLine &f = Line(c, "floor_limited");
    EXPECT_EQ(f.verdict, Verdict::Pass);
    ASSERT_FALSE(f.findings.empty());
    EXPECT_NE(English(f.findings[0]).find("front-to-back ≥ 28.0 dB"), std::string::npos)
        << English(f.findings[0]);
}

TEST(Checks, DistanceSettingsAreNumbersOfMetres)
{
    std::optional<double> d;
    Message why;
    EXPECT_TRUE(ParseDistance(" 2.5 ", &d, &why));
    EXPECT_DOUBLE_EQ(*d, 2.5);
    EXPECT_TRUE(ParseDistance("", &d, &why));
    EXPECT_FALSE(d);
    for (const char *bad : {"-1", "0", "abc", "2,5", "inf", "nan", "3 m"}) {
        EXPECT_FALSE(ParseDistance(bad, &d, &why)) << bad;
        EXPECT_NE(English(why).find(bad), std::string::npos) << English(why);
    }
}

TEST(Budget, KnownPartsGiveTheirRootSumOfSquares)
{
    const Plane a = Beam(-2.0, 30), ref = Beam(-6.0, 60);
    GainInput in;
    in.antenna = {{a.v, a.v, 10.0, 10.0}};
    in.reference = {{ref.v, ref.v, 0.0, 0.0}};  // another attenuation: counted
    in.referenceGainDbi = 2.15;
    GainSettings s;
    s.uReferenceGain = 0.3;
    s.uAttenuator = 1.2;
    s.uMismatch = 0.4;
    s.uAlignment = 0.0;
    const GainResult g = GainWithUncertainty(in, s);
    ASSERT_TRUE(g.ok);
    EXPECT_NEAR(g.gainDbi, 2.15 + 4.0, 0.02);
    double sum = 0;
    for (const UncertaintyComponent &c : g.components) {
        if (c.id == "reference_gain") {
            EXPECT_DOUBLE_EQ(c.u, 0.3);
        }
        if (c.id == "attenuator") {
            EXPECT_TRUE(c.counted && c.u == 1.2);
        }
        if (c.id == "type_a") {
            EXPECT_FALSE(c.counted);  // one file each
        }
        if (c.id == "resolution") {
            EXPECT_NEAR(c.u, std::sqrt(2.0) * 0.025 / std::sqrt(3.0), 1e-12);
        }
        if (c.id == "peak_sampling") { // 12 (0.5 / w)^2 / sqrt(12), over both planes
            EXPECT_NEAR(c.u, std::hypot(3.0 / 900, 3.0 / 3600) / std::sqrt(24.0), 1e-4);
        }
        if (c.counted)
            sum += c.u * c.u;
    }
    // 0.3, 1.2 and 0.4 dominate; the rest is small and added in.
    EXPECT_NEAR(g.combined, std::sqrt(sum), 1e-12);
    EXPECT_GT(g.combined, std::sqrt(0.09 + 1.44 + 0.16));
    EXPECT_LT(g.combined, std::sqrt(0.09 + 1.44 + 0.16) + 0.01);
    EXPECT_DOUBLE_EQ(g.expanded, 2 * g.combined);
    EXPECT_EQ(GainStatement(g), "G = " + Fixed(g.gainDbi, 1) + " ± " + Fixed(g.expanded, 1)
                                    + " dBi (k = 2)");
}

TEST(Budget, RepeatedFilesGiveTheirTypeAAndTheSameAttenuationIsNotCounted)
{
    // Peaks 0.2 dB apart: a standard deviation of 0.2 dB over three files.
    const Plane a0 = Beam(-2.0), a1 = Beam(-1.8), a2 = Beam(-2.2), ref = Beam(-5.0);
    GainInput in;
    in.antenna = {{a0.v, a0.v}, {a1.v, a1.v}, {a2.v, a2.v}};
    in.reference = {{ref.v, ref.v}};
    in.referenceGainDbi = 0;
    in.modelGainDbi = 9.0;
    const GainResult g = GainWithUncertainty(in);
    ASSERT_TRUE(g.ok);
    EXPECT_NEAR(g.gainDbi, 3.0, 0.02);
    EXPECT_TRUE(g.farFromModel);  // 6 dB from the model
    for (const UncertaintyComponent &c : g.components) {
        if (c.id == "type_a") {
            EXPECT_TRUE(c.counted);
            EXPECT_NEAR(c.u, 0.2 / std::sqrt(3.0), 0.01);
        }
        if (c.id == "attenuator") {
            EXPECT_FALSE(c.counted);
        }
    }
}

TEST(Budget, TooCloseAddsAPhaseTermOrLeavesTheMethod)
{
    const Plane a = Beam(-2.0), ref = Beam(-5.0);
    GainInput in;
    in.antenna = {{a.v, a.v}};
    in.reference = {{ref.v, ref.v}};
    const double lambda = SPEED_OF_LIGHT / 10e9;
    in.antennaFarField = FarFieldCheck(0.3, 0.1, lambda);
    GainResult g = GainWithUncertainty(in);
    auto farTerm = [](const GainResult &r) {
        return *std::find_if(r.components.begin(), r.components.end(),
                             [](const UncertaintyComponent &c) { return c.id == "far_field"; });
    };
    // Phase error pi D^2 / (4 lambda R) at the aperture's edge.
    const double d = M_PI * 0.01 / (4 * lambda * 0.3);
    EXPECT_TRUE(farTerm(g).counted);
    EXPECT_NEAR(farTerm(g).u, 2 * 0.386 * d * d / std::sqrt(3.0), 1e-9);
    EXPECT_FALSE(g.outsideMethod);
    in.antennaFarField = FarFieldCheck(0.05, 0.1, lambda);
    g = GainWithUncertainty(in);
    EXPECT_TRUE(g.outsideMethod);
    EXPECT_FALSE(farTerm(g).counted);
    // A plane on the floor everywhere has no gain to give.
    Plane floor;
    std::fill(floor.v, floor.v + LEVELS, -30.0);
    in.antenna = {{floor.v, floor.v}};
    EXPECT_FALSE(GainWithUncertainty(in).ok);
}

TEST(Json, BoundsOnTheFloorAreFlaggedBesideTheirValues)
{
    const Plane b = Beam(-2.0, 20);
    const nlohmann::json j = PlaneFiguresJson("12-11-2026", "10:00:00", 0.0, b.v);
    // The keys scripts already read keep their values ...
    EXPECT_EQ(j["peak_angle_deg"], 0);
    EXPECT_DOUBLE_EQ(j["peak_level_db"].get<double>(), -2.0);
    EXPECT_DOUBLE_EQ(j["lobe"]["front_to_back_db"].get<double>(), 28.0);
    // ... and the floor beside them says they are bounds.
    EXPECT_TRUE(j["lobe"]["front_to_back_limited_by_floor"].get<bool>());
    EXPECT_TRUE(j["fitted"]["front_to_back_limited_by_floor"].get<bool>());
    EXPECT_TRUE(j["fitted"]["back_lobe"].is_null());
    EXPECT_NEAR(j["dynamic_range_db"].get<double>(), 28.0, 0.05);
    const Plane high = Beam(-2.0, 300);  // all round: nothing on the floor
    const nlohmann::json k = PlaneFiguresJson("", "", 0.0, high.v);
    EXPECT_FALSE(k["lobe"]["front_to_back_limited_by_floor"].get<bool>());
    EXPECT_FALSE(k["noise"]["biased"].get<bool>());
}
