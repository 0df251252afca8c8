// SPDX-License-Identifier: GPL-3.0-or-later
// View > High-contrast graphs: the graphs' labels and curves in colours that
// stand out at least 3:1 from what they are drawn on, with the labels drawn
// above the curves. Off, the graphs keep their own colours.
#include "antenna.h"
#include "antenna_uir.h"
#include "rt.h"

namespace {

const char kProgram[] = "antenna";
const char kKey[] = "view/highContrast";

// Ring labels: the grey text on a darker teal; the H plane's blue lighter;
// the Cartesian labels on a black box of their own, which hides a curve
// passing behind them.
constexpr int kFrom[] = {0x008080, RT_BLUE, RT_TRANSPARENT};
constexpr int kTo[] = {0x004040, 0x5090FF, RT_BLACK};
constexpr int kPolarCount = 2, kCartesianCount = 3;

int gHighContrast = 0;

void Apply()
{
    SetGraphColorMap(antennalab, ANTENNALAB_POLAR, kFrom, kTo, gHighContrast ? kPolarCount : 0,
                     gHighContrast);
    SetGraphColorMap(antennalab, ANTENNALAB_CARTESIAN, kFrom, kTo,
                     gHighContrast ? kCartesianCount : 0, gHighContrast);
    SetMenuBarAttribute(GetPanelMenuBar(antennalab), MENUBAR_CONTRAST, RT_ATTR_CHECKED,
                        gHighContrast);
}

}  // namespace

void StartGraphContrast()
{
    gHighContrast = GetUserSetting(kProgram, kKey, 0) != 0;
    Apply();
}

void HighContrastCallback(int, int, void *, int)
{
    gHighContrast = !gHighContrast;
    if (SetUserSetting(kProgram, kKey, gHighContrast) != 0)
        MessagePopup("High-contrast graphs", "The choice could not be kept for the next start.");
    Apply();
}
