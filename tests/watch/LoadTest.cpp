#include "tests/support/TestSupport.h"
#include "tests/watch/RecordingHandler.h"
#include "watch/DirectoryChangeWatcher.h"

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

// Reads on from offset, as the history handler does, up to the last whole line; returns the
// lines read.
long ReadOn(const std::wstring& path, off_t& offset)
{
    std::ifstream in(fs::path(Narrow(path)), std::ios::binary);
    in.seekg(offset);
    const std::string rest{std::istreambuf_iterator<char>(in), {}};
    const size_t end = rest.rfind('\n');
    if (end == std::string::npos)
        return 0;
    offset += static_cast<off_t>(end + 1);
    return std::count(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(end + 1), '\n');
}

// 100 files, each appended 1,000 times (a whole hand per write) while watched: every line is
// read exactly once (a file added while watched is read from its start), and after the stop
// nothing more arrives.
TEST(WatcherLoad, EveryAppendIsSeenAndNothingAfterTheStop)
{
    constexpr int kFiles = 100;
    constexpr int kAppends = 1000;
    TempDir dir;
    CDirectoryChangeWatcher watcher;
    RecordingHandler handler;
    std::map<std::wstring, off_t> offsets;
    long lines = 0;
    handler.onCall = [&](const RecordingHandler::Call& call) {
        if (call.what == "added")
            offsets[call.path] = 0;
        else if (call.what == "modified" && offsets.count(call.path))
            lines += ReadOn(call.path, offsets[call.path]);
    };
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
        WaitFor([&] { return lines == kFiles * kAppends; }, std::chrono::minutes(5));
    EXPECT_TRUE(allRead) << lines << " lines read";
    ASSERT_EQ(offsets.size(), static_cast<size_t>(kFiles));
    for (const auto& [path, offset] : offsets)
        EXPECT_EQ(offset, static_cast<off_t>(fs::file_size(Narrow(path)))) << Narrow(path);

    ASSERT_TRUE(watcher.UnwatchDirectory(dir.wpath()));
    const size_t calls = handler.Calls().size();
    EXPECT_EQ(handler.Calls().back().what, "stopped");
    AppendFile(dir / "HH0.txt", "hand after the stop\n");
    WriteFile(dir / "HH-late.txt", "hand after the stop\n");
    // A later change of another folder, delivered through the same queue, marks the end.
    TempDir marker;
    RecordingHandler markerHandler;
    ASSERT_EQ(watcher.WatchDirectory(marker.wpath(), &markerHandler), 0u);
    WriteFile(marker / "m.txt", "x");
    ASSERT_TRUE(markerHandler.WaitForCall("modified", (marker / "m.txt").wstring()));
    EXPECT_EQ(handler.Calls().size(), calls);
    EXPECT_EQ(lines, kFiles * kAppends);
}

} // namespace
