// SPDX-License-Identifier: GPL-3.0-or-later
// Pure pattern analysis: build rule, half-power search, rotation, angles.
#include "analysis.h"

#include <cmath>
#include <cstdlib>

void BuildPolarBlock(const double levels[LEVELS], int angle180, double x[LEVELS], double y[LEVELS])
{
    for (int j = 0; j < LEVELS; ++j) {
        // Turned half a circle: sin(a) * -(r) equals r * sin(j).
        const int a = j < 180 ? j + 180 : (j > 180 ? j - 180 : angle180);
        const double theta = PI_VIEWER * a / 180.0;
        const double r = levels[j] + 30.0;
        x[j] = std::sin(theta) * -r;
        y[j] = std::cos(theta) * -r;
    }
}

void BuildCarBlock(const double levels[LEVELS], double car[LEVELS])
{
    for (int k = 0; k < 180; ++k) {
        car[k] = levels[k + 180];
        car[180 + k] = levels[k];
    }
}

void BuildArrayX(int arrayX[LEVELS])
{
    for (int k = 0; k < LEVELS; ++k)
        arrayX[k] = k - 180;
}

namespace {

// The two tests of one search step at sample i with its outer neighbour
// next: the level exactly 3 dB down at i, or the crossing between i and next.
bool EdgeAt(const double *V, int P, int i, int next, double *edge, double half)
{
    const double d = V[P] - V[i];
    if (d == HALF_POWER_DROP) {
        *edge = i;
        return true;
    }
    if (d < HALF_POWER_DROP && V[P] - V[next] > HALF_POWER_DROP) {
        *edge = i + half;
        return true;
    }
    return false;
}

}  // namespace

HalfPowerResult HalfPowerSearch(const double V[LEVELS], int P)
{
    HalfPowerResult r;
    if (P <= 1 || P >= LEVELS)
        return r;
    // Right edge, upwards without wrap-around: 359 is the last sample seen.
    for (int i = 1; i < 359 - P && !r.rightFound; ++i)
        r.rightFound = EdgeAt(V, P, P + i, P + i + 1, &r.right, 0.5);
    // Left edge, downwards to 1, then on from 359 down past the peak.
    for (int i = P - 1; i >= 1 && !r.leftFound; --i)
        r.leftFound = EdgeAt(V, P, i, i - 1, &r.left, -0.5);
    for (int i = 359; i >= P + 2 && !r.leftFound; --i)
        r.leftFound = EdgeAt(V, P, i, i - 1, &r.left, -0.5);
    if (r.leftFound && r.rightFound) {
        const double lo = std::fmin(r.left, r.right), hi = std::fmax(r.left, r.right);
        r.width = lo <= P && P <= hi ? hi - lo : 360.0 - (hi - lo);
    }
    return r;
}

int FoldAngle(double e)
{
    return int(e < 90.0 ? 90.0 - e : 450.0 - e);
}

void RadialPoint(double patternAngle, double r, double *x, double *y)
{
    const int a = FoldAngle(patternAngle);
    *x = r * std::cos(PI_VIEWER * a / 180.0);
    *y = r * std::sin(PI_VIEWER * a / 180.0);
}

int WrapAngle(int angle)
{
    return ((angle % LEVELS) + LEVELS) % LEVELS;
}

int CursorStep(int a, int step)
{
    switch (step) {
    case 1:
        return a == 359 ? 0 : a + 1;
    case -1:
        return a == 0 ? 359 : a - 1;
    case -10:
        return a >= 0 && a <= 9 ? a + 350 : a - 10;
    case 10:
        return a + 10 >= 360 ? a + 10 - 360 : a + 10;
    default:
        return a;
    }
}

int RotationCounter(int c, int step)
{
    switch (step) {
    case -1:
        return c == -359 ? 0 : c - 1;
    case 1:
        return c == 359 ? 0 : c + 1;
    case -10:
        return c <= -350 ? c + 350 : c - 10;
    case 10:
        return c >= 350 ? c - 350 : c + 10;
    default:
        return c;
    }
}

int Copy1D(const double *in, int n, double *out)
{
    if (n <= 0)
        return ERR_INVALID_COUNT;
    for (int k = 0; k < n; ++k)
        out[k] = in[k];
    return 0;
}

int Shift(const double *in, int n, int s, double *out)
{
    if (n <= 0)
        return ERR_INVALID_COUNT;
    if (std::abs(s) >= n)
        return ERR_SHIFT_TOO_BIG;
    if (s == 0)
        return Copy1D(in, n, out);
    if (s > 0) {
        for (int k = n - 1; k >= s; --k)
            out[k] = in[k - s];
        for (int k = 0; k < s; ++k)
            out[k] = 0.0;
    } else {
        const int m = -s;
        for (int k = 0; k <= n - 1 - m; ++k)
            out[k] = in[k + m];
        for (int k = n - m; k < n; ++k)
            out[k] = 0.0;
    }
    return 0;
}

int RotateLevels(double V[LEVELS], int s)
{
    double T[LEVELS];
    const int r = Shift(V, LEVELS, s, T);
    if (r != 0)
        return r;
    if (s > 0)
        for (int k = 0; k < s; ++k)
            T[k] = V[LEVELS - s + k];
    else
        for (int k = 0; k < -s; ++k)
            T[LEVELS + s + k] = V[k];
    return Copy1D(T, LEVELS, V);
}
