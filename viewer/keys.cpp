// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard's way to what the mouse does on the main panel: choosing the
// plane that the rotate buttons turn (a click on its curve otherwise), and
// the selected plane said in words beside its colour.
#include <string>

#include "antenna.h"
#include "antenna_uir.h"
#include "rt.h"

namespace {

// As a click on the plane's curve selects it.
void SelectPlane(int color, int value)
{
    if (!PatternOpen())
        return;
    SetCtrlAttribute(antennalab, ANTENNALAB_ROTATION, RT_ATTR_TEXT_COLOR, color);
    SetCtrlAttribute(antennalab, ANTENNALAB_ROTATION, RT_ATTR_TEXT_BGCOLOR, color);
    SetCtrlVal(antennalab, ANTENNALAB_ROTATION, value);
}

}  // namespace

void SelectEPlaneCallback(int, int, void *, int)
{
    SelectPlane(RT_RED, REDvalue);
}

void SelectHPlaneCallback(int, int, void *, int)
{
    SelectPlane(RT_BLUE, BLUEvalue);
}

void ShowSelectedPlane()
{
    if (antennalab <= 0)
        return;
    int color = 0;
    GetCtrlAttribute(antennalab, ANTENNALAB_ROTATION, RT_ATTR_TEXT_COLOR, &color);
    const std::string words = std::string(color == RT_RED    ? "E plane selected"
                                          : color == RT_BLUE ? "H plane selected"
                                                             : "No plane selected")
                              + " (keys E and H or a click on a curve choose)";
    char shown[200] = "";
    GetCtrlVal(antennalab, ANTENNALAB_ROTPLANE, shown);
    if (words != shown)
        SetCtrlVal(antennalab, ANTENNALAB_ROTPLANE, words.c_str());
}
