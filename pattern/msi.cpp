// SPDX-License-Identifier: GPL-3.0-or-later
#include "msi.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <utility>

namespace {

constexpr int MAX_POINTS = 100000;  // per cut; real files have 360 or 720

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Splits off the first white-space separated token.
std::string_view NextToken(std::string_view &s)
{
    s = Trim(s);
    size_t n = 0;
    while (n < s.size() && !IsBlank(s[n]))
        ++n;
    std::string_view t = s.substr(0, n);
    s.remove_prefix(n);
    s = Trim(s);
    return t;
}

std::string Upper(std::string_view s)
{
    std::string u(s);
    for (char &c : u)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return u;
}

// A finite number at the start of s (a leading '+' allowed, '.' always the
// decimal point); rest receives what follows it.
std::optional<double> Number(std::string_view s, std::string_view *rest = nullptr)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || !std::isfinite(v))
        return std::nullopt;
    if (rest)
        *rest = s.substr(size_t(r.ptr - s.data()));
    else if (r.ptr != s.data() + s.size())
        return std::nullopt;
    return v;
}

bool IsKey(std::string_view t)
{
    if (t.empty() || !((t[0] >= 'A' && t[0] <= 'Z') || (t[0] >= 'a' && t[0] <= 'z')))
        return false;
    return std::all_of(t.begin(), t.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
               || c == '_' || c == '-';
    });
}

bool IsKnownKey(const std::string &k)
{
    static const char *const keys[] = {"NAME",         "MAKE",          "FREQUENCY",  "H_WIDTH",
                                       "V_WIDTH",      "FRONT_TO_BACK", "GAIN",       "TILT",
                                       "POLARIZATION", "COMMENT",       "HORIZONTAL", "VERTICAL"};
    return std::any_of(std::begin(keys), std::end(keys), [&](const char *x) { return k == x; });
}

MsiReadResult Fail(int line, const std::string &what)
{
    MsiReadResult r;
    r.line = line;
    r.error = line > 0 ? "line " + std::to_string(line) + ": " + what : what;
    return r;
}

using Points = std::vector<std::pair<double, double>>;  // angle, loss

// Whole-degree values from points round the circle, linear between
// neighbours (the last point wraps to the first).
void Resample(Points pts, double out[PATTERN_LEVELS])
{
    for (auto &p : pts) {
        p.first = std::fmod(p.first, 360.0);
        if (p.first < 0)
            p.first += 360.0;
    }
    // The reader lets through only a closing point (360 after 0) with the
    // same loss; it replaces the earlier one.
    std::stable_sort(pts.begin(), pts.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    Points u;
    for (const auto &p : pts) {
        if (!u.empty() && u.back().first == p.first)
            u.back() = p;
        else
            u.push_back(p);
    }
    const size_t n = u.size();
    size_t j = 0;  // first point at or above the angle
    for (int d = 0; d < PATTERN_LEVELS; ++d) {
        while (j < n && u[j].first < d)
            ++j;
        if (j < n && u[j].first == d) {
            out[d] = u[j].second;
            continue;
        }
        const auto &hi = j < n ? u[j] : u[0];
        const auto &lo = j > 0 ? u[j - 1] : u[n - 1];
        double a0 = lo.first, a1 = hi.first;
        double x = d;
        if (a1 <= a0) {  // the gap spans 0/360
            a1 += 360.0;
            if (x < a0)
                x += 360.0;
        }
        const double span = a1 - a0;
        out[d] = span > 0 ? lo.second + (hi.second - lo.second) * (x - a0) / span : lo.second;
    }
}

void AppendFixed(std::string &out, double v, int decimals)
{
    char buf[400];  // a finite double in fixed point needs at most 309 digits and a sign
    if (!std::isfinite(v))
        v = 0.0;
    if (v == 0.0)
        v = 0.0;  // no "-0.00"
    out.append(buf,
               std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals).ptr);
}

std::string OneLine(std::string_view s)
{
    std::string t(Trim(s));
    for (char &c : t)
        if (c == '\n' || c == '\r')
            c = ' ';
    return t;
}

}  // namespace

MsiReadResult ReadMsiText(std::string_view text, MsiPattern &out)
{
    out = MsiPattern{};
    out.gainUnit = "dBd";
    Points cuts[2];
    struct DirectionSeen {
        int line;
        double angle, loss;
    };
    std::map<double, DirectionSeen> directions[2];
    bool seen[2] = {false, false};
    const char *cutNames[2] = {"HORIZONTAL", "VERTICAL"};

    int lineNo = 0;
    size_t pos = 0;
    int inCut = -1, expected = 0, blockLine = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        std::string_view rest = Trim(line);
        if (rest.empty())
            continue;

        if (inCut >= 0) {
            const std::string_view a = NextToken(rest), l = NextToken(rest);
            const auto angle = Number(a), loss = Number(l);
            const std::string point = "point " + std::to_string(cuts[inCut].size() + 1) + " of "
                                      + std::to_string(expected) + " of the " + cutNames[inCut]
                                      + " block (from line " + std::to_string(blockLine) + ")";
            if (!angle || !loss)
                return Fail(lineNo, "expected \"angle loss\" as " + point);
            if (!rest.empty())
                return Fail(lineNo, "expected \"angle loss\" as " + point
                                        + ", found more after the loss: \""
                                        + std::string(rest.substr(0, 20)) + "\"");
            // Two points in one direction make the cut ambiguous; only a
            // closing point (360 after 0) that repeats the loss is allowed.
            double direction = std::fmod(*angle, 360.0);
            if (direction < 0)
                direction += 360.0;
            const auto [it, fresh] =
                directions[inCut].try_emplace(direction, DirectionSeen{lineNo, *angle, *loss});
            if (!fresh && (it->second.angle == *angle || it->second.loss != *loss))
                return Fail(lineNo, "angle " + std::string(a) + " of the " + cutNames[inCut]
                                        + " block points where line "
                                        + std::to_string(it->second.line) + " already did");
            cuts[inCut].push_back({*angle, *loss});
            if (int(cuts[inCut].size()) == expected)
                inCut = -1;
            continue;
        }

        std::string_view first = NextToken(rest);
        std::string key = Upper(first);
        if (lineNo == 1 && key != "NAME" && !IsKnownKey(key)) {
            out.name = OneLine(Trim(line));  // a first line without the NAME key
            continue;
        }
        if (!IsKey(first))
            return Fail(lineNo, "expected a key such as NAME, GAIN or HORIZONTAL, found \""
                                    + std::string(first.substr(0, 20)) + "\"");
        if (key == "HORIZONTAL" || key == "VERTICAL") {
            const int c = key == "HORIZONTAL" ? 0 : 1;
            if (seen[c])
                return Fail(lineNo, "a second " + key + " block");
            const auto n = Number(NextToken(rest));
            if (!n || *n != std::floor(*n) || *n < 1 || *n > MAX_POINTS)
                return Fail(lineNo,
                            key + " needs a point count from 1 to " + std::to_string(MAX_POINTS));
            seen[c] = true;
            inCut = c;
            expected = int(*n);
            blockLine = lineNo;
            cuts[c].reserve(size_t(expected));
        } else if (key == "NAME") {
            out.name = OneLine(rest);
        } else if (key == "MAKE") {
            out.make = OneLine(rest);
        } else if (key == "COMMENT") {
            if (!out.comment.empty())
                out.comment += ' ';
            out.comment += OneLine(rest);
        } else if (key == "FREQUENCY") {
            std::string_view unit;
            const auto f = Number(rest, &unit);
            if (!f)
                return Fail(lineNo, "FREQUENCY is not a number");
            // Megahertz unless a unit says otherwise.
            const std::string u = Upper(Trim(unit));
            double mhz;
            if (u.empty() || u == "MHZ")
                mhz = *f;
            else if (u == "GHZ")
                mhz = *f * 1e3;
            else if (u == "KHZ")
                mhz = *f / 1e3;
            else if (u == "HZ")
                mhz = *f / 1e6;
            else
                return Fail(lineNo, "the FREQUENCY unit \"" + std::string(Trim(unit).substr(0, 20))
                                        + "\" is not one of Hz, kHz, MHz and GHz");
            if (!std::isfinite(mhz))
                return Fail(lineNo, "FREQUENCY is too large");
            out.frequencyMHz = mhz;
        } else if (key == "GAIN") {
            std::string_view unit;
            const auto g = Number(rest, &unit);
            if (!g)
                return Fail(lineNo, "GAIN is not a number");
            out.gain = *g;
            out.gainUnit = Upper(Trim(unit)).rfind("DBI", 0) == 0 ? "dBi" : "dBd";
        }
        // Other keys (H_WIDTH, TILT, POLARIZATION and the like) are not needed.
    }
    if (inCut >= 0)
        return Fail(lineNo, std::string("the file ends after ") + std::to_string(cuts[inCut].size())
                                + " of the " + std::to_string(expected) + " points of the "
                                + cutNames[inCut] + " block (from line " + std::to_string(blockLine)
                                + ")");
    for (int c = 0; c < 2; ++c)
        if (!seen[c])
            return Fail(0, std::string("no ") + cutNames[c] + " block");

    // Losses are written without a sign; a file that writes them all as
    // negative numbers means the same.
    double lo = 0, hi = 0;
    for (const auto &cut : cuts)
        for (const auto &p : cut)
            lo = std::min(lo, p.second), hi = std::max(hi, p.second);
    const double sign = hi <= 0 && lo < 0 ? 1.0 : -1.0;
    Resample(cuts[0], out.horizontal);
    Resample(cuts[1], out.vertical);
    double top = -1e300;
    for (double *plane : {out.horizontal, out.vertical})
        for (int k = 0; k < PATTERN_LEVELS; ++k)
            top = std::max(top, plane[k] *= sign);
    for (double *plane : {out.horizontal, out.vertical})
        for (int k = 0; k < PATTERN_LEVELS; ++k)
            plane[k] = std::max(PATTERN_FLOOR, plane[k] - top);
    MsiReadResult ok;
    ok.ok = true;
    return ok;
}

std::string FormatMsi(const MsiWriteData &d)
{
    double top = -1e300;
    for (const double *plane : {d.eLevels, d.hLevels})
        for (int k = 0; plane && k < PATTERN_LEVELS; ++k)
            if (std::isfinite(plane[k]))
                top = std::max(top, plane[k]);
    if (top == -1e300)
        top = 0.0;

    std::string out;
    out += "NAME " + OneLine(d.name) + "\n";
    out += "MAKE " + OneLine(d.make) + "\n";
    auto number = [&out](const char *key, std::optional<double> v, int decimals) {
        if (!v || !std::isfinite(*v))
            return;
        out += key;
        out += ' ';
        AppendFixed(out, *v, decimals);
        out += '\n';
    };
    number("FREQUENCY", d.frequencyMHz, 3);
    number("H_WIDTH", d.hWidth, 1);
    number("V_WIDTH", d.vWidth, 1);
    number("FRONT_TO_BACK", d.frontToBack, 1);
    out += "GAIN 0 dBi\n";
    out += "COMMENT Levels are relative: loss 0 is the highest measured level of both planes, "
           "GAIN is not measured";
    if (!OneLine(d.comment).empty())
        out += ". " + OneLine(d.comment);
    out += "\n";
    auto cut = [&](const char *key, const double *levels) {
        out += key;
        out += " 360\n";
        for (int k = 0; k < PATTERN_LEVELS; ++k) {
            out += std::to_string(k);
            out += ' ';
            const double v = levels && std::isfinite(levels[k]) ? levels[k] : PATTERN_FLOOR;
            AppendFixed(out, top - v, 2);
            out += '\n';
        }
    };
    cut("HORIZONTAL", d.hLevels);
    cut("VERTICAL", d.eLevels);
    return out;
}

std::string FormatCsv(const double e[PATTERN_LEVELS], const double h[PATTERN_LEVELS])
{
    std::string out = "angle_deg,e_db,h_db\n";
    for (int k = 0; k < PATTERN_LEVELS; ++k) {
        out += std::to_string(k);
        out += ',';
        if (e)
            AppendFixed(out, e[k], 6);
        out += ',';
        if (h)
            AppendFixed(out, h[k], 6);
        out += '\n';
    }
    return out;
}
