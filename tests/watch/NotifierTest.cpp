#include "tests/support/TestSupport.h"
#include "tests/watch/RecordingHandler.h"
#include "watch/DelayedDirectoryChangeHandler.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace zellwick::test;

namespace {

using Wrapper = CDelayedDirectoryChangeHandler;

// Changes queued from another thread, as the worker queues them, pass the filter as its flags
// and patterns say; a read error always passes; the handler is asked after the patterns unless
// it comes first. Each path of a rename is cut at its own last '/'.
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
        EXPECT_EQ(MatchWildcard(name, pattern), match) << Narrow(name) << " vs " << Narrow(pattern);
}

} // namespace
