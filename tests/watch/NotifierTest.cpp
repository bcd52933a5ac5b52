#include "tests/support/TestSupport.h"
#include "tests/watch/RecordingHandler.h"
#include "watch/DelayedDirectoryChangeHandler.h"
#include "watch/DelayedNotificationThread.h"
#include "watch/DelayedNotificationWindow.h"
#include "watch/DelayedNotifier.h"
#include "watch/DirectoryChangeWatcher.h"

#include <QCoreApplication>
#include <QPointer>

#include <atomic>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

using namespace zellwick::test;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

// A wrapper as the watcher makes one; it holds its own reference on the handler.
CDelayedDirectoryChangeHandler* MakeWrapper(RecordingHandler* handler, std::uint32_t flags,
                                            const wchar_t* include = L"*.txt",
                                            const wchar_t* exclude = nullptr, bool gui = true)
{
    if (handler)
        handler->AddRef();
    return new CDelayedDirectoryChangeHandler(handler, gui, include, exclude, flags);
}

// Queues from another thread, as the worker does; a started notice (always delivered) marks
// the end, and the test waits for it.
void QueueFromWorker(CDelayedDirectoryChangeHandler* wrapper,
                     const std::function<void(CDelayedDirectoryChangeHandler&)>& queue,
                     RecordingHandler& handler)
{
    std::thread worker([&] {
        queue(*wrapper);
        wrapper->OnWatchStarted(0, L"/end");
    });
    worker.join();
    ASSERT_TRUE(handler.WaitForCall("started", L"/end"));
}

std::vector<std::string> Delivered(const RecordingHandler& handler)
{
    std::vector<std::string> lines = handler.Summary(L"/w");
    lines.pop_back(); // the end marker
    return lines;
}

TEST(DelayedNotification, TwoWrappersShareOneWindow)
{
    ASSERT_EQ(CDelayedNotificationWindow::SharedCount(), 0);
    auto* first = MakeWrapper(nullptr, FILTER_FILE_NAME_ONLY);
    QPointer<QObject> window = CDelayedNotificationWindow::SharedWindow();
    ASSERT_FALSE(window.isNull());
    auto* second = MakeWrapper(nullptr, FILTER_FILE_NAME_ONLY);
    EXPECT_EQ(CDelayedNotificationWindow::SharedWindow(), window.data());
    EXPECT_EQ(CDelayedNotificationWindow::SharedCount(), 2);
    first->Release();
    EXPECT_FALSE(window.isNull());
    EXPECT_EQ(CDelayedNotificationWindow::SharedCount(), 1);
    second->Release();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(CDelayedNotificationWindow::SharedWindow(), nullptr);
}

// The last wrapper may go on the worker (after a read error): the window is then removed by
// its own thread, when that thread gets to it.
TEST(DelayedNotification, TheWindowLeftByAnotherThreadIsRemovedOnItsOwnThread)
{
    auto* wrapper = MakeWrapper(nullptr, FILTER_FILE_NAME_ONLY);
    QPointer<QObject> window = CDelayedNotificationWindow::SharedWindow();
    std::thread worker([&] { wrapper->Release(); });
    worker.join();
    EXPECT_EQ(CDelayedNotificationWindow::SharedWindow(), nullptr);
    EXPECT_FALSE(window.isNull());
    EXPECT_TRUE(WaitFor([&] { return window.isNull(); }));
}

TEST(DelayedNotification, TwoWatchersDeliverThroughOneWindowInOrder)
{
    TempDir one;
    TempDir two;
    CDirectoryChangeWatcher first;
    CDirectoryChangeWatcher second;
    RecordingHandler handlerOne;
    RecordingHandler handlerTwo;
    ASSERT_EQ(first.WatchDirectory(one.wpath(), &handlerOne), 0u);
    ASSERT_EQ(second.WatchDirectory(two.wpath(), &handlerTwo), 0u);
    EXPECT_EQ(CDelayedNotificationWindow::SharedCount(), 2);
    WriteFile(one / "a.txt", "x");
    WriteFile(two / "b.txt", "x");
    ASSERT_TRUE(handlerOne.WaitForCall("modified", (one / "a.txt").wstring()));
    ASSERT_TRUE(handlerTwo.WaitForCall("modified", (two / "b.txt").wstring()));
    EXPECT_TRUE(first.UnwatchAll());
    EXPECT_EQ(CDelayedNotificationWindow::SharedCount(), 1);
    EXPECT_NE(CDelayedNotificationWindow::SharedWindow(), nullptr);
    WriteFile(two / "c.txt", "x");
    EXPECT_TRUE(handlerTwo.WaitForCall("added", (two / "c.txt").wstring()));
}

struct FilterCase
{
    const char* name;
    std::uint32_t flags;
    const wchar_t* include;
    const wchar_t* exclude;
    bool accept;
    std::vector<std::string> expected;
};

class FilterTest : public ::testing::TestWithParam<FilterCase>
{};

TEST_P(FilterTest, PassesWhatTheFlagsAndPatternsAllow)
{
    const FilterCase& test = GetParam();
    RecordingHandler handler;
    handler.accept = [&](std::uint32_t, const wchar_t*, const wchar_t*) { return test.accept; };
    auto* wrapper = MakeWrapper(&handler, test.flags, test.include, test.exclude);
    wrapper->SetPartialPathOffset(3); // "/w/"
    QueueFromWorker(
        wrapper,
        [](CDelayedDirectoryChangeHandler& w) {
            w.OnFileAdded(L"/w/a.txt");
            w.OnFileModified(L"/w/sub/b.txt");
            w.OnFileRemoved(L"/w/c.TXT");
            w.OnFileAdded(L"/w/d.txt.bak");
            w.OnFileRenamed(L"/w/e.log", L"/w/sub/e.txt");
            w.OnReadError(5, L"/w");
        },
        handler);
    EXPECT_THAT(Delivered(handler), ElementsAreArray(test.expected)) << test.name;
    wrapper->Release();
}

INSTANTIATE_TEST_SUITE_P(
    DelayedNotification, FilterTest,
    ::testing::Values(
        FilterCase{
            "file name only",
            FILTER_FILE_NAME_ONLY,
            L"*.txt",
            nullptr,
            true,
            {"added a.txt", "modified sub/b.txt", "renamed e.log -> sub/e.txt", "error . 5"}},
        FilterCase{
            "handler refuses", FILTER_FILE_NAME_ONLY, L"*.txt", nullptr, false, {"error . 5"}},
        FilterCase{"relative path",
                   FILTER_RELATIVE_PATH,
                   L"sub/*",
                   nullptr,
                   true,
                   {"modified sub/b.txt", "renamed e.log -> sub/e.txt", "error . 5"}},
        FilterCase{"full path", 0, L"/w/?.txt", nullptr, true, {"added a.txt", "error . 5"}},
        FilterCase{
            "exclude list",
            FILTER_FILE_NAME_ONLY,
            L"*",
            L"*.bak;;*.TXT",
            true,
            {"added a.txt", "modified sub/b.txt", "renamed e.log -> sub/e.txt", "error . 5"}},
        FilterCase{"no patterns",
                   FILTER_NO_PATTERNS,
                   L"*.none",
                   nullptr,
                   true,
                   {"added a.txt", "modified sub/b.txt", "removed c.TXT", "added d.txt.bak",
                    "renamed e.log -> sub/e.txt", "error . 5"}},
        FilterCase{
            "no handler test",
            FILTER_FILE_NAME_ONLY | FILTER_NO_HANDLER_TEST,
            L"*.txt",
            nullptr,
            false,
            {"added a.txt", "modified sub/b.txt", "renamed e.log -> sub/e.txt", "error . 5"}},
        FilterCase{"handler first",
                   FILTER_FILE_NAME_ONLY | FILTER_HANDLER_FIRST,
                   L"*.txt",
                   nullptr,
                   false,
                   {"error . 5"}}));

// Each path of a rename is cut at its own last '/', also when the file changed folders.
TEST(DelayedNotification, ARenameAcrossFoldersIsTestedOnTheNewName)
{
    RecordingHandler handler;
    auto* wrapper = MakeWrapper(&handler, FILTER_FILE_NAME_ONLY, L"e.txt");
    QueueFromWorker(
        wrapper,
        [](CDelayedDirectoryChangeHandler& w) {
            w.OnFileRenamed(L"/w/sub/deeper/e.log", L"/w/e.txt");
            w.OnFileRenamed(L"/w/e.log", L"/w/sub/deeper/folder/e.txt");
        },
        handler);
    EXPECT_THAT(Delivered(handler), ElementsAre("renamed sub/deeper/e.log -> e.txt",
                                                "renamed e.log -> sub/deeper/folder/e.txt"));
    wrapper->Release();
}

TEST(DelayedNotification, TheHandlerIsAskedFirstOnlyWhenTheFlagSaysSo)
{
    for (const bool first : {false, true}) {
        RecordingHandler handler;
        std::atomic<int> asked{0};
        handler.accept = [&](std::uint32_t, const wchar_t*, const wchar_t*) {
            ++asked;
            return true;
        };
        const std::uint32_t flags = FILTER_FILE_NAME_ONLY | (first ? FILTER_HANDLER_FIRST : 0);
        auto* wrapper = MakeWrapper(&handler, flags);
        QueueFromWorker(
            wrapper, [](CDelayedDirectoryChangeHandler& w) { w.OnFileAdded(L"/w/a.log"); },
            handler);
        EXPECT_EQ(asked, first ? 1 : 0);
        wrapper->Release();
    }
}

TEST(DelayedNotification, ChangesArriveInTheOrderTheyWereQueued)
{
    RecordingHandler handler;
    auto* wrapper = MakeWrapper(&handler, FILTER_NO_PATTERNS | FILTER_NO_HANDLER_TEST);
    std::vector<std::string> expected;
    for (int i = 0; i < 2000; ++i) {
        const char* kinds[] = {"added", "modified", "removed"};
        expected.push_back(std::string(kinds[i % 3]) + " f" + std::to_string(i));
    }
    QueueFromWorker(
        wrapper,
        [](CDelayedDirectoryChangeHandler& w) {
            for (int i = 0; i < 2000; ++i) {
                const std::wstring path = L"/w/f" + std::to_wstring(i);
                if (i % 3 == 0)
                    w.OnFileAdded(path);
                else if (i % 3 == 1)
                    w.OnFileModified(path);
                else
                    w.OnFileRemoved(path);
            }
        },
        handler);
    EXPECT_EQ(Delivered(handler), expected);
    wrapper->Release();
}

// The wrapper's owner lets go while a change is still queued: the change keeps the wrapper
// alive and is delivered; the wrapper and its window go only afterwards.
TEST(DelayedNotification, AQueuedChangeKeepsItsWrapperAlive)
{
    RecordingHandler handler;
    auto* wrapper = MakeWrapper(&handler, FILTER_FILE_NAME_ONLY);
    std::thread worker([&] { wrapper->OnFileAdded(L"/w/a.txt"); });
    worker.join();
    wrapper->Release();
    EXPECT_EQ(CDelayedNotificationWindow::SharedCount(), 1);
    ASSERT_TRUE(handler.WaitForCall("added", L"/w/a.txt"));
    EXPECT_TRUE(WaitFor([] { return CDelayedNotificationWindow::SharedCount() == 0; }));
    EXPECT_EQ(handler.RefCount(), 1);
}

TEST(DelayedNotification, ADetachedHandlerHearsNothingMore)
{
    RecordingHandler handler;
    auto* wrapper = MakeWrapper(&handler, FILTER_FILE_NAME_ONLY);
    std::thread worker([&] { wrapper->OnFileAdded(L"/w/a.txt"); });
    worker.join();
    wrapper->DetachRealHandler();
    EXPECT_EQ(handler.RefCount(), 1);
    wrapper->Release();
    EXPECT_TRUE(WaitFor([] { return CDelayedNotificationWindow::SharedCount() == 0; }));
    EXPECT_TRUE(handler.Calls().empty());
}

// A stop notice that is dropped instead of delivered still releases the worker waiting for it.
TEST(DelayedNotification, ADroppedStopNoticeReleasesTheWaitingWorker)
{
    RecordingHandler handler;
    auto* wrapper = MakeWrapper(&handler, FILTER_FILE_NAME_ONLY);
    QObject* window = CDelayedNotificationWindow::SharedWindow();
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        wrapper->OnWatchStopped(L"/w");
        returned = true;
    });
    // No event processing here: the notice must be dropped, never delivered.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!returned && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::removePostedEvents(window, kNotificationMessage);
        std::this_thread::yield();
    }
    EXPECT_TRUE(returned);
    worker.join();
    EXPECT_EQ(handler.Count("stopped", L"/w"), 0u);
    wrapper->Release();
}

TEST(DelayedNotification, TheThreadNotifierDeliversOnItsOwnThread)
{
    TempDir dir;
    RecordingHandler handler;
    {
        CDirectoryChangeWatcher watcher(false);
        ASSERT_EQ(watcher.WatchDirectory(dir.wpath(), &handler), 0u);
        EXPECT_TRUE(CDelayedNotificationThread::ThreadRunning());
        WriteFile(dir / "a.txt", "x");
        ASSERT_TRUE(handler.WaitForCall("modified", (dir / "a.txt").wstring()));
        ASSERT_TRUE(watcher.UnwatchDirectory(dir.wpath()));
        const auto calls = handler.Calls();
        EXPECT_EQ(calls.back().what, "stopped");
        EXPECT_THAT(handler.Summary(dir.wpath()),
                    ElementsAre("started . 0", "added a.txt", "modified a.txt", "stopped ."));
        for (const auto& call : calls) {
            EXPECT_NE(call.thread, std::this_thread::get_id());
            EXPECT_EQ(call.thread, calls.front().thread);
        }
    }
    EXPECT_TRUE(WaitFor([] { return !CDelayedNotificationThread::ThreadRunning(); }));
}

// The handler stops its own watch on the message thread; the stop delivers its notice there.
TEST(DelayedNotification, TheThreadNotifierLetsAHandlerStopItsOwnWatch)
{
    TempDir dir;
    RecordingHandler handler;
    CDirectoryChangeWatcher watcher(false);
    handler.onCall = [&](const RecordingHandler::Call& call) {
        if (call.what == "added")
            watcher.UnwatchDirectory(dir.wpath());
    };
    ASSERT_EQ(watcher.WatchDirectory(dir.wpath(), &handler), 0u);
    WriteFile(dir / "a.txt", "x");
    ASSERT_TRUE(handler.WaitForCall("stopped", dir.wpath()));
    EXPECT_FALSE(watcher.IsWatching(dir.wpath()));
    EXPECT_TRUE(WaitFor([] { return !CDelayedNotificationThread::ThreadRunning(); }));
}

TEST(MatchWildcard, FollowsTheStarAndQuestionMarkRules)
{
    struct Case
    {
        const wchar_t* name;
        const wchar_t* pattern;
        bool match;
    };
    const Case cases[] = {
        {L"a.txt", L"*.txt", true},  {L"a.TXT", L"*.txt", false}, {L"a.txt.bak", L"*.txt", false},
        {L"noext", L"*.txt", false}, {L".txt", L"*.txt", true},   {L"sub/a.txt", L"*.txt", true},
        {L"a.txt", L"a.txt", true},  {L"a.txt", L"a.tx", false},  {L"a.tx", L"a.txt", false},
        {L"abc", L"a?c", true},      {L"ac", L"a?c", false},      {L"HH123.txt", L"HH*.txt", true},
        {L"aXbXc", L"*b*c", true},   {L"aaab", L"*ab", true},     {L"abcabd", L"*abd", true},
        {L"abcabc", L"*abd", false}, {L"", L"*", true},           {L"", L"", true},
        {L"a", L"", false},          {L"", L"?", false},          {L"abc", L"**c**", true},
        {L"x.txt", L"*.t?t", true},
    };
    for (const Case& test : cases)
        EXPECT_EQ(MatchWildcard(test.name, test.pattern), test.match)
            << Narrow(test.name) << " vs " << Narrow(test.pattern);
}

} // namespace
