// Readouts of the polar view: peak of each plane, cursor differences, and
// the half-power and MSL overlays on the polar graph.
#include <cstdlib>

#include "analysis.h"
#include "antenna.h"
#include "antenna_uir.h"
#include "rt.h"

namespace {

void PeakReadout(const double *levels, int peak, int angleCtrl, int levelCtrl)
{
    SetCtrlVal(antennalab, angleCtrl, peak);
    // Without a peak there is no level to show; the old one stays.
    if (peak >= 0 && peak < LEVELS)
        SetCtrlVal(antennalab, levelCtrl, levels[peak]);
}

void Differences(int angle1, int angle2, int level1, int level2, int angleDiff, int levelDiff)
{
    int a1 = 0, a2 = 0;
    double l1 = 0, l2 = 0;
    GetCtrlVal(antennalab, angle1, &a1);
    GetCtrlVal(antennalab, angle2, &a2);
    SetCtrlVal(antennalab, angleDiff, std::abs(a1 - a2));
    GetCtrlVal(antennalab, level1, &l1);
    GetCtrlVal(antennalab, level2, &l2);
    SetCtrlVal(antennalab, levelDiff, l1 - l2);
}

} // namespace

void ViewData()
{
    if (!PatternOpen())
        return;
    const PatternRecord &r = *ptsPtr;
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR1_LEVEL, r.e_data[0]);
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR2_LEVEL, r.e_data[0]);
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR3_LEVEL, r.h_data[0]);
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR4_LEVEL, r.h_data[0]);
    PeakReadout(r.e_data, EMAX, ANTENNALAB_EPEAKANGLE, ANTENNALAB_EPEAKLEVEL);
    PeakReadout(r.h_data, HMAX, ANTENNALAB_HPEAKANGLE, ANTENNALAB_HPEAKLEVEL);
}

void CalE()
{
    Differences(ANTENNALAB_CURSOR1_ANGLE, ANTENNALAB_CURSOR2_ANGLE, ANTENNALAB_CURSOR1_LEVEL,
                ANTENNALAB_CURSOR2_LEVEL, ANTENNALAB_EANGLEDIFF, ANTENNALAB_ELEVELDIFF);
}

void CalH()
{
    Differences(ANTENNALAB_CURSOR3_ANGLE, ANTENNALAB_CURSOR4_ANGLE, ANTENNALAB_CURSOR3_LEVEL,
                ANTENNALAB_CURSOR4_LEVEL, ANTENNALAB_HANGLEDIFF, ANTENNALAB_HLEVELDIFF);
}

void RemoveOverlays()
{
    struct Overlay {
        int *flag, *plotA, *plotB, toggle;
    } overlays[] = {
        {&eHPBflag, &hpbPlote1, &hpbPlote2, ANTENNALAB_EHPBBTN},
        {&hHPBflag, &hpbPloth1, &hpbPloth2, ANTENNALAB_HHPBBTN},
        {&eMSLflag, &imsiTexte, &imsiPlote, ANTENNALAB_EMSLBTN},
        {&hMSLflag, &imsiTexth, &imsiPloth, ANTENNALAB_HMSLBTN},
    };
    for (auto &o : overlays) {
        if (*o.flag != 1)
            continue;
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, *o.plotA, RT_IMMEDIATE_DRAW);
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, *o.plotB, RT_IMMEDIATE_DRAW);
        *o.flag = 0;
        SetCtrlVal(antennalab, o.toggle, 0); // the toggle shows the overlay is gone
    }
}
