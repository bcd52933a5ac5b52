#pragma once

// Helpers for following history files: hands as the client writes them, a log that keeps its
// lines, and a follower that owns what the timer window owns (offsets, totals, parser, handler
// and watcher) in the same order.

#include "history/DirectoryChangeHandlerHistory.h"
#include "history/HandAnalysis.h"
#include "history/HistoryScan.h"
#include "watch/DirectoryChangeWatcher.h"

#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace zellwick::test {

// One whole cash hand as the client appends it (UTF-8, three blank lines after it), numbered.
// The hero "Hero" earns kHandVppCents from it.
std::string Hand(int number);
constexpr int kHandVppCents = 30;
// count hands numbered from first on.
std::string Hands(int count, int first = 1);

class MemoryLog : public HistoryLog
{
public:
    void WriteLog(const std::wstring& line) override { m_lines.push_back(line); }
    void WriteRaw(const std::wstring& text) override { m_raw.push_back(text); }
    // The lines that contain the text.
    size_t Count(const std::wstring& text) const;

    std::vector<std::wstring> m_lines;
    std::vector<std::wstring> m_raw;
};

// The path as the watcher and the handler speak it.
std::wstring Key(const std::filesystem::path& file);

// The log line of a history file that could not be read for the error.
std::wstring ReadErrorLine(int error, const std::filesystem::path& file);

class Follower
{
public:
    Follower();

    void Scan(const std::filesystem::path& dir, std::time_t now = std::time(nullptr));
    std::uint32_t Watch(const std::filesystem::path& dir);
    // What Start does: the watch, then the scan.
    std::uint32_t Start(const std::filesystem::path& dir);
    // Waits, delivering the watch's reports, until the file is followed and read to its end.
    bool WaitUntilRead(const std::filesystem::path& file,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Creates a new followed file without a hand in dir and waits until it was read: every
    // report made before has then been delivered (and every file settled).
    bool Settle(const std::filesystem::path& dir);
    // The handler called directly, as the watch calls it for a new file that changed.
    void AddedAndModified(const std::filesystem::path& file);

    bool Knows(const std::filesystem::path& file) const;
    std::int64_t Offset(const std::filesystem::path& file) const;

    std::wstring m_hero = L"Hero";
    std::int32_t m_nHandCount = 0;
    std::int32_t m_nVppCents = 0;
    double m_dVpp = 0.0;
    MemoryLog m_log;
    FileOffsetMap m_offsets;
    HandHistoryParser m_parser;
    // The watcher outlives the handler, as in the timer window.
    CDirectoryChangeWatcher m_watcher;
    CDirectoryChangeHandlerHistory m_handler;

private:
    int m_nSettled = 0;
};

// Runs check in a forked child as uid/gid 65534 and returns its exit status; -1 when the
// child could not drop its rights (or did not exit). The child must not use Qt or gtest.
int RunAsNobody(const std::function<int()>& check);

// Sets the file's modification time.
void SetWritten(const std::filesystem::path& file, std::time_t when);

} // namespace zellwick::test
