// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's status line and title: how the last sweep ended, with
// the closure check of a full sweep (the rig's reply to the closing "C", when
// it stands at the start angle, is a second reading of sample 0), and where
// the last save went. The closure threshold is kept in the user's settings.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <string>

#include "kesto.h"
#include "kesto_uir.h"
#include "rt.h"

double ClosureLimit = KESTO_CLOSURE_LIMIT;

namespace {

constexpr const char *kProgram = "Kesto";
constexpr const char *kClosureKey = "sweep/closureLimitDb";
constexpr const char *kTitle = "Kesto - antenna pattern measurement";
// Paths longer than this show as their end, after an ellipsis.
constexpr std::size_t kShownPath = 90;

std::string savedName;  // file name of the last save, empty before one
std::string shownTitle;

std::string Fixed(double v, int decimals)
{
    char b[64];
    const auto r = std::to_chars(b, b + sizeof b, v, std::chars_format::fixed, decimals);
    return std::string(b, r.ptr);
}

const char *PlaneName(int plane)
{
    return plane == 0 ? "E-plane" : plane == 1 ? "H-plane" : "D-plane";
}

void SetStatus(const std::string &text)
{
    SetCtrlVal(kestopnl, KESTOPNL_STATUS, text.c_str());
}

std::string ShownPath(const std::string &path)
{
    std::error_code ec;
    std::string whole = std::filesystem::absolute(path, ec).lexically_normal().string();
    if (ec || whole.empty())
        whole = path;
    if (whole.size() <= kShownPath)
        return whole;
    // Cut before a whole character, never inside one.
    std::size_t from = whole.size() - (kShownPath - 3);
    while (from < whole.size() && (static_cast<unsigned char>(whole[from]) & 0xC0) == 0x80)
        ++from;
    return "\u2026" + whole.substr(from);
}

}  // namespace

std::string ClosureLimitText(double limitDb)
{
    std::string t = Fixed(limitDb, 2);
    while (t.size() > 1 && t.back() == '0' && t[t.size() - 2] != '.')
        t.pop_back();
    return t;
}

bool ParseClosureLimit(const std::string &text, double *limitDb)
{
    std::string t = text;
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!t.empty() && blank(t.back()))
        t.pop_back();
    std::size_t from = 0;
    while (from < t.size() && blank(t[from]))
        ++from;
    t.erase(0, from);
    // A decimal comma, as typed on many keyboards, is a point.
    std::replace(t.begin(), t.end(), ',', '.');
    if (t.empty() || t[0] == '+' || t[0] == '-')
        return false;
    double v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)
        || v < KESTO_CLOSURE_MIN || v > KESTO_CLOSURE_MAX)
        return false;
    *limitDb = v;
    return true;
}

void LoadClosureSetting(void)
{
    double v = KESTO_CLOSURE_LIMIT;
    const std::string kept = GetUserSettingText(kProgram, kClosureKey, "");
    ClosureLimit = ParseClosureLimit(kept, &v) ? v : KESTO_CLOSURE_LIMIT;
}

int KeepClosureLimit(double limitDb)
{
    ClosureLimit = limitDb;
    return SetUserSettingText(kProgram, kClosureKey, ClosureLimitText(limitDb).c_str());
}

std::string ClosureText(int plane, int replied, unsigned startAngle, double startLevel,
                        unsigned endAngle, double endLevel, double limitDb)
{
    const std::string ended = std::string(PlaneName(plane)) + " sweep ended";
    if (!replied)
        return ended
               + ". The closure could not be checked: the rig did not answer at the end "
                 "of the sweep.";
    if (endAngle != startAngle)
        return ended + ". The closure could not be checked: after the sweep the rig reported "
               + std::to_string(endAngle) + " deg, not the start angle "
               + std::to_string(startAngle) + " deg, so the start was not read again.";
    // The difference as shown decides, so that the text never warns about
    // a figure that reads as the threshold itself.
    const double shown = std::round(std::fabs(endLevel - startLevel) * 100.0) / 100.0;
    std::string t = ended + ": the level at the start read again differs by " + Fixed(shown, 2)
                    + " dB from the first reading.";
    if (shown > limitDb + 1e-9)
        t += " That is more than " + ClosureLimitText(limitDb)
             + " dB: the level drifted or the antenna moved. Repeat the sweep.";
    return t;
}

std::string StoppedText(int plane, int steps, int filed)
{
    std::string t = std::string(PlaneName(plane)) + " sweep stopped after " + std::to_string(steps)
                    + (steps == 1 ? " step" : " steps");
    if (plane != 0 && plane != 1)
        return t + " (the D-plane is not saved).";
    return t + ": " + std::to_string(filed) + " of its " + std::to_string(KESTO_SAMPLES)
           + " samples are from this sweep, the rest from an earlier sweep or zeros.";
}

void ShowSweepStarted(int plane)
{
    SetStatus(std::string(PlaneName(plane)) + " sweep under way.");
}

void ShowSweepEnded(int plane, int full, int steps, unsigned startAngle, double startLevel)
{
    if (full)
        SetStatus(
            ClosureText(plane, level == 4, startAngle, startLevel, Angle, Level, ClosureLimit));
    else
        SetStatus(StoppedText(plane, steps, PlaneSamplesFiled(plane)));
    UpdateKestoTitle();
}

void ShowSaved(const char *path)
{
    std::string name = path;
    if (const auto slash = name.find_last_of('/'); slash != std::string::npos)
        name.erase(0, slash + 1);
    savedName = name;
    SetStatus("Saved to " + ShownPath(path) + ".");
    UpdateKestoTitle();
}

void ResetKestoTitle(void)
{
    savedName.clear();
    shownTitle = kTitle;
}

void UpdateKestoTitle(void)
{
    // Until the first save the title is the window's own.
    if (savedName.empty() || kestopnl <= 0)
        return;
    const std::string title = savedName + (QuestionSave == 1 ? "*" : "") + " \u2014 " + kTitle;
    if (title == shownTitle)
        return;
    shownTitle = title;
    SetPanelAttribute(kestopnl, RT_ATTR_TITLE, title.c_str());
}
