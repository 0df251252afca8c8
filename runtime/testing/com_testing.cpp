// SPDX-License-Identifier: GPL-3.0-or-later
// The device-list seam over the run-time's internal hook.
#include "com_testing.h"

#include "com_internal.h"

namespace rt::test {

void SetComDeviceLister(std::function<std::vector<ComDeviceInfo>()> lister)
{
    detail::SetComDeviceLister(std::move(lister));
}

}  // namespace rt::test
