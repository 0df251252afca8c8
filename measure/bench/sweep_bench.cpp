// Sweep benchmark: how long a full sweep takes against the simulated rig
// (a) at 9600 baud with real-time pacing and no step time, compared with the
// wire time of its 361 exchanges, and (b) against an instant rig, giving our
// own cost per step with the graph drawing included.
//   sweep_bench [--shot main.png]   (--shot also saves a picture of the panel)
#include <QApplication>
#include <QByteArray>
#include <QPixmap>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "bind_sim_rig.h"
#include "kesto.h"
#include "kesto_uir.h"
#include "rt.h"
#include "testing.h"

namespace {

double SweepSeconds()
{
    const auto t0 = std::chrono::steady_clock::now();
    rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

int main(int argc, char **argv)
{
    const char *shot = nullptr;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--shot") == 0)
            shot = argv[i + 1];
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    rt::test::Enable();
    if (!InitCVIRTE(nullptr, argv, nullptr))
        return 1;

    auto paced = std::make_shared<rigsim::RigModel>();
    paced->setAntenna(rigsim::Antenna::Horn);
    paced->setLineSpeed(9600);
    paced->setStepTimeMs(0);
    paced->setInitTimeMs(0);
    rigsim::BindSimulatedRig(1, paced, rigsim::SimTiming::RealTime);
    auto instant = std::make_shared<rigsim::RigModel>();
    instant->setAntenna(rigsim::Antenna::Yagi);
    instant->setLineSpeed(0);
    rigsim::BindSimulatedRig(2, instant, rigsim::SimTiming::Virtual);

    rt::test::OnUserEventWait([] { rt::test::PressButton(portpnl, PORTPNL_COM1); });
    int status = 0;
    rt::test::SetRunScript([&] {
        rt::test::PanelWidget(kestopnl)->show();
        ProcessSystemEvents();
        // (a) paced by the line: 361 exchanges of 5 bytes at 10 bits a byte.
        const double wire = 361 * 5 * 10 / 9600.0;
        const double paced_s = SweepSeconds();
        std::printf("9600 baud, no step time: sweep %.3f s, wire time %.3f s, %+.1f %%\n",
                    paced_s, wire, 100.0 * (paced_s - wire) / wire);

        // (b) instant rig on port 2: only our own work is left.
        SetCtrlVal(kestopnl, KESTOPNL_PLANE, 1);
        PlaneType = 1;
        if (OpenComConfig(2, "", 9600, 0, 8, 1, 512, 512) != 0) {
            status = 1;
            return;
        }
        COMnumber = 2;
        const int runs = 5;
        double best = 1e9, total = 0;
        for (int r = 0; r < runs; ++r) {
            const double s = SweepSeconds();
            best = std::min(best, s);
            total += s;
        }
        std::printf("instant rig: %d sweeps, per step best %.1f us, mean %.1f us "
                    "(%d plot items on the graph at the end)\n",
                    runs, best / 359 * 1e6, total / runs / 359 * 1e6,
                    rt::test::PlotCount(kestopnl, KESTOPNL_GRAPH));
        if (shot) {
            rt::test::PanelWidget(kestopnl)->grab().save(QString::fromUtf8(shot));
            std::printf("panel picture: %s\n", shot);
        }
    });
    static char arg0[] = "Kesto";
    static char *args[] = {arg0, nullptr};
    KestoMain(1, args);
    return status;
}
