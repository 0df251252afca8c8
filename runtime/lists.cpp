// SPDX-License-Identifier: GPL-3.0-or-later
// Rings whose items the program fills at run time.
#include <QComboBox>

#include "internal.h"

namespace rt {

namespace {

QComboBox *Ring(int panel, int control)
{
    detail::Ctrl *c = detail::FindCtrl(panel, control);
    return c ? qobject_cast<QComboBox *>(c->widget) : nullptr;
}

}  // namespace

int ClearListCtrl(int panel, int control)
{
    QComboBox *cb = Ring(panel, control);
    if (!cb)
        return -1;
    const QSignalBlocker block(cb);
    cb->clear();
    return 0;
}

int InsertListItem(int panel, int control, int index, const char *label, int value)
{
    QComboBox *cb = Ring(panel, control);
    if (!cb || !label)
        return -1;
    const QSignalBlocker block(cb);
    cb->insertItem(index < 0 ? cb->count() : index, QString::fromUtf8(label), value);
    return 0;
}

int GetNumListItems(int panel, int control, int *count)
{
    QComboBox *cb = Ring(panel, control);
    if (!cb || !count)
        return -1;
    *count = cb->count();
    return 0;
}

}  // namespace rt
