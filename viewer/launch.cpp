// SPDX-License-Identifier: GPL-3.0-or-later
// Launching the measurement program: the marker first, made atomically, so
// that of two viewers only one starts it; then the program from beside the
// viewer or from the installation, never from the current folder (a program
// of that name in a downloaded folder is not ours).
#include "launch.h"

#include <cstring>

#include <unistd.h>

#include "handoff.h"
#include "rt.h"

KestoLaunch LaunchKesto(const std::string &markerDir, int *error)
{
    switch (CreateHandoffMarker(markerDir, error)) {
    case HandoffCreate::Created:
        break;
    case HandoffCreate::Exists:
        return KestoLaunch::Blocked;
    case HandoffCreate::Error:
        return KestoLaunch::NoMarker;
    }
    // A program that was not started leaves no marker behind: it would block
    // every later launch with nothing running.
    const std::string exe = FindRunTimeFile(KESTO_PROGRAM);
    if (exe.empty() || access(exe.c_str(), X_OK) != 0) {
        DeleteHandoffMarker(markerDir);
        return KestoLaunch::Missing;
    }
    if (LaunchExecutable(exe.c_str()) != 0) {
        DeleteHandoffMarker(markerDir);
        return KestoLaunch::Failed;
    }
    return KestoLaunch::Started;
}

void antKestoCallback(int, int, void *, int)
{
    // The marker lives in the current directory, which the measurement
    // program inherits.
    int error = 0;
    const KestoLaunch launched = LaunchKesto({}, &error);
    if (launched == KestoLaunch::Missing || launched == KestoLaunch::Failed) {
        const std::string exe = FindRunTimeFile(KESTO_PROGRAM);
        const std::string why = launched == KestoLaunch::Failed ? "\"" + exe + "\" would not start."
                                : exe.empty()                   ? RunTimeFileMissing(KESTO_PROGRAM)
                                              : "\"" + exe + "\" is not a program that may be run.";
        const std::string text = std::string(KESTO_PROGRAM) + " was not started. " + why;
        MessagePopup("Veloran", text.c_str());
        return;
    }
    if (launched != KestoLaunch::NoMarker)
        return;
    // Without the marker a second copy could be started over the first, so
    // the program is not started, and the user learns why.
    std::string folder(RT_PATH_SIZE, '\0');
    if (getcwd(folder.data(), folder.size()))
        folder.resize(std::strlen(folder.c_str()));
    else
        folder = "the current folder";
    const std::string text = std::string(KESTO_PROGRAM) + " was not started: its marker file \""
                             + HANDOFF_MARKER_NAME + "\" could not be made in " + folder + " ("
                             + std::strerror(error) + ").";
    MessagePopup("Veloran", text.c_str());
}
