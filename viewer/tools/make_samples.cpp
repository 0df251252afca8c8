// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the sample patterns shipped with the viewer (viewer/samples/*.atn)
// with the shared atn writer, from textbook patterns plus a little
// repeatable measurement noise. The lab's other samples (the good
// measurements, the repeat set and the faults) are swept on the simulated
// rig's textbook antennas by rigsim_samplegen.
//   antenna_samplegen <folder>
#include <cmath>
#include <cstdio>
#include <string>

#include "pattern_file.h"

namespace {

constexpr double kPi = 3.14159265358979;

// Repeatable noise of +-amp dB.
double Noise(unsigned &seed, double amp)
{
    seed = seed * 1103515245u + 12345u;
    return amp * (((seed >> 8) & 0xFFFF) / 32767.5 - 1.0);
}

// A relative pattern (linear field, 1 at the peak) as levels the rig would
// report: top dB at the peak, floored at -30 dB, 0.05 dB steps.
void ToLevels(double (*field)(double), double top, double turn, unsigned seed, double out[360])
{
    for (int i = 0; i < 360; ++i) {
        const double f = std::fabs(field((i - turn) * kPi / 180));
        double db = top + 20 * std::log10(f > 1e-6 ? f : 1e-6) + Noise(seed, 0.3);
        db = std::round(db * 20) / 20;
        out[i] = db < -30 ? -30 : db;
    }
}

double DipoleE(double t)
{
    const double s = std::sin(t);
    return std::fabs(s) < 1e-6 ? 0 : std::cos(kPi / 2 * std::cos(t)) / s;
}
double DipoleH(double t)
{
    return 0.97 + 0.03 * std::cos(2 * t);
}

// A horn: a main lobe of the given half-power width, small side lobes and a
// weak back lobe.
double Horn(double t, double hpbwDeg)
{
    const double u = 2.783 * std::sin(t / 2) / std::sin(hpbwDeg * kPi / 360);
    const double main = std::fabs(u) < 1e-9 ? 1 : std::sin(u) / u;
    return std::fmax(std::fabs(main) * (1 + std::cos(t)) / 2, 0.02);
}
double HornE(double t)
{
    return Horn(t, 28);
}
double HornH(double t)
{
    return Horn(t, 34);
}

// A Yagi: an endfire array of five elements.
double Yagi(double t, double spacing)
{
    double re = 0, im = 0;
    for (int n = 0; n < 5; ++n) {
        const double ph = 2 * kPi * spacing * n * (std::cos(t) - 1.1);
        re += std::cos(ph);
        im += std::sin(ph);
    }
    return std::hypot(re, im) / 5;
}
double YagiE(double t)
{
    return Yagi(t, 0.3) * std::fabs(std::cos(t / 2) * 0.3 + 0.7);
}
double YagiH(double t)
{
    return Yagi(t, 0.3);
}

bool Write(const std::string &path, int type, const char *person, const char *descript, int lines,
           double attn, double (*e)(double), double (*h)(double), double turn, double top)
{
    PatternRecord rec{};
    rec.Antype = type;
    rec.Eattn = rec.Hattn = attn;
    std::snprintf(rec.person, sizeof rec.person, "%s", person);
    std::snprintf(rec.descript, sizeof rec.descript, "%s", descript);
    std::snprintf(rec.Edate, sizeof rec.Edate, "%s", "04-12-2005");
    std::snprintf(rec.Etime, sizeof rec.Etime, "%s", "10:14:52");
    std::snprintf(rec.Hdate, sizeof rec.Hdate, "%s", "04-12-2005");
    std::snprintf(rec.Htime, sizeof rec.Htime, "%s", "10:31:07");
    ToLevels(e, top, turn, 7u + type, rec.e_data);
    ToLevels(h, top - 1.5, turn, 11u + type, rec.h_data);
    std::string text;
    const PatternFileResult r = WritePatternFile(path, PatternFileDataOf(rec, lines, text));
    if (!r.ok)
        std::fprintf(stderr, "%s\n", r.error.c_str());
    return r.ok;
}

}  // namespace

int main(int argc, char **argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    bool ok = true;
    ok &= Write(dir + "/dipole.atn", 0, "Lab group 3",
                "Half-wave dipole, 500 MHz.\nTurntable started with the dipole across the beam.\n",
                2, 0.0, DipoleE, DipoleH, 0, -4.0);
    ok &= Write(dir + "/horn.atn", 12, "Lab group 1",
                "Pyramidal horn, 10 GHz.\nHorn aperture facing 90 degrees at the start.\n", 2, 10.0,
                HornE, HornH, 90, 2.5);
    ok &= Write(dir + "/yagi.atn", 9, "Lab group 2", "Five-element Yagi, 500 MHz.\n", 1, 0.0, YagiE,
                YagiH, 180, -1.0);
    return ok ? 0 : 1;
}
