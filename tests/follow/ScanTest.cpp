#include "tests/follow/FollowTestSupport.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

constexpr std::time_t kHour = 3600;

class HistoryScan : public ::testing::Test
{
protected:
    // A file of the given size, last written age seconds before now.
    fs::path Put(const std::string& name, std::time_t age = 0, size_t size = 10)
    {
        const fs::path file = dir / name;
        WriteFile(file, std::string(size, 'x'));
        SetWritten(file, now - age);
        return file;
    }

    FileOffsetMap Scan(const std::wstring& folder)
    {
        FileOffsetMap offsets;
        ScanHistoryFolder(folder, offsets, now);
        return offsets;
    }
    FileOffsetMap Scan() { return Scan(Key(dir.path())); }

    TempDir dir;
    const std::time_t now = std::time(nullptr);
};

TEST_F(HistoryScan, TakesOnlyNamesBeginningWithHHAndEndingWithDotTxt)
{
    const fs::path taken = Put("HH20240101 Una.txt", 0, 123);
    const fs::path shortest = Put("HH.txt", 0, 7);
    Put("hh20240101 lower.txt");
    Put("HH20240101 upper.TXT");
    Put("HH20240101 kept.txt.bak");
    Put("xHH20240101.txt");
    Put("H.txt");
    Put("HH20240101 no extension");
    fs::create_directory(dir / "HH folder.txt");

    const FileOffsetMap offsets = Scan();
    EXPECT_EQ(offsets, (FileOffsetMap{{Key(taken), 123}, {Key(shortest), 7}}));
}

TEST_F(HistoryScan, TakesFilesWrittenWithinTwentyWholeHours)
{
    const fs::path recent = Put("HH recent.txt", 20 * kHour + 59 * 60 + 59);
    const fs::path future = Put("HH future.txt", -3 * kHour);
    Put("HH old.txt", 21 * kHour);
    Put("HH ancient.txt", now + 5 * 365 * 24 * kHour); // before 1970

    const FileOffsetMap offsets = Scan();
    EXPECT_EQ(offsets.size(), 2u);
    EXPECT_EQ(offsets.count(Key(recent)), 1u);
    EXPECT_EQ(offsets.count(Key(future)), 1u);
}

TEST_F(HistoryScan, EntersSubfoldersToAnyDepthWithTheWatchersKeys)
{
    const fs::path deep = Put("2024/01/Una/HH deep.txt", 0, 42);
    Put("2024/01/Una/hh deep.txt");
    const FileOffsetMap offsets = Scan();
    ASSERT_EQ(offsets.size(), 1u);
    EXPECT_EQ(offsets.begin()->first, Key(dir.path()) + L"/2024/01/Una/HH deep.txt");
    EXPECT_EQ(offsets.begin()->second, 42);

    // A folder given with its separator gives the same keys, not a doubled separator.
    EXPECT_EQ(Scan(Key(dir.path()) + L"/"), offsets);
}

TEST_F(HistoryScan, KeepsOtherEntriesAndSetsFoundOnesToTheirSize)
{
    const fs::path file = Put("HH known.txt", 0, 55);
    FileOffsetMap offsets{{Key(file), 3}, {L"/elsewhere/HH x.txt", 9}};
    ScanHistoryFolder(Key(dir.path()), offsets, now);
    EXPECT_EQ(offsets, (FileOffsetMap{{Key(file), 55}, {L"/elsewhere/HH x.txt", 9}}));
}

TEST_F(HistoryScan, NeverFollowsLinksSoALoopEnds)
{
    const fs::path inside = Put("a/HH inside.txt");
    fs::create_directory_symlink(dir.path(), dir / "a" / "loop");
    fs::create_directory_symlink("..", dir / "a" / "up");
    TempDir outside;
    WriteFile(outside / "HH outside.txt", "x");
    fs::create_directory_symlink(outside.path(), dir / "elsewhere");
    fs::create_symlink(outside / "HH outside.txt", dir / "HH link.txt");

    const FileOffsetMap offsets = Scan();
    EXPECT_EQ(offsets, (FileOffsetMap{{Key(inside), 10}}));
}

TEST_F(HistoryScan, FollowsTheFolderItselfWhenItIsALink)
{
    const fs::path file = Put("HH linked.txt", 0, 5);
    TempDir other;
    const fs::path link = other / "history";
    fs::create_directory_symlink(dir.path(), link);
    EXPECT_EQ(Scan(Key(link)), (FileOffsetMap{{Key(link / "HH linked.txt"), 5}}));
    (void)file;
}

TEST_F(HistoryScan, LeavesTheCurrentFolderAlone)
{
    Put("sub/HH x.txt");
    const fs::path before = fs::current_path();
    Scan();
    EXPECT_EQ(fs::current_path(), before);
}

TEST_F(HistoryScan, AMissingOrEmptyFolderFindsNothing)
{
    EXPECT_TRUE(Scan(Key(dir / "missing")).empty());
    EXPECT_TRUE(Scan(L"").empty());
    const fs::path file = Put("HH plain.txt");
    EXPECT_TRUE(Scan(Key(file)).empty()); // a file is not a folder
}

TEST_F(HistoryScan, SkipsFoldersItMayNotRead)
{
    const fs::path open = Put("open/HH open.txt");
    Put("closed/HH closed.txt");
    fs::permissions(dir.path(), fs::perms(0755));
    fs::permissions(dir / "open", fs::perms(0755));
    fs::permissions(dir / "closed", fs::perms(0700));
    const std::wstring folder = Key(dir.path());
    const std::time_t at = now;
    const int status = RunAsNobody([&] {
        FileOffsetMap offsets;
        ScanHistoryFolder(folder, offsets, at);
        return offsets == FileOffsetMap{{Key(open), 10}} ? 0 : 1;
    });
    if (status < 0)
        GTEST_SKIP() << "cannot run a check as uid 65534 here";
    EXPECT_EQ(status, 0);
}

} // namespace
