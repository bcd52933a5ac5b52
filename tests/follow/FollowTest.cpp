// Following a history folder as the timer window and zellwick-count --follow do.

#include "corvask/corvask.h"
#include "history/DirectoryChangeHandlerHistory.h"
#include "tests/support/SampleHand.h"
#include "tests/support/TestSupport.h"
#include "watch/DirectoryChangeWatcher.h"
#include "watch/PathText.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using namespace zellwick::test;
using namespace std::chrono_literals;

namespace {

// One whole cash hand as the client appends it, numbered; the hero earns kHandVppCents.
std::string Hand(int number)
{
    return SampleCashHand(200000000000LL + number);
}
constexpr int kHandVppCents = 30;

std::string Hands(int count, int first = 1)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += Hand(first + i);
    return text;
}

class MemoryLog : public HistoryLog
{
public:
    void WriteLog(const std::wstring& line) override { m_lines.push_back(line); }
    void WriteRaw(const std::wstring&) override {}
    size_t Count(const std::wstring& text) const // the lines that contain the text
    {
        return static_cast<size_t>(std::count_if(m_lines.begin(), m_lines.end(), [&](auto& line) {
            return line.find(text) != std::wstring::npos;
        }));
    }
    std::vector<std::wstring> m_lines;
};

std::wstring Key(const fs::path& file)
{
    return zellwick::watch::WideFromNative(file.native());
}

std::wstring ReadErrorLine(int error, const fs::path& file)
{
    std::wstring text;
    ErrorShow(static_cast<std::uint32_t>(error), text);
    return L"Error <" + text + L"> while  ReadHistoryFile = " + Key(file);
}

void SetWritten(const fs::path& file, std::time_t when)
{
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
}

// What the timer window owns for following, in the same order.
class Follower
{
public:
    std::uint32_t Watch(const fs::path& dir)
    {
        return m_watcher.WatchDirectory(Key(dir), &m_handler);
    }
    std::uint32_t Start(const fs::path& dir) // as the window: the watch, then the scan
    {
        return m_handler.Follow(m_watcher, Key(dir), std::time(nullptr));
    }
    // Waits, delivering the reports, until the file is followed and read to its end.
    bool WaitUntilRead(const fs::path& file, std::chrono::milliseconds timeout = 20s)
    {
        return WaitFor(
            [&] {
                std::error_code ec;
                const auto size = fs::file_size(file, ec);
                return !ec && Offset(file) == static_cast<std::int64_t>(size);
            },
            timeout);
    }
    // A new followed file without a hand, read: every report before it was delivered.
    bool Settle(const fs::path& dir)
    {
        const fs::path marker = dir / ("settle-" + std::to_string(++m_nSettled) + ".txt");
        WriteFile(marker, "settled\n");
        return WaitUntilRead(marker);
    }
    void AddedAndModified(const fs::path& file) // as the watch calls it
    {
        m_handler.OnFileAdded(Key(file));
        m_handler.OnFileModified(Key(file));
    }
    bool Knows(const fs::path& file) const { return m_offsets.count(Key(file)) != 0; }
    std::int64_t Offset(const fs::path& file) const
    {
        const auto entry = m_offsets.find(Key(file));
        return entry == m_offsets.end() ? -1 : entry->second;
    }
    const std::wstring m_hero = L"Hero";
    std::int32_t m_nHandCount = 0;
    std::int32_t m_nVppCents = 0;
    double m_dVpp = 0.0;
    MemoryLog m_log;
    FileOffsetMap m_offsets;
    HandHistoryParser m_parser{m_hero, RunningTotals{m_nHandCount, m_nVppCents, m_dVpp}, &m_log};
    CDirectoryChangeWatcher m_watcher{true}; // outlives the handler, as in the window
    CDirectoryChangeHandlerHistory m_handler{&m_offsets, m_parser, m_log};

private:
    int m_nSettled = 0;
};

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
    void ExpectHands(int hands) { EXPECT_EQ(follower.m_nVppCents, hands * kHandVppCents) << hands; }
    TempDir dir;
    Follower follower;
};

// Scanned files read on, new ones from the start; renamed ones not followed, moved-in ones new.
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

// A hand flushed in pieces 0, 1 and 20 ms apart is read once settled; a stop reads it too.
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

// An endless line is searched once and skipped past the bound; other files go on.
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
    const std::wstring line =
        L"A line longer than 4 MiB is skipped up to its end in history file = ";
    EXPECT_EQ(follower.m_log.m_lines, std::vector{line + Key(endless)});
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

// A file deleted and made again, or cut and written anew, is read from its start once.
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
    ASSERT_TRUE(follower.Settle(dir.path()));
    EXPECT_GE(follower.m_nHandCount, 3 + 3 + 5);
    EXPECT_LE(follower.m_nHandCount, 3 + 3 + 5 + 1);
    EXPECT_EQ(follower.m_nVppCents, follower.m_nHandCount * kHandVppCents);
}

// The folder deleted: logged and shown; made again, watched again and read from the start.
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

// A failed read is shown until the file reads again; a subfolder's lost watch is only logged.
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

// Late reports of a file already read from its start change nothing.
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

// "HH*.txt" (with case) written within twenty whole hours or later, any depth, at their size.
TEST(HistoryScan, EntersRecentHHTxtFilesToAnyDepthAtTheirSize)
{
    constexpr std::time_t kHour = 3600;
    TempDir dir;
    const std::time_t now = std::time(nullptr);
    const std::tuple<const char*, std::time_t, bool> files[] = {
        {"HH1 Una.txt", 0, true},
        {"HH.txt", 0, true},
        {"20/01/HH deep.txt", 0, true},
        {"HH known.txt", 0, true},
        {"hh1 lower.txt", 0, false},
        {"HH1 upper.TXT", 0, false},
        {"HH1 kept.txt.bak", 0, false},
        {"xHH1.txt", 0, false},
        {"H.txt", 0, false},
        {"HH1 no extension", 0, false},
        {"HH new.txt", 20 * kHour + 3599, true},
        {"HH future.txt", -3 * kHour, true},
        {"HHold.txt", 21 * kHour, false},
        {"HH 1969.txt", now + kHour, false}};
    FileOffsetMap expected{{L"/elsewhere/HH x.txt", 9}};
    std::size_t size = 1;
    for (const auto& [name, age, taken] : files) {
        WriteFile(dir / name, std::string(++size, 'x'));
        SetWritten(dir / name, now - age);
        if (taken)
            expected[Key(dir / name)] = static_cast<std::int64_t>(size);
    }
    fs::create_directory(dir / "HH folder.txt");
    const fs::path before = fs::current_path();
    for (const std::wstring& folder : {Key(dir.path()), Key(dir.path()) + L"/"}) {
        FileOffsetMap offsets{{Key(dir / "HH known.txt"), 3}, {L"/elsewhere/HH x.txt", 9}};
        ScanHistoryFolder(folder, offsets, now);
        EXPECT_EQ(offsets, expected);
    }
    EXPECT_EQ(fs::current_path(), before);
}

// Links below are never followed, the folder itself may be one; nothing where nothing is.
TEST(HistoryScan, NeverFollowsLinksBelowTheFolderButTheFolderItselfMayBeOne)
{
    TempDir dir;
    TempDir outside;
    WriteFile(dir / "a" / "HH inside.txt", "x");
    fs::create_directory_symlink(dir.path(), dir / "a" / "loop");
    fs::create_directory_symlink("..", dir / "a" / "up");
    WriteFile(outside / "HH outside.txt", "x");
    fs::create_directory_symlink(outside.path(), dir / "elsewhere");
    fs::create_symlink(outside / "HH outside.txt", dir / "HH link.txt");
    const fs::path link = outside / "history";
    fs::create_directory_symlink(dir.path(), link);
    const auto scan = [](const std::wstring& folder) {
        FileOffsetMap offsets;
        ScanHistoryFolder(folder, offsets, std::time(nullptr));
        return offsets;
    };
    EXPECT_EQ(scan(Key(dir.path())), (FileOffsetMap{{Key(dir / "a" / "HH inside.txt"), 1}}));
    EXPECT_EQ(scan(Key(link)), (FileOffsetMap{{Key(link / "a" / "HH inside.txt"), 1}}));
    for (const std::wstring& nothing :
         {Key(dir / "missing"), std::wstring(), Key(outside / "HH outside.txt")})
        EXPECT_TRUE(scan(nothing).empty());
}

// The sanitizers make the analysis many times slower; the full sizes run in the normal build.
#ifdef ZELLWICK_FOLLOW_SANITIZED
constexpr int kAppendsPerFile = 100;
constexpr size_t kHugeAppendBytes = size_t{8} << 20;
#else
constexpr int kAppendsPerFile = 400;
constexpr size_t kHugeAppendBytes = size_t{40} << 20;
#endif

// 100 tables, each appended hand by hand (one write each) while the reports are delivered.
TEST(FollowLoad, HundredFilesAppendedHandByHandCountEveryHandOnce)
{
    constexpr int kFiles = 100;
    TempDir dir;
    Follower follower;
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    const auto file = [&](int f) { return dir / ("HH table " + std::to_string(f) + ".txt"); };
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int a = 0; a < kAppendsPerFile; ++a) {
            for (int f = 0; f < kFiles; ++f)
                AppendFile(file(f), Hand(a * kFiles + f));
        }
        done = true;
    });
    const bool written = WaitFor([&] { return done.load(); }, std::chrono::minutes(10));
    writer.join();
    ASSERT_TRUE(written);
    for (int f = 0; f < kFiles; ++f)
        ASSERT_TRUE(follower.WaitUntilRead(file(f), std::chrono::minutes(5))) << f;
    std::string huge; // tens of megabytes in one write: read in pieces, counted as one block
    int hands = kFiles * kAppendsPerFile;
    while (huge.size() < kHugeAppendBytes)
        huge += Hand(++hands);
    AppendFile(file(0), huge);
    ASSERT_TRUE(follower.WaitUntilRead(file(0), std::chrono::minutes(5)));
    EXPECT_EQ(follower.m_nHandCount, hands);
    EXPECT_EQ(follower.m_nVppCents, hands * kHandVppCents);
    EXPECT_TRUE(follower.m_log.m_lines.empty());
}

// A file deleted while its text is read in pieces keeps what was read and logs once.
TEST(FollowFaults, AFileDeletedWhileItIsReadKeepsWhatWasReadAndLogsOnce)
{
    TempDir dir;
    Follower follower;
    struct DeleteOnFirstHand : HandHistoryParser::Observer
    {
        fs::path file;
        void OnHandEvaluated(const HandLines&, const HandFacts&, int) override { fs::remove(file); }
    } observer;
    observer.file = dir / "HH going.txt";
    WriteFile(observer.file, Hands(2000)); // several reading pieces
    follower.m_parser.SetObserver(&observer);
    follower.AddedAndModified(observer.file);
    EXPECT_GT(follower.m_nHandCount, 0);
    EXPECT_LT(follower.m_nHandCount, 2000);
    EXPECT_EQ(follower.m_nVppCents, follower.m_nHandCount * kHandVppCents);
    EXPECT_EQ(follower.m_log.m_lines,
              std::vector<std::wstring>{ReadErrorLine(ENOENT, observer.file)});
}

// Read as another user: the denied file is logged once and shown until it reads again.
TEST(FollowFaults, AFileThatMayNotBeReadIsShownUntilItReadsAgain)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const fs::path file = dir / "HH private.txt";
    const int status = RunAsOtherUser([&] {
        WriteFile(file, Hands(2));
        fs::permissions(file, fs::perms::none);
        Follower follower;
        follower.AddedAndModified(file);
        if (follower.m_nHandCount != 0 || follower.Offset(file) != 0 ||
            follower.m_log.m_lines != std::vector<std::wstring>{ReadErrorLine(EACCES, file)})
            return 1;
        if (!follower.m_handler.CountingProblem().starts_with(L"Cannot read " + Key(file)))
            return 2;
        fs::permissions(file, fs::perms::owner_read);
        follower.m_handler.OnFileModified(Key(file));
        return follower.m_nHandCount == 2 && follower.m_handler.CountingProblem().empty() ? 0 : 3;
    });
    if (status < 0)
        GTEST_SKIP() << "cannot run a check as another user here";
    EXPECT_EQ(status, 0);
}

TEST(FollowFaults, ABinaryFileWithATxtNameIsReportedOnceAndCountsNothing)
{
    TempDir dir;
    Follower follower;
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    const fs::path file = dir / "HH binary.txt";
    const std::string junk(1 << 20, '\0');
    WriteFile(file, junk + "\n");
    ASSERT_TRUE(follower.Settle(dir.path()));
    AppendFile(file, junk + "\n");
    AppendFile(file, Hands(2)); // hands after the damage still count
    ASSERT_TRUE(follower.WaitUntilRead(file));
    EXPECT_EQ(follower.m_nHandCount, 2);
    EXPECT_EQ(follower.m_log.m_lines,
              std::vector<std::wstring>{L"Binary data (not text) in history file = " + Key(file)});
}

// zellwick-count --follow, stopped by Ctrl+C, counts what zellwick-count counts of the text.
TEST(FollowCommand, CountsWhatIsAppendedUntilInterruptedAndPrintsTheTotals)
{
    const std::string count = (BinDir() / "zellwick-count").string();
    const std::string gen = (BinDir() / "zellwick-genhands").string();
    if (!fs::exists(count) || !fs::exists(gen))
        GTEST_SKIP() << "zellwick-genhands and zellwick-count are not built";
    TempDir dir;
    const auto append = [&](const char* file, int hands, int seed) {
        return gen + " --hands " + std::to_string(hands) + " --seed " + std::to_string(seed) +
               " --append-every 0.005 --out " + file;
    };
    const auto waitFor = [](const std::string& text) {
        return "timeout 60 sh -c 'until grep -q \"" + text + "\" err; do sleep 0.05; done' && ";
    };
    ASSERT_EQ(RunCommand("cd " + dir.path().string() + " && mkdir 2024 && " +
                         append("HHold.txt", 20, 31)),
              0);
    const auto oldSize = static_cast<std::size_t>(fs::file_size(dir / "HHold.txt"));
    ASSERT_EQ(RunCommand("cd " + dir.path().string() + "; " + count +
                         " --follow . --hero Hero --json > out 2> err & f=$!; " +
                         waitFor("following") + "{ " + append("2024/HHnew.txt", 120, 32) +
                         " & g=$!; " + append("HHold.txt", 60, 33) + " && wait $g; } && " +
                         waitFor("  180 hands  ") + "kill -INT $f && wait $f"),
              0)
        << ReadFile(dir / "err");
    WriteFile(dir / "appended", ReadFile(dir / "HHold.txt").substr(oldSize));
    std::string expected;
    ASSERT_EQ(RunCommand(count + " --json --hero Hero " + (dir / "2024/HHnew.txt").string() + " " +
                             (dir / "appended").string(),
                         &expected),
              0);
    const auto total = [](const std::string& json) {
        return QJsonDocument::fromJson(QByteArray::fromStdString(json))
            .object()["total"]
            .toObject();
    };
    EXPECT_EQ(total(ReadFile(dir / "out")), total(expected));
    EXPECT_EQ(total(expected)["hands"].toInt(), 180);
    EXPECT_NE(ReadFile(dir / "out").find("\"hands\": 60"), std::string::npos);
    EXPECT_EQ(RunCommand(count + " --hero Hero --follow " + (dir / "missing").string() + " 2>&1",
                         &expected),
              1);
    EXPECT_NE(expected.find("cannot follow"), std::string::npos);
}

} // namespace
