// SPDX-License-Identifier: GPL-3.0-or-later
// Times the viewer's heavy operations and its start-up, so that a change can
// be compared before and after on the same machine.
//
//   viewer_bench [--runs N] [file.atn other.atn]
//
// Start-up is measured in N fresh processes of this program: time from entry
// to the main window painted, peak memory then, and the processor time from
// the process's start (loading its libraries included). The operations run in
// this process on the two pattern files (default: the samples beside the
// program): open with both graphs drawn, one rotation step, the same step
// with eight more files laid over the open one (aligned, with their mean
// and band), the first
// showing of the 3D view up to its first frame, an open while the 3D view
// shows up to its next frame, turning the solid with the mouse, and the
// renderer alone on frames of twice the pixels (a display scaled by 2; run
// with QT_SCALE_FACTOR=2 to measure the whole program at that scale).
//
// Run it on an X display (xvfb-run -a).
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QProcess>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "antenna.h"
#include "antenna_uir.h"
#include "files_overlay.h"
#include "ogl3d.h"
#include "ogl3d_testing.h"
#include "pattern_file.h"
#include "rt.h"
#include "testing.h"

namespace {

QElapsedTimer gClock;

// A field of /proc/self/status in kB (VmRSS, VmHWM).
long StatusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

double Ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// Processor time of the whole process (every thread, the renderer's too), ms:
// steadier than the wall clock on a machine shared with other work.
double CpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3
            + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3);
}
double gCpuMark = 0;
void MarkCpu()
{
    gCpuMark = CpuMs();
}

// The 3D graph's view, once the run-time has made one.
QWidget *GraphView()
{
    return rt::test::OglViewWidget(antennalab, Ctrl3D);
}

// Counts the frames the view paints.
class FrameCounter : public QObject {
public:
    int frames = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++frames;
        return false;
    }
};

// Runs events until the graph has rendered a frame after `before`; false
// after 20 s without one.
bool WaitFrame(const FrameCounter &fc, int before)
{
    QElapsedTimer t;
    t.start();
    while (fc.frames <= before && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return fc.frames > before;
}

void WaitExposed(QWidget *w)
{
    QElapsedTimer t;
    t.start();
    while ((!w->windowHandle() || !w->windowHandle()->isExposed()) && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

int Menu(int item)
{
    rt::test::ChooseMenuItem(GetPanelMenuBar(antennalab), item);
    return 0;
}

// One start-up in this process: entry to main window painted.
int StartupChild()
{
    rt::test::Enable();
    if (AntennaStartup(0, nullptr) != 0)
        return 1;
    WaitExposed(rt::test::PanelWidget(antennalab));
    std::printf("%.1f %ld %.1f\n", Ms(gClock), StatusKb("VmHWM"), CpuMs());
    return 0;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void RunStartups(int runs)
{
    std::vector<double> ms, kb, cpu;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--startup-child")});
        p.waitForFinished(60000);
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        if (f.size() != 3) {
            std::printf("start-up run failed: %s\n", p.readAllStandardError().constData());
            continue;
        }
        ms.push_back(f[0].toDouble());
        kb.push_back(f[1].toDouble());
        cpu.push_back(f[2].toDouble());
    }
    std::printf("start-up to main window              %8.1f ms  peak %6.1f MB  (processor %.1f ms, "
                "median of %d)\n",
                Median(ms), Median(kb) / 1024, Median(cpu), int(ms.size()));
}

void Row(const char *what, double ms)
{
    std::printf("%-36s %8.1f ms  (processor %.1f ms)\n", what, ms, CpuMs() - gCpuMark);
}

// Eight repeats of the open file (turned and shifted a little, one reading
// in ten nudged) laid over it, aligned, with the mean and band; then one
// rotation step with both graphs drawn, as a person watching the overlay
// turns the open pattern. Taken off again afterwards.
void OverlayStep(const std::string &fileA, QWidget *cart)
{
    PatternRecord rec{};
    int lines = 0, emax = -1, hmax = -1;
    if (!ReadPatternFile(fileA, rec, lines, emax, hmax).ok)
        return;
    const std::string dir = QDir::tempPath().toStdString() + "/viewer_bench_overlay";
    QDir().mkpath(QString::fromStdString(dir));
    Menu(MENUBAR_OVERLAY);
    for (int i = 0; i < 8; ++i) {
        PatternRecord r = rec;
        for (int k = 0; k < 360; ++k) {
            r.e_data[k] = rec.e_data[(k + 357 + i) % 360] - 0.1 * i + (k % 10 == i ? 0.3 : 0.0);
            r.h_data[k] = rec.h_data[(k + 358 + i) % 360] + 0.05 * i;
        }
        std::string text;
        const std::string path = dir + "/repeat" + std::to_string(i) + ".atn";
        if (!WritePatternFile(path, PatternFileDataOf(r, lines, text)).ok)
            return;
        rt::test::ChooseFile(path);
        rt::test::PressButton(overlaypnl, OVERLAYPNL_ADD);
        rt::test::CommitValue(overlaypnl, OVERLAYPNL_ALIGN, 1);
    }
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_BAND, 1);
    ProcessDrawEvents();
    QWidget *polar = rt::test::CtrlWidget(antennalab, ANTENNALAB_POLAR);
    QElapsedTimer t;
    std::vector<double> ms;
    for (int i = 0; i < 31; ++i) {
        t.start();
        MarkCpu();
        rt::test::PressButton(antennalab, i % 2 ? ANTENNALAB_GOLEFT : ANTENNALAB_GORIGHT);
        ProcessDrawEvents();
        if (polar)
            polar->grab();
        if (cart)
            cart->grab();
        ms.push_back(Ms(t));
    }
    std::printf("%-36s %8.1f ms  (median of %d; processor %.1f ms the last, %d items)\n",
                "rotation step, 9 files laid over", Median(ms), int(ms.size()), CpuMs() - gCpuMark,
                rt::test::PlotCount(antennalab, ANTENNALAB_POLAR));
    rt::test::PressButton(overlaypnl, OVERLAYPNL_CLEAR);
    rt::test::PressButton(overlaypnl, OVERLAYPNL_CLOSE);
    QDir(QString::fromStdString(dir)).removeRecursively();
}

int RunOperations(const std::string &fileA, const std::string &fileB)
{
    rt::test::Enable();
    if (AntennaStartup(0, nullptr) != 0) {
        std::printf("start-up failed (antenna.uir beside the program?)\n");
        return 1;
    }
    QWidget *panel = rt::test::PanelWidget(antennalab);
    WaitExposed(panel);
    QElapsedTimer t;

    // Open: read, analyse, plot on both graphs, and paint them.
    t.start();
    MarkCpu();
    rt::test::ChooseFile(fileA);
    Menu(MENUBAR_OPEN);
    ProcessDrawEvents();
    QWidget *cart = rt::test::CtrlWidget(antennalab, ANTENNALAB_CARTESIAN);
    if (cart)
        cart->grab();
    Row("open, both graphs drawn", Ms(t));

    t.start();
    MarkCpu();
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT);
    ProcessDrawEvents();
    if (cart)
        cart->grab();
    Row("one rotation step, graphs drawn", Ms(t));

    OverlayStep(fileA, cart);

    // The 3D view: build, graph creation where it is late, first frame.
    const long rssBefore = StatusKb("VmRSS"), anonBefore = StatusKb("RssAnon"),
               fileBefore = StatusKb("RssFile");
    FrameCounter fc;
    QWidget *win = GraphView();
    if (win)
        win->installEventFilter(&fc);
    t.start();
    MarkCpu();
    Menu(MENUBAR_3D);
    if (!win && (win = GraphView()))
        win->installEventFilter(&fc);
    const bool first = win && WaitFrame(fc, 0);
    Row(first ? "3D view, build and first frame" : "3D view shown (no frame)", Ms(t));
    QCoreApplication::processEvents();
    std::printf("%-36s %8.1f MB (anonymous %.1f, mapped files %.1f; peak so far %.1f MB)\n",
                "memory added by the 3D view", double(StatusKb("VmRSS") - rssBefore) / 1024,
                double(StatusKb("RssAnon") - anonBefore) / 1024,
                double(StatusKb("RssFile") - fileBefore) / 1024, double(StatusKb("VmHWM")) / 1024);

    for (const std::string &f : {fileB, fileA}) {
        const int before = fc.frames;
        t.start();
        MarkCpu();
        rt::test::ChooseFile(f);
        Menu(MENUBAR_OPEN);
        if (win)
            WaitFrame(fc, before);
        Row("open while the 3D view shows", Ms(t));
    }

    if (win) {
        // Turning: each mouse move turns the camera; wait for its frame.
        const QPointF c(win->width() / 2.0, win->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, c, c, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(win, &press);
        const int moves = 40;
        int got = 0;
        t.start();
        MarkCpu();
        for (int i = 1; i <= moves; ++i) {
            const QPointF p = c + QPointF(4.0 * i, 1.0 * (i % 7));
            QMouseEvent move(QEvent::MouseMove, p, p, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            const int before = fc.frames;
            QCoreApplication::sendEvent(win, &move);
            got += WaitFrame(fc, before) ? 1 : 0;
        }
        const double ms = Ms(t);
        QMouseEvent release(QEvent::MouseButtonRelease, c, c, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(win, &release);
        std::printf("%-36s %8.1f fps (%d frames in %.0f ms, processor %.0f ms)\n",
                    "turning with the mouse", ms > 0 ? got * 1000.0 / ms : 0.0, got, ms,
                    CpuMs() - gCpuMark);

        // The renderer alone on the frames a display scaled by 2 needs: twice
        // the pixels each way (QT_SCALE_FACTOR=2 measures the whole screen path).
        const int frames = 20;
        t.start();
        MarkCpu();
        for (int i = 0; i < frames; ++i) {
            OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_LONGITUDE, 3.0 * i);
            const QImage img =
                rt::test::OglRender(antennalab, Ctrl3D, win->width(), win->height(), 2.0);
            if (img.isNull())
                break;
        }
        const double ms2 = Ms(t);
        std::printf("%-36s %8.1f fps (%d frames of %dx%d pixels in %.0f ms, processor %.0f ms)\n",
                    "renderer alone at scale 2", ms2 > 0 ? frames * 1000.0 / ms2 : 0.0, frames,
                    2 * win->width(), 2 * win->height(), ms2, CpuMs() - gCpuMark);
    }
    std::printf("%-36s %8.1f MB\n", "peak memory of this run", double(StatusKb("VmHWM")) / 1024);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    gClock.start();
    bool child = false;
    int runs = 5;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--startup-child"))
            child = true;
        else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            files.emplace_back(argv[i]);
    }
    QApplication app(argc, argv);
    if (child)
        return StartupChild();

    const std::string dir = QCoreApplication::applicationDirPath().toStdString() + "/samples/";
    if (files.size() < 2)
        files = {dir + "dipole.atn", dir + "horn.atn"};
    RunStartups(runs);
    return RunOperations(files[0], files[1]);
}
