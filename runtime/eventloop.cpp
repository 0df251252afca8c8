// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the event loop, waiting and the wait cursor.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cmath>

#include "accessible.h"
#include "appearance.h"
#include "internal.h"
#include "test_hooks.h"

namespace rt {

namespace {

QEventLoop *gMainLoop = nullptr;
int gQuitCode = 0;
bool gQuitPending = false;
int gWaitCursor = 0;

// While a long operation pumps events between its steps (a sweep), windows
// are not painted there but while the next serial read waits for its reply,
// at most every kFrameMs: a repaint then overlaps the reply's time on the
// wire instead of adding to every step. A repaint held back is delivered at
// the latest kFallbackMs later, should no read come.
constexpr qint64 kFrameMs = 30;
constexpr int kFallbackMs = 2 * kFrameMs;
bool gThrottlePaint = false;

class PaintThrottle : public QObject {
public:
    PaintThrottle() { clock_.start(); }

    // Paints the held windows whose frame has come.
    void paintDue()
    {
        if (held_.isEmpty())
            return;
        const qint64 now = clock_.elapsed();
        const QList<Hold> due = held_.values();
        for (const Hold &hold : due)
            if (hold.target && now - lastPaint_.value(hold.target.data()) >= kFrameMs)
                deliver(hold.target.data());
    }

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        if (ev->type() != QEvent::UpdateRequest || delivering_ || !gThrottlePaint
            || !obj->isWidgetType())
            return false;
        if (!held_.contains(obj) || held_.value(obj).target.isNull()) {
            // Each hold has its own fallback: one left over from a hold that a
            // read has already painted must not paint the next hold early,
            // between a reply and the next command.
            const quint64 serial = ++serial_;
            held_.insert(obj, Hold{QPointer<QObject>(obj), serial});
            QTimer::singleShot(kFallbackMs, this, [this, obj, serial] {
                const auto it = held_.constFind(obj);
                if (it == held_.cend() || it->serial != serial)
                    return;
                if (it->target)
                    deliver(obj);
                else
                    held_.remove(obj);
            });
        }
        return true;
    }

private:
    struct Hold {
        QPointer<QObject> target;
        quint64 serial = 0;
    };

    void deliver(QObject *obj)
    {
        held_.remove(obj);
        lastPaint_[obj] = clock_.elapsed();
        delivering_ = true;
        QEvent update(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(obj, &update);
        delivering_ = false;
    }

    QElapsedTimer clock_;
    QHash<QObject *, qint64> lastPaint_;
    QHash<QObject *, Hold> held_;
    quint64 serial_ = 0;
    bool delivering_ = false;
};

PaintThrottle *gThrottle = nullptr;

void InstallPaintThrottle()
{
    if (!gThrottle && QCoreApplication::instance()) {
        gThrottle = new PaintThrottle;
        gThrottle->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(gThrottle);
    }
}

struct UserEventWait {
    bool waiting = false;
    bool got = false;
    int panel = 0, control = 0;
} gWait;

// Whether a window is showing that the window system has not put on the
// screen yet.
bool WindowAwaitingScreen()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowHandle() && !w->windowHandle()->isExposed())
            return true;
    return false;
}

// A window shown just before a pause would stay blank through it, because
// nothing runs the window system's events meanwhile. Lets them come in (no
// user input, and no timer tick reaches a callback), then paints the windows.
void PutNewWindowsOnScreen()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()) || !WindowAwaitingScreen())
        return;
    detail::ModalScope noTicks;
    QElapsedTimer clock;
    clock.start();
    while (WindowAwaitingScreen() && clock.elapsed() < 500)
        QCoreApplication::processEvents(
            QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers, 20);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            w->repaint();
}

}  // namespace

namespace detail {

void PaintDueWindows()
{
    if (gThrottle)
        gThrottle->paintDue();
}

void RecordUserEvent(int panelOrMenuBar, int controlOrItem)
{
    if (gWait.waiting && !gWait.got) {
        gWait.got = true;
        gWait.panel = panelOrMenuBar;
        gWait.control = controlOrItem;
    }
}

}  // namespace detail

int InitCVIRTE(void *, char *argv[], void *)
{
    if (QCoreApplication::instance())
        return 1;
    static int argc = 0;
    static char *none[] = {const_cast<char *>("veloran"), nullptr};
    char **args = argv && argv[0] ? argv : none;
    while (args[argc])
        ++argc;
    new QApplication(argc, args);
    // The application installs the toolkit's own answers for its widgets;
    // the run-time's, installed after them, are asked first.
    detail::InstallDisplayAccessibility();
    detail::InstallControlAccessibility();
    detail::ApplyProgramIdentity();
    return QCoreApplication::instance() ? 1 : 0;
}

int RunUserInterface(void)
{
    if (!QCoreApplication::instance())
        return -1;
    if (auto *t = detail::Hooks()) {
        gQuitPending = false;
        // Tests drive the program from a script instead of a person.
        t->runScript();
        return gQuitCode;
    }
    // A quit asked for before the loop began (a start-up question answered
    // "quit") ends it at once, as it would have ended a running one.
    if (gQuitPending) {
        gQuitPending = false;
        return gQuitCode;
    }
    QEventLoop loop;
    gMainLoop = &loop;
    const int r = loop.exec();
    gMainLoop = nullptr;
    gQuitPending = false;
    return r;
}

int QuitUserInterface(int returnCode)
{
    gQuitCode = returnCode;
    gQuitPending = true;
    if (auto *t = detail::Hooks())
        t->quitRequested();
    if (gMainLoop)
        gMainLoop->exit(returnCode);
    return 0;
}

int ProcessSystemEvents(void)
{
    InstallPaintThrottle();
    gThrottlePaint = true;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    gThrottlePaint = false;
    return 0;
}

int ProcessDrawEvents(void)
{
    // Layout and painting only: no input, no timers, so no callback runs.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
    return 0;
}

int Delay(double seconds)
{
    if (seconds < 0)
        seconds = 0;
    double real = seconds;
    if (auto *t = detail::Hooks())
        real = t->delay(seconds);
    ProcessDrawEvents();
    if (real > 0) {
        QElapsedTimer clock;
        clock.start();
        PutNewWindowsOnScreen();  // within the pause, not on top of it
        const double left = real - clock.nsecsElapsed() / 1e9;
        if (left > 0)
            QThread::usleep((unsigned long)std::llround(left * 1e6));
    }
    return 0;
}

int GetUserEvent(int wait, int *panelOrMenuBar, int *controlOrMenuItem)
{
    gWait = {};
    gWait.waiting = true;
    if (auto *t = detail::Hooks()) {
        if (!t->nextUserAction() && wait)
            t->failure("GetUserEvent waited with no scripted user action");
    } else if (wait) {
        while (!gWait.got && !gQuitPending) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    } else {
        ProcessSystemEvents();
    }
    gWait.waiting = false;
    if (!gWait.got)
        return 0;
    if (panelOrMenuBar)
        *panelOrMenuBar = gWait.panel;
    if (controlOrMenuItem)
        *controlOrMenuItem = gWait.control;
    return gWait.control;
}

int SetWaitCursor(int on)
{
    if (on && !gWaitCursor)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!on && gWaitCursor)
        QGuiApplication::restoreOverrideCursor();
    gWaitCursor = on ? 1 : 0;
    return 0;
}

int GetWaitCursorState(void)
{
    return gWaitCursor;
}

}  // namespace rt
