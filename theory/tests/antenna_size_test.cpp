// SPDX-License-Identifier: GPL-3.0-or-later
// The largest dimension the antenna table gives each type against the
// geometry its model is built from: the wires of its NEC-2 deck, or the
// aperture and patch dimensions of a closed-form type.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "antennas.h"
#include "theory.h"

namespace {

using Point = std::array<double, 3>;

// The end points of every GW card of a deck, in metres.
std::vector<Point> WireEnds(const std::string &deck)
{
    std::vector<Point> ends;
    std::istringstream in(deck);
    for (std::string line; std::getline(in, line);) {
        int tag = 0, segs = 0;
        Point a{}, b{};
        if (std::sscanf(line.c_str(), "GW %d %d %lf %lf %lf %lf %lf %lf", &tag, &segs, &a[0], &a[1],
                        &a[2], &b[0], &b[1], &b[2])
            == 8) {
            ends.push_back(a);
            ends.push_back(b);
        }
    }
    return ends;
}

double Widest(const std::vector<Point> &pts)
{
    double d = 0;
    for (size_t i = 0; i < pts.size(); ++i)
        for (size_t j = i + 1; j < pts.size(); ++j)
            d = std::max(
                d, std::hypot(pts[i][0] - pts[j][0], pts[i][1] - pts[j][1], pts[i][2] - pts[j][2]));
    return d;
}

// The outline of the closed-form types in wavelengths: the horn's aperture,
// the patch, or every corner of every patch of an array (L along x, W along
// y, the circular array without the grid's corners).
double ClosedFormSize(const AntennaEntry &a)
{
    const double *p = a.p;
    if (a.type == 12 || a.type == 13)
        return std::hypot(p[0], p[1]);
    const int n = int(p[5]);
    std::vector<Point> corners;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            if (a.type == 15 && (i == 0 || i == n - 1) && (j == 0 || j == n - 1))
                continue;
            const double x = (i - (n - 1) / 2.0) * p[4], y = (j - (n - 1) / 2.0) * p[4];
            for (double sx : {-0.5, 0.5})
                for (double sy : {-0.5, 0.5})
                    corners.push_back({x + sx * p[1], y + sy * p[0], 0});
        }
    return Widest(corners);
}

TEST(AntennaSize, TableMatchesTheModelledGeometry)
{
    for (int t = 0; t < ANTENNA_TYPES; ++t) {
        const AntennaEntry &a = *AntennaOf(t);
        SCOPED_TRACE(a.name);
        double lambda = 0, size = 0;
        ASSERT_TRUE(AntennaWavelength(t, &lambda));
        ASSERT_TRUE(AntennaSize(t, &size));
        if (a.engine == ModelEngine::Nec2c) {
            const std::vector<Point> ends = WireEnds(NecDeck(t));
            ASSERT_GE(ends.size(), 2u);
            // The deck's coordinates carry a micrometre.
            EXPECT_NEAR(size, Widest(ends), 2e-6 + 1e-5 * lambda);
        } else {
            EXPECT_NEAR(a.sizeWavelengths, ClosedFormSize(a), 1e-5);
        }
    }
}

}  // namespace
