// SPDX-License-Identifier: GPL-3.0-or-later
// The data of one atn file for a test, built by naming only the fields the
// test cares about. The builder keeps the texts and levels that the data
// points to, so it can be passed on, changed and written again.
#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "pattern_file.h"

class PatternBuilder {
public:
    PatternBuilder &type(int antype)
    {
        d_.Antype = antype;
        return *this;
    }
    PatternBuilder &attn(double e, double h)
    {
        d_.Eattn = e;
        d_.Hattn = h;
        return *this;
    }
    // The text block as the file holds it, and its count of description lines.
    PatternBuilder &text(std::string block, int lines)
    {
        text_ = std::move(block);
        d_.lines = lines;
        return *this;
    }
    // The viewer's text block; every description line ends with LF.
    PatternBuilder &viewerText(const std::string &person, const std::string &descript)
    {
        return text(ViewerTextBlock(person, descript),
                    int(std::count(descript.begin(), descript.end(), '\n')));
    }
    PatternBuilder &eTaken(std::string date, std::string time)
    {
        edate_ = std::move(date);
        etime_ = std::move(time);
        return *this;
    }
    PatternBuilder &hTaken(std::string date, std::string time)
    {
        hdate_ = std::move(date);
        htime_ = std::move(time);
        return *this;
    }
    // 360 levels of a plane, copied; null: a plane not shown (written as zeros).
    PatternBuilder &e(const double *levels) { return plane(levels, e_, hasE_); }
    PatternBuilder &h(const double *levels) { return plane(levels, h_, hasH_); }

    const PatternFileData &data()
    {
        d_.text = text_;
        d_.Edate = edate_;
        d_.Etime = etime_;
        d_.Hdate = hdate_;
        d_.Htime = htime_;
        d_.e_data = hasE_ ? e_.data() : nullptr;
        d_.h_data = hasH_ ? h_.data() : nullptr;
        return d_;
    }
    std::string format() { return FormatPatternFile(data()); }
    PatternFileResult write(const std::string &path) { return WritePatternFile(path, data()); }

private:
    using Levels = std::array<double, PATTERN_LEVELS>;
    PatternBuilder &plane(const double *levels, Levels &to, bool &has)
    {
        has = levels != nullptr;
        if (levels)
            std::copy(levels, levels + PATTERN_LEVELS, to.begin());
        return *this;
    }

    PatternFileData d_;
    std::string text_, edate_, etime_, hdate_, htime_;
    Levels e_{}, h_{};
    bool hasE_ = false, hasH_ = false;
};

// 360 levels from -30 to +5 dB that differ from degree to degree, moved by
// offset dB (a fraction tries the six decimals of the file).
inline std::vector<double> SweepLevels(double offset)
{
    std::vector<double> v(PATTERN_LEVELS);
    for (int i = 0; i < PATTERN_LEVELS; ++i)
        v[i] = -30.0 + (i * 37 % 350) / 10.0 + offset;
    return v;
}
