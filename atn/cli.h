// SPDX-License-Identifier: GPL-3.0-or-later
// Command-line parsing shared by the sub-commands.
#pragma once

#include <QCommandLineParser>

#include <optional>
#include <string>

// Sets up a parser for one sub-command with --help; Parse returns false with
// the status to exit with (0 after --help, 2 after a usage error).
void SetUpParser(QCommandLineParser &p, const char *command, const char *description,
                 const char *files);
bool Parse(QCommandLineParser &p, const QStringList &args, const char *command, int *status);
// The options the Qt toolkit takes from any command line, for --help-all
// (which Qt's parser lists beside --help).
std::string ToolkitOptionsHelp();
// A required option's value or a usage error.
bool Required(QCommandLineParser &p, const QString &name, QString *value, int *status);
// --distance M (metres) when given: false with a message for anything but
// a positive number.
bool ParseDistanceOption(QCommandLineParser &p, const char *command,
                         std::optional<double> *distance);
