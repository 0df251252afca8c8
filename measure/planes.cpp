// SPDX-License-Identifier: GPL-3.0-or-later
// What the last sweep of each saved plane left in its array: which samples
// it filed, whether it ran to its end, and whether a complete sweep is still
// unsaved. From it come the two questions that keep a measurement from being
// lost or saved half-new without a word: before a save writes a plane whose
// last sweep was stopped, and before Auto overwrites an unsaved sweep.
#include <string>

#include "kesto.h"
#include "rt.h"

namespace {

struct PlaneState {
    bool filedNow[KESTO_SAMPLES];   // filed by the plane's last (or running) sweep
    bool filedEver[KESTO_SAMPLES];  // filed by any sweep (or recovered)
    int partial;                    // the last sweep was stopped, or is running
    int unsaved;                    // holds a sweep that no save has written yet
    int running;                    // the running sweep has filed samples here
};

PlaneState planes[2];

PlaneState *Of(int plane)
{
    return plane == 0 || plane == 1 ? &planes[plane] : nullptr;
}

const char *PlaneName(int plane)
{
    return plane == 0 ? "E-plane" : plane == 1 ? "H-plane" : "D-plane";
}

// "The E-plane sweep was stopped: 6 of its 360 samples are from that sweep,
// the other 354 are from an earlier sweep."
std::string PartialText(int plane)
{
    const PlaneState &p = planes[plane];
    int now = 0, old = 0;
    for (int i = 0; i < KESTO_SAMPLES; ++i) {
        now += p.filedNow[i];
        old += !p.filedNow[i] && p.filedEver[i];
    }
    const int rest = KESTO_SAMPLES - now, zeros = rest - old;
    const bool running = p.running && SweepRunning();
    std::string t = std::string("The ") + PlaneName(plane)
                    + (running ? " sweep is still under way: " : " sweep was stopped: ")
                    + std::to_string(now) + " of its " + std::to_string(KESTO_SAMPLES)
                    + " samples are from " + (running ? "it" : "that sweep") + ", the other "
                    + std::to_string(rest);
    if (zeros == 0)
        t += " are from an earlier sweep.";
    else if (old == 0)
        t += " are zeros (never measured).";
    else
        t += ": " + std::to_string(old) + " from an earlier sweep and " + std::to_string(zeros)
             + " zeros (never measured).";
    return t;
}

}  // namespace

void ResetPlaneSweeps(void)
{
    planes[0] = PlaneState{};
    planes[1] = PlaneState{};
}

void PlaneSweepStarted(int plane)
{
    if (PlaneState *p = Of(plane)) {
        for (bool &b : p->filedNow)
            b = false;
        p->partial = 1;
        p->unsaved = 0;
        p->running = 1;
    }
}

void PlaneSampleFiled(int plane, unsigned index)
{
    PlaneState *p = Of(plane);
    if (!p || index >= unsigned(KESTO_SAMPLES))
        return;
    // The plane chosen anew during a sweep takes the rest of its samples.
    if (!p->running)
        PlaneSweepStarted(plane);
    p->filedNow[index] = p->filedEver[index] = true;
}

void PlaneSweepsEnded(int full)
{
    for (PlaneState &p : planes) {
        if (!p.running)
            continue;
        int filed = 0;
        for (bool b : p.filedNow)
            filed += b;
        p.running = 0;
        p.partial = full && filed == KESTO_SAMPLES ? 0 : 1;
        p.unsaved = !p.partial;
    }
}

void PlaneSweepsSaved(void)
{
    planes[0].unsaved = planes[1].unsaved = 0;
}

void PlaneSweepsRecovered(void)
{
    const double *data[2] = {imsi_Edata, imsi_Hdata};
    for (int k = 0; k < 2; ++k) {
        PlaneState &p = planes[k];
        p = PlaneState{};
        for (int i = 0; i < KESTO_SAMPLES; ++i) {
            p.filedEver[i] = true;
            p.unsaved |= data[k][i] != 0.0;
        }
    }
}

int PlaneSamplesFiled(int plane)
{
    const PlaneState *p = Of(plane);
    int n = 0;
    for (int i = 0; p && i < KESTO_SAMPLES; ++i)
        n += p->filedNow[i];
    return n;
}

int ConfirmSaveOfPartialSweeps(void)
{
    std::string text;
    for (int plane = 0; plane < 2; ++plane)
        if (planes[plane].partial)
            text += PartialText(plane) + "\n";
    if (text.empty())
        return 1;
    text += "Save the data all the same?";
    return ConfirmPopup("Stopped sweep", text.c_str());
}

int ConfirmOverwriteOfUnsavedSweep(int plane)
{
    const PlaneState *p = Of(plane);
    if (!p || !p->unsaved)
        return 1;
    const std::string name = PlaneName(plane);
    const std::string text = "The " + name
                             + " holds a sweep that has not been saved yet.\n"
                               "A new sweep overwrites it. Sweep the "
                             + name + " again?";
    return ConfirmPopup("Auto", text.c_str());
}
