#include "tests/support/TestSupport.h"
#include "tests/watch/RecordingHandler.h"
#include "watch/DirectoryChangeWatcher.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zellwick::test;

namespace {

int QueueLimit()
{
    std::ifstream in("/proc/sys/fs/inotify/max_queued_events");
    int limit = 0;
    in >> limit;
    return limit;
}

// More events than the kernel queues, on two files in turn so that none are merged.
void Flood(const fs::path& one, const fs::path& two, int events)
{
    const int first = ::open(one.c_str(), O_WRONLY | O_APPEND);
    const int second = ::open(two.c_str(), O_WRONLY | O_APPEND);
    for (int i = 0; i < events / 2 + 10; ++i) {
        if (::write(first, "y", 1) != 1 || ::write(second, "y", 1) != 1)
            break;
    }
    ::close(first);
    ::close(second);
}

// The worker is held up while the window thread delivers a stop notice of another folder;
// meanwhile the watched folder gets more events than the kernel can queue. The rescan after
// the overflow must tell of every change made in that time.
TEST(WatcherOverflow, ChangesMadeWhileEventsWereLostAreAllReported)
{
    const int limit = QueueLimit();
    if (limit <= 0 || limit > 200000)
        GTEST_SKIP() << "the inotify queue limit (" << limit << ") is out of reach for a test";
    TempDir watched;
    TempDir other;
    for (const char* name : {"k1.txt", "k2.txt", "gone.txt", "quiet.txt"})
        WriteFile(watched / name, "x\n");
    CDirectoryChangeWatcher watcher;
    RecordingHandler handler;
    ASSERT_EQ(watcher.WatchDirectory(watched.wpath(), &handler), 0u);
    ASSERT_EQ(watcher.WatchDirectory(other.wpath(), &handler), 0u);
    handler.onCall = [&](const RecordingHandler::Call& call) {
        if (call.what != "stopped" || call.path != other.wpath())
            return;
        Flood(watched / "k1.txt", watched / "k2.txt", limit + 100);
        fs::remove(watched / "gone.txt");
        WriteFile(watched / "new" / "n1.txt", "hand\n");
    };
    ASSERT_TRUE(watcher.UnwatchDirectory(other.wpath()));
    handler.onCall = nullptr;

    auto path = [&](const char* name) { return (watched / name).wstring(); };
    ASSERT_TRUE(handler.WaitForCall("modified", path("quiet.txt"))); // the rescan's sign
    ASSERT_TRUE(handler.WaitForCall("modified", path("new/n1.txt")));
    EXPECT_EQ(handler.Count("added", path("new/n1.txt")), 1u);
    EXPECT_EQ(handler.Count("removed", path("gone.txt")), 1u);
    EXPECT_GE(handler.Count("modified", path("k1.txt")), 1u);
    EXPECT_GE(handler.Count("modified", path("k2.txt")), 1u);
    // Watching goes on, the new folder included.
    AppendFile(watched / "new" / "n1.txt", "hand\n");
    EXPECT_TRUE(WaitFor([&] { return handler.Count("modified", path("new/n1.txt")) >= 2; }));
}

} // namespace
