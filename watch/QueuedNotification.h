#pragma once

#include <cstdint>
#include <optional>
#include <string>

class CDelayedDirectoryChangeHandler;

// The kinds of queued change; 1 to 4 equal the file actions added, removed, modified and
// renamed.
enum : std::uint32_t
{
    kNotifyFileAdded = 1,
    kNotifyFileRemoved = 2,
    kNotifyFileModified = 3,
    kNotifyFileRenamed = 4,
    kNotifyReadError = 5,
    kNotifyWatchStarted = 6,
    kNotifyWatchStopped = 7,
};

// One change on its way from the worker to the handler's thread. It holds a reference on the
// wrapper that queued it, so the wrapper outlives it whether it is delivered or dropped; the
// receiving thread frees it either way.
class CQueuedNotification
{
public:
    CQueuedNotification(CDelayedDirectoryChangeHandler* pDelayedHandler, std::uint32_t nKind,
                        std::wstring strPath, std::optional<std::wstring> strNewPath,
                        std::uint32_t dwNumber, int nStripLength);
    // Settles what waits for this record (a stop, a read error) and lets go of the wrapper.
    ~CQueuedNotification();
    CQueuedNotification(const CQueuedNotification&) = delete;
    CQueuedNotification& operator=(const CQueuedNotification&) = delete;

    // Filters and hands the change to the real handler; on the receiving thread only.
    void Deliver();

    CDelayedDirectoryChangeHandler* DelayedHandler() const { return m_pDelayedHandler; }
    std::uint32_t Kind() const { return m_nKind; }
    const std::wstring& Path() const { return m_strPath; }
    // Null except for a rename.
    const wchar_t* NewPath() const { return m_strNewPath ? m_strNewPath->c_str() : nullptr; }
    std::uint32_t Number() const { return m_dwNumber; }
    int StripLength() const { return m_nStripLength; }

private:
    CDelayedDirectoryChangeHandler* m_pDelayedHandler;
    std::uint32_t m_nKind;
    std::wstring m_strPath;
    std::optional<std::wstring> m_strNewPath;
    std::uint32_t m_dwNumber;
    int m_nStripLength;
};
