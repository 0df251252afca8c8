// SPDX-License-Identifier: GPL-3.0-or-later
// Sentences with their figures.
#include "message.h"

#include <charconv>
#include <cmath>

std::string English(const Message &m)
{
    std::string out;
    for (const char *c = m.text; *c; ++c) {
        if (c[0] == '%' && c[1] >= '1' && c[1] <= '9') {
            const size_t i = size_t(c[1] - '1');
            if (i < m.args.size()) {
                out += m.args[i];
                ++c;
                continue;
            }
        }
        out += *c;
    }
    return out;
}

std::string Fixed(double v, int decimals)
{
    if (!std::isfinite(v))
        return std::isnan(v) ? "nan" : v > 0 ? "inf" : "-inf";
    // -0.00 reads as a number below zero; it is none.
    if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals))
        v = 0;
    char b[64];
    const auto r = std::to_chars(b, b + sizeof b, v, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? std::string(b, r.ptr) : std::string("?");
}
