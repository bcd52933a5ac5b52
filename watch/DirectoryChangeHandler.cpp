#include "watch/DirectoryChangeHandler.h"

#include "watch/DirectoryChangeWatcher.h"

CDirectoryChangeHandler::~CDirectoryChangeHandler()
{
    UnwatchFromBoundWatcher();
}

void CDirectoryChangeHandler::OnFileAdded(const std::wstring&) {}

void CDirectoryChangeHandler::OnFileRemoved(const std::wstring&) {}

void CDirectoryChangeHandler::OnFileRenamed(const std::wstring&, const std::wstring&) {}

void CDirectoryChangeHandler::OnFileModified(const std::wstring&) {}

void CDirectoryChangeHandler::OnReadError(std::uint32_t, const std::wstring&) {}

void CDirectoryChangeHandler::OnWatchStarted(std::uint32_t, const std::wstring&) {}

void CDirectoryChangeHandler::OnWatchStopped(const std::wstring&) {}

bool CDirectoryChangeHandler::AcceptChange(std::uint32_t, const wchar_t*, const wchar_t*)
{
    return true;
}

std::chrono::milliseconds CDirectoryChangeHandler::SettleTime() const
{
    return std::chrono::milliseconds(0);
}

long CDirectoryChangeHandler::AddRef()
{
    return ++m_nRefCount;
}

long CDirectoryChangeHandler::Release()
{
    const long remaining = --m_nRefCount;
    if (remaining == 0)
        delete this;
    return remaining;
}

CDirectoryChangeWatcher* CDirectoryChangeHandler::BoundWatcher()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_pWatcher;
}

void CDirectoryChangeHandler::UnwatchFromBoundWatcher()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_pWatcher)
        m_pWatcher->UnwatchHandler(this);
}

void CDirectoryChangeHandler::BindToWatcher(CDirectoryChangeWatcher* pWatcher)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_pWatcher && m_pWatcher != pWatcher) {
        // A handler serves one watcher at a time: the other one lets go of it first.
        m_pWatcher->UnwatchHandler(this);
        m_pWatcher = pWatcher;
        m_nWatchCount = 1;
        return;
    }
    m_pWatcher = pWatcher;
    ++m_nWatchCount;
}

void CDirectoryChangeHandler::ReleaseFromWatcher(CDirectoryChangeWatcher* pWatcher)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_pWatcher != pWatcher)
        return;
    if (--m_nWatchCount <= 0) {
        m_pWatcher = nullptr;
        m_nWatchCount = 0;
    }
}
