// SPDX-License-Identifier: GPL-3.0-or-later
// How panels behave as desktop windows: the main panels (those with a menu
// bar) keep their size and place between runs; every other panel opens as a
// dialogue of the main panel on screen, centred on it and closed by Escape.
// A panel whose form sets placeBeside opens beside the main window instead,
// where it covers none of it if the screen has room, and keeps the place
// the user moves it to.
// Also the files dropped on a panel, and the program's hook that runs after
// each user event.
#include <QApplication>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <map>
#include <vector>

#include "graph.h"
#include "internal.h"
#include "windows.h"

namespace rt {

namespace detail {

namespace {

AfterEventPtr gAfterEvent = nullptr;
int gDispatchDepth = 0;
std::map<int, FileDropPtr> gDropCallbacks;

const char kPlaced[] = "rtPlaced";
const char kRestored[] = "rtRestored";
const char kCentre[] = "rtCentre";
const char kReapply[] = "rtReapply";
const char kBeside[] = "placeBeside";  // set by the panel's form
const char kPlaceBeside[] = "rtPlaceBeside";
const char kPlacedAt[] = "rtPlacedAt";  // where the run-time put it last

std::string SettingsProgram()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? std::string("veloran") : name.toStdString();
}

std::string GeometryKey(const Panel &p)
{
    return "window/" + p.name.toStdString();
}

std::string PlaceKey(const Panel &p)
{
    return "place/" + p.name.toStdString();
}

// The place kept for a panel that opens beside the main window, if a screen
// of this desktop still shows its top left corner.
bool KeptPlace(const Panel &p, QPoint *at)
{
    const QStringList parts = QString::fromStdString(GetUserSettingText(SettingsProgram().c_str(),
                                                                        PlaceKey(p).c_str(), ""))
                                  .split(QLatin1Char(','));
    if (parts.size() != 2)
        return false;
    bool okX = false, okY = false;
    const QPoint q(parts[0].toInt(&okX), parts[1].toInt(&okY));
    if (!okX || !okY || !QGuiApplication::screenAt(q))
        return false;
    *at = q;
    return true;
}

// The main window's graphs where they are on the screen.
std::vector<QRect> GraphsOf(const QWidget &main)
{
    std::vector<QRect> shown, all;
    for (const Graph *g : main.findChildren<Graph *>()) {
        const QRect r(g->mapToGlobal(QPoint(0, 0)), g->size());
        all.push_back(r);
        if (g->isVisible())
            shown.push_back(r);
    }
    return shown.empty() ? all : shown;
}

long Overlap(const QRect &a, const QRect &b)
{
    const QRect i = a.intersected(b);
    return i.isEmpty() ? 0 : long(i.width()) * i.height();
}

// Beside the main window: to its right where the screen has room for the
// whole panel, else below it; else, of the places along the screen's right
// and bottom edges, the one that covers least of the main window's graphs.
QPoint BesidePlace(const QWidget &main, QSize size)
{
    const QRect m = main.frameGeometry();
    const QRect avail = main.screen() ? main.screen()->availableGeometry() : QRect(m);
    auto fitY = [&](int y) {
        return std::clamp(y, avail.top(),
                          std::max(avail.top(), avail.bottom() + 1 - size.height()));
    };
    auto fitX = [&](int x) {
        return std::clamp(x, avail.left(),
                          std::max(avail.left(), avail.right() + 1 - size.width()));
    };
    if (m.right() + size.width() <= avail.right())
        return {m.right() + 1, fitY(m.top())};
    if (m.bottom() + size.height() <= avail.bottom())
        return {fitX(m.left()), m.bottom() + 1};
    const int rightEdge = fitX(avail.right() + 1 - size.width());
    const int bottomEdge = fitY(avail.bottom() + 1 - size.height());
    const QPoint candidates[] = {
        {rightEdge, fitY(m.top())}, {fitX(m.left()), bottomEdge}, {rightEdge, bottomEdge}};
    const std::vector<QRect> graphs = GraphsOf(main);
    QPoint best = candidates[0];
    long bestGraphs = -1, bestMain = 0;
    for (const QPoint &c : candidates) {
        const QRect r(c, size);
        long onGraphs = 0;
        for (const QRect &g : graphs)
            onGraphs += Overlap(r, g);
        const long onMain = Overlap(r, m);
        if (bestGraphs < 0 || onGraphs < bestGraphs
            || (onGraphs == bestGraphs && onMain < bestMain)) {
            best = c;
            bestGraphs = onGraphs;
            bestMain = onMain;
        }
    }
    return best;
}

// The main panel that a dialogue belongs to: the shown panel with a menu
// bar (each program has one).
Panel *ShownMainPanel(int except)
{
    for (int h : PanelHandles()) {
        Panel *p = FindPanel(h);
        if (h != except && p && p->menuBar && p->widget && p->widget->isVisible())
            return p;
    }
    return nullptr;
}

void RestoreGeometry(Panel &p)
{
    QWidget *w = p.widget;
    if (w->property(kRestored).toBool())
        return;
    w->setProperty(kRestored, true);
    const std::string text =
        GetUserSettingText(SettingsProgram().c_str(), GeometryKey(p).c_str(), "");
    const QStringList parts = QString::fromStdString(text).split(QLatin1Char(','));
    if (parts.size() < 4)
        return;
    bool ok[4];
    const QRect r(parts[0].toInt(&ok[0]), parts[1].toInt(&ok[1]), parts[2].toInt(&ok[2]),
                  parts[3].toInt(&ok[3]));
    if (!(ok[0] && ok[1] && ok[2] && ok[3]) || r.width() <= 0 || r.height() <= 0)
        return;
    // Only where a screen of this desktop still shows it, and never larger
    // than that screen.
    QScreen *screen = QGuiApplication::screenAt(r.center());
    if (!screen)
        return;
    const QRect avail = screen->availableGeometry();
    const QSize size = r.size().boundedTo(avail.size()).expandedTo(w->minimumSize());
    w->resize(size);
    QPoint at = r.topLeft();
    at.setX(std::clamp(at.x(), avail.left(), std::max(avail.left(), avail.right() - size.width())));
    at.setY(std::clamp(at.y(), avail.top(), std::max(avail.top(), avail.bottom() - size.height())));
    w->move(at);
    if (parts.size() > 4 && parts[4] == QLatin1String("max"))
        w->setWindowState(w->windowState() | Qt::WindowMaximized);
    w->setProperty(kReapply, QRect(at, size));
}

}  // namespace

void PrepareWindow(int panel)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->widget)
        return;
    QWidget *w = p->widget;
    if (p->menuBar) {
        RestoreGeometry(*p);
        return;
    }
    if (w->property(kPlaced).toBool())
        return;
    Panel *main = ShownMainPanel(panel);
    if (!main)
        return;  // a start-up window before the main one: on its own
    w->setProperty(kPlaced, true);
    if (w->parentWidget() != main->widget) {
        // A dialogue of the main window: above it, with it in the task bar
        // and the window list, and gone when it goes.
        const Qt::WindowFlags keep = w->windowFlags() & ~Qt::WindowType_Mask;
        w->setParent(main->widget, keep | Qt::Dialog);
    }
    if (w->property(kBeside).toBool()) {
        QPoint at;
        if (!KeptPlace(*p, &at)) {
            w->setProperty(kPlaceBeside, true);
        } else {
            // Never partly off the screen it is on.
            const QRect avail = QGuiApplication::screenAt(at)->availableGeometry();
            const QSize size = w->frameGeometry().size();
            at.setX(std::clamp(at.x(), avail.left(),
                               std::max(avail.left(), avail.right() + 1 - size.width())));
            at.setY(std::clamp(at.y(), avail.top(),
                               std::max(avail.top(), avail.bottom() + 1 - size.height())));
            w->setProperty(kReapply, QRect(at, w->size()));
            w->setProperty(kPlacedAt, at);
        }
        return;
    }
    w->setProperty(kCentre, true);
}

void PlaceDialog(int panel)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->widget)
        return;
    QWidget *w = p->widget;
    const QRect again = w->property(kReapply).toRect();
    if (again.isValid()) {
        // The window system may place a new window itself: the kept place
        // once more, now that it is shown.
        w->setProperty(kReapply, QVariant());
        w->resize(again.size());
        w->move(again.topLeft());
        return;
    }
    if (w->property(kPlaceBeside).toBool() && w->parentWidget()) {
        w->setProperty(kPlaceBeside, false);
        const QPoint at = BesidePlace(*w->parentWidget(), w->frameGeometry().size());
        w->setProperty(kPlacedAt, at);
        w->move(at);
        return;
    }
    if (!w->property(kCentre).toBool())
        return;
    w->setProperty(kCentre, false);
    QWidget *main = w->parentWidget();
    if (!main)
        return;
    const QRect frame = main->frameGeometry();
    QRect r(QPoint(0, 0), w->frameGeometry().size());
    r.moveCenter(frame.center());
    if (QScreen *screen = main->screen()) {
        const QRect avail = screen->availableGeometry();
        r.moveLeft(
            std::clamp(r.left(), avail.left(), std::max(avail.left(), avail.right() - r.width())));
        r.moveTop(
            std::clamp(r.top(), avail.top(), std::max(avail.top(), avail.bottom() - r.height())));
    }
    w->move(r.topLeft());
}

bool IsDialogPanel(const Panel &p)
{
    return p.menuBar == 0;
}

void KeepGeometry(int panel)
{
    Panel *p = FindPanel(panel);
    if (p && !p->menuBar && p->widget && p->widget->isVisible()
        && p->widget->property(kBeside).toBool()) {
        // Only a place the user chose: not the one the run-time gave it.
        const QPoint at = p->widget->pos();
        const QVariant placed = p->widget->property(kPlacedAt);
        if (placed.isValid() && at != placed.toPoint())
            SetUserSettingText(
                SettingsProgram().c_str(), PlaceKey(*p).c_str(),
                QStringLiteral("%1,%2").arg(at.x()).arg(at.y()).toUtf8().constData());
        return;
    }
    if (!p || !p->menuBar || !p->widget || !p->widget->isVisible())
        return;
    QWidget *w = p->widget;
    if (w->windowState() & (Qt::WindowMinimized | Qt::WindowFullScreen))
        return;
    const bool max = w->windowState() & Qt::WindowMaximized;
    const QRect r = max ? w->normalGeometry() : QRect(w->pos(), w->size());
    if (!r.isValid())
        return;
    const QString text = QStringLiteral("%1,%2,%3,%4%5")
                             .arg(r.x())
                             .arg(r.y())
                             .arg(r.width())
                             .arg(r.height())
                             .arg(max ? QStringLiteral(",max") : QString());
    SetUserSettingText(SettingsProgram().c_str(), GeometryKey(*p).c_str(),
                       text.toUtf8().constData());
}

bool WindowEvent(int panel, QObject *obj, QEvent *ev)
{
    Panel *p = FindPanel(panel);
    if (!p || obj != p->widget)
        return false;
    switch (ev->type()) {
    case QEvent::KeyPress: {
        // Escape closes a dialogue as its own close button would.
        auto *key = static_cast<QKeyEvent *>(ev);
        if (IsDialogPanel(*p) && key->key() == Qt::Key_Escape
            && key->modifiers() == Qt::NoModifier) {
            p->widget->close();
            return true;
        }
        return false;
    }
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        KeepGeometry(panel);
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(ev);
        if (!gDropCallbacks.count(panel))
            return false;
        for (const QUrl &u : drag->mimeData()->urls())
            if (u.isLocalFile()) {
                drag->acceptProposedAction();
                return true;
            }
        return false;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(ev);
        auto it = gDropCallbacks.find(panel);
        if (it == gDropCallbacks.end())
            return false;
        for (const QUrl &u : drop->mimeData()->urls())
            if (u.isLocalFile()) {
                drop->acceptProposedAction();
                const QByteArray path = QFile::encodeName(u.toLocalFile());
                const FileDropPtr fn = it->second;
                DispatchScope scope;
                fn(panel, path.constData());
                return true;
            }
        return false;
    }
    default:
        return false;
    }
}

void ForgetWindow(int panel)
{
    gDropCallbacks.erase(panel);
}

DispatchScope::DispatchScope()
{
    ++gDispatchDepth;
}

DispatchScope::~DispatchScope()
{
    if (--gDispatchDepth == 0 && gAfterEvent)
        gAfterEvent();
}

}  // namespace detail

using namespace detail;

void SetAfterEventCallback(AfterEventPtr fn)
{
    gAfterEvent = fn;
}

int SetPanelFileDrop(int panel, FileDropPtr fn)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    if (fn)
        gDropCallbacks[panel] = fn;
    else
        gDropCallbacks.erase(panel);
    p->widget->setAcceptDrops(fn != nullptr);
    return 0;
}

}  // namespace rt
