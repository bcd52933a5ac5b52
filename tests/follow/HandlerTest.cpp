#include "tests/follow/FollowTestSupport.h"
#include "tests/support/TestSupport.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace fs = std::filesystem;
using namespace zellwick::test;
using namespace std::chrono_literals;

namespace {

// What the timer window does with the handler, through real inotify reports delivered on
// this thread.
class FollowHandler : public ::testing::Test
{
protected:
    // Runs the writer on a thread of its own while this thread delivers the reports.
    void Write(const std::function<void()>& writer)
    {
        std::atomic<bool> done{false};
        std::thread thread([&] {
            writer();
            done = true;
        });
        WaitFor([&] { return done.load(); });
        thread.join();
    }

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
    SetWritten(stale, std::time(nullptr) - 2 * 24 * 3600);
    ASSERT_EQ(follower.Start(dir.path()), 0u);
    EXPECT_EQ(follower.Offset(scanned), static_cast<std::int64_t>(fs::file_size(scanned)));

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

// A writer that flushes a hand in three pieces, 0, 1 and 20 ms apart: the file is read once it
// has been quiet for the settle time, so the hand is counted whole. A stop reads a hand still
// settling.
TEST_F(FollowHandler, AHandWrittenInPiecesIsReadWholeOnceTheFileSettled)
{
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    const fs::path file = dir / "HH pieces.txt";
    const std::string hand = Hand(1);
    const size_t third = hand.size() / 3;
    Write([&] {
        WriteFile(file, hand.substr(0, third));
        std::this_thread::sleep_for(1ms);
        AppendFile(file, hand.substr(third, third));
        std::this_thread::sleep_for(20ms);
        AppendFile(file, hand.substr(2 * third));
    });
    ASSERT_TRUE(follower.WaitUntilRead(file));
    EXPECT_EQ(follower.m_nHandCount, 1);
    EXPECT_EQ(follower.m_nVppCents, kHandVppCents);

    AppendFile(file, Hand(2));
    ASSERT_TRUE(follower.m_watcher.UnwatchDirectory(Key(dir.path())));
    EXPECT_EQ(follower.m_nHandCount, 2);
    EXPECT_EQ(follower.m_nVppCents, 2 * kHandVppCents);
}

// A line that never ends is searched once, not again at every change, so another table's hand
// is counted meanwhile; past the bound it is skipped up to its end, named once in the log.
TEST_F(FollowHandler, AnEndlessLineIsSkippedUpToItsEndAndHoldsUpNoOtherFile)
{
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    const fs::path endless = dir / "HH endless.txt";
    const fs::path other = dir / "HH other.txt";
    const std::string piece(64 * 1024, 'x');
    Write([&] {
        WriteFile(endless, Hand(1) + "PokerStars Hand #9: ");
        for (std::int64_t written = 0; written <= CDirectoryChangeHandlerHistory::kLongLineBytes;
             written += static_cast<std::int64_t>(piece.size()))
            AppendFile(endless, piece);
        WriteFile(other, Hand(2));
    });
    ASSERT_TRUE(follower.WaitUntilRead(other));
    EXPECT_EQ(follower.m_nHandCount, 2);
    AppendFile(endless, piece + "\n" + Hand(3));
    ASSERT_TRUE(follower.WaitUntilRead(endless));
    EXPECT_EQ(follower.m_nHandCount, 3);
    EXPECT_EQ(follower.m_nVppCents, 3 * kHandVppCents);
    EXPECT_EQ(follower.m_log.m_lines,
              std::vector<std::wstring>{L"A line longer than 4 MiB is skipped up to its end in "
                                        L"history file = " +
                                        Key(endless)});
}

// Files made while Start runs, among many that were there before: every one is followed, and
// no hand is counted twice.
TEST_F(FollowHandler, FilesMadeInTheMomentOfStartAreFollowedFromTheirStart)
{
    constexpr int kOld = 1000;
    constexpr int kNew = 100;
    for (int i = 0; i < kOld; ++i)
        WriteFile(dir / ("old/HH " + std::to_string(i) + ".txt"), "");
    const auto made = [&](int i) { return dir / ("HH new " + std::to_string(i) + ".txt"); };
    std::atomic<int> written{0};
    std::thread writer([&] {
        for (int i = 0; i < kNew; ++i, ++written)
            WriteFile(made(i), Hand(i));
    });
    while (written < kNew / 10)
        std::this_thread::yield();
    const int before = written;
    ASSERT_EQ(follower.Start(dir.path()), 0u);
    const int after = written;
    writer.join();
    ASSERT_TRUE(follower.Settle(dir.path()));
    for (int i = 0; i < kNew; ++i) {
        ASSERT_TRUE(follower.Knows(made(i))) << i;
        AppendFile(made(i), Hand(1000 + i));
    }
    ASSERT_TRUE(follower.Settle(dir.path()));
    EXPECT_GE(follower.m_nHandCount, kNew + (kNew - after));
    EXPECT_LE(follower.m_nHandCount, kNew + (kNew - before));
}

// A followed file replaced under its name is read from its start, once: deleted and made
// again at once (the change of the old file must not read the new one), or cut and written
// anew longer than before.
TEST_F(FollowHandler, AFileReplacedUnderItsNameIsReadFromItsStartOnce)
{
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    const fs::path recreated = dir / "HH recreated.txt";
    const fs::path rewritten = dir / "HH rewritten.txt";
    WriteFile(recreated, Hand(1));
    WriteFile(rewritten, Hands(2, 10));
    ASSERT_TRUE(follower.WaitUntilRead(recreated));
    ASSERT_TRUE(follower.WaitUntilRead(rewritten));
    // Nothing is delivered between these writes.
    AppendFile(recreated, Hand(2)); // written the moment before the delete: may be lost
    fs::remove(recreated);
    WriteFile(recreated, Hands(3, 20));
    WriteFile(rewritten, Hands(5, 30));
    ASSERT_TRUE(follower.WaitUntilRead(recreated));
    ASSERT_TRUE(follower.WaitUntilRead(rewritten));
    ASSERT_TRUE(follower.Settle(dir.path()));
    EXPECT_GE(follower.m_nHandCount, 3 + 3 + 5);
    EXPECT_LE(follower.m_nHandCount, 3 + 3 + 5 + 1);
    EXPECT_EQ(follower.m_nVppCents, follower.m_nHandCount * kHandVppCents);
}

// The watched folder deleted: one log line, the player told; made again, it is watched again
// (one more line) and its files are new files, read from their start.
TEST_F(FollowHandler, AFolderDeletedAndMadeAgainIsWatchedAgain)
{
    const fs::path history = dir / "history";
    const fs::path file = history / "HH table.txt";
    WriteFile(file, Hand(1));
    ASSERT_EQ(follower.Start(history), 0u);
    AppendFile(file, Hand(2));
    ASSERT_TRUE(follower.WaitUntilRead(file));
    EXPECT_TRUE(follower.m_handler.CountingProblem().empty());

    fs::remove_all(history);
    ASSERT_TRUE(WaitFor([&] { return !follower.m_handler.CountingProblem().empty(); }));
    EXPECT_EQ(follower.m_handler.CountingProblem(), L"History folder not found: " + Key(history));
    EXPECT_EQ(follower.m_log.Count(L"while watching the history folder = " + Key(history)), 1u);
    EXPECT_TRUE(follower.m_watcher.IsWatching(Key(history)));

    WriteFile(file, Hands(2, 3));
    ASSERT_TRUE(follower.WaitUntilRead(file, 10s));
    EXPECT_EQ(follower.m_nHandCount, 3);
    EXPECT_TRUE(follower.m_handler.CountingProblem().empty());
    EXPECT_EQ(follower.m_log.m_lines.size(), 2u);
    EXPECT_EQ(follower.m_log.Count(L"History folder watched again = " + Key(history)), 1u);
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

TEST_F(FollowHandler, AFileNameThatIsNotUtf8IsFoundAgainAfterTheScan)
{
    const fs::path file = dir / "HH \xff\xfe table.txt";
    WriteFile(file, Hand(1));
    ASSERT_EQ(follower.Start(dir.path()), 0u);
    ASSERT_TRUE(follower.Knows(file));
    AppendFile(file, Hand(2));
    ASSERT_TRUE(follower.WaitUntilRead(file));
    EXPECT_EQ(follower.m_nHandCount, 1);
}

// The handler called directly, without a watch.
using FollowHandlerCalls = FollowHandler;

// A failed read logs, counts nothing, keeps the offset and tells the player until the file is
// read again; the next change tries again.
TEST_F(FollowHandlerCalls, AFailedReadIsLoggedAndShownUntilTheFileIsReadAgain)
{
    const fs::path file = dir / "HH a folder.txt";
    fs::create_directory(file);
    follower.m_offsets[Key(file)] = 0;
    follower.m_handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 0);
    EXPECT_EQ(follower.Offset(file), 0);
    EXPECT_EQ(follower.m_log.m_lines, std::vector<std::wstring>{ReadErrorLine(EISDIR, file)});
    EXPECT_EQ(follower.m_handler.CountingProblem().rfind(L"Cannot read " + Key(file) + L": ", 0),
              0u);

    fs::remove(file);
    WriteFile(file, Hand(1));
    follower.m_handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 1);
    EXPECT_EQ(follower.m_log.m_lines.size(), 1u);
    EXPECT_TRUE(follower.m_handler.CountingProblem().empty());
}

// Only known paths are read; an add starts a new file at 0, but a late report of the file
// already read from its start changes nothing; a remove forgets.
TEST_F(FollowHandlerCalls, AnAddStartsANewFileAtZeroARemoveForgetsAndOnlyKnownPathsAreRead)
{
    const fs::path file = dir / "HH twice.txt";
    WriteFile(file, Hands(2));
    follower.m_handler.OnFileModified(Key(file)); // not known yet
    follower.m_offsets[Key(dir / "hh twice.txt")] = 0;
    follower.m_handler.OnFileModified(Key(file)); // another case is another path
    EXPECT_EQ(follower.m_nHandCount, 0);
    follower.AddedAndModified(file);
    EXPECT_EQ(follower.m_nHandCount, 2);
    follower.AddedAndModified(file);
    EXPECT_EQ(follower.m_nHandCount, 2);
    follower.m_handler.OnFileRemoved(Key(file)); // the file is still there: a late report
    EXPECT_TRUE(follower.Knows(file));
    fs::remove(file);
    follower.m_handler.OnFileRemoved(Key(file));
    EXPECT_FALSE(follower.Knows(file));
    WriteFile(file, Hands(3));
    follower.m_handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 2);
    follower.AddedAndModified(file);
    EXPECT_EQ(follower.m_nHandCount, 5);
    EXPECT_TRUE(follower.m_log.m_lines.empty());
}

// The folder's own watch failing stops the count and is shown; a subfolder without a watch is
// only logged, since the rest still counts.
TEST_F(FollowHandlerCalls, OnlyTheFolderItselfFailingKeepsThePeriodFromCounting)
{
    const std::wstring folder = Key(dir.path());
    follower.m_handler.OnWatchStarted(0, folder);
    follower.m_handler.OnReadError(ENOSPC, folder + L"/2024");
    EXPECT_EQ(follower.m_log.Count(L"while watching the history subfolder = " + folder + L"/2024"),
              1u);
    EXPECT_TRUE(follower.m_handler.CountingProblem().empty());
    follower.m_handler.OnReadError(ENODEV, folder);
    EXPECT_EQ(follower.m_handler.CountingProblem().rfind(
                  L"Cannot watch the history folder: " + folder + L" (", 0),
              0u);
    follower.m_handler.OnWatchStopped(folder);
    EXPECT_TRUE(follower.m_handler.CountingProblem().empty());
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
// still queued or settling then reach it whole.
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
