// SPDX-License-Identifier: GPL-3.0-or-later
// Shared between the serial modules of the run-time. Not for the programs.
#pragma once

#include <functional>
#include <vector>

#include "rt.h"

namespace rt::detail {

// The kept result of the last open of each port (1..4).
ComOpenFailure &LastOpenFailure(int port);

// The device scan's stand-in for tests (empty: the real scan).
void SetComDeviceLister(std::function<std::vector<ComDeviceInfo>()> lister);

}  // namespace rt::detail
