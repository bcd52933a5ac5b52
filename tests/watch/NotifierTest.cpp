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

namespace {

using Wrapper = CDelayedDirectoryChangeHandler;

// A wrapper as the watcher makes one; it holds its own reference on the handler.
Wrapper* MakeWrapper(RecordingHandler* handler, std::uint32_t flags,
                     const wchar_t* include = L"*.txt", const wchar_t* exclude = nullptr)
{
    if (handler)
        handler->AddRef();
    return new Wrapper(handler, true, include, exclude, flags);
}

void OnWorker(const std::function<void()>& work)
{
    std::thread(work).join();
}

// Queues from another thread, as the worker does, and waits for a started notice (always
// delivered) behind it; returns the lines delivered before that marker.
std::vector<std::string> QueueAndDeliver(Wrapper* wrapper, RecordingHandler& handler,
                                         const std::function<void(Wrapper&)>& queue)
{
    OnWorker([&] {
        queue(*wrapper);
        wrapper->OnWatchStarted(0, L"/end");
    });
    EXPECT_TRUE(handler.WaitForCall("started", L"/end"));
    std::vector<std::string> lines = handler.Summary(L"/w");
    if (!lines.empty())
        lines.pop_back();
    return lines;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "; ") + line;
    return text;
}

// A read error always passes; the handler is asked after the patterns unless it comes first.
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
        Wrapper* wrapper = MakeWrapper(&handler, test.flags, test.include, test.exclude);
        wrapper->SetPartialPathOffset(3); // "/w/"
        const auto delivered = QueueAndDeliver(wrapper, handler, [](Wrapper& w) {
            w.OnFileAdded(L"/w/a.txt");
            w.OnFileModified(L"/w/sub/b.txt");
            w.OnFileRemoved(L"/w/c.TXT");
            w.OnFileAdded(L"/w/d.txt.bak");
            w.OnFileRenamed(L"/w/e.log", L"/w/sub/e.txt");
            w.OnReadError(5, L"/w");
        });
        EXPECT_EQ(Joined(delivered), test.delivered);
        EXPECT_EQ(asked, test.asked);
        wrapper->Release();
    }
}

// The message thread ends with its last wrapper, also when a handler stops its own watch on
// that thread.
TEST(DelayedNotification, TheThreadNotifierDeliversOnItsOwnThread)
{
    TempDir dir;
    RecordingHandler handler;
    CDirectoryChangeWatcher watcher(false);
    ASSERT_EQ(watcher.WatchDirectory(dir.wpath(), &handler), 0u);
    EXPECT_TRUE(CDelayedNotificationThread::ThreadRunning());
    WriteFile(dir / "a.txt", "x");
    ASSERT_TRUE(handler.WaitForCall("modified", (dir / "a.txt").wstring()));
    ASSERT_TRUE(watcher.UnwatchDirectory(dir.wpath()));
    EXPECT_THAT(handler.Summary(dir.wpath()),
                ElementsAre("started . 0", "added a.txt", "modified a.txt", "stopped ."));
    const auto calls = handler.Calls();
    for (const auto& call : calls) {
        EXPECT_NE(call.thread, std::this_thread::get_id());
        EXPECT_EQ(call.thread, calls.front().thread);
    }
    EXPECT_TRUE(WaitFor([] { return !CDelayedNotificationThread::ThreadRunning(); }));

    handler.onCall = [&](const RecordingHandler::Call& call) {
        if (call.what == "added")
            watcher.UnwatchDirectory(dir.wpath());
    };
    ASSERT_EQ(watcher.WatchDirectory(dir.wpath(), &handler), 0u);
    WriteFile(dir / "b.txt", "x");
    ASSERT_TRUE(WaitFor([&] { return handler.Count("stopped") == 2; }));
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
