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
    HookedWatcher m_watcher; // before the handler, so the handler goes first, as in the window
    RecordingHandler m_handler;
    TempDir m_dir;

    std::wstring Dir() const { return m_dir.wpath(); }
    std::wstring PathOf(const std::string& name) const { return (m_dir / name).wstring(); }
    void Watch(const std::wstring& dir)
    {
        ASSERT_EQ(m_watcher.WatchDirectory(dir, &m_handler), 0u);
    }
    std::vector<std::string> Summary() const { return m_handler.Summary(Dir()); }
};

// 87 for an empty path or no handler, 161 for a file or a missing path (also in errno); paths
// compared without case, not normalised; a second watch replaces the first; UnwatchAll ends
// the worker.
TEST_F(WatcherTest, AWatchIsNamedByItsPathAndTheWorkerEndsWithUnwatchAll)
{
    WriteFile(m_dir / "plain.txt", "x");
    const std::pair<std::wstring, CDirectoryChangeHandler*> refused[] = {
        {L"", &m_handler},
        {Dir(), nullptr},
        {PathOf("plain.txt"), &m_handler},
        {PathOf("missing"), &m_handler}};
    for (const auto& [path, handler] : refused) {
        errno = 0;
        const std::uint32_t result = m_watcher.WatchDirectory(path, handler);
        EXPECT_EQ(result, path.empty() || !handler ? 87u : 161u);
        EXPECT_EQ(errno, static_cast<int>(result));
    }
    EXPECT_EQ(m_handler.RefCount(), 1);
    EXPECT_FALSE(m_watcher.UnwatchAll()); // no worker was ever started
    EXPECT_FALSE(m_watcher.UnwatchDirectory(Dir()));

    Watch(Dir());
    Watch(Dir());
    std::wstring upper = Dir();
    for (auto& ch : upper)
        ch = static_cast<wchar_t>(std::towupper(ch));
    EXPECT_TRUE(m_watcher.IsWatching(upper));
    EXPECT_FALSE(m_watcher.IsWatching(Dir() + L"/"));
    EXPECT_FALSE(m_watcher.UnwatchHandler(nullptr));
    EXPECT_TRUE(m_watcher.UnwatchDirectory(upper));
    EXPECT_THAT(Summary(), ElementsAre("started . 0", "stopped .", "started . 0", "stopped ."));

    TempDir other;
    Watch(Dir());
    Watch(other.wpath());
    EXPECT_TRUE(m_watcher.UnwatchAll());
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    EXPECT_EQ(m_handler.BoundWatcher(), nullptr);
    EXPECT_EQ(m_watcher.exits, 1);
    Watch(Dir());
    WriteFile(m_dir / "a.txt", "x");
    EXPECT_TRUE(m_handler.WaitForCall("added", PathOf("a.txt")));
    EXPECT_EQ(m_watcher.starts, 2);
}

// Each change in order, on the thread that watches, through a folder given as a link with a
// '/' at its end. Only names ending in a lower-case ".txt" pass; a rename passes on either
// name. Long names and names that are not UTF-8 arrive whole. A folder moved in tells of its
// files (added, and modified when they hold text) and is watched too.
TEST_F(WatcherTest, ReportsEveryChangeInOrderOnTheThreadThatWatches)
{
    TempDir outside;
    const fs::path dir = m_dir / "real";
    for (const char* name : {"old.txt", "moved.txt", "one/a.txt", "gone/g.txt", "e.log", "f.txt",
                             "last.txt", "dir.txt/x.log"})
        WriteFile(dir / name, "x\n");
    WriteFile(outside / "in.txt", "x\n");
    WriteFile(outside / "new" / "deep" / "h.txt", "hand\n");
    WriteFile(outside / "new" / "empty.txt", "");
    fs::create_directories(dir / "two");
    fs::create_directory_symlink(dir, m_dir / "link");
    const std::wstring given = PathOf("link") + L"/";
    Watch(given);
    std::vector<std::string> expected{"started . 0"};
    const auto reported = [&](std::initializer_list<std::string> lines) {
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
    fs::rename(dir / "moved.txt", outside / "moved.txt"); // the old one goes before the new
    WriteFile(dir / "moved.txt", "new\n");
    reported({"added in.txt", "removed moved.txt", "added moved.txt", "modified moved.txt"});
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
    const std::string longName = std::string(200, 'f') + "/" + std::string(150, 'n') + ".txt";
    for (const std::string& name : {longName, std::string("caf\xe9.txt")})
        WriteFile(dir / name, "x");
    reported(
        {"added " + longName, "modified " + longName, "added caf\xe9.txt", "modified caf\xe9.txt"});
    fs::rename(dir / "last.txt", outside / "last.txt"); // removed once no partner came in time
    reported({"removed last.txt"});
    ASSERT_TRUE(m_handler.WaitForCall("removed", given + L"last.txt"));
    EXPECT_EQ(m_handler.Summary(given), expected);
    fs::rename(outside / "new", dir / "new");
    ASSERT_TRUE(m_handler.WaitForCall("added", given + L"new/empty.txt"));
    AppendFile(dir / "new" / "deep" / "h.txt", "hand\n"); // the new folders are watched
    ASSERT_TRUE(
        WaitFor([&] { return m_handler.Count("modified", given + L"new/deep/h.txt") == 2; }));
    EXPECT_EQ(m_handler.Count("added", given + L"new/deep/h.txt"), 1u);
    EXPECT_EQ(m_handler.Count("modified", given + L"new/empty.txt"), 0u);
    for (const auto& call : m_handler.Calls())
        EXPECT_EQ(call.thread, std::this_thread::get_id()) << call.what;
    EXPECT_TRUE(fs::exists(Narrow(given) + longName));
    EXPECT_EQ(m_handler.Count("added", given + fs::path(longName).wstring()), 1u);
}

// The stop returns only after the handler heard of it, with every change made before it; then
// nothing more of that folder arrives. A throwing report does not stop the ones behind it, and
// the handler may stop its own watch inside a report.
TEST_F(WatcherTest, AfterUnwatchReturnsTheStopWasDeliveredAndNothingFollows)
{
    Watch(Dir());
    WriteFile(m_dir / "a.txt", "last hand\n");
    ASSERT_TRUE(m_watcher.UnwatchDirectory(Dir()));
    EXPECT_THAT(Summary(),
                ElementsAre("started . 0", "added a.txt", "modified a.txt", "stopped ."));
    AppendFile(m_dir / "a.txt", "after the stop\n");

    m_handler.onCall = [this](const RecordingHandler::Call& call) {
        if (call.what == "added" && call.path == PathOf("c.txt"))
            m_watcher.UnwatchDirectory(Dir());
        if (call.what == "modified" || call.what == "stopped")
            throw std::runtime_error("handler failure");
    };
    Watch(Dir());
    WriteFile(m_dir / "b.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("modified", PathOf("b.txt")));
    WriteFile(m_dir / "c.txt", "x");
    ASSERT_TRUE(WaitFor([&] { return m_handler.Count("stopped") == 2; }));
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    const auto summary = Summary();
    EXPECT_THAT(std::vector(summary.begin() + 4, summary.end()),
                ElementsAre("started . 0", "added b.txt", "modified b.txt", "added c.txt",
                            "modified c.txt", "stopped ."));
}

// A folder moved away is reported (ENOENT) and looked for again; once a folder is there again
// under its name, it is watched again and its files are reported as new.
TEST_F(WatcherTest, AFolderMovedAwayIsWatchedAgainWhenItIsBack)
{
    const fs::path folder = m_dir / "history";
    WriteFile(folder / "a.txt", "x");
    Watch(folder.wstring());
    fs::rename(folder, m_dir / "elsewhere");
    ASSERT_TRUE(m_handler.WaitForCall("error", folder.wstring()));
    EXPECT_EQ(m_handler.Calls().back().number, static_cast<std::uint32_t>(ENOENT));
    EXPECT_TRUE(m_watcher.IsWatching(folder.wstring()));
    WriteFile(m_dir / "elsewhere" / "b.txt", "x");
    WriteFile(m_dir / "made" / "c.txt", "x");
    WriteFile(m_dir / "made" / "empty.txt", "");
    fs::rename(m_dir / "made", folder);
    ASSERT_TRUE(WaitFor([&] { return m_handler.Count("started") == 2; }, std::chrono::seconds(5)));
    ASSERT_TRUE(m_handler.WaitForCall("added", (folder / "empty.txt").wstring()));
    EXPECT_THAT(m_handler.Summary(folder.wstring()),
                ElementsAre("started . 0", "error . 2", "started . 0", "added c.txt",
                            "modified c.txt", "added empty.txt"));
    EXPECT_TRUE(m_watcher.UnwatchDirectory(folder.wstring()));
}

// The worker is held up (it waits for a stop notice of another folder this thread delivers)
// while the folder gets more events than the kernel can queue. The rescan tells of every
// change: known files as modified, new ones as added (and modified with text), gone ones as
// removed, a file made anew under a known name as added.
TEST_F(WatcherTest, ChangesMadeWhileEventsWereLostAreAllReported)
{
    int limit = 0;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> limit;
    if (limit <= 0 || limit > 200000)
        GTEST_SKIP() << "the inotify queue limit (" << limit << ") is out of reach for a test";
    TempDir other;
    for (const char* name : {"k1.txt", "k2.txt", "gone.txt", "quiet.txt", "anew.txt"})
        WriteFile(m_dir / name, "x\n");
    Watch(Dir());
    Watch(other.wpath());
    m_handler.onCall = [&](const RecordingHandler::Call& call) {
        if (call.what != "stopped" || call.path != other.wpath())
            return;
        const int fds[] = {::open((m_dir / "k1.txt").c_str(), O_WRONLY | O_APPEND),
                           ::open((m_dir / "k2.txt").c_str(), O_WRONLY | O_APPEND)};
        for (int i = 0; i < limit + 120 && ::write(fds[i % 2], "y", 1) == 1; ++i) {
        } // two files in turn, so the kernel merges nothing
        ::close(fds[0]);
        ::close(fds[1]);
        fs::remove(m_dir / "gone.txt");
        fs::rename(m_dir / "quiet.txt", m_dir / "anew.txt");
        WriteFile(m_dir / "quiet.txt", "");
        WriteFile(m_dir / "new" / "n1.txt", "hand\n");
    };
    ASSERT_TRUE(m_watcher.UnwatchDirectory(other.wpath()));
    m_handler.onCall = nullptr;
    ASSERT_TRUE(m_handler.WaitForCall("removed", PathOf("gone.txt")));
    for (const char* name : {"k1.txt", "k2.txt", "new/n1.txt", "anew.txt"})
        EXPECT_GE(m_handler.Count("modified", PathOf(name)), 1u) << name;
    for (const char* name : {"new/n1.txt", "anew.txt", "quiet.txt"})
        EXPECT_EQ(m_handler.Count("added", PathOf(name)), 1u) << name;
    EXPECT_EQ(m_handler.Count("modified", PathOf("quiet.txt")), 0u);
    AppendFile(m_dir / "new" / "n1.txt", "hand\n"); // watching goes on, the new folder included
    EXPECT_TRUE(WaitFor([&] { return m_handler.Count("modified", PathOf("new/n1.txt")) == 2; }));
}

} // namespace
