// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the measurement program's tests: start-up through the port
// chooser against an in-process simulated rig, and read-back of what the rig
// received and what the program showed.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

#include "bind_sim_rig.h"
#include "kesto.h"
#include "kesto_uir.h"
#include "rt.h"
#include "rt_fixture.h"
#include "testing.h"

namespace kt {

inline const int kChooserButtons[5] = {0, PORTPNL_COM1, PORTPNL_COM2, PORTPNL_COM3, PORTPNL_COM4};
// Plots of the empty polar frame: 7 rings, 6 diameters, 18 labels.
constexpr int kFramePlots = 31;

// Every case works in a directory of its own (the program deletes
// "kesto.inf" in the current directory).
inline void EnterScratchDir()
{
    std::filesystem::current_path(rt::test::ScratchDir());
}

// Types text into a multi-line text box of a panel, replacing what it held.
inline void TypeInto(int panel, int control, const std::string &text)
{
    auto *edit = qobject_cast<QPlainTextEdit *>(rt::test::CtrlWidget(panel, control));
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    edit->insertPlainText(QString::fromStdString(text));
}

// A case that runs in the scratch directory.
class InScratchDir : public testing::Test {
protected:
    void SetUp() override { EnterScratchDir(); }
};

inline std::shared_ptr<rigsim::RigModel> MakeRig(int port = 1)
{
    auto rig = std::make_shared<rigsim::RigModel>();
    rig->setAntenna(rigsim::Antenna::Dipole);
    rigsim::BindSimulatedRig(port, rig);
    return rig;
}

inline std::string Received(const rigsim::RigModel &rig)
{
    const auto v = rig.received();
    return std::string(v.begin(), v.end());
}

// Runs the program: `beforeChoice` runs while the chooser waits (the main
// panel is loaded then), the chooser button `button` is pressed, and
// `script` runs as the event loop. Returns main's exit code.
inline int RunKesto(int button, std::function<void()> script,
                    std::function<void()> beforeChoice = {})
{
    rt::test::OnUserEventWait([button, beforeChoice] {
        if (beforeChoice)
            beforeChoice();
        rt::test::PressButton(portpnl, button);
    });
    rt::test::SetRunScript(std::move(script));
    static char arg0[] = "Kesto";
    static char *argv[] = {arg0, nullptr};
    return KestoMain(1, argv);
}

// Runs `action` from the event loop that the sweep lets run between steps,
// once the rig has made `steps` steps.
inline void AfterSteps(std::shared_ptr<rigsim::RigModel> rig, int steps,
                       std::function<void()> action)
{
    QMetaObject::invokeMethod(
        qApp,
        [rig, steps, action] {
            if (rig->steps() >= steps)
                action();
            else
                AfterSteps(rig, steps, action);
        },
        Qt::QueuedConnection);
}

inline unsigned AngleShown()
{
    unsigned a = 0;
    GetCtrlVal(kestopnl, KESTOPNL_ANGLE, &a);
    return a;
}

inline double LevelShown()
{
    double l = 0;
    GetCtrlVal(kestopnl, KESTOPNL_LEVEL, &l);
    return l;
}

inline int PlotCount()
{
    return rt::test::PlotCount(kestopnl, KESTOPNL_GRAPH);
}

inline int TimerOn()
{
    int on = -1;
    GetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, &on);
    return on;
}

inline bool MarkerExists()
{
    return std::filesystem::exists("kesto.inf");
}

inline void MakeMarker()
{
    FILE *f = std::fopen("kesto.inf", "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("kesto", f);
    std::fclose(f);
}

inline const char *kConnection =
    "Confirm the connection between power and cable.\nPress Yes after doing connection.\n"
    "Press No if you want to quit.";

// The level the rig with this antenna reports at deg, decoded as Kesto does.
inline double ExpectedLevel(rigsim::Antenna antenna, int deg)
{
    rigsim::RigModel m;
    m.setAntenna(antenna);
    m.setAngle(deg);
    const auto r = m.report();
    return std::max(-30.0, (r[0] * 256 + r[1]) / 20.0 - 50.0);
}

// How often the connection question has been asked.
inline int Questions()
{
    int n = 0;
    for (const auto &p : rt::test::Popups())
        if (p.kind == "confirm" && p.title == "Error" && p.text == kConnection)
            ++n;
    return n;
}

}  // namespace kt
