// SPDX-License-Identifier: GPL-3.0-or-later
// Attributes of controls and panels. An attribute the run-time does not know
// is an error: a negative code, and in a test a failure of the test.
#include <QLabel>
#include <QLayout>
#include <QPalette>
#include <QProgressBar>
#include <QWidget>

#include <cmath>
#include <string>

#include "appearance.h"
#include "internal.h"
#include "ogl3d.h"
#include "widget_kinds.h"

namespace rt {

namespace detail {

int UnknownAttribute(const char *function, int attribute)
{
    RecordTestFailure(std::string(function) + ": unknown attribute " + std::to_string(attribute));
    return -1;
}

}  // namespace detail

using namespace detail;

namespace {

bool IsCtrlAttribute(int attribute)
{
    switch (attribute) {
    case RT_ATTR_DIMMED:
    case RT_ATTR_VISIBLE:
    case RT_ATTR_ENABLED:
    case RT_ATTR_INTERVAL:
    case RT_ATTR_CTRL_INDEX:
    case RT_ATTR_TEXT_COLOR:
    case RT_ATTR_TEXT_BGCOLOR:
    case RT_ATTR_LEFT:
    case RT_ATTR_TOP:
    case RT_ATTR_WIDTH:
    case RT_ATTR_HEIGHT:
    case RT_ATTR_LABEL_TEXT:
    case RT_ATTR_MAX_ENTRY_LENGTH:
    case RT_ATTR_NO_EDIT_TEXT:
    case RT_ATTR_CANVAS_OGL_FLAGS:
        return true;
    default:
        return false;
    }
}

bool IsPanelAttribute(int attribute)
{
    switch (attribute) {
    case RT_ATTR_DIMMED:
    case RT_ATTR_VISIBLE:
    case RT_ATTR_LEFT:
    case RT_ATTR_TOP:
    case RT_ATTR_WIDTH:
    case RT_ATTR_HEIGHT:
    case RT_ATTR_TITLE:
    case RT_ATTR_CLOSE_ITEM_VISIBLE:
    case RT_ATTR_SIZABLE:
    case RT_ATTR_MOVABLE:
    case RT_ATTR_CAN_MINIMIZE:
    case RT_ATTR_CAN_MAXIMIZE:
        return true;
    default:
        return false;
    }
}

// A known attribute asked for with the wrong sort of value is an ordinary
// error; one the run-time does not know is reported as well.
int WrongType(const char *function, int attribute, bool known)
{
    return known ? -1 : UnknownAttribute(function, attribute);
}

// Place and size, the same for a control and a panel.
void SetGeometry(QWidget *w, int attribute, int value)
{
    switch (attribute) {
    case RT_ATTR_LEFT:
        w->move(value, w->y());
        break;
    case RT_ATTR_TOP:
        w->move(w->x(), value);
        break;
    case RT_ATTR_WIDTH:
        w->resize(value, w->height());
        break;
    default:  // RT_ATTR_HEIGHT
        w->resize(w->width(), value);
        break;
    }
}

int Geometry(const QWidget *w, int attribute)
{
    switch (attribute) {
    case RT_ATTR_LEFT:
        return w->x();
    case RT_ATTR_TOP:
        return w->y();
    case RT_ATTR_WIDTH:
        return w->width();
    default:  // RT_ATTR_HEIGHT
        return w->height();
    }
}

void SetColorRole(QWidget *w, QPalette::ColorRole role, int rgb)
{
    QPalette pal = w->palette();
    pal.setColor(role, QColor::fromRgb(QRgb(rgb & 0xFFFFFF)));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

}  // namespace

// ---- Controls -------------------------------------------------------------------

int SetCtrlAttribute(int panel, int control, int attribute, int value)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c)
        return -1;
    QWidget *w = c->widget;
    switch (attribute) {
    case RT_ATTR_DIMMED:
        w->setEnabled(!value);
        return 0;
    case RT_ATTR_VISIBLE:
        w->setVisible(value != 0);
        return 0;
    case RT_ATTR_TEXT_COLOR:
        w->setProperty("rtTextColor", value);
        if (qobject_cast<QLabel *>(w)) {
            // A label's text lies on the window: shown in the colour asked
            // for, lightened or darkened just enough to stay readable.
            KeepReadable(w, QColor::fromRgb(QRgb(value & 0xFFFFFF)));
            return 0;
        }
        SetColorRole(w, QPalette::Text, value);
        SetColorRole(w, QPalette::WindowText, value);
        SetColorRole(w, QPalette::ButtonText, value);
        return 0;
    case RT_ATTR_TEXT_BGCOLOR:
        w->setProperty("rtTextBgColor", value);
        SetColorRole(w, QPalette::Base, value);
        return 0;
    case RT_ATTR_LEFT:
    case RT_ATTR_TOP:
    case RT_ATTR_WIDTH:
    case RT_ATTR_HEIGHT:
        SetGeometry(w, attribute, value);
        return 0;
    case RT_ATTR_MAX_ENTRY_LENGTH:
        c->kind->setAttribute(*c, attribute, value);
        w->setProperty("maxLength", value);
        return 0;
    case RT_ATTR_NO_EDIT_TEXT:
        c->kind->setAttribute(*c, attribute, value);  // nothing to do where nothing is typed
        return 0;
    case RT_ATTR_CANVAS_OGL_FLAGS:
        w->setProperty("rtCanvasOglFlags", value);  // kept, no effect
        return 0;
    case RT_ATTR_ENABLED:
    case RT_ATTR_INTERVAL:
    case RT_ATTR_CTRL_INDEX:
        // Attributes of one kind of control (timer, ring): -1 on another.
        return c->kind->setAttribute(*c, attribute, value) ? 0 : -1;
    default:
        return WrongType("SetCtrlAttribute", attribute, IsCtrlAttribute(attribute));
    }
}

int SetCtrlAttribute(int panel, int control, int attribute, double value)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c)
        return -1;
    if (attribute == RT_ATTR_INTERVAL)
        return c->kind->setAttribute(*c, attribute, value) ? 0 : -1;
    return SetCtrlAttribute(panel, control, attribute, int(std::lround(value)));
}

int SetCtrlAttribute(int panel, int control, int attribute, const char *value)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c || !value)
        return -1;
    if (attribute != RT_ATTR_LABEL_TEXT)
        return WrongType("SetCtrlAttribute", attribute, IsCtrlAttribute(attribute));
    const QString s = QString::fromUtf8(value);
    c->kind->setCaption(*c, s);
    // A bar's label is a format with %v in it; the bar names itself.
    if (!qobject_cast<QProgressBar *>(c->widget))
        c->widget->setAccessibleName(s);
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, int *value)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c || !value)
        return -1;
    QWidget *w = c->widget;
    double d = 0;
    switch (attribute) {
    case RT_ATTR_DIMMED:
        *value = !w->isEnabled();
        return 0;
    case RT_ATTR_VISIBLE:
        *value = !w->isHidden();
        return 0;
    case RT_ATTR_TEXT_COLOR:
        *value = w->property("rtTextColor").toInt();
        return 0;
    case RT_ATTR_TEXT_BGCOLOR:
        *value = w->property("rtTextBgColor").toInt();
        return 0;
    case RT_ATTR_LEFT:
    case RT_ATTR_TOP:
    case RT_ATTR_WIDTH:
    case RT_ATTR_HEIGHT:
        *value = Geometry(w, attribute);
        return 0;
    case RT_ATTR_MAX_ENTRY_LENGTH:
        *value = w->property("maxLength").toInt();
        return 0;
    case RT_ATTR_CANVAS_OGL_FLAGS:
        *value = w->property("rtCanvasOglFlags").toInt();
        return 0;
    case RT_ATTR_NO_EDIT_TEXT:
        *value = c->kind->attribute(*c, attribute, &d) ? int(d) : 0;
        return 0;
    case RT_ATTR_ENABLED:
    case RT_ATTR_INTERVAL:
    case RT_ATTR_CTRL_INDEX:
        if (!c->kind->attribute(*c, attribute, &d))
            return -1;
        *value = int(std::lround(d));
        return 0;
    default:
        return WrongType("GetCtrlAttribute", attribute, IsCtrlAttribute(attribute));
    }
}

int GetCtrlAttribute(int panel, int control, int attribute, double *value)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c || !value)
        return -1;
    if (attribute == RT_ATTR_INTERVAL)
        return c->kind->attribute(*c, attribute, value) ? 0 : -1;
    int i = 0;
    const int r = GetCtrlAttribute(panel, control, attribute, &i);
    *value = i;
    return r;
}

// ---- Panels ---------------------------------------------------------------------

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
    case RT_ATTR_VISIBLE:
        w->setVisible(value);
        break;
    case RT_ATTR_DIMMED:
        w->setEnabled(!value);
        break;
    case RT_ATTR_LEFT:
    case RT_ATTR_TOP:
    case RT_ATTR_WIDTH:
    case RT_ATTR_HEIGHT:
        SetGeometry(w, attribute, value);
        break;
    case RT_ATTR_CLOSE_ITEM_VISIBLE:
        flag(Qt::WindowCloseButtonHint, value);
        w->setWindowFlag(Qt::CustomizeWindowHint, !value);
        break;
    case RT_ATTR_CAN_MINIMIZE:
        flag(Qt::WindowMinimizeButtonHint, value);
        break;
    case RT_ATTR_CAN_MAXIMIZE:
        flag(Qt::WindowMaximizeButtonHint, value);
        break;
    case RT_ATTR_SIZABLE:
        // A panel with a layout keeps the size its content needs, and follows
        // it when the user's font changes; one without keeps the size it has.
        if (QLayout *l = w->layout())
            l->setSizeConstraint(value ? QLayout::SetDefaultConstraint : QLayout::SetFixedSize);
        if (!value && !w->layout())
            w->setFixedSize(w->size());
        else if (value)
            w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX), w->setMinimumSize(0, 0);
        break;
    case RT_ATTR_MOVABLE:
        w->setProperty("rtMovable", value);
        break;
    default:
        return WrongType("SetPanelAttribute", attribute, IsPanelAttribute(attribute));
    }
    w->setProperty(("rtPanelAttr" + std::to_string(attribute)).c_str(), value);
    return 0;
}

int SetPanelAttribute(int panel, int attribute, const char *value)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->widget)
        return -1;
    if (attribute != RT_ATTR_TITLE)
        return WrongType("SetPanelAttribute", attribute, IsPanelAttribute(attribute));
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
    case RT_ATTR_VISIBLE:
        *value = w->isVisible();
        return 0;
    case RT_ATTR_DIMMED:
        *value = !w->isEnabled();
        return 0;
    case RT_ATTR_LEFT:
    case RT_ATTR_TOP:
    case RT_ATTR_WIDTH:
    case RT_ATTR_HEIGHT:
        *value = Geometry(w, attribute);
        return 0;
    case RT_ATTR_CLOSE_ITEM_VISIBLE:
    case RT_ATTR_SIZABLE:
    case RT_ATTR_MOVABLE:
    case RT_ATTR_CAN_MINIMIZE:
    case RT_ATTR_CAN_MAXIMIZE: {
        // As last set; a panel has them all until told otherwise.
        const QVariant v = w->property(("rtPanelAttr" + std::to_string(attribute)).c_str());
        *value = v.isValid() ? v.toInt() : 1;
        return 0;
    }
    default:
        return WrongType("GetPanelAttribute", attribute, IsPanelAttribute(attribute));
    }
}

}  // namespace rt
