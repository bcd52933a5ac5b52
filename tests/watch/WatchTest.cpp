// The folder watch: what it reports, in which order, and when things go wrong.

#include "tests/support/TestSupport.h"
#include "watch/DelayedDirectoryChangeHandler.h"
#include "watch/DelayedNotificationThread.h"
#include "watch/DelayedNotificationWindow.h"
#include "watch/DirectoryChangeWatcher.h"
#include "watch/InotifyTree.h"
#include "watch/PathText.h"

#include <QString>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zellwick::test;
using ::testing::ElementsAre;
using zellwick::watch::ChangeKind;
using zellwick::watch::InotifyTree;
using zellwick::watch::NativeFromWide;

namespace {

// Writes down every call it receives, under a lock, with the thread it ran on.
class RecordingHandler : public CDirectoryChangeHandler
{
public:
    struct Call
    {
        std::string what; // added, removed, renamed, modified, error, started, stopped
        std::wstring path;
        std::wstring newPath;
        std::uint32_t number = 0;
        std::thread::id thread;
    };
    ~RecordingHandler() override { UnwatchFromBoundWatcher(); }
    void OnFileAdded(const std::wstring& path) override { Record("added", path); }
    void OnFileRemoved(const std::wstring& path) override { Record("removed", path); }
    void OnFileRenamed(const std::wstring& from, const std::wstring& to) override
    {
        Record("renamed", from, to);
    }
    void OnFileModified(const std::wstring& path) override { Record("modified", path); }
    void OnReadError(std::uint32_t error, const std::wstring& dir) override
    {
        Record("error", dir, {}, error);
    }
    void OnWatchStarted(std::uint32_t status, const std::wstring& dir) override
    {
        Record("started", dir, {}, status);
    }
    void OnWatchStopped(const std::wstring& dir) override { Record("stopped", dir); }
    bool AcceptChange(std::uint32_t action, const wchar_t* path, const wchar_t* newPath) override
    {
        return accept ? accept(action, path, newPath) : true;
    }
    std::function<void(const Call&)> onCall; // runs inside every call, after it was written down
    std::function<bool(std::uint32_t, const wchar_t*, const wchar_t*)> accept;
    std::vector<Call> Calls() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }
    size_t Count(const std::string& what, const std::wstring& path = {}) const
    {
        const auto calls = Calls();
        return static_cast<size_t>(std::count_if(calls.begin(), calls.end(), [&](auto& call) {
            return call.what == what && (path.empty() || call.path == path);
        }));
    }
    bool WaitForCall(const std::string& what, const std::wstring& path) const
    {
        return WaitFor([&] { return Count(what, path) > 0; });
    }
    // "what path[ -> new][ number]" per call, relative to dir, repeated "modified" once.
    std::vector<std::string> Summary(const std::wstring& dir) const
    {
        const std::wstring prefix = dir.ends_with(L'/') ? dir : dir + L'/';
        const auto relative = [&](const std::wstring& path) {
            return path == dir
                       ? "."
                       : NativeFromWide(path.substr(path.starts_with(prefix) ? prefix.size() : 0));
        };
        std::vector<std::string> lines;
        for (const Call& call : Calls()) {
            std::string line = call.what + " " + relative(call.path);
            if (call.what == "renamed")
                line.append(" -> ").append(relative(call.newPath));
            if (call.what == "error" || call.what == "started")
                line.append(" ").append(std::to_string(call.number));
            if (call.what != "modified" || lines.empty() || lines.back() != line)
                lines.push_back(line);
        }
        return lines;
    }

private:
    void Record(const char* what, const std::wstring& path, const std::wstring& newPath = {},
                std::uint32_t number = 0)
    {
        const Call call{what, path, newPath, number, std::this_thread::get_id()};
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_calls.push_back(call);
        }
        if (onCall)
            onCall(call);
    }
    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
};

class HookedWatcher : public CDirectoryChangeWatcher
{
public:
    ~HookedWatcher() override { UnwatchAll(); }
    std::vector<std::pair<std::string, std::thread::id>> hooks; // read once the worker ended

protected:
    void OnWorkerStart() override { hooks.emplace_back("start", std::this_thread::get_id()); }
    void OnWorkerExit() override { hooks.emplace_back("exit", std::this_thread::get_id()); }
};

class WatcherTest : public ::testing::Test
{
protected:
    HookedWatcher m_watcher; // goes after the handler, as in the window
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

// Results 87 and 161; paths compared without case, not normalised; UnwatchAll ends the worker.
TEST_F(WatcherTest, AWatchIsNamedByItsPathAndTheWorkerEndsWithUnwatchAll)
{
    WriteFile(m_dir / "plain.txt", "x");
    for (const auto& [path, handler] :
         std::vector<std::pair<std::wstring, RecordingHandler*>>{{L"", &m_handler},
                                                                 {Dir(), nullptr},
                                                                 {PathOf("plain.txt"), &m_handler},
                                                                 {PathOf("missing"), &m_handler}}) {
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
    const std::wstring upper = QString::fromStdWString(Dir()).toUpper().toStdWString();
    EXPECT_TRUE(m_watcher.IsWatching(upper));
    EXPECT_FALSE(m_watcher.IsWatching(Dir() + L"/"));
    EXPECT_FALSE(m_watcher.UnwatchHandler(nullptr));
    EXPECT_TRUE(m_watcher.UnwatchDirectory(upper));
    EXPECT_THAT(Summary(), ElementsAre("started . 0", "stopped .", "started . 0", "stopped ."));
    Watch(Dir());
    EXPECT_TRUE(m_watcher.UnwatchAll());
    EXPECT_FALSE(m_watcher.IsWatching(Dir()));
    ASSERT_EQ(m_watcher.hooks.size(), 2u); // both hooks on the worker, once each
    EXPECT_EQ(m_watcher.hooks[0].first + m_watcher.hooks[1].first, "startexit");
    EXPECT_EQ(m_watcher.hooks[0].second, m_watcher.hooks[1].second);
    EXPECT_NE(m_watcher.hooks[0].second, std::this_thread::get_id());
    EXPECT_EQ(m_handler.BoundWatcher(), nullptr);
    Watch(Dir());
    WriteFile(m_dir / "a.txt", "x");
    EXPECT_TRUE(m_handler.WaitForCall("added", PathOf("a.txt")));
    EXPECT_NE(CDirectoryChangeWatcher::ErrorText(ENOSPC).find(L"max_user_watches"),
              std::string::npos);
}

// Every change in order on the watching thread, through a link with a '/'; "*.txt" only.
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
    EXPECT_TRUE(fs::exists(NativeFromWide(given) + longName));
    EXPECT_EQ(m_handler.Count("added", given + fs::path(longName).wstring()), 1u);
}

// A stop delivers what came before it; a throwing handler or one stopping itself is fine.
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

// Events lost while the worker waits for this thread: the rescan reports every change.
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
        for (int i = 0; i < limit + 120; ++i) // two files in turn, so the kernel merges nothing
            AppendFile(m_dir / (i % 2 ? "k1.txt" : "k2.txt"), "y");
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

// Watchers share the window, which stays while one of them lives; or they deliver on a
// message thread of their own, here without a watch-stopped notice.
TEST_F(WatcherTest, WatchersShareTheWindowOrDeliverOnAThreadOfTheirOwn)
{
    TempDir two;
    RecordingHandler other;
    Watch(Dir());
    const QObject* window = CDelayedNotificationWindow::SharedWindow();
    {
        CDirectoryChangeWatcher second;
        ASSERT_EQ(second.WatchDirectory(two.wpath(), &other), 0u);
        EXPECT_EQ(CDelayedNotificationWindow::SharedCount(), 2);
        EXPECT_EQ(CDelayedNotificationWindow::SharedWindow(), window);
        WriteFile(two / "b.txt", "x");
        WriteFile(m_dir / "a.txt", "x");
        ASSERT_TRUE(other.WaitForCall("modified", (two / "b.txt").wstring()));
    }
    WriteFile(m_dir / "c.txt", "x");
    ASSERT_TRUE(m_handler.WaitForCall("modified", PathOf("c.txt")));
    EXPECT_THAT(Summary(), ElementsAre("started . 0", "added a.txt", "modified a.txt",
                                       "added c.txt", "modified c.txt"));
    for (const auto& call : m_handler.Calls())
        EXPECT_EQ(call.thread, std::this_thread::get_id()) << call.what;

    CDirectoryChangeWatcher threaded(false, FILTER_FILE_NAME_ONLY | FILTER_NO_STOP_NOTICE);
    ASSERT_EQ(threaded.WatchDirectory(two.wpath(), &other), 0u);
    EXPECT_TRUE(CDelayedNotificationThread::ThreadRunning());
    WriteFile(two / "d.txt", "x");
    ASSERT_TRUE(other.WaitForCall("modified", (two / "d.txt").wstring()));
    EXPECT_TRUE(threaded.UnwatchDirectory(two.wpath()));
    EXPECT_THAT(other.Summary(two.wpath()),
                ElementsAre("started . 0", "added b.txt", "modified b.txt", "stopped .",
                            "started . 0", "added d.txt", "modified d.txt"));
    const auto calls = other.Calls();
    const auto stop = std::find_if(calls.begin(), calls.end(),
                                   [](const auto& call) { return call.what == "stopped"; });
    ASSERT_NE(stop, calls.end());
    for (auto call = stop + 1; call != calls.end(); ++call) {
        EXPECT_NE(call->thread, std::this_thread::get_id());
        EXPECT_EQ(call->thread, (stop + 1)->thread);
    }
    EXPECT_TRUE(WaitFor([] { return !CDelayedNotificationThread::ThreadRunning(); }));
}

using Wrapper = CDelayedDirectoryChangeHandler;

// Changes queued from the worker's side pass the filter as its flags and patterns say.
TEST(DelayedNotification, PassesWhatTheFlagsAndPatternsAllow)
{
    const char* const kTxtOnly =
        "added a.txt; modified sub/b.txt; renamed e.log -> sub/e.txt; error . 5";
    const struct
    {
        const char* name;
        std::uint32_t flags;
        const wchar_t* include;
        const wchar_t* exclude;
        bool accept; // AcceptChange's answer
        int asked;   // calls of AcceptChange
        const char* delivered;
    } cases[] = {
        {"file name only", FILTER_FILE_NAME_ONLY, L"*.txt", nullptr, true, 3, kTxtOnly},
        {"handler refuses", FILTER_FILE_NAME_ONLY, L"*.txt", nullptr, false, 3, "error . 5"},
        {"relative path", FILTER_RELATIVE_PATH, L"sub/*", nullptr, true, 2,
         "modified sub/b.txt; renamed e.log -> sub/e.txt; error . 5"},
        {"full path", 0, L"/w/?.txt", nullptr, true, 1, "added a.txt; error . 5"},
        {"exclude list", FILTER_FILE_NAME_ONLY, L"*", L"*.bak;;*.TXT", true, 3, kTxtOnly},
        {"own last '/'", FILTER_FILE_NAME_ONLY, L"e.txt", nullptr, true, 1,
         "renamed e.log -> sub/e.txt; error . 5"},
        {"no patterns", FILTER_NO_PATTERNS, L"*.none", nullptr, true, 5,
         "added a.txt; modified sub/b.txt; removed c.TXT; added d.txt.bak; "
         "renamed e.log -> sub/e.txt; error . 5"},
        {"no handler test", FILTER_FILE_NAME_ONLY | FILTER_NO_HANDLER_TEST, L"*.txt", nullptr,
         false, 0, kTxtOnly},
        {"handler first", FILTER_FILE_NAME_ONLY | FILTER_HANDLER_FIRST, L"*.txt", nullptr, false, 5,
         "error . 5"},
        {"handler first, accepting", FILTER_FILE_NAME_ONLY | FILTER_HANDLER_FIRST, L"*.txt",
         nullptr, true, 5, kTxtOnly},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        RecordingHandler handler;
        std::atomic<int> asked{0};
        handler.accept = [&](std::uint32_t, const wchar_t*, const wchar_t*) {
            ++asked;
            return test.accept;
        };
        handler.AddRef(); // the wrapper's, as the watcher takes it
        auto* wrapper = new Wrapper(&handler, true, test.include, test.exclude, test.flags);
        wrapper->SetPartialPathOffset(3); // "/w/"
        std::thread([wrapper] {
            wrapper->OnFileAdded(L"/w/a.txt");
            wrapper->OnFileModified(L"/w/sub/b.txt");
            wrapper->OnFileRemoved(L"/w/c.TXT");
            wrapper->OnFileAdded(L"/w/d.txt.bak");
            wrapper->OnFileRenamed(L"/w/e.log", L"/w/sub/e.txt");
            wrapper->OnReadError(5, L"/w");
            wrapper->OnWatchStarted(0, L"/end");
        }).join();
        ASSERT_TRUE(handler.WaitForCall("started", L"/end"));
        std::string delivered;
        for (const std::string& line : handler.Summary(L"/w"))
            delivered += line.starts_with("started") ? "" : (delivered.empty() ? "" : "; ") + line;
        EXPECT_EQ(delivered, test.delivered);
        EXPECT_EQ(asked, test.asked);
        wrapper->Release();
    }
}

TEST(MatchWildcard, FollowsTheStarAndQuestionMarkRules)
{
    const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
        {L"a.txt", L"*.txt", true},
        {L"a.TXT", L"*.txt", false},
        {L"a.txt.bak", L"*.txt", false},
        {L".txt", L"*.txt", true},
        {L"sub/a.txt", L"*.txt", true},
        {L"a.txt", L"a.tx", false},
        {L"a.tx", L"a.txt", false},
        {L"abc", L"a?c", true},
        {L"ac", L"a?c", false},
        {L"aXbXc", L"*b*c", true},
        {L"aaab", L"*ab", true},
        {L"abcabd", L"*abd", true},
        {L"abcabc", L"*abd", false},
        {L"", L"*", true},
        {L"", L"", true},
        {L"a", L"", false},
        {L"", L"?", false},
        {L"abc", L"**c**", true},
        {L"x.txt", L"*.t?t", true}};
    for (const auto& [name, pattern, match] : cases)
        EXPECT_EQ(MatchWildcard(name, pattern), match)
            << NativeFromWide(name) << " vs " << NativeFromWide(pattern);
}

bool WriteSystemFile(const std::string& file, const std::string& text)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    const bool written =
        fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

// Root of a user namespace of its own, whose inotify limits it may set and where it may mount.
bool EnterOwnUserNamespace()
{
    const uid_t uid = ::geteuid();
    return ::unshare(CLONE_NEWUSER) == 0 &&
           WriteSystemFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1\n");
}

// The check runs in a forked child without gtest; 0 passes, 77 means the system does not allow it.
void ExpectInChild(const std::function<int()>& check, const char* unavailable)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(check());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << unavailable;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Out of watches (own user namespace): the rest is watched, the subfolder named and tried again.
TEST(InotifyTree, ASubfolderWithoutAWatchIsNamedOnceAndTriedAgain)
{
    TempDir dir;
    for (const char* name : {"s1/a.txt", "s2/b.txt", "s3/c.txt"})
        WriteFile(dir / name, "x");
    ExpectInChild(
        [&] {
            if (!EnterOwnUserNamespace() ||
                !WriteSystemFile("/proc/sys/user/max_inotify_watches", "2\n"))
                return 77;
            std::unique_ptr<InotifyTree> tree;
            if (InotifyTree::Open(dir.path().string(), tree) != 0 || !tree->Knows("s2/b.txt"))
                return 1;
            InotifyTree::Changes changes;
            const auto now = InotifyTree::Clock::now();
            tree->LookAfterUnwatched(now, changes);
            tree->LookAfterUnwatched(now, changes);
            if (changes.size() != 2 || changes[0].kind != ChangeKind::Unwatched ||
                changes[0].error != ENOSPC || !tree->NextRetry())
                return 2;
            const std::string unwatched = changes[0].path;
            WriteFile(dir / "top.txt", "x");
            changes.clear();
            tree->ReadEvents(changes);
            if (changes.empty() || changes[0].path != "top.txt")
                return 3;
            WriteSystemFile("/proc/sys/user/max_inotify_watches", "100\n");
            WriteFile(dir / unwatched / "d.txt", "x");
            changes.clear();
            tree->LookAfterUnwatched(now + InotifyTree::kRetryTime, changes);
            const auto added = std::find_if(changes.begin(), changes.end(), [&](const auto& c) {
                return c.kind == ChangeKind::Added && c.path == unwatched + "/d.txt";
            });
            if (added == changes.end() || tree->NextRetry())
                return 4;
            WriteSystemFile("/proc/sys/user/max_inotify_watches", "0\n");
            std::unique_ptr<InotifyTree> none;
            return InotifyTree::Open(dir.path().string() + "/" + unwatched, none) == ENOSPC ? 0 : 5;
        },
        "user namespaces are not available here");
}

// Out of descriptors: the watch returns the error and keeps none of them.
TEST(InotifyTree, RunningOutOfDescriptorsIsAnErrorThatLeaksNothing)
{
    TempDir dir;
    const auto openCount = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    ExpectInChild(
        [&] {
            CDirectoryChangeWatcher watcher;
            CDirectoryChangeHandler handler;
            if (watcher.WatchDirectory((dir / "missing").wstring(), &handler) != 161)
                return 3;
            rlimit limit{};
            if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
                return 77;
            limit.rlim_cur = 64;
            if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
                return 77;
            const auto before = openCount();
            for (const int spare : {0, 1}) { // none for inotify, or none for listing the folder
                std::vector<int> taken;
                for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0;
                     fd = ::open("/dev/null", O_RDONLY))
                    taken.push_back(fd);
                for (int i = 0; i < spare; ++i, taken.pop_back())
                    ::close(taken.back());
                const std::uint32_t result = watcher.WatchDirectory(dir.wpath(), &handler);
                for (const int fd : taken)
                    ::close(fd);
                if (result != EMFILE || watcher.IsWatching(dir.wpath()))
                    return 1;
                if (openCount() != before)
                    return 2;
            }
            return 0;
        },
        "cannot lower the open-file limit here");
}

// In a mount namespace of its own: the root unmounted ends the tree.
TEST(InotifyTree, AnUnmountedRootEndsTheTree)
{
    TempDir dir;
    const std::string mountPoint = (dir / "mnt").string();
    fs::create_directories(mountPoint);
    ExpectInChild(
        [&] {
            if (!EnterOwnUserNamespace() || ::unshare(CLONE_NEWNS) != 0 ||
                ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("none", mountPoint.c_str(), "tmpfs", 0, nullptr) != 0)
                return 77;
            WriteFile(fs::path(mountPoint) / "a.txt", "x");
            std::unique_ptr<InotifyTree> tree;
            if (InotifyTree::Open(mountPoint, tree) != 0 ||
                ::umount2(mountPoint.c_str(), MNT_DETACH) != 0)
                return 1;
            InotifyTree::Changes changes;
            int result = 0;
            for (int i = 0; i < 10 && result == 0; ++i)
                result = tree->ReadEvents(changes);
            return result == ENODEV ? 0 : 2;
        },
        "mount namespaces are not available here");
}

// As another user: a subfolder that may not be read is left out, a root that may not be read
// is an error.
TEST(InotifyTree, FoldersWithoutPermissionAreLeftOut)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755));
    WriteFile(dir / "open" / "a.txt", "x");
    WriteFile(dir / "closed" / "b.txt", "x");
    fs::permissions(dir / "closed", fs::perms::owner_all);
    const int status = RunAsOtherUser([&] {
        std::unique_ptr<InotifyTree> tree;
        if (InotifyTree::Open(dir.path().string(), tree) != 0 || !tree->Knows("open/a.txt") ||
            tree->Knows("closed/b.txt") || tree->FolderCount() != 2)
            return 1;
        std::unique_ptr<InotifyTree> closed;
        return InotifyTree::Open((dir / "closed").string(), closed) == EACCES ? 0 : 2;
    });
    if (status < 0)
        GTEST_SKIP() << "cannot run a check as another user here";
    EXPECT_EQ(status, 0);
}

// With room for one event per read, a move's two halves arrive in two reads: one rename.
TEST(InotifyTree, ARenameSplitAcrossTwoReadsIsPaired)
{
    TempDir dir;
    WriteFile(dir / "a.txt", "x");
    std::unique_ptr<InotifyTree> tree;
    ASSERT_EQ(InotifyTree::Open(dir.path().string(), tree, sizeof(inotify_event) + 16), 0);
    fs::rename(dir / "a.txt", dir / "b.txt");
    InotifyTree::Changes changes;
    ASSERT_EQ(tree->ReadEvents(changes), 0);
    EXPECT_TRUE(changes.empty());
    ASSERT_EQ(tree->ReadEvents(changes), 0);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, ChangeKind::Renamed);
    EXPECT_EQ(changes[0].path + " -> " + changes[0].newPath, "a.txt -> b.txt");
    EXPECT_TRUE(tree->Knows("b.txt") && !tree->Knows("a.txt"));
}

} // namespace
