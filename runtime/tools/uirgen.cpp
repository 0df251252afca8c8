// SPDX-License-Identifier: GPL-3.0-or-later
// Build tool: from the Designer forms of one program, writes the header of
// panel, control and menu-item constants and the resource list that rcc packs
// into the program's resource file.
//   uirgen <header.h> <resources.qrc> <panelNumber>=<form.ui> ...
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

#include "../uiform.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const auto args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: uirgen header.h resources.qrc N=form.ui ...\n");
        return 2;
    }
    QString header;
    QTextStream h(&header);
    QString qrc;
    QTextStream q(&qrc);
    h << "// Generated from the program's panel forms; do not edit.\n#pragma once\n\n";
    q << "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource>\n";
    for (int i = 3; i < args.size(); ++i) {
        const int eq = args[i].indexOf(QLatin1Char('='));
        const QString num = args[i].left(eq);
        const QString path = args[i].mid(eq + 1);
        QFile f(path);
        if (eq <= 0 || !f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "uirgen: cannot read %s\n", qPrintable(args[i]));
            return 1;
        }
        const rt::UiForm form = rt::ReadUiForm(f.readAll());
        if (!form.error.isEmpty()) {
            std::fprintf(stderr, "uirgen: %s: %s\n", qPrintable(path), qPrintable(form.error));
            return 1;
        }
        h << "#define " << form.panelName << " " << num << "\n";
        int id = rt::kFirstUiId;
        for (const auto &c : form.controls)
            h << "#define " << c << " " << id++ << "\n";
        if (!form.menuBarName.isEmpty()) {
            h << "#define " << form.menuBarName << " " << num << "\n";
            id = rt::kFirstUiId;
            for (const auto &m : form.menuItems)
                h << "#define " << m << " " << id++ << "\n";
        }
        h << "\n";
        q << "  <file alias=\"panel" << num << ".ui\">" << QFileInfo(path).absoluteFilePath()
          << "</file>\n";
    }
    q << "</qresource>\n</RCC>\n";
    auto writeIfChanged = [](const QString &path, const QString &text) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly) && f.readAll() == text.toUtf8())
            return true;
        f.close();
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        return f.write(text.toUtf8()) >= 0;
    };
    if (!writeIfChanged(args[1], header) || !writeIfChanged(args[2], qrc)) {
        std::fprintf(stderr, "uirgen: cannot write the outputs\n");
        return 1;
    }
    return 0;
}
