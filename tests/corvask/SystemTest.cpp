#include "corvask/corvask.h"

#include "corvask/NativePath.h"
#include "corvask/SystemInfo.h"
#include "tests/support/TestSupport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using zellwick::test::ReadFile;
using zellwick::test::TempDir;
using zellwick::test::WriteFile;
namespace fs = std::filesystem;

// What a log function writes into a real file, split into lines (each must end in '\n').
std::vector<std::string> Written(void (*write)(std::FILE&))
{
    TempDir dir;
    const fs::path path = dir / "Zellwick.log";
    std::FILE* log = std::fopen(path.c_str(), "a");
    EXPECT_NE(log, nullptr);
    if (!log)
        return {};
    write(*log);
    std::fclose(log);
    const std::string text = ReadFile(path);
    EXPECT_TRUE(text.ends_with("\n"));
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

void ExpectFilledLines(const std::vector<std::string>& lines,
                       const std::vector<std::string>& labels)
{
    ASSERT_EQ(lines.size(), labels.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind(labels[i] + ": ", 0), 0U) << lines[i];
        EXPECT_GT(lines[i].size(), labels[i].size() + 2) << lines[i];
    }
}

TEST(SystemInfo, OSAndCPUFactsAreReadableLines)
{
    const auto os = Written(&OSInfoLog);
    ExpectFilledLines(os, {"System", "Release", "Kernel"});
    const auto cpu = Written(&CPUInfoLog);
    ExpectFilledLines(cpu, {"Processor", "Cores", "Memory"});
    ASSERT_EQ(cpu.size(), 3U);
    EXPECT_GT(std::stoi(cpu[1].substr(7)), 0);
    EXPECT_TRUE(cpu[2].ends_with(" MB")) << cpu[2];
}

TEST(SystemInfo, FactsComeFromTheirSources)
{
    TempDir dir;
    WriteFile(dir / "os-release", "NAME=Debian\nPRETTY_NAME=\"Zell \\\"OS\\\" 12 (bookworm)\"\n");
    WriteFile(dir / "cpuinfo", "processor\t: 0\nmodel name\t: Zell CPU @ 3.00GHz\n"
                               "processor\t: 1\nmodel name\t: Zell CPU @ 3.00GHz\n");
    WriteFile(dir / "meminfo", "MemTotal:        2048000 kB\nMemFree:  10 kB\n");
    corvask::SystemSources sources;
    sources.osReleaseFiles = {(dir / "none").string(), (dir / "os-release").string()};
    sources.cpuInfoFile = (dir / "cpuinfo").string();
    sources.memInfoFile = (dir / "meminfo").string();
    EXPECT_EQ(corvask::OSInfoLines(sources).at(1), "Release: Zell \"OS\" 12 (bookworm)\n");
    const auto cpu = corvask::CPUInfoLines(sources);
    EXPECT_EQ(cpu.at(0), "Processor: Zell CPU @ 3.00GHz\n");
    EXPECT_EQ(cpu.at(2), "Memory: 2000 MB\n");
}

TEST(SystemInfo, MissingSourcesSayUnknown)
{
    TempDir dir;
    WriteFile(dir / "empty", "");
    corvask::SystemSources sources;
    sources.osReleaseFiles = {(dir / "missing").string()};
    sources.cpuInfoFile = (dir / "empty").string();
    sources.memInfoFile = (dir / "missing").string();
    EXPECT_EQ(corvask::OSInfoLines(sources).at(1), "Release: unknown\n");
    const auto cpu = corvask::CPUInfoLines(sources);
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

TEST(NativePaths, BytesThatAreNotUtf8SurviveTheRoundTrip)
{
    const std::string bytes = "/tmp/hh-\xE9t\xE9-\xE2\x82\xAC-\xFF.txt";
    const std::wstring wide = corvask::FromNativePath(bytes);
    EXPECT_NE(wide.find(L'\u20AC'), std::wstring::npos);
    std::string back;
    ASSERT_TRUE(corvask::ToNativePath(wide, back));
    EXPECT_EQ(back, bytes);
}

std::wstring Shown(std::uint32_t code)
{
    std::wstring text = L"previous";
    ErrorShow(code, text);
    return text;
}

TEST(ErrorShow, SystemTextForKnownCodesAndNumberForUnknownOnes)
{
    const std::string known = std::strerror(ENOENT);
    EXPECT_EQ(Shown(ENOENT), corvask::FromNativePath(known));
    EXPECT_NE(Shown(EACCES), Shown(EISDIR));
    EXPECT_NE(Shown(99999).find(L"99999"), std::wstring::npos);
    EXPECT_NE(Shown(4294967295U).find(L"4294967295"), std::wstring::npos);
    EXPECT_FALSE(Shown(0).empty());
}

} // namespace
