// SPDX-License-Identifier: GPL-3.0-or-later
// Any text as every number and command rigsim takes from its command line
// and standard input; the parsers check their own promises and abort when
// one breaks.
#include <cstdint>
#include <string_view>

#include "rigsim_args.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    rigsim::args::CheckAllParsers(std::string_view(reinterpret_cast<const char *>(data), size));
    return 0;
}
