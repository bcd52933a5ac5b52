// The rest of libcorvask: trimming the log, system facts for its header, the executable's
// folder and the texts of error codes.

#include "corvask/corvask.h"

#include "corvask/NativePath.h"
#include "corvask/SystemInfo.h"
#include "tests/support/TestSupport.h"

#include <cerrno>
#include <cstring>
#include <iterator>
#include <sys/stat.h>

#include <gmock/gmock.h>

namespace {

using namespace zellwick::test;
namespace fs = std::filesystem;

// A log of numbered lines of varying length.
std::string MakeLog(std::size_t size)
{
    std::string log;
    for (int i = 0; log.size() < size; ++i)
        log += "06.12.2024  20:50:00  line " + std::to_string(i) + std::string(i % 37, '.') + "\n";
    return log.substr(0, size);
}

TEST(TrimLog, KeepsTheNewestWholeLinesInPlaceOfTheLogAndNothingBeside)
{
    TempDir dir;
    const fs::path log = dir / "logs" / "Zellwick.log";
    const std::string original = MakeLog(250000);
    const std::string even = [] {
        std::string text;
        for (int i = 0; i < 2500; ++i)
            text += std::string(99, 'x') + "\n";
        return text;
    }();
    WriteFile(log, original);
    fs::permissions(log, fs::perms(0640));
    fs::create_symlink(log, dir / "link.log"); // a link stays a link; its file is trimmed
    TrimLogFile((dir / "link.log").wstring(), 80000, 200000);
    EXPECT_TRUE(fs::is_symlink(dir / "link.log"));
    const std::string kept = ReadFile(log);
    ASSERT_GT(kept.size(), 80000 - 100); // no more than the cut line was dropped
    EXPECT_TRUE(original.ends_with("\n" + kept));
    EXPECT_EQ(fs::status(log).permissions(), fs::perms(0640));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "logs"), {}), 1);
    WriteFile(log, even); // a tail that starts at a line start is kept exactly
    TrimLogFile(log.wstring(), 80000, 200000);
    EXPECT_EQ(ReadFile(log).size(), 80000U);
    // A log up to the limit keeps its file; what is no file is left alone.
    WriteFile(log, original.substr(0, 200000));
    const auto inode = [&] {
        struct stat info = {};
        return ::stat(log.c_str(), &info) == 0 ? info.st_ino : 0;
    };
    const auto before = inode();
    for (const fs::path& path : {log, dir / "missing.log", dir / "logs"})
        TrimLogFile(path.wstring(), 80000, 200000);
    EXPECT_EQ(inode(), before);
    EXPECT_EQ(fs::file_size(log), 200000U);
    // Without write access to the folder nothing is lost.
    WriteFile(log, original);
    fs::permissions(dir.path(), fs::perms(0755));
    fs::permissions(dir / "logs", fs::perms(0755));
    fs::permissions(log, fs::perms(0666));
    if (RunAsOtherUser([&] { return TrimLogFile(log.wstring(), 80000, 200000), 0; }) != 0)
        GTEST_SKIP() << "cannot run a check as user 65534 here";
    EXPECT_EQ(ReadFile(log), original);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "logs"), {}), 1);
}

TEST(SystemInfo, FactsComeFromTheirSourcesOrSayUnknown)
{
    TempDir dir;
    const auto written = [&](void (*write)(std::FILE&)) {
        std::FILE* log = std::fopen((dir / "Zellwick.log").c_str(), "w");
        write(*log);
        std::fclose(log);
        return ReadFile(dir / "Zellwick.log");
    };
    EXPECT_THAT(written(&OSInfoLog),
                testing::MatchesRegex("System: [^\n]+\nRelease: [^\n]+\nKernel: [^\n]+\n"));
    EXPECT_THAT(
        written(&CPUInfoLog),
        testing::MatchesRegex("Processor: [^\n]+\nCores: [1-9][0-9]*\nMemory: [0-9]+ MB\n"));
    WriteFile(dir / "os-release", "NAME=Debian\nPRETTY_NAME=\"Zell \\\"OS\\\" 12\"\n");
    WriteFile(dir / "cpuinfo", "processor\t: 0\nmodel name\t: Zell CPU @ 3.00GHz\n");
    WriteFile(dir / "meminfo", "MemTotal:        2048000 kB\nMemFree:  10 kB\n");
    corvask::SystemSources sources{{(dir / "none").string(), (dir / "os-release").string()},
                                   (dir / "cpuinfo").string(),
                                   (dir / "meminfo").string()};
    EXPECT_EQ(corvask::OSInfoLines(sources).at(1), "Release: Zell \"OS\" 12\n");
    EXPECT_EQ(corvask::CPUInfoLines(sources).at(0), "Processor: Zell CPU @ 3.00GHz\n");
    EXPECT_EQ(corvask::CPUInfoLines(sources).at(2), "Memory: 2000 MB\n");
    sources = {{(dir / "none").string()}, (dir / "os-release").string(), ""};
    EXPECT_EQ(corvask::OSInfoLines(sources).at(1), "Release: unknown\n");
    EXPECT_EQ(corvask::CPUInfoLines(sources).at(0), "Processor: unknown\n");
}

TEST(ExecDirAndErrorShow, TheTestsOwnFolderAndTheSystemsTextOrTheNumber)
{
    wchar_t scratch[520] = {};
    const std::wstring folder = GetExecDir(scratch);
    EXPECT_EQ(GetExecDir(nullptr), folder);
    EXPECT_TRUE(fs::is_regular_file(fs::path(folder) / "corvask_tests")) << folder;
    const auto shown = [](std::uint32_t code) {
        std::wstring text = L"previous";
        ErrorShow(code, text);
        return text;
    };
    EXPECT_EQ(shown(ENOENT), corvask::FromNativePath(std::strerror(ENOENT)));
    EXPECT_NE(shown(EACCES), shown(EISDIR));
    EXPECT_NE(shown(4294967295U).find(L"4294967295"), std::wstring::npos);
}

} // namespace
