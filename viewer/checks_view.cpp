// SPDX-License-Identifier: GPL-3.0-or-later
// The checks panel and the range distance setting.
#include "checks_view.h"

#include <charconv>
#include <filesystem>
#include <string>
#include <vector>

#include "antenna.h"
#include "antenna_uir.h"
#include "checks.h"
#include "gain_view.h"
#include "message.h"
#include "rt.h"

int checkpnl = 0;

namespace {

constexpr const char *kProgram = "antenna";
constexpr const char *kDistanceKey = "checks/rangeDistance";
constexpr const char *kCtx = "ChecksPanel";
constexpr const char *kTitle = QT_TRANSLATE_NOOP("ChecksPanel", "Checks");

// Verdict colours; the words say the same for a reader without colour.
constexpr int kPassColor = 0x007000;
constexpr int kWarnColor = 0xC00000;
constexpr int kNotMadeColor = 0x606060;

// The distance of this run: read from the settings once, then kept here
// too, so that a setting the system could not write still holds until the
// program ends.
bool gDistanceRead = false;
std::optional<double> gDistance;

std::string Say(const char *text, std::vector<std::string> args = {})
{
    return English(Message{kCtx, text, std::move(args)});
}

// The shortest text that reads back as the same number, with a point.
std::string DistanceText(const std::optional<double> &d)
{
    if (!d)
        return {};
    char b[64];
    const auto r = std::to_chars(b, b + sizeof b, *d);
    return std::string(b, r.ptr);
}

std::string VerdictText(Verdict v)
{
    switch (v) {
    case Verdict::Pass:
        return Say(QT_TRANSLATE_NOOP("ChecksPanel", "pass"));
    case Verdict::Warn:
        return Say(QT_TRANSLATE_NOOP("ChecksPanel", "warning"));
    case Verdict::NotMade:
        break;
    }
    return Say(QT_TRANSLATE_NOOP("ChecksPanel", "not made"));
}

int VerdictColor(Verdict v)
{
    return v == Verdict::Pass ? kPassColor : v == Verdict::Warn ? kWarnColor : kNotMadeColor;
}

int LineCtrl(const std::string &id)
{
    if (id == "dynamic_range")
        return CHECKPNL_DYNAMIC;
    if (id == "floor_limited")
        return CHECKPNL_FLOOR;
    if (id == "noise")
        return CHECKPNL_NOISE;
    if (id == "boresight")
        return CHECKPNL_BORESIGHT;
    if (id == "far_field")
        return CHECKPNL_FARFIELD;
    return 0;
}

void ShowVerdict(int ctrl, const std::string &text, int color)
{
    SetCtrlVal(checkpnl, ctrl, text.c_str());
    SetCtrlAttribute(checkpnl, ctrl, RT_ATTR_TEXT_COLOR, color);
}

void FillChecksPanel()
{
    SetCtrlVal(checkpnl, CHECKPNL_DISTANCE, DistanceText(RangeDistance()).c_str());
    const bool open = PatternOpen() && ptsPtr;
    if (!open) {
        SetCtrlVal(checkpnl, CHECKPNL_FILE, "");
        for (int c : {CHECKPNL_DYNAMIC, CHECKPNL_FLOOR, CHECKPNL_NOISE, CHECKPNL_BORESIGHT,
                      CHECKPNL_FARFIELD, CHECKPNL_OVERALL})
            ShowVerdict(c, "", kNotMadeColor);
        ResetTextBox(checkpnl, CHECKPNL_FINDINGS,
                     Say(QT_TRANSLATE_NOOP("ChecksPanel", "No pattern is open.")).c_str());
        return;
    }
    // The name alone: a long path would widen the panel past the screen.
    SetCtrlVal(checkpnl, CHECKPNL_FILE, std::filesystem::path(filepathname).filename().c_str());
    // A plane deleted from view is left out, as the other panels leave it.
    const PatternChecks c =
        CheckPatternOfType(Eflag == 1 ? nullptr : ptsPtr->e_data,
                           Hflag == 1 ? nullptr : ptsPtr->h_data, ptsPtr->Antype, RangeDistance());
    std::string findings;
    int warnings = 0, notMade = 0;
    for (const CheckLine &line : c.lines) {
        warnings += line.verdict == Verdict::Warn;
        notMade += line.verdict == Verdict::NotMade;
        if (const int ctrl = LineCtrl(line.id))
            ShowVerdict(ctrl, VerdictText(line.verdict), VerdictColor(line.verdict));
        if (!findings.empty())
            findings += "\n\n";
        findings += Say(QT_TRANSLATE_NOOP("ChecksPanel", "%1: %2"),
                        {English(line.title), VerdictText(line.verdict)});
        for (const Message &m : line.findings)
            findings += "\n    " + English(m);
    }
    const std::string total = std::to_string(c.lines.size());
    std::string overall;
    if (warnings > 0)
        overall = Say(QT_TRANSLATE_NOOP("ChecksPanel", "warning: %1 of the %2 checks warn"),
                      {std::to_string(warnings), total});
    else if (notMade > 0)
        overall =
            Say(QT_TRANSLATE_NOOP("ChecksPanel", "pass: every check made passes; %1 not made"),
                {std::to_string(notMade)});
    else
        overall = Say(QT_TRANSLATE_NOOP("ChecksPanel", "pass: all %1 checks pass"), {total});
    ShowVerdict(CHECKPNL_OVERALL, overall, VerdictColor(c.overall()));
    ResetTextBox(checkpnl, CHECKPNL_FINDINGS, findings.c_str());
}

}  // namespace

std::optional<double> RangeDistance()
{
    if (!gDistanceRead) {
        gDistanceRead = true;
        // A setting spoilt outside the program counts as none.
        Message why;
        if (!ParseDistance(GetUserSettingText(kProgram, kDistanceKey, ""), &gDistance, &why))
            gDistance.reset();
    }
    return gDistance;
}

void RefreshChecksPanel()
{
    if (checkpnl > 0)
        FillChecksPanel();
}

void antChecksCallback(int, int, void *, int)
{
    if (checkpnl <= 0) {
        checkpnl = LoadPanel(0, "antenna.uir", CHECKPNL);
        if (checkpnl < 0) {
            checkpnl = 0;
            return;
        }
    }
    FillChecksPanel();
    DisplayPanel(checkpnl);
}

int CheckDistanceCallback(int panel, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT || panel != checkpnl)
        return 0;
    char text[256] = "";
    GetCtrlVal(panel, CHECKPNL_DISTANCE, text);
    std::optional<double> d;
    Message why;
    if (!ParseDistance(text, &d, &why)) {
        // Refused: the old distance stays, in the field too.
        MessagePopup(kTitle, English(why).c_str());
        FillChecksPanel();
        return 0;
    }
    RangeDistance();  // the kept value is read before it is replaced
    gDistance = d;
    if (SetUserSettingText(kProgram, kDistanceKey, DistanceText(d).c_str()) != 0)
        MessagePopup(kTitle, Say(QT_TRANSLATE_NOOP("ChecksPanel", "The range distance could not be "
                                                                  "kept for the next run."))
                                 .c_str());
    FillChecksPanel();
    RefreshGainPanel();
    return 0;
}

int ChecksCloseCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT) {
        DiscardPanel(panel);
        if (panel == checkpnl)
            checkpnl = 0;
    }
    return 0;
}

void RegisterChecksCallbacks()
{
    RT_MENU_CALLBACK(antChecksCallback);
    RT_CTRL_CALLBACK(CheckDistanceCallback);
    RT_CTRL_CALLBACK(ChecksCloseCallback);
}
