#pragma once

#include "watch/ChangeSettler.h"
#include "watch/InotifyTree.h"
#include "watch/WatchEvent.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class CDelayedDirectoryChangeHandler;
class CDirectoryChangeHandler;

namespace zellwick::watch {
class WatchPort;
}

// Notify filter kept with each record: file names and sizes.
inline constexpr std::uint32_t FILE_NOTIFY_CHANGE_FILE_NAME = 0x1;
inline constexpr std::uint32_t FILE_NOTIFY_CHANGE_SIZE = 0x8;

// One watched folder: its inotify tree, the wrapper around the caller's handler, and the
// state the caller and the worker hand requests over with. Owned by the watcher.
class CDirWatchInfo
{
public:
    enum eState
    {
        STATE_NONE,
        STATE_START_REQUESTED, // the caller asked the worker to start serving it
        STATE_STOP_REQUESTED,  // the caller asked the worker to stop it
        STATE_STOPPED,         // the worker closed it and told the handler
        STATE_WATCHING,        // the worker serves it
    };

    // Takes one reference on the caller's handler, and its settle time; the tree is already
    // open.
    CDirWatchInfo(CDirectoryChangeHandler* pRealHandler, const std::wstring& strDirName,
                  std::unique_ptr<zellwick::watch::InotifyTree> tree, bool bAppHasGUI,
                  const wchar_t* szIncludeFilter, const wchar_t* szExcludeFilter,
                  std::uint32_t dwFilterFlags);
    // Takes the caller's handler away from the wrapper (releasing it), closes the tree and
    // lets go of the wrapper, which lives on while changes it queued are under way.
    ~CDirWatchInfo();
    CDirWatchInfo(const CDirWatchInfo&) = delete;
    CDirWatchInfo& operator=(const CDirWatchInfo&) = delete;

    const std::wstring& DirName() const { return m_strDirName; }
    CDelayedDirectoryChangeHandler* DelayedHandler() const { return m_pDelayedHandler; }
    // The caller's handler this folder reports to (also after the wrapper let it go).
    CDirectoryChangeHandler* RealHandler() const { return m_pRealHandler; }

    // Full path of a file given relative to the folder.
    std::wstring FullPath(const std::string& relPath) const;

    eState State();
    void SetState(eState state);
    // Sets the state and queues the record to the worker, both under the record's lock.
    void RequestState(eState state, zellwick::watch::WatchPort& port);

    // Null while the folder is missing: the worker then looks for it again now and then.
    zellwick::watch::InotifyTree* Tree() const { return m_tree.get(); }
    void SetTree(std::unique_ptr<zellwick::watch::InotifyTree> tree) { m_tree = std::move(tree); }
    void CloseTree() { m_tree.reset(); }

    // The worker's alone.
    zellwick::watch::ChangeSettler m_settler;
    zellwick::watch::InotifyTree::Clock::time_point m_lookAgainAt{};

    std::uint32_t m_dwNotifyFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE;
    bool m_bWatchSubtree = true;
    std::atomic<std::uint32_t> m_dwLastError{0};
    zellwick::watch::WatchEvent m_startStopEvent{true};
    CDirWatchInfo* m_pNextRequest = nullptr; // link in the worker's request queue
    bool m_bStopping = false; // a caller is stopping it; others leave it alone (watcher lock)

private:
    CDirectoryChangeHandler* m_pRealHandler;
    CDelayedDirectoryChangeHandler* m_pDelayedHandler;
    std::unique_ptr<zellwick::watch::InotifyTree> m_tree;
    std::wstring m_strDirName;
    std::mutex m_lock; // guards the state
    eState m_eState = STATE_NONE;
};
