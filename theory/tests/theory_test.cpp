// SPDX-License-Identifier: GPL-3.0-or-later
// The textbook models against the textbooks' own figures, the nec2c process
// boundary (parser, missing program, time limit), and the comparisons.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "antenna_pattern.h"
#include "lobe.h"
#include "pattern_record.h"
#include "theory.h"

namespace {

const TheoryModel &Model(int type)
{
    const TheoryModel &m = TheoryModelOf(type);
    EXPECT_TRUE(m.ok) << "type " << type << ": " << m.error;
    return m;
}

double Hpbw(const double cut[LEVELS])
{
    return InterpolatedBeamwidth(cut, PeakIndex(cut), 3.0).value_or(0);
}

double Ripple(const double cut[LEVELS])
{
    return *std::max_element(cut, cut + LEVELS) - *std::min_element(cut, cut + LEVELS);
}

// A scratch folder under TMPDIR, removed with what is in it.
struct Scratch {
    std::string dir;
    Scratch()
    {
        const char *t = std::getenv("TMPDIR");
        std::string templ = std::string(t && *t ? t : "/tmp") + "/theory-test-XXXXXX";
        dir = mkdtemp(templ.data()) ? templ : "";
    }
    ~Scratch()
    {
        // Not through a shell: a test may have left PATH without one.
        if (!dir.empty())
            std::filesystem::remove_all(dir);
    }
};

}  // namespace

TEST(NecTable, ParsesEveryPatternTableOfACapturedOutput)
{
    std::ifstream f(THEORY_TABLE);
    std::stringstream ss;
    ss << f.rdbuf();
    const auto tables = ParseNecPatterns(ss.str());
    ASSERT_EQ(tables.size(), 2u);
    ASSERT_EQ(tables[0].size(), 10u);
    ASSERT_EQ(tables[1].size(), 3u);
    EXPECT_DOUBLE_EQ(tables[0][0].total, -999.99);  // the dipole's axis: no field
    EXPECT_DOUBLE_EQ(tables[0][1].theta, 1.0);
    EXPECT_DOUBLE_EQ(tables[0][1].total, -35.00);
    EXPECT_DOUBLE_EQ(tables[0][9].total, -15.91);
    EXPECT_DOUBLE_EQ(tables[1][2].theta, 90.0);
    EXPECT_DOUBLE_EQ(tables[1][2].phi, 2.0);
    EXPECT_DOUBLE_EQ(tables[1][2].total, 2.12);
    // Output without a pattern (a failed run) gives no table; a cut-off
    // table keeps the rows before the cut.
    EXPECT_TRUE(ParseNecPatterns("  ERROR: INCORRECT LABEL FOR A COMMENT CARD\n").empty());
    const std::string text = ss.str();
    const auto cut = ParseNecPatterns(text.substr(0, text.find("    5.00 ")));
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].size(), 5u);
}

// A whole nec2c run of a small deck is sound; the same output cut off
// anywhere after its first table says what is missing.
TEST(NecTable, AnOutputCutShortIsRefusedWhereverItEnds)
{
    const std::string deck = "CM Dipole (500 MHz)\nCE\n"
                             "GW 1 21 0.000000 0.000000 -0.140902 0.000000 0.000000 0.140902 "
                             "0.0005996\nGE 0\nEX 0 1 11 0 1 0\nFR 0 1 0 0 500.000 0\n"
                             "RP 0 10 1 1000 0 0.0 1 0\nRP 0 1 3 1000 90.0 0 0 1\nEN\n";
    std::ifstream f(THEORY_RUN);
    std::stringstream ss;
    ss << f.rdbuf();
    const std::string run = ss.str();
    ASSERT_EQ(NecTableRows(deck), (std::vector<size_t>{10, 3}));
    EXPECT_EQ(NecOutputProblem(deck, run), "");

    auto problem = [&](size_t keep) { return NecOutputProblem(deck, run.substr(0, keep)); };
    const size_t second = run.rfind("RADIATION PATTERNS"), lastRow = run.rfind("   90.00 ");
    EXPECT_EQ(problem(second - 40), "nec2c's output is incomplete: pattern table 2 of 2 has 0 of "
                                    "its 3 rows (the output ends before it)");
    EXPECT_EQ(problem(lastRow), "nec2c's output is incomplete: pattern table 2 of 2 has 2 of its "
                                "3 rows");
    // The last row cut in the middle of its total gain.
    EXPECT_EQ(problem(lastRow + 44), problem(lastRow));
    EXPECT_EQ(problem(run.find("RUN TIME")),
              "nec2c's output is incomplete: it ends without the closing RUN TIME line");
    for (size_t keep = run.find("RADIATION PATTERNS"); keep < run.find("RUN TIME") + 8; ++keep)
        ASSERT_NE(problem(keep), "") << "cut at " << keep;
    EXPECT_EQ(NecOutputProblem(deck, run + run.substr(second - 40)),
              "nec2c gave 3 pattern tables, not 2");

    // Over a ground the engine leaves out the directions below the horizon.
    EXPECT_EQ(NecTableRows(NecDeck(3)), (std::vector<size_t>{91, 91, 360}));
    EXPECT_EQ(NecTableRows(NecDeck(0)), (std::vector<size_t>{181, 181, 360}));
}

// nec2c exits with 0 even when writing its output failed (a full disk): a
// model from the part that got written would look right and be wrong.
TEST(NecProcess, AModelFromACutOutputIsAnError)
{
    std::string whole, err;
    ASSERT_TRUE(RunNec2c(NecDeck(0), whole, err)) << err;
    const TheoryModel sound =
        ComputeTheoryModel(0, [&](const std::string &, std::string &out, std::string &) {
            out = whole;
            return true;
        });
    EXPECT_TRUE(sound.ok) << sound.error;
    for (double share : {0.6, 0.9, 0.999}) {
        const TheoryModel cut =
            ComputeTheoryModel(0, [&](const std::string &, std::string &out, std::string &) {
                out = whole.substr(0, size_t(whole.size() * share));
                return true;
            });
        EXPECT_FALSE(cut.ok) << share;
        EXPECT_NE(cut.error.find("nec2c's output is incomplete"), std::string::npos) << cut.error;
    }
}

TEST(NecProcess, MissingProgramGivesTheMessageAndClosedFormsStillWork)
{
    Scratch s;
    ASSERT_FALSE(s.dir.empty());
    setenv("PATH", s.dir.c_str(), 1);  // a PATH without nec2c
    std::string out, err;
    EXPECT_FALSE(RunNec2c(NecDeck(0), out, err));
    EXPECT_EQ(err, NEC2C_MISSING);
    EXPECT_NE(err.find("nec2c"), std::string::npos);
    EXPECT_EQ(err.find('\n'), std::string::npos);
    const TheoryModel &wire = TheoryModelOf(0);
    EXPECT_FALSE(wire.ok);
    EXPECT_EQ(wire.error, NEC2C_MISSING);
    for (int t : {12, 13, 14, 15})
        EXPECT_TRUE(TheoryModelOf(t).ok) << t;
}

TEST(NecProcess, AHangingEngineIsStoppedAtTheTimeLimit)
{
    Scratch s;
    ASSERT_FALSE(s.dir.empty());
    const std::string fake = s.dir + "/nec2c";
    {
        std::ofstream f(fake);
        f << "#!/bin/sh\nsleep 30\n";
    }
    chmod(fake.c_str(), 0755);
    setenv("PATH", (s.dir + ":/usr/bin:/bin").c_str(), 1);
    std::string out, err;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(RunNec2c(NecDeck(0), out, err, 300));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    EXPECT_NE(err.find("longer than"), std::string::npos) << err;
}

TEST(NecProcess, DecksAreTheWireTypesOnly)
{
    for (int t = 0; t < THEORY_TYPES; ++t) {
        const std::string deck = NecDeck(t);
        EXPECT_EQ(deck.empty(), DesignOf(t).engine == TheoryEngine::ClosedForm) << t;
        std::istringstream in(deck);
        for (std::string line; std::getline(in, line);)
            EXPECT_LE(line.size(), 80u) << t << ": " << line;  // nec2c's card length
    }
}

// ---- Textbook figures ----------------------------------------------------------

TEST(TextbookFigures, HalfWaveDipole)
{
    for (int t : {0, 1, 2}) {
        const TheoryModel &m = Model(t);
        EXPECT_NEAR(m.gainDbi, 2.15, t == 2 ? 0.2 : 0.1) << t;
        EXPECT_NEAR(Hpbw(m.e), 78, 2) << t;
        EXPECT_LT(Ripple(m.h), t == 2 ? 0.3 : 0.1) << t;           // the folded pair: nearly round
        EXPECT_NEAR(m.e[0], m.gainDbi, t == 2 ? 0.2 : 0.05) << t;  // broadside at angle 0
        EXPECT_LT(m.e[90], m.gainDbi - 30) << t;                   // null along the wire
    }
}

TEST(TextbookFigures, QuarterWaveMonopoleOverPerfectGround)
{
    for (int t : {3, 4}) {
        const TheoryModel &m = Model(t);
        EXPECT_NEAR(m.gainDbi, 5.15, 0.1) << t;
        EXPECT_LT(Ripple(m.h), 0.1) << t;
        // Nothing below the ground: angle 0 is the horizon, 90 straight down.
        EXPECT_DOUBLE_EQ(m.e[90], m.gainDbi - THEORY_DEPTH_DB) << t;
        EXPECT_NEAR(m.e[180], m.gainDbi, 0.05) << t;
    }
}

TEST(TextbookFigures, SmallLoopsHaveTheShortDipolesPattern)
{
    for (int t : {6, 7, 8}) {
        const TheoryModel &m = Model(t);
        EXPECT_NEAR(Hpbw(m.e), 90, 3) << t;
        EXPECT_NEAR(m.gainDbi, 1.76, 0.15) << t;  // 1.5 times isotropic
        EXPECT_LT(Ripple(m.h), 0.5) << t;
    }
}

TEST(TextbookFigures, YagiOfTheNbsDesign)
{
    const TheoryModel &m = Model(9);
    // 7.1 dBd = 9.25 dBi for the 0.4-wavelength boom; a three-element Yagi's
    // front-to-back ratio lies between some 10 and 25 dB.
    EXPECT_NEAR(m.gainDbi, 9.25, 0.75);
    const LobeMetrics e = PlaneLobeMetrics(m.e);
    ASSERT_TRUE(e.frontToBack.has_value());
    EXPECT_GT(*e.frontToBack, 10);
    EXPECT_LT(*e.frontToBack, 25);
    EXPECT_EQ(e.peak, 0);
    EXPECT_LT(Hpbw(m.e), Hpbw(m.h));  // the element pattern narrows the E plane
}

TEST(TextbookFigures, HelixBeamwidthAgreesWithKraus)
{
    const TheoryDesign &d = DesignOf(11);
    const double c = d.p[0], s = c * std::tan(d.p[1] * M_PI / 180), n = d.p[2];
    const double kraus = 52 / (c * std::sqrt(n * s));
    const TheoryModel &m = Model(11);
    EXPECT_NEAR(Hpbw(m.e), kraus, 0.2 * kraus);
    EXPECT_NEAR(Hpbw(m.h), kraus, 0.2 * kraus);
    EXPECT_EQ(PeakIndex(m.e), 0);
}

TEST(TextbookFigures, HornGainFollowsTheApertureEfficiency)
{
    const TheoryDesign &d = DesignOf(12);
    const double formula = 10 * std::log10(0.51 * 4 * M_PI * d.p[0] * d.p[1]);
    const TheoryModel &m = Model(12);
    EXPECT_NEAR(m.gainDbi, formula, 1.0);
    // The E plane (uniform across B) is narrower per wavelength of aperture
    // than the cosine-tapered H plane: 0.886 and 1.19 radians over size.
    EXPECT_NEAR(Hpbw(m.h), 68.0 / d.p[0], 0.2 * 68.0 / d.p[0]);
}

TEST(TextbookFigures, PatchArraysGainTheirElementCount)
{
    const double element = Model(13).gainDbi;
    EXPECT_GT(element, 5);  // a single patch: some 6 to 8 dBi
    EXPECT_LT(element, 9);
    EXPECT_NEAR(Model(14).gainDbi, element + 10 * std::log10(16.0), 1.5);
    EXPECT_NEAR(Model(15).gainDbi, element + 10 * std::log10(12.0), 1.5);
    // No field behind the ground plane.
    EXPECT_DOUBLE_EQ(Model(13).e[180], element - THEORY_DEPTH_DB);
}

TEST(TextbookFigures, EveryTypeLooksAlongAngleZeroAndAllTogetherAreQuick)
{
    const auto t0 = std::chrono::steady_clock::now();
    PrepareAllTheoryModels();
    // A guard against gross slowness only; theory_bench gives the figures.
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    for (int t = 0; t < THEORY_TYPES; ++t) {
        const TheoryModel &m = Model(t);
        EXPECT_GE(m.e[0], m.gainDbi - 1.0) << t;
        EXPECT_GE(m.h[0], m.gainDbi - 1.0) << t;
        EXPECT_LE(*std::max_element(m.e, m.e + LEVELS), m.gainDbi) << t;
    }
}

// ---- Comparisons -----------------------------------------------------------------

TEST(CompareWithModel, TheSimulatedRigsHornGivesTheRigsRotation)
{
    const TheoryModel &m = Model(12);
    for (int boresight : {0, 37, 300}) {
        double e[LEVELS], h[LEVELS];
        for (int k = 0; k < LEVELS; ++k) {
            e[k] =
                rigsim::PatternLevelDb(rigsim::Antenna::Horn, rigsim::Plane::E, k - boresight, -5);
            h[k] =
                rigsim::PatternLevelDb(rigsim::Antenna::Horn, rigsim::Plane::H, k - boresight, -5);
        }
        const TheoryComparison ce = CompareWithModel(e, m.e), ch = CompareWithModel(h, m.h);
        ASSERT_TRUE(ce.valid);
        EXPECT_EQ(ce.rotation, boresight);
        EXPECT_EQ(ch.rotation, boresight);
        EXPECT_GT(ce.angles, 0);
        EXPECT_LT(ce.rms, 6.0);  // another horn than the model's, but a horn
        // The turned model peaks where the measurement does, near its level
        // (the level is the one that fits the whole lobe best).
        EXPECT_EQ(PeakIndex(ce.scaled), boresight);
        EXPECT_NEAR(ce.scaled[boresight], -5, 1.5);
        EXPECT_NEAR(ce.scaled[boresight] - ce.offset, -5, 0.05);
    }
}

TEST(CompareWithModel, DifferencesCountOnlyWithinTwentyDecibelsOfThePeak)
{
    double model[LEVELS], meas[LEVELS];
    for (int k = 0; k < LEVELS; ++k) {
        model[k] = 2 + 10 * std::log10(std::max(1e-4, std::pow(std::cos(k * M_PI / 180), 2)));
        meas[k] = model[k] - 12;  // same shape, 12 dB lower
    }
    meas[90] = meas[270] = -35;  // a noisy null (the model has -50), below the window
    const TheoryComparison c = CompareWithModel(meas, model);
    ASSERT_TRUE(c.valid);
    EXPECT_NEAR(c.rms, 0, 1e-9);
    EXPECT_NEAR(c.maxDiff, 0, 1e-9);
    EXPECT_LT(c.angles, LEVELS);
    // One angle 1.5 dB off moves the best level by 1.5 dB / n.
    meas[60] += 1.5;
    const TheoryComparison d = CompareWithModel(meas, model);
    EXPECT_NEAR(d.offset - c.offset, 1.5 / d.angles, 1e-9);
    EXPECT_NEAR(d.maxDiff, 1.5 - (d.offset - c.offset), 1e-9);
    double flat[LEVELS];
    std::fill(flat, flat + LEVELS, -30.0);  // no peak: nothing to compare
    EXPECT_FALSE(CompareWithModel(flat, model).valid);
}

TEST(GainByComparison, AKnownOffsetGivesTheReferenceGainPlusTheOffset)
{
    double e[LEVELS], h[LEVELS], re[LEVELS], rh[LEVELS];
    for (int k = 0; k < LEVELS; ++k) {
        re[k] = -8 + 3 * std::cos(k * M_PI / 180);
        rh[k] = -9.5;
    }
    for (int k = 0; k < LEVELS; ++k) {
        e[k] = re[WrapAngle(k + 40)] + 7.43;  // turned and 7.43 dB stronger
        h[k] = rh[k] + 6.91;
    }
    const GainByComparison g = GainFromReference(e, h, re, rh, 2.15);
    ASSERT_TRUE(g.eValid && g.hValid);
    EXPECT_NEAR(g.e, 2.15 + 7.43, 0.01);
    EXPECT_NEAR(g.h, 2.15 + 6.91, 0.01);
    std::fill(h, h + LEVELS, 0.0);      // a hidden plane saved as zeros has a peak of 0 dB
    std::fill(rh, rh + LEVELS, -30.0);  // a plane without a peak gives no gain
    const GainByComparison none = GainFromReference(e, h, re, rh, 2.15);
    EXPECT_TRUE(none.eValid);
    EXPECT_FALSE(none.hValid);
}
