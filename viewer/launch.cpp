// Launching the measurement program: the marker first, made atomically, so
// that of two viewers only one starts it; then the program beside the viewer.
#include "launch.h"

#include <unistd.h>

#include <filesystem>

#include "handoff.h"
#include "rt.h"

namespace fs = std::filesystem;

std::string ProgramDir()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

KestoLaunch LaunchKesto(const std::string &markerDir, const std::vector<std::string> &searchDirs)
{
    if (CreateHandoffMarker(markerDir) != HandoffCreate::Created)
        return KestoLaunch::Blocked;
    for (const auto &dir : searchDirs) {
        const fs::path exe = fs::path(dir.empty() ? "." : dir) / KESTO_PROGRAM;
        std::error_code ec;
        if (!fs::is_regular_file(exe, ec) || access(exe.c_str(), X_OK) != 0)
            continue;
        return LaunchExecutable(exe.c_str()) == 0 ? KestoLaunch::Started : KestoLaunch::Failed;
    }
    return KestoLaunch::Missing;
}

void antKestoCallback(int, int, void *, int)
{
    // The marker lives in the current directory, which the measurement
    // program inherits; the program is looked for beside the viewer first.
    LaunchKesto({}, {ProgramDir(), "."});
}
