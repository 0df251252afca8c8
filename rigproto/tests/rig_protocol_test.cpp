// SPDX-License-Identifier: GPL-3.0-or-later
// The rig protocol's bytes, reply layout and level decoding at their edges.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "rig_protocol.h"

using namespace rigproto;

namespace {

struct Decoded {
    double level;
    unsigned angle;
};

Decoded Decode(std::array<std::uint8_t, kReplySize> r, double attn)
{
    return {DecodeLevel(ReplyRaw(r.data()), attn), ReplyAngle(r.data())};
}

}  // namespace

TEST(RigProtocol, RepliesDecodeUnsignedBigEndianWithTheAttenuationAddedBack)
{
    struct Case {
        std::array<std::uint8_t, kReplySize> bytes;
        double attn, level;
        unsigned angle;
    } cases[] = {
        {{0x03, 0x84, 0x00, 0x5A}, 0.0, -5.0, 90},  // raw 900
        {{0x03, 0x84, 0x00, 0x5A}, 10.0, 5.0, 90},
        {{0x00, 0x00, 0x00, 0x00}, 0.0, -30.0, 0},  // -50 dB, floored
        {{0xFF, 0xFF, 0x01, 0x68}, 0.0, 3226.75, 360},
        {{0xFF, 0xFF, 0x01, 0x68}, 10.0, 3236.75, 360},
        {{0x80, 0x00, 0x80, 0x01}, 0.0, 32768 / 20.0 - 50.0, 32769},  // high bit: not negative
        {{0x00, 0x00, 0xFF, 0xFF}, 30.0, -20.0, 65535},               // the angle is not wrapped
    };
    for (const Case &c : cases) {
        const Decoded d = Decode(c.bytes, c.attn);
        EXPECT_DOUBLE_EQ(d.level, c.level) << int(c.bytes[0]) << " " << int(c.bytes[1]);
        EXPECT_EQ(d.angle, c.angle);
    }
}

TEST(RigProtocol, TheFloorRaisesOnlyWhatLiesBelowMinusThirty)
{
    EXPECT_EQ(DecodeLevel(400, 0.0), -30.0);  // exactly on the floor
    EXPECT_EQ(DecodeLevel(399, 0.0), -30.0);  // -30.05
    EXPECT_NEAR(RawToLevel(399, 0.0), -30.05, 1e-12);
    EXPECT_NEAR(DecodeLevel(401, 0.0), -29.95, 1e-12);
    EXPECT_EQ(DecodeLevel(0, 19.95), -30.0);  // -30.05 through the attenuation
    EXPECT_NEAR(DecodeLevel(0, 20.05), -29.95, 1e-12);
    // Without the floor the raw reading is taken as it is.
    EXPECT_EQ(RawToLevel(0, 0.0), -50.0);
    EXPECT_EQ(RawToLevel(65535, 0.0), 3226.75);
}

TEST(RigProtocol, EncodingIsTheInverseOfDecoding)
{
    EXPECT_EQ(EncodeReply(900, 90), (std::array<std::uint8_t, kReplySize>{0x03, 0x84, 0x00, 0x5A}));
    EXPECT_EQ(EncodeReply(65535, 360),
              (std::array<std::uint8_t, kReplySize>{0xFF, 0xFF, 0x01, 0x68}));
    for (unsigned raw = 0; raw <= 65535; ++raw) {
        const auto r = EncodeReply(std::uint16_t(raw), std::uint16_t(65535 - raw));
        ASSERT_EQ(ReplyRaw(r.data()), raw);
        ASSERT_EQ(ReplyAngle(r.data()), 65535 - raw);
        ASSERT_EQ(RawLevel(RawToLevel(raw, 0.0)), raw);
    }
    // Levels between two readings go to the nearest; beyond the receiver's
    // range to its ends.
    EXPECT_EQ(RawLevel(-5.02), 900);
    EXPECT_EQ(RawLevel(-5.03), 899);
    EXPECT_EQ(RawLevel(-80.0), 0);
    EXPECT_EQ(RawLevel(std::nan("")), 0);
    EXPECT_EQ(RawLevel(1e6), 65535);
}

TEST(RigProtocol, CommandsAndWhatAStepReplyMayBe)
{
    const char withReply[] = "HABC";
    for (const char *c = withReply; *c; ++c)
        EXPECT_TRUE(HasReply(std::uint8_t(*c))) << *c;
    for (std::uint8_t c : {kCmdSoundOn, kCmdSoundOff, std::uint8_t('h'), std::uint8_t(0),
                           std::uint8_t(0xFF), std::uint8_t('D')})
        EXPECT_FALSE(HasReply(c)) << int(c);
    EXPECT_EQ(std::string({char(kCmdReport), char(kCmdForward), char(kCmdBack), char(kCmdInit),
                           char(kCmdSoundOn), char(kCmdSoundOff)}),
              "HABCIJ");
    EXPECT_TRUE(IsStep(kCmdForward) && IsStep(kCmdBack));
    EXPECT_FALSE(IsStep(kCmdReport) || IsStep(kCmdInit) || IsStep(kCmdSoundOn));

    EXPECT_EQ(StepTarget(359, kCmdForward), 0u);
    EXPECT_EQ(StepTarget(0, kCmdBack), 359u);
    EXPECT_EQ(StepTarget(90, kCmdForward), 91u);
    EXPECT_EQ(StepTarget(90, kCmdBack), 89u);

    EXPECT_TRUE(AnglePossible(0) && AnglePossible(359));
    EXPECT_FALSE(AnglePossible(360));
    EXPECT_TRUE(StepReplyPossible(0, kCmdForward, true, 359));
    EXPECT_FALSE(StepReplyPossible(358, kCmdForward, true, 359));  // the wrong way
    EXPECT_FALSE(StepReplyPossible(359, kCmdForward, true, 359));  // not moved
    EXPECT_TRUE(StepReplyPossible(123, kCmdBack, false, 0));       // start not known
    EXPECT_FALSE(StepReplyPossible(360, kCmdBack, false, 0));
}
