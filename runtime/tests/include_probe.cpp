// SPDX-License-Identifier: GPL-3.0-or-later
// Compiled only by the tests that show which run-time headers a program can
// include: one header, named by the build.
#include PROBE_HEADER

int probe();
int probe()
{
    return 0;
}
