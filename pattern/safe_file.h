// SPDX-License-Identifier: GPL-3.0-or-later
// Files written whole or not at all, and read whole without ever waiting on
// something that is not a regular file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <sys/types.h>

// Outcome of a file operation; error is a sentence the caller can show.
struct PatternFileResult {
    bool ok = false;
    std::string error;
    // The same without the file's name, for callers that name it themselves
    // ("cannot write: No space left on device"); may be empty on a read.
    std::string reason;
    // Levels of a read file that lay beyond PATTERN_LEVEL_LIMIT and were
    // taken as the limit.
    int clampedLevels = 0;
};

// Writes bytes through a temporary file beside path that replaces the old
// one only once it is complete and on disk, so a failed write leaves the
// previous file as it was, and a crash leaves no temporary behind. A
// symbolic link stays a link and its target gets the new contents; a file
// with several hard links is written in place so that all its names stay
// one file; the old file's mode and, where the writer may, its owner are
// kept. A read-only file, a folder, a FIFO or a device is refused with a
// sentence saying so. Every file the programs write (patterns, exports,
// pictures, reports) goes through here.
PatternFileResult WriteWholeFile(const std::string &path, std::string_view bytes);

// Reads a regular file whole into bytes. A FIFO, device, socket or folder is
// refused before it is opened (and checked again once opened, without
// waiting), and so is a file of more than maxBytes.
PatternFileResult ReadWholeFile(const std::string &path, std::size_t maxBytes, std::string &bytes);

// The results and sentences the file routines of this library share.
namespace safefile {

PatternFileResult Success();
PatternFileResult Failure(std::string sentence, std::string reason);
// "Cannot write "path": <system message>", and as the reason "cannot write:
// <system message>" ("no such file" for a missing one).
PatternFileResult SystemFailure(const char *what, const std::string &path, int err);
// What a file that is not a regular file is, for messages ("a folder").
const char *NotRegularText(mode_t mode);

}  // namespace safefile
