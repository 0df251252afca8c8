// SPDX-License-Identifier: GPL-3.0-or-later
#include "rig_protocol.h"

#include <cmath>

namespace rigproto {

std::array<std::uint8_t, kReplySize> EncodeReply(std::uint16_t rawLevel, std::uint16_t angle)
{
    std::array<std::uint8_t, kReplySize> r{};
    r[kLevelHigh] = std::uint8_t(rawLevel >> 8);
    r[kLevelLow] = std::uint8_t(rawLevel & 0xFF);
    r[kAngleHigh] = std::uint8_t(angle >> 8);
    r[kAngleLow] = std::uint8_t(angle & 0xFF);
    return r;
}

std::uint16_t RawLevel(double receiverLevelDb)
{
    const double raw = std::round((receiverLevelDb + 50.0) * 20.0);
    if (!(raw > 0.0))  // also catches NaN
        return 0;
    if (raw > 65535.0)
        return 65535;
    return std::uint16_t(raw);
}

double RawToLevel(unsigned raw, double attenuationDb)
{
    return raw / 20.0 - 50.0 + attenuationDb;
}

double DecodeLevel(unsigned raw, double attenuationDb)
{
    const double level = RawToLevel(raw, attenuationDb);
    return level < kLevelFloor ? kLevelFloor : level;
}

}  // namespace rigproto
