#pragma once

#include "watch/DirectoryChangeHandler.h"
#include "watch/WatchEvent.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class CDelayedNotifier;
class CQueuedNotification;

// Flags of the change filter.
inline constexpr std::uint32_t FILTER_NO_PATTERNS = 0x01;     // patterns are not tested
inline constexpr std::uint32_t FILTER_RELATIVE_PATH = 0x04;   // test the path below the folder
inline constexpr std::uint32_t FILTER_FILE_NAME_ONLY = 0x08;  // test the name after the last '/'
inline constexpr std::uint32_t FILTER_HANDLER_FIRST = 0x10;   // ask AcceptChange first
inline constexpr std::uint32_t FILTER_NO_HANDLER_TEST = 0x20; // never ask AcceptChange
inline constexpr std::uint32_t FILTER_NO_START_NOTICE = 0x40; // OnWatchStarted is not queued
inline constexpr std::uint32_t FILTER_NO_STOP_NOTICE = 0x80;  // OnWatchStopped is not queued

// Wildcard match of a whole name: '*' matches any run of characters ('/' included), '?' any
// one character, everything else itself, with letter case.
bool MatchWildcard(const wchar_t* szName, const wchar_t* szPattern);

// Wraps the caller's handler for one watched folder. Its operations run on the watcher's
// worker and only queue the change; on the notifier's thread the change is filtered and then
// handed to the caller's handler. It lives as long as its folder's record or any change it
// queued, whichever is longer.
class CDelayedDirectoryChangeHandler : public CDirectoryChangeHandler
{
public:
    // szIncludeFilter / szExcludeFilter: patterns separated by ';', or null for no list.
    CDelayedDirectoryChangeHandler(CDirectoryChangeHandler* pRealHandler, bool bAppHasGUI,
                                   const wchar_t* szIncludeFilter, const wchar_t* szExcludeFilter,
                                   std::uint32_t dwFilterFlags);
    ~CDelayedDirectoryChangeHandler() override;

    void OnFileAdded(const std::wstring& strFileName) override;
    void OnFileRemoved(const std::wstring& strFileName) override;
    void OnFileRenamed(const std::wstring& strOldFileName,
                       const std::wstring& strNewFileName) override;
    void OnFileModified(const std::wstring& strFileName) override;
    void OnReadError(std::uint32_t dwError, const std::wstring& strDirectoryName) override;
    void OnWatchStarted(std::uint32_t dwError, const std::wstring& strDirectoryName) override;
    // Returns once the notice has been delivered (or could not be queued).
    void OnWatchStopped(const std::wstring& strDirectoryName) override;

    // Characters to strip from a full path to make it relative to the folder.
    void SetPartialPathOffset(int nStripLength) { m_nStripLength = nStripLength; }

    CDirectoryChangeHandler* RealHandler();
    // Takes the caller's handler away and releases it; later changes are dropped.
    void DetachRealHandler();

    // On the notifier's thread: filter the change and call the caller's handler.
    void DeliverNotification(const CQueuedNotification& record);
    // Whenever a queued change is freed, delivered or not.
    void OnNotificationFinished(const CQueuedNotification& record);

private:
    bool Queue(std::uint32_t nKind, const std::wstring& strPath,
               std::optional<std::wstring> strNewPath, std::uint32_t dwNumber);
    void Dispatch(const CQueuedNotification& record, CDirectoryChangeHandler& handler);
    bool PassesFilter(const CQueuedNotification& record, CDirectoryChangeHandler& handler) const;
    bool PassesPatterns(const wchar_t* szName) const;
    const wchar_t* TestedPart(const wchar_t* szPath, const CQueuedNotification& record) const;

    std::unique_ptr<CDelayedNotifier> m_pNotifier;
    CDirectoryChangeHandler* m_pRealHandler;
    std::recursive_mutex m_realHandlerLock; // held while the caller's handler is called
    std::uint32_t m_dwFilterFlags;
    int m_nStripLength = 0;
    zellwick::watch::WatchEvent m_stopDelivered{false};
    std::vector<std::wstring> m_includePatterns;
    std::vector<std::wstring> m_excludePatterns;
};
