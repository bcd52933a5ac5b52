#include "watch/DelayedDirectoryChangeHandler.h"

#include "watch/DelayedNotificationThread.h"
#include "watch/DelayedNotificationWindow.h"
#include "watch/QueuedNotification.h"

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <new>

namespace {

std::vector<std::wstring> SplitPatterns(const wchar_t* szPatterns)
{
    std::vector<std::wstring> patterns;
    if (!szPatterns)
        return patterns;
    std::wstring piece;
    for (const wchar_t* p = szPatterns;; ++p) {
        if (*p == L';' || *p == L'\0') {
            if (!piece.empty())
                patterns.push_back(piece);
            piece.clear();
            if (*p == L'\0')
                break;
        } else {
            piece += *p;
        }
    }
    return patterns;
}

bool MatchesAny(const std::vector<std::wstring>& patterns, const wchar_t* szName)
{
    for (const std::wstring& pattern : patterns) {
        if (MatchWildcard(szName, pattern.c_str()))
            return true;
    }
    return false;
}

// The handler failed while it was told that its watch ended; say so without a window.
void Beep()
{
    std::fputs("\a", stderr);
    std::fflush(stderr);
}

} // namespace

bool MatchWildcard(const wchar_t* szName, const wchar_t* szPattern)
{
    const wchar_t* name = szName;
    const wchar_t* pattern = szPattern;
    while (*name && *pattern != L'*') {
        if (*pattern != *name && *pattern != L'?')
            return false;
        ++pattern;
        ++name;
    }
    const wchar_t* afterStar = nullptr;
    const wchar_t* retryName = nullptr;
    while (*name) {
        if (*pattern == L'*') {
            if (!*++pattern)
                return true;
            afterStar = pattern;
            retryName = name + 1;
        } else if (*pattern == *name || *pattern == L'?') {
            ++pattern;
            ++name;
        } else {
            pattern = afterStar;
            name = retryName++;
        }
    }
    while (*pattern == L'*')
        ++pattern;
    return *pattern == L'\0';
}

CDelayedDirectoryChangeHandler::CDelayedDirectoryChangeHandler(
    CDirectoryChangeHandler* pRealHandler, bool bAppHasGUI, const wchar_t* szIncludeFilter,
    const wchar_t* szExcludeFilter, std::uint32_t dwFilterFlags)
    : m_pRealHandler(pRealHandler), m_dwFilterFlags(dwFilterFlags),
      m_includePatterns(SplitPatterns(szIncludeFilter)),
      m_excludePatterns(SplitPatterns(szExcludeFilter))
{
    if (bAppHasGUI)
        m_pNotifier = std::make_unique<CDelayedNotificationWindow>();
    else
        m_pNotifier = std::make_unique<CDelayedNotificationThread>();
}

CDelayedDirectoryChangeHandler::~CDelayedDirectoryChangeHandler()
{
    DetachRealHandler();
    m_pNotifier.reset();
}

CDirectoryChangeHandler* CDelayedDirectoryChangeHandler::RealHandler()
{
    std::lock_guard<std::recursive_mutex> lock(m_realHandlerLock);
    return m_pRealHandler;
}

void CDelayedDirectoryChangeHandler::DetachRealHandler()
{
    CDirectoryChangeHandler* handler = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(m_realHandlerLock);
        handler = m_pRealHandler;
        m_pRealHandler = nullptr;
    }
    if (handler)
        handler->Release();
}

void CDelayedDirectoryChangeHandler::OnFileAdded(const std::wstring& strFileName)
{
    Queue(kNotifyFileAdded, strFileName, std::nullopt, 0);
}

void CDelayedDirectoryChangeHandler::OnFileRemoved(const std::wstring& strFileName)
{
    Queue(kNotifyFileRemoved, strFileName, std::nullopt, 0);
}

void CDelayedDirectoryChangeHandler::OnFileRenamed(const std::wstring& strOldFileName,
                                                   const std::wstring& strNewFileName)
{
    Queue(kNotifyFileRenamed, strOldFileName, strNewFileName, 0);
}

void CDelayedDirectoryChangeHandler::OnFileModified(const std::wstring& strFileName)
{
    Queue(kNotifyFileModified, strFileName, std::nullopt, 0);
}

void CDelayedDirectoryChangeHandler::OnReadError(std::uint32_t dwError,
                                                 const std::wstring& strDirectoryName)
{
    Queue(kNotifyReadError, strDirectoryName, std::nullopt, dwError);
}

void CDelayedDirectoryChangeHandler::OnWatchStarted(std::uint32_t dwError,
                                                    const std::wstring& strDirectoryName)
{
    if (m_dwFilterFlags & FILTER_NO_START_NOTICE)
        return;
    Queue(kNotifyWatchStarted, strDirectoryName, std::nullopt, dwError);
}

void CDelayedDirectoryChangeHandler::OnWatchStopped(const std::wstring& strDirectoryName)
{
    if (m_dwFilterFlags & FILTER_NO_STOP_NOTICE)
        return;
    m_stopDelivered.Reset();
    if (!Queue(kNotifyWatchStopped, strDirectoryName, std::nullopt, 0))
        return; // never queued: nothing to wait for
    while (!m_stopDelivered.WaitFor(std::chrono::milliseconds(5000))) {
    }
}

bool CDelayedDirectoryChangeHandler::Queue(std::uint32_t nKind, const std::wstring& strPath,
                                           std::optional<std::wstring> strNewPath,
                                           std::uint32_t dwNumber)
{
    std::unique_ptr<CQueuedNotification> record;
    try {
        record.reset(new CQueuedNotification(this, nKind, strPath, std::move(strNewPath), dwNumber,
                                             m_nStripLength));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!m_pNotifier)
        return false;
    return m_pNotifier->PostNotification(std::move(record));
}

void CDelayedDirectoryChangeHandler::OnNotificationFinished(const CQueuedNotification& record)
{
    // A stop notice releases the waiting worker whether it was delivered or dropped.
    if (record.Kind() == kNotifyWatchStopped)
        m_stopDelivered.Set();
}

void CDelayedDirectoryChangeHandler::DeliverNotification(const CQueuedNotification& record)
{
    std::lock_guard<std::recursive_mutex> lock(m_realHandlerLock);
    CDirectoryChangeHandler* handler = m_pRealHandler;
    if (!handler)
        return;
    // The handler may stop its own watch from inside the call; keep it until the call ends.
    handler->AddRef();
    try {
        if (PassesFilter(record, *handler))
            Dispatch(record, *handler);
    } catch (...) {
        // One failing handler call must not stop the deliveries behind it.
    }
    handler->Release();
}

void CDelayedDirectoryChangeHandler::Dispatch(const CQueuedNotification& record,
                                              CDirectoryChangeHandler& handler)
{
    switch (record.Kind()) {
    case kNotifyFileAdded:
        handler.OnFileAdded(record.Path());
        break;
    case kNotifyFileRemoved:
        handler.OnFileRemoved(record.Path());
        break;
    case kNotifyFileModified:
        handler.OnFileModified(record.Path());
        break;
    case kNotifyFileRenamed:
        handler.OnFileRenamed(record.Path(), record.NewPath() ? record.NewPath() : L"");
        break;
    case kNotifyReadError:
        handler.OnReadError(record.Number(), record.Path());
        break;
    case kNotifyWatchStarted:
        handler.OnWatchStarted(record.Number(), record.Path());
        break;
    case kNotifyWatchStopped:
        try {
            handler.OnWatchStopped(record.Path());
        } catch (...) {
            Beep();
            Beep();
        }
        break;
    default:
        break;
    }
}

bool CDelayedDirectoryChangeHandler::PassesFilter(const CQueuedNotification& record,
                                                  CDirectoryChangeHandler& handler) const
{
    const std::uint32_t flags = m_dwFilterFlags;
    if ((flags & FILTER_NO_PATTERNS) && (flags & FILTER_NO_HANDLER_TEST))
        return true;
    const std::uint32_t kind = record.Kind();
    if (kind == kNotifyReadError || kind == kNotifyWatchStarted || kind == kNotifyWatchStopped)
        return true;
    const bool askHandler = !(flags & FILTER_NO_HANDLER_TEST);
    const wchar_t* path = record.Path().c_str();
    const wchar_t* newPath = record.NewPath();
    if ((flags & FILTER_HANDLER_FIRST) && askHandler && !handler.AcceptChange(kind, path, newPath))
        return false;
    if (!(flags & FILTER_NO_PATTERNS)) {
        bool passes = PassesPatterns(TestedPart(path, record));
        if (!passes && kind == kNotifyFileRenamed && newPath)
            passes = PassesPatterns(TestedPart(newPath, record));
        if (!passes)
            return false;
    }
    if ((flags & FILTER_HANDLER_FIRST) || !askHandler)
        return true;
    return handler.AcceptChange(kind, path, newPath);
}

bool CDelayedDirectoryChangeHandler::PassesPatterns(const wchar_t* szName) const
{
    const bool included = m_includePatterns.empty() || MatchesAny(m_includePatterns, szName);
    return included && !MatchesAny(m_excludePatterns, szName);
}

const wchar_t* CDelayedDirectoryChangeHandler::TestedPart(const wchar_t* szPath,
                                                          const CQueuedNotification& record) const
{
    if (m_dwFilterFlags & FILTER_FILE_NAME_ONLY) {
        // Each path is cut at its own last '/': a file moved between folders keeps its name.
        const wchar_t* slash = std::wcsrchr(szPath, L'/');
        return slash ? slash + 1 : szPath;
    }
    if (m_dwFilterFlags & FILTER_RELATIVE_PATH) {
        const size_t length = std::wcslen(szPath);
        const size_t strip =
            record.StripLength() > 0 ? static_cast<size_t>(record.StripLength()) : 0;
        return szPath + (strip < length ? strip : length);
    }
    return szPath;
}
