// SPDX-License-Identifier: GPL-3.0-or-later
#include "antenna_pattern.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace rigsim {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Sinc(double x)
{
    if (std::fabs(x) < 1e-9)
        return 1.0;
    return std::sin(kPi * x) / (kPi * x);
}

// Half-wave dipole lying across the cut, phi from broadside.
double DipoleField(double phi)
{
    double c = std::cos(phi);
    if (std::fabs(c) < 1e-9)
        return 0.0;
    return std::fabs(std::cos(kPi / 2.0 * std::sin(phi)) / c);
}

// Aperture of the horn: uniform across the E plane, cosine-tapered across
// the H plane, times the forward obliquity factor.
double HornField(Plane plane, double phi)
{
    double oblique = (1.0 + std::cos(phi)) / 2.0;
    if (plane == Plane::E)
        return std::fabs(Sinc(2.0 * std::sin(phi))) * oblique;
    double u = 2.5 * std::sin(phi);
    double d = 1.0 - 4.0 * u * u;
    double f = std::fabs(d) < 1e-9 ? kPi / 4.0 : std::cos(kPi * u) / d;
    return std::fabs(f) * oblique;
}

// Six-element end-fire array, quarter-wave spacing, Hansen-Woodyard phasing.
// In the E plane each element adds the dipole's own pattern.
double YagiField(Plane plane, double phi)
{
    const int n = 6;
    double psi = 2.0 * kPi * 0.25 * (std::cos(phi) - 1.0) - kPi / n;
    double den = n * std::sin(psi / 2.0);
    double af = std::fabs(den) < 1e-12 ? 1.0 : std::fabs(std::sin(n * psi / 2.0) / den);
    return plane == Plane::E ? af * DipoleField(phi) : af;
}

double Field(Antenna antenna, Plane plane, double phi)
{
    switch (antenna) {
    case Antenna::Dipole:
        return plane == Plane::E ? DipoleField(phi) : 1.0;
    case Antenna::Horn:
        return HornField(plane, phi);
    case Antenna::Yagi:
        return YagiField(plane, phi);
    case Antenna::Isotropic:
        break;
    }
    return 1.0;
}

// Largest field of each pattern, found once, so that every pattern peaks at
// exactly its peak level.
double FieldMax(Antenna antenna, Plane plane)
{
    static const std::array<double, 8> maxima = [] {
        std::array<double, 8> m{};
        for (int a = 0; a < 4; ++a)
            for (int p = 0; p < 2; ++p) {
                double best = 0.0;
                for (int i = 0; i < 3600; ++i)
                    best = std::max(best, Field(Antenna(a), Plane(p), i * kPi / 1800.0));
                m[a * 2 + p] = best;
            }
        return m;
    }();
    return maxima[int(antenna) * 2 + int(plane)];
}

}  // namespace

double PatternLevelDb(Antenna antenna, Plane plane, double angleDegrees, double peakDb)
{
    double phi = angleDegrees * kPi / 180.0;
    double f = Field(antenna, plane, phi) / FieldMax(antenna, plane);
    // Power sum with the fill-in level keeps the nulls finite and smooth.
    double rel = f * f + std::pow(10.0, -kPatternDepthDb / 10.0);
    double levelAtPeak = 1.0 + std::pow(10.0, -kPatternDepthDb / 10.0);
    return peakDb + 10.0 * std::log10(rel / levelAtPeak);
}

bool ParseAntenna(std::string_view name, Antenna *out)
{
    struct Entry {
        std::string_view name;
        Antenna antenna;
    };
    static constexpr Entry table[] = {
        {"dipole", Antenna::Dipole}, {"horn", Antenna::Horn},           {"yagi", Antenna::Yagi},
        {"iso", Antenna::Isotropic}, {"isotropic", Antenna::Isotropic},
    };
    for (const Entry &e : table)
        if (e.name == name) {
            *out = e.antenna;
            return true;
        }
    return false;
}

const char *AntennaName(Antenna antenna)
{
    switch (antenna) {
    case Antenna::Dipole:
        return "dipole";
    case Antenna::Horn:
        return "horn";
    case Antenna::Yagi:
        return "yagi";
    case Antenna::Isotropic:
        break;
    }
    return "iso";
}

bool ParsePlane(std::string_view name, Plane *out)
{
    if (name == "E" || name == "e") {
        *out = Plane::E;
        return true;
    }
    if (name == "H" || name == "h") {
        *out = Plane::H;
        return true;
    }
    return false;
}

const char *PlaneName(Plane plane)
{
    return plane == Plane::E ? "E" : "H";
}

}  // namespace rigsim
