// SPDX-License-Identifier: GPL-3.0-or-later
// The rig's textbook antennas: each library type measures as its model's
// cuts, by type index and by the names the program takes; misalignment, the
// receiver's floor and a short range change the readings as they say; a
// sweep as the demo makes it agrees with the model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>

#include "lab_sweep.h"
#include "lobe.h"
#include "near_field.h"
#include "pattern_record.h"
#include "rig_model.h"
#include "scratch.h"
#include "theory.h"

using namespace rigsim;

namespace {

// The level the measurement program decodes for the rig as it stands.
double Reading(const RigModel &rig)
{
    const auto r = rig.report();
    return rigproto::RawToLevel(rigproto::ReplyRaw(r.data()), rig.attenuation());
}

double Relative(const double *cut, int k, double gain)
{
    return cut[((k % 360) + 360) % 360] - gain;
}

// Half-power width of a cut around index 0, degrees.
double Width(const double cut[360])
{
    return InterpolatedBeamwidth(cut, PeakIndex(cut), 3.0).value_or(0);
}

}  // namespace

TEST(TextbookAntenna, EveryTypeMeasuresAsItsModelsCuts)
{
    PrepareAllTheoryModels();
    for (int type = 0; type < kLibraryTypes; ++type) {
        const TheoryModel &m = TheoryModelOf(type);
        ASSERT_TRUE(m.ok) << type << ": " << m.error;
        RigModel rig;
        rig.setAntennaType(type);
        rig.setPeakLevel(2.0);
        rig.setAttenuation(5.0);  // the floor, 40 dB down, still within the receiver's range
        ASSERT_TRUE(rig.cuts().textbook) << type;
        EXPECT_TRUE(rig.cuts().note.empty());
        for (Plane p : {Plane::E, Plane::H}) {
            rig.setPlane(p);
            const double *cut = p == Plane::E ? m.e : m.h;
            for (int k = 0; k < 360; k += 7) {
                rig.setAngle(k);
                // Within half a step of the receiver's 0.05 dB.
                ASSERT_NEAR(Reading(rig), 2.0 + Relative(cut, k, m.gainDbi), 0.026)
                    << "type " << type << " " << PlaneName(p) << " at " << k;
            }
        }
    }
}

TEST(TextbookAntenna, NamesAndTypeIndicesChooseTheSameModels)
{
    struct Case {
        const char *text;
        int type;
    };
    for (const Case &c : {Case{"dipole", 0}, Case{"horn", 12}, Case{"yagi", 9}, Case{"iso", -1},
                          Case{"isotropic", -1}, Case{"0", 0}, Case{"9", 9}, Case{"15", 15}}) {
        int type = 99;
        EXPECT_TRUE(ParseAntennaType(c.text, &type)) << c.text;
        EXPECT_EQ(type, c.type) << c.text;
    }
    for (const char *bad : {"", "16", "-1", "+3", "3x", " 3", "Yagi", "bowtie", "1e1"}) {
        int type = 99;
        EXPECT_FALSE(ParseAntennaType(bad, &type)) << bad;
        EXPECT_EQ(type, 99) << bad;
    }
    // The in-process rig's hand-made names are the same textbook antennas.
    for (Antenna a : {Antenna::Dipole, Antenna::Horn, Antenna::Yagi}) {
        RigModel byName, byType;
        byName.setAntenna(a);
        byType.setAntennaType(TypeOf(a));
        EXPECT_EQ(byName.antennaType(), TypeOf(a));
        EXPECT_EQ(byName.antenna(), a);
        for (int k : {0, 33, 90, 181, 300}) {
            byName.setAngle(k);
            byType.setAngle(k);
            EXPECT_EQ(byName.report(), byType.report()) << AntennaName(a) << " at " << k;
        }
    }
    RigModel iso;
    iso.setAntenna(Antenna::Isotropic);
    iso.setAngle(123);
    EXPECT_DOUBLE_EQ(iso.receiverLevelDb(), -5.0);
}

TEST(TextbookAntenna, HandMadePatternsStayAvailable)
{
    RigModel rig;
    rig.setAntennaType(9, true);
    EXPECT_FALSE(rig.cuts().textbook);
    for (double a : {0.0, 17.5, 60.0, 180.0})
        EXPECT_DOUBLE_EQ(rig.antennaLevelDb(a), PatternLevelDb(Antenna::Yagi, Plane::E, a, -5.0));
}

// A cut passing beside the beam reads lower by the other cut's level that far
// off the beam; the other cut is not touched.
TEST(TextbookAntenna, MisalignmentLowersTheCutByTheOtherCutsLevel)
{
    const TheoryModel &m = TheoryModelOf(12);
    RigModel rig;
    rig.setAntennaType(12);
    rig.setMisalignment(0.0, 8.0);
    for (int k = 0; k < 360; k += 11) {
        rig.setAngle(k);
        rig.setPlane(Plane::H);
        EXPECT_NEAR(rig.receiverLevelDb(), -5.0 + Relative(m.h, k, m.gainDbi) + m.e[8] - m.e[0],
                    1e-9)
            << k;
        rig.setPlane(Plane::E);
        EXPECT_NEAR(rig.receiverLevelDb(), -5.0 + Relative(m.e, k, m.gainDbi), 1e-9) << k;
    }
    // Eight degrees off a horn of about 20 degrees' width: over 1.5 dB,
    // so that the check of the planes at boresight sees it; one degree: a
    // few hundredths.
    EXPECT_LT(m.e[8] - m.e[0], -1.5);
    rig.setMisalignment(1.0, 1.0);
    rig.setAngle(0);
    EXPECT_LT(rig.receiverLevelDb(), -5.0);
    EXPECT_GT(rig.receiverLevelDb(), -5.1);
    // Half a degree lies between the whole degrees of the cut.
    rig.setMisalignment(0.5, 0.0);
    EXPECT_NEAR(rig.receiverLevelDb(), -5.0 + (m.h[1] - m.h[0]) / 2, 1e-9);
}

TEST(TextbookAntenna, TheReceiversFloorFillsTheNullsAndRisesWithTheAttenuation)
{
    RigModel rig;
    rig.setAntennaType(12);
    rig.setReceiverFloor(-30.0);
    rig.setAngle(180);  // the back of the horn, 40 dB down
    EXPECT_NEAR(rig.receiverLevelDb(), WithFloor(-45.0, -30.0), 1e-9);
    EXPECT_NEAR(Reading(rig), -30.0, 0.2);
    rig.setAttenuation(10.0);
    EXPECT_NEAR(Reading(rig), -20.0, 0.05);  // the floor, plus the attenuation added back
    rig.setAngle(0);
    EXPECT_NEAR(Reading(rig), 10 * std::log10(std::pow(10, -1.5) + 1e-3) + 10, 0.03);
    rig.setReceiverFloor(-std::numeric_limits<double>::infinity());
    EXPECT_NEAR(Reading(rig), -5.0, 0.03);
}

// Against the exact pattern of a uniform line aperture with the range's
// quadratic phase: the main lobe agrees closely, the first side lobes and
// the filled null between them roughly.
TEST(NearField, ALineAperturesLobesAgreeWithTheFresnelIntegral)
{
    constexpr double kL = 4.0;  // wavelengths
    const auto field = [](double u, double range) {
        std::complex<double> s = 0;
        const int n = 2000;
        for (int i = 0; i < n; ++i) {
            const double x = -kL / 2 + kL * (i + 0.5) / n;
            s += std::polar(1.0, 2 * M_PI * x * u - (range > 0 ? M_PI * x * x / range : 0));
        }
        return std::abs(s) / n;
    };
    const auto db = [](double f) { return std::max(-40.0, 20 * std::log10(f + 1e-12)); };
    double far[360], out[360];
    for (int k = 0; k < 360; ++k) {
        const double a = k * M_PI / 180;
        far[k] = db(field(std::sin(a), 0) * (std::cos(a) < 0 ? 0.01 : 1));
    }
    for (double range : {8.0, 16.0, 32.0}) {
        NearFieldCut(far, kL, range, out);
        double top = -99, exactTop = -99;
        for (int k = -27; k <= 27; ++k) {
            const double exact = db(field(std::sin(k * M_PI / 180), range));
            ASSERT_NEAR(out[(k + 360) % 360], exact, std::abs(k) <= 10 ? 0.5 : 2.5)
                << "R " << range << " at " << k;
            if (std::abs(k) >= 17) {
                top = std::max(top, out[(k + 360) % 360]);
                exactTop = std::max(exactTop, exact);
            }
        }
        EXPECT_NEAR(top, exactTop, 1.0) << "the first side lobe at R " << range;
        for (int k = 91; k < 270; ++k)
            ASSERT_EQ(out[k], far[k]) << "the back half is left as it is";
    }
    // At 2 L^2 / lambda the edge of the aperture is pi / 8 out of phase.
    EXPECT_NEAR(EdgePhaseError(kL, 2 * kL * kL), M_PI / 8, 1e-12);
    NearFieldCut(far, kL, 1e9, out);
    for (int k = 0; k < 360; ++k)
        ASSERT_NEAR(out[k], far[k], 1e-3) << "far away the cut comes back, at " << k;
    NearFieldCut(far, kL, 0, out);
    EXPECT_TRUE(std::equal(far, far + 360, out)) << "range 0: the far field";
}

// Closer than 2D^2/lambda the horn's lobe broadens, its peak drops and its
// nulls fill, more the closer it gets; far beyond it the cut is the model's.
TEST(NearField, TheHornBroadensAsTheRangeShortens)
{
    const AntennaCuts &far = CutsOf(12, 0);
    // The E cut's first null beyond its shoulder, some 20 dB down.
    int null = 1;
    while (!(far.e[null] < -15 && far.e[null] < far.e[null + 1]))
        ++null;
    double lastWidth = Width(far.h), lastPeak = 0, lastNull = far.e[null];
    for (double range : {1.2, 0.6, 0.4, 0.25}) {
        const AntennaCuts &near = CutsOf(12, range);
        EXPECT_TRUE(near.textbook);
        EXPECT_GT(Width(near.h), lastWidth) << range;
        EXPECT_LT(near.h[0], lastPeak) << range;
        EXPECT_GT(near.e[null], lastNull) << range;
        lastWidth = Width(near.h);
        lastPeak = near.h[0];
        lastNull = near.e[null];
    }
    EXPECT_GT(lastNull, far.e[null] + 2.0) << "the null filled at 0.25 m";
    EXPECT_GT(lastWidth, Width(far.h) * 1.15) << "clearly broader at 0.25 m";
    const AntennaCuts &distant = CutsOf(12, 1000.0);
    for (int k = 0; k < 360; ++k) {
        ASSERT_NEAR(distant.e[k], far.e[k], 0.01) << k;
        ASSERT_NEAR(distant.h[k], far.h[k], 0.01) << k;
    }
    // The patch array's elements each get their own delay: far away its
    // cuts are the model's, close by its first null fills and its side
    // lobe rises.
    const AntennaCuts &array = CutsOf(14, 0), &arrayFar = CutsOf(14, 1000.0),
                      &arrayNear = CutsOf(14, 0.2);
    const auto firstNull = [](const double *cut) { return *std::min_element(cut + 15, cut + 30); };
    const auto sideLobe = [](const double *cut) { return *std::max_element(cut + 25, cut + 45); };
    for (int k = 0; k < 360; ++k)
        ASSERT_NEAR(arrayFar.e[k], array.e[k], 0.01) << k;
    EXPECT_GT(firstNull(arrayNear.e), firstNull(array.e) + 10.0);
    EXPECT_GT(sideLobe(arrayNear.e), sideLobe(array.e) + 0.5);
    // A wire type goes through the line-aperture model: the helix, 2.7
    // wavelengths long, broadens too; the rig reads the cuts of its range.
    EXPECT_GT(Width(CutsOf(11, 0.05).e), Width(CutsOf(11, 0).e) + 3);
    RigModel rig;
    rig.setAntennaType(12);
    rig.setRange(0.25);
    EXPECT_EQ(&rig.cuts(), &CutsOf(12, 0.25));
    EXPECT_NEAR(rig.receiverLevelDb(), -5.0 + CutsOf(12, 0.25).e[0], 1e-9);
}

// Without nec2c the wire types fall back to their hand-made pattern and say
// so; the closed forms need no program. (Each case runs in its own process,
// so the models are computed here with the PATH set below.)
TEST(TextbookAntenna, WithoutNec2cTheHandMadePatternStandsIn)
{
    testsupport::ScratchFolder empty("rigsim-path");
    setenv("PATH", empty.path.c_str(), 1);
    RigModel rig;
    rig.setAntennaType(9);
    EXPECT_FALSE(rig.cuts().textbook);
    EXPECT_EQ(rig.cuts().standIn, Antenna::Yagi);
    EXPECT_NE(rig.cuts().note.find("nec2c"), std::string::npos) << rig.cuts().note;
    EXPECT_NE(rig.cuts().note.find("Yagi (500 MHz)"), std::string::npos) << rig.cuts().note;
    for (double a : {0.0, 45.0, 170.0})
        EXPECT_DOUBLE_EQ(rig.antennaLevelDb(a), PatternLevelDb(Antenna::Yagi, Plane::E, a, -5.0));
    rig.setAntennaType(0);
    EXPECT_EQ(rig.cuts().standIn, Antenna::Dipole);
    rig.setAntennaType(14);
    EXPECT_TRUE(rig.cuts().textbook);
}

// The demo's rig (--antenna yagi, the program's defaults) swept E then H as
// the measurement program sweeps it agrees with the Yagi's model.
TEST(TextbookAntenna, TheDemoSweepOfTheYagiAgreesWithItsModel)
{
    RigModel rig;
    rig.setStepTimeMs(10);
    rig.setInitTimeMs(500);
    rig.setAutoPlaneSwitch(true);
    rig.setAntenna(Antenna::Yagi);
    const LabSweep e = SweepCut(rig, Plane::E, 0.0);
    const LabSweep h = SweepCut(rig, Plane::H, e.endMs + 1000.0);
    ASSERT_TRUE(e.complete && h.complete);
    EXPECT_GT(h.startMs, e.endMs);
    const TheoryModel &m = TheoryModelOf(9);
    for (const auto &[levels, model] : {std::pair{e.levels, m.e}, std::pair{h.levels, m.h}}) {
        const TheoryComparison c = CompareWithModel(levels, model);
        ASSERT_TRUE(c.valid);
        EXPECT_EQ(c.rotation, 0);
        EXPECT_LE(c.rms, 1.5);
        EXPECT_LT(c.rms, 0.05) << "no noise: only the receiver's 0.05 dB steps";
    }
    // With the demo's noise and a boresight off the start, still within.
    RigModel noisy;
    noisy.setAntenna(Antenna::Yagi);
    noisy.setNoise(0.3);
    noisy.setBoresight(40);
    const LabSweep n = SweepCut(noisy, Plane::E, 0.0);
    const TheoryComparison c = CompareWithModel(n.levels, m.e);
    EXPECT_EQ(c.rotation, 40);
    EXPECT_LE(c.rms, 1.5);
}
