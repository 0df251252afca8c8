// SPDX-License-Identifier: GPL-3.0-or-later
// The antenna library, the About box, the picture panel and the help command.
#include "library.h"

#include "antenna.h"
#include "antenna_uir.h"
#include "rt.h"
#include "threed.h"

// The names and pictures are the antenna table's, in its order.
const char *const AntName[ANT_TYPES] = {
    AntennaNameOf(0),  AntennaNameOf(1),  AntennaNameOf(2),  AntennaNameOf(3),
    AntennaNameOf(4),  AntennaNameOf(5),  AntennaNameOf(6),  AntennaNameOf(7),
    AntennaNameOf(8),  AntennaNameOf(9),  AntennaNameOf(10), AntennaNameOf(11),
    AntennaNameOf(12), AntennaNameOf(13), AntennaNameOf(14), AntennaNameOf(15)};

#define DIPOLE_TEXT                                                                                \
    "It is a half-wave dipole antenna.\n(1)Bandwidth=11:1\n(2)Gain = 2\n(3)Polarization = Line"
#define MONOPOLE_TEXT                                                                              \
    "It is an antenna contacted an output\nterminal in transmitter or one axis\nof power feed "    \
    "lead to the earth.\n(1)Bandwidth=12:1\n(2)Gain = 2\n(3)Polarization = Line"
#define LOOP_TEXT                                                                                  \
    "It is smaller size than \u03bb/2or \u03bb/2 has dual\nrelation to a infinitesimal dipole "    \
    "antenna.\n(1)Bandwidth=11:1\n(2)Gain = 2\n(3)Polarization = Line"
#define PATCH_TEXT "It is made up of patch of conductions\nwhose shape is rectangular or circle."

const char *const AntDescript[ANT_TYPES] = {
    DIPOLE_TEXT,
    DIPOLE_TEXT,
    "It can be made by connecting two\nparallel dipole antenna\nwith a fine lead.\n"
    "(1)Bandwidth=12:1\n(2)Gain = 2\n(3)Polarization = Line",
    MONOPOLE_TEXT,
    MONOPOLE_TEXT,
    "It is made up of \u03bb/4 length vertically from\na central lead of a coaxial cable.\n"
    "(1)Bandwidth = 12:1\n(2)Gain = 2.5\n(3)Polarization = Line",
    LOOP_TEXT,
    LOOP_TEXT,
    LOOP_TEXT,
    "It has a simple structure and high quality\nfunction as beam antenna.\n"
    "(1)Bandwidth=below 11:1\n(2)Gain = 5:20\n(3)Polarization = Line",
    "It can be used in wide band because can\nreplace the change of physical size to the\n"
    "change of rotating angle.\n(1)Bandwidth = 20:1\n(2)Gain = ",
    "It has radial pattern of pencil-beam type\nrotating toward coiled direction of a helix.\n"
    "(1)Bandwidth = 2:1\n(2)Gain = 8\n(3)Polarization = Circle",
    "It has modified waveguide to obtain sharp beam.\n(1)Bandwidth=over 15:1\n(2)Gain = 10:20\n"
    "(3)Polarization = Line",
    PATCH_TEXT,
    PATCH_TEXT,
    PATCH_TEXT,
};

const char *const AntPicture[ANT_TYPES] = {
    AntennaPictureOf(0),  AntennaPictureOf(1),  AntennaPictureOf(2),  AntennaPictureOf(3),
    AntennaPictureOf(4),  AntennaPictureOf(5),  AntennaPictureOf(6),  AntennaPictureOf(7),
    AntennaPictureOf(8),  AntennaPictureOf(9),  AntennaPictureOf(10), AntennaPictureOf(11),
    AntennaPictureOf(12), AntennaPictureOf(13), AntennaPictureOf(14), AntennaPictureOf(15)};

namespace {

bool InLibrary(int type)
{
    return type >= 0 && type < ANT_TYPES;
}

// The information panel whose picture button opened the picture panel.
int pictureOwner = 0;

}  // namespace

const char *AntNameOf(int type)
{
    return InLibrary(type) ? AntName[type] : nullptr;
}
const char *AntDescriptOf(int type)
{
    return InLibrary(type) ? AntDescript[type] : nullptr;
}
const char *AntPictureOf(int type)
{
    return InLibrary(type) ? AntPicture[type] : nullptr;
}

void antHelpCallback(int, int, void *, int)
{
    // A second About while one is up replaces it instead of leaving a copy
    // that nothing would close.
    if (LOGOflag == 1 && logo > 0)
        DiscardPanel(logo);
    logo = LoadPanel(0, "antenna.uir", LOGO);
    if (logo < 0) {
        logo = 0;
        LOGOflag = 0;
        return;
    }
    FillLogo(logo);
    DisplayPanel(logo);
    LOGOflag = 1;
}

void antContentCallback(int, int, void *, int)
{
    SystemHelp(ANTENNA_HELP_FILE, 3, 0, nullptr);
}

int antImageCallback(int panel, int control, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    pichandle = LoadPanel(0, "antenna.uir", PICPNL);
    if (pichandle < 0) {
        pichandle = 0;
        return 0;
    }
    DisplayPanel(pichandle);
    // Without a pattern, or for a type the library does not hold, the panel
    // stays without a picture.
    if (PatternOpen() && ptsPtr)
        if (const char *file = AntPictureOf(ptsPtr->Antype))
            DisplayImageFile(pichandle, PICPNL_IMAGE, file);
    pictureOwner = panel;
    SetCtrlAttribute(panel, control, RT_ATTR_DIMMED, 1);
    return 0;
}

int QuitCallback(int panel, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    DiscardPanel(panel);
    if (panel == pichandle)
        pichandle = 0;
    SetCtrlAttribute(pictureOwner, INFOPNL_PICTURE, RT_ATTR_DIMMED, 0);
    return 0;
}

int AntennaLabCallback(int, int event, void *, int, int)
{
    switch (event) {
    case RT_EVENT_GOT_FOCUS:
        if (LOGOflag == 1) {
            DiscardPanel(logo);
            logo = 0;
            LOGOflag = 0;
        }
        break;
    case RT_EVENT_PANEL_SIZE:
        Sync3DPlotArea();
        break;
    default:
        break;
    }
    return 0;
}

int LogoCallback(int panel, int event, void *, int, int)
{
    if (event != RT_EVENT_CLOSE)
        return 0;
    DiscardPanel(panel);
    if (panel == logo) {
        logo = 0;
        LOGOflag = 0;
    }
    return 0;
}
