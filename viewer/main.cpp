// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry of the viewer antenna.
#include "antenna.h"

int main(int argc, char **argv)
{
    return AntennaMain(argc, argv);
}
