#include "tests/support/TestSupport.h"
#include "tests/watch/RecordingHandler.h"
#include "watch/DirectoryChangeWatcher.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zellwick::test;
using ::testing::ElementsAre;

namespace {

class HookedWatcher : public CDirectoryChangeWatcher
{
public:
    ~HookedWatcher() override { UnwatchAll(); }
    std::atomic<int> starts{0};
    std::atomic<int> exits{0};

protected:
    void OnWorkerStart() override { ++starts; }
    void OnWorkerExit() override { ++exits; }
};

class WatcherTest : public ::testing::Test
{
protected:
    // Declared before the handler, so the handler goes first, as in the window.
    HookedWatcher m_watcher;
    RecordingHandler m_handler;
    TempDir m_dir;

    std::wstring Dir() const { return m_dir.wpath(); }
    std::wstring PathOf(const std::string& name) const { return (m_dir / name).wstring(); }
    void Watch(const std::wstring& dir)
    {
        ASSERT_EQ(m_watcher.WatchDirectory(dir, &m_handler), 0u);
    }
    void Watch() { Watch(Dir()); }
    std::vector<std::string> Summary() const { return m_handler.Summary(Dir()); }
};

// An empty path or no handler: 87; a file or a missing path: 161. Also left in errno.
TEST_F(WatcherTest, RefusesWhatCannotBeWatched)
{
    WriteFile(m_dir / "plain.txt", "x");
    auto refused = [&](const std::wstring& path, CDirectoryChangeHandler* handler) {
        errno = 0;
        const std::uint32_t result = m_watcher.WatchDirectory(path, handler);
        EXPECT_EQ(errno, static_cast<int>(result));
        EXPECT_FALSE(m_watcher.IsWatching(path));
        return result;
    };
    EXPECT_EQ(refused(L"", &m_handler), 87u);
    EXPECT_EQ(refused(Dir(), nullptr), 87u);
    EXPECT_EQ(refused(PathOf("plain.txt"), &m_handler), 161u);
    EXPECT_EQ(refused(PathOf("missing"), &m_handler), 161u);
    EXPECT_EQ(m_handler.BoundWatcher(), nullptr);
    EXPECT_EQ(m_handler.RefCount(), 1);
    EXPECT_FALSE(m_watcher.UnwatchAll()); // no worker was ever started
}

// The chosen folder may be a link (as under Wine's drive folders) and may end with a '/'.
// Names longer than the 260 characters of old path buffers, or not UTF-8, arrive whole: the
// handler gets a path that opens the file.
TEST_F(WatcherTest, PathsKeepTheFolderAsGivenAndReachEveryFileWhole)
{
    const std::string longName = std::string(200, 'f') + "/" + std::string(150, 'n') + ".txt";
    fs::create_directories(m_dir / "real" / "sub" / "deeper");
    fs::create_directories(m_dir / "real" / std::string(200, 'f'));
    fs::create_directory_symlink(m_dir / "real", m_dir / "link");
    const std::wstring given = PathOf("link") + L"/";
    Watch(given);
    for (const std::string& name : {std::string("sub/deeper/c.txt"), longName,
                                    std::string("caf\xe9.txt")}) // the last in Latin-1
        WriteFile(m_dir / "real" / name, "x");
    ASSERT_TRUE(WaitFor([&] { return m_handler.Count("added") == 3; }));
    EXPECT_EQ(m_handler.Calls().front().path, given); // the started notice
    EXPECT_EQ(m_handler.Count("added", given + L"sub/deeper/c.txt"), 1u);
    EXPECT_EQ(m_handler.Count("added", given + fs::path(longName).wstring()), 1u);
    for (const auto& call : m_handler.Calls())
        EXPECT_TRUE(call.what != "added" || fs::exists(fs::path(Narrow(call.path))));
}

// Each change is reported in order, on the thread that watches. Only names ending in a
// lower-case ".txt" pass the filter; a rename passes on either name.
TEST_F(WatcherTest, ReportsEveryChangeInOrderOnTheThreadThatWatches)
{
    TempDir outside;
    const fs::path& dir = m_dir.path();
    for (const char* name : {"old.txt", "moved.txt", "one/a.txt", "gone/g.txt", "e.log", "f.txt",
                             "last.txt", "dir.txt/x.log"})
        WriteFile(dir / name, "x\n");
    WriteFile(outside / "in.txt", "x\n");
    fs::create_directories(dir / "two");
    Watch();
    EXPECT_EQ(errno, 0);
    std::vector<std::string> expected{"started . 0"};
    auto reported = [&](std::initializer_list<std::string> lines) {
        expected.insert(expected.end(), lines);
    };
    AppendFile(dir / "old.txt", "y\n"); // there before the watch: not added
    reported({"modified old.txt"});
    WriteFile(dir / "a.txt", "hand 1\n");
    AppendFile(dir / "a.txt", "hand 2\n");
    fs::rename(dir / "a.txt", dir / "b.txt");
    fs::remove(dir / "b.txt");
    reported({"added a.txt", "modified a.txt", "renamed a.txt -> b.txt", "removed b.txt"});
    fs::rename(outside / "in.txt", dir / "in.txt");
    reported({"added in.txt"});
    fs::rename(dir / "moved.txt", outside / "moved.txt"); // the old one goes before the new
    WriteFile(dir / "moved.txt", "new\n");
    reported({"removed moved.txt", "added moved.txt", "modified moved.txt"});
    fs::rename(dir / "one" / "a.txt", dir / "two" / "a.txt");
    fs::rename(dir / "two", dir / "three");
    AppendFile(dir / "three" / "a.txt", "more\n");
    reported({"renamed one/a.txt -> two/a.txt", "renamed two/a.txt -> three/a.txt",
              "modified three/a.txt"});
    fs::rename(dir / "gone", outside / "gone"); // takes its files; no longer watched
    AppendFile(outside / "gone" / "g.txt", "no longer ours\n");
    reported({"removed gone/g.txt"});
    for (const char* name : {"b.TXT", "c.txt.bak", "noext", "dir.txt/y.log", "sub.d/d.txt"})
        WriteFile(dir / name, "x");
    reported({"added sub.d/d.txt", "modified sub.d/d.txt"});
    fs::rename(dir / "e.log", dir / "e.txt");
    fs::rename(dir / "f.txt", dir / "f.log");
    reported({"renamed e.log -> e.txt", "renamed f.txt -> f.log"});
    fs::rename(dir / "last.txt", outside / "last.txt"); // removed once no partner came in time
    reported({"removed last.txt"});

    ASSERT_TRUE(m_handler.WaitForCall("removed", PathOf("last.txt")));
    EXPECT_EQ(Summary(), expected);
    for (const auto& call : m_handler.Calls())
        EXPECT_EQ(call.thread, std::this_thread::get_id()) << call.what;
}

// A folder moved in tells of the files already inside: added, and modified when they hold
// text. A file created right after its folder races the folder's listing against its own
// creation event; either way it is added exactly once. The new folders are watched too.
TEST_F(WatcherTest, FilesInNewFoldersAreAddedOnceAndTheFoldersWatched)
{
    TempDir outside;
    WriteFile(outside / "new" / "h1.txt", "hand\n");
    WriteFile(outside / "new" / "deep" / "h2.txt", "hand\n");
    WriteFile(outside / "new" / "empty.txt", "");
    Watch();
    fs::rename(outside / "new", m_dir / "new");
    std::vector<std::string> created;
    for (int i = 0; i < 40; ++i) {
        created.push_back("s" + std::to_string(i) + "/h.txt");
        WriteFile(m_dir / created.back(), "hand\n");
    }
    WriteFile(m_dir / "marker.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("modified", PathOf("marker.txt")));
    for (const std::string& name : created) {
        EXPECT_EQ(m_handler.Count("added", PathOf(name)), 1u) << name;
        EXPECT_GE(m_handler.Count("modified", PathOf(name)), 1u) << name;
    }
    for (const char* name : {"new/h1.txt", "new/deep/h2.txt"}) {
        EXPECT_EQ(m_handler.Count("added", PathOf(name)), 1u) << name;
        EXPECT_EQ(m_handler.Count("modified", PathOf(name)), 1u) << name;
    }
    EXPECT_EQ(m_handler.Count("added", PathOf("new/empty.txt")), 1u);
    EXPECT_EQ(m_handler.Count("modified", PathOf("new/empty.txt")), 0u);
    AppendFile(m_dir / "new" / "deep" / "h2.txt", "hand\n");
    EXPECT_TRUE(
        WaitFor([&] { return m_handler.Count("modified", PathOf("new/deep/h2.txt")) == 2; }));
}

// Paths are compared without case and are not normalised.
TEST_F(WatcherTest, APathNamesOneWatchAndWatchingItAgainReplacesIt)
{
    EXPECT_FALSE(m_watcher.UnwatchDirectory(Dir()));
    Watch();
    Watch();
    ASSERT_TRUE(WaitFor([&] { return m_handler.Count("started") == 2; }));
    EXPECT_THAT(Summary(), ElementsAre("started . 0", "stopped .", "started . 0"));
    std::wstring upper = Dir();
    for (auto& ch : upper)
        ch = static_cast<wchar_t>(std::towupper(ch));
    EXPECT_TRUE(m_watcher.IsWatching(upper));
    EXPECT_FALSE(m_watcher.IsWatching(Dir() + L"/"));
    EXPECT_FALSE(m_watcher.UnwatchDirectory(Dir() + L"/"));
    EXPECT_FALSE(m_watcher.UnwatchDirectory(PathOf("other")));
    EXPECT_FALSE(m_watcher.UnwatchHandler(nullptr));
    EXPECT_TRUE(m_watcher.IsWatching(Dir()));
    EXPECT_TRUE(m_watcher.UnwatchDirectory(upper));
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    EXPECT_FALSE(m_watcher.UnwatchDirectory(Dir()));
}

// The stop returns only after the handler heard of it, with every change made before it;
// afterwards nothing more of that folder arrives. A second folder's change, delivered after a
// later write to the first, proves it: one queue carries both in order.
TEST_F(WatcherTest, AfterUnwatchReturnsTheStopWasDeliveredAndNothingFollows)
{
    Watch();
    WriteFile(m_dir / "a.txt", "last hand\n");
    ASSERT_TRUE(m_watcher.UnwatchDirectory(Dir()));
    const auto calls = m_handler.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().what, "stopped");
    EXPECT_EQ(m_handler.Count("added", PathOf("a.txt")), 1u);
    EXPECT_EQ(m_handler.Count("modified", PathOf("a.txt")), 1u);

    AppendFile(m_dir / "a.txt", "after the stop\n");
    WriteFile(m_dir / "b.txt", "after the stop\n");
    TempDir other;
    Watch(other.wpath());
    WriteFile(other / "marker.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("modified", (other / "marker.txt").wstring()));
    EXPECT_EQ(m_handler.Calls().size(), calls.size() + 3); // started, added, modified
}

// The worker outlives a folder's stop and waits for the next; UnwatchAll ends it.
TEST_F(WatcherTest, UnwatchAllStopsEveryFolderAndEndsTheWorker)
{
    TempDir other;
    Watch();
    Watch(other.wpath());
    EXPECT_TRUE(m_watcher.UnwatchAll());
    EXPECT_EQ(m_handler.Count("stopped"), 2u);
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    EXPECT_FALSE(m_watcher.UnwatchAll());
    EXPECT_EQ(m_handler.BoundWatcher(), nullptr);
    EXPECT_EQ(m_watcher.exits, 1);

    Watch();
    WriteFile(m_dir / "a.txt", "x");
    EXPECT_TRUE(m_handler.WaitForCall("added", PathOf("a.txt")));
    EXPECT_TRUE(m_watcher.UnwatchDirectory(Dir()));
    EXPECT_EQ(m_watcher.starts, 2);
    EXPECT_EQ(m_watcher.exits, 1);
}

// A throwing report does not stop the ones behind it; a throwing watch-stopped notice still
// lets the stop finish, also one the handler asked for from inside a report.
TEST_F(WatcherTest, TheHandlerMayThrowOrStopItsOwnWatchInsideAReport)
{
    m_handler.onCall = [this](const RecordingHandler::Call& call) {
        if (call.what == "added" && call.path == PathOf("c.txt"))
            m_watcher.UnwatchDirectory(Dir());
        if (call.what == "modified" || call.what == "stopped")
            throw std::runtime_error("handler failure");
    };
    Watch();
    WriteFile(m_dir / "a.txt", "x");
    WriteFile(m_dir / "b.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("modified", PathOf("b.txt")));
    EXPECT_EQ(m_handler.Count("modified", PathOf("a.txt")), 1u);
    WriteFile(m_dir / "c.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("stopped", Dir()));
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    EXPECT_EQ(m_handler.BoundWatcher(), nullptr);
    m_handler.onCall = nullptr;
    Watch();
    WriteFile(m_dir / "d.txt", "x");
    EXPECT_TRUE(m_handler.WaitForCall("added", PathOf("d.txt")));
}

// The read-error path: the handler hears of it once the files known there are removed; the
// folder, made again, can be watched again. Nothing of the old folder arrives any more.
TEST_F(WatcherTest, AFolderDeletedOrMovedAwayEndsItsWatchAndCanBeWatchedAgain)
{
    EXPECT_NE(CDirectoryChangeWatcher::ErrorText(ENOENT).find(L"No such file"), std::wstring::npos);
    for (const bool deleted : {true, false}) {
        SCOPED_TRACE(deleted ? "deleted" : "moved away");
        const fs::path folder = m_dir / (deleted ? "deleted" : "moved");
        const std::wstring name = folder.wstring();
        WriteFile(folder / "a.txt", "x");
        Watch(name);
        if (deleted)
            fs::remove_all(folder);
        else
            fs::rename(folder, m_dir / "elsewhere");
        ASSERT_TRUE(m_handler.WaitForCall("error", name));
        EXPECT_EQ(m_handler.Calls().back().number, static_cast<std::uint32_t>(ENOENT));
        if (deleted) {
            EXPECT_EQ(m_handler.Count("removed", name + L"/a.txt"), 1u);
        }
        EXPECT_FALSE(m_watcher.IsWatching(name));
        EXPECT_FALSE(m_watcher.UnwatchDirectory(name));
        EXPECT_TRUE(WaitFor([&] { return m_handler.BoundWatcher() == nullptr; }));
        if (!deleted)
            WriteFile(m_dir / "elsewhere" / "b.txt", "x");

        fs::create_directories(folder);
        Watch(name);
        WriteFile(folder / "c.txt", "x");
        ASSERT_TRUE(m_handler.WaitForCall("added", name + L"/c.txt"));
        EXPECT_EQ(m_handler.Count("added", name + L"/b.txt"), 0u);
        EXPECT_TRUE(m_watcher.UnwatchDirectory(name));
    }
}

TEST_F(WatcherTest, NoStopNoticeMeansNoWatchStoppedAndNoWait)
{
    CDirectoryChangeWatcher quiet(true, FILTER_FILE_NAME_ONLY | FILTER_NO_STOP_NOTICE);
    ASSERT_EQ(quiet.WatchDirectory(Dir(), &m_handler), 0u);
    EXPECT_TRUE(quiet.UnwatchDirectory(Dir()));
    Watch();
    ASSERT_TRUE(WaitFor([&] { return m_handler.Count("started") == 2; }));
    EXPECT_EQ(m_handler.Count("stopped"), 0u);
}

class CountedHandler : public RecordingHandler
{
public:
    explicit CountedHandler(bool& destroyed) : m_destroyed(destroyed) {}
    ~CountedHandler() override { m_destroyed = true; }

private:
    bool& m_destroyed;
};

// The creator may let go of its handler: the watched folders keep it. Watching through a
// second watcher stops every folder of the first.
TEST_F(WatcherTest, EachFolderHoldsItsHandlerWhichServesOneWatcherAtATime)
{
    TempDir other;
    TempDir third;
    CDirectoryChangeWatcher second;
    bool destroyed = false;
    auto* handler = new CountedHandler(destroyed);
    ASSERT_EQ(m_watcher.WatchDirectory(Dir(), handler), 0u);
    ASSERT_EQ(m_watcher.WatchDirectory(other.wpath(), handler), 0u);
    EXPECT_EQ(handler->RefCount(), 3);
    EXPECT_EQ(handler->BoundWatcher(), &m_watcher);
    handler->Release();
    ASSERT_EQ(second.WatchDirectory(third.wpath(), handler), 0u);
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    EXPECT_FALSE(m_watcher.IsWatching(other.wpath()));
    EXPECT_EQ(handler->Count("stopped"), 2u);
    EXPECT_EQ(handler->BoundWatcher(), &second);
    WriteFile(third / "a.txt", "x");
    ASSERT_TRUE(handler->WaitForCall("added", (third / "a.txt").wstring()));
    EXPECT_FALSE(destroyed);
    EXPECT_TRUE(second.UnwatchDirectory(third.wpath()));
    EXPECT_TRUE(destroyed);
}

TEST_F(WatcherTest, DestroyingABoundHandlerStopsItsFolders)
{
    TempDir other;
    {
        RecordingHandler local;
        ASSERT_EQ(m_watcher.WatchDirectory(Dir(), &local), 0u);
        ASSERT_EQ(m_watcher.WatchDirectory(other.wpath(), &local), 0u);
    }
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    EXPECT_FALSE(m_watcher.IsWatching(other.wpath()));
}

// More events than the kernel queues, on two files in turn so that none are merged.
void Flood(const fs::path& one, const fs::path& two, int events)
{
    const int fds[] = {::open(one.c_str(), O_WRONLY | O_APPEND),
                       ::open(two.c_str(), O_WRONLY | O_APPEND)};
    for (int i = 0; i < events + 20 && ::write(fds[i % 2], "y", 1) == 1; ++i) {
    }
    ::close(fds[0]);
    ::close(fds[1]);
}

// The worker is held up while this thread delivers a stop notice of another folder; meanwhile
// the watched folder gets more events than the kernel can queue. The rescan after the overflow
// tells of every change made in that time: known files as modified (a follower reads on), new
// ones as added (and modified when they hold text), gone ones as removed.
TEST_F(WatcherTest, ChangesMadeWhileEventsWereLostAreAllReported)
{
    int limit = 0;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> limit;
    if (limit <= 0 || limit > 200000)
        GTEST_SKIP() << "the inotify queue limit (" << limit << ") is out of reach for a test";
    TempDir other;
    for (const char* name : {"k1.txt", "k2.txt", "gone.txt", "quiet.txt"})
        WriteFile(m_dir / name, "x\n");
    Watch();
    Watch(other.wpath());
    m_handler.onCall = [&](const RecordingHandler::Call& call) {
        if (call.what != "stopped" || call.path != other.wpath())
            return;
        Flood(m_dir / "k1.txt", m_dir / "k2.txt", limit + 100);
        fs::remove(m_dir / "gone.txt");
        WriteFile(m_dir / "new" / "n1.txt", "hand\n");
        WriteFile(m_dir / "n2.txt", "");
    };
    ASSERT_TRUE(m_watcher.UnwatchDirectory(other.wpath()));
    m_handler.onCall = nullptr;

    ASSERT_TRUE(m_handler.WaitForCall("modified", PathOf("quiet.txt"))); // the rescan's sign
    EXPECT_EQ(m_handler.Count("added", PathOf("new/n1.txt")), 1u);
    EXPECT_EQ(m_handler.Count("modified", PathOf("new/n1.txt")), 1u);
    EXPECT_EQ(m_handler.Count("added", PathOf("n2.txt")), 1u);
    EXPECT_EQ(m_handler.Count("modified", PathOf("n2.txt")), 0u);
    EXPECT_EQ(m_handler.Count("removed", PathOf("gone.txt")), 1u);
    EXPECT_GE(m_handler.Count("modified", PathOf("k1.txt")), 1u);
    EXPECT_GE(m_handler.Count("modified", PathOf("k2.txt")), 1u);
    AppendFile(m_dir / "new" / "n1.txt", "hand\n"); // watching goes on, the new folder included
    EXPECT_TRUE(WaitFor([&] { return m_handler.Count("modified", PathOf("new/n1.txt")) == 2; }));
}

} // namespace
