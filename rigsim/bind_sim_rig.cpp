#include "bind_sim_rig.h"

namespace rigsim {

void BindSimulatedRig(int port, std::shared_ptr<RigModel> rig, SimTiming timing)
{
    if (!rig) {
        rt::BindComPort(port, {});
        return;
    }
    rt::BindComPort(port, [rig, timing](int) -> std::unique_ptr<rt::ComBackend> {
        return std::make_unique<SimComBackend>(rig, timing);
    });
}

}  // namespace rigsim
