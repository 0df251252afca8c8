// Panels, controls and menus: loading forms from a program's resource file,
// binding callbacks by name, values and attributes, and event dispatch.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QResource>
#include <QSpinBox>
#include <QTextBlock>
#include <QUiLoader>

#include <cmath>
#include <cstring>

#include "graph.h"
#include "internal.h"
#include "uiform.h"

namespace rt {

// ---- Timer control ----------------------------------------------------------

TimerCtrl::TimerCtrl(QWidget *parent) : QWidget(parent)
{
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
std::map<int, int> gMenuBars; // menu bar handle -> panel handle
int gNextPanel = 1;
int gNextMenuBar = 1;
std::map<std::string, CtrlCallbackPtr> gCtrlCallbacks;
std::map<std::string, MenuCallbackPtr> gMenuCallbacks;
std::map<std::string, PanelCallbackPtr> gPanelCallbacks;
std::map<QString, QString> gResourceRoots; // resource file -> registered root

class Loader : public QUiLoader {
public:
    QWidget *createWidget(const QString &className, QWidget *parent, const QString &name) override
    {
        QWidget *w = nullptr;
        if (className == QLatin1String("rt::Graph") || className == QLatin1String("Graph"))
            w = new Graph(parent);
        else if (className == QLatin1String("rt::TimerCtrl") || className == QLatin1String("TimerCtrl"))
            w = new TimerCtrl(parent);
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

// Gives every control and menu item a name that screen readers and UI
// automation can find: its own text, or its id where it shows none.
void FillAccessibleName(QWidget *w, const QString &fallback)
{
    if (!w->accessibleName().isEmpty())
        return;
    QString text;
    if (auto b = qobject_cast<QAbstractButton *>(w))
        text = b->text();
    else if (auto l = qobject_cast<QLabel *>(w))
        text = l->text();
    text.remove(QLatin1Char('&'));
    w->setAccessibleName(text.isEmpty() ? fallback : text);
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

void WireControl(int handle, Ctrl &c)
{
    QWidget *w = c.widget;
    const int id = c.id;
    auto commit = [handle, id] { DispatchCtrl(handle, id, RT_EVENT_COMMIT); };
    if (auto g = qobject_cast<Graph *>(w)) {
        g->onEvent = [handle, id](int ev) { DispatchCtrl(handle, id, ev); };
    } else if (auto t = qobject_cast<TimerCtrl *>(w)) {
        t->onTick = [handle, id] {
            if (gModalDepth == 0)
                DispatchCtrl(handle, id, RT_EVENT_TIMER_TICK);
        };
        t->syncTimer();
    } else if (auto b = qobject_cast<QAbstractButton *>(w)) {
        QObject::connect(b, &QAbstractButton::clicked, b, commit);
    } else if (auto s = qobject_cast<QSpinBox *>(w)) {
        s->setLocale(QLocale::c()); // numbers shown and typed with a point, as everywhere else
        s->setKeyboardTracking(false);
        QObject::connect(s, &QSpinBox::valueChanged, s, commit);
    } else if (auto d = qobject_cast<QDoubleSpinBox *>(w)) {
        d->setLocale(QLocale::c());
        d->setKeyboardTracking(false);
        QObject::connect(d, &QDoubleSpinBox::valueChanged, d, [handle, id] {
            if (Ctrl *cc = FindCtrl(handle, id))
                cc->hasExact = false; // the user typed a new value
            DispatchCtrl(handle, id, RT_EVENT_COMMIT);
        });
    } else if (auto cb = qobject_cast<QComboBox *>(w)) {
        QObject::connect(cb, &QComboBox::activated, cb, commit);
    } else if (auto le = qobject_cast<QLineEdit *>(w)) {
        QObject::connect(le, &QLineEdit::returnPressed, le, commit);
    } else if (auto te = qobject_cast<QPlainTextEdit *>(w)) {
        // A text box never holds more than its entry length.
        QObject::connect(te, &QPlainTextEdit::textChanged, te, [te] {
            const int max = te->property("maxLength").toInt();
            if (max <= 0)
                return;
            const QString text = te->toPlainText();
            if (text.size() <= max)
                return;
            QTextCursor cur = te->textCursor();
            const int pos = cur.position();
            const int excess = text.size() - max;
            cur.setPosition(std::max(0, pos - excess));
            cur.setPosition(pos, QTextCursor::KeepAnchor);
            if (cur.selectedText().size() != excess) {
                cur.setPosition(max);
                cur.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            }
            cur.removeSelectedText();
        });
    }
}

} // namespace

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

int DispatchCtrl(int panel, int control, int event, int data1, int data2)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c)
        return 0;
    CtrlCallbackPtr cb = c->callback;
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
    const int panel = gMenuBars[menuBar];
    RecordUserEvent(menuBar, item);
    if (cb)
        cb(menuBar, item, nullptr, panel);
}

int DispatchPanel(int panel, int event, int data1, int data2)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->callback)
        return 0;
    return p->callback(panel, event, nullptr, data1, data2);
}

} // namespace detail

using namespace detail;

void RegisterCtrlCallback(const char *name, CtrlCallbackPtr fn) { gCtrlCallbacks[name] = fn; }
void RegisterMenuCallback(const char *name, MenuCallbackPtr fn) { gMenuCallbacks[name] = fn; }
void RegisterPanelCallback(const char *name, PanelCallbackPtr fn) { gPanelCallbacks[name] = fn; }

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

    Panel p;
    p.handle = gNextPanel;
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
        FillAccessibleName(c.widget, name);
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
    const int handle = gNextPanel++;
    gPanels[handle] = p;
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
    auto *filter = new PanelFilter(handle, w);
    w->installEventFilter(filter);
    for (auto &[cid, c] : gPanels[handle].ctrls) {
        c.widget->installEventFilter(filter);
        WireControl(handle, c);
    }
    return handle;
}

int DisplayPanel(int panel)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    p->widget->show();
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
    if (p->menuBar)
        gMenuBars.erase(p->menuBar);
    gPanels.erase(panel);
    if (w) {
        w->removeEventFilter(w->findChild<PanelFilter *>());
        w->hide();
        w->deleteLater(); // the discarding callback may still be running on it
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

int SetPanelAttribute(int panel, int attribute, int value)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    QWidget *w = p->widget;
    auto flag = [&](Qt::WindowType f, bool on) {
        const bool vis = w->isVisible();
        w->setWindowFlag(f, on);
        if (vis)
            w->show();
    };
    switch (attribute) {
    case RT_ATTR_VISIBLE: w->setVisible(value); break;
    case RT_ATTR_DIMMED: w->setEnabled(!value); break;
    case RT_ATTR_LEFT: w->move(value, w->y()); break;
    case RT_ATTR_TOP: w->move(w->x(), value); break;
    case RT_ATTR_WIDTH: w->resize(value, w->height()); break;
    case RT_ATTR_HEIGHT: w->resize(w->width(), value); break;
    case RT_ATTR_CLOSE_ITEM_VISIBLE:
        flag(Qt::WindowCloseButtonHint, value);
        w->setWindowFlag(Qt::CustomizeWindowHint, !value);
        break;
    case RT_ATTR_CAN_MINIMIZE: flag(Qt::WindowMinimizeButtonHint, value); break;
    case RT_ATTR_CAN_MAXIMIZE: flag(Qt::WindowMaximizeButtonHint, value); break;
    case RT_ATTR_SIZABLE:
        if (!value)
            w->setFixedSize(w->size());
        else
            w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX), w->setMinimumSize(0, 0);
        break;
    case RT_ATTR_MOVABLE: w->setProperty("rtMovable", value); break;
    default: return -1;
    }
    w->setProperty(("rtPanelAttr" + std::to_string(attribute)).c_str(), value);
    return 0;
}

int SetPanelAttribute(int panel, int attribute, const char *value)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->widget || attribute != RT_ATTR_TITLE)
        return -1;
    p->widget->setWindowTitle(QString::fromUtf8(value));
    return 0;
}

int GetPanelAttribute(int panel, int attribute, int *value)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->widget || !value)
        return -1;
    QWidget *w = p->widget;
    switch (attribute) {
    case RT_ATTR_VISIBLE: *value = w->isVisible(); return 0;
    case RT_ATTR_DIMMED: *value = !w->isEnabled(); return 0;
    case RT_ATTR_LEFT: *value = w->x(); return 0;
    case RT_ATTR_TOP: *value = w->y(); return 0;
    case RT_ATTR_WIDTH: *value = w->width(); return 0;
    case RT_ATTR_HEIGHT: *value = w->height(); return 0;
    default: {
        const QVariant v = w->property(("rtPanelAttr" + std::to_string(attribute)).c_str());
        *value = v.isValid() ? v.toInt() : 1;
        return 0;
    }
    }
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

// ---- Values -----------------------------------------------------------------

namespace {

// Copies text into a C buffer of `size` bytes with its NUL, cut before a
// whole character, never inside one.
void CopyText(const QString &s, char *buffer, std::size_t size)
{
    const QByteArray bytes = s.toUtf8();
    std::size_t n = std::min<std::size_t>(bytes.size(), size - 1);
    while (n > 0 && n < std::size_t(bytes.size()) && (uchar(bytes[qsizetype(n)]) & 0xC0) == 0x80)
        --n;
    std::memcpy(buffer, bytes.constData(), n);
    buffer[n] = '\0';
}

// A number as text, locale-independent and without trailing noise.
QString NumberText(double v)
{
    return QString::number(v, 'g', 12);
}

int SetNumber(int panel, int control, double v, bool integral)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c)
        return -1;
    QWidget *w = c->widget;
    const QSignalBlocker block(w);
    if (auto s = qobject_cast<QSpinBox *>(w)) {
        s->setValue(int(std::lround(v)));
    } else if (auto d = qobject_cast<QDoubleSpinBox *>(w)) {
        d->setValue(v);
        c->exact = v;
        c->hasExact = true;
    } else if (auto cb = qobject_cast<QComboBox *>(w)) {
        const int k = cb->findData(int(std::lround(v)));
        cb->setCurrentIndex(k >= 0 ? k : int(std::lround(v)));
    } else if (auto b = qobject_cast<QAbstractButton *>(w)) {
        if (b->isCheckable())
            b->setChecked(v != 0);
    } else if (auto pb = qobject_cast<QProgressBar *>(w)) {
        // A progress bar repaints itself at once on every new value; let it
        // repaint with the rest of the window instead, so that a long loop
        // that reports its progress is not slowed down by it.
        pb->setUpdatesEnabled(false);
        pb->setValue(int(std::lround(v)));
        pb->setUpdatesEnabled(true);
    } else if (auto le = qobject_cast<QLineEdit *>(w)) {
        le->setText(integral ? QString::number(qint64(v)) : NumberText(v));
    } else if (auto l = qobject_cast<QLabel *>(w)) {
        l->setText(integral ? QString::number(qint64(v)) : NumberText(v));
    } else if (auto t = qobject_cast<QPlainTextEdit *>(w)) {
        t->moveCursor(QTextCursor::End);
        t->insertPlainText(integral ? QString::number(qint64(v)) : NumberText(v));
    } else {
        return -1;
    }
    return 0;
}

int GetNumber(int panel, int control, double *v)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c || !v)
        return -1;
    QWidget *w = c->widget;
    if (auto s = qobject_cast<QSpinBox *>(w))
        *v = s->value();
    else if (auto d = qobject_cast<QDoubleSpinBox *>(w))
        *v = c->hasExact ? c->exact : d->value();
    else if (auto cb = qobject_cast<QComboBox *>(w))
        *v = cb->currentData().isValid() ? cb->currentData().toInt() : cb->currentIndex();
    else if (auto b = qobject_cast<QAbstractButton *>(w))
        *v = b->isChecked();
    else if (auto pb = qobject_cast<QProgressBar *>(w))
        *v = pb->value();
    else if (auto le = qobject_cast<QLineEdit *>(w))
        *v = le->text().toDouble();
    else if (auto l = qobject_cast<QLabel *>(w))
        *v = l->text().toDouble();
    else
        return -1;
    return 0;
}

template <typename T> int GetIntegral(int panel, int control, T *value)
{
    double d = 0;
    const int r = GetNumber(panel, control, &d);
    if (r == 0 && value)
        *value = T(std::llround(d));
    return r;
}

} // namespace

int SetCtrlVal(int panel, int control, int value) { return SetNumber(panel, control, value, true); }
int SetCtrlVal(int panel, int control, unsigned int value) { return SetNumber(panel, control, value, true); }
int SetCtrlVal(int panel, int control, double value) { return SetNumber(panel, control, value, false); }

int SetCtrlVal(int panel, int control, const char *value)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c || !value)
        return -1;
    QWidget *w = c->widget;
    const QSignalBlocker block(w);
    const QString s = QString::fromUtf8(value);
    if (auto le = qobject_cast<QLineEdit *>(w))
        le->setText(s);
    else if (auto l = qobject_cast<QLabel *>(w))
        l->setText(s);
    else if (auto t = qobject_cast<QPlainTextEdit *>(w)) {
        t->moveCursor(QTextCursor::End);
        t->insertPlainText(s);
    } else if (auto b = qobject_cast<QAbstractButton *>(w))
        b->setText(s);
    else if (auto cb = qobject_cast<QComboBox *>(w))
        cb->setCurrentText(s);
    else
        return -1;
    return 0;
}

int GetCtrlVal(int panel, int control, int *value) { return GetIntegral(panel, control, value); }
int GetCtrlVal(int panel, int control, unsigned int *value) { return GetIntegral(panel, control, value); }
int GetCtrlVal(int panel, int control, short *value) { return GetIntegral(panel, control, value); }
int GetCtrlVal(int panel, int control, double *value) { return GetNumber(panel, control, value); }

int GetCtrlVal(int panel, int control, unsigned short *value)
{
    double d = 0;
    const int r = GetNumber(panel, control, &d);
    if (r == 0 && value)
        *value = (unsigned short)std::clamp<long long>(std::llround(d), 0, 65535);
    return r;
}

int GetCtrlValText(int panel, int control, char *buffer, std::size_t size)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c || !buffer || size == 0)
        return -1;
    QWidget *w = c->widget;
    QString s;
    if (auto le = qobject_cast<QLineEdit *>(w))
        s = le->text();
    else if (auto l = qobject_cast<QLabel *>(w))
        s = l->text();
    else if (auto t = qobject_cast<QPlainTextEdit *>(w))
        s = t->toPlainText();
    else if (auto cb = qobject_cast<QComboBox *>(w))
        s = cb->currentText();
    else if (auto b = qobject_cast<QAbstractButton *>(w))
        s = b->text();
    else {
        double d = 0;
        if (GetNumber(panel, control, &d) != 0)
            return -1;
        s = NumberText(d);
    }
    CopyText(s, buffer, size);
    return 0;
}

int InsertTextBoxLine(int panel, int control, int lineIndex, const char *text)
{
    Ctrl *c = FindCtrl(panel, control);
    auto t = c ? qobject_cast<QPlainTextEdit *>(c->widget) : nullptr;
    if (!t || !text)
        return -1;
    const QSignalBlocker block(t);
    QTextCursor cur(t->document());
    const int count = t->document()->blockCount();
    if (lineIndex < 0 || lineIndex >= count) {
        cur.movePosition(QTextCursor::End);
        cur.insertText((t->document()->isEmpty() ? QString() : QStringLiteral("\n")) + QString::fromUtf8(text));
    } else {
        cur.setPosition(t->document()->findBlockByNumber(lineIndex).position());
        cur.insertText(QString::fromUtf8(text) + QLatin1Char('\n'));
    }
    // Hold to the box's entry length like typed text.
    const int max = t->property("maxLength").toInt();
    if (max > 0 && t->toPlainText().size() > max) {
        QTextCursor end(t->document());
        end.setPosition(max);
        end.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        end.removeSelectedText();
    }
    return 0;
}

int GetNumTextBoxLines(int panel, int control, int *count)
{
    Ctrl *c = FindCtrl(panel, control);
    auto t = c ? qobject_cast<QPlainTextEdit *>(c->widget) : nullptr;
    if (!t || !count)
        return -1;
    *count = t->document()->blockCount();
    return 0;
}

int ResetTextBox(int panel, int control, const char *text)
{
    Ctrl *c = FindCtrl(panel, control);
    auto t = c ? qobject_cast<QPlainTextEdit *>(c->widget) : nullptr;
    if (!t)
        return -1;
    const QSignalBlocker block(t);
    t->setPlainText(QString::fromUtf8(text ? text : ""));
    return 0;
}

int DisplayImageFile(int panel, int control, const char *fileName)
{
    Ctrl *c = FindCtrl(panel, control);
    auto l = c ? qobject_cast<QLabel *>(c->widget) : nullptr;
    if (!l || !fileName)
        return -1;
    const QString path = QString::fromLocal8Bit(FindRunTimeFile(fileName).c_str());
    if (path.isEmpty())
        qWarning("DisplayImageFile: %s", RunTimeFileMissing(fileName).c_str());
    QPixmap pm(path);
    if (pm.isNull())
        return -1;
    l->setPixmap(pm.scaled(l->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    l->setProperty("rtImageFile", path);
    return 0;
}

// ---- Attributes -----------------------------------------------------------

namespace {

void SetColorRole(QWidget *w, QPalette::ColorRole role, int rgb)
{
    QPalette pal = w->palette();
    pal.setColor(role, QColor::fromRgb(QRgb(rgb & 0xFFFFFF)));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

} // namespace

int SetCtrlAttribute(int panel, int control, int attribute, int value)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c)
        return -1;
    QWidget *w = c->widget;
    switch (attribute) {
    case RT_ATTR_DIMMED: w->setEnabled(!value); return 0;
    case RT_ATTR_VISIBLE: w->setVisible(value != 0); return 0;
    case RT_ATTR_ENABLED:
        if (auto t = qobject_cast<TimerCtrl *>(w)) {
            t->setTimerEnabled(value != 0);
            return 0;
        }
        return -1;
    case RT_ATTR_INTERVAL: return SetCtrlAttribute(panel, control, attribute, double(value));
    case RT_ATTR_CTRL_INDEX:
        if (auto cb = qobject_cast<QComboBox *>(w)) {
            const QSignalBlocker block(cb);
            cb->setCurrentIndex(value);
            return 0;
        }
        return -1;
    case RT_ATTR_TEXT_COLOR:
        w->setProperty("rtTextColor", value);
        SetColorRole(w, QPalette::Text, value);
        SetColorRole(w, QPalette::WindowText, value);
        SetColorRole(w, QPalette::ButtonText, value);
        return 0;
    case RT_ATTR_TEXT_BGCOLOR:
        w->setProperty("rtTextBgColor", value);
        SetColorRole(w, QPalette::Base, value);
        return 0;
    case RT_ATTR_LEFT: w->move(value, w->y()); return 0;
    case RT_ATTR_TOP: w->move(w->x(), value); return 0;
    case RT_ATTR_WIDTH: w->resize(value, w->height()); return 0;
    case RT_ATTR_HEIGHT: w->resize(w->width(), value); return 0;
    case RT_ATTR_MAX_ENTRY_LENGTH:
        if (auto le = qobject_cast<QLineEdit *>(w))
            le->setMaxLength(value);
        w->setProperty("maxLength", value);
        return 0;
    case RT_ATTR_NO_EDIT_TEXT:
        if (auto le = qobject_cast<QLineEdit *>(w))
            le->setReadOnly(value);
        else if (auto t = qobject_cast<QPlainTextEdit *>(w))
            t->setReadOnly(value);
        else if (auto s = qobject_cast<QAbstractSpinBox *>(w))
            s->setReadOnly(value);
        return 0;
    default:
        w->setProperty(("rtAttr" + std::to_string(attribute)).c_str(), value);
        return 0;
    }
}

int SetCtrlAttribute(int panel, int control, int attribute, double value)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c)
        return -1;
    if (attribute == RT_ATTR_INTERVAL) {
        if (auto t = qobject_cast<TimerCtrl *>(c->widget)) {
            t->setInterval(value);
            return 0;
        }
        return -1;
    }
    return SetCtrlAttribute(panel, control, attribute, int(std::lround(value)));
}

int SetCtrlAttribute(int panel, int control, int attribute, const char *value)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c || !value || attribute != RT_ATTR_LABEL_TEXT)
        return -1;
    const QString s = QString::fromUtf8(value);
    if (auto b = qobject_cast<QAbstractButton *>(c->widget))
        b->setText(s);
    else if (auto l = qobject_cast<QLabel *>(c->widget))
        l->setText(s);
    c->widget->setAccessibleName(s);
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, int *value)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c || !value)
        return -1;
    QWidget *w = c->widget;
    switch (attribute) {
    case RT_ATTR_DIMMED: *value = !w->isEnabled(); return 0;
    case RT_ATTR_VISIBLE: *value = !w->isHidden(); return 0;
    case RT_ATTR_ENABLED:
        if (auto t = qobject_cast<TimerCtrl *>(w)) {
            *value = t->timerEnabled();
            return 0;
        }
        return -1;
    case RT_ATTR_CTRL_INDEX:
        if (auto cb = qobject_cast<QComboBox *>(w)) {
            *value = cb->currentIndex();
            return 0;
        }
        return -1;
    case RT_ATTR_TEXT_COLOR: *value = w->property("rtTextColor").toInt(); return 0;
    case RT_ATTR_TEXT_BGCOLOR: *value = w->property("rtTextBgColor").toInt(); return 0;
    case RT_ATTR_LEFT: *value = w->x(); return 0;
    case RT_ATTR_TOP: *value = w->y(); return 0;
    case RT_ATTR_WIDTH: *value = w->width(); return 0;
    case RT_ATTR_HEIGHT: *value = w->height(); return 0;
    case RT_ATTR_MAX_ENTRY_LENGTH: *value = w->property("maxLength").toInt(); return 0;
    default: {
        const QVariant v = w->property(("rtAttr" + std::to_string(attribute)).c_str());
        *value = v.toInt();
        return 0;
    }
    }
}

int GetCtrlAttribute(int panel, int control, int attribute, double *value)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c || !value)
        return -1;
    if (attribute == RT_ATTR_INTERVAL) {
        if (auto t = qobject_cast<TimerCtrl *>(c->widget)) {
            *value = t->interval();
            return 0;
        }
        return -1;
    }
    int i = 0;
    const int r = GetCtrlAttribute(panel, control, attribute, &i);
    *value = i;
    return r;
}

// ---- Menus --------------------------------------------------------------------

int SetMenuBarAttribute(int menuBar, int item, int attribute, int value)
{
    MenuItem *m = FindMenuItem(menuBar, item);
    if (!m)
        return -1;
    if (attribute == RT_ATTR_DIMMED) {
        if (m->action)
            m->action->setEnabled(!value);
        else if (m->menu)
            m->menu->setEnabled(!value);
        return 0;
    }
    if (attribute == RT_ATTR_CHECKED && m->action) {
        m->action->setCheckable(true);
        m->action->setChecked(value != 0);
        return 0;
    }
    return -1;
}

int SetMenuBarAttribute(int menuBar, int item, int attribute, const char *value)
{
    MenuItem *m = FindMenuItem(menuBar, item);
    if (!m || !value || attribute != RT_ATTR_ITEM_NAME)
        return -1;
    if (m->action)
        m->action->setText(QString::fromUtf8(value));
    else if (auto menu = qobject_cast<QMenu *>(m->menu))
        menu->setTitle(QString::fromUtf8(value));
    return 0;
}

int GetMenuBarAttribute(int menuBar, int item, int attribute, int *value)
{
    MenuItem *m = FindMenuItem(menuBar, item);
    if (!m || !value)
        return -1;
    if (attribute == RT_ATTR_DIMMED) {
        *value = m->action ? !m->action->isEnabled() : (m->menu ? !m->menu->isEnabled() : 0);
        return 0;
    }
    if (attribute == RT_ATTR_CHECKED) {
        *value = m->action && m->action->isChecked();
        return 0;
    }
    return -1;
}

int GetMenuBarAttributeText(int menuBar, int item, int attribute, char *buffer, std::size_t size)
{
    MenuItem *m = FindMenuItem(menuBar, item);
    if (!m || !buffer || size == 0 || attribute != RT_ATTR_ITEM_NAME)
        return -1;
    QString s = m->action ? m->action->text() : (qobject_cast<QMenu *>(m->menu) ? qobject_cast<QMenu *>(m->menu)->title() : QString());
    CopyText(s, buffer, size);
    return 0;
}

} // namespace rt
