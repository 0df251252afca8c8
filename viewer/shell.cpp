// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the viewer, its program-wide state and the dimming operations
// that decide which commands are usable when.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "antenna.h"
#include "antenna_uir.h"
#include "launch.h"
#include "library.h"
#include "rt.h"

int antennalab = 0;
int logo = 0;
int infopnl = 0;
int pichandle = 0;
int LOGOflag = 0;
int Ctrl3D = 0;
int Third = 0;

const char NO_FILE[] = "nothing";
char filepathname[FILEPATH_SIZE] = "nothing";
int Changed = 0;
PatternRecord *ptsPtr = nullptr;
int desNO = 0;
int EMAX = -1, HMAX = -1;
double *polarPtr = nullptr;
double *carPtr = nullptr;
int arrayX[360];

int polarPlot1, polarPlot2, polarPlot3, polarPlot4;
int carPlot1, carPlot2;
int Eflag = 0, Hflag = 0;
int Cursor_Flag = 0;
int plot1, plot2, plot3, plot4;

double Emin = -1.0, Emax = -1.0, Hmin = -1.0, Hmax = -1.0;
int eHPBflag, hHPBflag, eMSLflag, hMSLflag;
int hpbPlote1, hpbPlote2, hpbPloth1, hpbPloth2;
int imsiPlote, imsiTexte, imsiPloth, imsiTexth;
int REDvalue = 0, BLUEvalue = 0;

static_assert(std::size_t(FILEPATH_SIZE) == RT_PATH_SIZE, "a path buffer holds any path");

bool PatternOpen()
{
    return std::strcmp(filepathname, NO_FILE) != 0;
}

bool SetFilePathName(const char *path)
{
    const std::size_t n = std::strlen(path);
    if (n >= sizeof filepathname)
        return false;
    std::memcpy(filepathname, path, n + 1);
    return true;
}

namespace {

// The analysis area of the polar view: peak, half-power and rotation
// readouts, their toggles and buttons, and the Cartesian cursor fields.
const int kAnalysisGroup[] = {
    ANTENNALAB_EPEAKANGLE, ANTENNALAB_EPEAKLEVEL,  ANTENNALAB_HPEAKANGLE, ANTENNALAB_HPEAKLEVEL,
    ANTENNALAB_EHPB,       ANTENNALAB_EHPBLEVEL,   ANTENNALAB_HHPB,       ANTENNALAB_HHPBLEVEL,
    ANTENNALAB_ROTATION,   ANTENNALAB_CURSORINDEX, ANTENNALAB_CURSORBASE, ANTENNALAB_EHPBBTN,
    ANTENNALAB_HHPBBTN,    ANTENNALAB_EMSLBTN,     ANTENNALAB_HMSLBTN,    ANTENNALAB_GOLEFT10,
    ANTENNALAB_GOLEFT,     ANTENNALAB_GORIGHT,     ANTENNALAB_GORIGHT10,
};

// The four cursors' fields and step buttons.
const int kCursorGroup[] = {
    ANTENNALAB_CURSOR1_ANGLE, ANTENNALAB_CURSOR2_ANGLE, ANTENNALAB_CURSOR3_ANGLE,
    ANTENNALAB_CURSOR4_ANGLE, ANTENNALAB_CURSOR1_LEVEL, ANTENNALAB_CURSOR2_LEVEL,
    ANTENNALAB_CURSOR3_LEVEL, ANTENNALAB_CURSOR4_LEVEL, ANTENNALAB_GO1,
    ANTENNALAB_BACK1,         ANTENNALAB_BACKTO1,       ANTENNALAB_GOTO1,
    ANTENNALAB_GO2,           ANTENNALAB_BACK2,         ANTENNALAB_BACKTO2,
    ANTENNALAB_GOTO2,         ANTENNALAB_GO3,           ANTENNALAB_BACK3,
    ANTENNALAB_BACKTO3,       ANTENNALAB_GOTO3,         ANTENNALAB_GO4,
    ANTENNALAB_BACK4,         ANTENNALAB_BACKTO4,       ANTENNALAB_GOTO4,
};

const int kPlotCommands[] = {MENUBAR_EDATA, MENUBAR_HDATA, MENUBAR_CURSOR};

// The menu items that act on an open pattern. The information command stays
// usable without one: it then shows the empty panel.
const int kFileCommands[] = {MENUBAR_CLOSE, MENUBAR_SAVE, MENUBAR_SAVEAS, MENUBAR_FULLPRINT,
                             MENUBAR_GRAPHICPRINT};

template <int N> void DimCtrls(const int (&ids)[N], int dimmed)
{
    for (int id : ids)
        SetCtrlAttribute(antennalab, id, RT_ATTR_DIMMED, dimmed);
}

template <int N> void DimItems(const int (&ids)[N], int dimmed)
{
    const int bar = GetPanelMenuBar(antennalab);
    for (int id : ids)
        SetMenuBarAttribute(bar, id, RT_ATTR_DIMMED, dimmed);
}

}  // namespace

void DimCtrl()
{
    DimCtrls(kAnalysisGroup, 1);
}
void UnDimCtrl()
{
    DimCtrls(kAnalysisGroup, 0);
}
void CursorDimCtrl()
{
    DimCtrls(kCursorGroup, 1);
}
void CursorUnDimCtrl()
{
    DimCtrls(kCursorGroup, 0);
}

void DimMenu()
{
    DimItems(kPlotCommands, 1);
    DimItems(kFileCommands, 1);
}

void UnDimMenu()
{
    DimItems(kPlotCommands, 0);
    DimItems(kFileCommands, 0);
}

void ExtUnDimMenu()
{
    DimItems(kFileCommands, 0);
}

void FillLogo(int panel)
{
    SetCtrlVal(panel, LOGO_VERSION, (std::string("Version ") + ProgramVersion()).c_str());
}

int AntennaStartup(int /*argc*/, char **argv)
{
    if (InitCVIRTE(nullptr, argv, nullptr) == 0)
        return -1;
    RegisterAntennaCallbacks();
    if ((logo = LoadPanel(0, "antenna.uir", LOGO)) < 0)
        return -1;
    FillLogo(logo);
    DisplayPanel(logo);
    if ((antennalab = LoadPanel(0, "antenna.uir", ANTENNALAB)) < 0) {
        DiscardPanel(logo);
        return -1;
    }
    DimCtrl();
    DimMenu();
    CursorDimCtrl();
    Ctrl3D = Viewer3DConvert();
    SetFilePathName(NO_FILE);
    Eflag = 0;
    Hflag = 0;
    LOGOflag = 0;
    Init_Polar();
    Init_Cartesian();
    SetAttribute();
    // The logo stays up at least this long once the main panel is ready.
    Delay(1.0);
    DiscardPanel(logo);
    logo = 0;
    DisplayPanel(antennalab);
    SetCtrlAttribute(antennalab, ANTENNALAB_POLAR, RT_ATTR_VISIBLE, 1);
    StartDesktopFeatures();
    StartGraphContrast();
    return 0;
}

namespace {

const ProgramInfo kAntennaProgram = {
    "antenna", "org.veloran.antenna",
    "Views and analyses antenna patterns measured with the Veloran kit.", "FILE.atn",
    "Pattern file to open once the program has started."};

// --self-check: where each run-time file was found and what the peak
// readouts show, so that an installation can be checked from a script.
// Status 1 when a file is missing.
int SelfCheckReport()
{
    int missing = 0;
    auto report = [&](const char *kind, const char *name) {
        const std::string path = FindRunTimeFile(name);
        std::printf("%s %s %s\n", kind, name, path.empty() ? "(missing)" : path.c_str());
        missing += path.empty();
    };
    report("panels", "antenna.uir");
    for (int t = 0; t < ANT_TYPES; ++t)
        report("picture", AntPicture[t]);
    report("help", ANTENNA_HELP_FILE);
    report("program", KESTO_PROGRAM);
    std::printf("file %s\n", filepathname);
    int angle = 0;
    double level = 0.0;
    GetCtrlVal(antennalab, ANTENNALAB_EPEAKANGLE, &angle);
    GetCtrlVal(antennalab, ANTENNALAB_EPEAKLEVEL, &level);
    std::printf("E-peak %d %.6f\n", angle, level);
    GetCtrlVal(antennalab, ANTENNALAB_HPEAKANGLE, &angle);
    GetCtrlVal(antennalab, ANTENNALAB_HPEAKLEVEL, &level);
    std::printf("H-peak %d %.6f\n", angle, level);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "antenna: the report could not be written: %s\n",
                     std::strerror(errno));
        return 1;
    }
    return missing ? 1 : 0;
}

}  // namespace

int AntennaMain(int argc, char **argv)
{
    const CommandLine cl = ReadCommandLine(argc, argv, kAntennaProgram);
    if (cl.exitStatus >= 0)
        return cl.exitStatus;
    if (AntennaStartup(argc, argv) < 0)
        return -1;
    if (cl.selfCheck) {
        // Run from scripts: a file that cannot be opened is said on the
        // error output, never in a message box that nobody answers.
        KeepRecentFiles(false);
        std::string error;
        const bool opened = cl.file.empty() || OpenPatternFile(cl.file.c_str(), antennalab, &error);
        if (!opened)
            std::fprintf(stderr, "antenna: %s\n", error.c_str());
        const int status = SelfCheckReport();
        return opened ? status : 1;
    }
    if (!cl.file.empty())
        OpenPatternFile(cl.file.c_str(), antennalab);
    UpdateWindowTitle();
    ShowSelectedPlane();
    RunUserInterface();
    return 0;
}
