// Launching the measurement program: the marker first, made atomically, so
// that of two viewers only one starts it; then the program from beside the
// viewer or from the installation, never from the current folder (a program
// of that name in a downloaded folder is not ours).
#include "launch.h"

#include <unistd.h>

#include "handoff.h"
#include "rt.h"

KestoLaunch LaunchKesto(const std::string &markerDir)
{
    if (CreateHandoffMarker(markerDir) != HandoffCreate::Created)
        return KestoLaunch::Blocked;
    const std::string exe = FindRunTimeFile(KESTO_PROGRAM);
    if (exe.empty() || access(exe.c_str(), X_OK) != 0)
        return KestoLaunch::Missing;
    return LaunchExecutable(exe.c_str()) == 0 ? KestoLaunch::Started : KestoLaunch::Failed;
}

void antKestoCallback(int, int, void *, int)
{
    // The marker lives in the current directory, which the measurement
    // program inherits.
    LaunchKesto({});
}
