// SPDX-License-Identifier: GPL-3.0-or-later
#include "textbook_antenna.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

#include "antennas.h"
#include "near_field.h"
#include "theory.h"

namespace rigsim {
namespace {

void Tabulate(AntennaCuts &c)
{
    for (int k = 0; k < 360; ++k) {
        c.e[k] = PatternLevelDb(c.standIn, Plane::E, k, 0.0);
        c.h[k] = PatternLevelDb(c.standIn, Plane::H, k, 0.0);
    }
    c.tabulated = true;
}

AntennaCuts Build(int type, double rangeM, bool handMade)
{
    AntennaCuts c;
    c.type = type;
    c.rangeM = rangeM;
    c.standIn = StandInOf(type);
    if (type == kIsotropic)
        return c;  // flat at every distance
    if (!handMade) {
        const TheoryModel &m = TheoryModelOf(type);
        if (m.ok) {
            c.textbook = true;
            c.tabulated = true;
            const double peak =
                std::max(*std::max_element(m.e, m.e + 360), *std::max_element(m.h, m.h + 360));
            for (int k = 0; k < 360; ++k) {
                c.e[k] = m.e[k] - peak;
                c.h[k] = m.h[k] - peak;
            }
        } else {
            c.note = "the textbook model of " + AntennaLabel(type) + " cannot be computed ("
                     + m.error + "); the hand-made " + AntennaName(c.standIn)
                     + " pattern stands in";
            std::fprintf(stderr, "rigsim: %s\n", c.note.c_str());
        }
    }
    double size = 0, lambda = 0;
    if (rangeM > 0 && AntennaSize(type, &size) && AntennaWavelength(type, &lambda)) {
        // The aperture types' own models take the source's phase exactly;
        // the others go through the line-aperture model of near_field.h.
        if (c.textbook && TheoryCutsAtRange(type, rangeM / lambda, c.e, c.h))
            return c;
        if (!c.tabulated)
            Tabulate(c);
        double far[360];
        for (double *cut : {c.e, c.h}) {
            std::copy(cut, cut + 360, far);
            NearFieldCut(far, size / lambda, rangeM / lambda, cut);
        }
    }
    return c;
}

}  // namespace

double AntennaCuts::level(Plane plane, double degrees) const
{
    if (!tabulated)
        return PatternLevelDb(standIn, plane, degrees, 0.0);
    double a = std::fmod(degrees, 360.0);
    if (a < 0)
        a += 360.0;
    if (!(a >= 0 && a < 360.0))  // NaN, or -tiny wrapped to 360
        a = 0;
    const int i = std::min(359, int(a));
    const double f = a - i;
    const double *cut = plane == Plane::E ? e : h;
    return cut[i] * (1.0 - f) + cut[(i + 1) % 360] * f;
}

const AntennaCuts &CutsOf(int type, double rangeM, bool handMade)
{
    if (type < kIsotropic || type >= kLibraryTypes)
        type = kIsotropic;
    if (!(rangeM > 0) || !std::isfinite(rangeM))
        rangeM = 0;
    static std::mutex mutex;
    static std::map<std::tuple<int, double, bool>, std::unique_ptr<AntennaCuts>> cache;
    std::lock_guard lock(mutex);
    auto &slot = cache[{type, rangeM, handMade}];
    if (!slot)
        slot = std::make_unique<AntennaCuts>(Build(type, rangeM, handMade));
    return *slot;
}

int TypeOf(Antenna antenna)
{
    switch (antenna) {
    case Antenna::Dipole:
        return 0;
    case Antenna::Horn:
        return 12;
    case Antenna::Yagi:
        return 9;
    case Antenna::Isotropic:
        break;
    }
    return kIsotropic;
}

Antenna StandInOf(int type)
{
    if (type == 9 || type == 11)
        return Antenna::Yagi;
    if (type >= 12 && type < kLibraryTypes)
        return Antenna::Horn;
    if (type >= 0 && type < 12)
        return Antenna::Dipole;
    return Antenna::Isotropic;
}

std::string AntennaLabel(int type)
{
    const char *name = AntennaNameOf(type);
    if (!name)
        return "isotropic";
    return std::string(name) + ", type " + std::to_string(type);
}

bool ParseAntennaType(std::string_view text, int *type)
{
    Antenna a;
    if (ParseAntenna(text, &a)) {
        *type = TypeOf(a);
        return true;
    }
    int v = -1;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || v < 0
        || v >= kLibraryTypes)
        return false;
    *type = v;
    return true;
}

}  // namespace rigsim
