#include "corvask/corvask.h"

#include "tests/corvask/OtherUser.h"
#include "tests/support/TestSupport.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using zellwick::test::ReadFile;
using zellwick::test::TempDir;
using zellwick::test::WriteFile;
namespace fs = std::filesystem;

constexpr std::uint64_t kKeep = 80000;
constexpr std::uint64_t kMax = 200000;

// A log of numbered lines of varying length, at least minSize bytes long.
std::string MakeLog(std::size_t minSize)
{
    std::string log;
    for (int i = 0; log.size() < minSize; ++i)
        log += "06.12.2024  20:50:" + std::to_string(i % 60) + "  line " + std::to_string(i) +
               std::string(static_cast<std::size_t>(i % 37), '.') + "\n";
    return log;
}

std::size_t FilesIn(const fs::path& folder)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++count;
    return count;
}

TEST(TrimLog, KeepsTheNewestBytesFromALineStart)
{
    TempDir dir;
    const fs::path log = dir / "Zellwick.log";
    const std::string original = MakeLog(250000);
    WriteFile(log, original);
    TrimLogFile(log.wstring(), kKeep, kMax);
    const std::string kept = ReadFile(log);
    ASSERT_LE(kept.size(), kKeep);
    ASSERT_GT(kept.size(), kKeep - 100); // no more than the cut line was dropped
    EXPECT_EQ(original.substr(original.size() - kept.size()), kept);
    EXPECT_EQ(original[original.size() - kept.size() - 1], '\n');
    EXPECT_EQ(kept.rfind("06.12.2024", 0), 0U);
    EXPECT_EQ(FilesIn(dir.path()), 1U); // nothing left beside it
}

TEST(TrimLog, TailStartingAtALineStartIsKeptExactly)
{
    TempDir dir;
    const fs::path log = dir / "Zellwick.log";
    const std::string line(99, 'x');
    std::string original;
    for (int i = 0; i < 2500; ++i)
        original += line + "\n"; // 250000 bytes, a line start every 100
    WriteFile(log, original);
    TrimLogFile(log.wstring(), kKeep, kMax);
    EXPECT_EQ(ReadFile(log).size(), kKeep);
}

TEST(TrimLog, FilesUpToTheLimitAndMissingFilesAreLeftAlone)
{
    TempDir dir;
    const fs::path log = dir / "Zellwick.log";
    const std::string original = MakeLog(kMax).substr(0, kMax);
    WriteFile(log, original);
    struct stat before = {};
    ASSERT_EQ(::stat(log.c_str(), &before), 0);
    TrimLogFile(log.wstring(), kKeep, kMax);
    struct stat after = {};
    ASSERT_EQ(::stat(log.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadFile(log), original);

    TrimLogFile((dir / "missing.log").wstring(), kKeep, kMax);
    TrimLogFile(dir.wpath(), kKeep, kMax);
    EXPECT_FALSE(fs::exists(dir / "missing.log"));
    EXPECT_EQ(FilesIn(dir.path()), 1U);
}

TEST(TrimLog, StaysAppendableAndKeepsItsPermissions)
{
    TempDir dir;
    const fs::path log = dir / "Zellwick.log";
    const std::string original = MakeLog(300000);
    WriteFile(log, original);
    fs::permissions(log, fs::perms(0640));
    TrimLogFile(log.wstring(), kKeep, kMax);
    EXPECT_EQ(fs::status(log).permissions(), fs::perms(0640));
    std::FILE* file = std::fopen(log.c_str(), "a");
    ASSERT_NE(file, nullptr);
    const std::string appended = "appended after trimming\n";
    std::fputs(appended.c_str(), file);
    std::fclose(file);
    const std::string now = ReadFile(log);
    ASSERT_GT(now.size(), appended.size());
    const std::size_t kept = now.size() - appended.size();
    EXPECT_LE(kept, kKeep);
    EXPECT_EQ(now, original.substr(original.size() - kept) + appended);
}

TEST(TrimLog, ALinkStaysALink)
{
    TempDir dir;
    const fs::path target = dir / "logs" / "real.log";
    WriteFile(target, MakeLog(300000));
    const fs::path log = dir / "Zellwick.log";
    fs::create_symlink(target, log);
    TrimLogFile(log.wstring(), kKeep, kMax);
    EXPECT_TRUE(fs::is_symlink(log));
    EXPECT_LE(fs::file_size(target), kKeep);
}

TEST(TrimLog, WithoutWriteAccessToTheFolderNothingIsLost)
{
    TempDir dir;
    const fs::path log = dir / "Zellwick.log";
    const std::string original = MakeLog(300000);
    WriteFile(log, original);
    fs::permissions(dir.path(), fs::perms(0755));
    fs::permissions(log, fs::perms(0666));
    if (!zellwick::test::RunningAsRoot()) {
        fs::permissions(dir.path(), fs::perms(0555));
        TrimLogFile(log.wstring(), kKeep, kMax);
    } else if (zellwick::test::RunAsOtherUser([&] {
                   TrimLogFile(log.wstring(), kKeep, kMax);
                   return 0;
               }) != 0) {
        GTEST_SKIP() << "cannot switch to user 65534 here";
    }
    EXPECT_EQ(ReadFile(log), original);
    EXPECT_EQ(FilesIn(dir.path()), 1U);
}

} // namespace
