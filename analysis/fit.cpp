// SPDX-License-Identifier: GPL-3.0-or-later
// Noise estimate, smoothed curve and fitted peak of one plane.
#include "fit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "lobe.h"
#include "pattern_record.h"

namespace {

// Savitzky-Golay smoothing by a quadratic over 2m + 1 samples: weight of
// the sample i away from the centre. The weights sum to 1 and their squares
// to the centre weight, which is therefore the share of one reading's
// variance left on a smoothed point.
double Weight(int m, int i)
{
    return 3.0 * (3.0 * m * m + 3.0 * m - 1.0 - 5.0 * i * i)
           / ((2.0 * m - 1.0) * (2.0 * m + 1.0) * (2.0 * m + 3.0));
}

void Smooth(const double V[LEVELS], int m, double out[LEVELS])
{
    if (m <= 0) {
        std::copy(V, V + LEVELS, out);
        return;
    }
    for (int k = 0; k < LEVELS; ++k) {
        double s = 0;
        for (int i = -m; i <= m; ++i)
            s += Weight(m, i) * V[WrapAngle(k + i)];
        out[k] = s;
    }
}

constexpr int kNoiseHalfWidth = 3;
// Below this the noise changes no figure worth a decimal.
constexpr double kSmoothFrom = 0.1;
// What the smoothed curve should keep of the noise at most.
constexpr double kSmoothedTarget = 0.2;
constexpr int kMaxHalfWidth = 12;
constexpr double kTopShare = 0.3;    // of the half-power width, each side of the top
constexpr double kFlankShare = 0.3;  // the same round a crossing on a flank
constexpr int kMaxFlankHalfWidth = 30;
constexpr int kMaxTopHalfWidth = 30;

// Solves the 3 x 3 system a x = b in place (Gaussian elimination with
// pivoting); false when it is singular.
bool Solve3(double a[3][3], double b[3])
{
    for (int c = 0; c < 3; ++c) {
        int p = c;
        for (int r = c + 1; r < 3; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[p][c]))
                p = r;
        if (std::fabs(a[p][c]) < 1e-12)
            return false;
        std::swap(a[p], a[c]);
        std::swap(b[p], b[c]);
        for (int r = 0; r < 3; ++r) {
            if (r == c)
                continue;
            const double f = a[r][c] / a[c][c];
            for (int k = c; k < 3; ++k)
                a[r][k] -= f * a[c][k];
            b[r] -= f * b[c];
        }
    }
    for (int c = 0; c < 3; ++c)
        b[c] /= a[c][c];
    return true;
}

// Least-squares parabola y = c0 + c1 x + c2 x^2 over the samples at
// centre + x, |x| <= h. Gives the coefficients and, for the value at x0,
// the factor g' (X'X)^-1 g by which one reading's variance reaches it.
struct Parabola {
    bool ok = false;
    double c[3] = {};
    double n[3][3] = {};  // X'X
};

Parabola FitParabola(const double V[LEVELS], int centre, int h)
{
    Parabola p;
    double b[3] = {};
    for (int x = -h; x <= h; ++x) {
        const double y = V[WrapAngle(centre + x)];
        const double pw[3] = {1.0, double(x), double(x) * x};
        for (int i = 0; i < 3; ++i) {
            b[i] += pw[i] * y;
            for (int j = 0; j < 3; ++j)
                p.n[i][j] += pw[i] * pw[j];
        }
    }
    double a[3][3];
    std::copy(&p.n[0][0], &p.n[0][0] + 9, &a[0][0]);
    p.ok = Solve3(a, b);
    std::copy(b, b + 3, p.c);
    return p;
}

double VarianceFactor(const Parabola &p, double x0)
{
    // Solves (X'X) v = g and returns g'v.
    double a[3][3];
    std::copy(&p.n[0][0], &p.n[0][0] + 9, &a[0][0]);
    double v[3] = {1.0, x0, x0 * x0};
    const double g[3] = {v[0], v[1], v[2]};
    if (!Solve3(a, v))
        return 0;
    return g[0] * v[0] + g[1] * v[1] + g[2] * v[2];
}

double Wrap360(double a)
{
    a = std::fmod(a, 360.0);
    return a < 0 ? a + 360.0 : a;
}

// A crossing of target found at angle `at` on the smoothed curve, moved to
// where a quadratic through the readings around it crosses: the readings
// on a lobe's flank carry more than the smoothed point alone.
double RefineCrossing(const double V[LEVELS], double at, double target, int h)
{
    const int centre = int(std::lround(at));
    const Parabola p = FitParabola(V, centre, h);
    if (!p.ok)
        return at;
    const double a = p.c[2], b = p.c[1], c = p.c[0] - target, guess = at - centre;
    double best = guess;
    bool found = false;
    auto take = [&](double x) {
        if (std::fabs(x) <= h && (!found || std::fabs(x - guess) < std::fabs(best - guess))) {
            best = x;
            found = true;
        }
    };
    if (std::fabs(a) < 1e-12) {
        if (std::fabs(b) > 1e-12)
            take(-c / b);
    } else if (const double disc = b * b - 4 * a * c; disc >= 0) {
        take((-b + std::sqrt(disc)) / (2 * a));
        take((-b - std::sqrt(disc)) / (2 * a));
    }
    return found ? Wrap360(centre + best) : at;
}

// The half-width, at most h, of a window round the crossing at `at` (dir:
// the way from the peak to it) that stays on the flank: short of the peak,
// and short of the null beyond the crossing and of the first reading on the
// floor. A quadratic through a null or clamped readings is no flank.
int FlankHalfWidth(const double V[LEVELS], const PlaneFit &f, double at, int dir, int h)
{
    const int c = int(std::lround(at));
    const int toPeak = WrapAngle((c - f.peakIndex) * dir);
    h = std::min(h, toPeak - 1);
    const double rise = std::max(NULL_RISE, 4.0 * f.smoothedNoiseDb);
    double low = f.smoothed[WrapAngle(c)];
    int lowAt = 0;
    for (int s = 1; s <= h; ++s) {
        const int k = WrapAngle(c + dir * s);
        if (V[k] <= PATTERN_FLOOR + FLOOR_MARGIN_DB)
            return s - 1;
        if (f.smoothed[k] < low) {
            low = f.smoothed[k];
            lowAt = s;
        } else if (f.smoothed[k] - low > rise) {
            return lowAt - 1;
        }
    }
    return h;
}

}  // namespace

double EstimateNoise(const double V[LEVELS], bool *known)
{
    const int m = kNoiseHalfWidth;
    const double clear = PATTERN_FLOOR + FLOOR_MARGIN_DB;
    std::vector<double> residuals;
    residuals.reserve(LEVELS);
    for (int k = 0; k < LEVELS; ++k) {
        double s = 0;
        bool ok = true;
        for (int i = -m; i <= m && ok; ++i) {
            const double v = V[WrapAngle(k + i)];
            ok = v > clear && std::isfinite(v);
            s += Weight(m, i) * v;
        }
        if (ok)
            residuals.push_back(std::fabs(V[k] - s));
    }
    // Fewer than a tenth of the circle clear of the floor says little.
    if (residuals.size() < 36) {
        if (known)
            *known = false;
        return 0;
    }
    if (known)
        *known = true;
    auto mid = residuals.begin() + long(residuals.size() / 2);
    std::nth_element(residuals.begin(), mid, residuals.end());
    // The median absolute value of a normal residual is 0.6745 of its
    // standard deviation; a residual keeps 1 - w0 of one reading's variance.
    return *mid / 0.6745 / std::sqrt(1.0 - Weight(m, 0));
}

PlaneFit FitPlane(const double V[LEVELS])
{
    PlaneFit f;
    f.noiseDb = EstimateNoise(V, &f.noiseKnown);
    const int raw = PeakIndex(V);
    if (raw < 0) {
        Smooth(V, 0, f.smoothed);
        return f;
    }
    // The smoothing must stay well inside the main lobe: at most a quarter
    // of its (noisy) half-power width each side.
    const auto width = InterpolatedBeamwidth(V, raw, HALF_POWER_DROP);
    const int widthCap = std::max(2, int((width ? *width : 40.0) / 4));
    int m = 0;
    if (f.noiseDb >= kSmoothFrom) {
        m = 2;
        while (m < std::min(kMaxHalfWidth, widthCap)
               && f.noiseDb * std::sqrt(Weight(m, 0)) > kSmoothedTarget)
            ++m;
        m = std::min(m, widthCap);
    }
    f.smoothHalfWidth = m;
    f.smoothedNoiseDb = f.noiseDb * std::sqrt(m > 0 ? Weight(m, 0) : 1.0);
    Smooth(V, m, f.smoothed);

    // The top of the lobe: centred between the smoothed curve's half-power
    // crossings (far below the noise on the top) and spanning 0.3 of that
    // width each side, where a beam's top in dB is a parabola to a tenth of
    // a decibel. Without crossings (an all-round plane) the smoothed
    // maximum and kMaxTopHalfWidth.
    int top = int(std::max_element(f.smoothed, f.smoothed + LEVELS) - f.smoothed);
    const double topLevel = f.smoothed[top];
    int h = kMaxTopHalfWidth;
    double left = 0, right = 0;
    if (const auto w = BeamwidthAt(f.smoothed, top, topLevel - HALF_POWER_DROP, &left, &right)) {
        top = WrapAngle(int(std::lround(left + *w / 2)));
        h = std::clamp(int(std::lround(kTopShare * *w)), 2, kMaxTopHalfWidth);
    }
    const Parabola p = FitParabola(V, top, h);
    double x0 = 0;
    if (p.ok && p.c[2] < 0) {
        const double vertex = -p.c[1] / (2 * p.c[2]);
        if (std::fabs(vertex) <= h)
            x0 = vertex;
    }
    f.peakFound = true;
    f.fitPoints = 2 * h + 1;
    f.peakAngle = Wrap360(top + x0);
    f.peakIndex = WrapAngle(int(std::lround(top + x0)));
    f.peakLevel = p.ok ? p.c[0] + p.c[1] * x0 + p.c[2] * x0 * x0 : topLevel;
    f.peakLevelU = f.noiseDb * std::sqrt(std::max(0.0, VarianceFactor(p, x0)));
    f.peakBias = V[raw] - f.peakLevel;
    // Only noise is flagged: a plane too quiet to move any figure (a sharp,
    // clean top that no parabola follows) lifts no sample.
    f.noisy = f.peakBias > NOISE_BIAS_LIMIT_DB && f.noiseKnown && f.noiseDb >= kSmoothFrom;
    return f;
}

std::optional<double> FittedBeamwidth(const double V[LEVELS], const PlaneFit &f, double drop,
                                      double *left, double *right)
{
    if (!f.peakFound)
        return std::nullopt;
    const double target = f.peakLevel - drop;
    double l = 0, r = 0;
    const auto w = BeamwidthAt(f.smoothed, f.peakIndex, target, &l, &r);
    if (!w)
        return std::nullopt;
    if (f.smoothHalfWidth > 0) {
        const int h = std::clamp(int(std::lround(kFlankShare * *w)), 2, kMaxFlankHalfWidth);
        if (const int hl = FlankHalfWidth(V, f, l, -1, h); hl >= 2)
            l = RefineCrossing(V, l, target, hl);
        if (const int hr = FlankHalfWidth(V, f, r, +1, h); hr >= 2)
            r = RefineCrossing(V, r, target, hr);
    }
    if (left)
        *left = l;
    if (right)
        *right = r;
    const double width = r - l;
    return width <= 0 ? width + 360.0 : width;
}

bool FitLobeTop(const double V[LEVELS], int centre, int h, double *angle, double *level)
{
    const Parabola p = FitParabola(V, centre, h);
    if (!p.ok || !(p.c[2] < 0))
        return false;
    const double vertex = -p.c[1] / (2 * p.c[2]);
    if (std::fabs(vertex) > h)
        return false;
    *angle = Wrap360(centre + vertex);
    *level = p.c[0] + p.c[1] * vertex + p.c[2] * vertex * vertex;
    return true;
}
