// Shared between the serial modules of the run-time. Not for the programs.
#pragma once

#include "rt.h"

namespace rt::detail {

// The kept result of the last open of each port (1..4).
ComOpenFailure &LastOpenFailure(int port);

} // namespace rt::detail
