#pragma once

// Following a history folder the way the timer window does while the player plays: the scan
// at Start, the watch, and the handler that reads what the client appends; with the hands and
// VPP each file contributed.

#include "history/HandAnalysis.h"
#include "history/HistoryScan.h"
#include "tools/zellwick-count/HistoryCount.h"

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CDirectoryChangeWatcher;

namespace zellwick::count {

class FollowSession
{
public:
    FollowSession(std::wstring folder, std::wstring nickname, HistoryLog& log);
    ~FollowSession();
    FollowSession(const FollowSession&) = delete;
    FollowSession& operator=(const FollowSession&) = delete;

    // Watches the folder, then enters the files that were recent at now at their size.
    // Returns 0 or the watch's error code. Changes are delivered on this thread's event loop.
    std::uint32_t Start(std::time_t now);
    // Ends the watch; the changes made before it, those still settling included, are counted
    // by the time it returns.
    void Stop();

    std::int32_t Hands() const { return m_nHandCount; }
    std::int32_t VppCents() const { return m_nVppCents; }
    // The files followed now: found by the scan or created since.
    std::size_t FollowedFiles() const { return m_offsets.size(); }
    // The files that gave hands, in path order.
    std::vector<FileCount> Contributions() const;

private:
    class Handler;
    struct Share
    {
        std::int64_t hands = 0;
        std::int64_t vppCents = 0;
    };

    std::wstring m_folder;
    std::wstring m_nickname;
    std::int32_t m_nHandCount = 0;
    std::int32_t m_nVppCents = 0;
    double m_dVpp = 0.0;
    FileOffsetMap m_offsets;
    std::map<std::wstring, Share> m_shares;
    HandHistoryParser m_parser;
    // The handler goes before the watcher, as in the timer window.
    std::unique_ptr<CDirectoryChangeWatcher> m_watcher;
    std::unique_ptr<Handler> m_handler;
};

} // namespace zellwick::count
