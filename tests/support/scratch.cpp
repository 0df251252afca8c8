// SPDX-License-Identifier: GPL-3.0-or-later
#include "scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

namespace {

std::string MakeFolder(std::string_view prefix)
{
    const char *tmp = std::getenv("TMPDIR");
    std::string templ =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/" + std::string(prefix) + "-XXXXXX";
    if (!mkdtemp(templ.data())) {
        ADD_FAILURE() << "cannot make a scratch folder " << templ;
        return {};
    }
    return templ;
}

}  // namespace

ScratchFolder::ScratchFolder(std::string_view prefix) : path(MakeFolder(prefix)), owner_(getpid())
{}

ScratchFolder::~ScratchFolder()
{
    if (getpid() == owner_ && !path.empty())
        RemoveTree(path);
}

std::string ScratchFolder::at(std::string_view name) const
{
    return path + "/" + std::string(name);
}

const fs::path &ProcessScratchDir()
{
    static const ScratchFolder folder;
    static const fs::path path = folder.path;
    if (path.empty())
        ADD_FAILURE() << "cannot make a scratch folder";
    return path;
}

std::string NewScratchDir(std::string_view prefix)
{
    static std::vector<std::unique_ptr<ScratchFolder>> all;
    all.push_back(std::make_unique<ScratchFolder>(prefix));
    return all.back()->path;
}

std::string LongPath(const fs::path &base, std::size_t length, const std::string &leaf)
{
    std::string dir = base.string();
    const std::size_t tail = leaf.size() + 1;
    if (dir.size() + tail + 2 > length) {
        ADD_FAILURE() << "the base folder leaves no room for " << length << " bytes";
        return {};
    }
    // Each step adds "/" and a name of up to 100 bytes; the last one takes
    // what is left, at least one byte.
    while (dir.size() + tail < length) {
        std::size_t room = length - tail - dir.size() - 1;
        std::size_t n = room > 100 ? 100 : room;
        if (room > 100 && room - n < 2)  // keep a name for the last step
            n = room - 2;
        dir += "/" + std::string(n, 'd');
    }
    fs::create_directories(dir);
    return dir + "/" + leaf;
}

void RemoveTree(const fs::path &dir)
{
    std::error_code ec;
    // A folder without write or search permission keeps its entries: every
    // folder is opened up first, without following links out of the tree.
    if (fs::is_directory(fs::symlink_status(dir, ec))) {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto it = fs::recursive_directory_iterator(
                 dir, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (it->is_directory(ec) && !it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(dir, ec);
}

}  // namespace testsupport
