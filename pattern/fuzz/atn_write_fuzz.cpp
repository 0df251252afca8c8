// SPDX-License-Identifier: GPL-3.0-or-later
// Records as the measurement program and the viewer hold them, written and
// read back: the reader must accept every file either program writes and
// give back what was saved.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "atn_fuzz_util.h"

namespace {

// Text a box of the information panel can hold: no NUL, LF only as the
// line break; a person box gives one line.
std::string BoxText(FuzzedDataProvider &in, size_t max, bool oneLine)
{
    std::string s = in.ConsumeRandomLengthString(max);
    s.erase(std::remove(s.begin(), s.end(), '\0'), s.end());
    if (oneLine)
        s.erase(std::remove(s.begin(), s.end(), '\n'), s.end());
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const bool kesto = in.ConsumeBool();
    const bool edited = in.ConsumeBool();
    double e[PATTERN_LEVELS], h[PATTERN_LEVELS];
    const double eattn = in.ConsumeIntegralInRange(0, 1000) / 10.0;
    const double hattn = in.ConsumeIntegralInRange(0, 1000) / 10.0;
    // The rig's decoding: a 16-bit reading, floored at -30 dB. Taken in one
    // block (missing bytes read as 0), which keeps the fuzzer fast.
    std::vector<uint8_t> raw = in.ConsumeBytes<uint8_t>(4 * PATTERN_LEVELS);
    raw.resize(4 * PATTERN_LEVELS);
    for (int i = 0; i < PATTERN_LEVELS; ++i) {
        const uint8_t *b = raw.data() + 4 * i;
        e[i] = std::max(-30.0, (b[0] | b[1] << 8) / 20.0 - 50.0 + eattn);
        h[i] = std::max(-30.0, (b[2] | b[3] << 8) / 20.0 - 50.0 + hattn);
    }
    const std::string edate = BoxText(in, PATTERN_DATE_MAX, true);
    const std::string etime = BoxText(in, PATTERN_TIME_MAX, true);
    std::string person = BoxText(in, kesto ? 49 : PATTERN_PERSON_MAX, true);
    std::string descript = BoxText(in, kesto ? 199 : PATTERN_DESCRIPT_MAX, false);

    std::string text;
    int lines = 0;
    if (kesto && !edited) {
        text = KestoTextBlock("It is not specified.", "There are no description.");
    } else if (kesto) {
        // Accepted boxes: the person line ends with LF, the description is
        // its lines joined by LF, one more (empty) line below them.
        lines = int(std::count(descript.begin(), descript.end(), '\n')) + 1;
        text = KestoTextBlock(person + "\n", descript);
    } else {
        // The viewer's copy: every description line ends with LF.
        if (!descript.empty() && descript.back() != '\n')
            descript += '\n';
        lines = int(std::count(descript.begin(), descript.end(), '\n'));
        text = ViewerTextBlock(person, descript);
    }
    PatternFileData d;
    d.Antype = kesto ? in.ConsumeIntegralInRange(0, 15) : in.ConsumeIntegralInRange(-1, 15);
    d.Eattn = eattn;
    d.Hattn = hattn;
    d.lines = lines;
    d.text = text;
    d.Edate = edate;
    d.Etime = etime;
    d.Hdate = edate;
    d.Htime = etime;
    d.e_data = e;
    d.h_data = in.ConsumeBool() ? h : nullptr;  // a plane hidden in the viewer
    const std::string bytes = FormatPatternFile(d);

    PatternRecord r;
    int desNO = 0, EMAX = 0, HMAX = 0;
    Require(ReadPatternBytes(bytes, "written", r, desNO, EMAX, HMAX).ok,
            "the reader refuses a file a program wrote");
    RequireSound(r, desNO, EMAX, HMAX);
    Require(r.Antype == d.Antype && Near(r.Eattn, eattn) && Near(r.Hattn, hattn), "header changed");
    Require(!std::strcmp(r.Edate, edate.c_str()) && !std::strcmp(r.Etime, etime.c_str()),
            "date or time changed");
    if (!kesto || edited)
        Require(person.compare(0, PATTERN_PERSON_MAX, r.person) == 0, "person changed");
    for (int i = 0; i < PATTERN_LEVELS; ++i)
        Require(std::fabs(r.e_data[i] - e[i]) < 1e-5
                    && std::fabs(r.h_data[i] - (d.h_data ? h[i] : 0.0)) < 1e-5,
                "a level changed");
    return 0;
}
