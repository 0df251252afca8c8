// SPDX-License-Identifier: GPL-3.0-or-later
// Attenuation and sound settings.
#include "kesto.h"
#include "kesto_uir.h"
#include "rig_protocol.h"
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
    Level = rigproto::RawToLevel(rigproto::Word(LH, LL), AttnVals);
    SetCtrlVal(panel, KESTOPNL_LEVEL, Level);
    return 0;
}

void SoundCallback(int menuBar, int, void *, int)
{
    SetMenuBarAttribute(menuBar, KESTOMENU_SOUND, RT_ATTR_CHECKED, soundcheck);
    soundcheck = !soundcheck;
}

namespace {

int highContrast = 0;

// The red and white traces darker; blue already stands out from the grey.
constexpr int kPlotted[] = {RT_RED, RT_WHITE};
constexpr int kShown[] = {0x900000, RT_BLACK};

void ApplyGraphContrast()
{
    SetGraphColorMap(kestopnl, KESTOPNL_GRAPH, kPlotted, kShown, highContrast ? 2 : 0,
                     highContrast);
    SetMenuBarAttribute(menu_handle, KESTOMENU_CONTRAST, RT_ATTR_CHECKED, highContrast);
}

}  // namespace

void StartGraphContrast(void)
{
    highContrast = GetUserSetting("Kesto", "view/highContrast", 0) != 0;
    ApplyGraphContrast();
}

void HighContrastCallback(int, int, void *, int)
{
    highContrast = !highContrast;
    if (SetUserSetting("Kesto", "view/highContrast", highContrast) != 0)
        MessagePopup("High-contrast graphs", "The choice could not be kept for the next start.");
    ApplyGraphContrast();
}
