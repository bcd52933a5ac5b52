#include "tests/follow/FollowTestSupport.h"
#include "tests/support/TestSupport.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

// What the timer window does with the handler, through real inotify reports delivered on
// this thread.
class FollowHandler : public ::testing::Test
{
protected:
    TempDir dir;
    Follower follower;
};

TEST_F(FollowHandler, FilesFoundAtTheScanAreReadFromTheirSizeThenAndNewOnesFromTheStart)
{
    const fs::path scanned = dir / "2024" / "HH old table.txt";
    const fs::path stale = dir / "HH stale.txt";
    const fs::path created = dir / "HH20240101 Una - $0.01-$0.02 - USD No Limit Hold'em.txt";
    WriteFile(scanned, Hands(2));
    WriteFile(stale, Hands(2));
    const std::time_t now = std::time(nullptr);
    SetWritten(stale, now - 2 * 24 * 3600);
    follower.Scan(dir.path(), now);
    EXPECT_EQ(follower.Offset(scanned), static_cast<std::int64_t>(fs::file_size(scanned)));
    ASSERT_EQ(follower.Watch(dir.path()), 0u);

    AppendFile(scanned, Hand(3));
    AppendFile(stale, Hand(3)); // neither scanned nor created while watched: never read
    WriteFile(created, Hands(3, 10));
    ASSERT_TRUE(follower.WaitUntilRead(scanned));
    ASSERT_TRUE(follower.WaitUntilRead(created));
    ASSERT_TRUE(follower.Settle(dir.path()));
    EXPECT_FALSE(follower.Knows(stale));
    EXPECT_EQ(follower.m_nHandCount, 4);
    EXPECT_EQ(follower.m_nVppCents, 4 * kHandVppCents);
    EXPECT_DOUBLE_EQ(follower.m_dVpp, 1.2);
    EXPECT_TRUE(follower.m_log.m_lines.empty());
}

TEST_F(FollowHandler, ARenamedFileIsNotFollowedUnderItsNewName)
{
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    WriteFile(dir / "HH before.txt", Hand(1));
    ASSERT_TRUE(follower.WaitUntilRead(dir / "HH before.txt"));
    fs::rename(dir / "HH before.txt", dir / "HH after.txt");
    AppendFile(dir / "HH after.txt", Hand(2));
    ASSERT_TRUE(follower.Settle(dir.path()));
    EXPECT_TRUE(follower.Knows(dir / "HH before.txt")); // the old entry stays
    EXPECT_FALSE(follower.Knows(dir / "HH after.txt"));
    EXPECT_EQ(follower.m_nHandCount, 1);
}

TEST_F(FollowHandler, AFileDeletedAndCreatedAgainStartsFromItsFirstByte)
{
    const fs::path file = dir / "HH again.txt";
    WriteFile(file, Hands(2));
    follower.Scan(dir.path());
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    fs::remove(file);
    ASSERT_TRUE(follower.Settle(dir.path()));
    EXPECT_FALSE(follower.Knows(file));
    WriteFile(file, Hands(4, 10)); // longer than before: an offset that survived would skip
    ASSERT_TRUE(follower.WaitUntilRead(file));
    EXPECT_EQ(follower.m_nHandCount, 4);
}

TEST_F(FollowHandler, AFileMovedInOverAFollowedOneIsReadWholeAtItsNextChange)
{
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    const fs::path file = dir / "HH moved over.txt";
    WriteFile(file, Hand(1));
    ASSERT_TRUE(follower.WaitUntilRead(file));
    // Moved in from outside the folder: reported as added, not changed.
    TempDir outside;
    WriteFile(outside / "HH new.txt", Hands(2, 20));
    fs::rename(outside / "HH new.txt", file);
    ASSERT_TRUE(follower.Settle(dir.path()));
    EXPECT_EQ(follower.Offset(file), 0);
    EXPECT_EQ(follower.m_nHandCount, 1);
    AppendFile(file, Hand(22));
    ASSERT_TRUE(follower.WaitUntilRead(file));
    EXPECT_EQ(follower.m_nHandCount, 4);
}

TEST_F(FollowHandler, AFileGoneBeforeItsChangeArrivesLogsOneLineAndCountsNothing)
{
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    const fs::path file = dir / "HH brief.txt";
    WriteFile(file, Hands(2)); // nothing is delivered meanwhile: the change comes too late
    fs::remove(file);
    ASSERT_TRUE(follower.Settle(dir.path()));
    EXPECT_EQ(follower.m_nHandCount, 0);
    EXPECT_FALSE(follower.Knows(file));
    EXPECT_EQ(follower.m_log.m_lines, std::vector<std::wstring>{ReadErrorLine(ENOENT, file)});
}

TEST_F(FollowHandler, AFileNameThatIsNotUtf8IsFoundAgainAfterTheScan)
{
    const fs::path file = dir / "HH \xff\xfe table.txt";
    WriteFile(file, Hand(1));
    follower.Scan(dir.path());
    ASSERT_TRUE(follower.Knows(file));
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    AppendFile(file, Hand(2));
    ASSERT_TRUE(follower.WaitUntilRead(file));
    EXPECT_EQ(follower.m_nHandCount, 1);
}

// The handler called directly, without a watch.
using FollowHandlerCalls = FollowHandler;

TEST_F(FollowHandlerCalls, AFailedReadLeavesTotalsAndOffsetAndTheNextChangeTriesAgain)
{
    const fs::path file = dir / "HH a folder.txt";
    fs::create_directory(file);
    follower.m_offsets[Key(file)] = 0;
    follower.m_handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 0);
    EXPECT_EQ(follower.Offset(file), 0);
    ASSERT_EQ(follower.m_log.m_lines.size(), 1u);
    EXPECT_EQ(follower.m_log.Count(L"> while  ReadHistoryFile = " + Key(file)), 1u);

    fs::remove(file);
    WriteFile(file, Hand(1));
    follower.m_handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 1);
    EXPECT_EQ(follower.m_log.m_lines.size(), 1u);
}

TEST_F(FollowHandlerCalls, AnAddStartsAtZeroARemoveForgetsAndOnlyKnownPathsAreRead)
{
    const fs::path file = dir / "HH twice.txt";
    WriteFile(file, Hands(2));
    follower.m_handler.OnFileModified(Key(file)); // not known yet
    follower.m_offsets[Key(dir / "hh twice.txt")] = 0;
    follower.m_handler.OnFileModified(Key(file)); // another case is another path
    EXPECT_EQ(follower.m_nHandCount, 0);
    follower.AddedAndModified(file);
    EXPECT_EQ(follower.m_nHandCount, 2);
    follower.m_handler.OnFileAdded(Key(file));
    EXPECT_EQ(follower.Offset(file), 0);
    follower.m_handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 4);
    follower.m_handler.OnFileRemoved(Key(file));
    EXPECT_FALSE(follower.Knows(file));
    follower.m_handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 4);
    EXPECT_TRUE(follower.m_log.m_lines.empty());
}

TEST_F(FollowHandlerCalls, MuchTextAtOnceCountsAsOneBlockAndLeavesAnUnfinishedLine)
{
    const fs::path file = dir / "HH big.txt";
    // Several reading pieces' worth, a line longer than a piece in front (it hides the first
    // header, as in one block), and a line the client has not finished yet at the end.
    const std::string longLine(CDirectoryChangeHandlerHistory::kReadChunkBytes * 2 + 17, 'x');
    const std::string text = longLine + "\n" + Hands(1500) + "PokerStars Hand #1: unfinish";
    WriteFile(file, text);
    follower.AddedAndModified(file);
    EXPECT_EQ(follower.Offset(file), static_cast<std::int64_t>(text.rfind('\n') + 1));
    EXPECT_EQ(follower.m_nHandCount, 1500);
    EXPECT_EQ(follower.m_nVppCents, 1499 * kHandVppCents + 17);

    AppendFile(file, "ed\n" + Hand(2000));
    follower.m_handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 1502);
}

// The window's handler is a member: destroying it stops its watch first, and the reports
// still queued then reach it whole.
TEST(FollowHandlerLifetime, DestroyingAWatchedHandlerDeliversItsLastReportsFirst)
{
    TempDir dir;
    std::int32_t hands = 0, vppCents = 0;
    double vpp = 0.0;
    const std::wstring hero = L"Hero";
    MemoryLog log;
    FileOffsetMap offsets;
    HandHistoryParser parser(hero, RunningTotals{hands, vppCents, vpp}, &log);
    CDirectoryChangeWatcher watcher;
    auto handler = std::make_unique<CDirectoryChangeHandlerHistory>(&offsets, parser, log);
    ASSERT_EQ(watcher.WatchDirectory(Key(dir.path()), handler.get()), 0u);
    WriteFile(dir / "HH last.txt", Hands(2)); // nothing delivered before the stop
    handler.reset();
    EXPECT_FALSE(watcher.IsWatching(Key(dir.path())));
    EXPECT_EQ(hands, 2);
}

} // namespace
