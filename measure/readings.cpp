// SPDX-License-Identifier: GPL-3.0-or-later
// Readings per step and settle time: after each step of a sweep the level
// can be read several times, after the turntable has come to rest, and the
// level filed is their mean in power. With one reading and no settle time
// the sweep files each step's own reply and sends nothing more.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "kesto.h"
#include "kesto_uir.h"
#include "rig_protocol.h"
#include "rt.h"

int ReadPerStep = 1;
int SettleTime = 0;
int readpnl = 0;

namespace {

constexpr const char *kProgram = "Kesto";
constexpr const char *kReadingsKey = "sweep/readingsPerStep";
constexpr const char *kSettleKey = "sweep/settleMs";
constexpr int kMaxReadings = 64;
constexpr int kMaxSettle = 10000;
// The settle time is waited in slices with the events served after each, so
// that Stop, the poll timer and redrawing go on during a long wait.
constexpr double kSettleSlice = 0.025;
// A reading at another angle than the step's makes the step read again, at
// most this many more times.
constexpr int kMismatchRetries = 2;

// What the running sweep uses: taken when it starts, so that a change made
// during a sweep applies from the next one.
int sweepReadings = 1;
int sweepSettle = 0;
std::vector<int> markedSteps;

int Clamp(int v, int lo, int hi)
{
    return std::min(std::max(v, lo), hi);
}

// Waits `ms` with events served meanwhile; 1 when Stop came.
int Settle(int ms)
{
    double left = ms / 1000.0;
    while (left > 1e-9) {
        const double d = std::min(left, kSettleSlice);
        Delay(d);
        left -= d;
        ProcessSystemEvents();
        if (StopFlag == 1)
            return 1;
    }
    return 0;
}

void ShowLevel(double levelDb)
{
    Level = levelDb;
    SetCtrlVal(kestopnl, KESTOPNL_LEVEL, Level);
}

}  // namespace

double PowerMeanDb(const double *levels, int n)
{
    if (n <= 0)
        return KESTO_LEVEL_FLOOR;
    if (n == 1)
        return levels[0];
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
        sum += std::pow(10.0, levels[i] / 10.0);
    return 10.0 * std::log10(sum / n);
}

void LoadReadingSettings(void)
{
    ReadPerStep = Clamp(GetUserSetting(kProgram, kReadingsKey, 1), 1, kMaxReadings);
    SettleTime = Clamp(GetUserSetting(kProgram, kSettleKey, 0), 0, kMaxSettle);
}

void SweepReadingsStart(void)
{
    sweepReadings = ReadPerStep;
    sweepSettle = SettleTime;
    markedSteps.clear();
}

int ReadStepLevel(int step)
{
    if (sweepReadings <= 1 && sweepSettle <= 0)
        return 0;
    const unsigned stepAngle = Angle;
    const double stepLevel = Level;
    std::vector<double> readings;
    bool mismatch = false;
    bool failed = false;
    for (int attempt = 0; attempt <= kMismatchRetries && !failed; ++attempt) {
        readings.clear();
        mismatch = false;
        if (sweepSettle > 0) {
            // The step's reply came before the turntable was at rest: every
            // reading is taken after the wait.
            if (Settle(sweepSettle)) {
                ShowLevel(stepLevel);
                return 1;
            }
        } else {
            readings.push_back(stepLevel);
        }
        const int wanted = sweepReadings - int(readings.size());
        for (int k = 0; k < wanted; ++k) {
            outBuffers[0] = rigproto::kCmdReport;
            inBuffers[0] = 0;
            CalVal(outBuffers, inBuffers);
            // A failed exchange has already asked about the connection; it
            // gave no reading, and the step reads no more, so that a rig
            // gone silent costs one question per step, as without readings.
            if (level != 4) {
                failed = true;
                mismatch = false;
                break;
            }
            // A level read at another angle belongs to another direction.
            if (Angle != stepAngle)
                mismatch = true;
            else
                readings.push_back(Level);
        }
        if (!mismatch)
            break;
    }
    if (mismatch)
        markedSteps.push_back(step);
    // With no reading at the step's angle the step's own reply is filed.
    const double filed =
        readings.empty() ? stepLevel : PowerMeanDb(readings.data(), int(readings.size()));
    ShowLevel(filed);
    MoveStepEnd(filed, stepAngle);
    // A reading at another angle does not move the next step's start.
    RigStandsAt(stepAngle);
    return 0;
}

void SweepReadingsEnd(void)
{
    if (markedSteps.empty())
        return;
    std::string list;
    for (std::size_t i = 0; i < markedSteps.size() && i < 20; ++i)
        list += (i ? ", " : "") + std::to_string(markedSteps[i]);
    if (markedSteps.size() > 20)
        list += ", ...";
    const std::string msg =
        "While the level was read, the rig reported another angle than the step's at "
        + std::to_string(markedSteps.size()) + (markedSteps.size() == 1 ? " step" : " steps")
        + " (samples " + list
        + "), also after reading again.\n"
          "Those samples were filed from the readings at the step's own angle only.\n"
          "Check that nothing moves the turntable during a sweep.";
    markedSteps.clear();
    MessagePopup("Sweep", msg.c_str());
}

void ReadingsCallback(int, int, void *, int)
{
    if (readpnl > 0) {  // already open: bring it forward instead of a second copy
        DisplayPanel(readpnl);
        return;
    }
    readpnl = LoadPanel(0, "kesto.uir", READPNL);
    if (readpnl < 0) {
        readpnl = 0;
        return;
    }
    SetCtrlVal(readpnl, READPNL_READINGS, ReadPerStep);
    SetCtrlVal(readpnl, READPNL_SETTLE, SettleTime);
    SetCtrlVal(readpnl, READPNL_CLOSURE, ClosureLimitText(ClosureLimit).c_str());
    DisplayPanel(readpnl);
}

int ApplyReadingsCallback(int panel, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    int readings = ReadPerStep, settle = SettleTime;
    GetCtrlVal(panel, READPNL_READINGS, &readings);
    GetCtrlVal(panel, READPNL_SETTLE, &settle);
    char typed[64] = "";
    GetCtrlVal(panel, READPNL_CLOSURE, typed);
    double closure = ClosureLimit;
    if (!ParseClosureLimit(typed, &closure)) {
        // Nothing is taken: the panel stays open for the value to be mended.
        const std::string msg = "The closure warning must be a number of dB from "
                                + ClosureLimitText(KESTO_CLOSURE_MIN) + " to "
                                + ClosureLimitText(KESTO_CLOSURE_MAX) + ", such as "
                                + ClosureLimitText(KESTO_CLOSURE_LIMIT) + ".\nNothing was changed.";
        MessagePopup("Readings per step", msg.c_str());
        SetActiveCtrl(panel, READPNL_CLOSURE);
        return 0;
    }
    ReadPerStep = Clamp(readings, 1, kMaxReadings);
    SettleTime = Clamp(settle, 0, kMaxSettle);
    if (SetUserSetting(kProgram, kReadingsKey, ReadPerStep) != 0
        || SetUserSetting(kProgram, kSettleKey, SettleTime) != 0 || KeepClosureLimit(closure) != 0)
        MessagePopup("Readings per step",
                     "The settings apply to this run but could not be kept for the next one.");
    DiscardPanel(panel);
    readpnl = 0;
    return 0;
}

int CloseReadingsCallback(int panel, int, int event, void *, int, int)
{
    return DiscardOnCommit(panel, event, readpnl);
}
