// SPDX-License-Identifier: GPL-3.0-or-later
// The programs' identity (name, version, desktop entry, window icon) and
// their command line: --help, --version, an optional file, and a refusal of
// anything else. The command line is read before the application object
// exists, so that --help and --version work without a display.
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QIcon>
#include <QStringList>

#include <cstdio>

#include "internal.h"

#ifndef VELORAN_VERSION
#define VELORAN_VERSION "0"
#endif

namespace rt {

namespace {

struct Identity {
    bool set = false;
    std::string name, desktopId;
} gIdentity;

// Options the application object itself takes (-platform offscreen,
// -style fusion ...): accepted here and left to it.
void AddToolkitOptions(QCommandLineParser &p)
{
    for (const char *withValue :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "qwindowicon", "qwindowtitle", "display", "geometry", "style", "stylesheet", "session"}) {
        QCommandLineOption o(QString::fromLatin1(withValue), QString(), QStringLiteral("value"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        p.addOption(o);
    }
    for (const char *flag : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption o(QString::fromLatin1(flag));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        p.addOption(o);
    }
}

void Print(FILE *to, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fflush(to);
}

}  // namespace

CommandLine ReadCommandLine(int argc, char **argv, const ProgramInfo &info)
{
    gIdentity.set = true;
    gIdentity.name = info.name;
    gIdentity.desktopId = info.desktopId ? info.desktopId : "";

    CommandLine result;
    QStringList args;
    for (int i = 0; i < argc && argv && argv[i]; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.isEmpty())
        args << QString::fromLatin1(info.name);

    const QString name = QString::fromLatin1(info.name);
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    p.setApplicationDescription(QString::fromUtf8(info.summary));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and ends."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and ends."));
    QCommandLineOption selfCheck(QStringLiteral("self-check"));
    selfCheck.setFlags(QCommandLineOption::HiddenFromHelp);
    p.addOption(help);
    p.addOption(version);
    p.addOption(selfCheck);
    AddToolkitOptions(p);
    if (info.fileArgument)
        p.addPositionalArgument(QString::fromLatin1(info.fileArgument),
                                QString::fromUtf8(info.fileHelp),
                                QStringLiteral("[%1]").arg(QString::fromLatin1(info.fileArgument)));

    const QString tryHelp = QStringLiteral(" Try '%1 --help'.\n").arg(name);
    if (!p.parse(args)) {
        Print(stderr, name + QStringLiteral(": ") + p.errorText() + tryHelp);
        result.exitStatus = 2;
        return result;
    }
    if (p.isSet(help)) {
        QString text = p.helpText();
        // The usage line names the program, not the path it was started by.
        const int eol = text.indexOf(QLatin1Char('\n'));
        const QString usage =
            QStringLiteral("Usage: %1 [options]%2")
                .arg(name, info.fileArgument
                               ? QStringLiteral(" [%1]").arg(QString::fromLatin1(info.fileArgument))
                               : QString());
        text = usage + (eol >= 0 ? text.mid(eol) : QStringLiteral("\n"));
        Print(stdout, text);
        result.exitStatus = 0;
        return result;
    }
    if (p.isSet(version)) {
        Print(stdout, QStringLiteral("%1 %2\n").arg(name, QStringLiteral(VELORAN_VERSION)));
        result.exitStatus = 0;
        return result;
    }
    const QStringList rest = p.positionalArguments();
    if (rest.size() > (info.fileArgument ? 1 : 0)) {
        const QString what = info.fileArgument
                                 ? QStringLiteral("only one file can be opened at a time.")
                                 : QStringLiteral("unexpected argument '%1'.").arg(rest.first());
        Print(stderr, name + QStringLiteral(": ") + what + tryHelp);
        result.exitStatus = 2;
        return result;
    }
    if (!rest.isEmpty())
        result.file = rest.first().toLocal8Bit().toStdString();
    result.selfCheck = p.isSet(selfCheck);
    return result;
}

namespace detail {

void ApplyProgramIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Veloran"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELORAN_VERSION));
    if (!gIdentity.set)
        return;
    QCoreApplication::setApplicationName(QString::fromStdString(gIdentity.name));
    if (gIdentity.desktopId.empty())
        return;
    const QString id = QString::fromStdString(gIdentity.desktopId);
    // Wayland compositors match the window to its desktop entry by this name.
    QGuiApplication::setDesktopFileName(id);
    const QString builtIn = QStringLiteral(":/icons/%1.svg").arg(id);
    QApplication::setWindowIcon(QFile::exists(builtIn) ? QIcon(builtIn) : QIcon::fromTheme(id));
}

}  // namespace detail

const char *ProgramVersion(void)
{
    return VELORAN_VERSION;
}

}  // namespace rt
