// SPDX-License-Identifier: GPL-3.0-or-later
// The measured figures against the textbook's, the checks and the gain.
#include "lab_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "message.h"

namespace {

constexpr const char *kCtx = "LabReport";
const std::string kNone = "–";

std::string Say(const char *text, std::vector<std::string> args = {})
{
    return English(Message{kCtx, text, std::move(args)});
}

std::string Deg(double v, int decimals = 1)
{
    return Fixed(v, decimals) + "°";
}

// A direction, 0 to 359.9: a fitted peak just short of 360 reads as 0.
std::string Direction(double v)
{
    const std::string s = Fixed(v, 1);
    return (s == "360.0" ? std::string("0.0") : s) + "°";
}

// With its sign, "+1.2" or "-1.2"; a value that rounds to 0 has none.
std::string Signed(double v, int decimals)
{
    const std::string s = Fixed(std::fabs(v), decimals);
    if (s.find_first_not_of("0.") == std::string::npos)
        return s;
    return (v > 0 ? "+" : "-") + s;
}

std::string BoundText(const Bounded &b, int decimals, const std::string &unit, bool sign = false)
{
    const std::string prefix = b.kind == '>' ? "≥ " : b.kind == '<' ? "≤ " : "";
    return prefix + (sign ? Signed(b.value, decimals) : Fixed(b.value, decimals)) + unit;
}

// The angle from a to b, -180 to 180.
double AngleDiff(double b, double a)
{
    double d = std::fmod(b - a, 360.0);
    if (d > 180)
        d -= 360;
    if (d <= -180)
        d += 360;
    return d;
}

// A model cut set so that the depth its nulls are filled in at lies on the
// receiver's floor: its figures then follow the rules of a measurement's,
// a null or back in the fill being as much a bound as one on the floor.
void LiftedModel(const double cut[LEVELS], double out[LEVELS])
{
    const double peak = *std::max_element(cut, cut + LEVELS);
    for (int k = 0; k < LEVELS; ++k)
        out[k] = std::max(PATTERN_FLOOR, cut[k] - peak + PATTERN_FLOOR + THEORY_DEPTH_DB);
}

LabRow Row(const std::string &figure, const char *plane)
{
    LabRow r;
    r.figure = figure;
    r.plane = plane;
    return r;
}

void NoModel(LabRow &r, const LabFigures &f)
{
    r.textbook = r.difference = kNone;
    r.agreement = Agreement::NotCompared;
    r.verdict = f.modelOk() ? Say(QT_TRANSLATE_NOOP("LabReport", "not compared: no peak"))
                            : Say(QT_TRANSLATE_NOOP("LabReport", "no textbook model"));
}

void Verdict(LabRow &r, Agreement a, const std::string &limit)
{
    r.agreement = a;
    const std::string sign = a == Agreement::Differs ? ">" : "≤";
    switch (a) {
    case Agreement::Agrees:
        r.verdict = Say(QT_TRANSLATE_NOOP("LabReport", "agrees: %1"), {limit});
        break;
    case Agreement::Consistent:
        r.verdict =
            Say(QT_TRANSLATE_NOOP("LabReport", "consistent: a bound, %1 possible"), {limit});
        break;
    case Agreement::Differs:
        r.verdict = Say(QT_TRANSLATE_NOOP("LabReport", "differs: %1"), {limit});
        break;
    case Agreement::NotCompared:
        break;
    }
}

// "|Δ| ≤ 5°" or "|Δ| > 5°" as the verdict goes.
std::string Limit(Agreement a, const std::string &amount, const char *what = "|Δ|")
{
    return std::string(what) + (a == Agreement::Differs ? " > " : " ≤ ") + amount;
}

void PeakRows(LabFigures &f, std::vector<LabRow> &rows)
{
    const std::string name = Say(QT_TRANSLATE_NOOP("LabReport", "Peak direction"));
    for (const auto &[plane, p] : {std::pair{"E", &f.e}, std::pair{"H", &f.h}}) {
        LabRow r = Row(plane[0] == 'E' ? name : "", plane);
        const PlaneFit &m = p->measured.fit;
        r.measured =
            m.peakFound ? Direction(m.peakAngle) : Say(QT_TRANSLATE_NOOP("LabReport", "none"));
        if (!p->modelOk || !m.peakFound) {
            NoModel(r, f);
        } else if (!p->model.hpbw || !p->measured.hpbw) {
            // A plane that never falls 3 dB points nowhere in particular.
            r.textbook = p->model.hpbw ? Direction(p->model.fit.peakAngle)
                                       : Say(QT_TRANSLATE_NOOP("LabReport", "all round"));
            r.difference = kNone;
            r.agreement = Agreement::NotCompared;
            r.verdict = Say(QT_TRANSLATE_NOOP("LabReport", "not compared: no beam to point"));
        } else {
            const double t = p->model.fit.peakAngle;
            double d = AngleDiff(m.peakAngle, t);
            // Two equal main lobes: either may be the peak.
            if (p->model.mainLobes == 2 || p->measured.mainLobes == 2) {
                const double other = AngleDiff(m.peakAngle, t + 180);
                if (std::fabs(other) < std::fabs(d))
                    d = other;
            }
            r.textbook = Direction(t);
            r.difference = Signed(d, 1) + "°";
            const Agreement a =
                std::fabs(d) <= LAB_PEAK_DEG ? Agreement::Agrees : Agreement::Differs;
            Verdict(r, a, Limit(a, Deg(LAB_PEAK_DEG, 0)));
        }
        rows.push_back(r);
    }
}

// A width against the textbook's, agreeing within a share of it.
void WidthRow(LabFigures &f, std::vector<LabRow> &rows, const std::string &name, const char *plane,
              const LabPlane &p, std::optional<double> measured, std::optional<double> textbook,
              double percent)
{
    LabRow r = Row(name, plane);
    r.measured = measured ? Deg(*measured) : Say(QT_TRANSLATE_NOOP("LabReport", "none"));
    if (!p.modelOk || !p.measured.fit.peakFound) {
        NoModel(r, f);
    } else if (!textbook || !measured) {
        r.textbook = textbook ? Deg(*textbook) : Say(QT_TRANSLATE_NOOP("LabReport", "none"));
        r.difference = kNone;
        r.agreement = textbook || measured ? Agreement::Differs : Agreement::Agrees;
        r.verdict = textbook || measured
                        ? Say(QT_TRANSLATE_NOOP("LabReport", "differs: only one has a width"))
                        : Say(QT_TRANSLATE_NOOP("LabReport", "agrees: neither has one"));
    } else {
        const double d = *measured - *textbook;
        const double share = 100.0 * d / *textbook;
        r.textbook = Deg(*textbook);
        r.difference = Signed(d, 1) + "° (" + Signed(share, 0) + " %)";
        const Agreement a = std::fabs(share) <= percent ? Agreement::Agrees : Agreement::Differs;
        Verdict(r, a, Limit(a, Fixed(percent, 0) + " %"));
    }
    rows.push_back(r);
}

// A level against the textbook's, either of them perhaps a bound.
void LevelRow(LabFigures &f, std::vector<LabRow> &rows, const std::string &name, const char *plane,
              const LabPlane &p, std::optional<Bounded> measured, std::optional<Bounded> textbook)
{
    LabRow r = Row(name, plane);
    r.measured =
        measured ? BoundText(*measured, 1, " dB") : Say(QT_TRANSLATE_NOOP("LabReport", "none"));
    if (!p.modelOk || !p.measured.fit.peakFound) {
        NoModel(r, f);
        rows.push_back(r);
        return;
    }
    r.textbook =
        textbook ? BoundText(*textbook, 1, " dB") : Say(QT_TRANSLATE_NOOP("LabReport", "none"));
    r.difference = kNone;
    if (!measured || !textbook) {
        if (!measured && !textbook) {
            r.agreement = Agreement::Agrees;
            r.verdict = Say(QT_TRANSLATE_NOOP("LabReport", "agrees: neither has one"));
        } else if (!textbook) {
            r.agreement = Agreement::NotCompared;
            r.verdict = Say(QT_TRANSLATE_NOOP("LabReport", "not compared: the textbook has none"));
        } else if (textbook->value
                   < -(p.measured.fit.peakLevel - PATTERN_FLOOR) + FLOOR_MARGIN_DB) {
            // The model's lobe lies below what the measurement reached.
            r.agreement = Agreement::Consistent;
            r.verdict = Say(QT_TRANSLATE_NOOP("LabReport", "consistent: below the floor"));
        } else {
            r.agreement = Agreement::Differs;
            r.verdict = Say(QT_TRANSLATE_NOOP("LabReport", "differs: none measured"));
        }
        rows.push_back(r);
        return;
    }
    if (const auto d = DifferenceOf(*measured, *textbook))
        r.difference = BoundText(*d, 1, " dB", true);
    const Agreement a = CompareBounded(*measured, *textbook, LAB_LEVEL_DB);
    Verdict(r, a, Limit(a, Fixed(LAB_LEVEL_DB, 0) + " dB"));
    rows.push_back(r);
}

std::optional<Bounded> FrontToBackOf(const FittedLobeMetrics &m)
{
    if (!m.frontToBack)
        return std::nullopt;
    return Bounded{*m.frontToBack, m.frontToBackLimited ? '>' : '='};
}

std::optional<Bounded> SideLobeOf(const FittedLobeMetrics &m)
{
    if (!m.sideLobe)
        return std::nullopt;
    return Bounded{m.sideLobe->level, m.sideLobe->limited ? '<' : '='};
}

void ShapeRows(LabFigures &f, std::vector<LabRow> &rows)
{
    for (const auto &[plane, p] : {std::pair{"E", &f.e}, std::pair{"H", &f.h}}) {
        LabRow r =
            Row(plane[0] == 'E' ? Say(QT_TRANSLATE_NOOP("LabReport", "Shape (RMS)")) : "", plane);
        r.measured = r.textbook = kNone;
        if (!p->modelOk || !p->comparison.valid) {
            NoModel(r, f);
        } else {
            r.measured = Say(QT_TRANSLATE_NOOP("LabReport", "%1 angles"),
                             {std::to_string(p->comparison.angles)});
            r.textbook = Say(QT_TRANSLATE_NOOP("LabReport", "turned %1°"),
                             {std::to_string(p->comparison.rotation)});
            r.difference = Fixed(p->comparison.rms, 2) + " dB";
            const Agreement a =
                p->comparison.rms <= LAB_RMS_DB ? Agreement::Agrees : Agreement::Differs;
            Verdict(r, a, Limit(a, Fixed(LAB_RMS_DB, 1) + " dB", "RMS"));
        }
        rows.push_back(r);
    }
}

void DirectivityRow(LabFigures &f, std::vector<LabRow> &rows)
{
    LabRow r = Row(Say(QT_TRANSLATE_NOOP("LabReport", "Directivity estimate")), "E, H");
    auto text = [](const std::optional<Directivity> &d) {
        return d ? Fixed(d->dBi, 1) + " dBi" : Say(QT_TRANSLATE_NOOP("LabReport", "none"));
    };
    r.measured = text(f.measuredDirectivity);
    if (!f.e.modelOk || !f.h.modelOk) {
        NoModel(r, f);
    } else {
        r.textbook = text(f.modelDirectivity);
        if (f.measuredDirectivity && f.modelDirectivity) {
            const double d = f.measuredDirectivity->dBi - f.modelDirectivity->dBi;
            r.difference = Signed(d, 1) + " dB";
            const Agreement a =
                std::fabs(d) <= LAB_DIRECTIVITY_DB ? Agreement::Agrees : Agreement::Differs;
            Verdict(r, a, Limit(a, Fixed(LAB_DIRECTIVITY_DB, 1) + " dB"));
        } else {
            r.difference = kNone;
            r.agreement = Agreement::NotCompared;
            r.verdict = Say(QT_TRANSLATE_NOOP("LabReport", "not compared: a width is missing"));
        }
    }
    rows.push_back(r);
}

void GainRow(LabFigures &f, std::vector<LabRow> &rows)
{
    const LabGain &g = f.gain;
    if (!g.asked)
        return;
    LabRow r = Row(Say(QT_TRANSLATE_NOOP("LabReport", "Gain ± U (k = 2)")), "E, H");
    if (!g.ok) {
        r.measured = r.textbook = r.difference = kNone;
        r.verdict = Say(QT_TRANSLATE_NOOP("LabReport", "no gain: see below"));
        rows.push_back(r);
        return;
    }
    const GainResult &res = g.result;
    r.measured = Fixed(res.gainDbi, 2) + " ± " + Fixed(res.expanded, 2) + " dBi";
    if (!g.modelGainDbi) {
        NoModel(r, f);
    } else {
        const double d = res.gainDbi - *g.modelGainDbi;
        r.textbook = Fixed(*g.modelGainDbi, 2) + " dBi";
        r.difference = Signed(d, 2) + " dB";
        const Agreement a = std::fabs(d) <= res.expanded ? Agreement::Agrees : Agreement::Differs;
        const std::string u = "U = " + Fixed(res.expanded, 2) + " dB";
        Verdict(r, a, Limit(a, u));
        if (res.farFromModel)
            r.verdict =
                Say(QT_TRANSLATE_NOOP("LabReport", "differs: |Δ| > %1 dB, check the set-up"),
                    {Fixed(MODEL_GAIN_LIMIT_DB, 0)});
    }
    rows.push_back(r);
}

std::optional<double> ModelGain(int type)
{
    if (type < 0 || type >= THEORY_TYPES)
        return std::nullopt;
    const TheoryModel &m = TheoryModelOf(type);
    return m.ok ? std::optional<double>(m.gainDbi) : std::nullopt;
}

void Gain(const PatternRecord &r, const LabSettings &s, LabFigures &f)
{
    LabGain &g = f.gain;
    g.asked = !s.references.empty();
    if (!g.asked)
        return;
    GainInput in;
    in.antenna.push_back({r.e_data, r.h_data, r.Eattn, r.Hattn});
    for (const ReferenceFile &ref : s.references) {
        in.reference.push_back({ref.rec.e_data, ref.rec.h_data, ref.rec.Eattn, ref.rec.Hattn});
        g.references.push_back(ref.path);
    }
    const int refType = s.references[0].rec.Antype;
    in.referenceGainFromModel = !s.referenceGainDbi;
    if (s.referenceGainDbi) {
        in.referenceGainDbi = *s.referenceGainDbi;
    } else if (const auto model = ModelGain(refType)) {
        in.referenceGainDbi = *model;
    } else {
        g.error = refType >= 0 && refType < THEORY_TYPES
                      ? Say(QT_TRANSLATE_NOOP("LabReport",
                                              "no reference gain: the textbook model of the "
                                              "reference's type cannot be computed (%1); give the "
                                              "reference antenna's gain"),
                            {TheoryModelOf(refType).error})
                      : Say(QT_TRANSLATE_NOOP("LabReport",
                                              "no reference gain: the reference file records no "
                                              "library antenna type; give the reference "
                                              "antenna's gain"));
        return;
    }
    g.referenceGainDbi = in.referenceGainDbi;
    g.referenceGainFromModel = in.referenceGainFromModel;
    in.antennaFarField = g.antennaFarField = FarFieldOfType(r.Antype, s.distance);
    in.referenceFarField = g.referenceFarField = FarFieldOfType(refType, s.distance);
    in.modelGainDbi = g.modelGainDbi = ModelGain(r.Antype);
    g.result = GainWithUncertainty(in, s.uncertainty);
    g.ok = g.result.ok;
    if (!g.ok)
        g.error = English(g.result.error);
}

void PlaneAgainstModel(const double measured[LEVELS], const TheoryModel *m, const double *cut,
                       LabPlane &p)
{
    p.measured = PlaneFittedMetrics(measured);
    p.raw = PlaneLobeMetrics(measured);
    if (!m)
        return;
    p.comparison = CompareWithModel(measured, cut);
    p.modelOk = p.comparison.valid;
    if (!p.modelOk)
        return;
    double lifted[LEVELS];
    LiftedModel(p.comparison.scaled, lifted);
    p.model = PlaneFittedMetrics(lifted);
}

}  // namespace

const char *AgreementName(Agreement a)
{
    switch (a) {
    case Agreement::Agrees:
        return "agrees";
    case Agreement::Consistent:
        return "consistent";
    case Agreement::Differs:
        return "differs";
    case Agreement::NotCompared:
        break;
    }
    return "not compared";
}

Agreement CompareBounded(const Bounded &m, const Bounded &t, double limit)
{
    // Each as the interval it allows; the gap between the two intervals.
    auto lo = [](const Bounded &b) { return b.kind == '<' ? -INFINITY : b.value; };
    auto hi = [](const Bounded &b) { return b.kind == '>' ? INFINITY : b.value; };
    const double gap = std::max({0.0, lo(m) - hi(t), lo(t) - hi(m)});
    if (gap > limit)
        return Agreement::Differs;
    return m.kind == '=' && t.kind == '=' ? Agreement::Agrees : Agreement::Consistent;
}

std::optional<Bounded> DifferenceOf(const Bounded &m, const Bounded &t)
{
    // measured - textbook: a bound on the measured value bounds it the same
    // way, one on the textbook's the other way; two bounds that pull the
    // same way tell nothing.
    const char flipped = t.kind == '>' ? '<' : t.kind == '<' ? '>' : '=';
    if (m.kind != '=' && flipped != '=' && m.kind != flipped)
        return std::nullopt;
    return Bounded{m.value - t.value, m.kind != '=' ? m.kind : flipped};
}

std::string IsoDate(const char *d)
{
    int mm = 0, dd = 0, yyyy = 0;
    char rest = 0;
    if (std::strlen(d) == 10 && std::sscanf(d, "%2d-%2d-%4d%c", &mm, &dd, &yyyy, &rest) == 3
        && mm >= 1 && mm <= 12 && dd >= 1 && dd <= 31) {
        char b[16];
        std::snprintf(b, sizeof b, "%04d-%02d-%02d", yyyy, mm, dd);
        return b;
    }
    return d;
}

LabFigures ComputeLabFigures(const PatternRecord &r, const LabSettings &s)
{
    LabFigures f;
    f.type = r.Antype;
    const TheoryModel *m = nullptr;
    if (r.Antype < 0 || r.Antype >= THEORY_TYPES) {
        f.modelError = Say(
            QT_TRANSLATE_NOOP("LabReport", "the file records no library antenna type (type %1)"),
            {std::to_string(r.Antype)});
    } else if (!TheoryModelOf(r.Antype).ok) {
        f.modelError = TheoryModelOf(r.Antype).error;
    } else {
        m = &TheoryModelOf(r.Antype);
        f.modelGainDbi = m->gainDbi;
    }
    PlaneAgainstModel(r.e_data, m, m ? m->e : nullptr, f.e);
    PlaneAgainstModel(r.h_data, m, m ? m->h : nullptr, f.h);
    f.measuredDirectivity = DirectivityEstimate(f.e.raw.hpbw, f.h.raw.hpbw);
    if (f.e.modelOk && f.h.modelOk && f.e.comparison.modelHpbw > 0 && f.h.comparison.modelHpbw > 0)
        f.modelDirectivity =
            DirectivityEstimate(f.e.comparison.modelHpbw, f.h.comparison.modelHpbw);
    f.checks = CheckPatternOfType(r.e_data, r.h_data, r.Antype, s.distance);
    Gain(r, s, f);

    PeakRows(f, f.rows);
    auto width = [](double v) { return v > 0 ? std::optional<double>(v) : std::nullopt; };
    const std::string hpbw = Say(QT_TRANSLATE_NOOP("LabReport", "Half-power width"));
    WidthRow(f, f.rows, hpbw, "E", f.e, width(f.e.comparison.measuredHpbw),
             width(f.e.comparison.modelHpbw), LAB_WIDTH_PERCENT);
    WidthRow(f, f.rows, "", "H", f.h, width(f.h.comparison.measuredHpbw),
             width(f.h.comparison.modelHpbw), LAB_WIDTH_PERCENT);
    const std::string fnbw = Say(QT_TRANSLATE_NOOP("LabReport", "First-null width"));
    WidthRow(f, f.rows, fnbw, "E", f.e, f.e.measured.fnbw, f.e.model.fnbw, LAB_NULLS_PERCENT);
    WidthRow(f, f.rows, "", "H", f.h, f.h.measured.fnbw, f.h.model.fnbw, LAB_NULLS_PERCENT);
    const std::string fb = Say(QT_TRANSLATE_NOOP("LabReport", "Front-to-back"));
    LevelRow(f, f.rows, fb, "E", f.e, FrontToBackOf(f.e.measured), FrontToBackOf(f.e.model));
    LevelRow(f, f.rows, "", "H", f.h, FrontToBackOf(f.h.measured), FrontToBackOf(f.h.model));
    const std::string sll = Say(QT_TRANSLATE_NOOP("LabReport", "Side-lobe level"));
    LevelRow(f, f.rows, sll, "E", f.e, SideLobeOf(f.e.measured), SideLobeOf(f.e.model));
    LevelRow(f, f.rows, "", "H", f.h, SideLobeOf(f.h.measured), SideLobeOf(f.h.model));
    ShapeRows(f, f.rows);
    DirectivityRow(f, f.rows);
    GainRow(f, f.rows);
    return f;
}
