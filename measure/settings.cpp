// SPDX-License-Identifier: GPL-3.0-or-later
// Attenuation and sound settings.
#include "kesto.h"
#include "kesto_uir.h"
#include "rt.h"

int soundcheck = 1;

int AttnValCallback(int panel, int control, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    GetCtrlVal(panel, control, &AttnVals);
    SetCtrlVal(panel, KESTOPNL_ANGLE, Angle);
    // Re-derived from the kept reply bytes at once, without the floor; the
    // next poll brings a fresh, floored reading.
    Level = RawToLevel(LH * 256u + LL, AttnVals);
    SetCtrlVal(panel, KESTOPNL_LEVEL, Level);
    return 0;
}

void SoundCallback(int menuBar, int, void *, int)
{
    SetMenuBarAttribute(menuBar, KESTOMENU_SOUND, RT_ATTR_CHECKED, soundcheck);
    soundcheck = !soundcheck;
}
