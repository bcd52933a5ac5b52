#pragma once

// Watches folder trees and reports every added, removed, renamed and modified file to a
// handler. One worker thread serves all folders of a watcher; it never calls the caller's
// handler itself but queues each change, through a wrapper, to the thread that owns the
// window (or to a message thread of its own), where it is filtered and delivered in order.
//
// All operations are meant for one thread, the one that owns the window. A stop waits until
// the folder's last reports, its watch-stopped notice included, have been delivered; it
// delivers the reports queued to its own thread while it waits.

#include "watch/DelayedDirectoryChangeHandler.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CDirWatchInfo;
class CDirectoryChangeHandler;

namespace zellwick::watch {
class WatchPort;
}

class CDirectoryChangeWatcher
{
public:
    // bAppHasGUI selects delivery to the window thread (true) or to a message thread.
    explicit CDirectoryChangeWatcher(bool bAppHasGUI = true,
                                     std::uint32_t dwFilterFlags = FILTER_FILE_NAME_ONLY);
    // Stops everything and ends the worker. A derived watcher that overrides the worker hooks
    // calls UnwatchAll() in its own destructor.
    virtual ~CDirectoryChangeWatcher();
    CDirectoryChangeWatcher(const CDirectoryChangeWatcher&) = delete;
    CDirectoryChangeWatcher& operator=(const CDirectoryChangeWatcher&) = delete;

    // Watches the folder and everything below it for files whose names end in ".txt".
    // Returns 0 or an error code (see WatchErrors.h), which is also left in errno. A second
    // watch of the same path replaces the first. A folder that goes away while it is watched
    // is reported through OnReadError, looked for again every kLookAgainTime and, once it is
    // back, watched again (OnWatchStarted) with every file in it reported as added.
    static constexpr std::chrono::seconds kLookAgainTime{2};
    std::uint32_t WatchDirectory(const std::wstring& strDirToWatch,
                                 CDirectoryChangeHandler* pChangeHandler);
    // Paths are compared without regard to case and are not normalised.
    bool UnwatchDirectory(const std::wstring& strDirToStopWatching);
    bool UnwatchHandler(CDirectoryChangeHandler* pChangeHandler);
    // False when no worker ran; else stops every folder and ends the worker.
    bool UnwatchAll();
    bool IsWatching(const std::wstring& strDirName);

    // Recursive: a caller may hold it around a sequence of calls.
    std::recursive_mutex& Lock() { return m_lock; }

    // A readable text for any result of WatchDirectory or error of OnReadError.
    static std::wstring ErrorText(std::uint32_t dwError);

protected:
    // Called on the worker thread, first and last.
    virtual void OnWorkerStart() {}
    virtual void OnWorkerExit() {}

private:
    using ActiveRecords = std::vector<CDirWatchInfo*>;

    std::uint32_t StartWatch(const std::wstring& strDirToWatch,
                             CDirectoryChangeHandler* pChangeHandler);
    CDirWatchInfo* FindRecord(const std::wstring& strDirName) const;
    void StopRecord(CDirWatchInfo& record);
    void DropRecord(CDirWatchInfo* pRecord);
    void DestroyRecord(CDirWatchInfo* pRecord);
    void InsertRecord(CDirWatchInfo* pRecord);
    std::uint32_t StartWorker();

    using Clock = std::chrono::steady_clock;
    void WorkerMain();
    int PollTimeout(const ActiveRecords& active) const;
    void ServeRecord(CDirWatchInfo& record, Clock::time_point now);
    void Tick(CDirWatchInfo& record, Clock::time_point now);
    void LookForFolderAgain(CDirWatchInfo& record, Clock::time_point now);
    bool HandleRequests(ActiveRecords& active);
    void HandleRequest(ActiveRecords& active, CDirWatchInfo& record);
    void StopServing(ActiveRecords& active, CDirWatchInfo& record);
    void LoseFolder(CDirWatchInfo& record, int error, Clock::time_point now);

    std::unique_ptr<zellwick::watch::WatchPort> m_pPort; // the worker's requests
    std::thread m_worker;
    std::thread::id m_dwThreadId;
    std::vector<CDirWatchInfo*> m_records; // an emptied slot stays and is reused
    std::recursive_mutex m_lock;
    bool m_bAppHasGUI;
    std::uint32_t m_dwFilterFlags;
};
