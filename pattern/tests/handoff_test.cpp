// SPDX-License-Identifier: GPL-3.0-or-later
#include "handoff.h"

#include <unistd.h>

#include "test_files.h"

TEST(Handoff, CreateIsExclusive)
{
    std::string dir = ScratchDir();
    EXPECT_EQ(HandoffMarkerExists(dir), 0);
    EXPECT_EQ(CreateHandoffMarker(dir), HandoffCreate::Created);
    EXPECT_EQ(HandoffMarkerExists(dir), 1);
    EXPECT_EQ(GetFile(dir + "/kesto.inf"), std::string("kesto\0", 6));
    EXPECT_EQ(CreateHandoffMarker(dir), HandoffCreate::Exists);

    EXPECT_TRUE(DeleteHandoffMarker(dir));
    EXPECT_EQ(HandoffMarkerExists(dir), 0);
    EXPECT_TRUE(DeleteHandoffMarker(dir));  // already gone: fine
    EXPECT_EQ(CreateHandoffMarker(dir + "/"), HandoffCreate::Created);
}

TEST(Handoff, DefaultsToTheCurrentDirectory)
{
    std::string dir = ScratchDir();
    ASSERT_EQ(chdir(dir.c_str()), 0);
    EXPECT_EQ(CreateHandoffMarker(), HandoffCreate::Created);
    EXPECT_EQ(HandoffMarkerExists(), 1);
    EXPECT_EQ(HandoffMarkerExists(dir), 1);
    EXPECT_TRUE(DeleteHandoffMarker());
    EXPECT_EQ(HandoffMarkerExists(dir), 0);
}

TEST(Handoff, UnusableDirectory)
{
    std::string dir = ScratchDir();
    PutFile(dir + "/plain", "x");
    EXPECT_EQ(CreateHandoffMarker(dir + "/plain"), HandoffCreate::Error);
    EXPECT_EQ(HandoffMarkerExists(dir + "/plain"), 0);
}
