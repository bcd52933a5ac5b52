#pragma once

#include <memory>
#include <mutex>

class CDirWatchInfo;

namespace zellwick::watch {

// How callers reach the worker: an eventfd the worker waits on, and the requests (start or
// stop a folder, quit) queued behind it. Posting takes no memory, so it cannot fail.
class WatchPort
{
public:
    // Returns 0 or the errno of the eventfd.
    static int Create(std::unique_ptr<WatchPort>& port);
    ~WatchPort();
    WatchPort(const WatchPort&) = delete;
    WatchPort& operator=(const WatchPort&) = delete;

    int Fd() const { return m_fd; }

    // The record's state says what is asked; a record is queued at most once at a time.
    void PostRequest(CDirWatchInfo* pRecord);
    void PostQuit();

    // Clears the wake-up and takes the queued records, oldest first, linked through
    // CDirWatchInfo::m_pNextRequest. quit tells whether the worker was asked to end.
    CDirWatchInfo* TakeRequests(bool& quit);

private:
    explicit WatchPort(int fd) : m_fd(fd) {}
    void Wake();

    int m_fd;
    std::mutex m_mutex;
    CDirWatchInfo* m_pFirst = nullptr;
    CDirWatchInfo* m_pLast = nullptr;
    bool m_bQuit = false;
};

} // namespace zellwick::watch
