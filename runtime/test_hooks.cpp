// SPDX-License-Identifier: GPL-3.0-or-later
// Test mode as the run-time sees it: hooks installed or not.
#include "test_hooks.h"

#include "internal.h"

namespace rt::detail {

namespace {
TestHooks *gHooks = nullptr;
}

TestHooks *Hooks()
{
    return gHooks;
}
void InstallTestHooks(TestHooks *hooks)
{
    gHooks = hooks;
}

bool TestMode()
{
    return gHooks != nullptr;
}

void RecordTestFailure(const std::string &what)
{
    if (gHooks)
        gHooks->failure(what);
}

}  // namespace rt::detail
