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

// The handler as the timer window uses it, with real inotify reports delivered on this thread.
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
    void ExpectHands(int hands)
    {
        EXPECT_EQ(follower.m_nHandCount, hands);
        EXPECT_EQ(follower.m_nVppCents, hands * kHandVppCents);
    }

    TempDir dir;
    Follower follower;
};

// Scanned files are read on from their size then, new ones from the start, others never; a
// renamed file is not followed under its new name; one moved in over a followed one is new.
TEST_F(FollowHandler, StartReadsScannedFilesOnAndNewOnesFromTheirStart)
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
    AppendFile(stale, Hand(3));
    WriteFile(created, Hands(3, 10));
    ASSERT_TRUE(follower.WaitUntilRead(scanned));
    ASSERT_TRUE(follower.WaitUntilRead(created));
    EXPECT_FALSE(follower.Knows(stale));
    ExpectHands(4);
    EXPECT_DOUBLE_EQ(follower.m_dVpp, 1.2);

    fs::rename(scanned, dir / "HH renamed.txt");
    AppendFile(dir / "HH renamed.txt", Hand(4));
    TempDir outside;
    WriteFile(outside / "HH new.txt", Hands(2, 20));
    fs::rename(outside / "HH new.txt", created);
    ASSERT_TRUE(follower.Settle(dir.path()));
    EXPECT_TRUE(follower.Knows(scanned));
    EXPECT_FALSE(follower.Knows(dir / "HH renamed.txt"));
    EXPECT_EQ(follower.Offset(created), 0);
    AppendFile(created, Hand(22));
    ASSERT_TRUE(follower.WaitUntilRead(created));
    ExpectHands(7);
    EXPECT_TRUE(follower.m_log.m_lines.empty());
}

// A hand flushed in three pieces 0, 1 and 20 ms apart is read once the file was quiet for the
// settle time, whole; a stop reads a hand still settling.
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
    ExpectHands(1);
    AppendFile(file, Hand(2));
    ASSERT_TRUE(follower.m_watcher.UnwatchDirectory(Key(dir.path())));
    ExpectHands(2);
}

// A line without end is searched once, not at every change, so another table's hand counts
// meanwhile; past the bound it is skipped up to its end, named once in the log.
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
    ExpectHands(2);
    AppendFile(endless, piece + "\n" + Hand(3));
    ASSERT_TRUE(follower.WaitUntilRead(endless));
    ExpectHands(3);
    EXPECT_EQ(follower.m_log.m_lines,
              std::vector<std::wstring>{L"A line longer than 4 MiB is skipped up to its end in "
                                        L"history file = " +
                                        Key(endless)});
}

// Files made while Start runs, among many there before: every one is followed, none twice.
TEST_F(FollowHandler, FilesMadeInTheMomentOfStartAreFollowedFromTheirStart)
{
    constexpr int kNew = 100;
    for (int i = 0; i < 1000; ++i)
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

// A followed file replaced under its name is read from its start once: deleted and made again
// at once (the old file's change must not read the new one), or cut and written anew longer.
TEST_F(FollowHandler, AFileReplacedUnderItsNameIsReadFromItsStartOnce)
{
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    const fs::path recreated = dir / "HH recreated.txt";
    const fs::path rewritten = dir / "HH rewritten.txt";
    WriteFile(recreated, Hand(1));
    WriteFile(rewritten, Hands(2, 10));
    ASSERT_TRUE(follower.WaitUntilRead(recreated));
    ASSERT_TRUE(follower.WaitUntilRead(rewritten));
    AppendFile(recreated, Hand(2)); // the moment before the delete: may be lost
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

// The watched folder deleted: logged, the player told; made again, it is watched again (one
// more line) and its files are new, read from their start.
TEST_F(FollowHandler, AFolderDeletedAndMadeAgainIsWatchedAgain)
{
    const fs::path history = dir / "history";
    const fs::path file = history / "HH table.txt";
    WriteFile(file, Hand(1));
    ASSERT_EQ(follower.Start(history), 0u);
    AppendFile(file, Hand(2));
    ASSERT_TRUE(follower.WaitUntilRead(file));
    fs::remove_all(history);
    ASSERT_TRUE(WaitFor([&] { return !follower.m_handler.CountingProblem().empty(); }));
    EXPECT_EQ(follower.m_handler.CountingProblem(), L"History folder not found: " + Key(history));
    EXPECT_EQ(follower.m_log.Count(L"while watching the history folder = " + Key(history)), 1u);
    WriteFile(file, Hands(2, 3));
    ASSERT_TRUE(follower.WaitUntilRead(file, 10s));
    ExpectHands(3);
    EXPECT_TRUE(follower.m_handler.CountingProblem().empty());
    EXPECT_EQ(follower.m_log.m_lines.size(), 2u);
    EXPECT_EQ(follower.m_log.Count(L"History folder watched again = " + Key(history)), 1u);
}

// Called directly: a failed read is logged and shown until the file reads again; the folder's
// own watch failing is shown, a subfolder's only logged.
TEST_F(FollowHandler, WhatKeepsThePeriodFromCountingIsLoggedAndShownWhileItLasts)
{
    const fs::path file = dir / "HH a folder.txt";
    fs::create_directory(file);
    follower.m_offsets[Key(file)] = 0;
    follower.m_handler.OnFileModified(Key(file));
    ExpectHands(0);
    EXPECT_EQ(follower.Offset(file), 0);
    EXPECT_EQ(follower.m_log.m_lines, std::vector<std::wstring>{ReadErrorLine(EISDIR, file)});
    EXPECT_TRUE(follower.m_handler.CountingProblem().starts_with(L"Cannot read " + Key(file)));
    fs::remove(file);
    WriteFile(file, Hand(1));
    follower.m_handler.OnFileModified(Key(file));
    ExpectHands(1);
    EXPECT_TRUE(follower.m_handler.CountingProblem().empty());

    const std::wstring folder = Key(dir.path());
    follower.m_handler.OnWatchStarted(0, folder);
    follower.m_handler.OnReadError(ENOSPC, folder + L"/2024");
    EXPECT_EQ(follower.m_log.Count(L"while watching the history subfolder = " + folder), 1u);
    EXPECT_TRUE(follower.m_handler.CountingProblem().empty());
    follower.m_handler.OnReadError(ENODEV, folder);
    EXPECT_TRUE(follower.m_handler.CountingProblem().starts_with(
        L"Cannot watch the history folder: " + folder + L" ("));
    follower.m_handler.OnWatchStopped(folder);
    EXPECT_TRUE(follower.m_handler.CountingProblem().empty());
}

// Only known paths are read; an add starts a new file at 0, but a late add of the file read
// from its start changes nothing, nor does a late remove while the file is there.
TEST_F(FollowHandler, AddsAndRemovesGoByTheFileNotByItsNameAlone)
{
    const fs::path file = dir / "HH twice.txt";
    WriteFile(file, Hands(2));
    follower.m_handler.OnFileModified(Key(file));
    follower.m_offsets[Key(dir / "hh twice.txt")] = 0;
    follower.m_handler.OnFileModified(Key(file));
    ExpectHands(0);
    follower.AddedAndModified(file);
    follower.AddedAndModified(file);
    follower.m_handler.OnFileRemoved(Key(file));
    ExpectHands(2);
    fs::remove(file);
    follower.m_handler.OnFileRemoved(Key(file));
    EXPECT_FALSE(follower.Knows(file));
    WriteFile(file, Hands(3));
    follower.m_handler.OnFileModified(Key(file));
    follower.AddedAndModified(file);
    ExpectHands(5);
}

// Much text at once is one block read in pieces; an unfinished last line waits for its end.
TEST_F(FollowHandler, MuchTextAtOnceCountsAsOneBlockAndLeavesAnUnfinishedLine)
{
    const fs::path file = dir / "HH big.txt";
    const std::string longLine(CDirectoryChangeHandlerHistory::kReadChunkBytes * 2 + 17, 'x');
    const std::string text = longLine + "\n" + Hands(1500) + "PokerStars Hand #1: unfinish";
    WriteFile(file, text);
    follower.AddedAndModified(file);
    EXPECT_EQ(follower.Offset(file), static_cast<std::int64_t>(text.rfind('\n') + 1));
    EXPECT_EQ(follower.m_nVppCents, 1499 * kHandVppCents + 17);
    AppendFile(file, "ed\n" + Hand(2000));
    follower.m_handler.OnFileModified(Key(file));
    EXPECT_EQ(follower.m_nHandCount, 1502);
}

// Destroying a watched handler stops its watch first: the last reports reach it whole.
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
    WriteFile(dir / "HH last.txt", Hands(2));
    handler.reset();
    EXPECT_FALSE(watcher.IsWatching(Key(dir.path())));
    EXPECT_EQ(hands, 2);
}

} // namespace
