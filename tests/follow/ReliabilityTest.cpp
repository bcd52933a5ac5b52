// Following under load and under faults: nothing is counted twice or lost, every failure
// leaves one clear log line, and nothing crashes.

#include "tests/follow/FollowTestSupport.h"
#include "tests/support/TestSupport.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

// The sanitizers make the analysis many times slower; the full sizes run in the normal build.
#ifdef ZELLWICK_FOLLOW_SANITIZED
constexpr int kAppendsPerFile = 100;
#else
constexpr int kAppendsPerFile = 400;
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
        std::vector<int> fds;
        for (int f = 0; f < kFiles; ++f)
            fds.push_back(::open(file(f).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
        for (int a = 0; a < kAppendsPerFile; ++a) {
            for (int f = 0; f < kFiles; ++f) {
                const std::string hand = Hand(a * kFiles + f);
                if (::write(fds[f], hand.data(), hand.size()) != static_cast<ssize_t>(hand.size()))
                    ADD_FAILURE() << "short write";
            }
        }
        for (const int fd : fds)
            ::close(fd);
        done = true;
    });
    const bool written = WaitFor([&] { return done.load(); }, std::chrono::minutes(10));
    writer.join();
    ASSERT_TRUE(written);
    for (int f = 0; f < kFiles; ++f)
        ASSERT_TRUE(follower.WaitUntilRead(file(f), std::chrono::minutes(5))) << f;
    EXPECT_EQ(follower.m_nHandCount, kFiles * kAppendsPerFile);
    EXPECT_EQ(follower.m_nVppCents, kFiles * kAppendsPerFile * kHandVppCents);
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

TEST(FollowFaults, ABinaryFileWithATxtNameIsReportedOnceAndCountsNothing)
{
    TempDir dir;
    Follower follower;
    ASSERT_EQ(follower.Watch(dir.path()), 0u);
    const fs::path file = dir / "HH binary.txt";
    std::mt19937 random(7);
    std::string junk(1 << 20, '\0');
    for (char& byte : junk)
        byte = static_cast<char>(random() & 0xFF);
    WriteFile(file, junk);
    ASSERT_TRUE(follower.Settle(dir.path()));
    AppendFile(file, junk);
    ASSERT_TRUE(follower.Settle(dir.path()));
    EXPECT_EQ(follower.m_nHandCount, 0);
    EXPECT_EQ(follower.m_log.m_lines,
              std::vector<std::wstring>{L"Binary data (not text) in history file = " + Key(file)});
    junk.assign(1, '\n');
    AppendFile(file, junk.append(Hands(2))); // hands after the damage still count
    ASSERT_TRUE(follower.WaitUntilRead(file));
    EXPECT_EQ(follower.m_nHandCount, 2);
}

} // namespace
