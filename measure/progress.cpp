// SPDX-License-Identifier: GPL-3.0-or-later
// The sweep's progress text: the step reached, the time a sweep still needs
// at the mean pace of its steps so far, and at its end the time it took.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "kesto.h"
#include "kesto_uir.h"
#include "rt.h"

namespace {

constexpr int kSweepSteps = 359;
const char *const kStepText = "step %v of %m";
double startedAt = 0.0;
std::string shown;  // the text on the bar, so that an unchanged one is not set again

void SetText(int panel, const std::string &text)
{
    if (text == shown)
        return;
    shown = text;
    SetCtrlAttribute(panel, KESTOPNL_PROGRESS, RT_ATTR_LABEL_TEXT, text.c_str());
}

}  // namespace

std::string DurationText(double seconds)
{
    long s = std::lround(std::max(0.0, seconds));
    const long h = s / 3600, m = (s / 60) % 60;
    s %= 60;
    char buf[48];
    if (h > 0)
        std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", h, m, s);
    else
        std::snprintf(buf, sizeof buf, "%ld:%02ld", m, s);
    return buf;
}

void SweepProgressStart(int panel)
{
    startedAt = Timer();
    shown.clear();
    SetText(panel, kStepText);
}

void SweepProgressStep(int panel, int done)
{
    if (done <= 0 || done >= kSweepSteps) {
        SetText(panel, kStepText);
        return;
    }
    const double perStep = (Timer() - startedAt) / done;
    SetText(panel, std::string(kStepText) + " \u2014 about "
                       + DurationText(perStep * (kSweepSteps - done)) + " left");
}

void SweepProgressEnd(int panel, int done)
{
    const std::string took = DurationText(Timer() - startedAt);
    SetText(panel, std::string(kStepText)
                       + (done >= kSweepSteps ? " \u2014 took " : " \u2014 stopped after ") + took);
}
