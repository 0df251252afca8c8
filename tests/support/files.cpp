// SPDX-License-Identifier: GPL-3.0-or-later
#include "files.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

void PutFile(const std::string &path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string GetFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const char *SampleFile(std::string_view name)
{
    static std::mutex lock;
    static std::map<std::string, std::string, std::less<>> paths;
    std::lock_guard guard(lock);
    auto it = paths.find(name);
    if (it == paths.end())
        it = paths.emplace(std::string(name), VELORAN_SAMPLES_DIR "/" + std::string(name)).first;
    return it->second.c_str();
}

FileSizeLimit::FileSizeLimit(rlim_t limit)
{
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit small = old_;
    small.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &small);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_ == SIG_ERR ? SIG_DFL : oldHandler_);
}

SmallDisk::SmallDisk()
{
    if (geteuid() != 0)
        return;
    const char *tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/smalldisk-XXXXXX";
    if (!mkdtemp(templ.data()))
        return;
    if (mount("tmpfs", templ.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0) {
        rmdir(templ.c_str());
        return;
    }
    dir = templ;
}

SmallDisk::~SmallDisk()
{
    if (dir.empty())
        return;
    umount2(dir.c_str(), MNT_DETACH);
    rmdir(dir.c_str());
}

void SmallDisk::Fill() const
{
    std::FILE *f = std::fopen((dir + "/filler").c_str(), "wb");
    if (!f)
        return;
    std::setvbuf(f, nullptr, _IONBF, 0);
    static const char block[4096] = {};
    while (std::fwrite(block, 1, sizeof block, f) == sizeof block) {
    }
    while (std::fwrite(block, 1, 1, f) == 1) {
    }
    std::fclose(f);
}

}  // namespace testsupport
