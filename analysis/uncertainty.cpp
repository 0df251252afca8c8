// SPDX-License-Identifier: GPL-3.0-or-later
// Gain by comparison and its uncertainty budget.
#include "uncertainty.h"

#include <cmath>
#include <numbers>

#include "fit.h"
#include "lobe_fit.h"

namespace {

constexpr const char *kCtx = "Gain";

Message M(const char *text, std::vector<std::string> args = {})
{
    return Message{kCtx, text, std::move(args)};
}

// What the budget needs of one file.
struct Side {
    std::vector<double> levels;  // boresight level of each file
    double noise2 = 0;           // sum of the squared noise of those levels
    double sampling2 = 0;        // the same for the one-degree grid
    std::vector<double> e, h;    // fitted peaks of each plane, where there is one
    int noSampling = 0;          // files without a half-power width
};

// Loss of a one-degree grid at a beam's peak: the true peak lies up to half
// a degree from a sample, and a beam falls 12 (d / width)^2 dB at d from its
// peak. Taken as evenly spread between no loss and that.
double SamplingU(double width)
{
    const double maxLoss = 12.0 * (0.5 / width) * (0.5 / width);
    return maxLoss / std::sqrt(12.0);
}

bool Collect(const std::vector<GainFile> &files, Side &side)
{
    for (const GainFile &f : files) {
        double sum = 0, n2 = 0, s2 = 0;
        int n = 0, widths = 0;
        for (const auto &[levels, plane] : {std::pair{f.e, &side.e}, std::pair{f.h, &side.h}}) {
            if (!levels)
                continue;
            const FittedLobeMetrics m = PlaneFittedMetrics(levels);
            if (!m.fit.peakFound)
                continue;
            plane->push_back(m.fit.peakLevel);
            sum += m.fit.peakLevel;
            n2 += m.fit.peakLevelU * m.fit.peakLevelU;
            if (m.hpbw && *m.hpbw > 0) {
                s2 += SamplingU(*m.hpbw) * SamplingU(*m.hpbw);
                ++widths;
            }
            ++n;
        }
        if (n == 0)
            return false;
        side.levels.push_back(sum / n);
        side.noise2 += n2 / (n * n);
        if (widths)
            side.sampling2 += s2 / (widths * widths);
        else
            ++side.noSampling;
    }
    return !files.empty();
}

double Mean(const std::vector<double> &v)
{
    double s = 0;
    for (double x : v)
        s += x;
    return s / double(v.size());
}

// Standard deviation of the mean of v (Type A); 0 for one value.
double MeanSpread2(const std::vector<double> &v)
{
    if (v.size() < 2)
        return 0;
    const double m = Mean(v);
    double s = 0;
    for (double x : v)
        s += (x - m) * (x - m);
    return s / double(v.size() - 1) / double(v.size());
}

// The gain lost to the phase error across an aperture at a finite range.
// The largest phase error, at the aperture's edge, is d = pi D^2 / (4 lambda
// R); a uniform aperture loses about 0.386 d^2 dB in each of its two
// directions. Beyond d = pi / 2 (or inside 1.6 wavelengths) the comparison
// no longer measures the far-field gain.
struct FarFieldTerm {
    double u = 0;
    bool outside = false;
};
FarFieldTerm PhaseErrorTerm(const FarField &f)
{
    FarFieldTerm t;
    if (!f.made || f.ok())
        return t;
    const double d = std::numbers::pi * f.largestDimension * f.largestDimension
                     / (4 * f.wavelength * f.distance);
    if (d > std::numbers::pi / 2 || !f.wavelengthsOk) {
        t.outside = true;
        return t;
    }
    const double loss = 2 * 0.386 * d * d;
    t.u = loss / std::sqrt(3.0);
    return t;
}

}  // namespace

GainResult GainWithUncertainty(const GainInput &in, const GainSettings &s)
{
    GainResult g;
    g.coverage = s.coverage;
    Side a, r;
    if (!Collect(in.antenna, a)) {
        g.error = M(QT_TRANSLATE_NOOP("Gain", "The measured antenna has no plane with a peak."));
        return g;
    }
    if (!Collect(in.reference, r)) {
        g.error = M(QT_TRANSLATE_NOOP("Gain", "The reference antenna has no plane with a peak."));
        return g;
    }
    g.ok = true;
    g.antennaLevel = Mean(a.levels);
    g.referenceLevel = Mean(r.levels);
    g.gainDbi = in.referenceGainDbi + g.antennaLevel - g.referenceLevel;
    if (!a.e.empty() && !r.e.empty())
        g.eGainDbi = in.referenceGainDbi + Mean(a.e) - Mean(r.e);
    if (!a.h.empty() && !r.h.empty())
        g.hGainDbi = in.referenceGainDbi + Mean(a.h) - Mean(r.h);

    auto add = [&](const char *id, Message name, Message source, double u, bool counted) {
        g.components.push_back({id, std::move(name), std::move(source), u, counted});
    };
    const size_t na = a.levels.size(), nr = r.levels.size();
    if (na > 1 || nr > 1)
        add("type_a", M(QT_TRANSLATE_NOOP("Gain", "Repeatability (Type A)")),
            M(QT_TRANSLATE_NOOP("Gain", "standard deviation of the peaks of %1 antenna and %2 "
                                        "reference files over the square root of their number"),
              {std::to_string(na), std::to_string(nr)}),
            std::sqrt(MeanSpread2(a.levels) + MeanSpread2(r.levels)), true);
    else
        add("type_a", M(QT_TRANSLATE_NOOP("Gain", "Repeatability (Type A)")),
            M(QT_TRANSLATE_NOOP("Gain", "not counted: one file each; give repeated files for it")),
            0, false);
    add("reference_gain", M(QT_TRANSLATE_NOOP("Gain", "Reference antenna gain")),
        in.referenceGainFromModel
            ? M(QT_TRANSLATE_NOOP("Gain", "its textbook model's gain; setting, default 0.5 dB"))
            : M(QT_TRANSLATE_NOOP("Gain", "the gain given for it; setting, default 0.5 dB")),
        s.uReferenceGain, true);
    add("resolution", M(QT_TRANSLATE_NOOP("Gain", "Level resolution")),
        M(QT_TRANSLATE_NOOP("Gain", "the receiver's 0.05 dB step, rectangular, in both levels")),
        std::sqrt(2.0) * LEVEL_STEP_DB / 2 / std::sqrt(3.0), true);
    bool attnDiffer = false;
    for (const GainFile &fa : in.antenna)
        for (const GainFile &fr : in.reference)
            attnDiffer = attnDiffer || (fa.e && fr.e && fa.eAttn != fr.eAttn)
                         || (fa.h && fr.h && fa.hAttn != fr.hAttn);
    add("attenuator", M(QT_TRANSLATE_NOOP("Gain", "Attenuator setting")),
        attnDiffer ? M(QT_TRANSLATE_NOOP("Gain", "the two measurements used different "
                                                 "attenuations; setting, default 0.25 dB"))
                   : M(QT_TRANSLATE_NOOP("Gain", "not counted: the same attenuation in both")),
        attnDiffer ? s.uAttenuator : 0, attnDiffer);
    add("peak_sampling", M(QT_TRANSLATE_NOOP("Gain", "Peak sampling")),
        M(QT_TRANSLATE_NOOP("Gain", "the one-degree grid at the peak, from the half-power widths")),
        std::sqrt(a.sampling2 / double(na * na) + r.sampling2 / double(nr * nr)), true);
    add("mismatch", M(QT_TRANSLATE_NOOP("Gain", "Mismatch")),
        M(QT_TRANSLATE_NOOP("Gain", "setting, default 0.1 dB")), s.uMismatch, true);
    add("alignment", M(QT_TRANSLATE_NOOP("Gain", "Alignment")),
        M(QT_TRANSLATE_NOOP("Gain", "setting, default 0.1 dB")), s.uAlignment, true);
    const FarFieldTerm fa = PhaseErrorTerm(in.antennaFarField),
                       fr = PhaseErrorTerm(in.referenceFarField);
    g.outsideMethod = fa.outside || fr.outside;
    const bool farMade = in.antennaFarField.made || in.referenceFarField.made;
    const bool farOk = (!in.antennaFarField.made || in.antennaFarField.ok())
                       && (!in.referenceFarField.made || in.referenceFarField.ok());
    add("far_field", M(QT_TRANSLATE_NOOP("Gain", "Far field")),
        !farMade          ? M(QT_TRANSLATE_NOOP("Gain", "not counted: no range distance given"))
        : farOk           ? M(QT_TRANSLATE_NOOP("Gain", "not counted: both antennas in the far field"))
        : g.outsideMethod ? M(QT_TRANSLATE_NOOP("Gain", "not counted: the range is too short for "
                                                        "the method; the result is outside it"))
                          : M(QT_TRANSLATE_NOOP("Gain", "phase error across the aperture at the "
                                                        "range distance")),
        std::hypot(fa.u, fr.u), farMade && !farOk && !g.outsideMethod);
    add("noise", M(QT_TRANSLATE_NOOP("Gain", "Noise")),
        M(QT_TRANSLATE_NOOP("Gain", "the receiver noise at the fitted peaks")),
        std::sqrt(a.noise2 / double(na * na) + r.noise2 / double(nr * nr)), true);

    double sum = 0;
    for (const UncertaintyComponent &c : g.components)
        if (c.counted)
            sum += c.u * c.u;
    g.combined = std::sqrt(sum);
    g.expanded = g.coverage * g.combined;
    g.farFromModel = in.modelGainDbi && std::fabs(g.gainDbi - *in.modelGainDbi) > MODEL_GAIN_LIMIT_DB;
    return g;
}

std::string GainStatement(const GainResult &g)
{
    return English(Message{kCtx, QT_TRANSLATE_NOOP("Gain", "G = %1 ± %2 dBi (k = %3)"),
                           {Fixed(g.gainDbi, 1), Fixed(g.expanded, 1), Fixed(g.coverage, 0)}});
}
