// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes through the MSI reader. A file it accepts has finite levels
// within the floor and 0 dB, and survives a save: read, write, read, write
// gives two identical texts and levels equal to the two decimals written.
#include <cstdint>
#include <string_view>

#include "atn_fuzz_util.h"
#include "msi.h"

namespace {

std::string Write(const MsiPattern &p)
{
    MsiWriteData d;
    d.name = p.name;
    d.frequencyMHz = p.frequencyMHz;
    d.eLevels = p.vertical;
    d.hLevels = p.horizontal;
    return FormatMsi(d);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MsiPattern p1, p2, p3;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const MsiReadResult r = ReadMsiText(text, p1);
    Require(r.ok || !r.error.empty(), "a refusal without a message");
    if (!r.ok)
        return 0;
    for (const double *plane : {p1.horizontal, p1.vertical})
        for (int i = 0; i < PATTERN_LEVELS; ++i)
            Require(std::isfinite(plane[i]) && plane[i] >= PATTERN_FLOOR && plane[i] <= 1e-9,
                    "a level outside the floor and 0 dB");

    const std::string w1 = Write(p1);
    Require(ReadMsiText(w1, p2).ok, "the reader refuses what the writer wrote");
    for (int i = 0; i < PATTERN_LEVELS; ++i)
        Require(std::fabs(p1.horizontal[i] - p2.horizontal[i]) <= 0.0051
                    && std::fabs(p1.vertical[i] - p2.vertical[i]) <= 0.0051,
                "a level changed on the way through a file");
    const std::string w2 = Write(p2);
    Require(ReadMsiText(w2, p3).ok, "the reader refuses what the writer wrote");
    Require(w1 == w2, "the second write differs from the first");
    return 0;
}
