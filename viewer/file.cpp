// SPDX-License-Identifier: GPL-3.0-or-later
// File commands: open, close, save, save as, exit, and closing a secondary
// panel. At most one pattern is open at a time.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "antenna.h"
#include "antenna_uir.h"
#include "checks_view.h"
#include "files_overlay.h"
#include "lobes.h"
#include "pattern_file.h"
#include "rt.h"
#include "theory_view.h"

namespace {

// The question that opens open, close and both exits. Returns false when
// the user asked to save and the save failed: the command then stops, so
// that the unsaved pattern is not dropped.
bool UnsavedChangesQuestion(const char *title, double pause)
{
    if (!PatternOpen() || Changed != 1)
        return true;
    if (ConfirmPopup(title, "Save changes to the current file?") != 1)
        return true;
    if (!SavePattern(filepathname))
        return false;
    Delay(pause);
    return true;
}

void ReleasePattern()
{
    delete ptsPtr;
    delete[] carPtr;
    delete[] polarPtr;
    ptsPtr = nullptr;
    carPtr = nullptr;
    polarPtr = nullptr;
}

void SetRotationDisplay(int color, int value)
{
    SetCtrlAttribute(antennalab, ANTENNALAB_ROTATION, RT_ATTR_TEXT_COLOR, color);
    SetCtrlAttribute(antennalab, ANTENNALAB_ROTATION, RT_ATTR_TEXT_BGCOLOR, color);
    SetCtrlVal(antennalab, ANTENNALAB_ROTATION, value);
}

// Removes the open pattern (close without the question).
void ClosePattern(int panel)
{
    DeleteGraphPlot(antennalab, ANTENNALAB_CARTESIAN, carPlot1, RT_DELAYED_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_CARTESIAN, carPlot2, RT_DELAYED_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarPlot1, RT_DELAYED_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarPlot2, RT_DELAYED_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarPlot3, RT_DELAYED_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarPlot4, RT_DELAYED_DRAW);
    if (Third == 1)
        Viewer3DClear();
    SetFilePathName(NO_FILE);
    ReleasePattern();
    DimCtrl();
    DimMenu();
    CursorDimCtrl();
    SetRotationDisplay(0, 0);
    if (Cursor_Flag == 1) {
        for (int p : {plot1, plot2, plot3, plot4})
            DeleteGraphPlot(panel, ANTENNALAB_POLAR, p, RT_IMMEDIATE_DRAW);
        Cursor_Flag = 0;
        CursorDimCtrl();
        SetMenuBarAttribute(GetPanelMenuBar(antennalab), MENUBAR_CURSOR, RT_ATTR_CHECKED, 0);
    }
}

bool SameFile(const char *a, const char *b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

void ExitCommand()
{
    if (!UnsavedChangesQuestion("Save", 1.0))
        return;
    if (ConfirmPopup("Confirm", "Are you want to quit?") != 1)
        return;
    Changed = 0;
    if (PatternOpen()) {
        ReleasePattern();
        SetFilePathName(NO_FILE);
    }
    QuitUserInterface(0);
}

}  // namespace

bool SavePattern(const char *path)
{
    if (!ptsPtr)
        return false;
    const PatternRecord &r = *ptsPtr;
    std::string text;
    PatternFileData d = PatternFileDataOf(r, desNO, text);
    if (Eflag == 1)  // a hidden plane is saved as zeros
        d.e_data = nullptr;
    if (Hflag == 1)
        d.h_data = nullptr;
    const PatternFileResult res = WritePatternFile(path, d);
    if (!res.ok)
        MessagePopup("Veloran", ("The pattern was not saved. " + res.error).c_str());
    else
        NoteSavedContent();
    return res.ok;
}

void OpenCallback(int, int, void *, int panel)
{
    if (!UnsavedChangesQuestion("File Save", 1.0))
        return;
    Changed = 0;
    char path[FILEPATH_SIZE] = "";
    const int chosen = FileSelectPopup("", "*.atn", "*.atn", "File Open", RT_OK_BUTTON, 0, 0, 1, 1,
                                       path, sizeof path);
    RemoveOverlays();
    if (chosen != RT_EXISTING_FILE_SELECTED)
        return;
    OpenPatternFile(path, panel);
}

std::string ReadViewerPattern(const char *path, PatternRecord &rec, int &lines, int &emax,
                              int &hmax)
{
    // filepathname holds any path the system can open; a longer one is
    // refused as opening it would be.
    if (std::strlen(path) >= sizeof filepathname)
        return "Cannot open \"" + std::string(path) + "\": " + std::strerror(ENAMETOOLONG);
    // A file far larger than any pattern is refused before it is read, not
    // read whole only to be refused.
    long size = 0;
    if (GetFileInfo(path, &size) == 1 && std::size_t(size) > PATTERN_FILE_LIMIT)
        return "\"" + std::string(path) + "\" is too large for a pattern file ("
               + std::to_string(size) + " bytes); it was not opened.";
    const PatternFileResult res = ReadPatternFile(path, rec, lines, emax, hmax);
    return res.ok ? std::string() : res.error;
}

bool OpenPatternFile(const char *path, int panel, std::string *error)
{
    auto refuse = [&](const std::string &why) {
        if (error)
            *error = why;
        else
            MessagePopup("Veloran", why.c_str());
        return false;
    };
    if (std::strlen(path) < sizeof filepathname && PatternOpen() && SameFile(path, filepathname))
        return refuse("This is the current file.");
    // Read before the open pattern goes, so that a file that cannot be read
    // leaves everything as it was.
    auto *rec = new PatternRecord;
    int lines = 0, emax = -1, hmax = -1;
    const std::string why = ReadViewerPattern(path, *rec, lines, emax, hmax);
    if (!why.empty()) {
        delete rec;
        return refuse(why);
    }
    REDvalue = BLUEvalue = 0;
    ClosePattern(panel);
    int polarVisible = 0;
    GetCtrlAttribute(antennalab, ANTENNALAB_POLAR, RT_ATTR_VISIBLE, &polarVisible);
    if (polarVisible) {
        UnDimCtrl();
        UnDimMenu();
    } else {
        ExtUnDimMenu();
    }
    Emin = Emax = Hmin = Hmax = -1.0;
    SetFilePathName(path);
    ptsPtr = rec;
    desNO = lines;
    EMAX = emax;
    HMAX = hmax;
    polarPtr = new double[4 * 360];
    carPtr = new double[2 * 360];
    BuildPlane(0, 360);
    BuildPlane(1, 360);
    Eflag = Hflag = 0;
    const int bar = GetPanelMenuBar(antennalab);
    SetMenuBarAttribute(bar, MENUBAR_EDATA, RT_ATTR_ITEM_NAME, " E Data delete");
    SetMenuBarAttribute(bar, MENUBAR_HDATA, RT_ATTR_ITEM_NAME, " H data delete");
    DrawPlots();
    for (int c : {ANTENNALAB_CURSOR1_ANGLE, ANTENNALAB_CURSOR2_ANGLE, ANTENNALAB_CURSOR3_ANGLE,
                  ANTENNALAB_CURSOR4_ANGLE})
        SetCtrlVal(antennalab, c, 0);
    ViewData();
    if (Third == 1)
        Viewer3DRedraw();
    SetRotationDisplay(RT_RED, REDvalue);
    RefreshLobePanel();
    RefreshChecksPanel();
    TheoryPatternChanged();
    ClearFileOverlay();
    NoteRecentFile(path);
    return true;
}

void OpenChosenFile(const char *path, int panel)
{
    if (!UnsavedChangesQuestion("File Save", 1.0))
        return;
    Changed = 0;
    RemoveOverlays();
    OpenPatternFile(path, panel);
}

void CloseCallback(int, int, void *, int panel)
{
    if (!UnsavedChangesQuestion("Save", 2.0))
        return;
    Changed = 0;
    if (!PatternOpen())
        return;
    ClosePattern(panel);
    RefreshLobePanel();
    RefreshChecksPanel();
    TheoryPatternChanged();
    ClearFileOverlay();
}

void SaveCallback(int, int, void *, int)
{
    if (PatternOpen())
        SavePattern(filepathname);
}

void SaveAsCallback(int, int, void *, int)
{
    if (!PatternOpen())
        return;
    char path[FILEPATH_SIZE] = "";
    if (FileSelectPopup("", "*.atn", "*.atn", "Save as", RT_SAVE_BUTTON, 0, 0, 1, 1, path,
                        sizeof path)
        == RT_NO_FILE_SELECTED)
        return;
    // The changes are on disk now. The loaded file stays the target of Save,
    // but no later question offers to write them over it unasked.
    if (SavePattern(path))
        Changed = 0;
}

void ExitCallback(int, int, void *, int)
{
    ExitCommand();
}

int ExitBttnCallback(int, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT)
        ExitCommand();
    return 0;
}

int ShutDownCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT)
        DiscardPanel(panel);
    return 0;
}
