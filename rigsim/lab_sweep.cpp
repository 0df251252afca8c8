// SPDX-License-Identifier: GPL-3.0-or-later
#include "lab_sweep.h"

#include <vector>

namespace rigsim {
namespace {

// One exchange: the reply's bytes and when its last byte arrived.
struct Reply {
    std::vector<std::uint8_t> bytes;
    double atMs = 0;
};

Reply Exchange(RigModel &rig, std::uint8_t command, double atMs)
{
    Reply r;
    r.atMs = atMs;
    for (const TimedByte &b : rig.receive(command, atMs)) {
        r.bytes.push_back(b.value);
        r.atMs = b.atMs;
    }
    return r;
}

}  // namespace

LabSweep SweepCut(RigModel &rig, Plane plane, double startMs, double hostMs)
{
    LabSweep sweep;
    rig.setPlane(plane);
    const double attn = rig.attenuation();
    sweep.startMs = startMs;
    sweep.complete = true;
    double t = startMs;
    unsigned expected = unsigned(rig.angle());
    for (int i = 0; i < 360; ++i) {
        const Reply r = Exchange(rig, i == 0 ? kCmdReport : kCmdForward, t);
        if (i > 0)
            expected = rigproto::StepTarget(expected, kCmdForward);
        if (r.bytes.size() != std::size_t(rigproto::kReplySize)
            || rigproto::ReplyAngle(r.bytes.data()) != expected) {
            sweep.complete = false;
            sweep.levels[i] = rigproto::kLevelFloor;
        } else {
            sweep.levels[i] = rigproto::DecodeLevel(rigproto::ReplyRaw(r.bytes.data()), attn);
        }
        t = r.atMs + hostMs;
    }
    sweep.endMs = Exchange(rig, kCmdInit, t).atMs;
    return sweep;
}

}  // namespace rigsim
