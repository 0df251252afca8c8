// SPDX-License-Identifier: GPL-3.0-or-later
// Fitted lobe metrics and the naming of the lobes.
#include "lobe_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "lobe.h"
#include "pattern_record.h"

namespace {

struct Lobe {
    int start, end;  // the nulls on either side, as steps along the walk
    double max;
    int maxAt;
};

// A null on the floor is a run of clamped samples; its middle is the best
// guess of where the null lies.
double NullAngle(const double V[LEVELS], int at, bool *limited)
{
    *limited = OnFloor(V[WrapAngle(at)]);
    if (!*limited)
        return WrapAngle(at);
    // The whole run, however long: cut short on one side only, its middle
    // would move into the run by that cut, and the two walks that end in
    // one long run would put their nulls apart in it.
    int l = 0, r = 0;
    while (l < LEVELS - 1 && OnFloor(V[WrapAngle(at - l - 1)]))
        ++l;
    while (l + r < LEVELS - 1 && OnFloor(V[WrapAngle(at + r + 1)]))
        ++r;
    const double a = std::fmod(at + (r - l) / 2.0 + LEVELS, double(LEVELS));
    return a;
}

// The lobes between the right first null (step a from the peak) and the
// left one (step b), walking the long way round.
std::vector<Lobe> LobesBetween(const double *S, int P, int a, int b, double rise)
{
    std::vector<Lobe> lobes;
    int start = a;
    double max = -std::numeric_limits<double>::infinity(), low = max;
    int maxAt = -1, lowAt = -1;
    for (int s = a + 1; s < b; ++s) {
        const double v = S[WrapAngle(P + s)];
        if (v > max) {
            max = low = v;
            maxAt = lowAt = s;
        } else if (v < low) {
            low = v;
            lowAt = s;
        } else if (v - low > rise && max - low > rise) {
            lobes.push_back({start, lowAt, max, maxAt});
            start = lowAt;
            max = -std::numeric_limits<double>::infinity();
            for (int t = lowAt + 1; t <= s; ++t)
                if (S[WrapAngle(P + t)] > max) {
                    max = S[WrapAngle(P + t)];
                    maxAt = t;
                }
            low = v;
            lowAt = s;
        }
    }
    // The last lobe must rise above both its ends as the others do: a span
    // that is only floor (the walks' rises were the main lobe's own flanks)
    // holds no lobe.
    const double ends = std::max(S[WrapAngle(P + start)], S[WrapAngle(P + b)]);
    if (maxAt > start && max - ends > rise)
        lobes.push_back({start, b, max, maxAt});
    return lobes;
}

}  // namespace

bool OnFloor(double level)
{
    return level <= PATTERN_FLOOR + FLOOR_MARGIN_DB;
}

FittedLobeMetrics PlaneFittedMetrics(const double V[LEVELS])
{
    FittedLobeMetrics m;
    m.fit = FitPlane(V);
    const PlaneFit &f = m.fit;
    if (!f.peakFound)
        return m;
    m.mainLobes = 1;
    const double *S = f.smoothed;
    const int P = f.peakIndex;
    const double peak = f.peakLevel;
    double l = 0, r = 0;
    if ((m.hpbw = FittedBeamwidth(V, f, HALF_POWER_DROP, &l, &r))) {
        m.hpbwLeft = l;
        m.hpbwRight = r;
    }
    m.bw10 = FittedBeamwidth(V, f, 10.0);

    // What the smoothed noise can make of a rise, it must not take for the
    // far side of a null.
    const double rise = std::max(NULL_RISE, 4.0 * f.smoothedNoiseDb);
    const auto nl = FirstNullOffset(S, P, -1, peak, rise);
    const auto nr = FirstNullOffset(S, P, +1, peak, rise);
    const int opposite = WrapAngle(P + 180);
    auto oppositeLevel = [&] {
        m.frontToBack = peak - S[opposite];
        m.frontToBackLimited = OnFloor(V[opposite]);
    };
    if (!nl || !nr || *nl + *nr > LEVELS) {
        oppositeLevel();
        return m;
    }
    // With the whole back on the floor there is no notch to find the middle
    // of: each first null is where the main lobe meets the floor.
    bool backOnFloor = true;
    for (int s = *nr; s <= LEVELS - *nl && backOnFloor; ++s)
        backOnFloor = OnFloor(V[WrapAngle(P + s)]);
    if (backOnFloor) {
        m.nullLeft = WrapAngle(P - *nl);
        m.nullRight = WrapAngle(P + *nr);
        m.nullLeftLimited = m.nullRightLimited = true;
    } else {
        m.nullLeft = NullAngle(V, P - *nl, &m.nullLeftLimited);
        m.nullRight = NullAngle(V, P + *nr, &m.nullRightLimited);
    }
    double fn = *m.nullRight - *m.nullLeft;
    m.fnbw = fn <= 0 ? fn + LEVELS : fn;

    const int a = *nr, b = LEVELS - *nl;
    std::vector<Lobe> lobes = LobesBetween(S, P, a, b, rise);
    // A stretch of the floor that never rises above it is no lobe.
    std::erase_if(lobes, [](const Lobe &l) { return l.max <= PATTERN_FLOOR; });
    // The back lobe is the one round the opposite direction (the higher of
    // two that meet there), the floor on either side of a lobe not counted
    // as part of it; the opposite direction inside the main lobe or on the
    // floor between lobes leaves none.
    auto onFloorAt = [&](int step) { return OnFloor(S[WrapAngle(P + step)]); };
    const Lobe *back = nullptr;
    for (const Lobe &lobe : lobes) {
        int from = lobe.start, to = lobe.end;
        while (from < lobe.maxAt && onFloorAt(from))
            ++from;
        while (to > lobe.maxAt && onFloorAt(to))
            --to;
        if (from <= 180 && 180 <= to && (!back || lobe.max > back->max))
            back = &lobe;
    }
    if (back) {
        // Its top fitted as the main lobe's is, so that two equal lobes
        // read as equal.
        double angle = WrapAngle(P + back->maxAt), level = back->max;
        const int h = std::min(f.fitPoints / 2, std::max(2, (back->end - back->start) / 4));
        if (!FitLobeTop(V, WrapAngle(P + back->maxAt), h, &angle, &level) || level < back->max - 1.0
            || level > back->max + 1.0) {
            angle = WrapAngle(P + back->maxAt);
            level = back->max;
        }
        m.backLobe = LobeLevel{level - peak, angle, OnFloor(level)};
        m.frontToBack = peak - level;
        m.frontToBackLimited = m.backLobe->limited;
        if (level >= peak - EQUAL_LOBES_DB)
            m.mainLobes = 2;
    } else {
        oppositeLevel();
    }
    for (const Lobe &lobe : lobes) {
        if (&lobe == back)
            continue;
        ++m.sideLobes;
        if (!m.sideLobe || lobe.max - peak > m.sideLobe->level)
            m.sideLobe =
                LobeLevel{lobe.max - peak, double(WrapAngle(P + lobe.maxAt)), OnFloor(lobe.max)};
    }
    return m;
}
