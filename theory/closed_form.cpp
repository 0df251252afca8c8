// SPDX-License-Identifier: GPL-3.0-or-later
// Closed-form models of the aperture and printed types: the pyramidal horn's
// aperture integrals, the rectangular patch's two radiating slots, and the
// patch arrays' element pattern times array factor.
#include <algorithm>
#include <cmath>
#include <complex>
#include <utility>
#include <vector>

#include "model_parts.h"

using theory_parts::kPi;

namespace {

// Field magnitudes for a direction (ux, uy, uz); the beam is along +z.

double Sinc(double x)
{
    return std::fabs(x) < 1e-12 ? 1.0 : std::sin(x) / x;
}

struct Patch {
    double W, Le, h;  // wavelengths; Le the effective length between the slots
};

Patch PatchOf(const double *p)
{
    // Effective permittivity and the length extension of the fringing
    // fields (Hammerstad's formula, as in the design's source).
    const double W = p[0], L = p[1], h = p[2], er = p[3];
    const double eeff = (er + 1) / 2 + (er - 1) / 2 / std::sqrt(1 + 12 * h / W);
    const double dL = 0.412 * h * (eeff + 0.3) * (W / h + 0.264) / ((eeff - 0.258) * (W / h + 0.8));
    return {W, L + 2 * dL, h};
}

// Two radiating slots at x = +-Le/2, each a magnetic line current along y of
// length W over the ground plane (cavity model); no field behind the ground.
double PatchField(const Patch &pt, double ux, double uy, double uz)
{
    if (uz < 0)
        return 0;
    const double k = 2 * kPi;
    return std::sqrt(std::max(0.0, 1 - uy * uy)) * std::fabs(Sinc(k * pt.W / 2 * uy))
           * std::fabs(Sinc(k * pt.h / 2 * ux)) * std::fabs(std::cos(k * pt.Le / 2 * ux));
}

struct ArrayGrid {
    std::vector<std::pair<double, double>> xy;  // element centres, wavelengths
    double range = 0;  // the source's distance, wavelengths; 0 for the far field
};

ArrayGrid GridOf(int type, double d, int n)
{
    ArrayGrid g;
    const double c = (n - 1) / 2.0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const bool corner = (i == 0 || i == n - 1) && (j == 0 || j == n - 1);
            if (type == 15 && corner)
                continue;
            g.xy.push_back({(i - c) * d, (j - c) * d});
        }
    return g;
}

double ArrayFactor(const ArrayGrid &g, double ux, double uy)
{
    std::complex<double> s = 0;
    for (const auto &[x, y] : g.xy) {
        // A source at a finite distance reaches an element r off the
        // centre later by r^2 / 2R.
        const double spherical = g.range > 0 ? kPi * (x * x + y * y) / g.range : 0.0;
        s += std::polar(1.0, 2 * kPi * (x * ux + y * uy) - spherical);
    }
    return std::abs(s);
}

// The pyramidal horn's aperture integrals as tables over u = sin of the
// angle from the axis in each principal direction.
struct Horn {
    static constexpr int N = 2001;
    std::vector<double> hTab, eTab;  // |integral| for u = -1 .. 1
    double Lookup(const std::vector<double> &t, double u) const
    {
        const double pos = (std::clamp(u, -1.0, 1.0) + 1) / 2 * (N - 1);
        const int i = std::min(N - 2, int(pos));
        const double f = pos - i;
        return t[i] * (1 - f) + t[i + 1] * f;
    }
};

// The horn's tables; `range` (wavelengths, 0 for the far field) adds a
// source's spherical phase to the flares' own: 1/rho becomes 1/rho + 1/R.
Horn HornOf(const double *p, double range = 0)
{
    const double A = p[0], B = p[1], k = 2 * kPi;
    const double rhoH = range > 0 ? 1 / (1 / p[2] + 1 / range) : p[2];
    const double rhoE = range > 0 ? 1 / (1 / p[3] + 1 / range) : p[3];
    Horn horn;
    const int steps = 400;
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<double> &tab = pass == 0 ? horn.hTab : horn.eTab;
        const double size = pass == 0 ? A : B, rho = pass == 0 ? rhoH : rhoE;
        tab.resize(Horn::N);
        for (int i = 0; i < Horn::N; ++i) {
            const double u = -1 + 2.0 * i / (Horn::N - 1);
            std::complex<double> s = 0;
            for (int n = 0; n < steps; ++n) {
                const double x = -size / 2 + size * (n + 0.5) / steps;
                const double amp = pass == 0 ? std::cos(kPi * x / A) : 1.0;
                s += amp * std::polar(1.0, k * (u * x - x * x / (2 * rho)));
            }
            tab[i] = std::abs(s) * size / steps;
        }
    }
    return horn;
}

struct ClosedForm {
    int type;
    Patch patch{};
    ArrayGrid grid;
    Horn horn;
    double Field(double ux, double uy, double uz) const
    {
        if (type == 12) {
            // Huygens source obliquity (1 + cos theta) / 2; H plane along x.
            return (1 + uz) / 2 * horn.Lookup(horn.hTab, ux) * horn.Lookup(horn.eTab, uy);
        }
        const double el = PatchField(patch, ux, uy, uz);
        return type == 13 ? el : el * ArrayFactor(grid, ux, uy);
    }
};

}  // namespace

bool theory_parts::ClosedFormModel(int type, TheoryModel &m)
{
    const TheoryDesign &d = DesignOf(type);
    ClosedForm cf{type, {}, {}, {}};
    if (type == 12)
        cf.horn = HornOf(d.p);
    else
        cf.patch = PatchOf(d.p);
    if (type == 14 || type == 15)
        cf.grid = GridOf(type, d.p[4], int(d.p[5]));
    // Directivity: the power pattern integrated over the sphere (midpoint
    // rule, half a degree in theta, one degree in phi).
    const int nt = 360, np = 360;
    const double dt = kPi / nt, dp = 2 * kPi / np;
    double total = 0, peak = 0;
    for (int i = 0; i < nt; ++i) {
        const double th = (i + 0.5) * dt, st = std::sin(th), ct = std::cos(th);
        double ring = 0;
        for (int j = 0; j < np; ++j) {
            const double ph = (j + 0.5) * dp;
            const double f = cf.Field(st * std::cos(ph), st * std::sin(ph), ct);
            ring += f * f;
        }
        total += ring * st * dt * dp;
    }
    const double fb = cf.Field(0, 0, 1);
    peak = fb * fb;
    if (!(total > 0) || !(peak > 0)) {
        m.error = "the closed-form model gave no field";
        return false;
    }
    const double gain = 10 * std::log10(4 * kPi * peak / total);
    // E plane: the horn's along y (B), the patches' along x (L).
    const bool eAlongY = type == 12;
    for (int k = 0; k < LEVELS; ++k) {
        const double a = k * kPi / 180, s = std::sin(a), c = std::cos(a);
        const double fe = eAlongY ? cf.Field(0, s, c) : cf.Field(s, 0, c);
        const double fh = eAlongY ? cf.Field(s, 0, c) : cf.Field(0, s, c);
        m.e[k] = fe > 0 ? gain + 10 * std::log10(fe * fe / peak) : std::nan("");
        m.h[k] = fh > 0 ? gain + 10 * std::log10(fh * fh / peak) : std::nan("");
    }
    FinishCuts(m, gain);
    return true;
}

bool TheoryCutsAtRange(int type, double rangeWavelengths, double e[LEVELS], double h[LEVELS])
{
    if ((type != 12 && type != 14 && type != 15) || !(rangeWavelengths > 0))
        return false;
    const TheoryDesign &d = DesignOf(type);
    ClosedForm far{type, {}, {}, {}}, near{type, {}, {}, {}};
    if (type == 12) {
        far.horn = HornOf(d.p);
        near.horn = HornOf(d.p, rangeWavelengths);
    } else {
        far.patch = near.patch = PatchOf(d.p);
        far.grid = near.grid = GridOf(type, d.p[4], int(d.p[5]));
        near.grid.range = rangeWavelengths;
    }
    const double peak = far.Field(0, 0, 1);
    if (!(peak > 0))
        return false;
    const bool eAlongY = type == 12;
    for (int k = 0; k < LEVELS; ++k) {
        const double a = k * kPi / 180, s = std::sin(a), c = std::cos(a);
        const double fe = eAlongY ? near.Field(0, s, c) : near.Field(s, 0, c);
        const double fh = eAlongY ? near.Field(s, 0, c) : near.Field(0, s, c);
        e[k] = std::max(-THEORY_DEPTH_DB, fe > 0 ? 20 * std::log10(fe / peak) : -THEORY_DEPTH_DB);
        h[k] = std::max(-THEORY_DEPTH_DB, fh > 0 ? 20 * std::log10(fh / peak) : -THEORY_DEPTH_DB);
    }
    return true;
}
