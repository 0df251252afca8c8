// SPDX-License-Identifier: GPL-3.0-or-later
// Binding of a serial port of the run-time layer to a simulated rig.
#pragma once

#include <memory>

#include "rig_model.h"
#include "sim_com_backend.h"

namespace rigsim {

// Every later open of serial port `port` talks to `rig` through a fresh
// SimComBackend. Several ports may share one rig. A null rig restores the
// real device.
void BindSimulatedRig(int port, std::shared_ptr<RigModel> rig,
                      SimTiming timing = SimTiming::Virtual);

}  // namespace rigsim
