// SPDX-License-Identifier: GPL-3.0-or-later
#include "near_field.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace rigsim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kHalf = 90;  // the forward half: -90 .. 90 degrees
// A minimum this far below the top of the lobe before it is a null, where
// the field changes sign; a shallower dip is a ripple within one lobe.
constexpr double kNullDepthDb = 6.0;
// Samples of the aperture per wavelength: the distribution of a pattern
// over visible angles has no detail finer than half a wavelength.
constexpr double kApertureStep = 1.0 / 16.0;

double At(const double cut[360], int degrees)
{
    return cut[((degrees % 360) + 360) % 360];
}

// The signed field of the forward half, index t + kHalf for t = -90 .. 90.
std::vector<double> SignedField(const double cut[360])
{
    std::vector<double> g(2 * kHalf + 1);
    g[kHalf] = std::pow(10.0, At(cut, 0) / 20.0);
    for (int dir : {1, -1}) {
        double sign = 1.0, top = At(cut, 0);
        for (int t = 1; t <= kHalf; ++t) {
            const int deg = dir * t;
            const double v = At(cut, deg);
            top = std::max(top, v);
            if (v < At(cut, deg - dir) && v <= At(cut, deg + dir) && top - v >= kNullDepthDb) {
                sign = -sign;
                top = v;
            }
            g[kHalf + deg] = sign * std::pow(10.0, v / 20.0);
        }
    }
    return g;
}

}  // namespace

double EdgePhaseError(double sizeWavelengths, double rangeWavelengths)
{
    if (!(rangeWavelengths > 0))
        return 0.0;
    return kPi * sizeWavelengths * sizeWavelengths / (4.0 * rangeWavelengths);
}

void NearFieldCut(const double farDb[360], double sizeWavelengths, double rangeWavelengths,
                  double outDb[360])
{
    std::copy(farDb, farDb + 360, outDb);
    if (!(rangeWavelengths > 0) || !(sizeWavelengths > 0) || !std::isfinite(rangeWavelengths)
        || !std::isfinite(sizeWavelengths))
        return;
    const double lowest = *std::min_element(farDb, farDb + 360);
    const std::vector<double> g = SignedField(farDb);

    // The aperture distribution over |x| <= D / 2, by the trapezoid rule
    // over the angles (du = cos(angle) d(angle); the ends weigh nothing).
    const int m = std::max(1, int(std::ceil(sizeWavelengths / 2.0 / kApertureStep)));
    const double dth = kPi / 180.0;
    std::vector<double> x(2 * m + 1);
    std::vector<std::complex<double>> a(2 * m + 1);
    for (int i = 0; i <= 2 * m; ++i) {
        x[i] = (i - m) * kApertureStep;
        std::complex<double> s = 0.0;
        for (int t = -kHalf + 1; t < kHalf; ++t) {
            const double th = t * dth;
            s += g[kHalf + t] * std::cos(th) * std::polar(1.0, -2.0 * kPi * x[i] * std::sin(th));
        }
        a[i] = s * dth;
    }
    std::vector<std::complex<double>> chirp(2 * m + 1);
    for (int i = 0; i <= 2 * m; ++i)
        chirp[i] = std::polar(1.0, -kPi * x[i] * x[i] / rangeWavelengths);

    for (int t = -kHalf; t <= kHalf; ++t) {
        const double u = std::sin(t * dth);
        std::complex<double> near = 0.0, far = 0.0;
        for (int i = 0; i <= 2 * m; ++i) {
            const std::complex<double> term = a[i] * std::polar(1.0, 2.0 * kPi * x[i] * u);
            far += term;
            near += term * chirp[i];
        }
        const double f = std::abs(g[kHalf + t] + (near - far) * kApertureStep);
        const double db = f > 0 ? 20.0 * std::log10(f) : lowest;
        outDb[((t % 360) + 360) % 360] = std::max(lowest, db);
    }
}

}  // namespace rigsim
