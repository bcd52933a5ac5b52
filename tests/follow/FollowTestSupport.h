#pragma once

// Following history files as the timer window does: hands as the client writes them, a log
// that keeps its lines, and a follower owning what the window owns, in the same order.

#include "history/DirectoryChangeHandlerHistory.h"
#include "watch/DirectoryChangeWatcher.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace zellwick::test {

// One whole cash hand as the client appends it, numbered; the hero earns kHandVppCents.
std::string Hand(int number);
constexpr int kHandVppCents = 30;
std::string Hands(int count, int first = 1);

class MemoryLog : public HistoryLog
{
public:
    void WriteLog(const std::wstring& line) override { m_lines.push_back(line); }
    void WriteRaw(const std::wstring&) override {}
    size_t Count(const std::wstring& text) const; // the lines that contain the text

    std::vector<std::wstring> m_lines;
};

// The path as the watcher and the handler speak it.
std::wstring Key(const std::filesystem::path& file);
// The log line of a history file that could not be read for the error.
std::wstring ReadErrorLine(int error, const std::filesystem::path& file);

class Follower
{
public:
    Follower();

    std::uint32_t Watch(const std::filesystem::path& dir)
    {
        return m_watcher.WatchDirectory(Key(dir), &m_handler);
    }
    std::uint32_t Start(const std::filesystem::path& dir) // as the window: watch, then scan
    {
        return m_handler.Follow(m_watcher, Key(dir), std::time(nullptr));
    }
    // Waits, delivering the watch's reports, until the file is followed and read to its end.
    bool WaitUntilRead(const std::filesystem::path& file,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Makes a followed file without a hand in dir and waits until it was read: every report
    // made before has then been delivered, and every file settled.
    bool Settle(const std::filesystem::path& dir);
    void AddedAndModified(const std::filesystem::path& file) // as the watch calls it
    {
        m_handler.OnFileAdded(Key(file));
        m_handler.OnFileModified(Key(file));
    }
    bool Knows(const std::filesystem::path& file) const { return m_offsets.count(Key(file)) != 0; }
    std::int64_t Offset(const std::filesystem::path& file) const;

    std::wstring m_hero = L"Hero";
    std::int32_t m_nHandCount = 0;
    std::int32_t m_nVppCents = 0;
    double m_dVpp = 0.0;
    MemoryLog m_log;
    FileOffsetMap m_offsets;
    HandHistoryParser m_parser;
    CDirectoryChangeWatcher m_watcher; // outlives the handler, as in the window
    CDirectoryChangeHandlerHistory m_handler;

private:
    int m_nSettled = 0;
};

void SetWritten(const std::filesystem::path& file, std::time_t when);

} // namespace zellwick::test
