// SPDX-License-Identifier: GPL-3.0-or-later
// Control values: numbers and texts set and read through the control's
// widget-kind adapter, text boxes line by line, pictures.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "internal.h"
#include "widget_kinds.h"

namespace rt {

namespace detail {

void CopyText(const QString &s, char *buffer, std::size_t size)
{
    const QByteArray bytes = s.toUtf8();
    std::size_t n = std::min<std::size_t>(bytes.size(), size - 1);
    while (n > 0 && n < std::size_t(bytes.size()) && (uchar(bytes[qsizetype(n)]) & 0xC0) == 0x80)
        --n;
    std::memcpy(buffer, bytes.constData(), n);
    buffer[n] = '\0';
}

}  // namespace detail

using namespace detail;

namespace {

int SetNumber(int panel, int control, double v, bool integral)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c)
        return -1;
    const QSignalBlocker block(c->widget);
    return c->kind->setNumber(*c, v, integral) ? 0 : -1;
}

int GetNumber(int panel, int control, double *v)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c || !v)
        return -1;
    return c->kind->number(*c, v) ? 0 : -1;
}

template <typename T> int GetIntegral(int panel, int control, T *value)
{
    double d = 0;
    const int r = GetNumber(panel, control, &d);
    if (r == 0 && value)
        *value = T(std::llround(d));
    return r;
}

}  // namespace

int SetCtrlVal(int panel, int control, int value)
{
    return SetNumber(panel, control, value, true);
}
int SetCtrlVal(int panel, int control, unsigned int value)
{
    return SetNumber(panel, control, value, true);
}
int SetCtrlVal(int panel, int control, double value)
{
    return SetNumber(panel, control, value, false);
}

int SetCtrlVal(int panel, int control, const char *value)
{
    Ctrl *c = FindCtrl(panel, control);
    if (!c || !value)
        return -1;
    const QSignalBlocker block(c->widget);
    return c->kind->setText(*c, QString::fromUtf8(value)) ? 0 : -1;
}

int GetCtrlVal(int panel, int control, int *value)
{
    return GetIntegral(panel, control, value);
}
int GetCtrlVal(int panel, int control, unsigned int *value)
{
    return GetIntegral(panel, control, value);
}
int GetCtrlVal(int panel, int control, short *value)
{
    return GetIntegral(panel, control, value);
}
int GetCtrlVal(int panel, int control, double *value)
{
    return GetNumber(panel, control, value);
}

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
    QString s;
    if (!c->kind->text(*c, &s)) {
        // A numeric control gives its value as text.
        double d = 0;
        if (!c->kind->number(*c, &d))
            return -1;
        s = QString::number(d, 'g', 12);
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
        cur.insertText((t->document()->isEmpty() ? QString() : QStringLiteral("\n"))
                       + QString::fromUtf8(text));
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

}  // namespace rt
