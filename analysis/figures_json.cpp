// SPDX-License-Identifier: GPL-3.0-or-later
// Figures, checks and gain as JSON trees.
#include "figures_json.h"

#include "lobe.h"

using nlohmann::json;

namespace {

template <typename T> json Opt(const std::optional<T> &v)
{
    return v ? json(*v) : json(nullptr);
}

json Lobe(const std::optional<LobeLevel> &l)
{
    if (!l)
        return nullptr;
    return json{{"level_db", l->level}, {"angle_deg", l->angle}, {"limited_by_floor", l->limited}};
}

json Fitted(const FittedLobeMetrics &m)
{
    const PlaneFit &f = m.fit;
    return json{
        {"peak_angle_deg", f.peakFound ? json(f.peakAngle) : json(nullptr)},
        {"peak_level_db", f.peakFound ? json(f.peakLevel) : json(nullptr)},
        {"peak_level_u_db", f.peakFound ? json(f.peakLevelU) : json(nullptr)},
        {"hpbw_deg", Opt(m.hpbw)},
        {"hpbw_left_deg", Opt(m.hpbwLeft)},
        {"hpbw_right_deg", Opt(m.hpbwRight)},
        {"bw10_deg", Opt(m.bw10)},
        {"first_null_left_deg", Opt(m.nullLeft)},
        {"first_null_left_limited_by_floor", m.nullLeft && m.nullLeftLimited},
        {"first_null_right_deg", Opt(m.nullRight)},
        {"first_null_right_limited_by_floor", m.nullRight && m.nullRightLimited},
        {"fnbw_deg", Opt(m.fnbw)},
        {"main_lobes", m.mainLobes},
        {"back_lobe", Lobe(m.backLobe)},
        {"front_to_back_db", Opt(m.frontToBack)},
        {"front_to_back_limited_by_floor", m.frontToBack && m.frontToBackLimited},
        {"side_lobe", Lobe(m.sideLobe)},
        {"side_lobes", m.sideLobes},
    };
}

json Noise(const PlaneFit &f)
{
    return json{
        {"sigma_db", f.noiseKnown ? json(f.noiseDb) : json(nullptr)},
        {"smoothing_half_width", f.smoothHalfWidth},
        {"peak_bias_db", f.peakFound ? json(f.peakBias) : json(nullptr)},
        {"biased", f.noisy},
    };
}

std::vector<std::string> Texts(const std::vector<Message> &ms)
{
    std::vector<std::string> out;
    for (const Message &m : ms)
        out.push_back(English(m));
    return out;
}

json PlaneCheckJson(const PlaneCheck &p)
{
    if (!p.present)
        return nullptr;
    const PlaneFit &f = p.metrics.fit;
    return json{
        {"peak_level_db", f.peakFound ? json(f.peakLevel) : json(nullptr)},
        {"dynamic_range_db", f.peakFound ? json(p.dynamicRange()) : json(nullptr)},
        {"noise_db", f.noiseKnown ? json(f.noiseDb) : json(nullptr)},
        {"noise_biases_peak", f.noisy},
    };
}

}  // namespace

json PlaneFiguresJson(const char *date, const char *time, double attn, const double V[LEVELS])
{
    const ViewerReadouts r = PlaneReadouts(V);
    const LobeMetrics m = PlaneLobeMetrics(V);
    const FittedLobeMetrics fm = PlaneFittedMetrics(V);
    auto onFloor = [&](const std::optional<int> &angle) { return angle && OnFloor(V[*angle]); };
    json lobe{
        {"hpbw_deg", Opt(m.hpbw)},
        {"hpbw_left_deg", Opt(m.hpbwLeft)},
        {"hpbw_right_deg", Opt(m.hpbwRight)},
        {"bw10_deg", Opt(m.bw10)},
        {"first_null_left_deg", Opt(m.nullLeft)},
        {"first_null_left_limited_by_floor", onFloor(m.nullLeft)},
        {"first_null_right_deg", Opt(m.nullRight)},
        {"first_null_right_limited_by_floor", onFloor(m.nullRight)},
        {"fnbw_deg", Opt(m.fnbw)},
        {"front_to_back_db", Opt(m.frontToBack)},
        {"front_to_back_limited_by_floor",
         m.frontToBack.has_value() && OnFloor(V[WrapAngle(m.peak + 180)])},
        {"side_lobe_level_db", Opt(m.sideLobeLevel)},
        {"side_lobe_angle_deg", Opt(m.sideLobeAngle)},
        {"side_lobe_limited_by_floor", onFloor(m.sideLobeAngle)},
    };
    return json{
        {"date", date},
        {"time", time},
        {"attenuation_db", attn},
        {"peak_angle_deg", r.peak},
        {"peak_level_db", Opt(r.peakLevel)},
        {"hpb_left_deg", r.search.leftFound ? json(r.search.left) : json(nullptr)},
        {"hpb_right_deg", r.search.rightFound ? json(r.search.right) : json(nullptr)},
        {"hpb_width_deg", r.hpbWidth},
        {"hpb_level_db", r.hpbLevel},
        {"lobe", lobe},
        {"fitted", Fitted(fm)},
        {"noise", Noise(fm.fit)},
        {"dynamic_range_db",
         fm.fit.peakFound ? json(fm.fit.peakLevel - PATTERN_FLOOR) : json(nullptr)},
    };
}

json ChecksJson(const PatternChecks &c)
{
    json lines = json::array();
    for (const CheckLine &l : c.lines)
        lines.push_back(json{{"id", l.id},
                             {"title", English(l.title)},
                             {"verdict", VerdictName(l.verdict)},
                             {"findings", Texts(l.findings)}});
    return json{
        {"verdict", VerdictName(c.overall())},
        {"checks", lines},
        {"e", PlaneCheckJson(c.e)},
        {"h", PlaneCheckJson(c.h)},
        {"boresight_difference_db", Opt(c.boresightDifference)},
        {"far_field", FarFieldJson(c.farField)},
    };
}

json FarFieldJson(const FarField &f)
{
    json far{{"made", f.made}};
    if (f.made) {
        far["distance_m"] = f.distance;
        far["largest_dimension_m"] = f.largestDimension;
        far["wavelength_m"] = f.wavelength;
        far["rayleigh_m"] = f.rayleigh;
        far["five_d_m"] = f.fiveD;
        far["wavelengths_m"] = f.wavelengths;
        far["rayleigh_ok"] = f.rayleighOk;
        far["five_d_ok"] = f.fiveDOk;
        far["wavelengths_ok"] = f.wavelengthsOk;
        far["ok"] = f.ok();
    }
    return far;
}

json GainJson(const GainResult &g)
{
    if (!g.ok)
        return json{{"ok", false}, {"error", English(g.error)}};
    json parts = json::array();
    for (const UncertaintyComponent &c : g.components)
        parts.push_back(json{{"id", c.id},
                             {"name", English(c.name)},
                             {"source", English(c.source)},
                             {"u_db", c.u},
                             {"counted", c.counted}});
    return json{
        {"ok", true},
        {"gain_dbi", g.gainDbi},
        {"e_gain_dbi", Opt(g.eGainDbi)},
        {"h_gain_dbi", Opt(g.hGainDbi)},
        {"antenna_level_db", g.antennaLevel},
        {"reference_level_db", g.referenceLevel},
        {"statement", GainStatement(g)},
        {"outside_method", g.outsideMethod},
        {"far_from_model", g.farFromModel},
        {"uncertainty", json{{"components", parts},
                             {"combined_standard_db", g.combined},
                             {"coverage_factor", g.coverage},
                             {"expanded_db", g.expanded}}},
    };
}
