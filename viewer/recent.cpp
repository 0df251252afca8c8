// SPDX-License-Identifier: GPL-3.0-or-later
// What the viewer does as a desktop program beyond its designed commands:
// File > Recent files, the window title that names the open file and marks
// unsaved changes, and pattern files dropped on the main window.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "antenna.h"
#include "antenna_uir.h"
#include "rt.h"

namespace {

const char kProgram[] = "antenna";
const char kTitle[] = "antenna - Veloran pattern viewer";
constexpr int kRecentMax = 8;

std::vector<std::string> gRecent;  // newest first
bool gKeepRecent = true;           // off for a run that is no user's session
std::string gShownTitle;
std::vector<double> gSavedContent;  // the pattern as last read or written

// The pattern as a save would write it.
std::vector<double> Content()
{
    std::vector<double> v;
    if (!ptsPtr)
        return v;
    v.reserve(722);
    for (int i = 0; i < 360; ++i)
        v.push_back(Eflag == 1 ? 0.0 : ptsPtr->e_data[i]);
    for (int i = 0; i < 360; ++i)
        v.push_back(Hflag == 1 ? 0.0 : ptsPtr->h_data[i]);
    return v;
}

std::string RecentKey(int i)
{
    return "recent/" + std::to_string(i + 1);
}

void StoreRecent()
{
    for (int i = 0; i < kRecentMax; ++i)
        SetUserSettingText(kProgram, RecentKey(i).c_str(),
                           i < int(gRecent.size()) ? gRecent[i].c_str() : "");
}

std::string FileName(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Exists(const std::string &path)
{
    long size = 0;
    return GetFileInfo(path.c_str(), &size) == 1;
}

void RecentFileCallback(int, int, void *callbackData, int panel);

// The menu lists the files newest first, numbered 1 to 8 as mnemonics.
void FillRecentMenu()
{
    const int bar = GetPanelMenuBar(antennalab);
    EmptyMenu(bar, MENUBAR_RECENT);
    for (std::size_t i = 0; i < gRecent.size(); ++i) {
        std::string text = "&" + std::to_string(i + 1) + " " + FileName(gRecent[i]);
        NewMenuItem(bar, MENUBAR_RECENT, text.c_str(), RecentFileCallback,
                    reinterpret_cast<void *>(static_cast<std::intptr_t>(i)));
    }
    SetMenuBarAttribute(bar, MENUBAR_RECENT, RT_ATTR_DIMMED, gRecent.empty() ? 1 : 0);
}

void RecentFileCallback(int, int, void *callbackData, int panel)
{
    const auto i = static_cast<std::size_t>(reinterpret_cast<std::intptr_t>(callbackData));
    if (i >= gRecent.size())
        return;
    const std::string path = gRecent[i];
    if (!Exists(path)) {
        gRecent.erase(gRecent.begin() + std::ptrdiff_t(i));
        StoreRecent();
        FillRecentMenu();
        MessagePopup("Recent files",
                     (path + " is no longer there. It is taken off the list.").c_str());
        return;
    }
    OpenChosenFile(path.c_str(), panel);
}

void DroppedFile(int panel, const char *path)
{
    OpenChosenFile(path, panel);
}

}  // namespace

std::vector<std::string> RecentFiles()
{
    return gRecent;
}

void KeepRecentFiles(bool keep)
{
    gKeepRecent = keep;
}

void NoteRecentFile(const char *path)
{
    NoteSavedContent();
    if (!gKeepRecent)
        return;
    std::error_code ec;
    std::string full = std::filesystem::absolute(path, ec).lexically_normal().string();
    if (ec)
        full = path;
    std::erase(gRecent, full);
    gRecent.insert(gRecent.begin(), full);
    if (gRecent.size() > std::size_t(kRecentMax))
        gRecent.resize(kRecentMax);
    StoreRecent();
    FillRecentMenu();
}

void NoteSavedContent()
{
    gSavedContent = Content();
}

bool UnsavedChanges()
{
    return PatternOpen() && Changed == 1 && Content() != gSavedContent;
}

void UpdateWindowTitle()
{
    if (antennalab <= 0)
        return;
    std::string title = kTitle;
    if (PatternOpen())
        title = FileName(filepathname) + (UnsavedChanges() ? "*" : "") + " \u2014 " + kTitle;
    if (title == gShownTitle)
        return;
    gShownTitle = title;
    SetPanelAttribute(antennalab, RT_ATTR_TITLE, title.c_str());
}

namespace {

void AfterUserEvent()
{
    UpdateWindowTitle();
    ShowSelectedPlane();
}

}  // namespace

void StartDesktopFeatures()
{
    gRecent.clear();
    gShownTitle.clear();
    for (int i = 0; i < kRecentMax; ++i) {
        const std::string p = GetUserSettingText(kProgram, RecentKey(i).c_str(), "");
        if (!p.empty())
            gRecent.push_back(p);
    }
    FillRecentMenu();
    SetPanelFileDrop(antennalab, DroppedFile);
    SetAfterEventCallback(AfterUserEvent);
    AfterUserEvent();
}
