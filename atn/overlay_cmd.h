// SPDX-License-Identifier: GPL-3.0-or-later
// atn plot and atn export with --overlay: several files laid over the first,
// one plane of each, drawn and written as the viewer's File > Overlay...
// shows them.
#pragma once

#include <QCommandLineParser>
#include <QString>

// The options --overlay, --plane, --align (and --band for a picture).
void AddOverlayOptions(QCommandLineParser &p, bool picture);
// The picture of FILE with the files of --overlay over it, written to out.
int RunPlotOverlay(const QCommandLineParser &p, const QString &out, bool cartesian, int size);
// CSV: the angle, each file's level of the plane, their mean and standard
// deviation.
int RunExportOverlay(const QCommandLineParser &p, const QString &out);
