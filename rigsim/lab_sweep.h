// SPDX-License-Identifier: GPL-3.0-or-later
// A sweep of the simulated rig as the measurement program makes one: the
// present level as sample 0, then one forward step per sample, each reply
// decoded with the attenuation added back and the -30 dB floor, then the
// initialise command that ends it. On the rig's virtual timeline, so that a
// sweep of minutes (and the drift over it) costs no real time. Used by the
// tests and by the tool that writes the lab's sample files.
#pragma once

#include "rig_model.h"

namespace rigsim {

struct LabSweep {
    double levels[360] = {};  // dB, as the measurement program files them
    double startMs = 0;       // when sample 0 was read, on the rig's timeline
    double endMs = 0;         // when the reply to the closing C arrived
    bool complete = false;    // every reply came whole and at the expected angle
};

// Sweeps the cut `plane` from where the positioner stands, starting at
// `startMs` on the rig's timeline. The host takes `hostMs` between a reply
// and its next command.
LabSweep SweepCut(RigModel &rig, Plane plane, double startMs, double hostMs = 5.0);

}  // namespace rigsim
