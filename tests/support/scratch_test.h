// SPDX-License-Identifier: GPL-3.0-or-later
// A test case with a scratch folder of its own, for suites that run a
// program on files they write there.
#pragma once

#include <gtest/gtest.h>

#include <QString>

#include <filesystem>

#include "scratch.h"

namespace testsupport {

class ScratchTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch.path.empty());
        dir = scratch.path;
    }
    // A name in the folder, as a program's argument.
    QString In(const char *name) const { return QString::fromStdString((dir / name).string()); }

    ScratchFolder scratch;
    std::filesystem::path dir;
};

}  // namespace testsupport
