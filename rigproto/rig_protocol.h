// SPDX-License-Identifier: GPL-3.0-or-later
// The rig's command protocol, as the host and the simulated rig both speak
// it: one ASCII command byte from the host; for H, A, B and C a four-byte
// reply from the rig with the raw receiver level and the positioner angle,
// both unsigned big-endian. No framing, checksum, echo or terminator.
// Pure C++, no Qt.
#pragma once

#include <array>
#include <cstdint>

namespace rigproto {

// Command bytes.
inline constexpr std::uint8_t kCmdReport = 'H';    // level and angle, no move
inline constexpr std::uint8_t kCmdForward = 'A';   // one degree forward, then report
inline constexpr std::uint8_t kCmdBack = 'B';      // one degree back, then report
inline constexpr std::uint8_t kCmdInit = 'C';      // initialise, then report
inline constexpr std::uint8_t kCmdSoundOn = 'I';   // no reply
inline constexpr std::uint8_t kCmdSoundOff = 'J';  // no reply

// The reply: its length and where each byte lies.
inline constexpr int kReplySize = 4;
inline constexpr int kLevelHigh = 0;
inline constexpr int kLevelLow = 1;
inline constexpr int kAngleHigh = 2;
inline constexpr int kAngleLow = 3;

// Angles a positioner can stand at: 0..359 degrees.
inline constexpr unsigned kTurn = 360;

// The lowest level a decoded reply gives, dB.
inline constexpr double kLevelFloor = -30.0;

// True for the commands the rig answers with a reply (H, A, B, C); the
// sound commands and any other byte get none.
constexpr bool HasReply(std::uint8_t command)
{
    return command == kCmdReport || command == kCmdForward || command == kCmdBack
           || command == kCmdInit;
}

// True for the two commands that move the positioner one degree.
constexpr bool IsStep(std::uint8_t command)
{
    return command == kCmdForward || command == kCmdBack;
}

// An unsigned big-endian 16-bit number from its two bytes.
constexpr unsigned Word(unsigned char high, unsigned char low)
{
    return unsigned(high) * 256u + low;
}

// The raw level and the angle of a reply of kReplySize bytes.
constexpr unsigned ReplyRaw(const unsigned char *reply)
{
    return Word(reply[kLevelHigh], reply[kLevelLow]);
}
constexpr unsigned ReplyAngle(const unsigned char *reply)
{
    return Word(reply[kAngleHigh], reply[kAngleLow]);
}

// The four reply bytes for a raw level and an angle.
std::array<std::uint8_t, kReplySize> EncodeReply(std::uint16_t rawLevel, std::uint16_t angle);

// The raw level the receiver reports for a level in dB (after the
// attenuator): twentieths of a dB above -50 dB, rounded to the nearest,
// within 0..65535 (NaN gives 0).
std::uint16_t RawLevel(double receiverLevelDb);

// The level in dB of a raw reading with the attenuation in force added back:
// raw / 20 - 50 + attenuation, without the floor.
double RawToLevel(unsigned raw, double attenuationDb);

// The level a reply is decoded to: RawToLevel, raised to kLevelFloor when
// below it (exactly kLevelFloor stays).
double DecodeLevel(unsigned raw, double attenuationDb);

// Whether a positioner can report this angle at all (0..359).
constexpr bool AnglePossible(unsigned angle)
{
    return angle < kTurn;
}

// Where a step command (A or B) from `from` degrees ends.
constexpr unsigned StepTarget(unsigned from, std::uint8_t command)
{
    return command == kCmdForward ? (from + 1) % kTurn : (from + kTurn - 1) % kTurn;
}

// Whether a reply to a step can be right: at the step's target when the
// angle it started from is known, and at least a possible angle otherwise.
constexpr bool StepReplyPossible(unsigned replyAngle, std::uint8_t command, bool fromKnown,
                                 unsigned from)
{
    return AnglePossible(replyAngle) && (!fromKnown || replyAngle == StepTarget(from, command));
}

}  // namespace rigproto
