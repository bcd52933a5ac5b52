#include "tests/support/TestSupport.h"
#include "tests/watch/RecordingHandler.h"
#include "watch/DirectoryChangeWatcher.h"

#include <cerrno>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace zellwick::test;
using ::testing::ElementsAre;

namespace {

class WatcherTest : public ::testing::Test
{
protected:
    // Declared before the handler, so the handler goes first, as in the window.
    CDirectoryChangeWatcher m_watcher;
    RecordingHandler m_handler;
    TempDir m_dir;

    std::wstring Dir() const { return m_dir.wpath(); }
    std::wstring PathOf(const std::string& name) const { return (m_dir / name).wstring(); }

    void Watch() { ASSERT_EQ(m_watcher.WatchDirectory(Dir(), &m_handler), 0u); }

    size_t CountOf(const std::string& what) const
    {
        size_t count = 0;
        for (const auto& call : m_handler.Calls())
            count += call.what == what ? 1 : 0;
        return count;
    }
};

TEST_F(WatcherTest, RefusesAnEmptyPathOrAMissingHandler)
{
    errno = 0;
    EXPECT_EQ(m_watcher.WatchDirectory(L"", &m_handler), 87u);
    EXPECT_EQ(errno, 87);
    EXPECT_EQ(m_watcher.WatchDirectory(Dir(), nullptr), 87u);
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    EXPECT_EQ(m_handler.BoundWatcher(), nullptr);
}

TEST_F(WatcherTest, RefusesAFileOrAMissingPath)
{
    WriteFile(m_dir / "plain.txt", "x");
    EXPECT_EQ(m_watcher.WatchDirectory(PathOf("plain.txt"), &m_handler), 161u);
    EXPECT_EQ(m_watcher.WatchDirectory(PathOf("missing"), &m_handler), 161u);
    EXPECT_FALSE(m_watcher.IsWatching(PathOf("plain.txt")));
    EXPECT_FALSE(m_watcher.IsWatching(PathOf("missing")));
    EXPECT_FALSE(m_watcher.UnwatchAll()); // no worker was ever started
    EXPECT_EQ(m_handler.RefCount(), 1);
}

TEST_F(WatcherTest, ReportsTheLifeOfAFileInOrder)
{
    Watch();
    EXPECT_EQ(errno, 0);
    WriteFile(m_dir / "a.txt", "hand 1\n");
    AppendFile(m_dir / "a.txt", "hand 2\n");
    fs::rename(m_dir / "a.txt", m_dir / "b.txt");
    fs::remove(m_dir / "b.txt");
    ASSERT_TRUE(m_handler.WaitForCall("removed", PathOf("b.txt")));
    EXPECT_THAT(m_handler.Summary(Dir()),
                ElementsAre("started . 0", "added a.txt", "modified a.txt",
                            "renamed a.txt -> b.txt", "removed b.txt"));
}

TEST_F(WatcherTest, DeliversOnTheThreadThatWatches)
{
    Watch();
    WriteFile(m_dir / "a.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("modified", PathOf("a.txt")));
    for (const auto& call : m_handler.Calls())
        EXPECT_EQ(call.thread, std::this_thread::get_id()) << call.what;
}

TEST_F(WatcherTest, FullPathsKeepTheFolderAsGivenAndIncludeSubfolders)
{
    fs::create_directories(m_dir / "sub" / "deeper");
    const std::wstring withSlash = Dir() + L"/";
    ASSERT_EQ(m_watcher.WatchDirectory(withSlash, &m_handler), 0u);
    WriteFile(m_dir / "sub" / "deeper" / "c.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("added", withSlash + L"sub/deeper/c.txt"));
    EXPECT_EQ(m_handler.Calls().front().path, withSlash); // the started notice
}

// The chosen folder may be a link (as under Wine's drive folders); links below it are not
// followed.
TEST_F(WatcherTest, AFolderGivenThroughALinkIsWatchedUnderThatName)
{
    fs::create_directories(m_dir / "real");
    fs::create_directory_symlink(m_dir / "real", m_dir / "link");
    ASSERT_EQ(m_watcher.WatchDirectory(PathOf("link"), &m_handler), 0u);
    WriteFile(m_dir / "real" / "a.txt", "x");
    EXPECT_TRUE(m_handler.WaitForCall("added", PathOf("link/a.txt")));
}

TEST_F(WatcherTest, FilesThereAtTheStartAreNotReportedUntilTheyChange)
{
    WriteFile(m_dir / "old.txt", "before\n");
    Watch();
    AppendFile(m_dir / "old.txt", "after\n");
    ASSERT_TRUE(m_handler.WaitForCall("modified", PathOf("old.txt")));
    EXPECT_EQ(m_handler.Count("added", PathOf("old.txt")), 0u);
}

TEST_F(WatcherTest, WatchingThePathAgainReplacesTheFirstWatch)
{
    Watch();
    Watch();
    ASSERT_TRUE(WaitFor([&] { return CountOf("started") == 2; }));
    EXPECT_THAT(m_handler.Summary(Dir()), ElementsAre("started . 0", "stopped .", "started . 0"));
    EXPECT_TRUE(m_watcher.UnwatchDirectory(Dir()));
    EXPECT_FALSE(m_watcher.UnwatchDirectory(Dir()));
}

TEST_F(WatcherTest, PathsCompareWithoutCaseButATrailingSlashMakesAnother)
{
    Watch();
    std::wstring upper = Dir();
    for (auto& ch : upper)
        ch = static_cast<wchar_t>(std::towupper(ch));
    EXPECT_TRUE(m_watcher.IsWatching(upper));
    EXPECT_FALSE(m_watcher.IsWatching(Dir() + L"/"));
    EXPECT_FALSE(m_watcher.UnwatchDirectory(Dir() + L"/"));
    EXPECT_TRUE(m_watcher.IsWatching(Dir()));
    EXPECT_TRUE(m_watcher.UnwatchDirectory(upper));
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
}

TEST_F(WatcherTest, UnwatchingWhatIsNotWatchedChangesNothing)
{
    EXPECT_FALSE(m_watcher.UnwatchDirectory(Dir()));
    Watch();
    EXPECT_FALSE(m_watcher.UnwatchDirectory(PathOf("other")));
    EXPECT_TRUE(m_watcher.IsWatching(Dir()));
    EXPECT_FALSE(m_watcher.UnwatchHandler(nullptr));
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
    ASSERT_EQ(m_watcher.WatchDirectory(other.wpath(), &m_handler), 0u);
    WriteFile(other / "marker.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("modified", (other / "marker.txt").wstring()));
    EXPECT_EQ(m_handler.Calls().size(), calls.size() + 3); // started, added, modified
    EXPECT_EQ(m_handler.Count("added", PathOf("b.txt")), 0u);
}

TEST_F(WatcherTest, UnwatchAllStopsEveryFolderAndEndsTheWorker)
{
    TempDir other;
    Watch();
    ASSERT_EQ(m_watcher.WatchDirectory(other.wpath(), &m_handler), 0u);
    EXPECT_TRUE(m_watcher.UnwatchAll());
    EXPECT_EQ(CountOf("stopped"), 2u);
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    EXPECT_FALSE(m_watcher.UnwatchAll());
    EXPECT_EQ(m_handler.BoundWatcher(), nullptr);
    // A new watch starts a new worker.
    Watch();
    WriteFile(m_dir / "a.txt", "x");
    EXPECT_TRUE(m_handler.WaitForCall("added", PathOf("a.txt")));
}

TEST_F(WatcherTest, LongNamesReachTheHandlerWhole)
{
    const std::string folder(200, 'f');
    const std::string file = std::string(150, 'n') + ".txt";
    fs::create_directories(m_dir / folder);
    Watch();
    WriteFile(m_dir / folder / file, "x");
    const std::wstring expected = PathOf(folder + "/" + file);
    ASSERT_GT(expected.size() - Dir().size(), 260u);
    EXPECT_TRUE(m_handler.WaitForCall("added", expected));
}

TEST_F(WatcherTest, NamesThatAreNotUtf8SurviveTheRoundTrip)
{
    Watch();
    const std::string name = "caf\xe9.txt"; // Latin-1, not UTF-8
    WriteFile(m_dir / name, "x");
    ASSERT_TRUE(WaitFor([&] { return CountOf("added") == 1; }));
    const std::wstring reported = m_handler.Calls().back().path;
    EXPECT_TRUE(fs::exists(fs::path(Narrow(reported))));
}

TEST_F(WatcherTest, MovesInAndOutOfTheTreeAreAddedAndRemoved)
{
    TempDir outside;
    WriteFile(outside / "in.txt", "x");
    WriteFile(m_dir / "out.txt", "x");
    Watch();
    fs::rename(outside / "in.txt", m_dir / "in.txt");
    fs::rename(m_dir / "out.txt", outside / "out.txt");
    ASSERT_TRUE(m_handler.WaitForCall("removed", PathOf("out.txt")));
    EXPECT_THAT(m_handler.Summary(Dir()),
                ElementsAre("started . 0", "added in.txt", "removed out.txt"));
}

TEST_F(WatcherTest, MovesBetweenSubfoldersAreRenames)
{
    fs::create_directories(m_dir / "one");
    fs::create_directories(m_dir / "two");
    WriteFile(m_dir / "one" / "a.txt", "x");
    Watch();
    fs::rename(m_dir / "one" / "a.txt", m_dir / "two" / "a.txt");
    fs::rename(m_dir / "two", m_dir / "three");
    ASSERT_TRUE(WaitFor([&] { return CountOf("renamed") == 2; }));
    EXPECT_THAT(m_handler.Summary(Dir()),
                ElementsAre("started . 0", "renamed one/a.txt -> two/a.txt",
                            "renamed two/a.txt -> three/a.txt"));
    AppendFile(m_dir / "three" / "a.txt", "more");
    EXPECT_TRUE(m_handler.WaitForCall("modified", PathOf("three/a.txt")));
}

TEST_F(WatcherTest, AFolderMovedInReportsTheFilesAlreadyInside)
{
    TempDir outside;
    WriteFile(outside / "new" / "h1.txt", "hand\n");
    WriteFile(outside / "new" / "deep" / "h2.txt", "hand\n");
    WriteFile(outside / "new" / "empty.txt", "");
    Watch();
    fs::rename(outside / "new", m_dir / "new");
    ASSERT_TRUE(m_handler.WaitForCall("modified", PathOf("new/deep/h2.txt")));
    ASSERT_TRUE(m_handler.WaitForCall("added", PathOf("new/empty.txt")));
    for (const char* name : {"new/h1.txt", "new/deep/h2.txt"}) {
        EXPECT_EQ(m_handler.Count("added", PathOf(name)), 1u) << name;
        EXPECT_EQ(m_handler.Count("modified", PathOf(name)), 1u) << name;
    }
    EXPECT_EQ(m_handler.Count("modified", PathOf("new/empty.txt")), 0u);
    // The new folders are watched too.
    AppendFile(m_dir / "new" / "deep" / "h2.txt", "hand\n");
    EXPECT_TRUE(
        WaitFor([&] { return m_handler.Count("modified", PathOf("new/deep/h2.txt")) == 2; }));
}

// A file created right after its folder races the folder's listing against its own creation
// event; either way it is added exactly once.
TEST_F(WatcherTest, FilesInNewFoldersAreAddedExactlyOnce)
{
    Watch();
    constexpr int kFolders = 40;
    for (int i = 0; i < kFolders; ++i) {
        const fs::path folder = m_dir / ("s" + std::to_string(i));
        fs::create_directory(folder);
        WriteFile(folder / "h.txt", "hand\n");
    }
    WriteFile(m_dir / "marker.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("modified", PathOf("marker.txt")));
    for (int i = 0; i < kFolders; ++i) {
        const std::wstring file = PathOf("s" + std::to_string(i) + "/h.txt");
        EXPECT_EQ(m_handler.Count("added", file), 1u) << Narrow(file);
        EXPECT_GE(m_handler.Count("modified", file), 1u) << Narrow(file);
    }
}

TEST_F(WatcherTest, OnlyLowerCaseTxtNamesPassTheFilter)
{
    fs::create_directories(m_dir / "sub.d");
    fs::create_directories(m_dir / "dir.txt");
    WriteFile(m_dir / "e.log", "x");
    WriteFile(m_dir / "f.txt", "x");
    Watch();
    for (const char* name :
         {"a.txt", "b.TXT", "c.txt.bak", "noext", "sub.d/d.txt", "dir.txt/y.log"})
        WriteFile(m_dir / name, "x");
    fs::rename(m_dir / "e.log", m_dir / "e.txt"); // the new name passes
    fs::rename(m_dir / "f.txt", m_dir / "f.log"); // the old name passes
    WriteFile(m_dir / "zz.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("modified", PathOf("zz.txt")));
    EXPECT_THAT(m_handler.Summary(Dir()),
                ElementsAre("started . 0", "added a.txt", "modified a.txt", "added sub.d/d.txt",
                            "modified sub.d/d.txt", "renamed e.log -> e.txt",
                            "renamed f.txt -> f.log", "added zz.txt", "modified zz.txt"));
}

TEST_F(WatcherTest, AnExceptionFromTheHandlerDoesNotStopLaterDeliveries)
{
    m_handler.onCall = [](const RecordingHandler::Call& call) {
        if (call.what == "modified" || call.what == "stopped")
            throw std::runtime_error("handler failure");
    };
    Watch();
    WriteFile(m_dir / "a.txt", "x");
    WriteFile(m_dir / "b.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("modified", PathOf("b.txt")));
    EXPECT_EQ(m_handler.Count("modified", PathOf("a.txt")), 1u);
    // A throwing watch-stopped notice still lets the stop finish.
    EXPECT_TRUE(m_watcher.UnwatchDirectory(Dir()));
    EXPECT_EQ(m_handler.Calls().back().what, "stopped");
    m_handler.onCall = nullptr;
    Watch();
    WriteFile(m_dir / "c.txt", "x");
    EXPECT_TRUE(m_handler.WaitForCall("added", PathOf("c.txt")));
}

TEST_F(WatcherTest, TheHandlerMayStopItsOwnWatchFromInsideAReport)
{
    m_handler.onCall = [this](const RecordingHandler::Call& call) {
        if (call.what == "added")
            m_watcher.UnwatchDirectory(Dir());
    };
    Watch();
    WriteFile(m_dir / "a.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("stopped", Dir()));
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    EXPECT_EQ(m_handler.BoundWatcher(), nullptr);
}

TEST_F(WatcherTest, TheDeletedFolderEndsItsWatchAndCanBeWatchedAgain)
{
    WriteFile(m_dir / "hh" / "a.txt", "x");
    const std::wstring folder = PathOf("hh");
    ASSERT_EQ(m_watcher.WatchDirectory(folder, &m_handler), 0u);
    fs::remove_all(m_dir / "hh");
    ASSERT_TRUE(m_handler.WaitForCall("error", folder));
    EXPECT_EQ(m_handler.Calls().back().number, static_cast<std::uint32_t>(ENOENT));
    EXPECT_EQ(m_handler.Count("removed", folder + L"/a.txt"), 1u);
    EXPECT_FALSE(m_watcher.IsWatching(folder));
    EXPECT_FALSE(m_watcher.UnwatchDirectory(folder));
    EXPECT_TRUE(WaitFor([&] { return m_handler.BoundWatcher() == nullptr; }));

    fs::create_directories(m_dir / "hh");
    ASSERT_EQ(m_watcher.WatchDirectory(folder, &m_handler), 0u);
    WriteFile(m_dir / "hh" / "b.txt", "x");
    EXPECT_TRUE(m_handler.WaitForCall("added", folder + L"/b.txt"));
}

TEST_F(WatcherTest, TheWatchedFolderMovedAwayEndsItsWatch)
{
    fs::create_directories(m_dir / "hh");
    const std::wstring folder = PathOf("hh");
    ASSERT_EQ(m_watcher.WatchDirectory(folder, &m_handler), 0u);
    fs::rename(m_dir / "hh", m_dir / "elsewhere");
    ASSERT_TRUE(m_handler.WaitForCall("error", folder));
    WriteFile(m_dir / "elsewhere" / "a.txt", "x");
    TempDir other;
    ASSERT_EQ(m_watcher.WatchDirectory(other.wpath(), &m_handler), 0u);
    WriteFile(other / "m.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("added", (other / "m.txt").wstring()));
    EXPECT_EQ(m_handler.Count("added", PathOf("elsewhere/a.txt")), 0u);
    EXPECT_EQ(m_handler.Count("added", folder + L"/a.txt"), 0u);
}

TEST_F(WatcherTest, NoStopNoticeMeansNoWatchStoppedAndNoWait)
{
    CDirectoryChangeWatcher quiet(true, FILTER_FILE_NAME_ONLY | FILTER_NO_STOP_NOTICE);
    ASSERT_EQ(quiet.WatchDirectory(Dir(), &m_handler), 0u);
    EXPECT_TRUE(quiet.UnwatchDirectory(Dir()));
    ASSERT_EQ(m_watcher.WatchDirectory(Dir(), &m_handler), 0u);
    ASSERT_TRUE(WaitFor([&] { return CountOf("started") == 2; }));
    EXPECT_EQ(CountOf("stopped"), 0u);
}

TEST_F(WatcherTest, DestroyingABoundHandlerStopsItsFolders)
{
    TempDir other;
    {
        RecordingHandler local;
        ASSERT_EQ(m_watcher.WatchDirectory(Dir(), &local), 0u);
        ASSERT_EQ(m_watcher.WatchDirectory(other.wpath(), &local), 0u);
        EXPECT_EQ(local.BoundWatcher(), &m_watcher);
        EXPECT_EQ(local.RefCount(), 3);
    }
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    EXPECT_FALSE(m_watcher.IsWatching(other.wpath()));
}

class CountedHandler : public RecordingHandler
{
public:
    explicit CountedHandler(bool& destroyed) : m_destroyed(destroyed) {}
    ~CountedHandler() override { m_destroyed = true; }

private:
    bool& m_destroyed;
};

TEST_F(WatcherTest, EachWatchedFolderHoldsAReferenceOnItsHandler)
{
    bool destroyed = false;
    auto* handler = new CountedHandler(destroyed);
    ASSERT_EQ(m_watcher.WatchDirectory(Dir(), handler), 0u);
    handler->Release(); // the creator lets go; the watch keeps it
    WriteFile(m_dir / "a.txt", "x");
    ASSERT_TRUE(handler->WaitForCall("added", PathOf("a.txt")));
    EXPECT_FALSE(destroyed);
    EXPECT_TRUE(m_watcher.UnwatchDirectory(Dir()));
    EXPECT_TRUE(destroyed);
}

TEST_F(WatcherTest, AHandlerServesOneWatcherAtATime)
{
    TempDir other;
    CDirectoryChangeWatcher second;
    Watch();
    ASSERT_EQ(second.WatchDirectory(other.wpath(), &m_handler), 0u);
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    EXPECT_EQ(m_handler.BoundWatcher(), &second);
    EXPECT_EQ(m_handler.Count("stopped", Dir()), 1u);
    EXPECT_TRUE(second.UnwatchAll());
}

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

TEST_F(WatcherTest, TheWorkerHooksRunOncePerWorker)
{
    HookedWatcher hooked;
    ASSERT_EQ(hooked.WatchDirectory(Dir(), &m_handler), 0u);
    EXPECT_TRUE(hooked.UnwatchDirectory(Dir()));
    EXPECT_EQ(hooked.exits, 0); // the worker waits for the next folder
    EXPECT_TRUE(hooked.UnwatchAll());
    EXPECT_EQ(hooked.starts, 1);
    EXPECT_EQ(hooked.exits, 1);
}

TEST_F(WatcherTest, ErrorTextsAreReadable)
{
    EXPECT_NE(CDirectoryChangeWatcher::ErrorText(87).find(L"handler"), std::wstring::npos);
    EXPECT_NE(CDirectoryChangeWatcher::ErrorText(161).find(L"not a folder"), std::wstring::npos);
    EXPECT_NE(CDirectoryChangeWatcher::ErrorText(ENOSPC).find(L"fs.inotify.max_user_watches"),
              std::wstring::npos);
    EXPECT_NE(CDirectoryChangeWatcher::ErrorText(ENOENT).find(L"No such file"), std::wstring::npos);
    EXPECT_NE(CDirectoryChangeWatcher::ErrorText(EMFILE).find(L"max_user_instances"),
              std::wstring::npos);
}

} // namespace
