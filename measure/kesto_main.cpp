// SPDX-License-Identifier: GPL-3.0-or-later
#include "kesto.h"

int main(int argc, char **argv)
{
    return KestoMain(argc, argv);
}
