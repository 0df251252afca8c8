// SPDX-License-Identifier: GPL-3.0-or-later
// Panels: loading forms from a program's resource file, binding callbacks by
// name, wiring controls to their events, dispatch, showing and discarding.
#include <QApplication>
#include <QBuffer>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPushButton>
#include <QResource>
#include <QUiLoader>

#include <cmath>

#include "appearance.h"
#include "graph.h"
#include "internal.h"
#include "uiform.h"
#include "widget_kinds.h"
#include "windows.h"

namespace rt {

// ---- Timer control ----------------------------------------------------------

TimerCtrl::TimerCtrl(QWidget *parent) : QWidget(parent)
{
    // A window of its own that is never shown: nothing a user meets, so no
    // screen reader lists it among the panel's controls.
    setWindowFlag(Qt::Window, true);
    hide();
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (onTick)
            onTick();
    });
}

void TimerCtrl::setInterval(double seconds)
{
    interval_ = seconds > 0 ? seconds : 0.001;
    syncTimer();
}

void TimerCtrl::setTimerEnabled(bool on)
{
    enabled_ = on;
    syncTimer();
}

void TimerCtrl::syncTimer()
{
    // Tests deliver ticks themselves, so that what a timer does is repeatable.
    if (enabled_ && !detail::TestMode() && onTick)
        timer_.start(int(std::lround(interval_ * 1000)));
    else
        timer_.stop();
}

namespace detail {

int gModalDepth = 0;

namespace {

std::map<int, Panel> gPanels;
std::map<int, int> gMenuBars;  // menu bar handle -> panel handle
int gNextPanel = 1;
int gNextMenuBar = 1;
std::map<std::string, CtrlCallbackPtr> gCtrlCallbacks;
std::map<std::string, MenuCallbackPtr> gMenuCallbacks;
std::map<std::string, PanelCallbackPtr> gPanelCallbacks;
std::map<QString, QString> gResourceRoots;  // resource file -> registered root

class Loader : public QUiLoader {
public:
    QWidget *createWidget(const QString &className, QWidget *parent, const QString &name) override
    {
        QWidget *w = nullptr;
        if (className == QLatin1String("rt::Graph") || className == QLatin1String("Graph"))
            w = new Graph(parent);
        else if (className == QLatin1String("rt::TimerCtrl")
                 || className == QLatin1String("TimerCtrl"))
            w = new TimerCtrl(parent);
        else if (className == QLatin1String("QLabel"))
            w = new DisplayLabel(parent);
        else if (className == QLatin1String("QWidget") && !parent)
            w = new PanelWidget;
        else
            return QUiLoader::createWidget(className, parent, name);
        w->setObjectName(name);
        return w;
    }
};

QString ResolveResource(const char *fileName)
{
    const std::string found = FindRunTimeFile(fileName);
    if (found.empty())
        qWarning("LoadPanel: %s", RunTimeFileMissing(fileName).c_str());
    return QString::fromLocal8Bit(found.c_str());
}

// The visible label of each field, from the labels' buddies.
QHash<QWidget *, QString> BuddyTexts(QWidget *panel)
{
    QHash<QWidget *, QString> texts;
    for (QLabel *l : panel->findChildren<QLabel *>())
        if (l->buddy())
            texts.insert(l->buddy(), PlainText(l->text()).simplified());
    return texts;
}

// Gives every control a name that screen readers and UI automation can find:
// the one the form gives it, else the label that names it, else its own text,
// else its id. A label that shows values keeps no fixed name: it is read as
// what it shows.
void FillAccessibleName(Ctrl &c, const QString &fallback, const QHash<QWidget *, QString> &buddies)
{
    QWidget *w = c.widget;
    if (!w->accessibleName().isEmpty())
        return;
    if (const auto it = buddies.find(w); it != buddies.end() && !it->isEmpty()) {
        w->setAccessibleName(*it);
        return;
    }
    if (qobject_cast<QLabel *>(w))
        return;
    const QString text = PlainText(c.kind->caption(c));
    w->setAccessibleName(text.isEmpty() ? fallback : text);
}

// Texts the form colours (the planes' own colours) stay readable on the
// window's background in light and dark themes.
void KeepColouredTextsReadable(QWidget *panel)
{
    for (QWidget *child : panel->findChildren<QWidget *>()) {
        const QVariant v = child->property("planeColor");
        if (v.isValid())
            KeepReadable(child, v.value<QColor>());
        FitLines(child);
    }
}

// A toggle button that is on shows the palette's highlight, so that on and
// off differ in every theme (the dark ones draw both alike otherwise).
void ShowToggleStates(QWidget *panel)
{
    for (QPushButton *b : panel->findChildren<QPushButton *>())
        if (b->isCheckable())
            b->setStyleSheet(QStringLiteral(
                "QPushButton:checked { background-color: palette(highlight);"
                " color: palette(highlighted-text); border: 1px solid palette(shadow);"
                " border-radius: 3px; }"));
}

// Texts the form gives a point size of their own (captions drawn larger than
// the rest) grow with a desktop font larger than the one the forms were
// drawn for, so that they stay larger than the texts around them.
void ScaleFormFonts(QWidget *panel)
{
    constexpr double kFormFont = 10.0;
    const double app = QApplication::font().pointSizeF();
    if (app <= kFormFont)
        return;
    for (QWidget *c : panel->findChildren<QWidget *>()) {
        // Only a size the form itself gives, not one inherited with a bold.
        if (!c->testAttribute(Qt::WA_SetFont) || !(c->font().resolveMask() & QFont::SizeResolved)
            || c->font().pointSizeF() <= 0)
            continue;
        QFont f = c->font();
        f.setPointSizeF(f.pointSizeF() * app / kFormFont);
        c->setFont(f);
    }
}

class PanelFilter : public QObject {
public:
    explicit PanelFilter(int handle, QObject *parent) : QObject(parent), handle_(handle) {}

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        Panel *p = FindPanel(handle_);
        if (!p || !p->widget)
            return false;
        if (obj == p->widget) {
            if (WindowEvent(handle_, obj, ev))
                return true;
            switch (ev->type()) {
            case QEvent::WindowActivate:
                DispatchPanel(handle_, RT_EVENT_GOT_FOCUS);
                break;
            case QEvent::Resize:
                if (p->widget->isVisible())
                    DispatchPanel(handle_, RT_EVENT_PANEL_SIZE);
                break;
            case QEvent::Close: {
                // A panel goes only when its program discards it: closing the
                // window presses its close control, if it names one.
                ev->ignore();
                DispatchScope scope;
                if (p->closeCtrl)
                    DispatchCtrl(handle_, p->closeCtrl, RT_EVENT_COMMIT);
                else
                    DispatchPanel(handle_, RT_EVENT_CLOSE);
                return true;
            }
            default:
                break;
            }
            return false;
        }
        if (ev->type() == QEvent::FocusIn) {
            for (auto &[id, c] : p->ctrls)
                if (c.widget == obj) {
                    DispatchCtrl(handle_, id, RT_EVENT_GOT_FOCUS);
                    break;
                }
        }
        return false;
    }

private:
    int handle_;
};

}  // namespace

Panel *FindPanel(int handle)
{
    auto it = gPanels.find(handle);
    return it == gPanels.end() ? nullptr : &it->second;
}

Ctrl *FindCtrl(int panel, int control)
{
    Panel *p = FindPanel(panel);
    if (!p)
        return nullptr;
    auto it = p->ctrls.find(control);
    return it == p->ctrls.end() || !it->second.widget ? nullptr : &it->second;
}

Panel *FindMenuBarPanel(int menuBar)
{
    auto it = gMenuBars.find(menuBar);
    return it == gMenuBars.end() ? nullptr : FindPanel(it->second);
}

MenuItem *FindMenuItem(int menuBar, int item)
{
    Panel *p = FindMenuBarPanel(menuBar);
    if (!p)
        return nullptr;
    auto it = p->items.find(item);
    return it == p->items.end() ? nullptr : &it->second;
}

std::vector<int> PanelHandles()
{
    std::vector<int> v;
    for (auto &[h, p] : gPanels)
        v.push_back(h);
    return v;
}

int AddPanel(Panel p)
{
    const int handle = gNextPanel++;
    p.handle = handle;
    Panel &q = gPanels[handle] = p;
    auto *filter = new PanelFilter(handle, q.widget);
    q.filter = filter;
    q.widget->installEventFilter(filter);
    for (auto &[cid, c] : q.ctrls) {
        c.widget->installEventFilter(filter);
        c.kind->wire(c, handle);
    }
    return handle;
}

int DispatchCtrl(int panel, int control, int event, int data1, int data2)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c)
        return 0;
    CtrlCallbackPtr cb = c->callback;
    DispatchScope scope;
    if (event == RT_EVENT_COMMIT)
        RecordUserEvent(panel, control);
    return cb ? cb(panel, control, event, nullptr, data1, data2) : 0;
}

void DispatchMenu(int menuBar, int item)
{
    MenuItem *m = FindMenuItem(menuBar, item);
    if (!m)
        return;
    MenuCallbackPtr cb = m->callback;
    void *data = m->callbackData;
    const int panel = gMenuBars[menuBar];
    DispatchScope scope;
    RecordUserEvent(menuBar, item);
    if (cb)
        cb(menuBar, item, data, panel);
}

int DispatchPanel(int panel, int event, int data1, int data2)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->callback)
        return 0;
    DispatchScope scope;
    return p->callback(panel, event, nullptr, data1, data2);
}

}  // namespace detail

using namespace detail;

void RegisterCtrlCallback(const char *name, CtrlCallbackPtr fn)
{
    gCtrlCallbacks[name] = fn;
}
void RegisterMenuCallback(const char *name, MenuCallbackPtr fn)
{
    gMenuCallbacks[name] = fn;
}
void RegisterPanelCallback(const char *name, PanelCallbackPtr fn)
{
    gPanelCallbacks[name] = fn;
}

// ---- Loading ------------------------------------------------------------------

int LoadPanel(int parentPanel, const char *fileName, int resourceId)
{
    if (!fileName || !QCoreApplication::instance())
        return -1;
    const QString path = ResolveResource(fileName);
    if (path.isEmpty())
        return -1;
    QString root = gResourceRoots[path];
    if (root.isEmpty()) {
        root = QStringLiteral("/rtuir%1").arg(gResourceRoots.size());
        if (!QFileInfo::exists(path) || !QResource::registerResource(path, root)) {
            gResourceRoots.erase(path);
            qWarning("LoadPanel: cannot read resource file %s", qPrintable(path));
            return -1;
        }
        gResourceRoots[path] = root;
    }
    QFile file(QStringLiteral(":%1/panel%2.ui").arg(root).arg(resourceId));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("LoadPanel: %s has no panel %d", fileName, resourceId);
        return -2;
    }
    const QByteArray xml = file.readAll();
    const UiForm form = ReadUiForm(xml);
    if (!form.error.isEmpty())
        return -2;

    Panel *parent = parentPanel > 0 ? FindPanel(parentPanel) : nullptr;
    Loader loader;
    QBuffer buf;
    buf.setData(xml);
    buf.open(QIODevice::ReadOnly);
    QWidget *w = loader.load(&buf, nullptr);
    if (!w)
        return -2;
    // A panel without a menu bar is a dialogue of its program's main window;
    // marked before anything asks for the panel's accessibility.
    if (form.menuBarName.isEmpty())
        w->setProperty(kDialogPanel, true);

    Panel p;
    p.resourceId = resourceId;
    p.parent = parent ? parentPanel : 0;
    p.name = form.panelName;
    p.widget = w;
    if (parent && parent->widget) {
        // A child panel stays above its parent and goes with it.
        w->setParent(parent->widget, Qt::Dialog);
    }
    bool ok = true;
    auto bindCtrl = [&](const QString &cbName, QObject *owner) -> CtrlCallbackPtr {
        if (cbName.isEmpty())
            return nullptr;
        auto it = gCtrlCallbacks.find(cbName.toStdString());
        if (it == gCtrlCallbacks.end()) {
            qWarning("LoadPanel: unknown callback %s on %s", qPrintable(cbName),
                     qPrintable(owner->objectName()));
            ok = false;
            return nullptr;
        }
        return it->second;
    };
    int id = kFirstUiId;
    const QHash<QWidget *, QString> buddies = BuddyTexts(w);
    KeepColouredTextsReadable(w);
    ShowToggleStates(w);
    ScaleFormFonts(w);
    for (const auto &name : form.controls) {
        Ctrl c;
        c.id = id++;
        c.name = name;
        c.widget = w->findChild<QWidget *>(name);
        if (!c.widget) {
            ok = false;
            continue;
        }
        c.callback = bindCtrl(c.widget->property("callback").toString(), c.widget);
        c.kind = &KindOf(c.widget);  // found once: every later call on the control uses it
        FillAccessibleName(c, name, buddies);
        p.ctrls[c.id] = c;
    }
    const QString panelCb = w->property("callback").toString();
    if (!panelCb.isEmpty()) {
        auto it = gPanelCallbacks.find(panelCb.toStdString());
        if (it == gPanelCallbacks.end()) {
            qWarning("LoadPanel: unknown panel callback %s", qPrintable(panelCb));
            ok = false;
        } else {
            p.callback = it->second;
        }
    }
    if (!form.menuBarName.isEmpty()) {
        p.menuBar = gNextMenuBar;
        id = kFirstUiId;
        for (const auto &name : form.menuItems) {
            MenuItem m;
            m.id = id++;
            m.name = name;
            m.action = w->findChild<QAction *>(name);
            if (!m.action)
                m.menu = w->findChild<QMenu *>(name);
            if (m.action)
                m.mnemonic = MnemonicOf(m.action->text());
            else if (auto *menu = qobject_cast<QMenu *>(m.menu))
                m.mnemonic = MnemonicOf(menu->title());
            if (m.action) {
                const QString cbName = m.action->property("callback").toString();
                if (!cbName.isEmpty()) {
                    auto it = gMenuCallbacks.find(cbName.toStdString());
                    if (it == gMenuCallbacks.end()) {
                        qWarning("LoadPanel: unknown menu callback %s on %s", qPrintable(cbName),
                                 qPrintable(name));
                        ok = false;
                    } else {
                        m.callback = it->second;
                    }
                }
                if (m.action->text().isEmpty())
                    m.action->setText(name);
            }
            p.items[m.id] = m;
        }
    }
    if (!ok) {
        delete w;
        return -3;
    }

    const QString closeName = w->property("closeCtrl").toString();
    for (auto &[cid, c] : p.ctrls)
        if (c.name == closeName)
            p.closeCtrl = cid;
    const int handle = AddPanel(p);
    if (p.menuBar) {
        gMenuBars[p.menuBar] = handle;
        ++gNextMenuBar;
        const int mb = p.menuBar;
        for (auto &[iid, m] : gPanels[handle].items)
            if (m.action) {
                const int itemId = iid;
                QObject::connect(m.action, &QAction::triggered, m.action,
                                 [mb, itemId] { DispatchMenu(mb, itemId); });
            }
    }
    return handle;
}

int DisplayPanel(int panel)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    FitToScreen(p->widget);
    // A laid-out panel opens at least as large as its content needs, wrapped
    // texts included, whatever the size the form was drawn at.
    if (QLayout *l = p->widget->layout()) {
        l->activate();
        QSize s = p->widget->size().expandedTo(p->widget->minimumSizeHint());
        if (l->hasHeightForWidth())
            s.setHeight(std::max(s.height(), l->totalHeightForWidth(s.width())));
        if (s != p->widget->size()
            && p->widget->maximumSize().expandedTo(s) == p->widget->maximumSize())
            p->widget->resize(s);
    }
    PrepareWindow(panel);
    p->widget->show();
    PlaceDialog(panel);
    p->widget->raise();
    p->widget->activateWindow();
    return 0;
}

int HidePanel(int panel)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    p->widget->hide();
    return 0;
}

int DiscardPanel(int panel)
{
    Panel *p = FindPanel(panel);
    if (!p)
        return -1;
    // Child panels go with their parent.
    for (int h : PanelHandles())
        if (Panel *c = FindPanel(h); c && c->parent == panel)
            DiscardPanel(h);
    p = FindPanel(panel);
    QPointer<QWidget> w = p->widget;
    // Only the panel's own filter comes off; other watchers of its events stay.
    if (QObject *filter = p->filter) {
        for (auto &[cid, c] : p->ctrls)
            if (c.widget)
                c.widget->removeEventFilter(filter);
        if (w)
            w->removeEventFilter(filter);
        filter->setParent(nullptr);
        filter->deleteLater();  // its own event handling may be what discards the panel
    }
    if (p->menuBar) {
        KeepGeometry(panel);
        gMenuBars.erase(p->menuBar);
    }
    ForgetWindow(panel);
    gPanels.erase(panel);
    if (w) {
        w->hide();
        w->deleteLater();  // the discarding callback may still be running on it
    }
    return 0;
}

int GetPanelMenuBar(int panel)
{
    Panel *p = FindPanel(panel);
    return p ? p->menuBar : 0;
}

int GetActivePanel(void)
{
    QWidget *a = QApplication::activeWindow();
    for (auto &[h, p] : gPanels)
        if (p.widget == a)
            return h;
    return 0;
}

int SetActiveCtrl(int panel, int control)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c)
        return -1;
    c->widget->setFocus(Qt::OtherFocusReason);
    return 0;
}

int GetActiveCtrl(int panel)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    QWidget *f = p->widget->focusWidget();
    for (auto &[id, c] : p->ctrls)
        if (c.widget == f)
            return id;
    return 0;
}

}  // namespace rt
