// SPDX-License-Identifier: GPL-3.0-or-later
// Pattern analysis as pure functions over level arrays: the plot geometry of
// the build rule, the half-power search, rotation and the angle arithmetic of
// markers, cursors and counters. No panel, no global state: other tools can
// reuse them and the tests call them directly. The peak search is PeakIndex
// of pattern_record.h.
#pragma once

constexpr int LEVELS = 360;
constexpr double PI_VIEWER = 3.141592;  // the viewer's pi, kept for identical geometry

// ---- Build rule ------------------------------------------------------------
// Polar graph coordinates of one plane: level L at j degrees lies at radius
// L + 30, angle j clockwise from the top. angle180 is the half turn used at
// 180 degrees (360 or 0; both give the same point).
void BuildPolarBlock(const double levels[LEVELS], int angle180, double x[LEVELS], double y[LEVELS]);
// Cartesian trace of one plane: element 0 is the level at 180 (= -180)
// degrees, element 180 the level at 0 degrees.
void BuildCarBlock(const double levels[LEVELS], double car[LEVELS]);
// The Cartesian angle axis: element k is k - 180.
void BuildArrayX(int arrayX[LEVELS]);

// ---- Half-power beamwidth --------------------------------------------------
constexpr double HALF_POWER_DROP = 3.0;

struct HalfPowerResult {
    bool leftFound = false, rightFound = false;
    double left = -1.0, right = -1.0;  // edges in degrees, whole or half
    double width = 0.0;                // valid when both edges were found
};
// The search around peak index P (edges within half a degree; the left
// search may wrap across 0/360). P <= 1, including -1, finds nothing.
HalfPowerResult HalfPowerSearch(const double levels[LEVELS], int P);

// ---- Angles -------------------------------------------------------------------
// A pattern angle (clockwise from the top) as the graph's mathematical angle
// (counter-clockwise from the x axis) in whole degrees: 90 - a below 90,
// else 450 - a, truncated toward zero.
int FoldAngle(double patternAngle);
// End point of a line from the centre to radius r at a pattern angle,
// through the folded whole-degree angle.
void RadialPoint(double patternAngle, double r, double *x, double *y);
// Any integer as an index 0..359 (the whole circle).
int WrapAngle(int angle);
// A cursor step of +1, -1, -10 or +10 degrees with wrap-around.
int CursorStep(int angle, int step);
// The accumulated-rotation counter after a step of -1, +1, -10 or +10,
// kept within -359..359.
int RotationCounter(int counter, int step);

// ---- Rotation ----------------------------------------------------------------
constexpr int ERR_INVALID_COUNT = -20003;  // n <= 0
constexpr int ERR_SHIFT_TOO_BIG = -20102;  // |shift| >= n
// Copies n doubles; ERR_INVALID_COUNT when n <= 0 (nothing copied).
int Copy1D(const double *in, int n, double *out);
// Linear shift with zero fill: out[k] = in[k - s]; nothing written on error.
int Shift(const double *in, int n, int s, double *out);
// Turns a plane circularly: s > 0 to higher angles (new V[k] = old V[k - s]),
// s < 0 to lower angles. |s| must be 1..359; 0 leaves V as it is.
int RotateLevels(double levels[LEVELS], int s);
