// SPDX-License-Identifier: GPL-3.0-or-later
// Measurement engine: the poll timer, the automatic sweep and Stop.
#include "kesto.h"
#include "kesto_uir.h"
#include "rig_protocol.h"
#include "rt.h"

int KestoTimerCallback(int, int, int event, void *, int, int)
{
    if (event != RT_EVENT_TIMER_TICK)
        return 0;
    GetCtrlVal(kestopnl, KESTOPNL_ATTN, &AttnVals);
    outBuffers[0] = rigproto::kCmdReport;
    inBuffers[0] = 0;
    CalVal(outBuffers, inBuffers);
    return 0;
}

int DataIndex = 0;
int StopFlag = 0;
int tval = 0;
int sound = 0;
int QuestionCompleteE = 0, QuestionCompleteH = 0;

namespace {

constexpr int kSweepSteps = 359;
int sweeping = 0;

// Files the present level as sample `index` of the selected plane; the third
// plane files nothing, and an index outside the array is refused.
void FileLevel(unsigned index)
{
    if (index >= unsigned(KESTO_SAMPLES))
        return;
    if (PlaneType == 0)
        imsi_Edata[index] = Level;
    else if (PlaneType == 1)
        imsi_Hdata[index] = Level;
    PlaneSampleFiled(PlaneType, index);
}

// Lets the event loop run (Stop, Save and the menus stay within reach) until
// the connection question may be asked again.
void RestWhileLinkDown(void)
{
    while (RigLinkRest() > 0 && StopFlag == 0) {
        ProcessSystemEvents();
        Delay(0.02);
    }
}

void FileNextSample(void)
{
    if ((PlaneType == 0 || PlaneType == 1) && DataIndex < KESTO_SAMPLES) {
        FileLevel(unsigned(DataIndex));
        ++DataIndex;
    }
}

template <std::size_t N> void CopyStamp(char (&to)[N], const char *from)
{
    std::size_t i = 0;
    for (; i + 1 < N && from[i]; ++i)
        to[i] = from[i];
    to[i] = 0;
}

void Sweep(int panel)
{
    sweeping = 1;
    // Where the sweep starts and the level read there: the closing exchange
    // reads that level again when the rig comes back to this angle.
    const unsigned startAngle = Angle;
    const double startLevel = Level;
    const int plane = PlaneType;
    PlaneSweepStarted(plane);
    ShowSweepStarted(plane);
    FileLevel(Angle);
    StopFlag = 0;
    CopyStamp(Etime, TimeStr());
    CopyStamp(Htime, Etime);
    CopyStamp(Edate, DateStr());
    CopyStamp(Hdate, Edate);
    FileNextSample();
    SetCtrlVal(panel, KESTOPNL_PROGRESS, 0);
    SweepProgressStart(panel);
    SweepReadingsStart();
    int done = 0;
    for (int i = 0; i < kSweepSteps; ++i) {
        ProcessSystemEvents();
        if (StopFlag == 1)
            break;
        GetMenuBarAttribute(menu_handle, KESTOMENU_SOUND, RT_ATTR_CHECKED, &sound);
        if (sound == 1 && i == 0)
            RigSend(rigproto::kCmdSoundOn);
        if (sound == 1 && i == kSweepSteps - 1)
            RigSend(rigproto::kCmdSoundOff);
        AngInc1Callback(panel, KESTOPNL_INC1, RT_EVENT_COMMIT, nullptr, 0, 0);
        if (RigLinkDown()) {
            // The link is still down after the user confirmed it: the step is
            // made again once it is back, so no sample is filed out of step.
            RestWhileLinkDown();
            --i;
            continue;
        }
        ReadStepLevel(i + 1);
        FileNextSample();
        SetCtrlVal(panel, KESTOPNL_PROGRESS, i + 1);
        SweepProgressStep(panel, ++done);
    }
    const int full = done == kSweepSteps;
    PlaneSweepsEnded(full);
    if (PlaneType == 0) {
        QuestionCompleteE = 1;
        GetCtrlVal(panel, KESTOPNL_ATTN, &Eattn);
    } else if (PlaneType == 1) {
        QuestionCompleteH = 1;
        GetCtrlVal(panel, KESTOPNL_ATTN, &Hattn);
    }
    DataIndex = 0;
    SetCtrlAttribute(panel, KESTOPNL_TIMER, RT_ATTR_ENABLED, 1);
    outBuffers[0] = rigproto::kCmdInit;
    inBuffers[0] = 0;
    CalVal(outBuffers, inBuffers);
    if (QuestionCompleteE == 1 || QuestionCompleteH == 1)
        QuestionSave = 1;
    ShowSweepEnded(plane, full, done, startAngle, startLevel);
    if (QuestionSave == 1)
        KeepRecoveryAfterSweep();
    SweepProgressEnd(panel, done);
    sweeping = 0;
    SweepReadingsEnd();
}

}  // namespace

int SweepRunning(void)
{
    return sweeping;
}

int AutoCallback(int panel, int, int event, void *, int, int)
{
    // A press while a sweep runs starts no second sweep, and leaves the step
    // count that the running sweep will give back untouched.
    if (sweeping)
        return 0;
    tval = Sstep;
    Sstep = 1;
    if (event == RT_EVENT_COMMIT && ConfirmOverwriteOfUnsavedSweep(PlaneType))
        Sweep(panel);
    Sstep = std::uint16_t(tval);
    return 0;
}

int StopCallback(int, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    outBuffers[0] = rigproto::kCmdInit;
    inBuffers[0] = 0;
    first = 1;
    if (sound == 1)
        RigSend(rigproto::kCmdSoundOff);
    RigInitUndecoded();
    // Outside a sweep the saved count is not the user's: leave Sstep alone.
    if (sweeping)
        Sstep = std::uint16_t(tval);
    StopFlag = 1;
    return 0;
}
