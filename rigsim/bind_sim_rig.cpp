// SPDX-License-Identifier: GPL-3.0-or-later
#include "bind_sim_rig.h"

namespace rigsim {

void BindSimulatedRig(int port, std::shared_ptr<RigModel> rig, SimTiming timing)
{
    if (!rig) {
        rt::BindComPort(port, {});
        return;
    }
    auto line = std::make_shared<SimLine>();
    rt::BindComPort(port, [rig, timing, line](int) -> std::unique_ptr<rt::ComBackend> {
        return std::make_unique<SimComBackend>(rig, timing, line);
    });
}

}  // namespace rigsim
