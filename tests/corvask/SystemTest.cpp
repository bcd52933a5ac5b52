#include "corvask/corvask.h"

#include "corvask/NativePath.h"
#include "corvask/SystemInfo.h"
#include "tests/support/TestSupport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::MatchesRegex;
using zellwick::test::ReadFile;
using zellwick::test::TempDir;
using zellwick::test::WriteFile;
namespace fs = std::filesystem;

// What a log function writes into a real file, as lines that each end in '\n'.
std::string Written(void (*write)(std::FILE&))
{
    TempDir dir;
    std::FILE* log = std::fopen((dir / "Zellwick.log").c_str(), "a");
    if (!log)
        return "cannot open the log";
    write(*log);
    std::fclose(log);
    return ReadFile(dir / "Zellwick.log");
}

TEST(SystemInfo, OSAndCPUFactsAreReadableLines)
{
    EXPECT_THAT(Written(&OSInfoLog),
                MatchesRegex("System: [^\n]+\nRelease: [^\n]+\nKernel: [^\n]+\n"));
    EXPECT_THAT(Written(&CPUInfoLog),
                MatchesRegex("Processor: [^\n]+\nCores: [1-9][0-9]*\nMemory: [0-9]+ MB\n"));
}

TEST(SystemInfo, FactsComeFromTheirSourcesOrSayUnknown)
{
    TempDir dir;
    WriteFile(dir / "os-release", "NAME=Debian\nPRETTY_NAME=\"Zell \\\"OS\\\" 12 (bookworm)\"\n");
    WriteFile(dir / "cpuinfo", "processor\t: 0\nmodel name\t: Zell CPU @ 3.00GHz\n"
                               "processor\t: 1\nmodel name\t: Zell CPU @ 3.00GHz\n");
    WriteFile(dir / "meminfo", "MemTotal:        2048000 kB\nMemFree:  10 kB\n");
    WriteFile(dir / "empty", "");
    corvask::SystemSources sources;
    sources.osReleaseFiles = {(dir / "none").string(), (dir / "os-release").string()};
    sources.cpuInfoFile = (dir / "cpuinfo").string();
    sources.memInfoFile = (dir / "meminfo").string();
    EXPECT_EQ(corvask::OSInfoLines(sources).at(1), "Release: Zell \"OS\" 12 (bookworm)\n");
    auto cpu = corvask::CPUInfoLines(sources);
    EXPECT_EQ(cpu.at(0), "Processor: Zell CPU @ 3.00GHz\n");
    EXPECT_EQ(cpu.at(2), "Memory: 2000 MB\n");

    sources.osReleaseFiles = {(dir / "none").string()};
    sources.cpuInfoFile = (dir / "empty").string();
    sources.memInfoFile = (dir / "none").string();
    EXPECT_EQ(corvask::OSInfoLines(sources).at(1), "Release: unknown\n");
    cpu = corvask::CPUInfoLines(sources);
    EXPECT_EQ(cpu.at(0), "Processor: unknown\n");
    EXPECT_TRUE(cpu.at(2).ends_with(" MB\n")) << cpu.at(2); // the system still knows
}

TEST(ExecDir, IsTheFolderOfTheRunningTestWithoutTrailingSlash)
{
    wchar_t scratch[520] = {};
    const std::wstring folder = GetExecDir(scratch);
    EXPECT_EQ(GetExecDir(nullptr), folder);
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), L'/');
    EXPECT_NE(folder.back(), L'/');
    EXPECT_TRUE(fs::is_regular_file(fs::path(folder) / "corvask_tests"));
}

std::wstring Shown(std::uint32_t code)
{
    std::wstring text = L"previous";
    ErrorShow(code, text);
    return text;
}

TEST(ErrorShow, SystemTextForKnownCodesAndNumberForUnknownOnes)
{
    EXPECT_EQ(Shown(ENOENT), corvask::FromNativePath(std::strerror(ENOENT)));
    EXPECT_NE(Shown(EACCES), Shown(EISDIR));
    EXPECT_NE(Shown(99999).find(L"99999"), std::wstring::npos);
    EXPECT_NE(Shown(4294967295U).find(L"4294967295"), std::wstring::npos);
    EXPECT_FALSE(Shown(0).empty());
}

} // namespace
