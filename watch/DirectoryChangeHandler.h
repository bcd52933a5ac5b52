#pragma once

// The receiver of folder-change reports. A handler is shared through an intrusive reference
// count: its creator holds the first reference, every watched folder that uses it holds one
// more, and the handler deletes itself when the last one goes. A handler that is a member
// object simply never gives its own reference away.
//
// The operations run on the thread that owns the window (or the watcher's message thread),
// never on the watcher's worker. Paths are full paths: the folder exactly as it was given to
// WatchDirectory, a '/' unless it already ends with one, and the file's name relative to it.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

class CDirectoryChangeWatcher;

class CDirectoryChangeHandler
{
public:
    CDirectoryChangeHandler() = default;
    CDirectoryChangeHandler(const CDirectoryChangeHandler&) = delete;
    CDirectoryChangeHandler& operator=(const CDirectoryChangeHandler&) = delete;

    // Stops every folder that still uses this handler before it goes.
    virtual ~CDirectoryChangeHandler();

    virtual void OnFileAdded(const std::wstring& strFileName);
    virtual void OnFileRemoved(const std::wstring& strFileName);
    virtual void OnFileRenamed(const std::wstring& strOldFileName,
                               const std::wstring& strNewFileName);
    virtual void OnFileModified(const std::wstring& strFileName);
    virtual void OnReadError(std::uint32_t dwError, const std::wstring& strDirectoryName);
    virtual void OnWatchStarted(std::uint32_t dwError, const std::wstring& strDirectoryName);
    virtual void OnWatchStopped(const std::wstring& strDirectoryName);
    // dwAction is the queued kind (1 added, 2 removed, 3 modified, 4 renamed); szNewFileName
    // is null except for a rename.
    virtual bool AcceptChange(std::uint32_t dwAction, const wchar_t* szFileName,
                              const wchar_t* szNewFileName);

    // How long a file must have been quiet before its changes are reported, as one report;
    // 0 reports each change as it comes. Asked once when a folder is watched.
    virtual std::chrono::milliseconds SettleTime() const;

    long AddRef();
    // Deletes the handler when the count reaches 0.
    long Release();
    long RefCount() const { return m_nRefCount.load(); }

    // The watcher whose folders use this handler, or null.
    CDirectoryChangeWatcher* BoundWatcher();

protected:
    // A derived handler whose operations use its own members calls this first in its
    // destructor, so the last reports of its folders still reach those operations.
    void UnwatchFromBoundWatcher();

private:
    friend class CDirectoryChangeWatcher;
    void BindToWatcher(CDirectoryChangeWatcher* pWatcher);
    void ReleaseFromWatcher(CDirectoryChangeWatcher* pWatcher);

    std::atomic<long> m_nRefCount{1};
    CDirectoryChangeWatcher* m_pWatcher = nullptr;
    std::atomic<long> m_nWatchCount{0};
    std::recursive_mutex m_lock; // guards the binding and the watch count
};
