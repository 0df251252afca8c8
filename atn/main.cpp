// SPDX-License-Identifier: GPL-3.0-or-later
// atn: pattern files from the command line.
#include <QCoreApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "atn.h"
#include "cli.h"
#include "rt.h"

#ifndef VELORAN_VERSION
#define VELORAN_VERSION "0"
#endif

namespace {

const char kUsage[] =
    "Usage: atn COMMAND [OPTIONS] FILE...\n"
    "Pattern files (atn, or MSI antenna files) from the command line.\n"
    "\n"
    "Commands:\n"
    "  info      header, readouts and lobe metrics of each file (--json for one JSON document)\n"
    "  plot      the viewer's polar or Cartesian view as PNG, SVG or PDF\n"
    "  export    the levels as CSV or as an MSI antenna file\n"
    "  import    an MSI antenna file as an atn file\n"
    "  compare   how closely one pattern matches another, at the best rotation\n"
    "  report    an A4 PDF: a summary page, then one page for each file\n"
    "  theory    the textbook model of a library antenna type (0 to 15)\n"
    "  gain      the gain in dBi by comparison with a reference antenna, with its\n"
    "            uncertainty budget\n"
    "  check     the checks on a measurement: dynamic range, figures on the floor,\n"
    "            noise, the planes at boresight, far field (status 3 when one warns)\n"
    "\n"
    "\"atn COMMAND --help\" describes a command and its options.\n"
    "\"-\" as a file name reads standard input; \"-o -\" writes to standard output.\n";

// Qt's own notes about the desktop session (no runtime folder and the like)
// mean nothing to a command-line tool; real warnings still show.
void QuietMessages(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type == QtDebugMsg || type == QtInfoMsg || msg.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "atn: %s\n", msg.toLocal8Bit().constData());
}

int Run(char **argv)
{
    // Nothing is shown on a screen: draw offscreen unless told otherwise, so
    // the tool runs without a display.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(QuietMessages);
    if (!InitCVIRTE(nullptr, argv, nullptr)) {
        Complain("cannot start the Qt run-time");
        return 2;
    }
    // Qt takes the locale from the environment; numbers are printed with a
    // point whatever it is, so scripts can read them.
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setApplicationName(QStringLiteral("atn"));
    QCoreApplication::setOrganizationName(QStringLiteral("Veloran"));
    QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args[1] == QLatin1String("--help") || args[1] == QLatin1String("-h")
        || args[1] == QLatin1String("--help-all") || args[1] == QLatin1String("help")) {
        if (args.size() >= 3 && args[1] == QLatin1String("help")) {
            args = {args[0], args[2], QStringLiteral("--help")};
        } else {
            std::fputs(kUsage, args.size() < 2 ? stderr : stdout);
            if (args.size() >= 2 && args[1] == QLatin1String("--help-all"))
                std::fputs(ToolkitOptionsHelp().c_str(), stdout);
            return args.size() < 2 ? 2 : 0;
        }
    }
    const QString command = args[1];
    args.removeAt(1);  // the parser of each command sees "atn OPTIONS FILE..."
    if (command == QLatin1String("info"))
        return RunInfo(args);
    if (command == QLatin1String("plot"))
        return RunPlot(args);
    if (command == QLatin1String("export"))
        return RunExport(args);
    if (command == QLatin1String("import"))
        return RunImport(args);
    if (command == QLatin1String("compare"))
        return RunCompare(args);
    if (command == QLatin1String("report"))
        return RunReport(args);
    if (command == QLatin1String("theory"))
        return RunTheory(args);
    if (command == QLatin1String("gain"))
        return RunGain(args);
    if (command == QLatin1String("check"))
        return RunCheck(args);
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        std::puts("atn " VELORAN_VERSION);
        return 0;
    }
    Complain("unknown command \"" + command.toStdString() + "\"; \"atn --help\" lists them");
    return 2;
}

}  // namespace

int main(int, char **argv)
{
    const int status = Run(argv);
    return CloseStandardOutput() ? status : 1;
}
