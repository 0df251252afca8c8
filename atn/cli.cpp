// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli.h"

#include <cstdio>

#include "atn.h"

void SetUpParser(QCommandLineParser &p, const char *command, const char *description,
                 const char *files)
{
    p.setApplicationDescription(QString::fromUtf8(description));
    p.addHelpOption();
    p.addPositionalArgument(QStringLiteral("FILE"), QString::fromUtf8(files),
                            QStringLiteral("%1 FILE").arg(QString::fromUtf8(command)));
}

bool Parse(QCommandLineParser &p, const QStringList &args, const char *command, int *status)
{
    if (!p.parse(args)) {
        Complain(std::string(command) + ": " + p.errorText().toStdString());
        *status = 2;
        return false;
    }
    const bool all = p.isSet(QStringLiteral("help-all"));
    if (all || p.isSet(QStringLiteral("help"))) {
        QString text = p.helpText();
        // The usage line names the tool as it is typed, whatever path ran it.
        const qsizetype eol = text.indexOf(QLatin1Char('\n'));
        text.replace(
            0, eol, QStringLiteral("Usage: atn %1 [options] FILE").arg(QString::fromUtf8(command)));
        std::fputs(text.toLocal8Bit().constData(), stdout);
        if (all)
            std::fputs(ToolkitOptionsHelp().c_str(), stdout);
        *status = 0;
        return false;
    }
    return true;
}

bool Required(QCommandLineParser &p, const QString &name, QString *value, int *status)
{
    *value = p.value(name);
    if (value->isEmpty()) {
        Complain("--" + name.toStdString() + " is required; see --help");
        *status = 2;
        return false;
    }
    return true;
}

std::string ToolkitOptionsHelp()
{
    return "\n"
           "Qt toolkit options (anywhere on the command line, for every command):\n"
           "  -platform NAME            The Qt platform plugin to draw with (default:\n"
           "                            offscreen, so no display is needed).\n"
           "  -platformpluginpath PATH  Where to look for platform plugins.\n"
           "  -plugin NAME              A further Qt plugin to load.\n"
           "  -reverse                  Lays text out right to left.\n";
}
