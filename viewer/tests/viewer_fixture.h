// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for tests that drive the viewer through its panels and menus.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "antenna.h"
#include "antenna_uir.h"
#include "pattern_builder.h"
#include "pattern_file.h"
#include "rt.h"
#include "rt_fixture.h"
#include "testing.h"

namespace vt {

namespace fs = std::filesystem;

// A folder of its own for each test process, removed when it ends.
inline fs::path TempDir()
{
    return rt::test::ScratchDir();
}

// Levels of a plane made from a function of the angle.
struct Planes {
    double e[360], h[360];
};

inline Planes MakePlanes(const std::function<double(int)> &e, const std::function<double(int)> &h)
{
    Planes p;
    for (int i = 0; i < 360; ++i) {
        p.e[i] = e(i);
        p.h[i] = h(i);
    }
    return p;
}

// A smooth single-lobe pattern: peak level at peak degrees, falling off
// with the angular distance.
inline double Lobe(int angle, int peak, double top, double perDegree)
{
    int d = std::abs(angle - peak) % 360;
    d = std::min(d, 360 - d);
    return std::max(-30.0, top - perDegree * d);
}

inline std::string WriteAtn(const std::string &name, const Planes &p,
                            const std::string &person = "Kim", const std::string &descript = "")
{
    const std::string path = (TempDir() / name).string();
    PatternBuilder d;
    d.type(0).attn(10, 0).viewerText(person, descript);
    d.eTaken("03-15-2004", "10:20:30").hTaken("03-15-2004", "10:40:00").e(p.e).h(p.h);
    EXPECT_TRUE(d.write(path).ok);
    return path;
}

inline std::string WriteBytes(const std::string &name, const std::string &bytes)
{
    const std::string path = (TempDir() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

inline std::string ReadBytes(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline int Bar()
{
    return GetPanelMenuBar(antennalab);
}

inline void Menu(int item)
{
    rt::test::ChooseMenuItem(Bar(), item);
}

inline void Start()
{
    ASSERT_EQ(AntennaStartup(0, nullptr), 0);
    ASSERT_GT(antennalab, 0);
}

inline void Open(const std::string &path)
{
    rt::test::ChooseFile(path);
    Menu(MENUBAR_OPEN);
}

inline int Int(int ctrl)
{
    int v = 0;
    GetCtrlVal(antennalab, ctrl, &v);
    return v;
}

inline double Dbl(int ctrl)
{
    double v = 0;
    GetCtrlVal(antennalab, ctrl, &v);
    return v;
}

inline bool CtrlDimmed(int ctrl)
{
    int v = 0;
    GetCtrlAttribute(antennalab, ctrl, RT_ATTR_DIMMED, &v);
    return v != 0;
}

inline bool Visible(int ctrl)
{
    int v = 0;
    GetCtrlAttribute(antennalab, ctrl, RT_ATTR_VISIBLE, &v);
    return v != 0;
}

inline bool ItemDimmed(int item)
{
    int v = 0;
    GetMenuBarAttribute(Bar(), item, RT_ATTR_DIMMED, &v);
    return v != 0;
}

inline bool ItemChecked(int item)
{
    int v = 0;
    GetMenuBarAttribute(Bar(), item, RT_ATTR_CHECKED, &v);
    return v != 0;
}

inline int RotationColor()
{
    int v = -1;
    GetCtrlAttribute(antennalab, ANTENNALAB_ROTATION, RT_ATTR_TEXT_COLOR, &v);
    return v;
}

// The plot item with this handle, or null.
inline const rt::PlotItem *Item(const std::vector<rt::PlotItem> &items, int handle)
{
    for (const auto &i : items)
        if (i.handle == handle)
            return &i;
    return nullptr;
}

inline bool OnGraph(int ctrl, int handle)
{
    const auto items = rt::test::GraphItems(antennalab, ctrl);
    return Item(items, handle) != nullptr;
}

// Groups as a student meets them on the panel.
inline const std::vector<int> kAnalysis = {
    ANTENNALAB_EPEAKANGLE, ANTENNALAB_EPEAKLEVEL,  ANTENNALAB_HPEAKANGLE, ANTENNALAB_HPEAKLEVEL,
    ANTENNALAB_EHPB,       ANTENNALAB_EHPBLEVEL,   ANTENNALAB_HHPB,       ANTENNALAB_HHPBLEVEL,
    ANTENNALAB_ROTATION,   ANTENNALAB_CURSORINDEX, ANTENNALAB_CURSORBASE, ANTENNALAB_EHPBBTN,
    ANTENNALAB_HHPBBTN,    ANTENNALAB_EMSLBTN,     ANTENNALAB_HMSLBTN,    ANTENNALAB_GOLEFT,
    ANTENNALAB_GORIGHT,    ANTENNALAB_GOLEFT10,    ANTENNALAB_GORIGHT10};
inline const std::vector<int> kCursor = {ANTENNALAB_CURSOR1_ANGLE, ANTENNALAB_CURSOR4_ANGLE,
                                         ANTENNALAB_CURSOR2_LEVEL, ANTENNALAB_CURSOR3_LEVEL,
                                         ANTENNALAB_GO1,           ANTENNALAB_BACK2,
                                         ANTENNALAB_BACKTO3,       ANTENNALAB_GOTO4};
inline const std::vector<int> kPlotItems = {MENUBAR_EDATA, MENUBAR_HDATA, MENUBAR_CURSOR};
inline const std::vector<int> kFileItems = {MENUBAR_CLOSE, MENUBAR_SAVE, MENUBAR_SAVEAS,
                                            MENUBAR_FULLPRINT, MENUBAR_GRAPHICPRINT};

inline int CountDimmed(const std::vector<int> &ctrls)
{
    int n = 0;
    for (int c : ctrls)
        n += CtrlDimmed(c);
    return n;
}

inline int CountItemsDimmed(const std::vector<int> &items)
{
    int n = 0;
    for (int i : items)
        n += ItemDimmed(i);
    return n;
}

}  // namespace vt
