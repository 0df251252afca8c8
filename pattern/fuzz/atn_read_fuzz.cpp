// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes through the atn reader. A file it accepts must survive the
// viewer's save: read, save, read, save gives two identical saves and a
// record that equals the first to the six decimals of the file.
#include <cstdint>
#include <string_view>

#include "atn_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    PatternRecord r1, r2, r3;
    int d1 = 0, e1 = 0, h1 = 0, d2 = 0, e2 = 0, h2 = 0, d3 = 0, e3 = 0, h3 = 0;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const bool ok = ReadPatternBytes(bytes, "input", r1, d1, e1, h1).ok;
    RequireSound(r1, d1, e1, h1);
    if (!ok)
        return 0;

    const std::string s1 = ViewerSave(r1, d1);
    Require(ReadPatternBytes(s1, "save 1", r2, d2, e2, h2).ok, "the reader refuses a save");
    RequireSound(r2, d2, e2, h2);
    Require(r2.Antype == r1.Antype && d2 == d1, "header changed");
    Require(!std::strcmp(r1.person, r2.person) && !std::strcmp(r1.descript, r2.descript)
                && !std::strcmp(r1.Edate, r2.Edate) && !std::strcmp(r1.Etime, r2.Etime)
                && !std::strcmp(r1.Hdate, r2.Hdate) && !std::strcmp(r1.Htime, r2.Htime),
            "a text changed");
    Require(Near(r1.Eattn, r2.Eattn) && Near(r1.Hattn, r2.Hattn), "an attenuation changed");
    for (int i = 0; i < PATTERN_LEVELS; ++i)
        Require(Near(r1.e_data[i], r2.e_data[i]) && Near(r1.h_data[i], r2.h_data[i]),
                "a level changed");

    const std::string s2 = ViewerSave(r2, d2);
    Require(s1 == s2, "the second save differs from the first");
    Require(ReadPatternBytes(s2, "save 2", r3, d3, e3, h3).ok, "the reader refuses a save");
    Require(!std::memcmp(r2.e_data, r3.e_data, sizeof r2.e_data)
                && !std::memcmp(r2.h_data, r3.h_data, sizeof r2.h_data) && e2 == e3 && h2 == h3,
            "levels changed on the second round");
    return 0;
}
