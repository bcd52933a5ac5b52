#include "watch/DirectoryChangeWatcher.h"

#include "watch/DelayedNotifier.h"
#include "watch/DirWatchInfo.h"
#include "watch/PathText.h"
#include "watch/WatchErrors.h"
#include "watch/WatchPort.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <new>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <system_error>

using zellwick::watch::ChangeKind;
using zellwick::watch::InotifyTree;
using zellwick::watch::TreeChange;
using zellwick::watch::WatchPort;

namespace {

constexpr auto kStartWaitSlice = std::chrono::milliseconds(10000);
// A stopping caller looks for reports queued to its own thread this often.
constexpr auto kStopWaitSlice = std::chrono::milliseconds(2);

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return QString::fromStdWString(a).compare(QString::fromStdWString(b), Qt::CaseInsensitive) == 0;
}

bool IsFolder(const std::wstring& path)
{
    struct stat st = {};
    return ::stat(zellwick::watch::NativeFromWide(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void Deliver(CDirWatchInfo& record, const InotifyTree::Changes& changes)
{
    CDelayedDirectoryChangeHandler* wrapper = record.DelayedHandler();
    for (const TreeChange& change : changes) {
        const std::wstring path = record.FullPath(change.path);
        switch (change.kind) {
        case ChangeKind::Added:
            wrapper->OnFileAdded(path);
            break;
        case ChangeKind::Removed:
            wrapper->OnFileRemoved(path);
            break;
        case ChangeKind::Modified:
            wrapper->OnFileModified(path);
            break;
        case ChangeKind::Renamed:
            wrapper->OnFileRenamed(path, record.FullPath(change.newPath));
            break;
        case ChangeKind::Unwatched:
            wrapper->OnReadError(static_cast<std::uint32_t>(change.error), path);
            break;
        }
    }
}

// Through the record's settler: changes of a file are held until it has been quiet.
void Report(CDirWatchInfo& record, InotifyTree::Changes& changes,
            InotifyTree::Clock::time_point now)
{
    InotifyTree::Changes out;
    record.m_settler.Take(changes, now, out);
    Deliver(record, out);
}

} // namespace

CDirectoryChangeWatcher::CDirectoryChangeWatcher(bool bAppHasGUI, std::uint32_t dwFilterFlags)
    : m_bAppHasGUI(bAppHasGUI), m_dwFilterFlags(dwFilterFlags)
{}

CDirectoryChangeWatcher::~CDirectoryChangeWatcher()
{
    UnwatchAll();
    m_pPort.reset();
}

std::wstring CDirectoryChangeWatcher::ErrorText(std::uint32_t dwError)
{
    return zellwick::watch::WatchErrorText(dwError);
}

std::uint32_t CDirectoryChangeWatcher::WatchDirectory(const std::wstring& strDirToWatch,
                                                      CDirectoryChangeHandler* pChangeHandler)
{
    const std::uint32_t result = StartWatch(strDirToWatch, pChangeHandler);
    // The thread's last error tells the same, as callers of the old interface expect.
    errno = static_cast<int>(result);
    return result;
}

std::uint32_t CDirectoryChangeWatcher::StartWatch(const std::wstring& strDirToWatch,
                                                  CDirectoryChangeHandler* pChangeHandler)
{
    if (strDirToWatch.empty() || !pChangeHandler)
        return zellwick::watch::kErrorInvalidParameter;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (!IsFolder(strDirToWatch))
        return zellwick::watch::kErrorBadPathname;
    if (IsWatching(strDirToWatch))
        UnwatchDirectory(strDirToWatch);

    std::unique_ptr<InotifyTree> tree;
    const int openError = InotifyTree::Open(zellwick::watch::NativeFromWide(strDirToWatch), tree);
    if (openError != 0)
        return static_cast<std::uint32_t>(openError);
    CDirWatchInfo* record = nullptr;
    try {
        record = new CDirWatchInfo(pChangeHandler, strDirToWatch, std::move(tree), m_bAppHasGUI,
                                   L"*.txt", nullptr, m_dwFilterFlags);
    } catch (const std::bad_alloc&) {
        return zellwick::watch::kErrorOutOfMemory;
    }
    if (!m_pPort) {
        if (const int portError = WatchPort::Create(m_pPort)) {
            DestroyRecord(record);
            return static_cast<std::uint32_t>(portError);
        }
    }
    if (!m_worker.joinable()) {
        if (const std::uint32_t threadError = StartWorker()) {
            DestroyRecord(record);
            return threadError;
        }
    }

    record->RequestState(CDirWatchInfo::STATE_START_REQUESTED, *m_pPort);
    while (!record->m_startStopEvent.WaitFor(kStartWaitSlice)) {
    }
    record->m_startStopEvent.Reset();
    if (const std::uint32_t startError = record->m_dwLastError) {
        // Let the handler hear of the failed start before its wrapper lets go of it.
        CDelayedNotifier::DeliverQueuedToThisThread();
        DestroyRecord(record);
        return startError;
    }
    pChangeHandler->BindToWatcher(this);
    InsertRecord(record);
    return zellwick::watch::kWatchSuccess;
}

bool CDirectoryChangeWatcher::UnwatchDirectory(const std::wstring& strDirToStopWatching)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (!m_pPort)
        return false;
    CDirWatchInfo* record = FindRecord(strDirToStopWatching);
    if (!record)
        return false;
    StopRecord(*record);
    DropRecord(record);
    return true;
}

bool CDirectoryChangeWatcher::UnwatchHandler(CDirectoryChangeHandler* pChangeHandler)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    bool stoppedAny = false;
    for (;;) {
        const auto found = std::find_if(m_records.begin(), m_records.end(), [&](CDirWatchInfo* r) {
            return r && !r->m_bStopping && r->RealHandler() == pChangeHandler;
        });
        if (found == m_records.end())
            break;
        CDirWatchInfo* record = *found;
        StopRecord(*record);
        DropRecord(record);
        stoppedAny = true;
    }
    return stoppedAny;
}

bool CDirectoryChangeWatcher::UnwatchAll()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (!m_worker.joinable())
        return false;
    for (size_t slot = 0; slot < m_records.size(); ++slot) {
        CDirWatchInfo* record = m_records[slot];
        if (!record || record->m_bStopping)
            continue;
        StopRecord(*record);
        DropRecord(record);
    }
    if (std::all_of(m_records.begin(), m_records.end(), [](CDirWatchInfo* r) { return !r; }))
        m_records.clear();
    m_pPort->PostQuit();
    m_worker.join();
    m_dwThreadId = {};
    m_pPort.reset();
    return true;
}

bool CDirectoryChangeWatcher::IsWatching(const std::wstring& strDirName)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return FindRecord(strDirName) != nullptr;
}

CDirWatchInfo* CDirectoryChangeWatcher::FindRecord(const std::wstring& strDirName) const
{
    for (CDirWatchInfo* record : m_records) {
        if (record && !record->m_bStopping && SamePath(record->DirName(), strDirName))
            return record;
    }
    return nullptr;
}

// Asks the worker to stop the folder and waits, delivering meanwhile the reports queued to
// this thread: the worker does not finish the stop before the watch-stopped notice was
// delivered, and only this thread may be the one to deliver it.
void CDirectoryChangeWatcher::StopRecord(CDirWatchInfo& record)
{
    record.m_bStopping = true;
    record.RequestState(CDirWatchInfo::STATE_STOP_REQUESTED, *m_pPort);
    while (!record.m_startStopEvent.WaitFor(kStopWaitSlice))
        CDelayedNotifier::DeliverQueuedToThisThread();
    record.m_startStopEvent.Reset();
    // Reports queued before the stop that nobody waited for (no stop notice) go out now.
    CDelayedNotifier::DeliverQueuedToThisThread();
}

void CDirectoryChangeWatcher::DropRecord(CDirWatchInfo* pRecord)
{
    const auto slot = std::find(m_records.begin(), m_records.end(), pRecord);
    if (slot == m_records.end())
        return;
    *slot = nullptr;
    pRecord->RealHandler()->ReleaseFromWatcher(this);
    DestroyRecord(pRecord);
}

void CDirectoryChangeWatcher::DestroyRecord(CDirWatchInfo* pRecord)
{
    delete pRecord;
}

void CDirectoryChangeWatcher::InsertRecord(CDirWatchInfo* pRecord)
{
    const auto empty = std::find(m_records.begin(), m_records.end(), nullptr);
    if (empty != m_records.end())
        *empty = pRecord;
    else
        m_records.push_back(pRecord);
}

std::uint32_t CDirectoryChangeWatcher::StartWorker()
{
    try {
        m_worker = std::thread([this] { WorkerMain(); });
    } catch (const std::system_error& error) {
        const int code = error.code().value();
        return code != 0 ? static_cast<std::uint32_t>(code)
                         : zellwick::watch::kErrorMaxThreadsReached;
    }
    m_dwThreadId = m_worker.get_id();
    return 0;
}

// ---- worker thread ----

void CDirectoryChangeWatcher::WorkerMain()
{
    OnWorkerStart();
    ActiveRecords active;
    ActiveRecords polled;
    bool quit = false;
    std::vector<pollfd> fds;
    while (!quit) {
        fds.assign(1, pollfd{m_pPort->Fd(), POLLIN, 0});
        polled.clear();
        for (CDirWatchInfo* record : active) {
            if (record->Tree()) {
                fds.push_back(pollfd{record->Tree()->Fd(), POLLIN, 0});
                polled.push_back(record);
            }
        }
        const int ready = ::poll(fds.data(), fds.size(), PollTimeout(active));
        const auto now = Clock::now();
        if (ready > 0) {
            for (size_t i = 0; i < polled.size(); ++i) {
                if (fds[i + 1].revents != 0)
                    ServeRecord(*polled[i], now);
            }
        }
        for (CDirWatchInfo* record : active)
            Tick(*record, now);
        if (ready > 0 && fds[0].revents != 0)
            quit = HandleRequests(active);
    }
    OnWorkerExit();
}

int CDirectoryChangeWatcher::PollTimeout(const ActiveRecords& active) const
{
    std::optional<Clock::time_point> next;
    const auto consider = [&next](std::optional<Clock::time_point> deadline) {
        if (deadline && (!next || *deadline < *next))
            next = deadline;
    };
    for (CDirWatchInfo* record : active) {
        consider(record->m_settler.NextDeadline());
        if (const InotifyTree* tree = record->Tree()) {
            consider(tree->NextDeadline());
            consider(tree->NextRetry());
        } else {
            consider(record->m_lookAgainAt);
        }
    }
    if (!next)
        return -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now()).count();
    return static_cast<int>(std::clamp<decltype(wait)>(wait, 0, 60 * 1000));
}

void CDirectoryChangeWatcher::ServeRecord(CDirWatchInfo& record, Clock::time_point now)
{
    InotifyTree::Changes changes;
    const int error = record.Tree()->ReadEvents(changes, now);
    Report(record, changes, now);
    if (error != 0)
        LoseFolder(record, error, now);
}

// Deadlines: moves without a partner, files that have settled, folders to try again.
void CDirectoryChangeWatcher::Tick(CDirWatchInfo& record, Clock::time_point now)
{
    InotifyTree::Changes changes;
    if (InotifyTree* tree = record.Tree()) {
        tree->ExpireMoves(now, changes);
        tree->LookAfterUnwatched(now, changes);
        Report(record, changes, now);
    } else if (now >= record.m_lookAgainAt) {
        LookForFolderAgain(record, now);
    }
    changes.clear();
    record.m_settler.Expire(now, changes);
    Deliver(record, changes);
}

// The folder is gone (deleted, moved away, unmounted): what was held for its files is out of
// reach. The handler hears of it, and the folder is looked for again from now on.
void CDirectoryChangeWatcher::LoseFolder(CDirWatchInfo& record, int error, Clock::time_point now)
{
    record.m_settler.Drop();
    record.CloseTree();
    record.m_dwLastError = static_cast<std::uint32_t>(error);
    record.m_lookAgainAt = now + kLookAgainTime;
    record.DelayedHandler()->OnReadError(static_cast<std::uint32_t>(error), record.DirName());
}

void CDirectoryChangeWatcher::LookForFolderAgain(CDirWatchInfo& record, Clock::time_point now)
{
    record.m_lookAgainAt = now + kLookAgainTime;
    if (!IsFolder(record.DirName()))
        return;
    std::unique_ptr<InotifyTree> tree;
    if (InotifyTree::Open(zellwick::watch::NativeFromWide(record.DirName()), tree) != 0)
        return;
    InotifyTree::Changes changes;
    tree->ReportAllAsNew(changes);
    record.SetTree(std::move(tree));
    record.m_dwLastError = 0;
    record.DelayedHandler()->OnWatchStarted(0, record.DirName());
    Report(record, changes, now);
}

bool CDirectoryChangeWatcher::HandleRequests(ActiveRecords& active)
{
    bool quit = false;
    CDirWatchInfo* record = m_pPort->TakeRequests(quit);
    while (record) {
        // Read the link first: once answered, the record may be queued or freed again.
        CDirWatchInfo* next = record->m_pNextRequest;
        HandleRequest(active, *record);
        record = next;
    }
    return quit;
}

void CDirectoryChangeWatcher::HandleRequest(ActiveRecords& active, CDirWatchInfo& record)
{
    switch (record.State()) {
    case CDirWatchInfo::STATE_START_REQUESTED:
        try {
            active.push_back(&record);
        } catch (const std::bad_alloc&) {
            record.m_dwLastError = zellwick::watch::kErrorOutOfMemory;
            record.DelayedHandler()->OnWatchStarted(record.m_dwLastError, record.DirName());
            break;
        }
        record.SetState(CDirWatchInfo::STATE_WATCHING);
        record.m_dwLastError = 0;
        record.DelayedHandler()->OnWatchStarted(0, record.DirName());
        break;
    case CDirWatchInfo::STATE_STOP_REQUESTED:
        if (std::find(active.begin(), active.end(), &record) != active.end())
            StopServing(active, record);
        break;
    default:
        break;
    }
    record.m_startStopEvent.Set();
}

// Reports what happened before the stop, the changes still settling included, closes the
// tree and tells the handler; returns once the notice has been delivered.
void CDirectoryChangeWatcher::StopServing(ActiveRecords& active, CDirWatchInfo& record)
{
    InotifyTree::Changes changes;
    if (record.Tree()) {
        record.Tree()->Drain(changes);
        Report(record, changes, Clock::now());
    }
    changes.clear();
    record.m_settler.Flush(changes);
    Deliver(record, changes);
    record.CloseTree();
    active.erase(std::remove(active.begin(), active.end(), &record), active.end());
    record.SetState(CDirWatchInfo::STATE_STOPPED);
    record.DelayedHandler()->OnWatchStopped(record.DirName());
}
