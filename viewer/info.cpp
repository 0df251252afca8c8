// SPDX-License-Identifier: GPL-3.0-or-later
// The information panel shows the header of the open record as it was when
// the command was given; the print commands print the main panel or the
// graph of the current view.
#include "info.h"

#include "antenna.h"
#include "antenna_uir.h"
#include "codepage.h"
#include "library.h"
#include "ogl3d.h"
#include "rt.h"

const char *AntNameText(int type)
{
    const char *name = AntNameOf(type);
    return name ? name : "It is not specified.";
}

void InfoCallback(int, int, void *, int)
{
    infopnl = LoadPanel(0, "antenna.uir", INFOPNL);
    if (infopnl < 0) {
        infopnl = 0;
        return;
    }
    if (PatternOpen() && ptsPtr) {
        const PatternRecord &r = *ptsPtr;
        SetCtrlVal(infopnl, INFOPNL_EDATE, r.Edate);
        SetCtrlVal(infopnl, INFOPNL_HDATE, r.Hdate);
        SetCtrlVal(infopnl, INFOPNL_EDATE, " / ");
        SetCtrlVal(infopnl, INFOPNL_HDATE, " / ");
        SetCtrlVal(infopnl, INFOPNL_EDATE, r.Etime);
        SetCtrlVal(infopnl, INFOPNL_HDATE, r.Htime);
        SetCtrlVal(infopnl, INFOPNL_EATTN, r.Eattn);
        SetCtrlVal(infopnl, INFOPNL_HATTN, r.Hattn);
        // The texts as the user's code page shows them; the record keeps
        // the bytes of the file.
        SetCtrlVal(infopnl, INFOPNL_PERSON, ShownPerson(r.person).c_str());
        SetCtrlVal(infopnl, INFOPNL_DESCRIPT, ShownDescript(r.descript).c_str());
        // A type outside the library shows like no type: the description
        // field keeps what the panel was loaded with.
        SetCtrlVal(infopnl, INFOPNL_ANTNAME, AntNameText(r.Antype));
        if (const char *text = AntDescriptOf(r.Antype))
            SetCtrlVal(infopnl, INFOPNL_ANTDESCRIPT, text);
    }
    DisplayPanel(infopnl);
}

void FullPrintCallback(int, int, void *, int panel)
{
    PrintPanel(panel, "", 1, 1, 1);
}

void GraphicPrintCallback(int, int, void *, int panel)
{
    int visible = 0;
    GetCtrlAttribute(antennalab, ANTENNALAB_CARTESIAN, RT_ATTR_VISIBLE, &visible);
    if (visible) {
        PrintCtrl(antennalab, ANTENNALAB_CARTESIAN, "", 1, 1);
        return;
    }
    GetCtrlAttribute(antennalab, ANTENNALAB_POLAR, RT_ATTR_VISIBLE, &visible);
    if (visible) {
        PrintCtrl(antennalab, ANTENNALAB_POLAR, "", 1, 1);
        return;
    }
    // The 3D view: its rendering goes into the canvas as a picture first.
    OGLCopyScaledCtrlBitmap(panel, Ctrl3D, 0, -1, -1, -1, ANTENNALAB_CANVAS3D);
    PrintCtrl(panel, ANTENNALAB_CANVAS3D, "", 0, 1);
}
