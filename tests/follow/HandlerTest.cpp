#include "corvask/corvask.h"
#include "tests/follow/FollowTestSupport.h"
#include "tests/support/TestSupport.h"

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

TEST_F(FollowHandler, AFileCreatedWhileWatchedIsReadFromItsFirstByte)
{
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    const fs::path file = dir / "HH20240101 Una - $0.01-$0.02 - USD No Limit Hold'em.txt";
    WriteFile(file, Hands(3));
    ASSERT_TRUE(follower.WaitUntilRead(file));
    EXPECT_EQ(follower.m_nHandCount, 3);
    EXPECT_EQ(follower.m_nVppCents, 3 * kHandVppCents);
    EXPECT_DOUBLE_EQ(follower.m_dVpp, 0.9);
}

TEST_F(FollowHandler, AFileFoundAtTheScanIsReadFromItsSizeThen)
{
    const fs::path file = dir / "2024" / "HH old table.txt";
    WriteFile(file, Hands(2));
    follower.Scan(dir.path());
    EXPECT_EQ(follower.Offset(file), static_cast<std::int64_t>(fs::file_size(file)));
    ASSERT_EQ(follower.Watch(dir.path()), 0u);

    AppendFile(file, Hand(3));
    ASSERT_TRUE(follower.WaitUntilRead(file));
    EXPECT_EQ(follower.m_nHandCount, 1);
    EXPECT_EQ(follower.m_nVppCents, kHandVppCents);
}

TEST_F(FollowHandler, AFileNeitherScannedNorCreatedWhileWatchedIsNeverRead)
{
    const fs::path file = dir / "HH stale.txt";
    WriteFile(file, Hands(2));
    const std::time_t now = std::time(nullptr);
    SetWritten(file, now - 2 * 24 * 3600);
    follower.Scan(dir.path(), now);
    ASSERT_EQ(follower.Watch(dir.path()), 0u);

    AppendFile(file, Hand(3));
    ASSERT_TRUE(follower.Settle(dir.path()));
    EXPECT_FALSE(follower.Knows(file));
    EXPECT_EQ(follower.m_nHandCount, 0);
    EXPECT_TRUE(follower.m_log.m_lines.empty());
}

TEST_F(FollowHandler, ARenamedFileIsNotFollowedUnderItsNewName)
{
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    const fs::path before = dir / "HH before.txt";
    const fs::path after = dir / "HH after.txt";
    WriteFile(before, Hand(1));
    ASSERT_TRUE(follower.WaitUntilRead(before));

    fs::rename(before, after);
    AppendFile(after, Hand(2));
    ASSERT_TRUE(follower.Settle(dir.path()));
    EXPECT_TRUE(follower.Knows(before)); // the old entry stays
    EXPECT_FALSE(follower.Knows(after));
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
    // Longer than before, so an offset that survived would skip hands.
    WriteFile(file, Hands(4, 10));
    ASSERT_TRUE(follower.WaitUntilRead(file));
    EXPECT_EQ(follower.m_nHandCount, 4);
}

TEST_F(FollowHandler, AFileAddedAgainIsReadWholeAtItsNextChange)
{
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    const fs::path file = dir / "HH moved over.txt";
    WriteFile(file, Hand(1));
    ASSERT_TRUE(follower.WaitUntilRead(file));

    // A file moved in from outside the folder replaces it: reported as added, not changed.
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
    // Nothing is delivered meanwhile: the change is read after the file is gone.
    WriteFile(file, Hands(2));
    fs::remove(file);
    ASSERT_TRUE(follower.Settle(dir.path()));

    EXPECT_EQ(follower.m_nHandCount, 0);
    EXPECT_FALSE(follower.Knows(file));
    std::wstring text;
    ErrorShow(ENOENT, text);
    ASSERT_EQ(follower.m_log.m_lines.size(), 1u);
    EXPECT_EQ(follower.m_log.m_lines[0],
              L"Error <" + text + L"> while  ReadHistoryFile = " + Key(file));
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

// The handler used directly, without a watch.
class FollowHandlerCalls : public ::testing::Test
{
protected:
    TempDir dir;
    Follower follower;
    CDirectoryChangeHandlerHistory& handler = follower.m_handler;
};

TEST_F(FollowHandlerCalls, AFailedReadLeavesTotalsAndOffsetAsTheyWere)
{
    const fs::path file = dir / "HH a folder.txt";
    fs::create_directory(file);
    follower.m_offsets[Key(file)] = 0;
    handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 0);
    EXPECT_EQ(follower.Offset(file), 0);
    ASSERT_EQ(follower.m_log.m_lines.size(), 1u);
    EXPECT_EQ(follower.m_log.Count(L"> while  ReadHistoryFile = " + Key(file)), 1u);

    // The next change tries again.
    fs::remove(file);
    WriteFile(file, Hand(1));
    handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 1);
    EXPECT_EQ(follower.m_log.m_lines.size(), 1u);
}

TEST_F(FollowHandlerCalls, ASecondAddResetsTheOffsetSoEverythingCountsAgain)
{
    const fs::path file = dir / "HH twice.txt";
    WriteFile(file, Hands(2));
    handler.OnFileAdded(Key(file));
    handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 2);
    handler.OnFileAdded(Key(file));
    EXPECT_EQ(follower.Offset(file), 0);
    handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 4);
    handler.OnFileRemoved(Key(file));
    EXPECT_FALSE(follower.Knows(file));
    handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 4);
}

TEST_F(FollowHandlerCalls, AnUnknownPathAndPathsOfAnotherCaseAreNotRead)
{
    const fs::path file = dir / "HH case.txt";
    WriteFile(file, Hands(2));
    handler.OnFileModified(Key(file));
    follower.m_offsets[Key(dir / "hh case.txt")] = 0;
    handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 0);
    EXPECT_TRUE(follower.m_log.m_lines.empty());
}

TEST_F(FollowHandlerCalls, MuchTextAtOnceCountsAsOneBlockAndLeavesAnUnfinishedLine)
{
    const fs::path file = dir / "HH big.txt";
    // Several reading pieces' worth, a line longer than a piece in front, and a line the
    // client has not finished yet at the end.
    const std::string longLine(CDirectoryChangeHandlerHistory::kReadChunkBytes * 2 + 17, 'x');
    const std::string text = longLine + "\n" + Hands(1500) + "PokerStars Hand #1: unfinish";
    WriteFile(file, text);
    handler.OnFileAdded(Key(file));
    handler.OnFileModified(Key(file));

    EXPECT_EQ(follower.Offset(file), static_cast<std::int64_t>(text.rfind('\n') + 1));
    const Count whole = CountWholeFile(file);
    EXPECT_EQ(follower.m_nHandCount, whole.hands);
    EXPECT_EQ(follower.m_nVppCents, whole.vppCents);
    EXPECT_EQ(follower.m_nHandCount, 1500);

    AppendFile(file, "ed\n" + Hand(2000));
    handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 1502);
}

// The window's handler is a member: destroying it stops its watch first, and the reports
// still queued then reach it whole.
TEST(FollowHandlerLifetime, DestroyingAWatchedHandlerDeliversItsLastReportsFirst)
{
    TempDir dir;
    std::int32_t hands = 0;
    std::int32_t vppCents = 0;
    double vpp = 0.0;
    const std::wstring hero = L"Hero";
    MemoryLog log;
    FileOffsetMap offsets;
    HandHistoryParser parser(hero, RunningTotals{hands, vppCents, vpp}, &log);
    CDirectoryChangeWatcher watcher;
    auto handler = std::make_unique<CDirectoryChangeHandlerHistory>(&offsets, parser, log);
    ASSERT_EQ(watcher.WatchDirectory(Key(dir.path()), handler.get()), 0u);

    // Nothing is delivered before the stop: the changes arrive during it.
    WriteFile(dir / "HH last.txt", Hands(2));
    handler.reset();
    EXPECT_FALSE(watcher.IsWatching(Key(dir.path())));
    EXPECT_EQ(hands, 2);
}

} // namespace
