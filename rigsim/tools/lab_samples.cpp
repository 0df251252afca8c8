// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the lab's sample measurements (viewer/samples/*-good.atn, the
// repeat set and one file per fault a lab meets) by sweeping the simulated
// rig's textbook antennas as the measurement program does, with the rig's
// imperfections set as each sample's description says. Run by hand when the
// samples are to change; the files are kept in the repository.
//   rigsim_samplegen <folder>
#include <cmath>
#include <cstdio>
#include <string>

#include "lab_sweep.h"
#include "pattern_file.h"
#include "rig_model.h"

namespace {

struct Sample {
    const char *file;
    int type;
    const char *person;    // the whole line, as the measurement program keeps it
    const char *descript;  // lines joined by LF, no LF at the end
    int lines;
    const char *date;  // MM-DD-YYYY
    int startSeconds;  // time of day the E sweep starts
    double attn = 0;   // dB, the same for both cuts
    double peak = 0;   // the antenna's level at boresight in the far field, dB
    double boresight = 0;
    double rangeM = 0;
    double misalignE = 0, misalignH = 0;
    double noise = 0.05;
    double drift = 0;
    unsigned seed = 1;
    double stepMs = 500;     // the turntable's time per degree
    double remountMs = 9e4;  // between the E and the H sweep
};

// The text of each description is at most 200 characters, the file's limit.
const Sample kSamples[] = {
    // One good measurement per antenna: far field, little noise, aligned.
    {"dipole-good.atn", 0, "A. Student, lab group 3",
     "Half-wave dipole, 500 MHz: a good measurement.\n"
     "Simulated: rigsim textbook model at 5 m (far field),\n"
     "noise 0.05 dB, no attenuation.",
     3, "03-10-2026", 9 * 3600 + 12 * 60, 0, -3.0, 0, 5.0, 0, 0, 0.05, 0, 11},
    {"horn-good.atn", 12, "A. Student, lab group 1",
     "Pyramidal horn, 10 GHz: a good measurement.\n"
     "Simulated: rigsim textbook model at 3 m (far field,\n"
     "2D^2/lambda = 1.2 m), noise 0.05 dB, 10 dB attenuation.",
     3, "03-10-2026", 10 * 3600 + 5 * 60, 10, 6.0, 0, 3.0, 0, 0, 0.05, 0, 12},
    {"yagi-good.atn", 9, "A. Student, lab group 2",
     "Three-element Yagi, 500 MHz: a good measurement.\n"
     "Simulated: rigsim textbook model at 6 m (far field),\n"
     "noise 0.05 dB, no attenuation.",
     3, "03-10-2026", 11 * 3600 + 40 * 60, 0, -1.0, 0, 6.0, 0, 0, 0.05, 0, 13},
    {"monopole-good.atn", 3, "A. Student, lab group 4",
     "Quarter-wave monopole over ground, 500 MHz: a good\n"
     "measurement. Simulated: rigsim textbook model at 5 m,\n"
     "noise 0.05 dB, no attenuation.",
     3, "03-11-2026", 9 * 3600 + 3 * 60, 0, -2.0, 0, 5.0, 0, 0, 0.05, 0, 14},
    {"patch-good.atn", 13, "A. Student, lab group 5",
     "Rectangular patch, 10 GHz: a good measurement.\n"
     "Simulated: rigsim textbook model at 2 m (far field),\n"
     "noise 0.05 dB, no attenuation.",
     3, "03-11-2026", 10 * 3600 + 21 * 60, 0, -4.0, 0, 2.0, 0, 0, 0.05, 0, 15},
    {"patch-array-good.atn", 14, "A. Student, lab group 6",
     "4 x 4 patch array, 10 GHz: a good measurement.\n"
     "Simulated: rigsim textbook model at 3 m (far field,\n"
     "2D^2/lambda = 0.72 m), noise 0.05 dB, 10 dB attenuation.",
     3, "03-11-2026", 11 * 3600 + 2 * 60, 10, 8.0, 0, 3.0, 0, 0, 0.05, 0, 16},
    {"helix-good.atn", 11, "A. Student, lab group 7",
     "Axial-mode helix, 10 turns, 10 GHz: a good measurement.\n"
     "Simulated: rigsim textbook model at 2 m (far field),\n"
     "noise 0.05 dB, 10 dB attenuation.",
     3, "03-12-2026", 9 * 3600 + 30 * 60, 10, 5.0, 0, 2.0, 0, 0, 0.05, 0, 17},

    // A repeat set: the same Yagi swept four times, remounted in between.
    {"yagi-repeat-1.atn", 9, "B. Student, lab group 2",
     "Yagi, 500 MHz: repeat 1 of 4, remounted before each.\n"
     "Simulated: rigsim textbook model at 6 m, noise 0.05 dB,\n"
     "aligned.",
     3, "03-12-2026", 13 * 3600 + 2 * 60, 0, -1.0, 0, 6.0, 0, 0, 0.05, 0, 21},
    {"yagi-repeat-2.atn", 9, "B. Student, lab group 2",
     "Yagi, 500 MHz: repeat 2 of 4, remounted before each.\n"
     "Simulated: rigsim textbook model at 6 m, noise 0.05 dB,\n"
     "started 2 deg off, E cut 1.5 deg off the beam.",
     3, "03-12-2026", 13 * 3600 + 16 * 60, 0, -1.2, 2, 6.0, 1.5, 0, 0.05, 0, 22},
    {"yagi-repeat-3.atn", 9, "B. Student, lab group 2",
     "Yagi, 500 MHz: repeat 3 of 4, remounted before each.\n"
     "Simulated: rigsim textbook model at 6 m, noise 0.05 dB,\n"
     "started 1 deg off, H cut 2 deg off the beam.",
     3, "03-12-2026", 13 * 3600 + 31 * 60, 0, -0.8, -1, 6.0, 0, 2, 0.05, 0, 23},
    {"yagi-repeat-4.atn", 9, "B. Student, lab group 2",
     "Yagi, 500 MHz: repeat 4 of 4, remounted before each.\n"
     "Simulated: rigsim textbook model at 6 m, noise 0.08 dB,\n"
     "both cuts 1 deg off the beam.",
     3, "03-12-2026", 13 * 3600 + 47 * 60, 0, -1.0, 1, 6.0, 1, 1, 0.08, 0, 24},

    // One file per fault a lab meets.
    {"horn-too-close.atn", 12, "C. Student, lab group 1",
     "Horn, 10 GHz, measured too close: at 0.25 m, below\n"
     "2D^2/lambda = 1.2 m. Main lobe broadened, nulls filled.\n"
     "Check: atn check --distance 0.25. Simulated: rigsim.",
     3, "03-13-2026", 9 * 3600 + 45 * 60, 10, 6.0, 0, 0.25, 0, 0, 0.05, 0, 31},
    {"dipole-drift.atn", 0, "C. Student, lab group 3",
     "Dipole, 500 MHz, with the level drifting +0.8 dB/min\n"
     "(a warming source): the H circle does not close and the\n"
     "planes' peaks differ. Simulated: rigsim at 5 m.",
     3, "03-13-2026", 10 * 3600 + 30 * 60, 0, -3.0, 0, 5.0, 0, 0, 0.05, 0.8, 32},
    {"horn-misaligned.atn", 12, "C. Student, lab group 1",
     "Horn, 10 GHz, planes misaligned: mounted for the H cut\n"
     "8 deg off the beam, so the H peak reads low.\n"
     "Simulated: rigsim at 3 m, noise 0.05 dB.",
     3, "03-13-2026", 11 * 3600 + 15 * 60, 10, 6.0, 0, 3.0, 0, 8, 0.05, 0, 33},
    {"yagi-noisy.atn", 9, "C. Student, lab group 2",
     "Yagi, 500 MHz, noisy: one reading per step with 0.6 dB\n"
     "of receiver noise; average several readings per step.\n"
     "Simulated: rigsim at 6 m.",
     3, "03-13-2026", 13 * 3600 + 10 * 60, 0, -1.0, 0, 6.0, 0, 0, 0.6, 0, 34},
};

std::string Clock(double seconds)
{
    const long s = long(std::lround(seconds)) % 86400;
    char t[16];
    std::snprintf(t, sizeof t, "%02ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    return t;
}

bool Write(const std::string &dir, const Sample &s)
{
    rigsim::RigModel rig;
    rig.setLineSpeed(9600);
    rig.setStepTimeMs(s.stepMs);
    rig.setInitTimeMs(2000);
    rig.setSeed(s.seed);
    rig.update([&](rigsim::RigState &st) {
        st.attenuation = s.attn;
        st.peakDb = s.peak;
        st.boresight = s.boresight;
        st.misalignE = s.misalignE;
        st.misalignH = s.misalignH;
        st.noiseDb = s.noise;
        st.driftDbPerMin = s.drift;
    });
    rig.setRange(s.rangeM);
    rig.setAntennaType(s.type);
    if (!rig.cuts().textbook) {
        std::fprintf(stderr, "%s: no textbook model: %s\n", s.file, rig.cuts().note.c_str());
        return false;
    }
    const rigsim::LabSweep e = rigsim::SweepCut(rig, rigsim::Plane::E, 0.0);
    const rigsim::LabSweep h = rigsim::SweepCut(rig, rigsim::Plane::H, e.endMs + s.remountMs);
    if (!e.complete || !h.complete) {
        std::fprintf(stderr, "%s: a sweep did not complete\n", s.file);
        return false;
    }
    const std::string person = std::string(s.person) + "\n";
    const std::string text = KestoTextBlock(person, s.descript);
    // Kesto stamps each plane when its sweep ends.
    const std::string eTime = Clock(s.startSeconds + e.endMs / 1000.0);
    const std::string hTime = Clock(s.startSeconds + h.endMs / 1000.0);
    PatternFileData d;
    d.Antype = s.type;
    d.Eattn = d.Hattn = s.attn;
    d.lines = s.lines;
    d.text = text;
    d.Edate = d.Hdate = s.date;
    d.Etime = eTime;
    d.Htime = hTime;
    d.e_data = e.levels;
    d.h_data = h.levels;
    const PatternFileResult r = WritePatternFile(dir + "/" + s.file, d);
    if (!r.ok)
        std::fprintf(stderr, "%s\n", r.error.c_str());
    else
        std::printf("%s\n", s.file);
    return r.ok;
}

}  // namespace

int main(int argc, char **argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    bool ok = true;
    for (const Sample &s : kSamples)
        ok = Write(dir, s) && ok;
    return ok ? 0 : 1;
}
