// SPDX-License-Identifier: GPL-3.0-or-later
// Checks on a measurement.
#include "checks.h"

#include <charconv>
#include <cmath>

#include "antennas.h"
#include "pattern_record.h"

namespace {

constexpr const char *kCtx = "Checks";

std::string Db(double v)
{
    return Fixed(v, 1);
}

std::string Metres(double v)
{
    return Fixed(v, v < 1 ? 3 : 2);
}

std::string Deg(double v)
{
    return Fixed(v, 0);
}

const char *PlaneName(char plane)
{
    return plane == 'E' ? QT_TRANSLATE_NOOP("Checks", "E plane") : QT_TRANSLATE_NOOP("Checks", "H plane");
}

Message M(const char *text, std::vector<std::string> args = {})
{
    return Message{kCtx, text, std::move(args)};
}

// The planes' names go in as figures are: a program translates them itself.
std::string Plane(char plane)
{
    return PlaneName(plane);
}

CheckLine DynamicRangeLine(const PatternChecks &c)
{
    CheckLine line{"dynamic_range", M(QT_TRANSLATE_NOOP("Checks", "Dynamic range")), Verdict::Pass, {}};
    for (const auto &[name, p] : {std::pair{'E', &c.e}, std::pair{'H', &c.h}}) {
        if (!p->present)
            continue;
        if (!p->hasPeak()) {
            line.verdict = Verdict::Warn;
            line.findings.push_back(
                M(QT_TRANSLATE_NOOP("Checks", "%1: no level above the -30 dB floor."), {Plane(name)}));
            continue;
        }
        const double dr = p->dynamicRange();
        if (dr < DYNAMIC_RANGE_MIN_DB) {
            line.verdict = Verdict::Warn;
            line.findings.push_back(M(QT_TRANSLATE_NOOP("Checks",
                                                        "%1: peak %2 dB, only %3 dB above the -30 dB "
                                                        "floor (at least 20 dB wanted): measure "
                                                        "with less attenuation."),
                                      {Plane(name), Db(p->metrics.fit.peakLevel), Db(dr)}));
        } else {
            line.findings.push_back(
                M(QT_TRANSLATE_NOOP("Checks", "%1: peak %2 dB, %3 dB above the -30 dB floor."),
                  {Plane(name), Db(p->metrics.fit.peakLevel), Db(dr)}));
        }
    }
    if (!c.e.present && !c.h.present)
        line.verdict = Verdict::NotMade;
    return line;
}

CheckLine FloorLine(const PatternChecks &c)
{
    CheckLine line{"floor_limited", M(QT_TRANSLATE_NOOP("Checks", "Figures on the floor")),
                   Verdict::Pass, {}};
    for (const auto &[name, p] : {std::pair{'E', &c.e}, std::pair{'H', &c.h}}) {
        if (!p->hasPeak())
            continue;
        const FittedLobeMetrics &m = p->metrics;
        if (m.frontToBack && m.frontToBackLimited)
            line.findings.push_back(M(QT_TRANSLATE_NOOP("Checks",
                                                        "%1: front-to-back ≥ %2 dB: the back of "
                                                        "the pattern is on the floor."),
                                      {Plane(name), Db(*m.frontToBack)}));
        if (m.sideLobe && m.sideLobe->limited)
            line.findings.push_back(M(QT_TRANSLATE_NOOP("Checks",
                                                        "%1: side lobe ≤ %2 dB at %3 deg: it "
                                                        "reaches no higher than the floor."),
                                      {Plane(name), Db(m.sideLobe->level), Deg(m.sideLobe->angle)}));
        for (const auto &[angle, limited] :
             {std::pair{m.nullLeft, m.nullLeftLimited}, std::pair{m.nullRight, m.nullRightLimited}})
            if (angle && limited)
                line.findings.push_back(M(QT_TRANSLATE_NOOP("Checks",
                                                            "%1: the null at %2 deg is on the "
                                                            "floor: it is deeper than measured."),
                                          {Plane(name), Deg(*angle)}));
    }
    if (line.findings.empty())
        line.findings.push_back(M(QT_TRANSLATE_NOOP("Checks", "No figure is limited by the floor.")));
    return line;
}

CheckLine NoiseLine(const PatternChecks &c)
{
    CheckLine line{"noise", M(QT_TRANSLATE_NOOP("Checks", "Noise")), Verdict::Pass, {}};
    for (const auto &[name, p] : {std::pair{'E', &c.e}, std::pair{'H', &c.h}}) {
        if (!p->hasPeak())
            continue;
        const PlaneFit &f = p->metrics.fit;
        if (!f.noiseKnown) {
            line.findings.push_back(
                M(QT_TRANSLATE_NOOP("Checks", "%1: too little of the plane is above the floor to "
                                              "tell its noise."),
                  {Plane(name)}));
            continue;
        }
        if (f.noisy) {
            line.verdict = Verdict::Warn;
            line.findings.push_back(M(QT_TRANSLATE_NOOP("Checks",
                                                        "%1: noise %2 dB per reading lifts the "
                                                        "highest sample %3 dB above the fitted "
                                                        "peak: average several readings per step "
                                                        "in Kesto."),
                                      {Plane(name), Fixed(f.noiseDb, 2), Fixed(f.peakBias, 2)}));
        } else {
            line.findings.push_back(
                M(QT_TRANSLATE_NOOP("Checks", "%1: noise %2 dB per reading."),
                  {Plane(name), Fixed(f.noiseDb, 2)}));
        }
    }
    if (line.findings.empty())
        line.verdict = Verdict::NotMade;
    return line;
}

CheckLine BoresightLine(const PatternChecks &c)
{
    CheckLine line{"boresight", M(QT_TRANSLATE_NOOP("Checks", "The planes at boresight")),
                   Verdict::Pass, {}};
    if (!c.boresightDifference) {
        line.verdict = Verdict::NotMade;
        line.findings.push_back(
            M(QT_TRANSLATE_NOOP("Checks", "Not made: it needs both planes with a peak.")));
        return line;
    }
    const std::vector<std::string> args{Db(c.e.metrics.fit.peakLevel),
                                        Db(c.h.metrics.fit.peakLevel), Db(*c.boresightDifference)};
    if (*c.boresightDifference > BORESIGHT_LIMIT_DB) {
        line.verdict = Verdict::Warn;
        line.findings.push_back(M(QT_TRANSLATE_NOOP("Checks",
                                                    "E peak %1 dB and H peak %2 dB differ by %3 dB "
                                                    "(at most 1.5 dB expected): the antenna may be "
                                                    "misaligned, or a plane was measured in the "
                                                    "wrong polarisation."),
                                  args));
    } else {
        line.findings.push_back(M(QT_TRANSLATE_NOOP("Checks",
                                                    "E peak %1 dB and H peak %2 dB differ by %3 dB "
                                                    "(at most 1.5 dB expected)."),
                                  args));
    }
    return line;
}

CheckLine FarFieldLine(const PatternChecks &c, bool haveDistance)
{
    CheckLine line{"far_field", M(QT_TRANSLATE_NOOP("Checks", "Far field")), Verdict::Pass, {}};
    const FarField &f = c.farField;
    if (!f.made) {
        line.verdict = Verdict::NotMade;
        line.findings.push_back(
            haveDistance ? M(QT_TRANSLATE_NOOP("Checks", "Not made: the antenna type is not known, "
                                                         "so neither is its size."))
                         : M(QT_TRANSLATE_NOOP("Checks", "Not made: no range distance was given.")));
        return line;
    }
    line.findings.push_back(
        M(QT_TRANSLATE_NOOP("Checks", "R = %1 m; 2D²/λ = %2 m, 5D = %3 m, 1.6λ = %4 m (D = %5 m, "
                                      "λ = %6 m)."),
          {Metres(f.distance), Metres(f.rayleigh), Metres(f.fiveD), Metres(f.wavelengths),
           Metres(f.largestDimension), Metres(f.wavelength)}));
    if (f.ok()) {
        line.findings.push_back(M(QT_TRANSLATE_NOOP("Checks", "The antenna was in the far field.")));
        return line;
    }
    line.verdict = Verdict::Warn;
    if (!f.rayleighOk)
        line.findings.push_back(M(QT_TRANSLATE_NOOP("Checks",
                                                    "R is below 2D²/λ: the phase across the "
                                                    "antenna is not flat; the main lobe is "
                                                    "broadened and the nulls filled.")));
    if (!f.fiveDOk)
        line.findings.push_back(
            M(QT_TRANSLATE_NOOP("Checks", "R is below 5D: the antenna is too close for its size.")));
    if (!f.wavelengthsOk)
        line.findings.push_back(M(QT_TRANSLATE_NOOP("Checks",
                                                    "R is below 1.6λ: the antenna is in its "
                                                    "reactive near field.")));
    return line;
}

}  // namespace

const char *VerdictName(Verdict v)
{
    switch (v) {
    case Verdict::Pass:
        return "pass";
    case Verdict::Warn:
        return "warn";
    case Verdict::NotMade:
        break;
    }
    return "not made";
}

FarField FarFieldCheck(std::optional<double> distance, std::optional<double> D,
                       std::optional<double> lambda)
{
    FarField f;
    if (!distance || !D || !lambda || !(*D > 0) || !(*lambda > 0) || !(*distance > 0))
        return f;
    f.made = true;
    f.distance = *distance;
    f.largestDimension = *D;
    f.wavelength = *lambda;
    f.rayleigh = 2 * *D * *D / *lambda;
    f.fiveD = 5 * *D;
    f.wavelengths = 1.6 * *lambda;
    f.rayleighOk = *distance >= f.rayleigh;
    f.fiveDOk = *distance >= f.fiveD;
    f.wavelengthsOk = *distance >= f.wavelengths;
    return f;
}

Verdict PatternChecks::overall() const
{
    for (const CheckLine &l : lines)
        if (l.verdict == Verdict::Warn)
            return Verdict::Warn;
    return Verdict::Pass;
}

PatternChecks CheckPattern(const double *e, const double *h, std::optional<double> distance,
                           std::optional<double> D, std::optional<double> lambda)
{
    PatternChecks c;
    for (const auto &[levels, p] : {std::pair{e, &c.e}, std::pair{h, &c.h}}) {
        p->present = levels != nullptr;
        if (levels)
            p->metrics = PlaneFittedMetrics(levels);
    }
    if (c.e.hasPeak() && c.h.hasPeak())
        c.boresightDifference =
            std::fabs(c.e.metrics.fit.peakLevel - c.h.metrics.fit.peakLevel);
    c.farField = FarFieldCheck(distance, D, lambda);
    c.lines = {DynamicRangeLine(c), FloorLine(c), NoiseLine(c), BoresightLine(c),
               FarFieldLine(c, distance.has_value())};
    return c;
}

FarField FarFieldOfType(int type, std::optional<double> distance)
{
    double D = 0, lambda = 0;
    if (!AntennaSize(type, &D) || !AntennaWavelength(type, &lambda))
        return FarFieldCheck(distance, std::nullopt, std::nullopt);
    return FarFieldCheck(distance, D, lambda);
}

PatternChecks CheckPatternOfType(const double *e, const double *h, int type,
                                 std::optional<double> distance)
{
    double D = 0, lambda = 0;
    if (!AntennaSize(type, &D) || !AntennaWavelength(type, &lambda))
        return CheckPattern(e, h, distance, std::nullopt, std::nullopt);
    return CheckPattern(e, h, distance, D, lambda);
}

bool ParseDistance(const std::string &text, std::optional<double> *distance, Message *why)
{
    size_t a = text.find_first_not_of(" \t"), b = text.find_last_not_of(" \t");
    if (a == std::string::npos) {
        distance->reset();
        return true;
    }
    const std::string t = text.substr(a, b - a + 1);
    // '.' as the decimal point whatever the locale, as in the files.
    double v = 0;
    const char *first = t.data() + (t[0] == '+' ? 1 : 0);
    const auto r = std::from_chars(first, t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) {
        *why = M(QT_TRANSLATE_NOOP("Checks", "The range distance \"%1\" is not a number of metres."),
                 {t});
        return false;
    }
    if (!(v > 0)) {
        *why = M(QT_TRANSLATE_NOOP("Checks",
                                   "The range distance must be more than 0 m; \"%1\" is not."),
                 {t});
        return false;
    }
    *distance = v;
    return true;
}
