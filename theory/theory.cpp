// SPDX-License-Identifier: GPL-3.0-or-later
// The design of each type (its row of the antenna table), the NEC-2 decks
// and process, the pattern-table parser, the closed-form aperture and patch
// models, and the comparisons.
#include "theory.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "lobe.h"
#include "pattern_record.h"

extern char **environ;

namespace {

constexpr double kPi = 3.14159265358979323846;
}  // namespace

const char NEC2C_MISSING[] =
    "nec2c is not installed: install the Debian package nec2c for the wire antennas' models";

const TheoryDesign &DesignOf(int type)
{
    return *AntennaOf(std::clamp(type, 0, THEORY_TYPES - 1));
}

const char *EngineName(TheoryEngine e)
{
    return e == TheoryEngine::Nec2c ? "nec2c" : "closed form";
}

// ---- NEC-2 process ------------------------------------------------------------

namespace {

struct NecJob {
    std::string dir;
    pid_t pid = -1;
    std::string error;
};

bool WriteWhole(const std::string &path, const std::string &text)
{
    std::ofstream f(path, std::ios::binary);
    f << text;
    f.close();
    return bool(f);
}

void RemoveJobFiles(const NecJob &job)
{
    if (job.dir.empty())
        return;
    std::remove((job.dir + "/deck.nec").c_str());
    std::remove((job.dir + "/deck.out").c_str());
    rmdir(job.dir.c_str());
}

NecJob StartNec(const std::string &deck)
{
    NecJob job;
    const char *tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/veloran-nec-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) {
        job.error = std::string("cannot make a folder for nec2c: ") + std::strerror(errno);
        return job;
    }
    job.dir = buf.data();
    const std::string in = job.dir + "/deck.nec", out = job.dir + "/deck.out";
    if (!WriteWhole(in, deck)) {
        job.error = "cannot write the nec2c deck in " + job.dir;
        RemoveJobFiles(job);
        job.dir.clear();
        return job;
    }
    const std::string inArg = "-i" + in, outArg = "-o" + out;
    char *argv[] = {const_cast<char *>("nec2c"), const_cast<char *>(inArg.c_str()),
                    const_cast<char *>(outArg.c_str()), nullptr};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&job.pid, "nec2c", &fa, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) {
        job.pid = -1;
        job.error = rc == ENOENT ? std::string(NEC2C_MISSING)
                                 : std::string("cannot run nec2c: ") + std::strerror(rc);
        RemoveJobFiles(job);
        job.dir.clear();
    }
    return job;
}

bool FinishNec(NecJob &job, int timeoutMs, std::string &output, std::string &error)
{
    if (job.pid < 0) {
        error = job.error;
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    bool done = false;
    while (!done) {
        const pid_t r = waitpid(job.pid, &status, WNOHANG);
        if (r == job.pid) {
            done = true;
        } else if (r < 0 && errno != EINTR) {
            error = std::string("lost the nec2c process: ") + std::strerror(errno);
            RemoveJobFiles(job);
            return false;
        } else if (std::chrono::steady_clock::now() > deadline) {
            kill(job.pid, SIGKILL);
            waitpid(job.pid, &status, 0);
            error = "nec2c took longer than " + std::to_string(timeoutMs / 1000) + " s; stopped";
            RemoveJobFiles(job);
            return false;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::ifstream f(job.dir + "/deck.out", std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    output = ss.str();
    RemoveJobFiles(job);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "nec2c failed on the deck (status " + std::to_string(WEXITSTATUS(status)) + ")";
        return false;
    }
    if (output.empty()) {
        error = "nec2c wrote no output";
        return false;
    }
    return true;
}

}  // namespace

bool RunNec2c(const std::string &deck, std::string &output, std::string &error, int timeoutMs)
{
    NecJob job = StartNec(deck);
    return FinishNec(job, timeoutMs, output, error);
}

std::vector<std::vector<NecPatternRow>> ParseNecPatterns(const std::string &output)
{
    std::vector<std::vector<NecPatternRow>> tables;
    std::istringstream in(output);
    std::string line;
    bool inTable = false, inRows = false;
    while (std::getline(in, line)) {
        if (line.find("RADIATION PATTERNS") != std::string::npos) {
            tables.emplace_back();
            inTable = true;
            inRows = false;
            continue;
        }
        if (!inTable)
            continue;
        NecPatternRow row{};
        double vert = 0, horiz = 0;
        // A whole row has eleven fields (twelve with the polarisation sense);
        // fewer is a row cut short, which is not taken.
        std::istringstream fields(line);
        int count = 0;
        for (std::string field; fields >> field;)
            ++count;
        const bool numeric = count >= 11
                             && std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf", &row.theta,
                                            &row.phi, &vert, &horiz, &row.total)
                                    == 5;
        if (numeric) {
            inRows = true;
            tables.back().push_back(row);
        } else if (inRows) {
            inTable = inRows = false;  // the first line after the rows ends the table
        }
    }
    return tables;
}

std::vector<size_t> NecTableRows(const std::string &deck)
{
    std::vector<size_t> rows;
    bool ground = false;
    std::istringstream in(deck);
    for (std::string line; std::getline(in, line);) {
        int groundType = 0;
        if (std::sscanf(line.c_str(), "GN %d", &groundType) == 1)
            ground = groundType != -1;
        int mode = 0, nth = 0, nph = 0, xnda = 0;
        double thets = 0, phis = 0, dth = 0, dph = 0;
        if (std::sscanf(line.c_str(), "RP %d %d %d %d %lf %lf %lf %lf", &mode, &nth, &nph, &xnda,
                        &thets, &phis, &dth, &dph)
                != 8
            || nth < 1 || nph < 1)
            continue;
        // Over a ground nec2c leaves out the directions below the horizon.
        size_t thetas = 0;
        for (int i = 0; i < nth; ++i)
            thetas += !ground || thets + i * dth <= 90.0 + 1e-6;
        rows.push_back(thetas * size_t(nph));
    }
    return rows;
}

std::string NecOutputProblem(const std::string &deck, const std::string &output)
{
    const std::vector<size_t> want = NecTableRows(deck);
    const auto tables = ParseNecPatterns(output);
    if (tables.size() > want.size())
        return "nec2c gave " + std::to_string(tables.size()) + " pattern tables, not "
               + std::to_string(want.size());
    for (size_t t = 0; t < want.size(); ++t) {
        const size_t got = t < tables.size() ? tables[t].size() : 0;
        if (t >= tables.size() || got != want[t])
            return "nec2c's output is incomplete: pattern table " + std::to_string(t + 1) + " of "
                   + std::to_string(want.size()) + " has " + std::to_string(got) + " of its "
                   + std::to_string(want[t]) + " rows"
                   + (t >= tables.size() ? " (the output ends before it)" : "");
    }
    // A whole run ends with its run time, after the last table; the engine
    // exits with status 0 even when writing its output failed.
    const size_t last = output.rfind("RADIATION PATTERNS");
    if (output.find("RUN TIME", last == std::string::npos ? 0 : last) == std::string::npos)
        return "nec2c's output is incomplete: it ends without the closing RUN TIME line";
    return {};
}

// ---- Decks ------------------------------------------------------------------------

namespace {

struct Point {
    double x, y, z;
};

// How a cut is read from the engine's tables: angle psi from the start
// direction (kit angle 0) in a plane through the z axis at azimuth phi0
// (direction sin psi cos phi0, sin psi sin phi0, cos psi), or round a cone
// at elevation theta0 (psi is the azimuth).
struct Cut {
    bool thetaCut;
    double fixed;  // phi0 or theta0, degrees
    int start;     // psi of kit angle 0
};

struct WireDesign {
    std::string wires;  // GW cards
    int feedTag = 1, feedSeg = 1;
    bool ground = false;
    Cut e{}, h{};
};

class DeckWriter {
public:
    explicit DeckWriter(double lambda) : lambda_(lambda) {}
    // A straight wire in wavelengths; returns its tag.
    int Wire(Point a, Point b, int segs, double radius)
    {
        char buf[256];
        std::snprintf(buf, sizeof buf, "GW %d %d %.6f %.6f %.6f %.6f %.6f %.6f %.7f\n", ++tag_,
                      segs, a.x * lambda_, a.y * lambda_, a.z * lambda_, b.x * lambda_,
                      b.y * lambda_, b.z * lambda_, radius * lambda_);
        text_ += buf;
        return tag_;
    }
    // A polyline, one segment per piece; returns the first tag.
    int Polyline(const std::vector<Point> &pts, double radius)
    {
        const int first = tag_ + 1;
        for (size_t i = 0; i + 1 < pts.size(); ++i)
            Wire(pts[i], pts[i + 1], 1, radius);
        return first;
    }
    const std::string &Text() const { return text_; }

private:
    double lambda_;
    int tag_ = 0;
    std::string text_;
};

WireDesign WireGeometry(const TheoryDesign &d)
{
    const double lambda = WavelengthMetres(d.frequencyMhz);
    DeckWriter w(lambda);
    WireDesign g;
    const Cut axisE{true, 0, 90}, roundH{false, 90, 0};
    g.e = axisE;
    g.h = roundH;
    const double *p = d.p;
    switch (d.type) {
    case 0:
    case 1:
        g.feedTag = w.Wire({0, 0, -p[0] / 2}, {0, 0, p[0] / 2}, 21, p[1]);
        g.feedSeg = 11;
        break;
    case 2: {
        g.feedTag = w.Wire({0, 0, -p[0] / 2}, {0, 0, p[0] / 2}, 21, p[1]);
        g.feedSeg = 11;
        w.Wire({0, 0, p[0] / 2}, {p[2], 0, p[0] / 2}, 1, p[1]);
        w.Wire({p[2], 0, p[0] / 2}, {p[2], 0, -p[0] / 2}, 21, p[1]);
        w.Wire({p[2], 0, -p[0] / 2}, {0, 0, -p[0] / 2}, 1, p[1]);
        g.e = {true, 90, 90};  // the plane across the pair, where both wires look alike
        break;
    }
    case 3:
    case 4:
        g.feedTag = w.Wire({0, 0, 0}, {0, 0, p[0]}, 11, p[1]);
        g.feedSeg = 1;
        g.ground = true;
        break;
    case 5: {
        g.feedTag = w.Wire({0, 0, 0}, {0, 0, p[0]}, 11, p[3]);
        g.feedSeg = 1;
        const double droop = p[2] * kPi / 180;
        for (int i = 0; i < 4; ++i) {
            const double az = i * kPi / 2;
            w.Wire({0, 0, 0},
                   {p[1] * std::cos(droop) * std::cos(az), p[1] * std::cos(droop) * std::sin(az),
                    -p[1] * std::sin(droop)},
                   11, p[3]);
        }
        break;
    }
    case 6:
    case 7:
    case 8: {
        // Loops in the x-y plane: axis z.
        std::vector<Point> pts;
        if (d.type == 6) {
            const int n = 16;
            const double r = p[0] / (2 * n * std::sin(kPi / n));
            for (int i = 0; i <= n; ++i)
                pts.push_back({r * std::cos(2 * kPi * i / n), r * std::sin(2 * kPi * i / n), 0});
        } else {
            const double s = p[0] / 4;
            std::vector<Point> corners;
            if (d.type == 7) {
                const double r = s / std::sqrt(2.0);
                corners = {{0, -r, 0}, {r, 0, 0}, {0, r, 0}, {-r, 0, 0}};
            } else {
                corners = {{s / 2, 0, 0},
                           {s / 2, s / 2, 0},
                           {-s / 2, s / 2, 0},
                           {-s / 2, -s / 2, 0},
                           {s / 2, -s / 2, 0}};
            }
            corners.push_back(corners.front());
            for (size_t c = 0; c + 1 < corners.size(); ++c) {
                const int pieces = (d.type == 8 && (c == 0 || c + 2 == corners.size())) ? 2 : 4;
                for (int k = 0; k < pieces; ++k) {
                    const double t = double(k) / pieces;
                    pts.push_back({corners[c].x + t * (corners[c + 1].x - corners[c].x),
                                   corners[c].y + t * (corners[c + 1].y - corners[c].y), 0});
                }
            }
            pts.push_back(corners.back());
        }
        g.feedTag = w.Polyline(pts, p[1]);
        g.feedSeg = 1;
        g.e = {true, 0, 90};
        break;
    }
    case 9: {
        // Elements along z, boom along x, the beam toward +x.
        w.Wire({-p[3], 0, -p[0] / 2}, {-p[3], 0, p[0] / 2}, 21, p[4]);
        g.feedTag = w.Wire({0, 0, -p[1] / 2}, {0, 0, p[1] / 2}, 21, p[4]);
        g.feedSeg = 11;
        w.Wire({p[3], 0, -p[2] / 2}, {p[3], 0, p[2] / 2}, 21, p[4]);
        break;
    }
    case 10: {
        // Two arms r = r0 + a phi in the x-y plane, joined at the centre by the
        // feed wire; beams along +z and -z.
        const double r0 = p[0], r1 = p[1], turns = p[2];
        const double a = (r1 - r0) / (turns * 2 * kPi);
        g.feedTag = w.Wire({-r0, 0, 0}, {r0, 0, 0}, 1, p[3]);
        for (int arm = 0; arm < 2; ++arm) {
            std::vector<Point> pts;
            for (double phi = 0;;) {
                const double r = r0 + a * phi, ang = phi + arm * kPi;
                pts.push_back({r * std::cos(ang), r * std::sin(ang), 0});
                if (phi >= turns * 2 * kPi)
                    break;
                phi = std::min(turns * 2 * kPi, phi + std::min(kPi / 8, 0.035 / r));
            }
            w.Polyline(pts, p[3]);
        }
        g.feedSeg = 1;
        g.e = {true, 0, 0};
        g.h = {true, 90, 0};
        break;
    }
    case 11: {
        // Axis along z over the ground at z = 0; a short feed wire up from the
        // ground to the start of the winding.
        const double c = p[0], alpha = p[1] * kPi / 180, turns = p[2];
        const double radius = c / (2 * kPi), pitch = c * std::tan(alpha), z0 = 0.03;
        g.feedTag = w.Wire({radius, 0, 0}, {radius, 0, z0}, 1, p[3]);
        std::vector<Point> pts;
        const int perTurn = 16;
        for (int i = 0; i <= perTurn * turns; ++i) {
            const double t = 2 * kPi * i / perTurn;
            pts.push_back({radius * std::cos(t), radius * std::sin(t), z0 + pitch * t / (2 * kPi)});
        }
        w.Polyline(pts, p[3]);
        g.feedSeg = 1;
        g.ground = true;
        g.e = {true, 0, 0};
        g.h = {true, 90, 0};
        break;
    }
    default:
        break;
    }
    g.wires = w.Text();
    return g;
}

void AddCutCards(std::string &deck, const Cut &c)
{
    char buf[160];
    if (c.thetaCut) {
        for (double phi : {c.fixed, c.fixed + 180}) {
            std::snprintf(buf, sizeof buf, "RP 0 181 1 1000 0 %.1f 1 0\n", phi);
            deck += buf;
        }
    } else {
        std::snprintf(buf, sizeof buf, "RP 0 1 360 1000 %.1f 0 0 1\n", c.fixed);
        deck += buf;
    }
}

// The cut's 360 levels (kit angles) from the rows of its own tables; angles
// the engine gave no field for stay NaN.
void CutFromRows(const Cut &c, const std::vector<NecPatternRow> &rows, double out[LEVELS])
{
    double psiLevels[LEVELS];
    std::fill(psiLevels, psiLevels + LEVELS, std::nan(""));
    for (const NecPatternRow &r : rows) {
        int psi;
        if (c.thetaCut) {
            const bool far = std::fabs(std::remainder(r.phi - c.fixed, 360.0)) > 90;
            psi = int(std::lround(far ? 360 - r.theta : r.theta));
        } else {
            psi = int(std::lround(r.phi));
        }
        psi = WrapAngle(psi);
        if (r.total > -999)
            psiLevels[psi] =
                std::isnan(psiLevels[psi]) ? r.total : std::max(psiLevels[psi], r.total);
    }
    for (int k = 0; k < LEVELS; ++k)
        out[k] = psiLevels[WrapAngle(c.start + k)];
}

}  // namespace

std::string NecDeck(int type)
{
    const TheoryDesign &d = DesignOf(type);
    if (d.engine != TheoryEngine::Nec2c)
        return {};
    const WireDesign g = WireGeometry(d);
    // nec2c reads a card of at most 80 characters: the comment is the name.
    std::string deck = "CM " + std::string(d.name) + "\nCE\n" + g.wires;
    deck += g.ground ? "GE 1\nGN 1\n" : "GE 0\n";
    char buf[160];
    std::snprintf(buf, sizeof buf, "EX 0 %d %d 0 1 0\nFR 0 1 0 0 %.3f 0\n", g.feedTag, g.feedSeg,
                  d.frequencyMhz);
    deck += buf;
    AddCutCards(deck, g.e);
    AddCutCards(deck, g.h);
    deck += "EN\n";
    return deck;
}

namespace {

// Fills the floor and gives the gain: levels below the peak by more than
// the depth (and angles without a field) are raised to it.
void FinishCuts(TheoryModel &m, double peak)
{
    m.gainDbi = peak;
    for (double *cut : {m.e, m.h})
        for (int k = 0; k < LEVELS; ++k)
            if (!(cut[k] >= peak - THEORY_DEPTH_DB))
                cut[k] = peak - THEORY_DEPTH_DB;
}

bool ModelFromNecOutput(int type, const std::string &output, TheoryModel &m)
{
    const WireDesign g = WireGeometry(DesignOf(type));
    m.error = NecOutputProblem(NecDeck(type), output);
    if (!m.error.empty())
        return false;
    const auto tables = ParseNecPatterns(output);
    const size_t eTables = g.e.thetaCut ? 2 : 1;
    std::vector<NecPatternRow> eRows, hRows;
    for (size_t t = 0; t < tables.size(); ++t)
        (t < eTables ? eRows : hRows)
            .insert((t < eTables ? eRows : hRows).end(), tables[t].begin(), tables[t].end());
    CutFromRows(g.e, eRows, m.e);
    CutFromRows(g.h, hRows, m.h);
    double peak = -1e300;
    for (const double *cut : {m.e, m.h})
        for (int k = 0; k < LEVELS; ++k)
            if (!std::isnan(cut[k]))
                peak = std::max(peak, cut[k]);
    if (peak < -900) {
        m.error = "nec2c gave no field in the pattern tables";
        return false;
    }
    FinishCuts(m, peak);
    return true;
}

// ---- Closed-form models ----------------------------------------------------------
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
    for (const auto &[x, y] : g.xy)
        s += std::polar(1.0, 2 * kPi * (x * ux + y * uy));
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

Horn HornOf(const double *p)
{
    const double A = p[0], B = p[1], rhoH = p[2], rhoE = p[3], k = 2 * kPi;
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

bool ClosedFormModel(int type, TheoryModel &m)
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

double SecondsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

TheoryModel g_cache[THEORY_TYPES];
bool g_cached[THEORY_TYPES] = {};

}  // namespace

TheoryModel ComputeTheoryModel(int type, const NecRunner &runner)
{
    TheoryModel m;
    m.type = type;
    if (type < 0 || type >= THEORY_TYPES) {
        m.error = "antenna type " + std::to_string(type) + " is not one of the library's 0 to 15";
        return m;
    }
    const auto t0 = std::chrono::steady_clock::now();
    if (DesignOf(type).engine == TheoryEngine::ClosedForm) {
        m.ok = ClosedFormModel(type, m);
    } else {
        std::string out, err;
        if (!runner(NecDeck(type), out, err))
            m.error = err;
        else
            m.ok = ModelFromNecOutput(type, out, m);
    }
    m.seconds = SecondsSince(t0);
    return m;
}

const TheoryModel &TheoryModelOf(int type)
{
    static TheoryModel invalid;
    if (type < 0 || type >= THEORY_TYPES) {
        invalid = ComputeTheoryModel(type, nullptr);
        return invalid;
    }
    if (!g_cached[type]) {
        g_cache[type] =
            ComputeTheoryModel(type, [](const std::string &deck, std::string &out,
                                        std::string &err) { return RunNec2c(deck, out, err); });
        g_cached[type] = true;
    }
    return g_cache[type];
}

void PrepareAllTheoryModels()
{
    // Every nec2c run is started first and collected after, so the engine
    // runs on every core while the closed forms are computed here.
    NecJob jobs[THEORY_TYPES];
    std::chrono::steady_clock::time_point starts[THEORY_TYPES];
    for (int t = 0; t < THEORY_TYPES; ++t)
        if (!g_cached[t] && DesignOf(t).engine == TheoryEngine::Nec2c) {
            starts[t] = std::chrono::steady_clock::now();
            jobs[t] = StartNec(NecDeck(t));
        }
    for (int t = 0; t < THEORY_TYPES; ++t)
        if (!g_cached[t] && DesignOf(t).engine == TheoryEngine::ClosedForm)
            TheoryModelOf(t);
    // One time limit for all the runs together, not one after another.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int t = 0; t < THEORY_TYPES; ++t) {
        if (g_cached[t])
            continue;
        TheoryModel m;
        m.type = t;
        std::string out, err;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (!FinishNec(jobs[t], int(std::max<long long>(100, left.count())), out, err))
            m.error = err;
        else
            m.ok = ModelFromNecOutput(t, out, m);
        m.seconds = SecondsSince(starts[t]);
        g_cache[t] = m;
        g_cached[t] = true;
    }
}

// ---- Comparisons -------------------------------------------------------------------

bool PlanePeak(const double levels[LEVELS], double *peak)
{
    const int p = PeakIndex(levels);
    if (p < 0)
        return false;
    *peak = levels[p];
    return true;
}

TheoryComparison CompareWithModel(const double measured[LEVELS], const double model[LEVELS])
{
    TheoryComparison c;
    double mPeak = 0;
    if (!PlanePeak(measured, &mPeak))
        return c;
    const double modelPeak = *std::max_element(model, model + LEVELS);
    double scaled[LEVELS], a[LEVELS], b[LEVELS];
    for (int k = 0; k < LEVELS; ++k) {
        scaled[k] = model[k] - modelPeak + mPeak;
        // The rotation is matched on relative power, not on decibels: the
        // squared difference of powers is least where the powers correlate
        // best, which the main lobes decide, not nulls, noise or a side
        // lobe of another shape.
        a[k] = std::pow(10.0, (measured[k] - mPeak) / 10);
        b[k] = std::pow(10.0, (scaled[k] - mPeak) / 10);
    }
    const PlaneComparison pc = ComparePlanes(a, b);
    const double floor = mPeak - COMPARE_WINDOW_DB;
    c.valid = true;
    c.rotation = pc.rotation;
    double sum = 0, mx = 0;
    for (int k = 0; k < LEVELS; ++k) {
        c.scaled[k] = scaled[WrapAngle(k - pc.rotation)];
        if (measured[k] < floor)
            continue;
        const double d = measured[k] - c.scaled[k];
        sum += d * d;
        mx = std::max(mx, std::fabs(d));
        ++c.angles;
    }
    c.rms = c.angles ? std::sqrt(sum / c.angles) : 0;
    c.maxDiff = mx;
    const int mp = PeakIndex(measured), sp = PeakIndex(c.scaled);
    c.measuredHpbw = mp >= 0 ? InterpolatedBeamwidth(measured, mp, 3.0).value_or(0) : 0;
    c.modelHpbw = sp >= 0 ? InterpolatedBeamwidth(c.scaled, sp, 3.0).value_or(0) : 0;
    return c;
}

GainByComparison GainFromReference(const double e[LEVELS], const double h[LEVELS],
                                   const double refE[LEVELS], const double refH[LEVELS],
                                   double referenceGainDbi)
{
    GainByComparison g;
    double p = 0, r = 0;
    if (PlanePeak(e, &p) && PlanePeak(refE, &r)) {
        g.eValid = true;
        g.e = referenceGainDbi + (p - r);
    }
    if (PlanePeak(h, &p) && PlanePeak(refH, &r)) {
        g.hValid = true;
        g.h = referenceGainDbi + (p - r);
    }
    return g;
}
