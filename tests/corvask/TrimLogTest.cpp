#include "corvask/corvask.h"

#include "tests/corvask/OtherUser.h"
#include "tests/support/TestSupport.h"

#include <cstdio>
#include <filesystem>
#include <iterator>
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

class TrimLog : public ::testing::Test
{
protected:
    void Trim() { TrimLogFile(m_log.wstring(), kKeep, kMax); }
    std::size_t FilesInFolder() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir.path()), {}));
    }

    TempDir m_dir;
    fs::path m_log = m_dir / "Zellwick.log";
};

TEST_F(TrimLog, KeepsTheNewestBytesFromALineStartWithItsPermissions)
{
    const std::string original = MakeLog(250000);
    WriteFile(m_log, original);
    fs::permissions(m_log, fs::perms(0640));
    Trim();
    const std::string kept = ReadFile(m_log);
    ASSERT_LE(kept.size(), kKeep);
    ASSERT_GT(kept.size(), kKeep - 100); // no more than the cut line was dropped
    EXPECT_EQ(original.substr(original.size() - kept.size()), kept);
    EXPECT_EQ(original[original.size() - kept.size() - 1], '\n');
    EXPECT_EQ(fs::status(m_log).permissions(), fs::perms(0640));
    EXPECT_EQ(FilesInFolder(), 1U); // nothing left beside it
    // Still a log that grows at its end.
    std::FILE* file = std::fopen(m_log.c_str(), "a");
    ASSERT_NE(file, nullptr);
    std::fputs("appended after trimming\n", file);
    std::fclose(file);
    EXPECT_EQ(ReadFile(m_log), kept + "appended after trimming\n");
}

TEST_F(TrimLog, TailStartingAtALineStartIsKeptExactly)
{
    std::string original;
    for (int i = 0; i < 2500; ++i)
        original += std::string(99, 'x') + "\n"; // 250000 bytes, a line start every 100
    WriteFile(m_log, original);
    Trim();
    EXPECT_EQ(ReadFile(m_log).size(), kKeep);
}

TEST_F(TrimLog, FilesUpToTheLimitAndMissingFilesAreLeftAlone)
{
    const std::string original = MakeLog(kMax).substr(0, kMax);
    WriteFile(m_log, original);
    struct stat before = {};
    struct stat after = {};
    ASSERT_EQ(::stat(m_log.c_str(), &before), 0);
    Trim();
    ASSERT_EQ(::stat(m_log.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadFile(m_log), original);

    TrimLogFile((m_dir / "missing.log").wstring(), kKeep, kMax);
    TrimLogFile(m_dir.wpath(), kKeep, kMax);
    EXPECT_EQ(FilesInFolder(), 1U);
}

TEST_F(TrimLog, ALinkStaysALink)
{
    const fs::path target = m_dir / "logs" / "real.log";
    WriteFile(target, MakeLog(300000));
    fs::create_symlink(target, m_log);
    Trim();
    EXPECT_TRUE(fs::is_symlink(m_log));
    EXPECT_LE(fs::file_size(target), kKeep);
}

TEST_F(TrimLog, WithoutWriteAccessToTheFolderNothingIsLost)
{
    const std::string original = MakeLog(300000);
    WriteFile(m_log, original);
    fs::permissions(m_dir.path(), fs::perms(0755));
    fs::permissions(m_log, fs::perms(0666));
    if (!zellwick::test::RunningAsRoot()) {
        fs::permissions(m_dir.path(), fs::perms(0555));
        Trim();
    } else if (zellwick::test::RunAsOtherUser([&] { return Trim(), 0; }) != 0) {
        GTEST_SKIP() << "cannot switch to user 65534 here";
    }
    EXPECT_EQ(ReadFile(m_log), original);
    EXPECT_EQ(FilesInFolder(), 1U);
}

} // namespace
