#include "tests/support/TestSupport.h"
#include "tests/watch/RecordingHandler.h"
#include "watch/DirectoryChangeWatcher.h"
#include "watch/PathText.h"

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

// Follows files the way the history handler does: a file added while watched is read from
// its start, and each change reads on from where the last read ended (whole lines only).
class FollowingHandler : public CDirectoryChangeHandler
{
public:
    ~FollowingHandler() override { UnwatchFromBoundWatcher(); }

    void OnFileAdded(const std::wstring& path) override
    {
        Note();
        m_offsets[path] = 0;
    }
    void OnFileRemoved(const std::wstring& path) override
    {
        Note();
        m_offsets.erase(path);
    }
    void OnFileModified(const std::wstring& path) override
    {
        Note();
        const auto entry = m_offsets.find(path);
        if (entry != m_offsets.end())
            ReadOn(path, entry->second);
    }
    void OnWatchStopped(const std::wstring&) override { m_bStopped = true; }

    long m_nLines = 0;
    int m_nCallsAfterStop = 0;
    bool m_bStopped = false;
    std::map<std::wstring, off_t> m_offsets;

private:
    void Note()
    {
        if (m_bStopped)
            ++m_nCallsAfterStop;
    }

    void ReadOn(const std::wstring& path, off_t& offset)
    {
        const int fd = ::open(zellwick::watch::NativeFromWide(path).c_str(), O_RDONLY);
        if (fd < 0)
            return;
        char buffer[65536];
        ssize_t got = 0;
        while ((got = ::pread(fd, buffer, sizeof buffer, offset)) > 0) {
            ssize_t lastBreak = -1;
            for (ssize_t i = 0; i < got; ++i) {
                if (buffer[i] == '\n') {
                    ++m_nLines;
                    lastBreak = i;
                }
            }
            if (lastBreak < 0)
                break;
            offset += lastBreak + 1;
        }
        ::close(fd);
    }
};

// 100 files, each appended 1,000 times (a whole hand per write) while watched: every line is
// read exactly once, and after the stop nothing more arrives.
TEST(WatcherLoad, EveryAppendIsSeenAndNothingAfterTheStop)
{
    constexpr int kFiles = 100;
    constexpr int kAppends = 1000;
    TempDir dir;
    CDirectoryChangeWatcher watcher;
    FollowingHandler handler;
    ASSERT_EQ(watcher.WatchDirectory(dir.wpath(), &handler), 0u);

    std::atomic<bool> written{false};
    std::thread writer([&] {
        std::vector<int> files;
        for (int f = 0; f < kFiles; ++f) {
            const fs::path file = dir / ("HH" + std::to_string(f) + ".txt");
            files.push_back(::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644));
        }
        for (int a = 0; a < kAppends; ++a) {
            for (int f = 0; f < kFiles; ++f) {
                const std::string hand =
                    "hand " + std::to_string(a) + " of table " + std::to_string(f) + "\n";
                if (::write(files[f], hand.data(), hand.size()) < 0)
                    return;
            }
        }
        for (const int fd : files)
            ::close(fd);
        written = true;
    });
    // The changes are delivered while the writer is still at work.
    EXPECT_TRUE(WaitFor([&] { return written.load(); }, std::chrono::minutes(5)));
    writer.join();
    const bool allRead =
        WaitFor([&] { return handler.m_nLines == kFiles * kAppends; }, std::chrono::minutes(5));
    EXPECT_TRUE(allRead) << handler.m_nLines << " lines read";
    ASSERT_EQ(handler.m_offsets.size(), static_cast<size_t>(kFiles));
    for (const auto& [path, offset] : handler.m_offsets)
        EXPECT_EQ(offset, static_cast<off_t>(fs::file_size(Narrow(path)))) << Narrow(path);

    ASSERT_TRUE(watcher.UnwatchDirectory(dir.wpath()));
    EXPECT_TRUE(handler.m_bStopped);
    AppendFile(dir / "HH0.txt", "hand after the stop\n");
    WriteFile(dir / "HH-late.txt", "hand after the stop\n");
    TempDir marker;
    RecordingHandler markerHandler;
    ASSERT_EQ(watcher.WatchDirectory(marker.wpath(), &markerHandler), 0u);
    WriteFile(marker / "m.txt", "x");
    ASSERT_TRUE(markerHandler.WaitForCall("modified", (marker / "m.txt").wstring()));
    EXPECT_EQ(handler.m_nCallsAfterStop, 0);
    EXPECT_EQ(handler.m_nLines, kFiles * kAppends);
}

} // namespace
