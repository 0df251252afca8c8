// SPDX-License-Identifier: GPL-3.0-or-later
// The wire types' NEC-2 decks (geometry, feed, ground and pattern cards)
// and their E and H cuts read back from nec2c's tables.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "model_parts.h"
#include "pattern_record.h"

using theory_parts::kPi;

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

bool theory_parts::ModelFromNecOutput(int type, const std::string &output, TheoryModel &m)
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
