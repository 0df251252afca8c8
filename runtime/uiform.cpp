// SPDX-License-Identifier: GPL-3.0-or-later
#include "uiform.h"

#include <QXmlStreamReader>

namespace rt {

UiForm ReadUiForm(const QByteArray &xml)
{
    UiForm form;
    QXmlStreamReader rd(xml);
    QStringList actions;
    int depth = 0;
    while (!rd.atEnd()) {
        rd.readNext();
        if (rd.isStartElement()) {
            ++depth;
            const auto name = rd.attributes().value(QLatin1String("name")).toString();
            if (rd.name() == QLatin1String("widget")) {
                const auto cls = rd.attributes().value(QLatin1String("class")).toString();
                if (form.panelName.isEmpty()) {
                    form.panelName = name;
                    form.widgetClass = cls;
                } else if (cls == QLatin1String("QMenuBar")) {
                    form.menuBarName = name;
                } else if (!form.menuBarName.isEmpty() && cls == QLatin1String("QMenu")
                           && name.startsWith(form.menuBarName + QLatin1Char('_'))) {
                    form.menuItems << name;
                } else if (name.startsWith(form.panelName + QLatin1Char('_'))) {
                    form.controls << name;
                }
            } else if (rd.name() == QLatin1String("action")) {
                actions << name;
            }
        } else if (rd.isEndElement()) {
            --depth;
        }
    }
    if (rd.hasError())
        form.error = rd.errorString();
    else if (form.panelName.isEmpty())
        form.error = QStringLiteral("no top widget");
    // Actions are declared apart from the menu bar; keep those that belong to it.
    for (const auto &a : actions)
        if (!form.menuBarName.isEmpty() && a.startsWith(form.menuBarName + QLatin1Char('_')))
            form.menuItems << a;
    return form;
}

}  // namespace rt
