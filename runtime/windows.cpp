// SPDX-License-Identifier: GPL-3.0-or-later
// How panels behave as desktop windows: the main panels (those with a menu
// bar) keep their size and place between runs; every other panel opens as a
// dialogue of the main panel on screen, centred on it and closed by Escape.
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

std::string SettingsProgram()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? std::string("veloran") : name.toStdString();
}

std::string GeometryKey(const Panel &p)
{
    return "window/" + p.name.toStdString();
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
