// SPDX-License-Identifier: GPL-3.0-or-later
// Test seam of the serial device list: the test machine has no USB serial
// adapters, so tests inject the list that the device scan would return.
#pragma once

#include <functional>
#include <vector>

#include "rt.h"

namespace rt::test {

// Every later device scan returns what `lister` gives; an empty function
// goes back to the real scan.
void SetComDeviceLister(std::function<std::vector<ComDeviceInfo>()> lister);

}  // namespace rt::test
