// Scratch files for the pattern tests.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

// A fresh empty directory per test.
inline std::string ScratchDir()
{
    std::string templ = testing::TempDir() + "pattern-XXXXXX";
    char *made = mkdtemp(templ.data());
    EXPECT_NE(made, nullptr);
    return templ;
}

inline void PutFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string GetFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
