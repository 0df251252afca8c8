// SPDX-License-Identifier: GPL-3.0-or-later
// The lab report's figures: a measurement against its textbook model, with
// the bounds the floor makes, the verdicts and the gain.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "lab_figures.h"

namespace {

constexpr int kHorn = 12;  // a closed-form model: no nec2c needed

// A record whose planes are level(angle) for each plane's model cut.
PatternRecord FromModel(int type, const std::function<double(const double *, int)> &level)
{
    const TheoryModel &m = TheoryModelOf(type);
    EXPECT_TRUE(m.ok) << m.error;
    PatternRecord r{};
    r.Antype = type;
    for (int k = 0; k < LEVELS; ++k) {
        r.e_data[k] = std::max(PATTERN_FLOOR, level(m.e, k));
        r.h_data[k] = std::max(PATTERN_FLOOR, level(m.h, k));
    }
    return r;
}

// The model turned right by `turn` with its peak at `peak` dB.
PatternRecord Turned(int type, int turn, double peak)
{
    const double g = TheoryModelOf(type).gainDbi;
    return FromModel(type,
                     [&](const double *cut, int k) { return cut[WrapAngle(k - turn)] - g + peak; });
}

const LabRow &RowOf(const LabFigures &f, const std::string &figure, const std::string &plane)
{
    // A figure's second plane has no name of its own: it follows the first.
    for (size_t i = 0; i < f.rows.size(); ++i)
        if (f.rows[i].figure == figure) {
            for (size_t j = i; j < f.rows.size() && (j == i || f.rows[j].figure.empty()); ++j)
                if (f.rows[j].plane == plane)
                    return f.rows[j];
        }
    ADD_FAILURE() << "no row " << figure << " " << plane;
    static const LabRow none;
    return none;
}

TEST(LabBounds, AgreementAllowsWhatTheBoundsAllow)
{
    struct Case {
        Bounded m, t;
        Agreement want;
    } cases[] = {
        {{10, '='}, {12, '='}, Agreement::Agrees},        // 2 dB apart
        {{10, '='}, {13.5, '='}, Agreement::Differs},     // 3.5 dB apart
        {{26, '>'}, {35, '='}, Agreement::Consistent},    // at least 26 may be 35
        {{36, '>'}, {30, '='}, Agreement::Differs},       // at least 36 is more than 3 above 30
        {{-28, '<'}, {-20, '='}, Agreement::Differs},     // at most -28 is 8 dB below -20
        {{-18, '<'}, {-25, '='}, Agreement::Consistent},  // at most -18 may be -25
        {{30, '>'}, {40, '>'}, Agreement::Consistent},    // two lower bounds always meet
        {{20, '<'}, {30, '>'}, Agreement::Differs},       // at most 20 against at least 30
    };
    for (const Case &c : cases)
        EXPECT_EQ(CompareBounded(c.m, c.t, 3.0), c.want)
            << c.m.kind << c.m.value << " against " << c.t.kind << c.t.value;
}

TEST(LabBounds, ADifferenceKeepsTheBoundItFollowsFrom)
{
    auto d = DifferenceOf({26, '>'}, {35, '='});
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, '>');
    EXPECT_DOUBLE_EQ(d->value, -9);
    // A lower bound on the textbook's value is an upper bound on the difference.
    d = DifferenceOf({30, '='}, {40, '>'});
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, '<');
    EXPECT_DOUBLE_EQ(d->value, -10);
    // Both lower bounds: the difference could be anything.
    EXPECT_FALSE(DifferenceOf({30, '>'}, {40, '>'}));
    d = DifferenceOf({-20, '<'}, {-10, '>'});
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, '<');
}

TEST(LabDates, FileDatesReadAsYearMonthDay)
{
    EXPECT_EQ(IsoDate("12-11-2026"), "2026-12-11");
    EXPECT_EQ(IsoDate("04-12-2005"), "2005-04-12");
    // What is no month-day-year date stays as the file has it.
    for (const char *d : {"2026-12-11", "13-01-2020", "1-2-2020", "", "04-12-2005x"})
        EXPECT_EQ(IsoDate(d), d);
}

TEST(LabFigures, TheTextbookModelAgreesWithItselfWhereverItPoints)
{
    for (int turn : {0, 90, 233}) {
        SCOPED_TRACE(turn);
        // The peak 40 dB above the floor puts the model's filled nulls on it.
        const LabFigures f = ComputeLabFigures(Turned(kHorn, turn, 10), {});
        ASSERT_TRUE(f.modelOk()) << f.modelError;
        EXPECT_EQ(f.e.comparison.rotation, turn);
        for (const LabRow &r : f.rows) {
            EXPECT_NE(r.agreement, Agreement::Differs) << r.figure << r.plane << ": " << r.verdict;
            EXPECT_NE(r.agreement, Agreement::NotCompared) << r.figure << r.plane;
        }
        const LabRow &peak = RowOf(f, "Peak direction", "E");
        EXPECT_EQ(peak.measured, Fixed(turn, 1) + "°");
        EXPECT_EQ(peak.difference, "0.0°");
        EXPECT_EQ(peak.verdict, "agrees: |Δ| ≤ 5°");
        EXPECT_EQ(RowOf(f, "Shape (RMS)", "H").difference, "0.00 dB");
        EXPECT_EQ(RowOf(f, "Half-power width", "H").verdict, "agrees: |Δ| ≤ 15 %");
    }
}

TEST(LabFigures, AWiderBeamDiffersByItsShareOfTheTextbookWidth)
{
    // Every angle from the beam's axis 1.4 times as far: a beam 40 % wider.
    const double g = TheoryModelOf(kHorn).gainDbi;
    const LabFigures f = ComputeLabFigures(
        FromModel(kHorn,
                  [&](const double *cut, int k) {
                      const double a = (k > 180 ? k - 360 : k) / 1.4;
                      const int i = int(std::floor(a));
                      const double t = a - i;
                      return (1 - t) * cut[WrapAngle(i)] + t * cut[WrapAngle(i + 1)] - g + 10;
                  }),
        {});
    const LabRow &w = RowOf(f, "Half-power width", "E");
    const double share = 100 * (f.e.comparison.measuredHpbw / f.e.comparison.modelHpbw - 1);
    EXPECT_NEAR(share, 40, 2);
    EXPECT_EQ(w.agreement, Agreement::Differs);
    EXPECT_EQ(w.verdict, "differs: |Δ| > 15 %");
    EXPECT_NE(w.difference.find("(+" + Fixed(share, 0) + " %)"), std::string::npos) << w.difference;
    EXPECT_EQ(RowOf(f, "Shape (RMS)", "E").agreement, Agreement::Differs);
    EXPECT_EQ(RowOf(f, "Directivity estimate", "E, H").agreement, Agreement::Differs);
}

TEST(LabFigures, AFrontToBackOnTheFloorIsABoundThatMayAgree)
{
    // Only 30 dB above the floor: the back the model has at 40 dB is lost.
    const LabFigures f = ComputeLabFigures(Turned(kHorn, 0, 0), {});
    const LabRow &fb = RowOf(f, "Front-to-back", "E");
    EXPECT_EQ(fb.measured.rfind("≥ ", 0), 0u) << fb.measured;
    EXPECT_EQ(fb.textbook.rfind("≥ ", 0), 0u) << fb.textbook;
    EXPECT_EQ(fb.difference, "–");  // two lower bounds tell no difference
    EXPECT_EQ(fb.agreement, Agreement::Consistent);
    EXPECT_EQ(fb.verdict, "consistent: a bound, |Δ| ≤ 3 dB possible");
}

TEST(LabFigures, APlaneThatNeverFallsPointsNowhere)
{
    // The H plane all round, a ripple of 0.5 dB on it: no beam, no width.
    PatternRecord r = Turned(kHorn, 30, 10);
    for (int k = 0; k < LEVELS; ++k)
        r.h_data[k] = 0.25 * std::sin(k * 0.3);
    const LabFigures f = ComputeLabFigures(r, {});
    const LabRow &h = RowOf(f, "Peak direction", "H");
    EXPECT_EQ(h.agreement, Agreement::NotCompared);
    EXPECT_EQ(h.verdict, "not compared: no beam to point");
    EXPECT_EQ(h.difference, "–");
    EXPECT_EQ(RowOf(f, "Half-power width", "H").measured, "none");
    EXPECT_EQ(RowOf(f, "Half-power width", "H").verdict, "differs: only one has a width");
    // The E plane is the model's own and still agrees.
    EXPECT_EQ(RowOf(f, "Peak direction", "E").agreement, Agreement::Agrees);
}

TEST(LabFigures, AFileWithoutALibraryTypeStandsAlone)
{
    PatternRecord r = Turned(kHorn, 45, 5);
    r.Antype = -1;
    const LabFigures f = ComputeLabFigures(r, {});
    EXPECT_FALSE(f.modelOk());
    EXPECT_NE(f.modelError.find("no library antenna type"), std::string::npos);
    for (const LabRow &row : f.rows) {
        EXPECT_EQ(row.agreement, Agreement::NotCompared) << row.figure;
        EXPECT_EQ(row.textbook, "–");
    }
    EXPECT_EQ(RowOf(f, "Peak direction", "E").measured, "45.0°");
    EXPECT_EQ(f.checks.lines.size(), 5u);
}

TEST(LabFigures, TheGainIsStatedAgainstTheModelsWithinItsUncertainty)
{
    const PatternRecord r = Turned(kHorn, 0, 10);
    const double model = TheoryModelOf(kHorn).gainDbi;
    LabSettings s;
    s.references.push_back({"ref.atn", Turned(kHorn, 0, 10)});
    // The same levels as the reference: G is the reference's gain.
    s.referenceGainDbi = model;
    LabFigures f = ComputeLabFigures(r, s);
    ASSERT_TRUE(f.gain.ok) << f.gain.error;
    EXPECT_NEAR(f.gain.result.gainDbi, model, 1e-9);
    const LabRow &same = RowOf(f, "Gain ± U (k = 2)", "E, H");
    EXPECT_EQ(same.measured, Fixed(model, 2) + " ± " + Fixed(f.gain.result.expanded, 2) + " dBi");
    EXPECT_EQ(same.agreement, Agreement::Agrees);
    EXPECT_EQ(same.verdict, "agrees: |Δ| ≤ U = " + Fixed(f.gain.result.expanded, 2) + " dB");

    s.referenceGainDbi = model - 5;  // 5 dB low: more than U, more than 3 dB
    f = ComputeLabFigures(r, s);
    const LabRow &low = RowOf(f, "Gain ± U (k = 2)", "E, H");
    EXPECT_EQ(low.difference, "-5.00 dB");
    EXPECT_EQ(low.verdict, "differs: |Δ| > 3 dB, check the set-up");

    // A reference of no library type and no gain given: no gain, and why.
    s.referenceGainDbi.reset();
    s.references[0].rec.Antype = -1;
    f = ComputeLabFigures(r, s);
    EXPECT_TRUE(f.gain.asked);
    EXPECT_FALSE(f.gain.ok);
    EXPECT_NE(f.gain.error.find("no reference gain"), std::string::npos) << f.gain.error;
    EXPECT_EQ(RowOf(f, "Gain ± U (k = 2)", "E, H").measured, "–");
    // Without a reference there is no gain row at all.
    f = ComputeLabFigures(r, {});
    EXPECT_TRUE(std::none_of(f.rows.begin(), f.rows.end(),
                             [](const LabRow &row) { return row.figure.rfind("Gain", 0) == 0; }));
}

}  // namespace
